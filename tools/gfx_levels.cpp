// SPDX-License-Identifier: MIT
// The level sheet: each race level's scene drawn over the ground its table
// gives, the sentinel's pole, heads and gaze, the two endings, the bonus level,
// the falling glyphs and the sweeping bars.
#include <algorithm>
#include <cmath>

#include "gfx_font.h"
#include "gfx_palette.h"
#include "gfx_scenes.h"
#include "gfx_sheets.h"
#include "gfx_ui.h"
#include "tables.h"

namespace {

constexpr float HEAD_CX = 26.f;  // middle of the head's ball in its 52x53 picture
constexpr float HEAD_CY = 23.f;
constexpr float HEAD_R = 16.5f;

Image cone_picture(Scene scene) {
    Image cone(CONE_SIZE, CONE_SIZE);
    const Rgba beam = beam_colour(scene);
    // The head sits where the head picture would be drawn: pole + HEAD_D* seen from the cone's corner.
    const int head_x = HEAD_DX - CONE_DX, head_y = HEAD_DY - CONE_DY;
    const float eye_x = head_x + HEAD_CX, eye_y = head_y + HEAD_CY + 3.f;
    // The ground in front of a pole lies about where its foot is.
    const float pool_y = static_cast<float>(LVL_POLE.h - CONE_DY - 2);
    const float half = CONE_SIZE / 2.f - 6.f;
    const float centre = eye_x;
    // Translucent gaze in scanlines, so the watched ground shows through.
    Image gaze(CONE_SIZE, CONE_SIZE);
    polygon(gaze, {centre - 6.f, eye_y, centre + 6.f, eye_y, centre + half, pool_y, centre - half, pool_y},
            with_alpha(beam, 255));
    ellipse(gaze, centre, pool_y, half, 9.f, with_alpha(beam, 255));
    for (int y = 0; y < CONE_SIZE; ++y)
        for (int x = 0; x < CONE_SIZE; ++x) {
            if (gaze.get(x, y).a == 0) continue;
            const float depth = std::max(0.f, (y - eye_y) / (pool_y - eye_y));
            int alpha = (y % 2 == 0 ? 132 : 84) - static_cast<int>(40.f * depth);
            if (y > pool_y) alpha = y % 2 == 0 ? 140 : 110;
            // A hotter core along the middle of the gaze.
            const float off_axis = std::fabs(x + 0.5f - centre) / (6.f + (half - 6.f) * std::min(depth, 1.f));
            const Rgba tint = mix(beam, pal::CREAM, 0.45f * std::max(0.f, 1.f - off_axis));
            cone.put(x, y, with_alpha(tint, std::max(alpha, 40)));
        }
    // Bright rims: the two edges and the pool's outline.
    line(cone, static_cast<int>(centre - 6.f), static_cast<int>(eye_y), static_cast<int>(centre - half),
         static_cast<int>(pool_y), with_alpha(beam, 210));
    line(cone, static_cast<int>(centre + 6.f), static_cast<int>(eye_y), static_cast<int>(centre + half),
         static_cast<int>(pool_y), with_alpha(beam, 210));
    for (int x = 0; x < CONE_SIZE; ++x) {
        const float u = (x + 0.5f - centre) / half;
        if (std::fabs(u) > 1.f) continue;
        const int dy = static_cast<int>(std::lround(9.f * std::sqrt(1.f - u * u)));
        cone.put(x, static_cast<int>(pool_y) + dy, with_alpha(pal::WHITE, 200));
        cone.put(x, static_cast<int>(pool_y) - dy, with_alpha(beam, 200));
    }
    cone.draw(sentinel_head(3), head_x, head_y);
    return cone;
}

Image glyph_picture(int which) {
    static const char* const SHAPES[2][9] = {
        {"..#....", ".#####.", "....#..", "...#...", "#######", "...#...", "..###..", ".#.#.#.", "#..#..#"},
        {"#######", "#.....#", "...#...", "..#.#..", ".#...#.", "#######", "...#...", "...#...", "..#...."},
    };
    Image g(LVL_GLYPH[which].w, LVL_GLYPH[which].h);
    for (int y = 0; y < g.h(); ++y)
        for (int x = 0; x < g.w(); ++x)
            if (SHAPES[which][y][x] == '#')
                g.put(x, y, y < 2 ? pal::CODE_GLOW : (y < 6 ? pal::CODE_BRIGHT : pal::CODE));
    return g;
}

// A soft beam of light sweeping the scene, made of slanting rays as if the sun
// fell through gaps in the clouds: each ray fades smoothly to nothing at the
// band's top and bottom edges and between its neighbours. Never opaque, no
// hard line.
Image bar_picture(const SheetRect& r, Rgba colour, int peak, int seed) {
    Image bar(r.w, r.h);
    for (int y = 0; y < r.h; ++y) {
        const float t = std::fabs(2.f * (y + 0.5f) / static_cast<float>(r.h) - 1.f);
        const float glow = (1.f - t * t) * (1.f - t * t);
        for (int x = 0; x < r.w; ++x) {
            const float slant = static_cast<float>(x + seed) + 1.2f * static_cast<float>(y);
            const float ray = 0.5f + 0.5f * std::sin(slant * 0.16f);
            const float swell = 0.6f + 0.4f * std::sin(slant * 0.021f + 1.f);
            const float a =
                static_cast<float>(peak) * glow * (0.25f + 0.75f * ray * ray * ray) * swell;
            // Dithered, so the faint ends fade out instead of stopping at a step.
            const int alpha = static_cast<int>(a + bayer(x, y));
            bar.put(x, y, with_alpha(colour, std::clamp(alpha, 0, 140)));
        }
    }
    return bar;
}

void confetti(Image& img, Rng& rng, int count, int y_max) {
    const Rgba colours[] = {pal::RED, pal::GOLD, pal::SKY, pal::GRASS, pal::PINK, pal::WHITE, pal::ORANGE};
    for (int i = 0; i < count; ++i) {
        const int x = rng.range(0, SCENE_W - 1), y = rng.range(0, y_max);
        const Rgba c = colours[rng.range(0, 6)];
        if (rng.range(0, 1))
            img.fill(x, y, 3, 2, c);
        else
            img.fill(x, y, 2, 3, c);
    }
}

void balloon(Image& img, float x, float y, Rgba body, Rgba light) {
    line(img, static_cast<int>(x), static_cast<int>(y + 9.f), static_cast<int>(x - 3.f), static_cast<int>(y + 30.f),
         pal::STONE);
    Image b(SCENE_W, SCENE_H);
    ellipse(b, x, y, 7.f, 9.f, body);
    polygon(b, {x - 2.f, y + 10.f, x + 2.f, y + 10.f, x, y + 7.f}, body);
    ellipse(b, x - 2.5f, y - 3.5f, 2.f, 3.f, light);
    outline(b, pal::INK);
    img.draw(b, 0, 0);
}

void podium(Image& img, int x, int top, int w, int bottom, const std::string& place, Rgba face) {
    img.fill(x - 1, top - 1, w + 2, bottom - top + 2, pal::INK);
    img.fill(x, top, w, bottom - top, face);
    img.fill(x, top, w, 2, pal::WHITE);
    img.fill(x + w - 4, top + 2, 4, bottom - top - 2, mix(face, pal::INK, 0.3f));
    // The figure in the middle of the block's face, under its lit edge.
    const int figure = FONT_CAP * 2;
    draw_text_centered(img, x + w / 2, top + 2 + (bottom - top - 2 - figure) / 2, place,
                       plain(pal::INK, 2));
}

// A gold cup with two ring handles on a stem and foot, standing on a wooden plinth.
void trophy(Image& img, float cx, float base) {
    Image t(SCENE_W, SCENE_H);
    const int x = static_cast<int>(cx), b = static_cast<int>(base);
    t.fill(x - 15, b - 9, 30, 9, pal::EARTH);
    t.fill(x - 15, b - 9, 30, 1, pal::CLAY);
    t.fill(x - 6, b - 6, 12, 3, pal::GOLD);
    polygon(t,
            {cx - 10.f, base - 9.f, cx + 10.f, base - 9.f, cx + 5.f, base - 13.f, cx - 5.f,
             base - 13.f},
            pal::AMBER);
    t.fill(x - 2, b - 22, 4, 10, pal::AMBER);
    ellipse(t, cx, base - 17.f, 4.5f, 2.f, pal::GOLD);
    // Handles: rings either side of the bowl.
    const float rim_y = base - 48.f;
    for (int y = b - 48; y < b - 24; ++y)
        for (int side = -1; side <= 1; side += 2)
            for (int dx = 10; dx < 26; ++dx) {
                const float hx = dx - 16.f, hy = y + 0.5f - (base - 39.f);
                const float d2 = hx * hx + hy * hy;
                if (d2 >= 3.5f * 3.5f && d2 <= 6.5f * 6.5f) t.put(x + side * dx, y, pal::AMBER);
            }
    // The bowl: the lower half of a tall ellipse, lit on its left.
    for (int y = static_cast<int>(rim_y); y < b - 20; ++y)
        for (int px = x - 17; px <= x + 17; ++px) {
            const float u = (px + 0.5f - cx) / 16.5f, v = (y + 0.5f - rim_y) / 27.f;
            if (u * u + v * v > 1.f) continue;
            Rgba c = u < -0.55f ? pal::CREAM
                                : (u < -0.25f ? pal::GOLD : (u > 0.6f ? pal::CLAY : pal::AMBER));
            t.put(px, y, c);
        }
    ellipse(t, cx, rim_y, 16.5f, 3.f, pal::GOLD);
    ellipse(t, cx, rim_y, 13.5f, 1.6f, pal::CLAY);
    // A star on its front.
    std::vector<float> star;
    for (int i = 0; i < 10; ++i) {
        const float a = -1.5708f + i * 0.62832f, radius = i % 2 ? 2.6f : 6.f;
        star.push_back(cx + 1.f + std::cos(a) * radius);
        star.push_back(base - 36.f + std::sin(a) * radius);
    }
    polygon(t, star, pal::CREAM);
    outline(t, pal::INK);
    img.draw(t, 0, 0);
}

void firework(Image& img, float cx, float cy, float r, Rgba c, Rgba tip) {
    for (int i = 0; i < 16; ++i) {
        const float a = i * 0.3927f;
        const float x1 = cx + std::cos(a) * r, y1 = cy + std::sin(a) * r;
        line(img, static_cast<int>(cx + std::cos(a) * r * 0.35f), static_cast<int>(cy + std::sin(a) * r * 0.35f),
             static_cast<int>(x1), static_cast<int>(y1), c);
        img.put(static_cast<int>(x1), static_cast<int>(y1), tip);
        img.blend(static_cast<int>(x1), static_cast<int>(y1) + 2, with_alpha(tip, 160));
    }
    disc(img, cx, cy, r * 1.1f, with_alpha(c, 24));
}

Image ending_picture(int difficulty) {
    Image img(SCENE_W, SCENE_H);
    Rng rng(difficulty ? 9102 : 9101);
    const Ground g = rolling_ground(236, 10.f, difficulty ? 77u : 76u);
    // The sun or the moon sits lower than on the race levels: the title has the top.
    const float sky_dy = 62.f;
    const TextStyle body = plain_shadowed(pal::GOLD, pal::INK, 1);
    // The words under the title lie on a dark plate, clear of the confetti.
    auto words = [&img, &body](const char* line1, Rgba colour1, const char* line2) {
        Image plate(SCENE_W, SCENE_H);  // laid over the scene, which shows a little through it
        plaque(plate, 64, 50, 352, 62, with_alpha(pal::NIGHT, 220), pal::GOLD);
        img.draw(plate, 0, 0);
        draw_text_centered(img, 240, 58, line1, plain_shadowed(colour1, pal::INK, 2));
        draw_text_centered(img, 240, 80, line2, body);
        draw_text_centered(img, 240, 96, "Next time, a bonus level waits after level 9!",
                           plain_shadowed(pal::AQUA, pal::INK, 1));
    };
    if (difficulty == 0) {
        paint_scene(img, Scene::Meadow, g, 4100, sky_dy);
        const float balloons[][2] = {{60, 130},  {96, 112},  {392, 124},
                                     {446, 150}, {350, 110}, {130, 150}};
        const Rgba bodies[][2] = {{pal::RED, pal::PINK},    {pal::SKY, pal::ICE},    {pal::GOLD, pal::CREAM},
                                  {pal::VIOLET, pal::PINK}, {pal::GRASS, pal::LIME}, {pal::ORANGE, pal::CREAM}};
        for (int i = 0; i < 6; ++i)
            balloon(img, balloons[i][0], balloons[i][1], bodies[i][0], bodies[i][1]);
        confetti(img, rng, 160, 200);
        // The podium: the player first, the rival of the last levels second.
        podium(img, 200, 196, 80, 240, "1", pal::GOLD);
        podium(img, 126, 212, 74, 240, "2", pal::MIST);
        podium(img, 280, 220, 74, 240, "3", pal::TAN);
        draw_runner(img, 240.f, 195.f, 1.f, 5, 0);
        draw_runner(img, 163.f, 211.f, 1.f, 11, RUNNER_ROW_ENDING);
        draw_runner(img, 317.f, 219.f, 1.f, 2, 3);
        draw_text_centered(
            img, 240, 10, "CONGRATULATIONS!",
            title_style(2, 1, {pal::CREAM, pal::GOLD, pal::AMBER, pal::ORANGE}, pal::WINE));
        words("You outran every watcher!", pal::WHITE, "EASY mode cleared. Now try HARD...");
    } else {
        paint_scene(img, Scene::Town, g, 4200, sky_dy);
        firework(img, 66.f, 130.f, 30.f, pal::PINK, pal::WHITE);
        firework(img, 336.f, 134.f, 24.f, pal::AQUA, pal::WHITE);
        firework(img, 392.f, 182.f, 18.f, pal::GOLD, pal::CREAM);
        firework(img, 130.f, 180.f, 18.f, pal::LIME, pal::WHITE);
        trophy(img, 240.f, static_cast<float>(g.top[240]) + 2.f);
        draw_runner(img, 200.f, static_cast<float>(g.feet(200)), 1.f, 5, 0);
        draw_runner(img, 290.f, static_cast<float>(g.feet(290)), 1.f, 13, RUNNER_ROW_ENDING);
        draw_text_centered(
            img, 240, 10, "CONGRATULATIONS!",
            title_style(2, 1, {pal::WHITE, pal::ICE, pal::AIR, pal::SKY}, pal::NAVY));
        words("HARD mode cleared!", pal::GOLD, "You are the true champion of Pelune.");
    }
    draw_text_centered(img, 240, SCENE_H - 13, "Press Return", plain_shadowed(pal::CREAM, pal::INK, 1));
    return img;
}

}  // namespace

