// SPDX-License-Identifier: MIT
// Golden frames: what the player sees at canonical moments, reached through the
// real loop from start-up with scripted keys and a fixed seed, compared pixel for
// pixel with the pictures in tests/golden/ (each the shots of one script, one
// under the other). After an intended change to the art or the drawing,
// `./dev.sh goldens` (PELUNE_GOLDEN_WRITE=1) writes them afresh.
#include <SDL_image.h>
#include <dlfcn.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fonction.h"
#include "menu.h"
#include "support.h"
#include "tables.h"

namespace {

const Game* watched = nullptr;     // the game whose blits are being recorded
std::set<std::vector<int>> shown;  // sheet index, x, y, w, h of every picture cut in a shot;
                                   // a runner picture also with x -1: its row in any frame
}  // namespace

extern "C" int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* from, SDL_Surface* dst, SDL_Rect* to) {
    using Blit = int (*)(SDL_Surface*, SDL_Rect*, SDL_Surface*, SDL_Rect*);
    static const Blit blit = reinterpret_cast<Blit>(dlsym(RTLD_NEXT, "SDL_UpperBlit"));
    if (watched != nullptr && from != nullptr) {
        const SDL_Surface* sheets[] = {watched->menu.sheet, watched->general.level_sheet,
                                       watched->anim.sheet, watched->perso.sheet};
        const int i = int(std::find(sheets, sheets + SHEET_COUNT, src) - sheets);
        if (i < SHEET_COUNT) shown.insert({i, from->x, from->y, from->w, from->h});
        if (i == SHEET_RUNNER) shown.insert({i, -1, from->y, from->w, from->h});
    }
    return blit(src, from, dst, to);
}

namespace {

using Rgb = std::vector<Uint8>;  // 3 bytes a pixel, shots stacked downwards

// Indexed when the colours fit a palette, as they mostly do: a few KB a frame.
bool write_png(const std::string& path, const Rgb& rgb) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = SCREEN_W, image.height = static_cast<png_uint_32>(rgb.size() / 3 / SCREEN_W);
    std::map<Uint32, Uint8> index;
    std::vector<Uint8> indexed, palette;
    for (size_t i = 0; i < rgb.size() && index.size() <= 256; i += 3) {
        const Uint32 c = rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2];
        const auto [at, added] = index.emplace(c, static_cast<Uint8>(index.size()));
        if (added) palette.insert(palette.end(), &rgb[i], &rgb[i + 3]);
        indexed.push_back(at->second);
    }
    const bool mapped = index.size() <= 256;
    image.format = mapped ? PNG_FORMAT_RGB_COLORMAP : PNG_FORMAT_RGB;
    image.colormap_entries = mapped ? static_cast<png_uint_32>(index.size()) : 0;
    return png_image_write_to_file(&image, path.c_str(), 0, mapped ? indexed.data() : rgb.data(),
                                   0, mapped ? palette.data() : nullptr) != 0;
}

