// SPDX-License-Identifier: MIT
// The menu sheet: the "how to play" page, four title backgrounds and the
// panels that slide along the bottom of the screen.
#include "gfx_font.h"
#include "gfx_palette.h"
#include "gfx_scenes.h"
#include "gfx_sheets.h"
#include "gfx_ui.h"
#include "tables.h"

namespace {

const TextStyle SMALL = plain_shadowed(pal::PALE, pal::INK, 1);

void put_sentinel(Image& img, int pole_x, int pole_y, int state) {
    img.draw(sentinel_pole(), pole_x, pole_y);
    img.draw(sentinel_head(state), pole_x + HEAD_DX, pole_y + HEAD_DY);
}

// A title background: a scene, a sentinel, two runners and the name of the game.
Image background_picture(int k) {
    struct Look {
        Scene scene;
        std::uint32_t seed;
        std::vector<Rgba> title;
        Rgba shadow;
        int head_state;
        int rival_row;
    };
    const Look looks[MENU_BG_SLOTS] = {
        {Scene::Meadow, 501, {pal::CREAM, pal::GOLD, pal::AMBER, pal::ORANGE}, pal::BRICK, 0, 1},
        {Scene::Canyon, 502, {pal::WHITE, pal::CREAM, pal::GOLD, pal::AMBER}, pal::PLUM, 1, 3},
        {Scene::Town, 503, {pal::WHITE, pal::ICE, pal::AIR, pal::SKY}, pal::NAVY, 2, 6},
        {Scene::Snow, 504, {pal::WHITE, pal::ICE, pal::AIR, pal::SKY}, pal::DEEP, 0, 5},
    };
    const Look& look = looks[k];
    Image img(SCENE_W, SCENE_H);
    const Ground ground = rolling_ground(MENU_PANEL_Y - 6, 12.f, look.seed);
    paint_scene(img, look.scene, ground, look.seed);
    const int pole_x = 330;
    const int pole_y = ground.top[pole_x + 16] + GROUND_TOP_ABOVE_FEET - LVL_POLE.h + 2;
    paint_plinth(img, look.scene, pole_x, pole_y, ground);
    put_sentinel(img, pole_x, pole_y, look.head_state);
    draw_runner(img, 120.f, static_cast<float>(ground.feet(120) - CPU_LIFT), 1.f, 9, look.rival_row);
    draw_runner(img, 170.f, static_cast<float>(ground.feet(170)), 1.f, 4, 0);
    draw_text_centered(img, SCENE_W / 2, 12, "Pelune", title_style(4, 1, look.title, look.shadow));
    draw_text_centered(img, SCENE_W / 2, 92, "Run while nobody is watching!", plain_shadowed(pal::WHITE, pal::INK, 2));
    return img;
}

// A panel of items stacked in a column, one of them lit.
void item_list(Image& img, int centre_x, int y, int pitch, const std::vector<std::string>& items, int lit) {
    const TextStyle idle = plain_shadowed(pal::MIST, pal::INK, 2);
    const TextStyle bright = plain(pal::INK, 2);
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const int row_y = y + i * pitch;
        if (i == lit) {
            round_rect(img, centre_x - 92, row_y - 4, 184, 22, 3, pal::INK);
            round_rect(img, centre_x - 91, row_y - 3, 182, 20, 2, pal::GOLD);
            img.fill(centre_x - 89, row_y - 3, 178, 2, pal::CREAM);
            img.fill(centre_x - 89, row_y + 14, 178, 2, pal::AMBER);
            draw_text_centered(img, centre_x, row_y, items[i], bright);
            draw_text(img, centre_x - 84, row_y + 4, GLYPH_RIGHT, plain(pal::BRICK, 1));
            draw_text(img, centre_x + 78, row_y + 4, GLYPH_LEFT, plain(pal::BRICK, 1));
        } else {
            draw_text_centered(img, centre_x, row_y, items[i], idle);
        }
    }
}

Image panel_base() {
    Image img(MENU_PANEL_W, MENU_PANEL_H);
    plaque(img, 0, 0, MENU_PANEL_W, MENU_PANEL_H, with_alpha(pal::NIGHT, 228), pal::GOLD);
    return img;
}

Image main_panel(int lit) {
    Image img = panel_base();
    item_list(img, 240, 10, 19, {"PLAY", "HOW TO PLAY", "CREDITS", "QUIT"}, lit);
    draw_text(img, 18, 30, GLYPH_UP " " GLYPH_DOWN " move", SMALL);
    draw_text(img, 18, 46, "Return: choose", SMALL);
    img.draw(sentinel_head(0), 410, 20);
    return img;
}

Image difficulty_panel(int lit) {
    Image img = panel_base();
    draw_text(img, 16, 10, "CHOOSE YOUR RACE", plain_shadowed(pal::GOLD, pal::INK, 1));
    item_list(img, 120, 26, 21, {"EASY", "HARD", "BACK"}, lit);
    const char* const about[3][3] = {
        {"Let go of " GLYPH_RIGHT " and you stop dead.", "Your rival takes risks near", "the sentinels."},
        {"Let go on a downhill and you", "slide on: stop on flat ground.", "Your rival is far more careful."},
        {"Back to the main menu.", "", ""},
    };
    for (int line = 0; line < 3; ++line)
        draw_text(img, 236, 24 + 16 * line, about[lit][line], SMALL);
    img.fill(224, 14, 1, 62, with_alpha(pal::GOLD, 150));
    return img;
}

