// The title menu driven frame by frame as the main loop drives it: the event is
// set before the frame, the key latch after it. Drawing is checked on an
// in-memory screen against a sheet whose every pixel names its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "fonction.h"
#include "menu.h"
#include "support.h"

namespace {

constexpr int SLIDE_FRAMES = 121;  // 120 frames of movement and the arriving frame

int main_panel_y(int item) { return MENU_MAIN_PANEL_Y + MENU_PANEL_H * (item - 1); }
int difficulty_panel_y(int item) { return MENU_DIFFICULTY_PANEL_Y + MENU_PANEL_H * (item - 1); }

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        General_Init(&general);
        Menu_Init(&menu);
        menu.sheet = make_sheet(MENU_SHEET_W, MENU_SHEET_H);
        screen = make_surface(SCREEN_W, SCREEN_H);
    }
    void TearDown() override {
        SDL_FreeSurface(menu.sheet);
        SDL_FreeSurface(screen);
        continuer = 1;
    }
    void frame() {
        Menu_Sys(&menu, &general, screen, niveau);
        general.key_consumed = general.event.type == SDL_KEYDOWN ? 1 : 0;
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }
    // A frame whose event is a key-down; the key-up waits as the next frame's event.
    void hit(SDLKey key) {
        set_key(&general, SDL_KEYDOWN, key);
        frame();
        set_key(&general, SDL_KEYUP, key);
    }
    void press(SDLKey key) {  // the key-down frame, then the key-up frame
        hit(key);
        frame();
    }
    void move_cursor_to(int item) {
        for (int i = 0; menu.cursor != item && i < 10; ++i) press(menu.cursor < item ? KEY_DOWN : KEY_UP);
    }
    int finish_slide() {  // frames until the slide under way is over
        int count = 0;
        for (; menu.slide != SLIDE_NONE && count < 1000; ++count) frame();
        return count;
    }
    void open_difficulty() {
        hit(KEY_RETURN);
        ASSERT_EQ(finish_slide(), SLIDE_FRAMES);
        ASSERT_EQ(menu.state, MENU_DIFFICULTY);
    }
    // The visible part of a panel drawn at x, cut from sheet row sheet_y.
    bool panel_drawn(int x, int sheet_y) {
        const int left = std::max(x, 0);
        const int right = std::min(x + MENU_PANEL_W, SCREEN_W);
        return block_drawn(screen, left, MENU_PANEL_Y, left - x, sheet_y, right - left, MENU_PANEL_H);
    }
    bool background_drawn(int rows) {
        return block_drawn(screen, 0, 0, MENU_BG_X, MENU_BG_H * menu.bg_index, SCREEN_W, rows);
    }
    void expect_home() {
        EXPECT_EQ(menu.main_panel.x, 0);
        EXPECT_EQ(menu.difficulty_panel.x, 480);
        EXPECT_EQ(menu.credits_panel.x, -480);
    }
    General general{};
    Menu menu{};
    Niveau niveau[LEVEL_COUNT]{};
    SDL_Surface* screen = nullptr;
};

TEST(MenuBackground, DrawScaledToThreeWithFourOnlyForTheTopDraw) {
    const int rows[][3] = {{0, 3, 0},     {10922, 3, 0}, {10923, 3, 1},  {21844, 3, 1}, {21845, 3, 2},
                           {32766, 3, 2}, {32767, 3, 3}, {16383, 2, 0}, {16384, 2, 1}};
    for (const auto& [r, n, choice] : rows) EXPECT_EQ(scale_draw(r, n), choice) << r << " of " << n;
}

TEST_F(MenuTest, StartsOnTheMainPanelOverTheBackgroundTheTopDrawShowingTheFourthSlot) {
    unsigned seed = 1;
    for (;; ++seed) {
        ASSERT_LT(seed, 10000000u) << "no seed draws 32767 first";
        std::srand(seed);
        if (random_draw() == RANDOM_MAX) break;
    }
    std::srand(seed);
    Menu_Init(&menu);
    EXPECT_EQ(menu.bg_index, 3);
    expect_home();
    EXPECT_EQ(menu.cursor, 1);
    EXPECT_EQ(menu.state, MENU_MAIN);
    EXPECT_EQ(menu.slide, SLIDE_NONE);
    frame();
    EXPECT_TRUE(block_drawn(screen, 0, 0, 480, 816, SCREEN_W, MENU_PANEL_Y));
    EXPECT_TRUE(panel_drawn(0, main_panel_y(1)));
}

