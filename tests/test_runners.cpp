// Runners: start points, the clamp and draw rectangles, the running cycle, the
// held-key step and the false-start penalty, the computer's nerve, the slopes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "fonction.h"
#include "support.h"

namespace {

struct Runners : ::testing::Test {
    void SetUp() override {
        screen = make_surface(SCREEN_W, SCREEN_H);
        perso.sheet = make_sheet(RUNNER_SHEET_W, RUNNER_SHEET_H);
        anim.sheet = make_sheet(ANIM_SHEET_W, ANIM_SHEET_H);
        Anim_Init(&anim);
        Perso_Init(&perso, START_X, START_Y_MENU);
        general.level = 1;
    }
    void TearDown() override {
        SDL_FreeSurface(screen);
        SDL_FreeSurface(perso.sheet);
        SDL_FreeSurface(anim.sheet);
    }
    // The runners' share of a race frame of level 1, latch included.
    void race_frame() {
        Replace_position(&niveau, &perso);
        perso_anim(&perso, screen, &general);
        check_malus(&general, &perso, &anim, screen);
        stop_cpu(&general, &perso, &niveau);
        if (perso.cpu.aux1 == 1) perso.cpu.x += 1;
        for (const Segment& s : SLOPES_1) follow_the_line(&general, &perso, s.from, s.to, s.dy);
        general.key_consumed = general.event.type == SDL_KEYDOWN ? 1 : 0;
    }
    SDL_Surface* screen = nullptr;
    General general{};
    Anim anim{};
    Perso perso{};
    Niveau niveau{};
};

TEST_F(Runners, StartPointPutsTheComputerFiveHigherAndClearsTheRace) {
    SDL_Surface* sheet = perso.sheet;
    perso = {{}, {{}, {}, 0, 0, 0, 2}, sheet, 9, 1, 40};
    perso.player.aux1 = 1;
    Perso_Init(&perso, -15, 71);
    EXPECT_EQ(perso.player.x, -15);
    EXPECT_EQ(perso.player.y, 71);
    EXPECT_EQ(perso.cpu.x, -15);
    EXPECT_EQ(perso.cpu.y, 66);
    EXPECT_EQ(perso.player.aux1, 0);
    EXPECT_EQ(perso.cpu.aux1, 1);
    EXPECT_EQ(perso.cpu.aux2, 0);
    EXPECT_EQ(perso.frame + perso.malus + perso.malus_timer, 0);
    EXPECT_EQ(perso.player.src.y, 0);
    EXPECT_EQ(perso.cpu.src.y, 50);
    EXPECT_EQ(perso.sheet, sheet);
}

TEST_F(Runners, ReplacePositionClampsAndRewritesEveryDrawRectangle) {
    perso.player.x = 460;
    perso.player.y = 120;
    perso.cpu.x = 453;
    perso.cpu.y = 115;
    for (int k = 0; k < SENTINEL_SLOTS; ++k) {
        Sentinelle& s = niveau.senti[k];
        s.baton = {{0, 0, 0, 0}, {}, 10 * k, 20 * k, 0, 0};
        s.boule = {{0, 0, 0, 0}, {}, 10 * k - 9, 20 * k - 15, 0, 0};
        s.vision = {{0, 0, 0, 0}, {}, 10 * k - 88, 20 * k - 95, 0, 0};
    }
    Replace_position(&niveau, &perso);
    EXPECT_EQ(perso.player.x, RUNNER_MAX_X);
    EXPECT_EQ(perso.cpu.x, RUNNER_MAX_X);
    EXPECT_EQ(perso.player.dest.x, 452);
    EXPECT_EQ(perso.player.dest.y, 120);
    EXPECT_EQ(perso.cpu.dest.x, 452);
    EXPECT_EQ(perso.cpu.dest.y, 115);
    for (const Sentinelle& s : niveau.senti) {
        EXPECT_EQ(s.baton.dest.x, s.baton.x);
        EXPECT_EQ(s.baton.dest.y, s.baton.y);
        EXPECT_EQ(s.boule.dest.x, s.boule.x);
        EXPECT_EQ(s.boule.dest.y, s.boule.y);
        EXPECT_EQ(s.vision.dest.x, s.vision.x);
        EXPECT_EQ(s.vision.dest.y, s.vision.y);
    }
    // At the limit nothing moves.
    perso.player.x = 452;
    perso.cpu.x = 436;
    Replace_position(&niveau, &perso);
    EXPECT_EQ(perso.player.x, 452);
    EXPECT_EQ(perso.cpu.x, 436);
}

TEST_F(Runners, TheComputerRowFollowsTheLevelAndThePlayerIsDrawnOnTop) {
    const int rows[][2] = {{1, 50}, {2, 100}, {5, 250}, {9, 450}, {10, 100}, {11, 100}};
    for (const auto& [level, row_y] : rows) {
        general.level = level;
        Perso_Init(&perso, 100, 120);
        perso.cpu.x = 200;  // apart, so that each can be seen
        // One frame to choose the row and the next picture; the second one shows them.
        Replace_position(&niveau, &perso);
        perso_anim(&perso, screen, &general);
        fill(screen, 0xFF000000);
        Replace_position(&niveau, &perso);
        perso_anim(&perso, screen, &general);
        EXPECT_TRUE(block_drawn(screen, 200, 115, RUNNER_W, row_y, RUNNER_W, RUNNER_H))
            << "level " << level;
        EXPECT_TRUE(block_drawn(screen, 100, 120, RUNNER_W, 0, RUNNER_W, RUNNER_H))
            << "level " << level;
    }
    // Same place: the player covers the computer.
    general.level = 3;
    Perso_Init(&perso, 100, 120);
    perso.cpu.y = 120;
    Replace_position(&niveau, &perso);
    perso_anim(&perso, screen, &general);
    EXPECT_TRUE(block_drawn(screen, 100, 120, 0, 0, RUNNER_W, RUNNER_H));
}

TEST_F(Runners, TheRunningCycleShowsLastFramesChoiceAndWrapsAfterSixteen) {
    Perso_Init(&perso, 100, 120);
    for (int frame = 0; frame < 40; ++frame) {
        const int shown = frame % RUNNER_FRAMES;  // chosen by the previous call
        Replace_position(&niveau, &perso);
        perso_anim(&perso, screen, &general);
        ASSERT_TRUE(block_drawn(screen, 100, 120, RUNNER_W * shown, 0, RUNNER_W, RUNNER_H))
            << "call " << frame;
        ASSERT_EQ(perso.frame, (frame + 1) % RUNNER_FRAMES);
        ASSERT_EQ(perso.cpu.src.x, perso.player.src.x);
    }
}

TEST_F(Runners, HeldRightStepsEveryFrameUntilAnotherEventReplacesIt) {
    Perso_Init(&perso, 200, 120);
    set_key(&general, SDL_KEYDOWN, KEY_RIGHT);
    general.key_consumed = 1;  // stepping ignores the latch
    for (int i = 0; i < 5; ++i) check_malus(&general, &perso, &anim, screen);
    EXPECT_EQ(perso.player.x, 205);
    EXPECT_EQ(perso.player.aux1, 1);
    set_key(&general, SDL_KEYDOWN, KEY_SPACE);  // a second key, Right still down
    check_malus(&general, &perso, &anim, screen);
    EXPECT_EQ(perso.player.x, 205);
    EXPECT_EQ(perso.player.aux1, 1);
}

TEST_F(Runners, TheFalseStartPenaltyLastsAHundredRaceFrames) {
    Perso_Init(&perso, 200, 120);
    anim.countdown.src.x = static_cast<Sint16>(ANIM_GO.x);
    perso.malus = 1;
    set_key(&general, SDL_KEYDOWN, KEY_RIGHT);
    for (int frame = 1; frame <= 101; ++frame) {
        fill(screen, 0xFF000000);
        check_malus(&general, &perso, &anim, screen);
        const bool go = block_drawn(screen, BANNER_X, BANNER_Y, ANIM_GO.x, ANIM_GO.y, ANIM_GO.w,
                                    ANIM_GO.h);
        const bool false_start = block_drawn(screen, BANNER_X, BANNER_Y, ANIM_FALSE_START.x,
                                             ANIM_FALSE_START.y, ANIM_FALSE_START.w,
                                             ANIM_FALSE_START.h);
        if (frame == 1) {
            EXPECT_TRUE(go) << "the picture of the previous frame first";
        } else if (frame <= 100) {
            EXPECT_TRUE(false_start) << "frame " << frame;
        } else {
            EXPECT_FALSE(false_start || go) << "no banner after the penalty";
        }
        if (frame < 100) {
            ASSERT_EQ(perso.player.x, 200) << "frame " << frame;
            ASSERT_EQ(perso.malus, 1);
            ASSERT_EQ(perso.malus_timer, frame);
        }
    }
    // The 100th frame ended the penalty and stepped; the 101st stepped again.
    EXPECT_EQ(perso.malus, 0);
    EXPECT_EQ(perso.malus_timer, 0);
    EXPECT_EQ(perso.player.x, 202);
}

TEST(Nerve, EdgesAndSharesOfEachDifficulty) {
    const int edges[][3] = {{0, 0, 0},      {16383, 0, 0},  {16384, 0, 1}, {32766, 0, 1},
                            {32767, 0, 2},  {0, 1, -3},     {26213, 1, 0}, {26214, 1, 1},
                            {32766, 1, 1},  {32767, 1, 2},  {16384, 2, NERVE_NONE}};
    for (const auto& [r, difficulty, nerve] : edges) {
        EXPECT_EQ(nerve_from_draw(r, difficulty), nerve) << r << " at " << difficulty;
    }
    int easy[3] = {};
    int hard[6] = {};  // -3..2
    for (int r = 0; r <= RANDOM_MAX; ++r) {
        const int e = nerve_from_draw(r, 0);
        const int h = nerve_from_draw(r, 1);
        ASSERT_TRUE(e >= 0 && e <= 2) << r;
        ASSERT_TRUE(h >= -3 && h <= 2) << r;
        easy[e] += 1;
        hard[h + 3] += 1;
    }
    EXPECT_EQ(easy[0], 16384);
    EXPECT_EQ(easy[1], 16383);
    EXPECT_EQ(easy[2], 1);
    EXPECT_EQ(hard[0] + hard[1] + hard[2] + hard[3], 26214) << "nerve 0 once floored";
    EXPECT_EQ(hard[4], 32767 - 26214);
    EXPECT_EQ(hard[5], 1);
}

struct Computer : Runners {
    void SetUp() override {
        Runners::SetUp();
        // One sentinel whose cone stands at x 152 (pole 240): the guarded zone is 137..332.
        niveau.senti[0].vision.x = 152;
        niveau.senti[0].vision.src.w = 210;
        niveau.senti[0].state = 1;
    }
};

TEST_F(Computer, AGuardedZoneTakesTheNerveAsMovingFlagAndItsEdgesCount) {
    perso.cpu.aux2 = 0;
    const int inside[] = {137, 200, 332};
    for (int x : inside) {
        perso.cpu.x = x;
        stop_cpu(&general, &perso, &niveau);
        EXPECT_EQ(perso.cpu.aux1, 0) << "x " << x;
    }
    const int outside[] = {136, 333};
    for (int x : outside) {
        perso.cpu.x = x;
        stop_cpu(&general, &perso, &niveau);
        EXPECT_EQ(perso.cpu.aux1, 1) << "x " << x;
    }
    perso.cpu.x = 200;
    perso.cpu.aux2 = 2;  // stops it like 0, since only 1 advances
    stop_cpu(&general, &perso, &niveau);
    EXPECT_EQ(perso.cpu.aux1, 2);
    perso.cpu.aux2 = 1;
    stop_cpu(&general, &perso, &niveau);
    EXPECT_EQ(perso.cpu.aux1, 1);
    perso.cpu.aux2 = -2;  // left from difficulty 1: floored
    stop_cpu(&general, &perso, &niveau);
    EXPECT_EQ(perso.cpu.aux2, 0);
    EXPECT_EQ(perso.cpu.aux1, 0);
}

TEST_F(Computer, OnlyAWarningOrWatchingSlotHoldsItBack) {
    perso.cpu.aux2 = 0;
    perso.cpu.x = 200;
    const int states[][2] = {{0, 1}, {1, 0}, {2, 0}, {3, 0}};
    for (const auto& [state, moving] : states) {
        niveau.senti[0].state = state;
        stop_cpu(&general, &perso, &niveau);
        EXPECT_EQ(perso.cpu.aux1, moving) << "state " << state;
    }
}

TEST_F(Computer, AtXZeroItRedrawsEveryFrameUntilItDaresElsewhereItKeepsItsNerve) {
    std::srand(7);
    niveau.senti[0].vision.x = 10;  // zone -5..190
    perso.cpu.x = 0;
    bool seen[2] = {false, false};
    int frames = 0;
    for (; frames < 200 && !(seen[0] && seen[1]); ++frames) {
        stop_cpu(&general, &perso, &niveau);
        ASSERT_GE(perso.cpu.aux2, 0);
        ASSERT_LE(perso.cpu.aux2, 2);
        ASSERT_EQ(perso.cpu.aux1, perso.cpu.aux2);
        seen[perso.cpu.aux2 == 1] = true;
    }
    EXPECT_TRUE(seen[0] && seen[1]) << "the nerve changes while the computer waits at 0";
    // Away from 0 the nerve stays what it was.
    perso.cpu.x = 5;
    perso.cpu.aux2 = 0;
    for (int i = 0; i < 50; ++i) stop_cpu(&general, &perso, &niveau);
    EXPECT_EQ(perso.cpu.aux2, 0);
    // A difficulty that draws nothing keeps the nerve, even at 0.
    general.difficulty = 2;
    perso.cpu.x = 0;
    perso.cpu.aux2 = 1;
    for (int i = 0; i < 50; ++i) stop_cpu(&general, &perso, &niveau);
    EXPECT_EQ(perso.cpu.aux2, 1);
}

TEST_F(Runners, ASlopeAppliesByTheSegmentHoldingTheStartOfFrameX) {
    Perso_Init(&perso, 15, 150);
    set_key(&general, SDL_KEYDOWN, KEY_RIGHT);
    race_frame();  // 15 -> 16 on the flat
    EXPECT_EQ(perso.player.x, 16);
    EXPECT_EQ(perso.player.y, 150);
    race_frame();  // 16 -> 17 uphill
    EXPECT_EQ(perso.player.x, 17);
    EXPECT_EQ(perso.player.y, 149);
    // Standing still on a slope changes nothing.
    set_key(&general, SDL_KEYUP, KEY_RIGHT);
    race_frame();
    EXPECT_EQ(perso.player.x, 17);
    EXPECT_EQ(perso.player.y, 149);
}

TEST_F(Runners, ANegativeXCountsAsZeroOnceDrawn) {
    Perso_Init(&perso, -15, 150);
    set_key(&general, SDL_KEYDOWN, KEY_RIGHT);
    Replace_position(&niveau, &perso);
    perso_anim(&perso, screen, &general);
    follow_the_line(&general, &perso, -20, 0, 1);
    follow_the_line(&general, &perso, 0, 10, -1);
    EXPECT_EQ(perso.player.y, 149);
    EXPECT_EQ(perso.cpu.y, 144);
}

TEST_F(Runners, DuringTheMalusOnlyAMovingComputerFollowsTheGround) {
    Perso_Init(&perso, 20, 150);
    perso.malus = 1;
    perso.malus_timer = 10;
    set_key(&general, SDL_KEYDOWN, KEY_RIGHT);
    race_frame();
    EXPECT_EQ(perso.player.x, 20);
    EXPECT_EQ(perso.player.y, 150);
    EXPECT_EQ(perso.cpu.y, 144) << "stepped uphill";
    const int held[] = {0, 2};
    for (int flag : held) {
        perso.cpu.aux1 = flag;
        follow_the_line(&general, &perso, 16, 41, -1);
        EXPECT_EQ(perso.cpu.y, 144) << "flag " << flag;
    }
}

TEST_F(Runners, EasyDifficultyKeepsTheMovedFlagUntilAKeyUp) {
    Perso_Init(&perso, 100, 150);
    set_key(&general, SDL_KEYDOWN, KEY_RIGHT);
    race_frame();
    EXPECT_EQ(perso.player.aux1, 1);
    set_key(&general, SDL_KEYDOWN, KEY_SPACE);  // not a key-up: still seen
    race_frame();
    race_frame();
    EXPECT_EQ(perso.player.aux1, 1);
    set_key(&general, SDL_KEYUP, KEY_SPACE);  // any key's release
    race_frame();
    EXPECT_EQ(perso.player.aux1, 0);
}

TEST_F(Runners, HardDifficultyClearsTheFlagOffDownhillAndSlidesDownOnKeyUp) {
    general.difficulty = 1;
    // Level 1: [41, 73) flat, [73, 89) downhill, [89, 158) uphill.
    Perso_Init(&perso, 60, 150);
    set_key(&general, SDL_KEYDOWN, KEY_RIGHT);
    race_frame();
    EXPECT_EQ(perso.player.x, 61);
    EXPECT_EQ(perso.player.aux1, 0) << "flat ground clears it at the end of the frame";

    perso.player.x = 80;
    race_frame();  // a step on the downhill keeps the flag
    EXPECT_EQ(perso.player.x, 81);
    EXPECT_EQ(perso.player.y, 151);
    EXPECT_EQ(perso.player.aux1, 1);
    set_key(&general, SDL_KEYDOWN, KEY_SPACE);  // neither held nor released: stands, seen
    race_frame();
    EXPECT_EQ(perso.player.x, 81);
    EXPECT_EQ(perso.player.aux1, 1);

    set_key(&general, SDL_KEYUP, KEY_RIGHT);
    for (int i = 0; i < 20; ++i) race_frame();
    // Slid from 81 while the drawn x was downhill: the last slide started at 88.
    EXPECT_EQ(perso.player.x, 89);
    EXPECT_EQ(perso.player.y, 159);
    EXPECT_EQ(perso.player.aux1, 0) << "the uphill segment cleared it";

    // With the penalty on there is no slide and the flag is left alone.
    perso.player.x = 80;
    perso.player.aux1 = 1;
    perso.malus = 1;
    Replace_position(&niveau, &perso);
    perso_anim(&perso, screen, &general);
    for (const Segment& s : SLOPES_1) follow_the_line(&general, &perso, s.from, s.to, s.dy);
    EXPECT_EQ(perso.player.x, 80);
    perso.player.x = 100;
    Replace_position(&niveau, &perso);
    for (const Segment& s : SLOPES_1) follow_the_line(&general, &perso, s.from, s.to, s.dy);
    EXPECT_EQ(perso.player.aux1, 1);
}

}  // namespace
