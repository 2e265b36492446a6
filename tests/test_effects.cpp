// The screen effects: General's starting places, the falling glyphs, the
// sweeping bars and the rain, drawn on an in-memory screen from labelled sheets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "fonction.h"
#include "support.h"

namespace {

constexpr int GLYPH_W = 7;
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
        SDL_FreeSurface(general.level_sheet);
        SDL_FreeSurface(anim.sheet);
        SDL_FreeSurface(screen);
    }

    // The rain as the main loop runs it: the frame, then the key latch.
    void rain_frame() {
        Blit_Pluie(&general, &anim, screen);
        general.key_consumed = general.event.type == SDL_KEYDOWN ? 1 : 0;
    }
    void rain_on() {
        set_key(&general, SDL_KEYDOWN, KEY_RAIN);
        general.key_consumed = 0;
        Blit_Pluie(&general, &anim, screen);  // toggles, moves and draws once
        set_key(&general, SDL_KEYUP, KEY_RAIN);
        general.key_consumed = 0;
    }

    // The visible rows of a sprite drawn at (x, y) from (sx, sy): the blit clips
    // what lies above the top or below the bottom of the screen.
    bool drawn_clipped(int x, int y, int sx, int sy, int w, int h) {
        const int top = std::max(y, 0);
        const int bottom = std::min(y + h, SCREEN_H);
        const int right = std::min(x + w, SCREEN_W);
        if (bottom <= top) return false;
        return block_drawn(screen, x, top, sx, sy + (top - y), right - x, bottom - top);
    }

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
    general.unlock_text[0] = '1';
    general.unlock_file = nullptr;
    const Sprite unused_drop = general.drops[DROP_SLOTS - 1];

    General_Init(&general);

    EXPECT_EQ(general.difficulty, 0);
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.key_consumed, 0);
    EXPECT_EQ(general.level, 0);
    EXPECT_EQ(general.rain_on, 0);
    EXPECT_EQ(general.level_sheet, sheet);
    EXPECT_EQ(general.event.type, SDL_KEYDOWN);
    EXPECT_EQ(general.event.key.keysym.sym, KEY_SPACE);
    EXPECT_EQ(general.unlock, 1);
    EXPECT_EQ(general.unlock_text[0], '1');
    EXPECT_EQ(std::memcmp(&general.drops[DROP_SLOTS - 1], &unused_drop, sizeof unused_drop), 0)
        << "the spare drop slot is never touched";

    const int bar_y[BAR_COUNT] = {-7, 272, 100};
    for (int bar = 0; bar < BAR_COUNT; ++bar) {
        EXPECT_EQ(general.bars[bar].y, bar_y[bar]);
        EXPECT_EQ(general.bar_down[bar], 1);
    }
    // Columns, speeds and pictures in motion are checked frame by frame below.
    int second_picture = 0;
    for (const Sprite& glyph : general.glyphs) second_picture += glyph.src.x == LVL_GLYPH[1].x ? 1 : 0;
    EXPECT_EQ(second_picture, 50);
}

TEST_F(Effects, GlyphsFallTwoOrThreeAndReenterAtMinusFive) {
    // Glyph 0 starts at 0 with the first picture and is fast; glyph 2 (y 50) has the second.
    Blit_Matrix_Effet(&general, screen);
    EXPECT_TRUE(block_drawn(screen, 0, 2, LVL_GLYPH[0].x, LVL_GLYPH[0].y, 5, GLYPH_H));
    EXPECT_EQ(general.glyphs[0].y, 3);
    EXPECT_TRUE(block_drawn(screen, 10, 52, LVL_GLYPH[1].x, LVL_GLYPH[1].y, 5, GLYPH_H));
    EXPECT_EQ(general.glyphs[2].y, 52);

    // Glyph 1 is normal: 266 steps past the limit and is drawn at -5 in the same frame.
    fill(screen, BLACK);
    general.glyphs[1].y = 266;
    general.glyphs[3].y = 265;
    Blit_Matrix_Effet(&general, screen);
    EXPECT_EQ(general.glyphs[1].y, -5);
    EXPECT_TRUE(drawn_clipped(5, -5, LVL_GLYPH[0].x, LVL_GLYPH[0].y, 5, GLYPH_H));
    EXPECT_EQ(pixel_at(screen, 5, 4), BLACK) << "nothing below the clipped glyph";
    EXPECT_EQ(general.glyphs[3].y, 267) << "the lowest place a glyph is drawn";
    EXPECT_TRUE(drawn_clipped(15, 267, LVL_GLYPH[0].x, LVL_GLYPH[0].y, 5, GLYPH_H));

    // A fast glyph left at 266 by its extra pixel goes to 268 and is drawn at -5.
    general.glyphs[0].y = 263;
    Blit_Matrix_Effet(&general, screen);
    EXPECT_EQ(general.glyphs[0].y, 266);
    Blit_Matrix_Effet(&general, screen);
    EXPECT_EQ(general.glyphs[0].y, -4) << "-5 drawn, then its extra pixel";
    EXPECT_TRUE(drawn_clipped(0, -5, LVL_GLYPH[0].x, LVL_GLYPH[0].y, 5, GLYPH_H));
}

