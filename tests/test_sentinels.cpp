// Sentinels: set-up from the pole, the state clock over whole cycles, the catch
// test, and what is drawn in each state.
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

bool same(const SDL_Rect& r, SheetRect expected) {
    return r.x == expected.x && r.y == expected.y && r.w == expected.w && r.h == expected.h;
}

TEST(SentinelSetUp, HeadAndConeArePlacedFromThePole) {
    Niveau niveau{};
    niveau.senti[0].state = 3;
    niveau.senti[4].state = 2;
    niveau.senti[2].timer = 77;
    Senti_Activation_Init(&niveau);
    for (const Sentinelle& s : niveau.senti) EXPECT_EQ(s.state, 0);
    EXPECT_EQ(niveau.senti[2].timer, 77) << "only the states";

    Sentinelle& s = niveau.senti[0];
    s.timer = 55;
    s.state = 2;
    level1_sentinel(&s);
    const Sprite* pieces[] = {&s.baton, &s.boule, &s.vision};
    const int places[][2] = {{240, 113}, {231, 98}, {152, 18}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pieces[i]->x, places[i][0]) << "piece " << i;
        EXPECT_EQ(pieces[i]->y, places[i][1]) << "piece " << i;
        EXPECT_EQ(pieces[i]->dest.x, places[i][0]) << "piece " << i;
        EXPECT_EQ(pieces[i]->dest.y, places[i][1]) << "piece " << i;
    }
    EXPECT_TRUE(same(s.baton.src, {480, 216, 32, 56}));
    EXPECT_TRUE(same(s.boule.src, {512, 219, 52, 53}));
    EXPECT_TRUE(same(s.vision.src, {480, 0, 210, 210}));
    EXPECT_EQ(s.timer, 0);
    EXPECT_EQ(s.state, 2) << "the cone leaves the state alone";
}

