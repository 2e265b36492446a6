// SPDX-License-Identifier: MIT
// The runners and the sentinels: the computer's nerve and caution, the player's
// step and moved flag, the slide of difficulty 1, the sentinel clock and catch.
#include "fonction.h"
#include "support.h"

namespace {

TEST(Nerve, EdgesOfEachDifficulty) {
    const int rows[][3] = {{16383, 0, 0}, {16384, 0, 1}, {32767, 0, 2}, {0, 1, -3},
                           {26213, 1, 0}, {26214, 1, 1}, {32767, 1, 2}, {1, 2, NERVE_NONE}};
    for (const auto& [r, difficulty, nerve] : rows)
        EXPECT_EQ(nerve_from_draw(r, difficulty), nerve) << r;
}

// A sentinel whose cone stands at x 152 guards 137..332.
TEST(Caution, AWarningOrWatchingSentinelGivesTheNerveAsMovingFlagInItsZone) {
    const int rows[][5] = {{137, 1, 0, 0, 0}, {332, 3, 0, 0, 0}, {136, 1, 0, 1, 0},
                           {333, 2, 0, 1, 0}, {200, 0, 0, 1, 0}, {200, 1, 1, 1, 1},
                           {200, 1, 2, 2, 2}, {200, 3, -2, 0, 0}};
    for (const auto& [x, state, nerve, moving, after] : rows) {  // nerve before and after
        General general{};
        Niveau niveau{};
        Perso perso{};
        niveau.senti[4] = {state, 0, {}, {}, {{}, {0, 0, 210, 210}, 152, 0, 0, 0}};
        perso.cpu.x = x, perso.cpu.aux2 = nerve;
        stop_cpu(&general, &perso, &niveau);
        EXPECT_TRUE(perso.cpu.aux1 == moving && perso.cpu.aux2 == after)
            << x << " " << state << " " << nerve;
    }
}

// Level 1: [41, 73) flat, [73, 89) downhill, [89, 158) uphill, [187, 224) downhill.
TEST_F(Started, TheHeldStepTheMovedFlagAndTheSlideOfDifficulty1) {
    const Perso& p = game.perso;
    race(1, 100, 150);
    turn(SDL_KEYDOWN, KEY_RIGHT);
    turns(4);
    turn(SDL_KEYDOWN, SDLK_LSHIFT);  // another key-down stops the steps, not the flag
    EXPECT_TRUE(p.player.x == 105 && p.player.aux1 == 1);
    turn(SDL_KEYUP, SDLK_LSHIFT);
    EXPECT_EQ(p.player.aux1, 0) << "on Easy a key-up of any key clears it";
    game.general.difficulty = 1;
    race(1, 60, 150);
    turn(SDL_KEYDOWN, KEY_RIGHT);
    EXPECT_TRUE(p.player.x == 61 && p.player.aux1 == 0) << "cleared on flat ground";
    race(1, 80, 150);
    turns(1);
    EXPECT_TRUE(p.player.y == 151 && p.player.aux1 == 1) << "kept on a downhill";
    turn(SDL_KEYUP, KEY_RIGHT);
    turns(19);
    EXPECT_TRUE(p.player.x == 89 && p.player.y == 159 && p.player.aux1 == 0)
        << "slid down to the uphill";
    race(1, 80, 150)->senti[0].state = 1;
    game.perso.malus = 1, game.perso.cpu.x = 200;
    turns(5);
    EXPECT_TRUE(p.player.x == 80 && p.player.y == 150) << "no slide in the penalty";
    EXPECT_TRUE(p.cpu.x == 200 && p.cpu.y == 145)
        << "held back, the computer does not follow the ground";
}

// Base b: warning from b+5 (five frames of each picture), watching from b+90, idle
// from b+175, the clock wrapping after b+250.
TEST(Sentinel, WarningAndWatchingComeRoundToTheFrame) {
    for (const auto& [base, first] : {std::pair{20, 25}, {0, 5}, {600, 605}}) {
        Sentinelle s{};
        s.timer = 55;
        Init_vision(&s, 480, 0);
        for (int f = 1; f <= 1400; ++f) {
            vision_sys(base, &s);
            const int t = (f - first) % (base + 251);
            ASSERT_EQ(s.state, f < first || t >= 170 ? 0
                               : t >= 85             ? 3
                                                     : (t / 5) % 2 + 1)
                << base << " " << f;
        }
    }
}

TEST(Sentinel, OnlyAWatchingSentinelCatchesARunnerWhoseFlagIsOne) {
    // clang-format off
    const int rows[][7] = {{3, 155, 1, 295, 1, 1, 1}, {3, 154, 1, 296, 1, 0, 0},
                           {2, 200, 1, 200, 1, 0, 0}, {3, 200, 0, 200, 2, 0, 0},
                           {3, 200, 1, 100, 1, 1, 0}};  // x and flag of each
    // clang-format on
    for (const auto& [state, x, flag, cpu_x, cpu_flag, caught, cpu_caught] : rows) {
        Sentinelle s{state, 0, {}, {}, {}};
        Perso perso{};
        Perso_Init(&perso, x, 150);
        perso.player.aux1 = flag, perso.cpu.x = cpu_x, perso.cpu.aux1 = cpu_flag;
        check_if_see(&s, &perso, 155, 295, -10, 71);
        EXPECT_TRUE(perso.player.x == (caught ? -10 : x) && perso.player.y == (caught ? 71 : 150) &&
                    perso.blink == (caught ? CATCH_BLINK_FRAMES : 0) &&
                    perso.cpu.x == (cpu_caught ? -10 : cpu_x) &&
                    perso.cpu.y == (cpu_caught ? 70 : 145))
            << state << " " << x << " " << cpu_x;
    }
}

// Caught: the jingle for the player only, at each catch, and the player hidden
// and shown in turns of 5 frames for half a second at the respawn point.
TEST_F(Started, ACaughtPlayerIsHeardAndBlinksTheComputerIsNot) {
    Niveau* level1 = race(1, 200, 173);
    SDL_Surface* screen = make_surface(SCREEN_W, SCREEN_H);
    for (const int who : {1, 0, 0}) {  // the computer, then the player twice
        level1->senti[0].state = SENTINEL_WATCHING, level1->senti[0].timer = 120;
        game.perso.cpu.x = who ? 200 : 0, game.perso.player.x = 200;
        Mix_HaltChannel(-1);
        turn(who ? SDL_KEYUP : SDL_KEYDOWN, KEY_RIGHT);
        ASSERT_TRUE(game.sons.played_caught == 1 - who && Mix_Playing(-1) == 1 - who) << who;
    }
    ASSERT_TRUE(game.perso.player.x == 0 && game.perso.blink == CATCH_BLINK_FRAMES);
    game.perso.cpu.x = 300;
    for (int frame = 0; frame <= CATCH_BLINK_FRAMES; ++frame) {
        SDL_FillRect(screen, nullptr, 0);
        const int x = game.perso.player.dest.x = 100, y = game.perso.player.dest.y = 100;
        perso_anim(&game.perso, screen, &game.general);
        bool drawn = false;
        for (int dy = 0; dy < RUNNER_H; ++dy)
            for (int dx = 0; dx < RUNNER_W; ++dx) drawn = drawn || pixel_at(screen, x + dx, y + dy) != 0;
        EXPECT_EQ(drawn, frame == CATCH_BLINK_FRAMES || frame / 5 % 2 == 1) << frame;
    }
    EXPECT_EQ(game.perso.blink, 0);
    SDL_FreeSurface(screen);
}

}  // namespace
