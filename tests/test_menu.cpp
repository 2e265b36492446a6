// The title menu through the real loop, drawn from sheets that name their pixels.
#include <algorithm>

#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

struct MenuTest : Started {
    void SetUp() override {
        Started::SetUp();
        labelled();
        turns(1);
    }
    void hit(SDLKey key) {  // the key-down's frame; the key-up waits as the next frame's event
        turn(SDL_KEYDOWN, key);
        set_key(&game.general, SDL_KEYUP, key);
    }
    void move_to(int item) {
        while (menu.cursor != item) press(menu.cursor < item ? KEY_DOWN : KEY_UP);
    }
    bool panel(int x, int sheet_y, int item) {  // the visible part of a panel drawn at x, item lit
        const int left = std::max(x, 0), right = std::min(x + 480, 480);
        return block_drawn(game.screen, left, 180, left - x, sheet_y + 90 * (item - 1),
                           right - left, 90);
    }
    Menu& menu = game.menu;
};

TEST(MenuBackground, DrawScaledToThreeWithFourOnlyForTheTopDraw) {
    for (const auto& [r, choice] :
         {std::pair{10922, 0}, {10923, 1}, {21845, 2}, {32766, 2}, {32767, 3}}) {
        EXPECT_EQ(scale_draw(r, 3), choice) << r;
    }
}

TEST_F(MenuTest, TheCursorMovesOneItemPerFreshPressWithinEachPanel) {
    EXPECT_TRUE(block_drawn(game.screen, 0, 0, 480, 272 * menu.bg_index, 480, 180) &&
                panel(0, 272, 1));
    hit(KEY_DOWN);
    EXPECT_TRUE(menu.cursor == 2 && panel(0, 272, 1)) << "the move shows from the next frame";
    push_key(SDL_KEYDOWN, KEY_DOWN);  // held: one item
    turns(20);
    set_key(&game.general, SDL_KEYUP, KEY_DOWN);
    for (int i = 0; i < 3; ++i) press(KEY_DOWN);
    EXPECT_TRUE(menu.cursor == 4 && panel(0, 272, 4));
    for (int i = 0; i < 5; ++i) press(KEY_UP);
    EXPECT_TRUE(menu.cursor == 1 && panel(0, 272, 1));
    hit(KEY_RETURN);
    turns(121);
    hit(KEY_DOWN);
    for (int item : {1, 1, 2}) {  // the difficulty panel's highlight shows two frames late
        EXPECT_TRUE(menu.state == MENU_DIFFICULTY && panel(0, 632, item));
        turns(1);
    }
    for (int i = 0; i < 3; ++i) press(KEY_DOWN);
    EXPECT_TRUE(menu.cursor == 3 && panel(0, 632, 3));
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
    EXPECT_TRUE(panel(0, 272, 3));
}

TEST_F(MenuTest, ReturnOnEachDifficultyItemStartsAGameOrGoesBackAndPreparesTheLevels) {
    hit(KEY_RETURN);
    turns(121);
    // item, screen, difficulty, slide
    for (const auto& [item, screen, difficulty, slide] :
         {std::tuple{1, SCREEN_PLAY, 0, SLIDE_NONE},
          {2, SCREEN_PLAY, 1, SLIDE_NONE},
          {3, SCREEN_MENU, 1, SLIDE_FROM_DIFFICULTY}}) {
        game.general.screen = SCREEN_MENU;  // back from a game: the panel shows at once
        move_to(item);
        for (Niveau& level : game.niveau) level.started = level.paused = 1;
        hit(KEY_RETURN);
        EXPECT_TRUE(game.general.screen == screen && game.general.difficulty == difficulty &&
                    menu.slide == slide && menu.cursor == (item == 3 ? 1 : item))
            << "item " << item;
        for (int i = 0; i < LEVEL_COUNT; ++i)
            EXPECT_TRUE(game.niveau[i].started + (i != 9) * game.niveau[i].paused == 0);
    }
}

TEST_F(MenuTest, ThePageShowsFromItsSecondFrameAndOnlyReturnLeavesIt) {
    press(KEY_DOWN);
    hit(KEY_RETURN);
    turns(1);
    EXPECT_TRUE(block_drawn(game.screen, 0, 0, 480, 272 * menu.bg_index, 480, 272))
        << "the background alone";
    press(KEY_DOWN);
    EXPECT_TRUE(block_drawn(game.screen, 0, 0, 0, 0, 480, 272) && menu.cursor == 2 &&
                menu.state == MENU_PAGE_STATE);
    hit(KEY_RETURN);
    turns(1);
    EXPECT_TRUE(menu.state == MENU_MAIN &&
                block_drawn(game.screen, 0, 0, 480, 272 * menu.bg_index, 480, 180));
    move_to(4);
    hit(KEY_RETURN);
    EXPECT_EQ(continuer, 0) << "the quit item";
}

}  // namespace
