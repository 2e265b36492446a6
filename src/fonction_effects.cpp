// SPDX-License-Identifier: MIT
// The screen effects: the starting places of the General record, the bonus
// level's falling glyphs, the race levels' sweeping bars and the rain.
#include "fonction.h"

// clang-format off
// ---- Rain ----
static constexpr int DROP_SPACING = 10;  // drop i stands at x 10 i
static constexpr int DROP_LOWEST = 271;  // below this a drop re-enters at the top
static constexpr int DROP_REENTRY = -6;
static constexpr int DROP_START_Y[DROP_COUNT] = {
    10,  272, 150, 190, 231, 90,  50,  222, 0,   105, 58,  124, 207, 10,  80,  69,   // 0-15
    159, 41,  125, 190, 9,   110, 2,   105, 180, 53,  17,  0,   240, 170, 145, 222,  // 16-31
    7,   58,  21,  151, 270, 8,   218, 161, 13,  436, 40,  211, 206, 0,   151,       // 32-46
};
// These fall one pixel more per frame.
static constexpr int FAST_DROPS[] = {1, 5, 10, 12, 16, 21, 25, 28, 30, 35, 40, 42, 45};

// ---- Bars ----
static constexpr int BAR_START_Y[BAR_COUNT] = {-7, 272, 100};
static constexpr int BAR_TOP = -5;                          // at or above: turn down
static constexpr int BAR_BOTTOM[BAR_COUNT] = {240, 255, 270};  // at or below: turn up
static constexpr int BAR_STEP[BAR_COUNT] = {1, 1, 2};       // pixels per frame

// ---- Glyphs ----
static constexpr int GLYPH_SPACING = 5;  // glyph i falls down column 5 i
static constexpr int GLYPH_STEP = 2;     // pixels per frame
static constexpr int GLYPH_LOWEST = 267;
static constexpr int GLYPH_REENTRY = -5;
static constexpr int GLYPH_START_Y[GLYPH_COUNT] = {
    0,   100, 50,  250, 25,  75,  150, 10,  210, 35,  110, 190, 59,  1,   236, 9,    // 0-15
    73,  126, 111, 19,  90,  199, 170, 102, 209, 260, 145, 112, 0,   15,  245, 36,   // 16-31
    189, 201, 81,  129, 68,  220, 34,  9,   107, 199, 260, 135, 10,  246, 192, 39,   // 32-47
    58,  174, 236, 142, 98,  1,   9,   104, 123, 214, 257, 233, 115, 0,   17,  50,   // 48-63
    150, 137, 197, 6,   76,  200, 250, 37,  86,  100, 185, 214, 200, 145, 245, 49,   // 64-79
    0,   28,  157, 260, 124, 5,   68,  0,   150, 213, 13,  100, 74,  15,  241, 154,  // 80-95
};
// These show the second glyph picture; the others the first.
static constexpr int SECOND_PICTURE_GLYPHS[] = {
    2,  4,  5,  6,  8,  12, 13, 14, 17, 18, 20, 22, 24, 25, 30, 33, 34,
    36, 38, 39, 40, 41, 43, 44, 45, 48, 52, 55, 56, 57, 59, 60, 62, 64,
    67, 71, 72, 73, 74, 77, 79, 81, 82, 84, 86, 88, 89, 91, 92, 93};
static_assert(sizeof(SECOND_PICTURE_GLYPHS) / sizeof(SECOND_PICTURE_GLYPHS[0]) == 50);
// These fall one pixel more per frame.
static constexpr int FAST_GLYPHS[] = {0,  4,  8,  11, 14, 19, 22, 25, 27, 30, 35, 39, 42,
                                      46, 50, 55, 58, 61, 64, 69, 73, 79, 83, 89, 92, 94};
static_assert(sizeof(FAST_GLYPHS) / sizeof(FAST_GLYPHS[0]) == 26);
// clang-format on