Image credits_panel() {
    Image img = panel_base();
    draw_text(img, 24, 12, "Pelune", title_style(2, 1, {pal::CREAM, pal::GOLD, pal::AMBER, pal::ORANGE}, pal::BRICK));
    draw_text(img, 24, 58, "a race against watchful eyes", SMALL);
    draw_text(img, 210, 12, "Made by the Pelune team", plain_shadowed(pal::GOLD, pal::INK, 1));
    draw_text(img, 210, 28, "Code, pictures, music and sounds:", SMALL);
    draw_text(img, 210, 40, "the Pelune team.", SMALL);
    draw_text(img, 210, 56, "Thank you for playing!", plain_shadowed(pal::AQUA, pal::INK, 1));
    draw_text(img, 380, 72, "Return: back", SMALL);
    return img;
}

Image how_to_play_page() {
    Image img(MENU_PAGE.w, MENU_PAGE.h);
    dither_ramp(img, 0, 0, img.w() - 1, img.h() - 1, {pal::NAVY, pal::NIGHT, pal::INK});
    plaque(img, 4, 40, 232, 212, with_alpha(pal::NIGHT, 255), pal::GOLD);
    plaque(img, 240, 40, 236, 212, with_alpha(pal::NIGHT, 255), pal::AQUA);
    draw_text_centered(
        img, 240, 4, "HOW TO PLAY",
        title_style(2, 1, {pal::CREAM, pal::GOLD, pal::AMBER, pal::ORANGE}, pal::BRICK));
    const TextStyle heading = plain_shadowed(pal::GOLD, pal::INK, 1);

    // Keys, then the gamepad.
    draw_text(img, 14, 49, "KEYBOARD", heading);
    struct Key {
        const char* cap;
        int width;
        const char* what;
    };
    const Key keys[] = {
        {GLYPH_RIGHT, 20, "hold to run, let go to stop"},
        {"Space", 36, "pause, carry on"},
        {"Return", 40, "choose, go on, try again"},
        {"Left Ctrl", 56, "rain on or off"},
        {"M", 18, "sound off or on"},
        {"- +", 30, "volume down, up"},
        {"F11", 24, "full screen (or Alt+Return)"},
        {"Esc", 26, "quit the game"},
    };
    int y = 61;
    for (const Key& k : keys) {
        key_cap(img, 14, y, k.width, k.cap);
        draw_text(img, 18 + k.width, y + 4, k.what, SMALL);
        y += 15;
    }
    draw_text(img, 14, 183, "GAMEPAD", heading);
    const char* const pad[] = {
        "D-pad or stick: " GLYPH_RIGHT " run, " GLYPH_UP " " GLYPH_DOWN " move",
        "A or Start: as Return",
        "B: as Space (pause)",
        "Back or Select: rain",
    };
    y = 195;
    for (const char* line : pad) {
        draw_text(img, 14, y, line, SMALL);
        y += 11;
    }

    // Rules, with the sentinel's three moods as the race shows them.
    draw_text(img, 250, 49, "RULES", plain_shadowed(pal::AQUA, pal::INK, 1));
    const int states[3] = {0, 1, 3};
    const char* const moods[3] = {"asleep: run", "waking: stop", "watching!"};
    const Rgba mood_colours[3] = {pal::LIME, pal::GOLD, pal::RED};
    for (int i = 0; i < 3; ++i) {
        const int x = 254 + i * 74;
        img.draw(sentinel_head(states[i]), x, 56);
        draw_text_centered(img, x + 26, 110, moods[i],
                           plain_shadowed(mood_colours[i], pal::INK, 1));
    }
    const char* const rules[] = {
        "Reach the flag before your rival.",
        "When a sentinel is watching, do",
        "not move where it looks, or it",
        "sends you back.",
        "Run before GO! and you make a",
        "false start: your legs are tied",
        "for a moment.",
        "On HARD, you slide down slopes",
        "when you let go of " GLYPH_RIGHT ".",
    };
    y = 126;
    for (const char* line : rules) {
        draw_text(img, 250, y, line, SMALL);
        y += 12;
    }
    draw_text_centered(img, 240, 258, "Press Return to go back",
                       plain_shadowed(pal::CREAM, pal::INK, 1));
    return img;
}

}  // namespace

Image menu_sheet() {
    Image sheet(MENU_SHEET_W, MENU_SHEET_H);
    sheet.copy(how_to_play_page(), MENU_PAGE.x, MENU_PAGE.y);
    for (int k = 0; k < MENU_BG_SLOTS; ++k)
        sheet.copy(background_picture(k), MENU_BG_X, MENU_BG_H * k);
    for (int i = 0; i < MENU_MAIN_ITEMS; ++i)
        sheet.copy(main_panel(i), 0, MENU_MAIN_PANEL_Y + MENU_PANEL_H * i);
    for (int i = 0; i < MENU_DIFFICULTY_ITEMS; ++i)
        sheet.copy(difficulty_panel(i), 0, MENU_DIFFICULTY_PANEL_Y + MENU_PANEL_H * i);
    sheet.copy(credits_panel(), 0, MENU_CREDITS_PANEL_Y);
    return sheet;
}
