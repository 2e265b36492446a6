// Whole games through the real loop, with key presses pushed as a player makes them.
#include <gtest/gtest.h>

#include "fonction.h"
#include "main.h"
#include "menu.h"
#include "support.h"

namespace {

class WholeGame : public testing::Test {
protected:
    void start() {
        testing::internal::CaptureStdout();
        ASSERT_TRUE(Game_Start(&game));
        testing::internal::GetCapturedStdout();
        running = true;
    }
    void stop() {
        if (!running) return;
        Game_Stop(&game);
        SDL_Quit();
        running = false;
    }
    void TearDown() override {
        stop();
        continuer = 1;
    }
    void turns(int n) {
        for (int i = 0; i < n; ++i) Game_Turn(&game);
    }
    // A press and a release, each taking the turn that polls it.
    void press(SDLKey key) {
        push_key(SDL_KEYDOWN, key);
        turns(1);
        push_key(SDL_KEYUP, key);
        turns(1);
    }
    // From the main menu: into the difficulty panel and start a game.
    void new_game(int difficulty) {
        ASSERT_EQ(game.menu.state, MENU_MAIN);
        press(KEY_RETURN);  // item 1 opens the difficulty panel
        turns(125);         // the slide
        ASSERT_EQ(game.menu.state, MENU_DIFFICULTY);
        if (difficulty == 1) press(KEY_DOWN);
        press(KEY_RETURN);
        ASSERT_EQ(game.general.screen, SCREEN_PLAY);
        ASSERT_EQ(game.general.level, 1);
        ASSERT_EQ(game.general.difficulty, difficulty);
    }
    // Wins the current level with Backspace, then Return on the banner.
    void pass_level() {
        const int level = game.general.level;
        press(KEY_BACKSPACE);
        press(KEY_RETURN);
        ASSERT_NE(game.general.level, level) << "level " << level << " was not left";
    }
    // Waits for the ending's curtain and leaves it with Return.
    void leave_ending() {
        ASSERT_EQ(game.general.level, LEVEL_ENDING);
        turns(140);
        ASSERT_EQ(game.niveau[LEVEL_ENDING - 1].started, 1);
        press(KEY_RETURN);
        ASSERT_EQ(game.general.screen, SCREEN_MENU);
    }
    GameDir dir;
    Game game;
    bool running = false;
};

}  // namespace

TEST_F(WholeGame, NineLevelsToTheEndingThenTheBonusLevelInTheNextRun) {
    start();
    new_game(0);
    for (int level = 1; level <= 9; ++level) {
        ASSERT_EQ(game.general.level, level);
        pass_level();
    }
    EXPECT_EQ(game.general.level, LEVEL_ENDING) << "locked: level 9 leads to the ending";
    EXPECT_FALSE(dir.exists(UNLOCK_PATH));
    leave_ending();
    EXPECT_EQ(dir.read(UNLOCK_PATH), "1");
    EXPECT_EQ(game.general.unlock, 1);
    // Back on the difficulty panel as it was left: start again without a slide.
    EXPECT_EQ(game.menu.state, MENU_DIFFICULTY);
    stop();

    start();  // a new run reads the unlock back
    EXPECT_EQ(game.general.unlock, 1);
    new_game(1);
    for (int level = 1; level <= 9; ++level) pass_level();
    EXPECT_EQ(game.general.level, LEVEL_BONUS);
    EXPECT_EQ(game.perso.player.x, -15);
    EXPECT_EQ(game.perso.player.y, 173);
    press(KEY_BACKSPACE);
    push_key(SDL_KEYDOWN, KEY_RETURN);
    turns(1);
    EXPECT_EQ(game.general.level, 12);
    turns(1);
    EXPECT_EQ(game.general.level, LEVEL_ENDING);
    push_key(SDL_KEYUP, KEY_RETURN);
    leave_ending();
    EXPECT_EQ(dir.read(UNLOCK_PATH), "1");
}

TEST_F(WholeGame, ALostRaceAndAPausedRaceAreStartedAfreshInTheNextGame) {
    start();
    new_game(0);
    pass_level();
    ASSERT_EQ(game.general.level, 2);
    // Let the computer win level 2: the player stands still.
    for (int i = 0; i < 20000 && game.niveau[1].outcome == 0; ++i) turns(1);
    ASSERT_EQ(game.niveau[1].outcome, 1) << "the computer reaches the finish";
    press(KEY_SPACE);
    EXPECT_EQ(game.general.screen, SCREEN_MENU);
    EXPECT_EQ(game.general.level, 0);
    EXPECT_EQ(game.menu.state, MENU_MAIN) << "a lost race resets the menu";

    new_game(0);
    pass_level();
    EXPECT_EQ(game.niveau[1].outcome, 0) << "level 2 is undecided again";
    EXPECT_EQ(game.niveau[1].started, 0);
    turns(400);  // curtain and countdown
    ASSERT_EQ(game.niveau[1].started, 1);
    press(KEY_SPACE);
    EXPECT_EQ(game.niveau[1].paused, 1);
    press(KEY_RETURN);
    EXPECT_EQ(game.general.screen, SCREEN_MENU);
    EXPECT_EQ(game.general.level, 1);

    press(KEY_RETURN);  // the difficulty panel shows at once: Return on Easy
    ASSERT_EQ(game.general.screen, SCREEN_PLAY);
    pass_level();
    EXPECT_EQ(game.niveau[1].paused, 0) << "no longer paused when reached again";
    EXPECT_EQ(game.niveau[1].senti[0].timer, 0);
}
