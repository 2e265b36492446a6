// SPDX-License-Identifier: MIT
// The game's bitmap font: 5x7 capitals and digits, lower case with descenders
// (9 rows a line), drawn here pixel by pixel. Titles are the same letters
// enlarged, rounded with Scale2x, outlined and shaded.
#ifndef PELUNE_TOOLS_GFX_FONT_H
#define PELUNE_TOOLS_GFX_FONT_H

#include <string>
#include <vector>

#include "gfx_canvas.h"

// Extra symbols, written as these bytes in strings.
#define GLYPH_RIGHT "\x01"
#define GLYPH_LEFT "\x02"
#define GLYPH_UP "\x03"
#define GLYPH_DOWN "\x04"

constexpr int FONT_LINE = 9;  // rows of a text line at scale 1
constexpr int FONT_CAP = 7;   // rows of a capital

struct TextStyle {
    int scale = 1;           // nearest-neighbour enlargement
    int smooth = 0;          // Scale2x passes after it (each doubles the size)
    std::vector<Rgba> fill;  // top to bottom; one colour is a flat fill
    Rgba outline{};          // used when outline_px > 0
    int outline_px = 0;
    Rgba shadow{};  // used when shadow_dx or shadow_dy is not 0
    int shadow_dx = 0, shadow_dy = 0;
    int factor() const { return scale << smooth; }
};

TextStyle plain(Rgba colour, int scale = 1);
TextStyle plain_shadowed(Rgba colour, Rgba shadow, int scale = 1);

// The bare letters at scale 1, one pixel between glyphs.
Mask text_mask(const std::string& text);
// Draws with the letter box's top left at (x, y); returns the width drawn.
int draw_text(Image& img, int x, int y, const std::string& text, const TextStyle& style);
int draw_text_centered(Image& img, int centre_x, int y, const std::string& text, const TextStyle& style);

#endif
