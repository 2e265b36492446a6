// SPDX-License-Identifier: MIT
// The flow of one race through the real loop: the intro, false starts, the
// banners and their keys, the pause and the music, the win key.
#include <algorithm>

#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

struct Race : Started {
    void SetUp() override {
        Started::SetUp();
        new_game(0);  // level 1's first frame has run
    }
    Niveau* level1 = &game.niveau[0];
    const Sons& s = game.sons;
    const Perso& p = game.perso;
};

// Right goes down in frame 100, during the curtain, and stays down: no false start.
TEST_F(Race, TheIntroRunsToTheFrameAndARightHeldSinceTheCurtainIsNoFalseStart) {
    for (int f = 2; f <= 400; ++f) {
        if (f == 100) set_key(&game.general, SDL_KEYDOWN, KEY_RIGHT);
        turns(1);
        const int run = std::max(0, f - 392);  // race frames so far: the race starts in frame 393
        const int want[] = {f >= 137, f >= 138, f >= 183, f >= 253, f >= 323,
                            0,        run > 0,  run,      run,      run};
        const int seen[] = {game.anim.phase,       s.played_count3, s.played_count2,
                            s.played_count1,       s.played_start,  s.played_earlystart + p.malus,
                            level1->started,       p.cpu.x + 15,    p.player.x + 15,
                            level1->senti[0].timer};
        ASSERT_TRUE(std::equal(seen, seen + 10, want)) << "frame " << f;
    }
}

// Right pressed in frame `at` and held: a false start only while 3, 2 or 1 shows
// (frames 138 to 323); otherwise the player runs from the first race frame, 393.
TEST_F(Race, OnlyRightWhile321ShowsIsAFalseStartWhichSilencesTheRestAndCostsAHundredFrames) {
    for (const auto& [at, heard] :
         {std::pair{137, 4}, {138, 1}, {183, 2}, {323, 4}, {324, 4}, {393, 4}}) {
        const bool early = at >= 138 && at <= 323;
        game.general.screen = SCREEN_MENU;  // a new game: level 1's first frame
        turn(SDL_KEYUP, KEY_RIGHT);
        press(KEY_RETURN);
        turns(at - 2);
        turn(SDL_KEYDOWN, KEY_RIGHT);  // in frame `at`, and held
        turns(393 - at);
        EXPECT_EQ(p.player.x, early ? -15 : -14) << at << ": after frame 393";
        turns(98);
        EXPECT_TRUE(p.player.x == (early ? -15 : 84) && p.malus == early) << at << ": frame 491";
        turns(1);
        EXPECT_TRUE(p.player.x == (early ? -14 : 85) && p.malus == 0 && s.played_count3 == 1 &&
                    s.played_count2 == (heard > 1) && s.played_count1 == (heard > 2) &&
                    s.played_start == (heard > 3) && s.played_earlystart == early)
            << at;
    }
}

TEST_F(Race, OnTheLostBannerReturnTriesTheSameLevelAgainAndSpaceLeavesForTheMenu) {
    for (const SDLKey key : {KEY_SPACE, KEY_RETURN}) {
        const bool again = key == KEY_RETURN;
        game.general.difficulty = 1;
        Niveau* level5 = race(5, 100, 95);
        game.perso.cpu.x = FINISH_X;
        turn(SDL_KEYUP, key);  // the loss
        level5->senti[0].timer = 77;
        turn(SDL_KEYDOWN, key);  // its banner
        EXPECT_TRUE(game.general.screen == (again ? SCREEN_PLAY : SCREEN_MENU) &&
                    game.general.level == (again ? 5 : 0) && game.general.difficulty == again &&
                    level5->outcome == !again && level5->started == !again &&
                    level5->senti[0].timer == (again ? 0 : 77) && s.played_gameover == 0 &&
                    game.anim.phase == 0 && p.player.x == (again ? -15 : 0) &&
                    p.player.y == (again ? 95 : 173))
            << key;
    }
    turns(393);  // the curtain and countdown of level 5 once more
    EXPECT_TRUE(game.niveau[4].started == 1 && s.played_start == 1);
}

TEST_F(Race, SpacePausesTheRaceAndTheMusicAndResumesBothEitherWayOut) {
    turns(100);  // the music plays from start-up (test_shell.cpp)
    turn(SDL_KEYDOWN, KEY_SPACE);
    EXPECT_EQ(level1->paused, 0) << "no pause during the intro";
    turn(SDL_KEYUP, KEY_SPACE);
    turns(300);
    press(KEY_RETURN);
    EXPECT_EQ(game.general.screen, SCREEN_PLAY) << "Return counts only in a pause";
    for (int pause = 1; pause <= 2; ++pause) {
        turn(SDL_KEYDOWN, KEY_SPACE);
        const Perso before = p;
        const int timer = level1->senti[0].timer;
        turns(30);  // Space held: no second toggle, and the race stands still but for the runners'
                    // cycle
        EXPECT_TRUE(level1->paused == 1 && s.played_pause == 1 && Mix_PausedMusic() == 1 &&
                    p.cpu.x == before.cpu.x && level1->senti[0].timer == timer &&
                    p.frame != before.frame)
            << pause;
        turn(SDL_KEYUP, KEY_SPACE);
        if (pause == 2) break;
        press(KEY_SPACE);
        EXPECT_TRUE(level1->paused == 0 && s.played_pause == 0 && Mix_PausedMusic() == 0 &&
                    p.cpu.x > before.cpu.x);
    }
    turn(SDL_KEYDOWN, KEY_RETURN);
    EXPECT_TRUE(game.general.screen == SCREEN_MENU && game.general.level == 1 &&
                level1->paused == 1);
    EXPECT_TRUE(Mix_PlayingMusic() == 1 && Mix_PausedMusic() == 0)
        << "the music goes on in the menu";
}

// Return in a pause on the won banner reaches both handlers: levels 1 to 8 run
// Paused last and leave at level 1; level 9 runs it first.
TEST_F(Race, ReturnInAPauseOnTheWonBannerReachesBothHandlers) {
    for (const auto& [level, unlock, after] :
         {std::tuple{1, 0, 1}, {9, 0, 2}, {9, 1, LEVEL_BONUS}}) {
        race(level, 100, 100)->outcome = OUTCOME_WON;
        game.general.unlock = unlock;
        turn(SDL_KEYUP, KEY_RETURN);
        const int jingle = s.played_levelwin;
        press(KEY_SPACE);
        turn(SDL_KEYDOWN, KEY_RETURN);
        EXPECT_TRUE(jingle == 1 && s.played_levelwin == 0 && game.general.screen == SCREEN_MENU &&
                    game.general.level == after)
            << level << " " << unlock;
    }
}

}  // namespace
