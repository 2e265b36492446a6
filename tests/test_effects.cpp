// The screen effects: General's starting places, the falling glyphs, the
// sweeping bars and the rain, drawn on an in-memory screen from labelled sheets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fonction.h"
#include "support.h"

namespace {

constexpr int GLYPH_H = 9;
constexpr int DROP_SIZE = 9;
// Opaque: the blit keeps the screen's alpha, so a cleared screen must stay opaque.
constexpr Uint32 BLACK = 0xFF000000u;

class Effects : public ::testing::Test {
protected:
    void SetUp() override {
        general.level_sheet = make_sheet(LVL_SHEET_W, LVL_SHEET_H);
        anim.sheet = make_sheet(ANIM_SHEET_W, ANIM_SHEET_H);
        screen = make_surface(SCREEN_W, SCREEN_H);
        General_Init(&general);
    }
    void TearDown() override {
        for (SDL_Surface* s : {general.level_sheet, anim.sheet, screen}) SDL_FreeSurface(s);
    }
    // The rain as the main loop runs it: the frame, then the key latch.
    void rain_frame(Uint8 type = 0, SDLKey key = KEY_RAIN) {
        if (type != 0) set_key(&general, type, key);
        Blit_Pluie(&general, &anim, screen);
        general.key_consumed = general.event.type == SDL_KEYDOWN ? 1 : 0;
    }
    void rain_on() {  // a press of the switch (its frame toggles, moves and draws), then its release
        rain_frame(SDL_KEYDOWN);
        set_key(&general, SDL_KEYUP, KEY_RAIN);
        general.key_consumed = 0;
    }
    // The visible rows of a sprite drawn at (x, y) from (sx, sy): the blit clips
    // what lies above the top or below the bottom of the screen.
    bool drawn_clipped(int x, int y, int sx, int sy, int w, int h) {
        const int top = std::max(y, 0);
        const int bottom = std::min(y + h, SCREEN_H);
        const int right = std::min(x + w, SCREEN_W);
        return bottom > top && block_drawn(screen, x, top, sx, sy + (top - y), right - x, bottom - top);
    }
    // Glyph columns are 5 px apart: the next glyph covers the last two of 7.
    bool glyph_drawn(int x, int y, int picture = 0) {
        return drawn_clipped(x, y, LVL_GLYPH[picture].x, LVL_GLYPH[0].y, 5, GLYPH_H);
    }
    bool bar_drawn(int bar, int y) { return drawn_clipped(0, y, 0, LVL_BAR[bar].y, SCREEN_W, LVL_BAR[bar].h); }
    bool drop_drawn(int x, int y) { return drawn_clipped(x, y, ANIM_DROP.x, ANIM_DROP.y, DROP_SIZE, DROP_SIZE); }

    General general{};
    Anim anim{};
    SDL_Surface* screen = nullptr;
};

TEST_F(Effects, InitResetsGameFieldsButKeepsSheetEventAndUnlock) {
    SDL_Surface* sheet = general.level_sheet;
    std::memset(&general, 0x5a, sizeof general);
    general.level_sheet = sheet;
    set_key(&general, SDL_KEYDOWN, KEY_SPACE);
    general.unlock = 1;
    general.unlock_file = nullptr;
    const Sprite unused_drop = general.drops[DROP_SLOTS - 1];
    General_Init(&general);
    EXPECT_EQ(general.difficulty + general.key_consumed + general.level + general.rain_on, 0);
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.level_sheet, sheet);
    EXPECT_TRUE(general.event.type == SDL_KEYDOWN && general.event.key.keysym.sym == KEY_SPACE);
    EXPECT_EQ(general.unlock, 1);
    EXPECT_EQ(std::memcmp(&general.drops[DROP_SLOTS - 1], &unused_drop, sizeof unused_drop), 0)
        << "the spare drop slot is never touched";
    // Starting places, speeds and pictures in motion are checked frame by frame below.
}