void General_Init(General* general) {
    general->difficulty = 0;
    general->screen = SCREEN_MENU;
    general->key_consumed = 0;
    general->level = 0;
    general->rain_on = 0;

    int& i = general->loop_index;
    for (i = 0; i < DROP_COUNT; ++i) {
        Sprite* drop = &general->drops[i];
        drop->src = sdl_rect(ANIM_DROP);
        place_sprite(drop, DROP_SPACING * i, DROP_START_Y[i]);
    }

    // A bar's dest y is written from its y before every draw.
    for (int bar = 0; bar < BAR_COUNT; ++bar) {
        Sprite* sprite = &general->bars[bar];
        sprite->x = 0;
        sprite->dest.x = 0;
        sprite->y = BAR_START_Y[bar];
        sprite->src = sdl_rect(LVL_BAR[bar]);
        general->bar_down[bar] = 1;
    }

    Matrix_Init(general);
}

void Matrix_Init(General* general) {
    int& i = general->loop_index;
    for (i = 0; i < GLYPH_COUNT; ++i) {
        general->glyphs[i].y = GLYPH_START_Y[i];
        general->glyphs[i].src.x = static_cast<Sint16>(LVL_GLYPH[0].x);
    }
    for (int glyph : SECOND_PICTURE_GLYPHS) {
        general->glyphs[glyph].src.x = static_cast<Sint16>(LVL_GLYPH[1].x);
    }
    for (i = 0; i < GLYPH_COUNT; ++i) {
        Sprite* glyph = &general->glyphs[i];
        glyph->src.y = static_cast<Sint16>(LVL_GLYPH[0].y);
        glyph->src.w = static_cast<Uint16>(LVL_GLYPH[0].w);
        glyph->src.h = static_cast<Uint16>(LVL_GLYPH[0].h);
        place_sprite(glyph, GLYPH_SPACING * i, glyph->y);
    }
}

void Blit_Matrix_Effet(General* general, SDL_Surface* screen) {
    int& i = general->loop_index;
    for (i = 0; i < GLYPH_COUNT; ++i) {
        Sprite* glyph = &general->glyphs[i];
        glyph->y += GLYPH_STEP;
        if (glyph->y > GLYPH_LOWEST) glyph->y = GLYPH_REENTRY;
        blit_at_position(general->level_sheet, glyph, screen);
    }
    // The extra pixel is only held against the limit in the next frame.
    for (int glyph : FAST_GLYPHS) general->glyphs[glyph].y += 1;
}

void Blit_BarreEffet(General* general, SDL_Surface* screen) {
    for (int bar = 0; bar < BAR_COUNT; ++bar) {
        const int y = general->bars[bar].y;
        if (y >= BAR_BOTTOM[bar]) {
            general->bar_down[bar] = 0;
        } else if (y <= BAR_TOP) {
            general->bar_down[bar] = 1;
        }
        general->bars[bar].y += general->bar_down[bar] == 1 ? BAR_STEP[bar] : -BAR_STEP[bar];
    }
    // In index order, so a later bar covers an earlier one where they cross.
    for (int bar = 0; bar < BAR_COUNT; ++bar) {
        blit_at_position(general->level_sheet, &general->bars[bar], screen);
    }
}

void Blit_Pluie(General* general, Anim* anim, SDL_Surface* screen) {
    // The main loop sets the latch at the end of the frame: one toggle per press.
    if (key_fresh(general, KEY_RAIN)) general->rain_on = general->rain_on == 1 ? 0 : 1;
    if (general->rain_on != 1) return;

    int& i = general->loop_index;
    for (i = 0; i < DROP_COUNT; ++i) {
        Sprite* drop = &general->drops[i];
        drop->y += 1;
        if (drop->y > DROP_LOWEST) drop->y = DROP_REENTRY;
        blit_at_position(anim->sheet, drop, screen);
    }
    // The extra pixel is only held against the limit in the next frame.
    for (int drop : FAST_DROPS) general->drops[drop].y += 1;
}
