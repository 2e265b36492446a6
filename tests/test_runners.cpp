// Runners: start points, the clamp and draw rectangles, the running cycle, the
// held-key step, the computer's nerve, the slopes. (The false-start penalty's
// hundred frames are followed through the level frame with the race flow.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

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
        for (SDL_Surface* s : {screen, perso.sheet, anim.sheet}) SDL_FreeSurface(s);
    }
    void draw() {
        Replace_position(&niveau, &perso);
        perso_anim(&perso, screen, &general);
    }
    void slopes() {
        for (const Segment& s : SLOPES_1) follow_the_line(&general, &perso, s.from, s.to, s.dy);
    }
    // The runners' share of a race frame of level 1, latch included.
    void race_frame() {
        draw();
        check_malus(&general, &perso, &anim, screen);
        stop_cpu(&general, &perso, &niveau);
        if (perso.cpu.aux1 == 1) perso.cpu.x += 1;
        slopes();
        general.key_consumed = general.event.type == SDL_KEYDOWN ? 1 : 0;
    }
    // Puts the player at (x, y) with Right held (the computer 5 px higher).
    void run_from(int x, int y) {
        Perso_Init(&perso, x, y);
        set_key(&general, SDL_KEYDOWN, KEY_RIGHT);
    }
    bool runner_drawn(int x, int y, int picture, int row_y) {
        return block_drawn(screen, x, y, RUNNER_W * picture, row_y, RUNNER_W, RUNNER_H);
    }
    SDL_Surface* screen = nullptr;
    General general{};
    Anim anim{};
    Perso perso{};
    Niveau niveau{};
};

TEST_F(Runners, ReplacePositionClampsTheRunnersAndRewritesTheirDrawRectangles) {
    for (const auto& [x, kept] : {std::pair{460, 452}, {453, 452}, {452, 452}}) {
        perso.player.x = perso.cpu.x = x;
        Replace_position(&niveau, &perso);
        EXPECT_TRUE(perso.player.x == kept && perso.cpu.x == kept && perso.player.dest.x == kept &&
                    perso.cpu.dest.x == kept)
            << "x " << x;
    }
    EXPECT_EQ(perso.cpu.dest.y, START_Y_MENU - 5);
}

TEST_F(Runners, PersoInitClearsTheRaceAndTheCycleShowsLastFramesChoiceInTheLevelsRow) {
    perso.frame = 9;
    perso.malus = 1;
    perso.malus_timer = 40;
    perso.player.aux1 = 1;
    perso.cpu.aux2 = 2;
    Perso_Init(&perso, 100, 120);
    EXPECT_EQ(perso.frame + perso.malus + perso.malus_timer + perso.player.aux1 + perso.cpu.aux2, 0);
    EXPECT_EQ(perso.cpu.aux1, 1) << "the computer starts out moving";
    draw();  // overlapping: the player, drawn last, covers the computer
    EXPECT_TRUE(runner_drawn(100, 120, 0, 0));
    perso.cpu.x = 200;  // apart, so that each can be seen
    // The computer's row by level (the ending and the bonus level share row 2).
    const int rows[][2] = {{1, 50}, {2, 100}, {5, 250}, {9, 450}, {10, 100}, {11, 100}};
    for (int call = 1; call <= 40; ++call) {
        const auto [level, row_y] = rows[call % 6];
        general.level = level;
        const int shown = call % RUNNER_FRAMES;  // chosen by the previous call
        fill(screen, 0xFF000000);
        draw();
        ASSERT_TRUE(runner_drawn(100, 120, shown, 0)) << "call " << call;
        ASSERT_TRUE(runner_drawn(200, 115, shown, row_y)) << "call " << call << " level " << level;
    }
}

TEST_F(Runners, HeldRightStepsEveryFrameAndEasyKeepsTheMovedFlagUntilAnyKeyUp) {
    run_from(100, 150);
    general.key_consumed = 1;  // stepping ignores the latch
    for (int i = 0; i < 5; ++i) race_frame();
    EXPECT_EQ(perso.player.x, 105);
    EXPECT_EQ(perso.player.aux1, 1);
    set_key(&general, SDL_KEYDOWN, KEY_SPACE);  // a second key replaces Right: no step
    race_frame();
    race_frame();
    EXPECT_EQ(perso.player.x, 105);
    EXPECT_EQ(perso.player.aux1, 1) << "not a key-up: still seen";
    set_key(&general, SDL_KEYUP, KEY_SPACE);
    race_frame();
    EXPECT_EQ(perso.player.aux1, 0);
}

TEST(Nerve, EdgesAndSharesOfEachDifficulty) {
    const int edges[][3] = {{0, 0, 0},     {16383, 0, 0},  {16384, 0, 1}, {32766, 0, 1},
                            {32767, 0, 2}, {0, 1, -3},     {26213, 1, 0}, {26214, 1, 1},
                            {32766, 1, 1}, {32767, 1, 2},  {16384, 2, NERVE_NONE}};
    for (const auto& [r, difficulty, nerve] : edges) {
        EXPECT_EQ(nerve_from_draw(r, difficulty), nerve) << r << " at " << difficulty;
    }
    int easy[3] = {}, hard[6] = {};  // hard: -3..2
    for (int r = 0; r <= RANDOM_MAX; ++r) {
        const int e = nerve_from_draw(r, 0), h = nerve_from_draw(r, 1);
        ASSERT_TRUE(e >= 0 && e <= 2 && h >= -3 && h <= 2) << r;
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
    }
};

