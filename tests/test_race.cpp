// The flow of one race through the real loop: the intro to the frame, false
// starts, the finish, the banners and their keys, the pause and the music, the
// win key.
#include <algorithm>

#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

constexpr int RACE_START = 393;  // the level frame in which the intro ends

struct Race : Started {
    void SetUp() override {
        Started::SetUp();
        new_game(0);  // level 1's first frame has run
    }
    Niveau* level1 = &game.niveau[0];
    const Sons& s = game.sons;
};

// Right goes down in frame 100, during the curtain, and stays down: no false start.
TEST_F(Race, TheIntroRunsToTheFrameAndARightHeldSinceTheCurtainIsNoFalseStart) {
    for (int f = 2; f <= 400; ++f) {
        if (f == 100) set_key(&game.general, SDL_KEYDOWN, KEY_RIGHT);
        turns(1);
        for (int i = 0; i < CURTAIN_STRIPS; ++i) {
            ASSERT_EQ(game.anim.strips[i].src.h == 0, i <= 14 && f >= 10 + 9 * i)
                << f << " strip " << i;
        }
        const int run = std::max(0, f - RACE_START + 1);  // race frames so far
        const int expected[] = {f >= 137, f >= 138,        f >= 183, f >= 253, f >= 323,
                                0,        f >= RACE_START, run,      run};
        const int seen[] = {
            game.anim.phase, s.played_count3,       s.played_count2,
            s.played_count1, s.played_start,        s.played_earlystart + game.perso.malus,
            level1->started, game.perso.cpu.x + 15, game.perso.player.x + 15};
        ASSERT_TRUE(std::equal(seen, seen + 9, expected)) << "frame " << f;
        ASSERT_EQ(level1->senti[0].timer, run);
    }
}

TEST_F(Race, AFalseStartSilencesTheRestOfTheCountdownAndCostsAHundredRaceFrames) {
    for (const auto& [at, heard] : {std::pair{138, 1}, {183, 2}, {300, 3}, {393, 4}}) {
        game.general.screen = SCREEN_MENU;  // a new game: level 1's first frame
        turn(SDL_KEYUP, KEY_RIGHT);
        press(KEY_RETURN);
        turns(at - 2);
        turn(SDL_KEYDOWN, KEY_RIGHT);  // in frame `at`, and held
        turns(491 - at);
        EXPECT_TRUE(game.perso.player.x == -15 && game.perso.malus == 1)
            << at << ": no step before frame 492";
        turns(1);
        EXPECT_TRUE(game.perso.player.x == -14 && game.perso.malus == 0) << at;
        EXPECT_TRUE(s.played_count3 == 1 && s.played_count2 == (heard >= 2) &&
                    s.played_count1 == (heard >= 3) && s.played_start == (heard >= 4) &&
                    s.played_earlystart == (at < RACE_START))
            << at;
    }
}

TEST_F(Race, TheFinishLineGoesToThePlayerFirst) {
    for (const auto& [player_x, cpu_x, outcome] :
         {std::tuple{437, 437, -1}, {436, 437, 1}, {436, 436, 0}}) {
        Niveau* niveau = race(1, player_x, 100);
        game.perso.cpu.x = cpu_x;
        check_who_win(&game.general, &game.perso, niveau, &game.anim, game.screen, &game.menu, -15,
                      71, &game.sons);
        EXPECT_EQ(niveau->outcome, outcome) << player_x << " " << cpu_x;
    }
}

