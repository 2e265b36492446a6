// SPDX-License-Identifier: MIT
// The sound bank: one looping music track and ten chunks, each started once
// per stretch of play through its played-once flag.
#include <cstdio>

#include "fonction.h"

// The most a sound file of the game may hold: some 45 s of CD-quality WAV for a
// chunk, some half an hour of Ogg Vorbis for the music, which is read as it plays.
static constexpr long long CHUNK_FILE_MOST = 8LL << 20;
static constexpr long long MUSIC_FILE_MOST = 32LL << 20;

// The file, opened the safe way, as a stream the mixer reads and closes; null
// after one line (none without an audio device: start-up has said so once).
static SDL_RWops* open_sound(const char* path, long long most, bool audio_open) {
    char why[DATA_WHY_SIZE];
    std::FILE* file = Data_Open(path, most, 0, why);
    SDL_RWops* stream = file != nullptr ? Data_Stream(file, path) : nullptr;
    if (file != nullptr && stream == nullptr) std::snprintf(why, sizeof why, "%s", SDL_GetError());
    if (stream == nullptr && audio_open)
        std::fprintf(stderr, "pelune: cannot load %s: %s\n", path, why);
    return stream;
}

static Mix_Chunk* load_chunk(const char* path, bool audio_open) {
    SDL_RWops* stream = open_sound(path, CHUNK_FILE_MOST, audio_open);
    if (stream == nullptr) return nullptr;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(stream, 1);
    if (chunk == nullptr && audio_open) {
        std::fprintf(stderr, "pelune: cannot load %s: %s\n", path, Mix_GetError());
    }
    return chunk;
}

void Sons_Init(Sons* sons) {
    const bool audio_open = Mix_QuerySpec(nullptr, nullptr, nullptr) != 0;
    const char* const music = "data/music/music.ogg";
    SDL_RWops* stream = open_sound(music, MUSIC_FILE_MOST, audio_open);
    sons->music = stream != nullptr ? Mix_LoadMUSType_RW(stream, MUS_OGG, 1) : nullptr;
    if (stream != nullptr && sons->music == nullptr && audio_open) {
        std::fprintf(stderr, "pelune: cannot load %s: %s\n", music, Mix_GetError());
    }
    sons->theme = load_chunk("data/music/pelune.wav", audio_open);
    sons->gameover = load_chunk("data/music/gameover.wav", audio_open);
    sons->count1 = load_chunk("data/music/1.wav", audio_open);
    sons->count2 = load_chunk("data/music/2.wav", audio_open);
    sons->count3 = load_chunk("data/music/3.wav", audio_open);
    sons->start = load_chunk("data/music/start.wav", audio_open);
    sons->earlystart = load_chunk("data/music/earlystart.wav", audio_open);
    std::printf("OK\n\n");
    std::fflush(stdout);
    sons->pause = load_chunk("data/music/pause.wav", audio_open);
    sons->levelwin = load_chunk("data/music/levelwin.wav", audio_open);
    sons->caught = load_chunk("data/music/caught.wav", audio_open);
    PlayedSong_Init(sons);
}

void PlayWav(Mix_Chunk* chunk, int* played) {
    if (*played != 0) return;
    // The flag is set even when no channel was free: the moment has passed.
    Mix_PlayChannelTimed(-1, chunk, 0, -1);
    *played = 1;
}

void PlayedSong_Init(Sons* sons) {
    sons->played_theme = 0;
    sons->played_gameover = 0;
    sons->played_count3 = 0;
    sons->played_count2 = 0;
    sons->played_count1 = 0;
    sons->played_start = 0;
    sons->played_earlystart = 0;
    sons->played_pause = 0;
    sons->played_levelwin = 0;
    sons->played_caught = 0;
}

void Play_Caught(Perso* perso, Sons* sons) {
    if (perso->blink != CATCH_BLINK_FRAMES) return;
    sons->played_caught = 0;  // every catch is heard
    PlayWav(sons->caught, &sons->played_caught);
}
