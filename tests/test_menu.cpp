// SPDX-License-Identifier: MIT
// The title menu through the real loop.
#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

struct MenuTest : Started {
    void hit(SDLKey key) {  // the key-down's frame; the key-up waits as the next frame's event
        turn(SDL_KEYDOWN, key);
        set_key(&game.general, SDL_KEYUP, key);
    }
    void move_to(int item) {
        while (menu.cursor != item) press(menu.cursor < item ? KEY_DOWN : KEY_UP);
    }
    Menu& menu = game.menu;
};

// Each slide: 4 px a frame for 120 frames from the frame after the Return, fresh
// keys ignored to the arriving 121st frame included, the panels home exactly.
TEST_F(MenuTest, EverySlideTakes121FramesIgnoresKeysAndBringsThePanelsHome) {
    // item, cursor after, main panel's x halfway, state after
    // clang-format off
    const int slides[][4] = {{1, 1, -240, MENU_DIFFICULTY}, {3, 1, -240, MENU_MAIN},
                             {3, 3, 240, MENU_CREDITS}, {0, 3, 240, MENU_MAIN}};
    // clang-format on
    for (const auto& [item, cursor, halfway, after] : slides) {
        if (item > 0) move_to(item);
        const int state = menu.state;
        hit(KEY_RETURN);
        for (int k = 0; k <= 120; ++k) {
            ASSERT_TRUE(menu.state == state && (k != 60 || menu.main_panel.x == halfway))
                << k << " " << after;
            turn(k % 2 == 0 ? SDL_KEYDOWN : SDL_KEYUP, k % 4 == 0 ? KEY_RETURN : KEY_DOWN);
        }
        EXPECT_TRUE(menu.state == after && menu.slide == SLIDE_NONE && menu.cursor == cursor);
        turn(SDL_KEYUP, KEY_RETURN);
    }
    EXPECT_TRUE(menu.main_panel.x == 0 && menu.difficulty_panel.x == 480 &&
                menu.credits_panel.x == -480);
}

TEST_F(MenuTest, ReturnOnEachDifficultyItemStartsAGameOrGoesBackAndPreparesTheLevels) {
    push_key(SDL_KEYDOWN, KEY_DOWN);  // held: one item
    turns(20);
    EXPECT_EQ(menu.cursor, 2);
    move_to(1);
    hit(KEY_RETURN);
    turns(121);
    hit(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 2);
    move_to(3);
    press(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 3) << "no item past the last";
    const int rows[][4] = {{1, SCREEN_PLAY, 0, SLIDE_NONE}, {2, SCREEN_PLAY, 1, SLIDE_NONE},
                           {3, SCREEN_MENU, 1, SLIDE_FROM_DIFFICULTY}};
    for (const auto& [item, screen, difficulty, slide] : rows) {
        game.general.screen = SCREEN_MENU;  // back from a game: the panel shows at once
        move_to(item);
        for (Niveau& level : game.niveau) level.started = level.paused = 1;
        hit(KEY_RETURN);
        EXPECT_TRUE(game.general.screen == screen && game.general.difficulty == difficulty &&
                    menu.slide == slide && menu.cursor == (item == 3 ? 1 : item) &&
                    game.niveau[10].started + game.niveau[4].paused == 0)
            << "item " << item;
    }
}

TEST_F(MenuTest, ThePageIgnoresDownAndOnlyReturnLeavesIt) {
    press(KEY_DOWN);
    hit(KEY_RETURN);
    press(KEY_DOWN);
    EXPECT_TRUE(menu.state == MENU_PAGE_STATE && menu.cursor == 2);
    hit(KEY_RETURN);
    EXPECT_EQ(menu.state, MENU_MAIN);
    move_to(4);
    hit(KEY_RETURN);
    EXPECT_EQ(continuer, 0) << "the quit item";
}

}  // namespace
