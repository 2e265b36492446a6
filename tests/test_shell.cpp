// The game shell: unlock file, sound bank guard, quit test, frame pacing, and
// the real main loop driven through Game_Start / Game_Turn with pushed events.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "fonction.h"
#include "main.h"
#include "support.h"

namespace {

int read_unlock_from(const GameDir& dir, const std::string* content) {
    if (content != nullptr) dir.write(UNLOCK_PATH, *content);
    General general{};
    general.unlock = 99;
    read_unlock(&general);
    EXPECT_EQ(general.unlock_file, nullptr) << "the file is closed again";
    return general.unlock;
}

}  // namespace

TEST(UnlockFile, ReadsTheFirstDigitAndCountsAnythingElseAsLocked) {
    GameDir dir(false);
    EXPECT_EQ(read_unlock_from(dir, nullptr), 0) << "missing file";
    const struct {
        std::string content;
        int unlock;
    } rows[] = {{"", 0},      {"0", 0},         {"1", 1},  {"7", 7},   {"2\n", 2},
                {"10", 1},    {"x", 0},         {"-1", 0}, {" 1", 0},  {std::string("\xff\x00\x13\x37", 4), 0},
                {"1garbage", 1}};
    for (const auto& row : rows) {
        EXPECT_EQ(read_unlock_from(dir, &row.content), row.unlock) << "file holding '" << row.content << "'";
    }
}

TEST(UnlockFile, ADirectoryOrAnUnreadableFileReadsAsLocked) {
    GameDir dir(false);
    mkdir(dir.file(UNLOCK_PATH).c_str(), 0755);
    EXPECT_EQ(read_unlock_from(dir, nullptr), 0);
    rmdir(dir.file(UNLOCK_PATH).c_str());

    dir.write(UNLOCK_PATH, "1");
    chmod(dir.file(UNLOCK_PATH).c_str(), 0);
    if (geteuid() == 0) GTEST_SKIP() << "root reads any file";
    EXPECT_EQ(read_unlock_from(dir, nullptr), 0);
}

TEST(UnlockFile, SaveWritesOneDigitAndLeavesNothingBeside) {
    GameDir dir(false);
    General general{};
    general.unlock = 1;
    save_unlock(&general);
    EXPECT_EQ(dir.read(UNLOCK_PATH), "1");
    EXPECT_FALSE(dir.exists("data/dat.dat.new"));
    EXPECT_EQ(general.unlock_file, nullptr);

    dir.write(UNLOCK_PATH, "0");  // an existing file is replaced, not appended to
    save_unlock(&general);
    EXPECT_EQ(dir.read(UNLOCK_PATH), "1");
    EXPECT_EQ(read_unlock_from(dir, nullptr), 1) << "what is written reads back";
}

TEST(UnlockFile, AFailedWriteKeepsTheOldFileAndTheRunsCount) {
    GameDir dir(false);
    dir.write(UNLOCK_PATH, "0");
    // A directory where the new file would go makes the write fail, even for root.
    mkdir(dir.file("data/dat.dat.new").c_str(), 0755);
    General general{};
    general.unlock = 1;
    testing::internal::CaptureStderr();
    save_unlock(&general);
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(dir.read(UNLOCK_PATH), "0") << "the old file is intact";
    EXPECT_EQ(general.unlock, 1);
    EXPECT_NE(error.find("data/dat.dat"), std::string::npos);
    rmdir(dir.file("data/dat.dat.new").c_str());

    // No data directory at all: nothing to write into, and no crash.
    GameDir bare(false);
    std::filesystem::remove_all(bare.file("data"));
    testing::internal::CaptureStderr();
    save_unlock(&general);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(bare.exists(UNLOCK_PATH));
}

TEST(UnlockFile, AReadOnlyDataDirectoryKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    GameDir dir(false);
    dir.write(UNLOCK_PATH, "0");
    chmod(dir.file("data").c_str(), 0555);
    General general{};
    general.unlock = 1;
    testing::internal::CaptureStderr();
    save_unlock(&general);
    testing::internal::GetCapturedStderr();
    chmod(dir.file("data").c_str(), 0755);
    EXPECT_EQ(dir.read(UNLOCK_PATH), "0");
}

// Started's audio device is SDL's dummy one: chunks play on its channels.
TEST_F(Started, PlayWavStartsAChunkOnceUntilItsFlagIsClearedAndPlayedSongInitClearsThemAll) {
    int played = 0;
    Mix_HaltChannel(-1);
    for (int flag : {0, 1, 1, 0}) played = flag, PlayWav(game.sons.count1, &played);
    EXPECT_TRUE(played == 1 && Mix_Playing(-1) == 2);
    played = 0;
    PlayWav(nullptr, &played);
    EXPECT_TRUE(played == 1 && Mix_Playing(-1) == 2) << "a missing chunk still sets its flag";
    for (int* flag = &game.sons.played_theme; flag <= &game.sons.played_levelwin; ++flag) *flag = 1;
    PlayedSong_Init(&game.sons);
    for (int* flag = &game.sons.played_theme; flag <= &game.sons.played_levelwin; ++flag)
        EXPECT_EQ(*flag, 0);
}

TEST_F(Started, TheJingleAndTheMusicStartAndAMenuTurnStartsAfresh) {
    EXPECT_TRUE(game.sons.played_theme == 1 && Mix_PlayingMusic() == 1);
    game.anim.phase = 1;
    turns(1);
    EXPECT_TRUE(game.anim.phase + game.sons.played_theme == 0 && game.perso.player.x == -15);
}

TEST_F(Started, AHeldKeyActsOnceASecondKeyDownIsIgnoredAndEscapeOrCloseQuits) {
    for (const auto& [type, cursor] :
         {std::pair{SDL_KEYDOWN, 2}, {SDL_KEYDOWN, 2}, {SDL_KEYUP, 2}, {SDL_KEYDOWN, 3}}) {
        push_key(type, KEY_DOWN);  // the second key-down follows with no key-up
        turns(3);
        EXPECT_EQ(game.menu.cursor, cursor);
    }
    push_key(SDL_KEYDOWN, KEY_ESCAPE);  // latched by the held Down
    turns(1);
    EXPECT_EQ(continuer, 0);
    continuer = 1;
    push_quit();
    turns(1);
    EXPECT_EQ(continuer, 0);
}

TEST_F(Started, LeftCtrlTogglesTheRainOncePerPressOnEveryScreenButTheBonusLevel) {
    const int& drop_y = game.general.drops[0].y;  // starts at 10
    turn(SDL_KEYDOWN, KEY_RAIN);
    turns(29);
    EXPECT_TRUE(game.general.rain_on == 1 && drop_y == 40) << "held for 30 turns: on once, falling";
    game.general.screen = SCREEN_PLAY, game.general.level = LEVEL_BONUS;
    turn(SDL_KEYUP, KEY_RAIN);
    game.general.level = LEVEL_ENDING;
    turn(SDL_KEYDOWN, KEY_RAIN);
    EXPECT_TRUE(game.general.rain_on == 0 && drop_y == 40)
        << "none on the bonus level; a second press: off";
}