TEST_F(Effects, GlyphsFallTwoOrThreeAndReenterAtMinusFive) {
    // Glyph 0 starts at 0 with the first picture and is fast; glyph 2 (y 50) has the second.
    Blit_Matrix_Effet(&general, screen);
    EXPECT_TRUE(glyph_drawn(0, 2));
    EXPECT_EQ(general.glyphs[0].y, 3);
    EXPECT_TRUE(glyph_drawn(10, 52, 1));
    EXPECT_EQ(general.glyphs[2].y, 52);

    // Glyph 1 is normal: 266 steps past the limit and is drawn at -5 in the same frame.
    fill(screen, BLACK);
    general.glyphs[1].y = 266;
    general.glyphs[3].y = 265;
    Blit_Matrix_Effet(&general, screen);
    EXPECT_EQ(general.glyphs[1].y, -5);
    EXPECT_TRUE(glyph_drawn(5, -5));
    EXPECT_EQ(pixel_at(screen, 5, 4), BLACK) << "nothing below the clipped glyph";
    EXPECT_EQ(general.glyphs[3].y, 267) << "the lowest place a glyph is drawn";
    EXPECT_TRUE(glyph_drawn(15, 267));

    // A fast glyph left at 266 by its extra pixel goes to 268 and is drawn at -5.
    general.glyphs[0].y = 263;
    Blit_Matrix_Effet(&general, screen);
    EXPECT_EQ(general.glyphs[0].y, 266);
    Blit_Matrix_Effet(&general, screen);
    EXPECT_EQ(general.glyphs[0].y, -4) << "-5 drawn, then its extra pixel";
    EXPECT_TRUE(glyph_drawn(0, -5));
}

// Sprites stepping `step` a frame (some one more, tested against the limit only
// in the next frame) past `lowest` to `reentry`: each keeps its column, its
// speed and its picture. Returns how many are fast, -1 after a failure.
template <typename Frame, typename Drawn>
int steady_fall(Sprite* sprites, int n, int frames, int step, int lowest, int reentry, Frame frame, Drawn drawn) {
    std::vector<int> fast(n, -1), before(n);
    for (int f = 0; f < frames; ++f) {
        for (int i = 0; i < n; ++i) before[i] = sprites[i].y;
        frame();
        for (int i = 0; i < n; ++i) {
            const int at = before[i] + step > lowest ? reentry : before[i] + step;
            const int extra = sprites[i].y - at;
            if (fast[i] == -1) fast[i] = extra;
            if ((extra != 0 && extra != 1) || extra != fast[i] || !drawn(i, at)) {
                ADD_FAILURE() << "sprite " << i << " in frame " << f << ": " << extra << " past " << at;
                return -1;
            }
        }
    }
    return static_cast<int>(std::count(fast.begin(), fast.end(), 1));
}

TEST_F(Effects, EveryGlyphStaysInItsColumnSpeedAndPicture) {
    int second[GLYPH_COUNT];
    for (int i = 0; i < GLYPH_COUNT; ++i) second[i] = general.glyphs[i].src.x == LVL_GLYPH[1].x ? 1 : 0;
    EXPECT_EQ(std::count(second, second + GLYPH_COUNT, 1), 50);
    const int fast = steady_fall(
        general.glyphs, GLYPH_COUNT, 400, 2, 267, -5, [&] { Blit_Matrix_Effet(&general, screen); },
        [&](int i, int y) { return glyph_drawn(5 * i, y, second[i]); });
    EXPECT_EQ(fast, 26);
    EXPECT_EQ(general.glyphs[95].dest.x, 475) << "the last glyph hangs two columns off the right edge";
}

TEST_F(Effects, BarsTurnAtTheirLimits) {
    // First frame: bar 0 at -6, bar 1 already turned up at 271, bar 2 down to 102.
    Blit_BarreEffet(&general, screen);
    EXPECT_TRUE(bar_drawn(0, -6) && bar_drawn(1, 271) && bar_drawn(2, 102));
    EXPECT_EQ(general.bar_down[1], 0);
    // Bar 2 comes down by 2 to 270, then turns: 268.
    while (general.bars[2].y < 270) Blit_BarreEffet(&general, screen);
    EXPECT_TRUE(bar_drawn(2, 270));
    Blit_BarreEffet(&general, screen);
    EXPECT_TRUE(bar_drawn(2, 268));
    // Bar 0 going up is drawn at -5 and then at -4.
    general.bars[0].y = -4;
    general.bar_down[0] = 0;
    for (int y : {-5, -4}) {
        Blit_BarreEffet(&general, screen);
        EXPECT_EQ(general.bars[0].y, y);
    }
    EXPECT_EQ(general.bar_down[0], 1);
}