TEST_F(Race, ALostRaceGoesBackToTheMenuOnSpaceWithoutPausing) {
    Niveau* level2 = race(2, 10, 71);
    game.perso.cpu.x = 436;
    game.general.difficulty = 1;
    turns(2);
    EXPECT_TRUE(level2->outcome == OUTCOME_LOST && s.played_gameover == 1);
    turn(SDL_KEYDOWN, KEY_RETURN);
    turn(SDL_KEYUP, KEY_RETURN);
    EXPECT_EQ(game.general.screen, SCREEN_PLAY) << "Return is not this banner's key";
    turn(SDL_KEYDOWN, KEY_SPACE);
    EXPECT_TRUE(game.general.screen == SCREEN_MENU && game.general.level == 0 &&
                game.general.difficulty == 0);
    EXPECT_TRUE(game.menu.state == MENU_MAIN && level2->paused == 0 &&
                s.played_pause + s.played_gameover == 0);
    EXPECT_TRUE(game.perso.player.x == 0 && game.perso.player.y == 173 && game.perso.cpu.y == 168);
}

TEST_F(Race, SpacePausesTheRaceAndTheMusicAndResumesBothEitherWayOut) {
    turns(100);
    EXPECT_TRUE(Mix_PlayingMusic() == 1 && Mix_PausedMusic() == 0)
        << "the music plays from start-up";
    turn(SDL_KEYDOWN, KEY_SPACE);
    EXPECT_EQ(level1->paused, 0) << "no pause during the intro";
    turn(SDL_KEYUP, KEY_SPACE);
    turns(300);
    turn(SDL_KEYDOWN, KEY_RETURN);
    EXPECT_EQ(game.general.screen, SCREEN_PLAY) << "Return counts only in a pause";
    turn(SDL_KEYUP, KEY_RETURN);
    for (int pause = 1; pause <= 2; ++pause) {
        turn(SDL_KEYDOWN, KEY_SPACE);
        EXPECT_TRUE(level1->paused == 1 && s.played_pause == 1 && Mix_PausedMusic() == 1) << pause;
        const Perso perso = game.perso;
        const int timer = level1->senti[0].timer;
        turns(30);  // Space held: no second toggle, and the race stands still
        EXPECT_TRUE(level1->paused == 1 && game.perso.cpu.x == perso.cpu.x &&
                    level1->senti[0].timer == timer);
        EXPECT_NE(game.perso.frame, perso.frame) << "the runners' cycle goes on";
        turn(SDL_KEYUP, KEY_SPACE);
        if (pause == 2) break;
        turn(SDL_KEYDOWN, KEY_SPACE);
        EXPECT_TRUE(level1->paused == 0 && s.played_pause == 0 && Mix_PausedMusic() == 0);
        turn(SDL_KEYUP, KEY_SPACE);
        EXPECT_GT(game.perso.cpu.x, perso.cpu.x);
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
        EXPECT_EQ(s.played_levelwin, 1);
        turn(SDL_KEYDOWN, KEY_SPACE);
        turn(SDL_KEYUP, KEY_SPACE);
        turn(SDL_KEYDOWN, KEY_RETURN);
        EXPECT_TRUE(game.general.screen == SCREEN_MENU && game.general.level == after)
            << level << unlock;
        EXPECT_EQ(s.played_levelwin, 0) << "the flags cleared for the next level";
    }
}

TEST_F(Race, AFreshBackspaceWinsInTheCountdownAndWhateverTheRaceIsIn) {
    turns(148);
    turn(SDL_KEYDOWN, KEY_BACKSPACE);  // frame 150
    EXPECT_TRUE(level1->outcome == OUTCOME_WON && s.played_levelwin == 0)
        << "the banner from the next frame";
    turns(40);
    EXPECT_TRUE(s.played_levelwin == 1 && s.played_count2 == 1) << "the countdown went on";
    for (const auto& [paused, outcome, latch, after] :
         {std::tuple{1, 0, 1, 0}, {1, 0, 0, -1}, {0, 1, 0, -1}}) {
        level1->paused = paused, level1->outcome = outcome;
        set_key(&game.general, SDL_KEYDOWN, KEY_BACKSPACE);
        game.general.key_consumed = latch;
        cheat(&game.general, level1);
        EXPECT_EQ(level1->outcome, after) << paused << " " << outcome << " " << latch;
    }
}

}  // namespace
