// SPDX-License-Identifier: MIT
#include "gfx_ui.h"

#include <algorithm>

#include "gfx_palette.h"

void plaque(Image& img, int x, int y, int w, int h, Rgba face, Rgba rim) {
    round_rect(img, x, y, w, h, 5, pal::INK);
    Image inner(w, h);
    round_rect(inner, 2, 2, w - 4, h - 4, 4, rim);
    round_rect(inner, 3, 3, w - 6, h - 6, 3, pal::INK);
    round_rect(inner, 4, 4, w - 8, h - 8, 3, pal::NIGHT);
    // The face replaces the dark fill, so its own alpha shows the race through.
    for (int j = 4; j < h - 4; ++j)
        for (int i = 4; i < w - 4; ++i)
            if (inner.get(i, j).a) inner.put(i, j, j < 7 ? with_alpha(mix(face, pal::WHITE, 0.25f), face.a) : face);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (inner.get(i, j).a) img.put(x + i, y + j, inner.get(i, j));
}

int key_cap(Image& img, int x, int y, int w, const std::string& label) {
    round_rect(img, x, y, w, 15, 2, pal::INK);
    round_rect(img, x + 1, y + 1, w - 2, 13, 1, pal::MIST);
    img.fill(x + 2, y + 2, w - 4, 9, pal::PALE);
    img.fill(x + 2, y + 11, w - 4, 2, pal::STONE);
    draw_text_centered(img, x + w / 2, y + 3, label, plain(pal::INK, 1));
    return w;
}

TextStyle title_style(int scale, int smooth, const std::vector<Rgba>& ramp, Rgba shadow) {
    TextStyle s;
    s.scale = scale;
    s.smooth = smooth;
    s.fill = ramp;
    s.outline = pal::INK;
    s.outline_px = std::max(1, (scale << smooth) / 3);
    s.shadow = shadow;
    s.shadow_dy = std::max(2, (scale << smooth) / 2);
    return s;
}