TEST_F(Effects, BarsSweepTheirRangesAtTheirStepsAndLaterBarsCoverEarlierOnes) {
    const int step[BAR_COUNT] = {1, 1, 2};
    std::vector<int> lowest(BAR_COUNT, 999), highest(BAR_COUNT, -999);
    for (int frame = 0; frame < 1200; ++frame) {
        int before[BAR_COUNT];
        for (int bar = 0; bar < BAR_COUNT; ++bar) before[bar] = general.bars[bar].y;
        Blit_BarreEffet(&general, screen);
        for (int bar = 0; bar < BAR_COUNT; ++bar) {
            const int y = general.bars[bar].y;
            ASSERT_EQ(std::abs(y - before[bar]), step[bar]) << "bar " << bar << " frame " << frame;
            if (frame < 600) continue;  // past the first sweep, which starts outside the range
            lowest[bar] = std::min(lowest[bar], y);
            highest[bar] = std::max(highest[bar], y);
        }
    }
    EXPECT_EQ(lowest, (std::vector<int>{-5, -5, -6}));
    EXPECT_EQ(highest, (std::vector<int>{240, 255, 270}));
    general.bars[0].y = general.bars[1].y = 99;
    general.bars[2].y = 98;
    std::fill(general.bar_down, general.bar_down + BAR_COUNT, 1);
    Blit_BarreEffet(&general, screen);  // all three at 100: bar 2 over bar 1 over bar 0
    const int h0 = LVL_BAR[0].h, h1 = LVL_BAR[1].h, h2 = LVL_BAR[2].h;
    EXPECT_TRUE(bar_drawn(2, 100));
    EXPECT_TRUE(block_drawn(screen, 0, 100 + h2, 0, LVL_BAR[1].y + h2, SCREEN_W, h1 - h2));
    EXPECT_TRUE(block_drawn(screen, 0, 100 + h1, 0, LVL_BAR[0].y + h1, SCREEN_W, h0 - h1));
}

TEST_F(Effects, RainTogglesOncePerPressHoweverLongHeld) {
    rain_frame();  // off at first: nothing moves or shows
    EXPECT_EQ(general.drops[0].y, 10);
    EXPECT_EQ(pixel_at(screen, 0, 11), BLACK);
    for (int frame = 0; frame < 30; ++frame) {
        rain_frame(SDL_KEYDOWN);
        ASSERT_EQ(general.rain_on, 1) << "held for " << frame + 1 << " frames";
    }
    EXPECT_EQ(general.drops[0].y, 40) << "and falling every frame";
    rain_frame(SDL_KEYUP);
    EXPECT_EQ(general.rain_on, 1);
    rain_frame(SDL_KEYDOWN);
    rain_frame(SDL_KEYDOWN);
    EXPECT_EQ(general.rain_on, 0) << "a second press switches it back off";
    // Off, the drops wait where they are.
    const int frozen = general.drops[0].y;
    fill(screen, BLACK);
    rain_frame(SDL_KEYUP);
    EXPECT_EQ(general.drops[0].y, frozen);
    EXPECT_EQ(pixel_at(screen, 0, frozen), BLACK);
    rain_frame(SDL_KEYDOWN, KEY_SPACE);
    EXPECT_EQ(general.rain_on, 0) << "another key is not the switch";
}

TEST_F(Effects, FirstRainyFrameWrapsTheDropsStartedPastTheBottom) {
    rain_on();
    // Drops 1 (fast) and 41 (normal) start at 272 and 436.
    EXPECT_TRUE(drop_drawn(10, -6) && drop_drawn(410, -6));
    EXPECT_EQ(pixel_at(screen, 10, 3), BLACK) << "only the three lowest rows show";
    EXPECT_EQ(general.drops[1].y, -5);
    EXPECT_EQ(general.drops[41].y, -6);
    EXPECT_TRUE(drop_drawn(0, 11)) << "drop 0 from 10";
}

TEST_F(Effects, FastDropsAreTestedAgainstTheLimitOnlyInTheNextFrame) {
    rain_on();
    // Fast drop 1 at 270: drawn at 271 (its top row), left at 272, then drawn at -6.
    general.drops[1].y = 270;
    fill(screen, BLACK);
    rain_frame();
    EXPECT_TRUE(drop_drawn(10, 271));
    EXPECT_EQ(general.drops[1].y, 272);
    rain_frame();
    EXPECT_TRUE(drop_drawn(10, -6));
    EXPECT_EQ(general.drops[1].y, -5);
    const int fast = steady_fall(
        general.drops, DROP_COUNT, 600, 1, 271, -6, [&] { rain_frame(); },
        [&](int i, int y) { return drop_drawn(10 * i, y); });
    EXPECT_EQ(fast, 13);
}

}  // namespace