TEST_F(MenuTest, MainCursorMovesOneItemPerFreshPressWithinItsFourItems) {
    hit(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 2);
    EXPECT_TRUE(panel_drawn(0, main_panel_y(1))) << "the move shows from the next frame";
    frame();
    EXPECT_TRUE(panel_drawn(0, main_panel_y(2)));

    set_key(&general, SDL_KEYDOWN, KEY_DOWN);  // held, or a second key-down with no key-up: one item
    frames(20);
    EXPECT_EQ(menu.cursor, 3);
    set_key(&general, SDL_KEYUP, KEY_DOWN);
    frame();

    for (int i = 0; i < 3; ++i) press(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 4);
    EXPECT_TRUE(panel_drawn(0, main_panel_y(4)));
    // Down on the last item is not acted on: the latch is left as it was.
    set_key(&general, SDL_KEYDOWN, KEY_DOWN);
    Menu_Sys(&menu, &general, screen, niveau);
    EXPECT_EQ(general.key_consumed, 0);
    EXPECT_EQ(menu.cursor, 4);
    set_key(&general, SDL_KEYUP, KEY_DOWN);

    for (int i = 0; i < 6; ++i) press(KEY_UP);
    EXPECT_EQ(menu.cursor, 1);
    EXPECT_TRUE(panel_drawn(0, main_panel_y(1)));
}

// Each slide, four round trips over: 120 frames of 4 px from the frame after the
// Return, with keys ignored to the arriving frame included, and the panels back
// at exactly their places.
TEST_F(MenuTest, EverySlideTakes121FramesIgnoresKeysAndBringsThePanelsHomeExactly) {
    struct Slide {
        int item, slide, cursor_after;
        Sprite Menu::*other;
        int main_from, other_from, step, state_after;
    };
    const Slide slides[] = {
        {1, SLIDE_TO_DIFFICULTY, 1, &Menu::difficulty_panel, 0, 480, -4, MENU_DIFFICULTY},
        {3, SLIDE_FROM_DIFFICULTY, 1, &Menu::difficulty_panel, -480, 0, 4, MENU_MAIN},
        {3, SLIDE_TO_CREDITS, 3, &Menu::credits_panel, 0, -480, 4, MENU_CREDITS},
        {0, SLIDE_FROM_CREDITS, 3, &Menu::credits_panel, 480, 0, -4, MENU_MAIN},
    };
    for (int trip = 0; trip < 4; ++trip) {
        for (const Slide& s : slides) {
            SCOPED_TRACE("trip " + std::to_string(trip) + ", slide " + std::to_string(s.slide));
            if (s.item > 0) move_cursor_to(s.item);
            const int state = menu.state;
            hit(KEY_RETURN);
            ASSERT_EQ(menu.slide, s.slide);
            ASSERT_EQ(menu.cursor, s.cursor_after);
            for (int k = 0; k <= 120; ++k) {
                ASSERT_EQ(menu.main_panel.x, s.main_from + s.step * k) << "after " << k << " frames";
                ASSERT_EQ((menu.*s.other).x, s.other_from + s.step * k) << "after " << k << " frames";
                ASSERT_EQ(menu.state, state);
                ASSERT_EQ(menu.cursor, s.cursor_after) << "keys are ignored while sliding";
                // Fresh key-downs of Return and Down every other frame, Return in the arriving one.
                set_key(&general, k % 2 == 0 ? SDL_KEYDOWN : SDL_KEYUP, k % 4 == 0 ? KEY_RETURN : KEY_DOWN);
                frame();
                if (k == 60) {  // both panels drawn where 60 frames took them
                    EXPECT_TRUE(panel_drawn(s.main_from + s.step * 60, menu.main_panel.src.y));
                    EXPECT_TRUE(panel_drawn(s.other_from + s.step * 60, (menu.*s.other).src.y));
                }
            }
            EXPECT_EQ(menu.state, s.state_after) << "the arriving frame took the fresh Return as nothing";
            EXPECT_EQ(menu.slide, SLIDE_NONE);
            EXPECT_EQ(menu.cursor, s.cursor_after);
            EXPECT_EQ(general.screen, SCREEN_MENU);
            set_key(&general, SDL_KEYUP, KEY_RETURN);
            frame();
            if (s.state_after == MENU_MAIN) expect_home();
            if (s.state_after == MENU_CREDITS) {
                press(KEY_DOWN);
                press(KEY_UP);
                EXPECT_EQ(menu.slide, SLIDE_NONE) << "only Return leaves the credits";
                EXPECT_TRUE(panel_drawn(0, MENU_CREDITS_PANEL_Y));
            }
        }
    }
    EXPECT_TRUE(panel_drawn(0, main_panel_y(3)));
    EXPECT_TRUE(background_drawn(MENU_PANEL_Y));
}

