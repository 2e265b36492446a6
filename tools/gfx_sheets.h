// SPDX-License-Identifier: MIT
// The pictures the generator draws, one function per sheet, plus the pieces
// that more than one sheet shows (the runner, the sentinel).
#ifndef PELUNE_TOOLS_GFX_SHEETS_H
#define PELUNE_TOOLS_GFX_SHEETS_H

#include "gfx_canvas.h"

// A runner of outfit row 0-9 at running frame 0-15, its planted foot's lowest
// pixel on foot_row around column foot_x; `scale` 1 is the game's size.
void draw_runner(Image& img, float foot_x, float foot_row, float scale, int frame, int outfit_row);

// The sentinel: its pole (32x56) and its head (52x53) for states 0 idle,
// 1 and 2 warning, 3 watching (eyes lit, as the vision cone shows it).
Image sentinel_pole();
Image sentinel_head(int state);

Image runner_sheet();  // data/gfx/joueur.png
Image level_sheet();   // data/gfx/lvl.png
Image anim_sheet();    // data/gfx/anim.png
Image menu_sheet();    // data/gfx/menu.png
// The game's icon, `size` px square, transparent around its rounded badge:
// ico.bmp at 32 and the desktop icons/pelune_SIZE.png.
Image icon_picture(int size);
constexpr int ICON_SIZES[] = {32, 48, 64, 128, 256};

#endif