TEST_F(Computer, AWarningOrWatchingSlotSetsTheNerveAsMovingFlagInItsZoneEdgesIncluded) {
    struct Row {
        int x, state, nerve, moving, nerve_after;
    };
    const Row rows[] = {
        {137, 1, 0, 0, 0}, {200, 2, 0, 0, 0}, {332, 3, 0, 0, 0},  // inside: the nerve
        {136, 1, 0, 1, 0}, {333, 1, 0, 1, 0}, {200, 0, 0, 1, 0},  // outside, or idle
        {200, 1, 1, 1, 1}, {200, 1, 2, 2, 2},                     // 2 holds it back like 0
        {200, 3, -2, 0, 0},                                       // left from difficulty 1: floored
    };
    for (const Row& row : rows) {
        niveau.senti[0].state = row.state;
        perso.cpu.x = row.x;
        perso.cpu.aux2 = row.nerve;
        stop_cpu(&general, &perso, &niveau);
        EXPECT_EQ(perso.cpu.aux1, row.moving) << "x " << row.x << " state " << row.state << " nerve " << row.nerve;
        EXPECT_EQ(perso.cpu.aux2, row.nerve_after) << "x " << row.x << " nerve " << row.nerve;
    }
}

TEST_F(Computer, AtXZeroItRedrawsEveryFrameUntilItDaresElsewhereItKeepsItsNerve) {
    std::srand(7);
    niveau.senti[0].state = 1;
    niveau.senti[0].vision.x = 10;  // zone -5..190
    perso.cpu.x = 0;
    int held = 0;
    bool dared = false;  // a nerve of 1 after at least one frame held back
    for (int frame = 0; frame < 200 && !dared; ++frame) {
        stop_cpu(&general, &perso, &niveau);
        ASSERT_TRUE(perso.cpu.aux2 >= 0 && perso.cpu.aux2 <= 2);
        ASSERT_EQ(perso.cpu.aux1, perso.cpu.aux2);
        held += perso.cpu.aux2 == 1 ? 0 : 1;
        dared = perso.cpu.aux2 == 1 && held > 0;
    }
    EXPECT_TRUE(dared) << "held back at 0, it draws a new nerve every frame";
    // Away from 0, or at a difficulty that draws nothing, the nerve stays.
    const int keep[][3] = {{5, 0, 0}, {0, 2, 1}};  // x, difficulty, nerve
    for (const auto& [x, difficulty, nerve] : keep) {
        perso.cpu.x = x;
        general.difficulty = difficulty;
        perso.cpu.aux2 = nerve;
        for (int i = 0; i < 50; ++i) stop_cpu(&general, &perso, &niveau);
        EXPECT_EQ(perso.cpu.aux2, nerve) << "x " << x << " difficulty " << difficulty;
    }
}

TEST_F(Runners, ASlopeAppliesByTheSegmentHoldingTheStartOfFrameXClippedAtZero) {
    run_from(15, 150);
    const int steps[][2] = {{16, 150}, {17, 149}};  // 15 -> 16 on the flat, 16 -> 17 uphill
    for (const auto& [x, y] : steps) {
        race_frame();
        EXPECT_EQ(perso.player.x, x);
        EXPECT_EQ(perso.player.y, y);
    }
    set_key(&general, SDL_KEYUP, KEY_RIGHT);
    race_frame();
    EXPECT_EQ(perso.player.x, 17) << "standing still on a slope changes nothing";
    EXPECT_EQ(perso.player.y, 149);

    run_from(-15, 150);  // drawn at 0: the segment from 0 applies, not the one holding -15
    draw();
    follow_the_line(&general, &perso, -20, 0, 1);
    follow_the_line(&general, &perso, 0, 10, -1);
    EXPECT_EQ(perso.player.y, 149);
    EXPECT_EQ(perso.cpu.y, 144);
}

TEST_F(Runners, DuringTheMalusThePlayerStandsAndOnlyAMovingComputerFollowsTheGround) {
    run_from(20, 150);
    perso.malus = 1;
    perso.malus_timer = 10;
    race_frame();
    EXPECT_EQ(perso.player.x, 20);
    EXPECT_EQ(perso.player.y, 150);
    EXPECT_EQ(perso.cpu.y, 144) << "stepped uphill";
    for (int flag : {0, 2}) {
        perso.cpu.aux1 = flag;
        follow_the_line(&general, &perso, 16, 41, -1);
        EXPECT_EQ(perso.cpu.y, 144) << "flag " << flag;
    }
}

TEST_F(Runners, HardDifficultyClearsTheFlagOffDownhillAndSlidesDownOnKeyUp) {
    general.difficulty = 1;
    // Level 1: [41, 73) flat, [73, 89) downhill, [89, 158) uphill.
    run_from(60, 150);
    race_frame();
    EXPECT_EQ(perso.player.aux1, 0) << "flat ground clears it at the end of the frame";
    perso.player.x = 80;
    race_frame();  // a step on the downhill keeps the flag
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
    perso.player.aux1 = 1;
    perso.malus = 1;
    for (int x : {80, 100}) {
        perso.player.x = x;
        draw();
        slopes();
        EXPECT_EQ(perso.player.x, x);
        EXPECT_EQ(perso.player.aux1, 1);
    }
}

}  // namespace
