// The title menu driven frame by frame as the main loop drives it: the event is
// set before the frame, the key latch after it. Drawing is checked on an
// in-memory screen against a sheet whose every pixel names its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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
    // A whole press: the key-down frame, then the key-up frame.
    void press(SDLKey key) {
        hit(key);
        frame();
    }
    // Frames until the slide under way is over; returns how many it took.
    int finish_slide() {
        int count = 0;
        while (menu.slide != SLIDE_NONE && count < 1000) {
            frame();
            ++count;
        }
        return count;
    }
    void open_difficulty() {
        hit(KEY_RETURN);
        ASSERT_EQ(menu.slide, SLIDE_TO_DIFFICULTY);
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
    void poison_levels() {
        for (Niveau& level : niveau) {
            level.started = 1;
            level.outcome = 1;
            level.paused = 1;
        }
    }
    void expect_levels_prepared() {
        for (int i = 0; i < LEVEL_COUNT; ++i) EXPECT_EQ(niveau[i].started, 0) << "record " << i;
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(niveau[i].outcome, 0) << "level " << i + 1;
            EXPECT_EQ(niveau[i].paused, 0) << "level " << i + 1;
            EXPECT_EQ(niveau[i].background.src.y, band_y(LEVEL_TABLE[i].band)) << "level " << i + 1;
        }
    }

    General general{};
    Menu menu{};
    Niveau niveau[LEVEL_COUNT]{};
    SDL_Surface* screen = nullptr;
};

TEST(MenuBackground, DrawScaledToThreeWithFourOnlyForTheTopDraw) {
    const struct {
        int r, choice;
    } rows[] = {{0, 0}, {10922, 0}, {10923, 1}, {21844, 1}, {21845, 2}, {32766, 2}, {32767, 3}};
    for (const auto& row : rows) EXPECT_EQ(scale_draw(row.r, 3), row.choice) << "r = " << row.r;
    EXPECT_EQ(scale_draw(16383, 2), 0);
    EXPECT_EQ(scale_draw(16384, 2), 1);
}

TEST_F(MenuTest, TopRandomDrawShowsTheFourthBackgroundSlot) {
    unsigned seed = 1;
    for (;; ++seed) {
        ASSERT_LT(seed, 10000000u) << "no seed draws 32767 first";
        std::srand(seed);
        if (random_draw() == RANDOM_MAX) break;
    }
    std::srand(seed);
    Menu_Init(&menu);
    EXPECT_EQ(menu.bg_index, 3);
    EXPECT_EQ(menu.background.src.x, 480);
    EXPECT_EQ(menu.background.src.y, 816);
    EXPECT_EQ(menu.background.src.w, 480);
    EXPECT_EQ(menu.background.src.h, 272);
    frame();
    EXPECT_TRUE(block_drawn(screen, 0, 0, 480, 816, SCREEN_W, MENU_PANEL_Y));
}

TEST_F(MenuTest, StartsOnTheMainPanelOverTheBackground) {
    expect_home();
    EXPECT_EQ(menu.cursor, 1);
    EXPECT_EQ(menu.state, MENU_MAIN);
    EXPECT_EQ(menu.slide, SLIDE_NONE);
    frame();
    EXPECT_TRUE(background_drawn(MENU_PANEL_Y));
    EXPECT_TRUE(panel_drawn(0, main_panel_y(1)));
    EXPECT_EQ(menu.credits_panel.dest.x, -480) << "positions copied to every panel";
    EXPECT_EQ(menu.difficulty_panel.dest.x, 480);
}

TEST_F(MenuTest, MainCursorMovesOneItemPerPressWithinItsFourItems) {
    hit(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 2);
    EXPECT_TRUE(panel_drawn(0, main_panel_y(1))) << "the move shows from the next frame";
    frame();
    EXPECT_TRUE(panel_drawn(0, main_panel_y(2)));

    // Held for many frames: still one item.
    set_key(&general, SDL_KEYDOWN, KEY_DOWN);
    frames(20);
    EXPECT_EQ(menu.cursor, 3);
    set_key(&general, SDL_KEYUP, KEY_DOWN);
    frame();

    press(KEY_DOWN);
    press(KEY_DOWN);
    press(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 4);
    frame();
    EXPECT_TRUE(panel_drawn(0, main_panel_y(4)));

    // Down on the last item is not acted on: the latch is left as it was.
    set_key(&general, SDL_KEYDOWN, KEY_DOWN);
    Menu_Sys(&menu, &general, screen, niveau);
    EXPECT_EQ(general.key_consumed, 0);
    EXPECT_EQ(menu.cursor, 4);
    set_key(&general, SDL_KEYUP, KEY_DOWN);

    for (int i = 0; i < 6; ++i) press(KEY_UP);
    EXPECT_EQ(menu.cursor, 1);
    frame();
    EXPECT_TRUE(panel_drawn(0, main_panel_y(1)));
    EXPECT_EQ(menu.main_panel.src.y, main_panel_y(1));

    // A second key-down with no key-up between is not fresh.
    set_key(&general, SDL_KEYDOWN, KEY_DOWN);
    frame();
    set_key(&general, SDL_KEYDOWN, KEY_DOWN);
    frame();
    EXPECT_EQ(menu.cursor, 2);
}

