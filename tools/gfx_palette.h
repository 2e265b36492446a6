// SPDX-License-Identifier: MIT
// The one palette every picture of the game is drawn with. Scenes pick their
// colours from these ramps (dark to light), so the levels, menus and banners
// read as one game.
#ifndef PELUNE_TOOLS_GFX_PALETTE_H
#define PELUNE_TOOLS_GFX_PALETTE_H

#include "gfx_canvas.h"

namespace pal {
// Inks and greys (cool, slightly purple).
constexpr Rgba INK = hex(0x140c1c);
constexpr Rgba NIGHT = hex(0x241a33);
constexpr Rgba DUSK = hex(0x3b2f52);
constexpr Rgba SLATE = hex(0x5c5478);
constexpr Rgba STONE = hex(0x8a86a3);
constexpr Rgba MIST = hex(0xbdbacb);
constexpr Rgba PALE = hex(0xe4e2ec);
constexpr Rgba WHITE = hex(0xfbf8ef);
// Blues.
constexpr Rgba NAVY = hex(0x182848);
constexpr Rgba DEEP = hex(0x243f73);
constexpr Rgba BLUE = hex(0x3367ad);
constexpr Rgba SKY = hex(0x5b9ddf);
constexpr Rgba AIR = hex(0x93cdf2);
constexpr Rgba ICE = hex(0xcfeefc);
// Greens.
constexpr Rgba PINE = hex(0x15301d);
constexpr Rgba FOREST = hex(0x24552b);
constexpr Rgba LEAF = hex(0x37813a);
constexpr Rgba GRASS = hex(0x5eb443);
constexpr Rgba LIME = hex(0x9bd95c);
constexpr Rgba SPRING = hex(0xd0f08c);
// Earth and sand.
constexpr Rgba SOIL = hex(0x35211a);
constexpr Rgba EARTH = hex(0x5a3826);
constexpr Rgba CLAY = hex(0x87573a);
constexpr Rgba TAN = hex(0xb98557);
constexpr Rgba SAND = hex(0xdfb77c);
constexpr Rgba DUNE = hex(0xf2dca6);
// Reds, oranges, yellows.
constexpr Rgba WINE = hex(0x561a24);
constexpr Rgba BRICK = hex(0x962c2c);
constexpr Rgba RED = hex(0xd8432f);
constexpr Rgba ORANGE = hex(0xef7a2c);
constexpr Rgba AMBER = hex(0xfbb245);
constexpr Rgba GOLD = hex(0xffdf5e);
constexpr Rgba CREAM = hex(0xfff2b2);
// Purples and pinks.
constexpr Rgba PLUM = hex(0x5d2563);
constexpr Rgba VIOLET = hex(0x8f4598);
constexpr Rgba ORCHID = hex(0xc86cb8);
constexpr Rgba PINK = hex(0xf0a3c9);
// Teals.
constexpr Rgba ABYSS = hex(0x163f48);
constexpr Rgba TEAL = hex(0x24817e);
constexpr Rgba AQUA = hex(0x52cbb7);
constexpr Rgba FOAM = hex(0xa8f0dc);
// Skin.
constexpr Rgba SKIN = hex(0xf0bd94);
constexpr Rgba SKIN_SHADE = hex(0xc5835a);
// Code green of the bonus level.
constexpr Rgba CODE_DARK = hex(0x07170d);
constexpr Rgba CODE_DIM = hex(0x0f3a1c);
constexpr Rgba CODE = hex(0x1f8a3c);
constexpr Rgba CODE_BRIGHT = hex(0x46f07a);
constexpr Rgba CODE_GLOW = hex(0xbcffcf);
}  // namespace pal

#endif