// Runs the clock of a sentinel with base `base` for `frames` race frames against
// the timeline: each cycle warns from its listed frame for 85 frames (five-frame
// windows of the first and second picture), then watches for 85, then idles.
void expect_cycles(int base, std::initializer_list<int> warnings, int frames) {
    Sentinelle s{};
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

TEST(SentinelClock, WarningAndWatchingComeRoundToTheFrame) {
    expect_cycles(20, {25, 296, 567}, 800);  // warns 25..109, watches 110..194
    expect_cycles(0, {5, 256, 507, 758}, 1000);
    expect_cycles(600, {605, 1456}, 2000);
}

TEST(SentinelClock, TheClockWrapsThroughMinusTwentyWithoutCountingFromIt) {
    Sentinelle s{};
    level1_sentinel(&s);
    for (int f = 1; f <= 249; ++f) vision_sys(0, &s);
    EXPECT_EQ(s.timer, 249);
    vision_sys(0, &s);
    EXPECT_EQ(s.timer, -20);
    EXPECT_EQ(s.state, 0);
    vision_sys(0, &s);
    EXPECT_EQ(s.timer, 0);
    vision_sys(0, &s);
    EXPECT_EQ(s.timer, 1);
}

struct Catch : ::testing::Test {
    void SetUp() override {
        Perso_Init(&perso, 0, 173);
        s.state = SENTINEL_WATCHING;
    }
    Sentinelle s{};
    Perso perso{};
};

TEST_F(Catch, TheWatchedRangeIncludesBothEnds) {
    const int caught[] = {155, 200, 295};
    for (int x : caught) {
        Perso_Init(&perso, x, 150);
        perso.player.aux1 = 1;
        check_if_see(&s, &perso, 155, 295, -10, 71);
        EXPECT_EQ(perso.player.x, -10) << "x " << x;
        EXPECT_EQ(perso.player.y, 71);
        EXPECT_EQ(perso.cpu.x, -10) << "x " << x;
        EXPECT_EQ(perso.cpu.y, 70) << "the computer one pixel higher";
        EXPECT_EQ(perso.player.aux1 + perso.cpu.aux1, 2) << "no flag is cleared";
    }
    const int outside[] = {154, 296};
    for (int x : outside) {
        Perso_Init(&perso, x, 150);
        perso.player.aux1 = 1;
        check_if_see(&s, &perso, 155, 295, -10, 71);
        EXPECT_EQ(perso.player.x, x);
        EXPECT_EQ(perso.cpu.x, x);
    }
}

TEST_F(Catch, OnlyAWatchingSentinelSeesAndOnlyAFlagOfExactlyOne) {
    for (int state = 0; state <= 2; ++state) {
        s.state = state;
        Perso_Init(&perso, 200, 150);
        perso.player.aux1 = 1;
        check_if_see(&s, &perso, 155, 295, 0, 173);
        EXPECT_EQ(perso.player.x, 200) << "state " << state;
        EXPECT_EQ(perso.cpu.x, 200) << "state " << state;
    }
    s.state = SENTINEL_WATCHING;
    const int flags[] = {0, 2};
    for (int flag : flags) {
        Perso_Init(&perso, 200, 150);
        perso.player.aux1 = flag;
        perso.cpu.aux1 = flag;
        check_if_see(&s, &perso, 155, 295, 0, 173);
        EXPECT_EQ(perso.player.x, 200) << "flag " << flag;
        EXPECT_EQ(perso.cpu.x, 200) << "flag " << flag;
    }
    // Each runner on its own.
    Perso_Init(&perso, 200, 150);
    perso.cpu.x = 100;
    perso.player.aux1 = 1;
    check_if_see(&s, &perso, 155, 295, 0, 173);
    EXPECT_EQ(perso.player.x, 0);
    EXPECT_EQ(perso.cpu.x, 100);
}

TEST_F(Catch, OverlappingSentinelsCatchOnceAndTheSecondTestsTheRespawnX) {
    // Level 4's slots 1 and 2 share 274..286.
    Sentinelle slot1{};
    Sentinelle slot2{};
    slot1.state = SENTINEL_WATCHING;
    slot2.state = SENTINEL_WATCHING;
    Perso_Init(&perso, 280, 150);
    perso.player.aux1 = 1;
    check_if_see(&slot1, &perso, 160, 286, -15, 194);
    check_if_see(&slot2, &perso, 274, 400, -15, 194);
    EXPECT_EQ(perso.player.x, -15);
    EXPECT_EQ(perso.player.y, 194);
    EXPECT_EQ(perso.cpu.y, 193);

    // When the first sends the runner into the second's range, the second, which
    // still sees a flag of 1, sends it on.
    Perso_Init(&perso, 280, 150);
    perso.player.aux1 = 1;
    check_if_see(&slot1, &perso, 274, 286, 300, 120);
    check_if_see(&slot2, &perso, 290, 400, 10, 60);
    EXPECT_EQ(perso.player.x, 10);
    EXPECT_EQ(perso.player.y, 60);
    EXPECT_EQ(perso.cpu.x, 10);
    EXPECT_EQ(perso.cpu.y, 59);
    // The same two the other way round: the second range is tested first and misses.
    Perso_Init(&perso, 280, 150);
    perso.player.aux1 = 1;
    check_if_see(&slot2, &perso, 290, 400, 10, 60);
    check_if_see(&slot1, &perso, 274, 286, 300, 120);
    EXPECT_EQ(perso.player.x, 300);
    EXPECT_EQ(perso.player.y, 120);
}

struct Drawing : ::testing::Test {
    void SetUp() override {
        screen = make_surface(SCREEN_W, SCREEN_H);
        general.level_sheet = make_sheet(LVL_SHEET_W, LVL_SHEET_H);
        Senti_Activation_Init(&niveau);
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
        return block_drawn(screen, 231, 98, LVL_HEAD[state].x, LVL_HEAD[state].y, LVL_HEAD[state].w,
                           LVL_HEAD[state].h);
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
    draw(s);
    EXPECT_TRUE(pole_shown());
    EXPECT_TRUE(head_shows(0));
    EXPECT_FALSE(cone_shown());

    s->state = 1;
    draw(s);
    EXPECT_TRUE(head_shows(0)) << "one draw behind";
    draw(s);
    EXPECT_TRUE(head_shows(1));
    s->state = 2;
    draw(s);
    EXPECT_TRUE(head_shows(1));
    draw(s);
    EXPECT_TRUE(head_shows(2));

    s->state = 3;
    draw(s);
    EXPECT_TRUE(cone_shown()) << "no head over the cone";
    EXPECT_EQ(s->boule.src.x, LVL_HEAD[2].x) << "the head keeps its last picture";

    s->state = 0;
    draw(s);
    EXPECT_TRUE(head_shows(2));
    EXPECT_FALSE(cone_shown());
    draw(s);
    EXPECT_TRUE(head_shows(0));
}

TEST_F(Drawing, AConeHalfOffScreenIsDrawnAtTheSamePlaceEveryFrame) {
    // Level 5's first pole stands at (69, 87): its cone starts at (-19, -8).
    Sentinelle* s = &niveau.senti[1];
    Init_baton(s, 69, 87);
    Init_boule(s);
    Init_vision(s, CONE_SHEET_X, 1088);
    s->state = 3;
    for (int frame = 0; frame < 3; ++frame) {
        draw(s);
        ASSERT_TRUE(block_drawn(screen, 0, 0, 480 + 19, 1088 + 8, 210 - 19, 210 - 8))
            << "frame " << frame;
    }
}

}  // namespace