TEST_F(MenuTest, SlideToDifficultyTakes121FramesAndIgnoresKeys) {
    hit(KEY_RETURN);
    EXPECT_EQ(menu.slide, SLIDE_TO_DIFFICULTY);
    EXPECT_EQ(menu.main_panel.x, 0) << "the slide moves from the next frame";

    for (int k = 1; k <= 120; ++k) {
        if (k == 60) {
            set_key(&general, SDL_KEYDOWN, KEY_DOWN);
        } else if (k == 62) {
            set_key(&general, SDL_KEYDOWN, KEY_RETURN);
        } else {
            set_key(&general, SDL_KEYUP, KEY_DOWN);
        }
        frame();
        if (k == 61) {
            // Both panels drawn at the positions reached after 60 frames.
            EXPECT_TRUE(panel_drawn(-240, main_panel_y(1)));
            EXPECT_TRUE(panel_drawn(240, difficulty_panel_y(1)));
        }
        ASSERT_EQ(menu.main_panel.x, -4 * k);
        ASSERT_EQ(menu.difficulty_panel.x, 480 - 4 * k);
        ASSERT_EQ(menu.state, MENU_MAIN);
        ASSERT_EQ(menu.slide, SLIDE_TO_DIFFICULTY);
        ASSERT_EQ(menu.cursor, 1) << "keys are ignored while sliding";
    }

    // The arriving frame ignores a fresh Return too.
    hit(KEY_RETURN);
    EXPECT_EQ(menu.state, MENU_DIFFICULTY);
    EXPECT_EQ(menu.slide, SLIDE_NONE);
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(1)));
    EXPECT_EQ(menu.main_panel.x, -480);
    frame();

    // From the next frame on the panel reads keys.
    press(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 2);
}

TEST_F(MenuTest, PanelsComeHomeAfterAnyNumberOfRoundTrips) {
    for (int trip = 0; trip < 4; ++trip) {
        open_difficulty();
        press(KEY_DOWN);
        press(KEY_DOWN);
        hit(KEY_RETURN);
        ASSERT_EQ(menu.slide, SLIDE_FROM_DIFFICULTY);
        EXPECT_EQ(menu.cursor, 1) << "back on the item that opened the panel";
        EXPECT_EQ(general.screen, SCREEN_MENU);
        ASSERT_EQ(finish_slide(), SLIDE_FRAMES);
        EXPECT_EQ(menu.state, MENU_MAIN);
        expect_home();

        press(KEY_DOWN);
        press(KEY_DOWN);
        hit(KEY_RETURN);  // credits
        ASSERT_EQ(finish_slide(), SLIDE_FRAMES);
        EXPECT_EQ(menu.state, MENU_CREDITS);
        EXPECT_EQ(menu.main_panel.x, 480);
        EXPECT_EQ(menu.credits_panel.x, 0);
        hit(KEY_RETURN);
        ASSERT_EQ(finish_slide(), SLIDE_FRAMES);
        EXPECT_EQ(menu.state, MENU_MAIN);
        expect_home();
        press(KEY_UP);
        press(KEY_UP);
    }
    frame();
    EXPECT_TRUE(panel_drawn(0, main_panel_y(1)));
    EXPECT_TRUE(background_drawn(MENU_PANEL_Y));
}

TEST_F(MenuTest, DifficultyHighlightFollowsTheCursorTwoFramesLate) {
    open_difficulty();
    hit(KEY_DOWN);
    EXPECT_EQ(menu.cursor, 2);
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(1)));
    frame();
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(1))) << "one frame after the key";
    frame();
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(2))) << "two frames after the key";

    press(KEY_DOWN);
    press(KEY_DOWN);  // already on the last item
    EXPECT_EQ(menu.cursor, 3);
    frames(2);
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(3)));

    // Leaving by item 3: the panel slides out and back in still showing item 3,
    // and shows the cursor's item 1 two frames after arriving.
    hit(KEY_RETURN);
    frames(60);
    EXPECT_TRUE(panel_drawn(4 * 59, difficulty_panel_y(3)));
    finish_slide();
    ASSERT_EQ(menu.state, MENU_MAIN);
    hit(KEY_RETURN);
    frames(60);
    EXPECT_TRUE(panel_drawn(480 - 4 * 59, difficulty_panel_y(3)));
    finish_slide();
    ASSERT_EQ(menu.state, MENU_DIFFICULTY);
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(3))) << "the arriving frame";
    frame();
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(3))) << "the first frame after arriving";
    frame();
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(1))) << "the second frame after arriving";
}