Rgb read_png(const std::string& path) {  // empty when missing or broken
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return {};
    image.format = PNG_FORMAT_RGB;
    Rgb rgb(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0 ? rgb : Rgb{};
}

// The real game from start-up, its random draws (the menu's background first)
// made from `seed`, and the frames it shoots.
struct Shooter : Session {
    explicit Shooter(unsigned seed) {
        if (start()) std::srand(seed), Menu_Init(&game.menu);
    }
    void shot() {  // one turn more, kept
        // Blended from the sheets, so that every picture is seen cut; the kept
        // layer and the opaque copies draw the same pixels (test_frames.cpp).
        SDL_Surface* views[] = {game.menu.opaque_sheet, game.general.level_opaque};
        game.menu.opaque_sheet = game.general.level_opaque = nullptr;
        watched = &game, turns(1), watched = nullptr;
        game.menu.opaque_sheet = views[0], game.general.level_opaque = views[1];
        for (int y = 0; y < SCREEN_H; ++y)
            for (int x = 0; x < SCREEN_W; ++x) {
                Uint8 c[3];
                SDL_GetRGB(pixel_at(game.screen, x, y), game.screen->format, c, c + 1, c + 2);
                rgb.insert(rgb.end(), c, c + 3);
            }
    }
    void until_watching() {  // race frames until a sentinel of the level watches
        const Sentinelle* t = game.niveau[game.general.level - 1].senti;
        auto watching = [](const Sentinelle& s) { return s.state == SENTINEL_WATCHING; };
        for (int i = 0; i < 1000 && std::none_of(t, t + SENTINEL_SLOTS, watching); ++i) turns(1);
    }
    Rgb rgb;
};

struct Golden {
    const char* name;
    unsigned seed;        // 70403, 2, 1, 4: the menu's backgrounds 3, 0, 1, 2
    const char* shows;    // the pictures cut from the sheets, shot by shot
    std::function<void(Shooter&)> script;
};

// clang-format off
const Golden GOLDENS[] = {
    {"menu_main", 70403, "background 3; the main panel with item 1, 2, 3, 4 lit",
     [](Shooter& s) { for (int i = 0; i < 4; ++i) s.shot(), s.press(KEY_DOWN); }},
    {"menu_difficulty", 2, "background 0; main and difficulty panels halfway; difficulty item 1, 2, 3 lit",
     [](Shooter& s) { s.press(KEY_RETURN), s.turns(58), s.shot(), s.turns(70);
                      for (int i = 0; i < 3; ++i) s.shot(), s.press(KEY_DOWN), s.turns(1); }},
    {"menu_credits", 1, "background 1; main and credits panels halfway; the credits panel",
     [](Shooter& s) { s.press(KEY_DOWN), s.press(KEY_DOWN), s.press(KEY_RETURN), s.turns(58), s.shot(), s.turns(70), s.shot(); }},
    {"volume", 70403, "the volume picture a step down (lit and dim notches), then muted",
     [](Shooter& s) { s.press(SDLK_MINUS), s.shot(), s.press(SDLK_m), s.shot(); }},
    {"how_to_play", 4, "background 2 with the rain; the page with the rain",
     [](Shooter& s) { s.press(KEY_RAIN), s.turns(40), s.shot(), s.press(KEY_DOWN), s.press(KEY_RETURN), s.shot(); }},
    {"intro", 7, "level 1 (its band, computer row 1, pole, bars) under the curtain half open; the countdown's 3, 2, 1, start",
     [](Shooter& s) { s.new_game(), s.turns(70), s.shot(); for (int i = 0; i < 4; ++i) s.turns(69), s.shot(); }},
    {"false_start", 7, "the false start in the countdown; still shown in the race",
     [](Shooter& s) { s.new_game(), s.turns(202), s.turn(SDL_KEYDOWN, KEY_RIGHT), s.shot(), s.turns(243), s.shot(); }},
    {"level1_sentinel", 7, "level 1, the player running: the head idle, warning (both pictures); the cone as "
                           "the player runs into the watched ground; the player sent back",
     [](Shooter& s) { s.new_game(), s.turns(392), set_key(&s.game.general, SDL_KEYDOWN, KEY_RIGHT);
                      s.turns(8), s.shot(), s.turns(20), s.shot(), s.turns(4), s.shot();
                      for (int i = 0; i < 300 && s.game.perso.player.x < 154; ++i) s.turns(1);
                      s.shot(), s.shot(); }},
    {"banners", 7, "level 1 paused; won; level 2 (band, computer row 2) lost; the menu after it",
     [](Shooter& s) { s.new_game(), s.turns(454), s.turn(SDL_KEYDOWN, KEY_SPACE), s.shot();
                      s.turn(SDL_KEYUP, KEY_SPACE), s.press(KEY_SPACE);
                      s.press(KEY_BACKSPACE), s.shot(), s.press(KEY_RETURN);
                      for (int i = 0; i < 3000 && s.game.niveau[1].outcome == OUTCOME_NONE; ++i) s.turns(1);
                      s.shot(), s.press(KEY_SPACE), s.shot(); }},
    {"levels", 7, "levels 2 to 8 (band, computer row), a sentinel of each in its 2nd frame watching (cone; level 5's cut by the edge); level 9, all five set watching",
     [](Shooter& s) { s.new_game(), s.pass_level();
                      for (int level = 2; level <= 8; ++level) s.turns(392), s.until_watching(), s.turns(1), s.shot(), s.pass_level();
                      s.turns(419);
                      for (Sentinelle& senti : s.game.niveau[8].senti) senti.state = SENTINEL_WATCHING;
                      s.shot(); }},
    {"bonus", 7, "the bonus level (band, cone, computer row 2) with both glyphs, a sentinel watching",
     [](Shooter& s) { s.game.general.unlock = 1, s.new_game(), s.win_nine_levels(), s.turns(392), s.until_watching(), s.turns(10), s.shot(); }},
    {"endings", 7, "the easy ending under the curtain, then open; the hard ending",
     [](Shooter& s) { s.new_game(0), s.win_nine_levels(), s.turns(70), s.shot(), s.turns(80), s.shot(), s.leave_ending();
                      s.game.general.unlock = 0, s.new_game(1), s.win_nine_levels(), s.turns(150), s.shot(); }},
};
// clang-format on

// Every picture the game cuts from its sheets; a computer's row in any frame (x -1).
std::vector<std::vector<int>> pictures() {
    std::vector<std::vector<int>> all;
    auto add = [&all](int sheet, SheetRect r) { all.push_back({sheet, r.x, r.y, r.w, r.h}); };
    for (SheetRect r : {ANIM_COUNT1, ANIM_COUNT2, ANIM_COUNT3, ANIM_GO, ANIM_PAUSE, ANIM_WON,
                        ANIM_LOST, ANIM_FALSE_START, ANIM_CURTAIN, ANIM_DROP, ANIM_VOLUME_PLATE,
                        ANIM_VOLUME_LIT, ANIM_VOLUME_DIM, ANIM_VOLUME_MUTED})
        add(SHEET_ANIM, r);
    add(SHEET_MENU, MENU_PAGE);
    for (int k = 0; k < MENU_BG_SLOTS; ++k)
        add(SHEET_MENU, {MENU_BG_X, MENU_BG_H * k, SCREEN_W, MENU_BG_H});
    for (int y = MENU_MAIN_PANEL_Y; y <= MENU_CREDITS_PANEL_Y; y += MENU_PANEL_H)
        add(SHEET_MENU, {0, y, MENU_PANEL_W, MENU_PANEL_H});
    for (int band = 0; band < BAND_COUNT; ++band)
        add(SHEET_LEVEL, {0, band_y(band), SCREEN_W, BAND_H});
    for (const LevelRow& row : LEVEL_TABLE)
        add(SHEET_LEVEL, {CONE_SHEET_X, band_y(row.band), CONE_SIZE, CONE_SIZE});
    for (SheetRect r : {LVL_POLE, LVL_HEAD[0], LVL_HEAD[1], LVL_HEAD[2], LVL_GLYPH[0],
                        LVL_GLYPH[1], LVL_BAR[0], LVL_BAR[1], LVL_BAR[2]})
        add(SHEET_LEVEL, r);
    for (int f = 0; f < RUNNER_FRAMES; ++f) add(SHEET_RUNNER, {RUNNER_W * f, 0, RUNNER_W, RUNNER_H});
    for (int row = 1; row < RUNNER_ROWS; ++row)
        add(SHEET_RUNNER, {-1, RUNNER_H * row, RUNNER_W, RUNNER_H});
    return all;
}

// The frames got against the kept ones; on a difference both pictures go to the
// build folder, the changed pixels marked magenta on the kept frame dimmed.
void compare(const Golden& g, const Rgb& got, const std::string& kept) {
    const Rgb want = read_png(kept);
    const std::string out = PELUNE_TEST_OUT "/golden-" + std::string(g.name);
    if (want.size() != got.size()) {
        ADD_FAILURE() << g.name << ": " << got.size() / 3 / SCREEN_W << " rows, " << kept
                      << " holds " << want.size() / 3 / SCREEN_W << "; got " << out << ".got.png";
        return (void)write_png(out + ".got.png", got);
    }
    Rgb diff = want;
    int changed = 0, first = 0;  // the first pixel changed, counted from the top left
    for (size_t i = 0; i < want.size(); i += 3) {
        const bool same = std::equal(&want[i], &want[i + 3], &got[i]);
        if (!same && changed++ == 0) first = int(i / 3);
        for (int k = 0; k < 3; ++k) diff[i + k] = same ? want[i + k] / 4 : k == 1 ? 0 : 255;
    }
    if (changed == 0) return;
    write_png(out + ".got.png", got), write_png(out + ".diff.png", diff);
    ADD_FAILURE() << g.name << " (" << g.shows << "): " << changed << " pixels differ from " << kept
                  << ", the first at x " << first % SCREEN_W << ", y " << first / SCREEN_W % SCREEN_H
                  << " of shot " << first / SCREEN_W / SCREEN_H + 1 << "; got " << out
                  << ".got.png, changes marked in " << out << ".diff.png";
}

TEST(Golden, FramesAreThePicturesKept) {
    const bool write = std::getenv("PELUNE_GOLDEN_WRITE") != nullptr;
    for (const Golden& g : GOLDENS) {
        Shooter s(g.seed);
        ASSERT_TRUE(s.running);
        g.script(s);
        const std::string kept = PELUNE_SOURCE_DIR "/tests/golden/" + std::string(g.name) + ".png";
        if (!write) compare(g, s.rgb, kept);
        EXPECT_TRUE(!write || write_png(kept, s.rgb)) << kept;
    }
    for (const std::vector<int>& p : pictures())
        EXPECT_TRUE(shown.contains(p)) << "no golden shows the picture of sheet " << p[0]
                                       << " at " << p[1] << ", " << p[2];
}

// The goldens hold the game's own decoding of its sheets (main_sheets.cpp): it must
// give what SDL_image and SDL_DisplayFormatAlpha give, pixel for pixel.
TEST(Golden, SheetsAreDecodedAsSDLImageDecodesThem) {
    Session s;
    ASSERT_TRUE(s.start());
    SDL_Surface* sheets[] = {s.game.menu.sheet, s.game.general.level_sheet, s.game.anim.sheet,
                             s.game.perso.sheet};
    const char* names[] = {"menu", "lvl", "anim", "joueur"};
    auto row = [](SDL_Surface* s, int y) { return static_cast<Uint8*>(s->pixels) + y * s->pitch; };
    for (int i = 0; i < SHEET_COUNT; ++i) {
        const std::string path = PELUNE_SOURCE_DIR "/data/gfx/" + std::string(names[i]) + ".png";
        SDL_Surface* png = IMG_Load(path.c_str());
        SDL_Surface *plain = SDL_DisplayFormatAlpha(png), *own = sheets[i];
        ASSERT_TRUE(plain && own && own->w == plain->w && own->h >= plain->h) << path;
        EXPECT_EQ(own->flags & SDL_SRCALPHA, plain->flags & SDL_SRCALPHA) << path;
        for (int y = 0; y < plain->h; ++y)
            ASSERT_EQ(std::memcmp(row(own, y), row(plain, y), 4 * own->w), 0)
                << path << ", row " << y;
        SDL_FreeSurface(png), SDL_FreeSurface(plain);
    }
}

}  // namespace