Image sentinel_pole() {
    Image pole(LVL_POLE.w, LVL_POLE.h);
    const int foot = LVL_POLE.h - 5;
    for (int y = 0; y < foot; ++y)
        for (int x = 14; x < 20; ++x) {
            Rgba c = x == 14 ? pal::PALE : (x == 19 ? pal::SLATE : pal::MIST);
            if (y > 36 && ((x + y) / 3) % 2 == 0) c = x == 19 ? pal::AMBER : pal::GOLD;
            if (y > 36 && ((x + y) / 3) % 2 == 1) c = x == 14 ? pal::DUSK : pal::NIGHT;
            pole.put(x, y, c);
        }
    // A collar half-way and the foot plate.
    pole.fill(12, 34, 10, 3, pal::STONE);
    pole.fill(12, 34, 10, 1, pal::PALE);
    pole.fill(9, foot, 16, 5, pal::SLATE);
    pole.fill(9, foot, 16, 1, pal::MIST);
    pole.fill(21, foot + 1, 4, 4, pal::DUSK);
    for (int x = 10; x < 24; x += 5)
        pole.put(x + 1, foot + 2, pal::PALE);
    outline(pole, pal::INK);
    return pole;
}

Image sentinel_head(int state) {
    // Calm grey while idle, amber while it warns (both blink pictures), red only
    // while it watches: the colour alone tells how close the danger is.
    struct Look {
        Rgba shell_dark, shell, shell_light, bulb;
    };
    const Look looks[4] = {
        {pal::SLATE, pal::STONE, pal::MIST, pal::STONE},
        {pal::CLAY, pal::AMBER, pal::GOLD, pal::GOLD},
        {pal::ORANGE, pal::GOLD, pal::CREAM, pal::AMBER},
        {pal::WINE, pal::BRICK, pal::RED, pal::RED},
    };
    const Look& look = looks[state];
    Image head(LVL_HEAD[0].w, LVL_HEAD[0].h);
    const float cx = HEAD_CX, cy = HEAD_CY, r = HEAD_R;
    // Antenna with its signal light.
    capsule(head, cx, cy - r, cx, 5.f, 1.f, pal::DUSK);
    if (state > 0) disc(head, cx, 4.f, 4.5f, with_alpha(look.bulb, 90));
    disc(head, cx, 4.f, 2.6f, look.bulb);
    head.put(static_cast<int>(cx) - 1, 3, pal::WHITE);
    // Ear bolts, shell, highlight.
    disc(head, cx - r, cy + 1.f, 3.5f, look.shell_dark);
    disc(head, cx + r, cy + 1.f, 3.5f, look.shell_dark);
    disc(head, cx, cy, r, look.shell_dark);
    disc(head, cx - 1.5f, cy - 1.5f, r - 2.f, look.shell);
    disc(head, cx - 6.f, cy - 8.f, 4.f, look.shell_light);
    head.put(static_cast<int>(cx) - 7, static_cast<int>(cy) - 10, pal::WHITE);
    // The visor the eyes look through.
    ellipse(head, cx, cy + 3.f, 13.f, 7.f, pal::INK);
    ellipse(head, cx, cy + 3.f, 12.f, 6.f, pal::NIGHT);
    const float ey = cy + 3.f;
    const float eyes[2] = {cx - 6.f, cx + 6.f};
    for (float ex : eyes) {
        const int x = static_cast<int>(ex), y = static_cast<int>(ey);
        switch (state) {
        case 0:  // asleep: closed lids
            head.fill(x - 3, y + 1, 6, 1, pal::STONE);
            head.put(x - 4, y, pal::STONE);
            head.put(x + 3, y, pal::STONE);
            break;
        case 1:  // waking: round yellow eyes
            disc(head, ex, ey, 3.6f, pal::GOLD);
            head.fill(x, y - 1, 2, 2, pal::INK);
            head.put(x - 2, y - 2, pal::WHITE);
            break;
        case 2:  // about to look: wide eyes, pupils small
            disc(head, ex, ey, 4.2f, pal::CREAM);
            head.fill(x, y, 1, 1, pal::INK);
            break;
        default:  // watching: glowing red
            disc(head, ex, ey, 5.f, with_alpha(pal::RED, 120));
            disc(head, ex, ey, 3.8f, pal::RED);
            disc(head, ex, ey, 2.2f, pal::CREAM);
            break;
        }
    }
    outline(head, pal::INK);
    if (state == 0) {
        draw_text(head, 37, 4, "z", plain(pal::PALE, 1));
        draw_text(head, 44, -1, "z", plain(pal::MIST, 1));
    }
    if (state == 2) {
        TextStyle bang = plain(pal::GOLD, 1);
        bang.outline = pal::INK;
        bang.outline_px = 1;
        draw_text(head, 45, 1, "!", bang);
        draw_text(head, 3, 1, "!", bang);
    }
    return head;
}

