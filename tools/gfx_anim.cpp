// SPDX-License-Identifier: MIT
// The anim sheet: countdown lights, the banners drawn over the race, the
// curtain slat, the rain drop and the volume picture.
#include <cmath>

#include "gfx_font.h"
#include "gfx_palette.h"
#include "gfx_sheets.h"
#include "gfx_ui.h"
#include "tables.h"

namespace {

// A round signal light with its number, like the lamps at a start line.
Image countdown_picture(const SheetRect& r, const std::string& text, const std::vector<Rgba>& ramp, Rgba lamp) {
    Image img(r.w, r.h);
    const float cx = r.w / 2.f, cy = r.h / 2.f;
    disc(img, cx, cy, 62.f, with_alpha(lamp, 60));
    disc(img, cx, cy, 56.f, pal::INK);
    disc(img, cx, cy, 54.f, mix(lamp, pal::INK, 0.35f));
    disc(img, cx, cy, 50.f, with_alpha(pal::NIGHT, 255));
    disc(img, cx, cy, 47.f, mix(lamp, pal::NIGHT, 0.7f));
    // A glint on the glass.
    ellipse(img, cx - 22.f, cy - 28.f, 9.f, 5.f, with_alpha(pal::WHITE, 70));
    const TextStyle style = title_style(3, 2, ramp, pal::INK);
    const int caps = FONT_CAP * style.factor();
    draw_text_centered(img, static_cast<int>(cx), static_cast<int>(cy) - caps / 2 - 2, text, style);
    return img;
}

Image go_picture(const SheetRect& r) {
    Image img(r.w, r.h);
    const float cx = r.w / 2.f, cy = r.h / 2.f;
    // A burst of rays behind the word.
    std::vector<float> star;
    for (int i = 0; i < 32; ++i) {
        const float a = i * 3.14159265f / 16.f;
        const float radius = i % 2 ? 38.f : 64.f;
        star.push_back(cx + std::cos(a) * radius * 2.2f);
        star.push_back(cy + std::sin(a) * radius);
    }
    polygon(img, star, with_alpha(pal::ORANGE, 150));
    ellipse(img, cx, cy, 100.f, 40.f, with_alpha(pal::GOLD, 120));
    const TextStyle style = title_style(3, 2, {pal::WHITE, pal::SPRING, pal::LIME, pal::GRASS}, pal::FOREST);
    const int caps = FONT_CAP * style.factor();
    // The word on its own first, so the holes of the G and the O can be filled:
    // nothing of the race shows through them.
    Image word(r.w, r.h);
    draw_text_centered(word, static_cast<int>(cx), static_cast<int>(cy) - caps / 2 - 3, "GO!",
                       style);
    fill_holes(word, pal::FOREST);
    img.draw(word, 0, 0);
    return img;
}

// A framed message over the race: a title and up to two lines.
Image banner_picture(const SheetRect& r, const std::string& title, const std::vector<Rgba>& ramp, Rgba rim,
                     const std::string& line1, const std::string& line2) {
    Image img(r.w, r.h);
    plaque(img, 0, 0, r.w, r.h, with_alpha(pal::NIGHT, 215), rim);
    const int cx = r.w / 2;
    draw_text_centered(img, cx, 16, title, title_style(2, 1, ramp, pal::INK));
    // A rule under the title.
    img.fill(cx - 120, 56, 240, 1, with_alpha(rim, 180));
    img.fill(cx - 3, 54, 6, 5, rim);
    draw_text_centered(img, cx, 66, line1, plain_shadowed(pal::WHITE, pal::INK, 1));
    draw_text_centered(img, cx, r.h - 34, line2, plain_shadowed(pal::GOLD, pal::INK, 2));
    return img;
}

Image curtain_picture(const SheetRect& r) {
    Image img(r.w, r.h);
    // One slat of the shutter that opens on every race: lit top edge, shaded belly.
    dither_ramp(img, 0, 0, r.w - 1, r.h - 1, {pal::VIOLET, pal::PLUM, pal::DUSK, pal::NIGHT});
    img.fill(0, 0, r.w, 1, pal::ORCHID);
    img.fill(0, 1, r.w, 1, pal::PINK);
    img.fill(0, r.h - 2, r.w, 1, pal::INK);
    img.fill(0, r.h - 1, r.w, 1, pal::INK);
    // A row of little diamonds with gold studs.
    for (int x = 12; x < r.w; x += 24) {
        polygon(img, {x + 0.f, 4.f, x + 6.f, 10.f, x + 0.f, 16.f, x - 6.f, 10.f}, pal::DUSK);
        polygon(img, {x + 0.f, 5.f, x + 5.f, 10.f, x + 0.f, 15.f, x - 5.f, 10.f}, pal::PLUM);
        img.put(x, 9, pal::GOLD);
        img.put(x, 10, pal::AMBER);
        img.put(x - 1, 9, pal::CREAM);
    }
    return img;
}

Image drop_picture(const SheetRect& r) {
    Image img(r.w, r.h);
    // A streak slanting down to the left, the whole height of the picture: a pale
    // core that shows on caves and night skies, a dark edge on its right that
    // shows on bright skies and snow. Its head, at the bottom, is the brightest.
    for (int y = 0; y < r.h; ++y) {
        const int x = r.w - 3 - y * (r.w - 4) / (r.h - 1);
        const int strength = 70 + 185 * y / (r.h - 1);
        img.put(x, y, with_alpha(y >= r.h - 2 ? pal::WHITE : pal::ICE, strength));
        img.put(x + 1, y, with_alpha(pal::NAVY, strength * 2 / 3));
    }
    return img;
}

// A loudspeaker in an 18x14 box; struck through in red while muted.
void speaker(Image& img, int x, int y, bool muted) {
    img.fill(x + 1, y + 4, 4, 6, pal::CREAM);
    polygon(img, {x + 5.f, y + 4.f, x + 9.f, y + 0.f, x + 9.f, y + 14.f, x + 5.f, y + 10.f},
            pal::CREAM);
    if (muted) {
        capsule(img, x + 11.f, y + 3.f, x + 16.f, y + 10.f, 1.f, pal::RED);
        capsule(img, x + 16.f, y + 3.f, x + 11.f, y + 10.f, 1.f, pal::RED);
        return;
    }
    img.fill(x + 11, y + 5, 1, 4, pal::ICE);
    img.fill(x + 14, y + 3, 1, 8, with_alpha(pal::ICE, 180));
}

Image volume_plate(const SheetRect& r) {
    Image img(r.w, r.h);
    plaque(img, 0, 0, r.w, r.h, with_alpha(pal::NIGHT, 220), pal::AQUA);
    speaker(img, VOLUME_SPEAKER_X, VOLUME_SPEAKER_Y, false);
    return img;
}

Image volume_notch(const SheetRect& r, bool lit) {
    Image img(r.w, r.h);
    if (lit) {
        dither_ramp(img, 0, 0, r.w - 1, r.h - 1, {pal::WHITE, pal::FOAM, pal::AQUA, pal::TEAL});
    } else {
        img.fill(0, 0, r.w, r.h, pal::SLATE);
        img.fill(1, 1, r.w - 2, r.h - 2, pal::INK);
    }
    return img;
}

Image volume_muted(const SheetRect& r) {
    Image img(r.w, r.h);
    img.fill(0, 0, r.w, r.h, pal::NIGHT);  // hides the plate's own speaker
    speaker(img, 0, 0, true);
    return img;
}

}  // namespace

