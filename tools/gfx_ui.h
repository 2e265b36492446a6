// SPDX-License-Identifier: MIT
// Interface pieces shared by the menus and the banners: framed plaques, key
// caps and the title lettering.
#ifndef PELUNE_TOOLS_GFX_UI_H
#define PELUNE_TOOLS_GFX_UI_H

#include <string>
#include <vector>

#include "gfx_canvas.h"
#include "gfx_font.h"

// A rounded plaque: ink rim, a coloured inner line, a translucent face.
void plaque(Image& img, int x, int y, int w, int h, Rgba face, Rgba rim);
// A key cap with its label, `w` wide; returns the width.
int key_cap(Image& img, int x, int y, int w, const std::string& label);
// Enlarged, rounded, outlined and shaded title letters in the given colours.
TextStyle title_style(int scale, int smooth, const std::vector<Rgba>& ramp, Rgba shadow);

#endif
