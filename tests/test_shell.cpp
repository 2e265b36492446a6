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

class SoundBank : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
        chunk = Mix_QuickLoad_RAW(samples, sizeof samples);
        ASSERT_NE(chunk, nullptr);
    }
    void TearDown() override {
        Mix_HaltChannel(-1);
        Mix_FreeChunk(chunk);
        Mix_CloseAudio();
        SDL_Quit();
    }
    Uint8 samples[22050] = {};
    Mix_Chunk* chunk = nullptr;
};

TEST_F(SoundBank, PlayWavStartsAChunkOnceUntilItsFlagIsCleared) {
    int played = 0;
    PlayWav(chunk, &played);
    EXPECT_EQ(played, 1);
    EXPECT_EQ(Mix_Playing(-1), 1);
    PlayWav(chunk, &played);
    PlayWav(chunk, &played);
    EXPECT_EQ(Mix_Playing(-1), 1) << "a set flag starts nothing";
    played = 0;
    PlayWav(chunk, &played);
    EXPECT_EQ(Mix_Playing(-1), 2);
}

TEST_F(SoundBank, AMissingChunkStillSetsItsFlag) {
    int played = 0;
    PlayWav(nullptr, &played);
    EXPECT_EQ(played, 1);
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST(SoundBankFlags, PlayedSongInitClearsEveryFlagAndNothingElse) {
    Sons sons{};
    sons.theme = reinterpret_cast<Mix_Chunk*>(&sons);  // a marker, never played
    int* flags[] = {&sons.played_theme,  &sons.played_gameover,   &sons.played_count3,
                    &sons.played_count2, &sons.played_count1,     &sons.played_start,
                    &sons.played_earlystart, &sons.played_pause, &sons.played_levelwin};
    for (int* flag : flags) *flag = 1;
    PlayedSong_Init(&sons);
    for (int* flag : flags) EXPECT_EQ(*flag, 0);
    EXPECT_EQ(sons.theme, reinterpret_cast<Mix_Chunk*>(&sons));
}

TEST(QuitTest, WindowCloseAndEscapeQuitWhateverTheLatch) {
    General general{};
    const struct {
        SDL_Event event;
        int latch;
        int continuer_after;
    } rows[] = {
        {key_event(SDL_KEYDOWN, KEY_ESCAPE), 0, 0}, {key_event(SDL_KEYDOWN, KEY_ESCAPE), 1, 0},
        {key_event(SDL_KEYUP, KEY_ESCAPE), 0, 1},   {key_event(SDL_KEYDOWN, KEY_RETURN), 0, 1},
        {SDL_Event{}, 0, 1},
    };
    for (const auto& row : rows) {
        continuer = 1;
        general.event = row.event;
        general.key_consumed = row.latch;
        ExitGame(&general);
        EXPECT_EQ(continuer, row.continuer_after) << "event type " << int(row.event.type);
    }
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    general.event = quit;
    ExitGame(&general);
    EXPECT_EQ(continuer, 0);
    continuer = 1;
}

TEST(FramePacing, SixtyTurnsASecondBySleepingWithNoCatchUpBurst) {
    using Clock = std::chrono::steady_clock;
    FramePacer pacer;
    FramePacer_Init(&pacer);
    const std::clock_t cpu_before = std::clock();
    const auto before = Clock::now();
    for (int i = 0; i < 30; ++i) FramePacer_Wait(&pacer);
    const double seconds = std::chrono::duration<double>(Clock::now() - before).count();
    const double cpu = double(std::clock() - cpu_before) / CLOCKS_PER_SEC;
    EXPECT_GE(seconds, 0.49);
    EXPECT_LT(seconds, 1.0);
    EXPECT_LT(cpu, 0.05) << "the wait sleeps, it does not spin";

    std::this_thread::sleep_for(std::chrono::milliseconds(120));  // a stall of 7 frames
    const auto after_stall = Clock::now();
    for (int i = 0; i < 4; ++i) FramePacer_Wait(&pacer);
    const double recovery = std::chrono::duration<double>(Clock::now() - after_stall).count();
    EXPECT_GE(recovery, 0.045) << "no burst of turns to catch up after a stall";
}