TEST_F(MenuTest, DifficultyItemsStartAGameOrGoBackAndAlwaysPrepareTheLevels) {
    open_difficulty();
    general.difficulty = 1;
    poison_levels();
    hit(KEY_RETURN);
    EXPECT_EQ(general.screen, SCREEN_PLAY);
    EXPECT_EQ(general.level, 1);
    EXPECT_EQ(general.difficulty, 0);
    EXPECT_EQ(menu.state, MENU_DIFFICULTY);
    EXPECT_EQ(menu.cursor, 1);
    expect_levels_prepared();

    // Back from a pause: the panel shows at once, with no slide.
    general.screen = SCREEN_MENU;
    frame();
    EXPECT_TRUE(panel_drawn(0, difficulty_panel_y(1)));
    EXPECT_EQ(menu.slide, SLIDE_NONE);

    press(KEY_DOWN);
    general.level = 5;
    poison_levels();
    hit(KEY_RETURN);
    EXPECT_EQ(general.screen, SCREEN_PLAY);
    EXPECT_EQ(general.level, 1);
    EXPECT_EQ(general.difficulty, 1);
    EXPECT_EQ(menu.cursor, 2);
    expect_levels_prepared();

    general.screen = SCREEN_MENU;
    general.level = 1;
    frame();
    press(KEY_DOWN);
    poison_levels();
    hit(KEY_RETURN);
    EXPECT_EQ(general.screen, SCREEN_MENU);
    EXPECT_EQ(general.level, 1);
    EXPECT_EQ(general.difficulty, 1);
    EXPECT_EQ(menu.slide, SLIDE_FROM_DIFFICULTY);
    EXPECT_EQ(menu.cursor, 1);
    expect_levels_prepared();
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
    EXPECT_EQ(menu.background.src.x, MENU_BG_X);
    EXPECT_EQ(menu.background.src.y, MENU_BG_H * menu.bg_index);

    frame();
    EXPECT_TRUE(background_drawn(MENU_PANEL_Y));
    EXPECT_TRUE(panel_drawn(0, main_panel_y(2))) << "the cursor kept its item";
}

TEST_F(MenuTest, CreditsSlideInFromTheLeftAndBack) {
    press(KEY_DOWN);
    press(KEY_DOWN);
    hit(KEY_RETURN);
    EXPECT_EQ(menu.slide, SLIDE_TO_CREDITS);
    frames(41);
    EXPECT_TRUE(panel_drawn(160, main_panel_y(3)));
    EXPECT_TRUE(panel_drawn(-320, MENU_CREDITS_PANEL_Y));
    EXPECT_EQ(finish_slide(), SLIDE_FRAMES - 41);
    EXPECT_EQ(menu.state, MENU_CREDITS);
    EXPECT_TRUE(panel_drawn(0, MENU_CREDITS_PANEL_Y));

    press(KEY_DOWN);
    press(KEY_UP);
    EXPECT_EQ(menu.slide, SLIDE_NONE) << "only Return leaves the credits";
    hit(KEY_RETURN);
    EXPECT_EQ(menu.slide, SLIDE_FROM_CREDITS);
    EXPECT_EQ(menu.credits_panel.x, 0) << "the way back starts in the next frame";
    frames(120);
    ASSERT_EQ(menu.state, MENU_CREDITS);
    hit(KEY_RETURN);  // in the arriving frame: ignored
    EXPECT_EQ(menu.state, MENU_MAIN);
    EXPECT_EQ(menu.slide, SLIDE_NONE);
    EXPECT_TRUE(panel_drawn(0, main_panel_y(3)));
    expect_home();
    EXPECT_EQ(menu.cursor, 3);
}

TEST_F(MenuTest, QuitItemClearsTheRunFlag) {
    for (int i = 0; i < 3; ++i) press(KEY_DOWN);
    EXPECT_EQ(continuer, 1);
    hit(KEY_RETURN);
    EXPECT_EQ(continuer, 0);
    EXPECT_EQ(menu.state, MENU_MAIN);
    EXPECT_EQ(general.screen, SCREEN_MENU);
    continuer = 1;
}

}  // namespace