TEST_F(MenuTest, DifficultyHighlightFollowsTheCursorTwoFramesLate) {
    open_difficulty();
    hit(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 2);
    // The frame of the key, the next one, then the move shows.
    for (int item : {1, 1, 2}) {
        EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(item)));
        frame();
    }
    press(KEY_DOWN);
    press(KEY_DOWN);  // already on the last item
    EXPECT_EQ(menu.cursor, 3);
    frame();
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(3)));

    // Leaving by item 3: the panel slides out and back in still showing item 3,
    // and shows the cursor's item 1 two frames after arriving.
    hit(KEY_RETURN);
    frames(60);
    EXPECT_TRUE(panel_drawn(4 * 59, difficulty_panel_y(3)));
    finish_slide();
    hit(KEY_RETURN);
    frames(60);
    EXPECT_TRUE(panel_drawn(480 - 4 * 59, difficulty_panel_y(3)));
    finish_slide();
    ASSERT_EQ(menu.state, MENU_DIFFICULTY);
    for (int item : {3, 3, 1}) {  // the arriving frame, the next, the one after
        EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(item)));
        frame();
    }
}

TEST_F(MenuTest, QuitItemClearsTheRunFlag) {
    move_cursor_to(4);
    EXPECT_EQ(continuer, 1);
    hit(KEY_RETURN);
    EXPECT_EQ(continuer, 0);
    EXPECT_EQ(menu.state, MENU_MAIN);
    EXPECT_EQ(menu.slide, SLIDE_NONE);
}

TEST_F(MenuTest, ReturnOnEachDifficultyItemStartsAGameOrGoesBackAndPreparesTheLevels) {
    struct Row {
        int item, screen, difficulty, slide;
    };
    const Row rows[] = {{1, SCREEN_PLAY, 0, SLIDE_NONE}, {2, SCREEN_PLAY, 1, SLIDE_NONE},
                        {3, SCREEN_MENU, 1, SLIDE_FROM_DIFFICULTY}};
    open_difficulty();
    general.difficulty = 1;
    for (const Row& row : rows) {
        SCOPED_TRACE("item " + std::to_string(row.item));
        // Back from a game: the panel shows at once, with no slide.
        general.screen = SCREEN_MENU;
        frame();
        EXPECT_TRUE(panel_drawn(0, menu.difficulty_panel.src.y));
        EXPECT_EQ(menu.slide, SLIDE_NONE);
        move_cursor_to(row.item);
        general.level = 5;
        for (Niveau& level : niveau) level.started = level.outcome = level.paused = 1;
        hit(KEY_RETURN);
        EXPECT_EQ(general.screen, row.screen);
        EXPECT_EQ(general.level, row.screen == SCREEN_PLAY ? 1 : 5);
        EXPECT_EQ(general.difficulty, row.difficulty);
        EXPECT_EQ(menu.slide, row.slide);
        EXPECT_EQ(menu.cursor, row.slide == SLIDE_NONE ? row.item : 1);
        for (int i = 0; i < LEVEL_COUNT; ++i) EXPECT_EQ(niveau[i].started, 0) << "record " << i;
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(niveau[i].outcome + niveau[i].paused, 0) << "level " << i + 1;
            EXPECT_EQ(niveau[i].background.src.y, band_y(LEVEL_TABLE[i].band)) << "level " << i + 1;
        }
    }
}

TEST_F(MenuTest, FullScreenPageShowsFromItsSecondFrame) {
    press(KEY_DOWN);
    hit(KEY_RETURN);
    EXPECT_EQ(menu.state, MENU_PAGE_STATE);
    EXPECT_TRUE(panel_drawn(0, main_panel_y(2))) << "the choosing frame still drew the panel";
    frame();
    EXPECT_TRUE(background_drawn(SCREEN_H)) << "first frame: the background alone, no panel";
    frame();
    EXPECT_TRUE(block_drawn(screen, 0, 0, MENU_PAGE.x, MENU_PAGE.y, SCREEN_W, SCREEN_H));
    press(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 2) << "only Return leaves the page";
    EXPECT_EQ(menu.state, MENU_PAGE_STATE);
    hit(KEY_RETURN);
    EXPECT_EQ(menu.state, MENU_MAIN);
    frame();
    EXPECT_TRUE(background_drawn(MENU_PANEL_Y));
    EXPECT_TRUE(panel_drawn(0, main_panel_y(2))) << "the cursor kept its item";
}

}  // namespace
