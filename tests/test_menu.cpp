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

TEST(MenuBackground, DrawScaledToThreeWithFourOnlyForTheTopDraw) {
    const int rows[][2] = {{10922, 0}, {10923, 1}, {21845, 2}, {32766, 2}, {32767, 3}};
    for (const auto& [r, choice] : rows) EXPECT_EQ(scale_draw(r, 3), choice) << r;
}

// The lit item is chosen after the panel is drawn: the main panel shows a move
// from the next frame, the difficulty panel from the frame after.
TEST_F(MenuTest, TheCursorMovesOneItemPerFreshPressWithinEachPanel) {
    push_key(SDL_KEYDOWN, KEY_DOWN);  // held: one item
    turns(20);
    EXPECT_TRUE(menu.cursor == 2 && menu.main_panel.src.y == 362);
    set_key(&game.general, SDL_KEYUP, KEY_DOWN);
    for (int i = 0; i < 3; ++i) press(KEY_DOWN);
    EXPECT_TRUE(menu.cursor == 4 && menu.main_panel.src.y == 542);
    for (int i = 0; i < 4; ++i) press(KEY_UP);
    EXPECT_TRUE(menu.cursor == 1 && menu.main_panel.src.y == 272);
    hit(KEY_RETURN);
    turns(121);
    hit(KEY_DOWN);
    for (int y : {632, 722}) {
        EXPECT_EQ(menu.difficulty_panel.src.y, y);
        turns(1);
    }
    for (int i = 0; i < 3; ++i) press(KEY_DOWN);
    EXPECT_TRUE(menu.cursor == 3 && menu.difficulty_panel.src.y == 812);
}

// 120 frames of 4 px from the frame after the Return, keys ignored to the
// arriving frame included, and the panels back home exactly.
TEST_F(MenuTest, EverySlideTakes121FramesIgnoresKeysAndBringsThePanelsHome) {
    struct Slide {
        int item, cursor_after;
        Sprite Menu::*other;
        int main_from, other_from, step, state_after;
    };
    const Slide slides[] = {{1, 1, &Menu::difficulty_panel, 0, 480, -4, MENU_DIFFICULTY},
                            {3, 1, &Menu::difficulty_panel, -480, 0, 4, MENU_MAIN},
                            {3, 3, &Menu::credits_panel, 0, -480, 4, MENU_CREDITS},
                            {0, 3, &Menu::credits_panel, 480, 0, -4, MENU_MAIN}};
    for (const Slide& s : slides) {
        if (s.item > 0) move_to(s.item);
        const int state = menu.state;
        hit(KEY_RETURN);
        for (int k = 0; k <= 120; ++k) {
            ASSERT_TRUE(menu.main_panel.x == s.main_from + s.step * k &&
                        (menu.*s.other).x == s.other_from + s.step * k && menu.state == state &&
                        menu.slide != SLIDE_NONE)
                << "after " << k << " frames to state " << s.state_after;
            turn(k % 2 == 0 ? SDL_KEYDOWN : SDL_KEYUP, k % 4 == 0 ? KEY_RETURN : KEY_DOWN);
        }
        EXPECT_TRUE(menu.state == s.state_after && menu.slide == SLIDE_NONE &&
                    menu.cursor == s.cursor_after);
        turn(SDL_KEYUP, KEY_RETURN);
    }
    EXPECT_TRUE(menu.main_panel.x == 0 && menu.difficulty_panel.x == 480 &&
                menu.credits_panel.x == -480);
}

TEST_F(MenuTest, ReturnOnEachDifficultyItemStartsAGameOrGoesBackAndPreparesTheLevels) {
    hit(KEY_RETURN);
    turns(121);
    const int rows[][4] = {{1, SCREEN_PLAY, 0, SLIDE_NONE},
                           {2, SCREEN_PLAY, 1, SLIDE_NONE},
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

TEST_F(MenuTest, ThePageShowsFromItsSecondFrameAndOnlyReturnLeavesIt) {
    const SDL_Rect& shown = menu.background.src;
    press(KEY_DOWN);
    hit(KEY_RETURN);
    EXPECT_TRUE(menu.state == MENU_PAGE_STATE && shown.x == 480)
        << "this frame drew the background";
    press(KEY_DOWN);
    EXPECT_TRUE(menu.cursor == 2 && shown.x == 0 && shown.y == 0);
    hit(KEY_RETURN);
    EXPECT_TRUE(menu.state == MENU_MAIN && shown.x == 480 && shown.y == 272 * menu.bg_index);
    move_to(4);
    hit(KEY_RETURN);
    EXPECT_EQ(continuer, 0) << "the quit item";
}

}  // namespace
