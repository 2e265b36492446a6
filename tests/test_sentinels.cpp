// Sentinels: set-up from the pole, the state clock over whole cycles, the catch
// test, and what is drawn in each state.
#include <gtest/gtest.h>

#include "fonction.h"
#include "support.h"

namespace {

// Level 1's sentinel: pole at (240, 113), cone from band 0.
void level1_sentinel(Sentinelle* s) {
    Init_baton(s, 240, 113);
    Init_boule(s);
    Init_vision(s, CONE_SHEET_X, 0);
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
    EXPECT_EQ(s.baton.x, 240);
    EXPECT_EQ(s.baton.y, 113);
    EXPECT_EQ(s.baton.dest.x, 240);
    EXPECT_EQ(s.baton.dest.y, 113);
    EXPECT_EQ(s.boule.x, 231);
    EXPECT_EQ(s.boule.y, 98);
    EXPECT_EQ(s.boule.dest.x, 231);
    EXPECT_EQ(s.boule.dest.y, 98);
    EXPECT_EQ(s.vision.x, 152);
    EXPECT_EQ(s.vision.y, 18);
    EXPECT_EQ(s.vision.dest.x, 152);
    EXPECT_EQ(s.vision.dest.y, 18);
    EXPECT_EQ(s.baton.src.x, 480);
    EXPECT_EQ(s.baton.src.y, 216);
    EXPECT_EQ(s.baton.src.w, 32);
    EXPECT_EQ(s.baton.src.h, 56);
    EXPECT_EQ(s.boule.src.x, 512);
    EXPECT_EQ(s.boule.src.y, 219);
    EXPECT_EQ(s.boule.src.w, 52);
    EXPECT_EQ(s.boule.src.h, 53);
    EXPECT_EQ(s.vision.src.x, 480);
    EXPECT_EQ(s.vision.src.y, 0);
    EXPECT_EQ(s.vision.src.w, 210);
    EXPECT_EQ(s.vision.src.h, 210);
    EXPECT_EQ(s.timer, 0);
    EXPECT_EQ(s.state, 2) << "the cone leaves the state alone";
}

// The expected state on race frame f (1-based) of a sentinel with base b, from
// the cycle's timeline: the first cycle lasts b + 250 frames, the later ones
// b + 251, since the clock spends one frame at -20.
int expected_state(int base, int frame) {
    const int first_cycle = base + 250;
    const int t = frame <= first_cycle ? frame : (frame - first_cycle - 1) % (base + 251);
    if (t < base + 5 || t >= base + 175) return 0;
    if (t >= base + 90) return 3;
    return ((t - base - 5) / 5) % 2 == 0 ? 1 : 2;
}

TEST(SentinelClock, BaseTwentyWarnsWatchesAndComesRoundAgainToTheFrame) {
    Sentinelle s{};
    level1_sentinel(&s);
    for (int frame = 1; frame <= 700; ++frame) {
        vision_sys(20, &s);
        const bool warning = (frame >= 25 && frame <= 109) || (frame >= 296 && frame <= 380) ||
                             (frame >= 567 && frame <= 651);
        const bool watching = (frame >= 110 && frame <= 194) || (frame >= 381 && frame <= 465) ||
                              (frame >= 652 && frame <= 736);
        if (warning) {
            ASSERT_TRUE(s.state == 1 || s.state == 2) << "frame " << frame;
        } else if (watching) {
            ASSERT_EQ(s.state, 3) << "frame " << frame;
        } else {
            ASSERT_EQ(s.state, 0) << "frame " << frame;
        }
        ASSERT_EQ(s.state, expected_state(20, frame)) << "frame " << frame;
    }
}

TEST(SentinelClock, WarningBlinksInFiveFrameWindowsStartingAndEndingOnTheFirstPicture) {
    Sentinelle s{};
    level1_sentinel(&s);
    int windows = 0;
    int previous = 0;
    int run = 0;
    for (int frame = 1; frame <= 109; ++frame) {
        vision_sys(20, &s);
        if (frame < 25) continue;
        if (s.state != previous) {
            if (previous != 0) {
                EXPECT_EQ(run, 5) << "window before frame " << frame;
            }
            windows += 1;
            run = 0;
        }
        previous = s.state;
        run += 1;
        if (frame == 25 || frame == 109) {
            EXPECT_EQ(s.state, 1) << "frame " << frame;
        }
    }
    EXPECT_EQ(run, 5);
    EXPECT_EQ(windows, 17);
}

TEST(SentinelClock, BaseZeroCyclesEveryTwoHundredFiftyOneFramesAndWrapsThroughMinusTwenty) {
    Sentinelle s{};
    level1_sentinel(&s);
    for (int frame = 1; frame <= 1100; ++frame) {
        vision_sys(0, &s);
        ASSERT_EQ(s.state, expected_state(0, frame)) << "frame " << frame;
        if (frame == 5) {
            ASSERT_EQ(s.state, 1);
        }
        if (frame == 90) {
            ASSERT_EQ(s.state, 3);
        }
        if (frame == 175) {
            ASSERT_EQ(s.state, 0);
        }
        if (frame == 249) {
            ASSERT_EQ(s.timer, 249);
        }
        if (frame == 250) {
            ASSERT_EQ(s.timer, -20);
        }
        if (frame == 251) {
            ASSERT_EQ(s.timer, 0);
        }
        if (frame == 256) {
            ASSERT_EQ(s.state, 1) << "second warning";
        }
    }
}

TEST(SentinelClock, ALargeBaseOnlyLengthensTheIdleTime) {
    Sentinelle s{};
    level1_sentinel(&s);
    for (int frame = 1; frame <= 604; ++frame) vision_sys(600, &s);
    EXPECT_EQ(s.state, 0);
    vision_sys(600, &s);
    EXPECT_EQ(s.state, 1);
    for (int frame = 606; frame <= 2000; ++frame) {
        vision_sys(600, &s);
        ASSERT_EQ(s.state, expected_state(600, frame)) << "frame " << frame;
    }
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
        EXPECT_EQ(perso.player.aux1, 1) << "no flag is cleared";
        EXPECT_EQ(perso.cpu.aux1, 1);
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
