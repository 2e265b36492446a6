// SPDX-License-Identifier: MIT
// The asset generator: draws every picture and synthesises every sound the game
// loads, deterministically, from the game's own tables.
#ifndef PELUNE_TOOLS_ASSETS_H
#define PELUNE_TOOLS_ASSETS_H

#include <string>

// Each writes its files under `root` (the game directory: ico.bmp, data/gfx,
// data/music) and returns false, after saying why on standard error, on failure.
bool write_graphics(const std::string& root);
bool write_sounds(const std::string& root);

#endif