TEST_F(Effects, EveryGlyphStaysInItsColumnAndBandOverManyFrames) {
    int fast[GLYPH_COUNT];
    std::fill(fast, fast + GLYPH_COUNT, -1);
    for (int frame = 0; frame < 400; ++frame) {
        int before[GLYPH_COUNT];
        for (int i = 0; i < GLYPH_COUNT; ++i) before[i] = general.glyphs[i].y;
        Blit_Matrix_Effet(&general, screen);
        for (int i = 0; i < GLYPH_COUNT; ++i) {
            const int drawn = before[i] + 2 > 267 ? -5 : before[i] + 2;
            const int extra = general.glyphs[i].y - drawn;
            ASSERT_TRUE(extra == 0 || extra == 1) << "glyph " << i << " frame " << frame;
            if (fast[i] == -1) fast[i] = extra;
            ASSERT_EQ(extra, fast[i]) << "glyph " << i << " changed speed";
            // Glyph i owns columns 5i to 5i + 4: the next one covers the last two.
            ASSERT_TRUE(drawn_clipped(5 * i, drawn, general.glyphs[i].src.x, LVL_GLYPH[0].y, 5, GLYPH_H))
                << "glyph " << i << " frame " << frame;
        }
    }
    EXPECT_EQ(std::count(fast, fast + GLYPH_COUNT, 1), 26);
    // The last glyph hangs two columns off the right edge.
    EXPECT_EQ(general.glyphs[95].dest.x, 475);
}

TEST_F(Effects, BarsTurnAtTheirLimits) {
    // First frame: bar 0 at -6, bar 1 already turned up at 271, bar 2 down to 102.
    Blit_BarreEffet(&general, screen);
    EXPECT_TRUE(drawn_clipped(0, -6, 0, LVL_BAR[0].y, SCREEN_W, LVL_BAR[0].h));
    EXPECT_TRUE(drawn_clipped(0, 271, 0, LVL_BAR[1].y, SCREEN_W, LVL_BAR[1].h));
    EXPECT_TRUE(drawn_clipped(0, 102, 0, LVL_BAR[2].y, SCREEN_W, LVL_BAR[2].h));
    EXPECT_EQ(general.bar_down[1], 0);

    // Bar 2 comes down by 2 to 270, then turns: 268.
    while (general.bars[2].y < 270) Blit_BarreEffet(&general, screen);
    EXPECT_TRUE(drawn_clipped(0, 270, 0, LVL_BAR[2].y, SCREEN_W, LVL_BAR[2].h));
    Blit_BarreEffet(&general, screen);
    EXPECT_EQ(general.bars[2].y, 268);
    EXPECT_TRUE(drawn_clipped(0, 268, 0, LVL_BAR[2].y, SCREEN_W, LVL_BAR[2].h));

    // Bar 0 going up is drawn at -5 and then at -4.
    general.bars[0].y = -4;
    general.bar_down[0] = 0;
    Blit_BarreEffet(&general, screen);
    EXPECT_EQ(general.bars[0].y, -5);
    Blit_BarreEffet(&general, screen);
    EXPECT_EQ(general.bars[0].y, -4);
    EXPECT_EQ(general.bar_down[0], 1);
}

TEST_F(Effects, BarsSweepTheirRangesWithFixedCycles) {
    const int period[BAR_COUNT] = {490, 520, 276};
    const int lowest[BAR_COUNT] = {-5, -5, -6};
    const int highest[BAR_COUNT] = {240, 255, 270};
    const int step[BAR_COUNT] = {1, 1, 2};
    // Past the first sweep every bar is in its steady cycle.
    for (int frame = 0; frame < 600; ++frame) Blit_BarreEffet(&general, screen);
    constexpr int FRAMES = 1100;
    int y[BAR_COUNT][FRAMES];
    for (int frame = 0; frame < FRAMES; ++frame) {
        Blit_BarreEffet(&general, screen);
        for (int bar = 0; bar < BAR_COUNT; ++bar) y[bar][frame] = general.bars[bar].y;
    }
    for (int bar = 0; bar < BAR_COUNT; ++bar) {
        for (int frame = 0; frame + period[bar] < FRAMES; ++frame) {
            ASSERT_EQ(y[bar][frame], y[bar][frame + period[bar]]) << "bar " << bar << " frame " << frame;
        }
        // Within one cycle every place is passed once down and once up, the two
        // turning places once: so the cycle is no shorter and the range exact.
        for (int place = lowest[bar]; place <= highest[bar]; place += step[bar]) {
            const int times = static_cast<int>(std::count(y[bar], y[bar] + period[bar], place));
            const int expected = place == lowest[bar] || place == highest[bar] ? 1 : 2;
            ASSERT_EQ(times, expected) << "bar " << bar << " at " << place;
        }
    }
}

