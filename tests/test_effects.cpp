// SPDX-License-Identifier: MIT
// The screen effects: General's starting places, the falling glyphs, the rain and
// the sweeping bars, drawn on an in-memory screen from sheets that name their pixels.
#include <algorithm>
#include <cstring>

#include "fonction.h"
#include "support.h"

namespace {

struct Effects : testing::Test {
    void SetUp() override {
        General_Init(&general), general.level_sheet = make_sheet(LVL_SHEET_W, LVL_SHEET_H);
    }
    void TearDown() override {
        for (SDL_Surface* s : {general.level_sheet, anim.sheet, screen}) SDL_FreeSurface(s);
    }
    bool drawn(int x, int y, int sx, int sy, int w, int h) {  // the visible rows of a sprite
        const int top = std::max(y, 0), bottom = std::min(y + h, SCREEN_H);
        return bottom > top && block_drawn(screen, x, top, sx, sy + top - y, w, bottom - top);
    }
    // Sprites in columns `gap` apart falling `step` a frame (the fast ones one more,
    // held against the limit only in the next frame) past `lowest` back to
    // `reentry`. Returns how many are fast, -1 after a failure.
    template <typename Frame>
    int fall(Sprite* sprites, int n, int gap, int step, int lowest, int reentry, Frame frame) {
        std::vector<int> fast(n, -1), before(n);
        for (int f = 0; f < 600; ++f) {
            for (int i = 0; i < n; ++i) before[i] = sprites[i].y;
            frame();
            for (int i = 0; i < n; ++i) {
                const int at = before[i] + step > lowest ? reentry : before[i] + step,
                          extra = sprites[i].y - at;
                fast[i] = fast[i] == -1 ? extra : fast[i];
                if (extra >> 1 == 0 && extra == fast[i] &&
                    drawn(gap * i, at, sprites[i].src.x, sprites[i].src.y, 5, 9))
                    continue;
                ADD_FAILURE() << "sprite " << i << " in frame " << f << ": " << extra << " past "
                              << at;
                return -1;
            }
        }
        return std::count(fast.begin(), fast.end(), 1);
    }
    General general{};
    Anim anim{{}, {}, {}, {}, {}, 0, 0, 0, make_sheet(ANIM_SHEET_W, ANIM_SHEET_H)};
    SDL_Surface* screen = make_surface(SCREEN_W, SCREEN_H);
};

// The start places checked by their sum and index-weighted sum, from the design.
TEST_F(Effects, InitResetsTheGameFieldsAndPlacesTheEffectsButKeepsTheUnlock) {
    std::memset(&general, 0x5a, offsetof(General, level_sheet));
    general.unlock = 1;
    General_Init(&general);
    EXPECT_TRUE(general.difficulty + general.key_consumed + general.level + general.rain_on == 0 &&
                general.screen == SCREEN_MENU && general.unlock == 1);
    long sums[4] = {};
    for (int i = 0; i < GLYPH_COUNT; ++i)
        sums[0] += general.glyphs[i].y, sums[1] += i * general.glyphs[i].y;
    for (int i = 0; i < DROP_COUNT; ++i)
        sums[2] += general.drops[i].y, sums[3] += i * general.drops[i].y;
    EXPECT_TRUE(sums[0] == 11251 && sums[1] == 545662 && sums[2] == 5587 && sums[3] == 132922);
}

TEST_F(Effects, GlyphsAndDropsFallInTheirColumnsAndComeBackAtTheTop) {
    EXPECT_EQ(fall(general.glyphs, GLYPH_COUNT, 5, 2, 267, -5,
                   [&] { Blit_Matrix_Effet(&general, screen); }),
              26);
    general.rain_on = 1;
    EXPECT_EQ(fall(general.drops, DROP_COUNT, 10, 1, 271, -6,
                   [&] { Blit_Pluie(&general, &anim, screen); }),
              13);
}

TEST_F(Effects, BarsSweepTheirRangesAtTheirSteps) {
    auto bar = [&](int i, int y) { return drawn(0, y, 0, LVL_BAR[i].y, 480, LVL_BAR[i].h); };
    Blit_BarreEffet(&general, screen);
    EXPECT_TRUE(bar(0, -6) && bar(1, 271) && bar(2, 102)) << "bar 1 turned up at once";
    std::vector<int> low(3, 999), high(3, -999);
    for (int frame = 0; frame < 1200; ++frame) {
        const int before[] = {general.bars[0].y, general.bars[1].y, general.bars[2].y};
        Blit_BarreEffet(&general, screen);
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(std::abs(general.bars[i].y - before[i]), i == 2 ? 2 : 1) << "bar " << i;
            low[i] = std::min(low[i], frame > 600 ? general.bars[i].y : 999);
            high[i] = std::max(high[i], frame > 600 ? general.bars[i].y : -999);
        }
    }
    EXPECT_TRUE(low == (std::vector<int>{-5, -5, -6}) && high == (std::vector<int>{240, 255, 270}));
}

}  // namespace
