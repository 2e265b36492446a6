// Sentinels: the state clock over whole cycles, the catch test, and what is drawn
// in each state. (Their set-up from the level table is checked with the levels.)
#include <gtest/gtest.h>

#include <initializer_list>

#include "fonction.h"
#include "support.h"

namespace {

// Level 1's sentinel: pole at (240, 113), cone from band 0.
void level1_sentinel(Sentinelle* s) {
    Init_baton(s, 240, 113);
    Init_boule(s);
    Init_vision(s, CONE_SHEET_X, 0);
}

// Runs the clock of a sentinel with base `base` for `frames` race frames against
// the timeline: each cycle warns from its listed frame for 85 frames (five-frame
// windows of the first and second picture), then watches for 85, then idles.
void expect_cycles(int base, std::initializer_list<int> warnings, int frames) {
    Sentinelle s{};
    s.timer = 55;  // set-up starts the clock again
    level1_sentinel(&s);
    for (int f = 1; f <= frames; ++f) {
        vision_sys(base, &s);
        int expected = 0;
        for (int w : warnings) {
            if (f >= w && f < w + 85) expected = ((f - w) / 5) % 2 == 0 ? 1 : 2;
            if (f >= w + 85 && f < w + 170) expected = 3;
        }
        ASSERT_EQ(s.state, expected) << "base " << base << ", race frame " << f;
    }
}

// The clock wraps at 250 frames past the base to -20, which the next frame turns
// into 0 without counting: a cycle of 251 frames plus the base.
TEST(SentinelClock, WarningAndWatchingComeRoundToTheFrame) {
    expect_cycles(20, {25, 296, 567}, 800);  // warns 25..109, watches 110..194
    expect_cycles(0, {5, 256, 507, 758}, 1000);
    expect_cycles(600, {605, 1456}, 2000);
}

TEST(SentinelCatch, OnlyAWatchingSentinelSendsARunnerWhoseFlagIsOneInTheRangeEndsIncluded) {
    struct Row {
        int state, x, flag, cpu_x, cpu_flag;
        bool player_caught, cpu_caught;
    };
    const Row rows[] = {
        {3, 155, 1, 155, 1, true, true},    {3, 295, 1, 200, 1, true, true},
        {3, 154, 1, 296, 1, false, false},  {3, 296, 1, 154, 1, false, false},
        {0, 200, 1, 200, 1, false, false},  {1, 200, 1, 200, 1, false, false},
        {2, 200, 1, 200, 1, false, false},  {3, 200, 0, 200, 0, false, false},
        {3, 200, 2, 200, 2, false, false},  {3, 200, 1, 100, 1, true, false},
        {3, 100, 0, 200, 1, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << "state " << row.state << " x " << row.x << "/" << row.cpu_x
                                          << " flags " << row.flag << "/" << row.cpu_flag);
        Sentinelle s{};
        s.state = row.state;
        Perso perso{};
        Perso_Init(&perso, row.x, 150);
        perso.player.aux1 = row.flag;
        perso.cpu.x = row.cpu_x;
        perso.cpu.aux1 = row.cpu_flag;
        check_if_see(&s, &perso, 155, 295, -10, 71);
        EXPECT_EQ(perso.player.x, row.player_caught ? -10 : row.x);
        EXPECT_EQ(perso.player.y, row.player_caught ? 71 : 150);
        EXPECT_EQ(perso.cpu.x, row.cpu_caught ? -10 : row.cpu_x);
        EXPECT_EQ(perso.cpu.y, row.cpu_caught ? 70 : 145) << "the computer one pixel higher";
        EXPECT_EQ(perso.player.aux1 + perso.cpu.aux1, row.flag + row.cpu_flag) << "no flag is cleared";
    }
}

TEST(SentinelCatch, OverlappingSentinelsCatchOnceAndTheSecondTestsTheRespawnX) {
    struct Slot {
        int from, to, respawn_x, respawn_y;
    };
    struct Row {
        Slot first, second;
        int x, y;
    };
    const Row rows[] = {
        {{160, 286, -15, 194}, {274, 400, -15, 194}, -15, 194},  // level 4's slots 1 and 2 share 274..286
        {{274, 286, 300, 120}, {290, 400, 10, 60}, 10, 60},      // sent into the second's range, and on
        {{290, 400, 10, 60}, {274, 286, 300, 120}, 300, 120},    // the other way round: the first misses
    };
    for (const Row& row : rows) {
        Sentinelle first{}, second{};
        first.state = second.state = SENTINEL_WATCHING;
        Perso perso{};
        Perso_Init(&perso, 280, 150);
        perso.player.aux1 = 1;
        check_if_see(&first, &perso, row.first.from, row.first.to, row.first.respawn_x, row.first.respawn_y);
        check_if_see(&second, &perso, row.second.from, row.second.to, row.second.respawn_x, row.second.respawn_y);
        EXPECT_EQ(perso.player.x, row.x) << "first range " << row.first.from;
        EXPECT_EQ(perso.player.y, row.y) << "first range " << row.first.from;
        EXPECT_EQ(perso.cpu.x, row.x) << "first range " << row.first.from;
        EXPECT_EQ(perso.cpu.y, row.y - 1) << "first range " << row.first.from;
    }
}

struct Drawing : ::testing::Test {
    void SetUp() override {
        screen = make_surface(SCREEN_W, SCREEN_H);
        general.level_sheet = make_sheet(LVL_SHEET_W, LVL_SHEET_H);
        level1_sentinel(&niveau.senti[0]);
    }
    void TearDown() override {
        SDL_FreeSurface(screen);
        SDL_FreeSurface(general.level_sheet);
    }
    // Draws the slot on a black screen, as a level frame does.
    void draw(Sentinelle* s) {
        fill(screen, 0xFF000000);
        Replace_position(&niveau, &perso);
        blit_sentinelle(s, screen, &general);
    }
    bool head_shows(int state) {
        const SheetRect& r = LVL_HEAD[state];
        return block_drawn(screen, 231, 98, r.x, r.y, r.w, r.h);
    }
    bool cone_shown() { return block_drawn(screen, 152, 18, 480, 0, 210, 210); }
    // The pole's lower part, below the head.
    bool pole_shown() { return block_drawn(screen, 240, 113 + 38, 480, 216 + 38, 32, 56 - 38); }
    SDL_Surface* screen = nullptr;
    General general{};
    Niveau niveau{};
    Perso perso{};
};

TEST_F(Drawing, TheHeadShowsThePreviousDrawsStateAndTheConeReplacesIt) {
    Sentinelle* s = &niveau.senti[0];
    // The state of each draw, and the head it shows (-1: the cone instead).
    const int draws[][2] = {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, -1}, {0, 2}, {0, 0}};
    for (const auto& [state, head] : draws) {
        s->state = state;
        draw(s);
        SCOPED_TRACE(::testing::Message() << "state " << state << " head " << head);
        EXPECT_EQ(cone_shown(), head == -1);
        if (head >= 0) {
            EXPECT_TRUE(head_shows(head) && pole_shown());  // the cone covers both
        }
    }
}

TEST_F(Drawing, AConeHalfOffScreenInAnotherSlotIsDrawnAtTheSamePlaceEveryFrame) {
    // Level 5's first pole stands at (69, 87): its cone starts at (-19, -8).
    Sentinelle* s = &niveau.senti[1];
    Init_baton(s, 69, 87);
    Init_boule(s);
    Init_vision(s, CONE_SHEET_X, 1088);
    s->state = 3;
    for (int frame = 0; frame < 3; ++frame) {
        draw(s);
        ASSERT_TRUE(block_drawn(screen, 0, 0, 480 + 19, 1088 + 8, 210 - 19, 210 - 8)) << "frame " << frame;
    }
}

}  // namespace
