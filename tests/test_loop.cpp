// The real start-up and main loop, headless, driven by events pushed into SDL's queue.
#include <gtest/gtest.h>

#include <cstdlib>

#include "fonction.h"
#include "main.h"
#include "support.h"

namespace {

class Loop : public testing::Test, public Session {
protected:
    void SetUp() override { ASSERT_TRUE(start()); }
};

}  // namespace

TEST_F(Loop, StartUpPrintsTheLoadingTextAndPreparesEveryRecord) {
    EXPECT_EQ(out,
              "Thanks to play Pelune.\n\n\n\n\nPlease wait while loading...\n\nLoading gfx ...OK\n\n"
              "Loading music...OK\n\n");
    EXPECT_NE(game.screen, nullptr);
    EXPECT_EQ(game.screen->w, SCREEN_W);
    EXPECT_EQ(game.screen->h, SCREEN_H);
    EXPECT_EQ(game.general.screen, SCREEN_MENU);
    EXPECT_EQ(game.general.level, 0);
    EXPECT_EQ(game.general.unlock, 0) << "no unlock file yet";
    EXPECT_EQ(game.perso.player.x, 0);
    EXPECT_EQ(game.perso.player.y, 173);
    EXPECT_EQ(game.sons.played_theme, 1) << "the start-up jingle has been started";
    EXPECT_EQ(game.niveau[0].background.src.y, 0);
    EXPECT_EQ(game.niveau[8].background.src.y, 2176);
    EXPECT_EQ(game.niveau[10].background.src.y, 2992);
    EXPECT_EQ(continuer, 1);
}

TEST_F(Loop, AMenuTurnResetsTheRunnersTheCurtainAndTheSoundFlags) {
    turns(1);
    EXPECT_EQ(game.perso.player.x, START_X);
    EXPECT_EQ(game.perso.player.y, START_Y_MENU);
    EXPECT_EQ(game.perso.cpu.y, START_Y_MENU - CPU_LIFT);
    EXPECT_EQ(game.sons.played_theme, 0);
    EXPECT_EQ(game.anim.phase, 0);
}

TEST_F(Loop, AHeldKeyActsOnceAndASecondKeyDownWithNothingBetweenIsIgnored) {
    push_key(SDL_KEYDOWN, KEY_DOWN);
    turns(5);
    EXPECT_EQ(game.menu.cursor, 2) << "the key-down stays in the event field but acts once";
    EXPECT_EQ(game.general.key_consumed, 1);

    push_key(SDL_KEYDOWN, KEY_DOWN);  // no key-up between: not a fresh press
    turns(3);
    EXPECT_EQ(game.menu.cursor, 2);

    push_key(SDL_KEYUP, KEY_DOWN);
    push_key(SDL_KEYDOWN, KEY_DOWN);
    turns(3);
    EXPECT_EQ(game.menu.cursor, 3);

    push_key(SDL_KEYDOWN, KEY_ESCAPE);  // latched by the held Down, Escape still quits
    turns(1);
    EXPECT_EQ(continuer, 0);
}

TEST_F(Loop, TheWindowCloseRequestQuits) {
    turns(2);
    push_quit();
    turns(1);
    EXPECT_EQ(continuer, 0);
}

TEST_F(Loop, LevelsAboveElevenBecomeTheEndingAndZeroOrLessRunsNothing) {
    game.general.screen = SCREEN_PLAY;
    game.general.level = 13;
    turns(1);
    EXPECT_EQ(game.general.level, LEVEL_ENDING);
    EXPECT_EQ(game.niveau[LEVEL_ENDING - 1].background.src.h, 0) << "no scene ran in that turn";
    turns(1);
    EXPECT_EQ(game.niveau[LEVEL_ENDING - 1].background.src.y, band_y(BAND_ENDING_EASY))
        << "the ending runs from the next turn";

    for (int level : {0, -5}) {
        game.general.level = level;
        fill(game.screen, 0xFF123456);
        const Niveau before = game.niveau[0];
        turns(2);
        EXPECT_EQ(pixel_at(game.screen, 10, 10), 0xFF123456u) << "level " << level;
        EXPECT_EQ(pixel_at(game.screen, 400, 200), 0xFF123456u) << "level " << level;
        EXPECT_EQ(game.niveau[0].started, before.started);
        EXPECT_EQ(game.general.level, level);
    }
}

TEST_F(Loop, RainIsDrawnOnEveryScreenButTheBonusLevel) {
    game.general.rain_on = 1;
    game.general.screen = SCREEN_PLAY;
    game.general.level = LEVEL_BONUS;
    const int drop_y = game.general.drops[0].y;
    turns(3);
    EXPECT_EQ(game.general.drops[0].y, drop_y) << "no rain over the bonus level";
    game.general.level = LEVEL_ENDING;
    turns(1);
    EXPECT_EQ(game.general.drops[0].y, drop_y + 1);
    game.general.screen = SCREEN_MENU;
    turns(1);
    EXPECT_EQ(game.general.drops[0].y, drop_y + 2);
}

TEST(LoopDevices, NoDisplayIsOneLineOnStandardErrorAndNoStart) {
    GameDir dir;
    const std::string previous = std::getenv("SDL_VIDEODRIVER");
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    Game game;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const bool started = Game_Start(&game);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string error = testing::internal::GetCapturedStderr();
    setenv("SDL_VIDEODRIVER", previous.c_str(), 1);
    SDL_Quit();
    EXPECT_FALSE(started);
    EXPECT_EQ(out, "");
    const std::size_t at = error.find("pelune: no display: ");
    ASSERT_NE(at, std::string::npos) << error;
    EXPECT_EQ(error.find("display", at + 20), std::string::npos) << "said once: " << error;
    EXPECT_EQ(error.back(), '\n');
}

TEST(LoopDevices, WithoutAnAudioDeviceTheGameRunsSilently) {
    GameDir dir;
    const std::string previous = std::getenv("SDL_AUDIODRIVER");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    Game game;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    const bool started = Game_Start(&game);
    testing::internal::GetCapturedStdout();
    const std::string error = testing::internal::GetCapturedStderr();
    setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    ASSERT_TRUE(started);
    EXPECT_NE(error.find("no audio device"), std::string::npos) << error;
    EXPECT_EQ(game.sons.theme, nullptr) << "no chunk without a device";
    EXPECT_EQ(error.find("cannot load data/music"), std::string::npos) << "said once, not per file";
    push_key(SDL_KEYDOWN, KEY_DOWN);
    for (int i = 0; i < 10; ++i) Game_Turn(&game);
    EXPECT_EQ(game.menu.cursor, 2);
    Game_Stop(&game);
    SDL_Quit();
}