Image anim_sheet() {
    Image sheet(ANIM_SHEET_W, ANIM_SHEET_H);
    const auto put = [&sheet](const SheetRect& r, const Image& img) { sheet.copy(img, r.x, r.y); };
    put(ANIM_COUNT3, countdown_picture(ANIM_COUNT3, "3", {pal::CREAM, pal::ORANGE, pal::RED, pal::BRICK}, pal::RED));
    put(ANIM_COUNT2, countdown_picture(ANIM_COUNT2, "2", {pal::CREAM, pal::GOLD, pal::AMBER, pal::ORANGE}, pal::AMBER));
    put(ANIM_COUNT1, countdown_picture(ANIM_COUNT1, "1", {pal::WHITE, pal::SPRING, pal::LIME, pal::GRASS}, pal::GRASS));
    put(ANIM_GO, go_picture(ANIM_GO));
    put(ANIM_PAUSE, banner_picture(ANIM_PAUSE, "PAUSE", {pal::WHITE, pal::ICE, pal::AIR, pal::SKY}, pal::SKY,
                                   "Return: leave the race for the menu", "Space: go on"));
    put(ANIM_WON,
        banner_picture(ANIM_WON, "YOU WIN!", {pal::CREAM, pal::GOLD, pal::AMBER, pal::ORANGE},
                       pal::GOLD, "First to the flag, and nobody saw a thing.", "Return: go on"));
    put(ANIM_LOST, banner_picture(ANIM_LOST, "YOU LOSE", {pal::PINK, pal::RED, pal::BRICK, pal::WINE}, pal::RED,
                                  "Your rival reached the flag first.", "Return: try again   Space: menu"));
    put(ANIM_FALSE_START,
        banner_picture(ANIM_FALSE_START, "FALSE START!", {pal::CREAM, pal::AMBER, pal::ORANGE, pal::RED}, pal::ORANGE,
                       "You ran before GO! Your legs are tied a moment.", "Wait..."));
    put(ANIM_CURTAIN, curtain_picture(ANIM_CURTAIN));
    put(ANIM_DROP, drop_picture(ANIM_DROP));
    put(ANIM_VOLUME_PLATE, volume_plate(ANIM_VOLUME_PLATE));
    put(ANIM_VOLUME_LIT, volume_notch(ANIM_VOLUME_LIT, true));
    put(ANIM_VOLUME_DIM, volume_notch(ANIM_VOLUME_DIM, false));
    put(ANIM_VOLUME_MUTED, volume_muted(ANIM_VOLUME_MUTED));
    return sheet;
}
