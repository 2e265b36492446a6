// Whole games through the real loop, with key presses pushed as a player makes them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "fonction.h"
#include "main.h"
#include "menu.h"
#include "support.h"
#include "tables.h"

namespace {

class WholeGame : public testing::Test, public Session {};

}  // namespace

TEST_F(WholeGame, NineLevelsToTheEndingThenTheBonusLevelInTheNextRun) {
    ASSERT_TRUE(start());
    new_game(0);
    EXPECT_EQ(win_nine_levels(), LEVEL_ENDING) << "locked: level 9 leads to the ending";
    EXPECT_FALSE(dir.exists(UNLOCK_PATH));
    leave_ending();
    EXPECT_EQ(dir.read(UNLOCK_PATH), "1");
    EXPECT_EQ(game.general.unlock, 1);
    // Back on the difficulty panel as it was left: start again without a slide.
    EXPECT_EQ(game.menu.state, MENU_DIFFICULTY);
    stop();

    ASSERT_TRUE(start());  // a new run reads the unlock back
    EXPECT_EQ(game.general.unlock, 1);
    new_game(1);
    EXPECT_EQ(win_nine_levels(), LEVEL_BONUS);
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
    ASSERT_TRUE(start());
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

    new_game(0);  // the difficulty panel shows at once, no slide
    pass_level();
    EXPECT_EQ(game.niveau[1].paused, 0) << "no longer paused when reached again";
    EXPECT_EQ(game.niveau[1].senti[0].timer, 0);
}

// A careful player: holds Right, and lets go whenever a sentinel whose watched
// ground it is on (or about to step on) is awake. Standing still is always safe,
// so this player is never caught; whether it wins depends on the level design.
TEST_F(WholeGame, ACarefulPlayerIsNeverCaughtAndWinsEveryLevelOnEasy) {
    ASSERT_TRUE(start());
    std::srand(1);  // the computer's nerve, drawn from here on
    new_game(0);
    for (int level = 1; level <= 9; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        const LevelRow* row = level_row(level);
        Niveau* niveau = &game.niveau[level - 1];
        bool holding = false;
        for (int frame = 0; frame < 5000 && niveau->outcome == OUTCOME_NONE; ++frame) {
            const int x = game.perso.player.x;
            bool danger = false;
            for (int slot = 0; slot < row->sentinel_count; ++slot) {
                const bool on_watched_ground =
                    x + 2 >= row->senti[slot].from && x <= row->senti[slot].to;
                danger = danger || (on_watched_ground && niveau->senti[slot].state != 0);
            }
            const bool hold = niveau->started == 1 && !danger;
            if (hold != holding) push_key(hold ? SDL_KEYDOWN : SDL_KEYUP, KEY_RIGHT);
            holding = hold;
            turns(1);
            ASSERT_GE(game.perso.player.x, x) << "sent back";
        }
        ASSERT_EQ(niveau->outcome, OUTCOME_WON);
        push_key(SDL_KEYUP, KEY_RIGHT);
        turns(1);
        pass_level();
    }
    EXPECT_EQ(game.general.level, LEVEL_ENDING);
}