Image level_sheet() {
    Image sheet(LVL_SHEET_W, LVL_SHEET_H);
    for (const LevelRow& row : LEVEL_TABLE) {
        const Scene scene = scene_of_level(row.number);
        const Ground ground = ground_of(row);
        Image background(SCENE_W, SCENE_H);
        paint_scene(background, scene, ground, 1000u + 97u * static_cast<unsigned>(row.number));
        for (int s = 0; s < row.sentinel_count; ++s)
            paint_plinth(background, scene, row.senti[s].pole_x, row.senti[s].pole_y, ground);
        paint_finish(background, ground);
        sheet.copy(background, 0, band_y(row.band));
        sheet.copy(cone_picture(scene), CONE_SHEET_X, band_y(row.band));
    }
    sheet.copy(ending_picture(0), 0, band_y(BAND_ENDING_EASY));
    sheet.copy(ending_picture(1), 0, band_y(BAND_ENDING_HARD));
    sheet.copy(sentinel_pole(), LVL_POLE.x, LVL_POLE.y);
    for (int state = 0; state < 3; ++state)
        sheet.copy(sentinel_head(state), LVL_HEAD[state].x, LVL_HEAD[state].y);
    for (int i = 0; i < 2; ++i)
        sheet.copy(glyph_picture(i), LVL_GLYPH[i].x, LVL_GLYPH[i].y);
    sheet.copy(bar_picture(LVL_BAR[0], pal::CREAM, 96, 0), LVL_BAR[0].x, LVL_BAR[0].y);
    sheet.copy(bar_picture(LVL_BAR[1], pal::GOLD, 72, 150), LVL_BAR[1].x, LVL_BAR[1].y);
    sheet.copy(bar_picture(LVL_BAR[2], pal::WHITE, 60, 300), LVL_BAR[2].x, LVL_BAR[2].y);
    return sheet;
}