TEST_F(Effects, LaterBarsCoverEarlierOnes) {
    general.bars[0].y = 99;
    general.bars[1].y = 99;
    general.bars[2].y = 98;
    Blit_BarreEffet(&general, screen);
    EXPECT_TRUE(block_drawn(screen, 0, 100, 0, LVL_BAR[2].y, SCREEN_W, LVL_BAR[2].h));
    EXPECT_TRUE(block_drawn(screen, 0, 100 + LVL_BAR[2].h, 0, LVL_BAR[1].y + LVL_BAR[2].h, SCREEN_W,
                            LVL_BAR[1].h - LVL_BAR[2].h));
    EXPECT_TRUE(block_drawn(screen, 0, 100 + LVL_BAR[1].h, 0, LVL_BAR[0].y + LVL_BAR[1].h, SCREEN_W,
                            LVL_BAR[0].h - LVL_BAR[1].h));
}

TEST_F(Effects, RainTogglesOncePerPressHoweverLongHeld) {
    // Off at first: nothing moves or shows.
    rain_frame();
    EXPECT_EQ(general.drops[0].y, 10);
    EXPECT_EQ(pixel_at(screen, 0, 11), BLACK);

    set_key(&general, SDL_KEYDOWN, KEY_RAIN);
    for (int frame = 0; frame < 30; ++frame) {
        rain_frame();
        ASSERT_EQ(general.rain_on, 1) << "held for " << frame + 1 << " frames";
    }
    EXPECT_EQ(general.drops[0].y, 40) << "and falling every frame";
    set_key(&general, SDL_KEYUP, KEY_RAIN);
    rain_frame();
    EXPECT_EQ(general.rain_on, 1);

    set_key(&general, SDL_KEYDOWN, KEY_RAIN);
    rain_frame();
    rain_frame();
    EXPECT_EQ(general.rain_on, 0) << "a second press switches it back off";

    // Off, the drops wait where they are and resume from there.
    const int frozen = general.drops[0].y;
    fill(screen, BLACK);
    set_key(&general, SDL_KEYUP, KEY_RAIN);
    rain_frame();
    EXPECT_EQ(general.drops[0].y, frozen);
    EXPECT_EQ(pixel_at(screen, 0, frozen), BLACK);

    // Another key is not the switch.
    set_key(&general, SDL_KEYDOWN, KEY_SPACE);
    rain_frame();
    EXPECT_EQ(general.rain_on, 0);
}

TEST_F(Effects, FirstRainyFrameWrapsTheDropsStartedPastTheBottom) {
    rain_on();
    // Drops 1 (fast) and 41 (normal) start at 272 and 436.
    EXPECT_TRUE(drawn_clipped(10, -6, ANIM_DROP.x, ANIM_DROP.y, DROP_SIZE, DROP_SIZE));
    EXPECT_TRUE(drawn_clipped(410, -6, ANIM_DROP.x, ANIM_DROP.y, DROP_SIZE, DROP_SIZE));
    EXPECT_EQ(pixel_at(screen, 10, 3), BLACK) << "only the three lowest rows show";
    EXPECT_EQ(general.drops[1].y, -5);
    EXPECT_EQ(general.drops[41].y, -6);
    // Drop 0 from 10, drawn at 11.
    EXPECT_TRUE(drawn_clipped(0, 11, ANIM_DROP.x, ANIM_DROP.y, DROP_SIZE, DROP_SIZE));
}

TEST_F(Effects, FastDropsAreTestedAgainstTheLimitOnlyInTheNextFrame) {
    rain_on();
    // Fast drop 1 at 270: drawn at 271 (its top row), left at 272.
    general.drops[1].y = 270;
    fill(screen, BLACK);
    rain_frame();
    EXPECT_TRUE(drawn_clipped(10, 271, ANIM_DROP.x, ANIM_DROP.y, DROP_SIZE, DROP_SIZE));
    EXPECT_EQ(general.drops[1].y, 272);
    rain_frame();
    EXPECT_TRUE(drawn_clipped(10, -6, ANIM_DROP.x, ANIM_DROP.y, DROP_SIZE, DROP_SIZE));
    EXPECT_EQ(general.drops[1].y, -5);

    // Over many frames every drop keeps its column, its speed and its band.
    int fast[DROP_COUNT];
    std::fill(fast, fast + DROP_COUNT, -1);
    for (int frame = 0; frame < 600; ++frame) {
        int before[DROP_COUNT];
        for (int i = 0; i < DROP_COUNT; ++i) before[i] = general.drops[i].y;
        rain_frame();
        for (int i = 0; i < DROP_COUNT; ++i) {
            const int drawn = before[i] + 1 > 271 ? -6 : before[i] + 1;
            const int extra = general.drops[i].y - drawn;
            ASSERT_TRUE(extra == 0 || extra == 1) << "drop " << i;
            if (fast[i] == -1) fast[i] = extra;
            ASSERT_EQ(extra, fast[i]) << "drop " << i << " changed speed";
            ASSERT_TRUE(drawn_clipped(10 * i, drawn, ANIM_DROP.x, ANIM_DROP.y, DROP_SIZE, DROP_SIZE))
                << "drop " << i << " frame " << frame;
        }
    }
    EXPECT_EQ(std::count(fast, fast + DROP_COUNT, 1), 13);
}

}  // namespace
