// SPDX-License-Identifier: MIT
// The generated sounds in data/music: the committed files are what the generator
// makes, the game's mixer settings load them as they are, they play cleanly (no
// click, a music loop without a seam) and no jingle can clip over the music.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support.h"

namespace {

constexpr int RATE = 22050;
// Each chunk and the field of the sound bank that holds it.
// clang-format off
const std::pair<const char*, Mix_Chunk* Sons::*> CHUNKS[] = {
    {"pelune.wav", &Sons::theme}, {"3.wav", &Sons::count3}, {"2.wav", &Sons::count2},
    {"1.wav", &Sons::count1}, {"start.wav", &Sons::start}, {"pause.wav", &Sons::pause},
    {"earlystart.wav", &Sons::earlystart}, {"levelwin.wav", &Sons::levelwin},
    {"gameover.wav", &Sons::gameover}, {"caught.wav", &Sons::caught}};
// clang-format on

std::string committed(const std::string& name) {
    return std::string(PELUNE_SOURCE_DIR) + "/data/music/" + name;
}

// A whole sound file: its format, its samples (interleaved, full scale 1), their peak and RMS.
// clang-format off
struct Sound { SF_INFO info{}; std::vector<float> samples; float peak = 0; double rms = 0; };
// clang-format on

// Reads a whole WAV or Ogg file with libsndfile; empty (after a failure) if it cannot.
Sound read(const std::string& path) {
    Sound s;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &s.info);
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    if (file == nullptr) return s;
    s.samples.resize(static_cast<std::size_t>(s.info.frames * s.info.channels));
    EXPECT_EQ(sf_readf_float(file, s.samples.data(), s.info.frames), s.info.frames) << path;
    sf_close(file);
    double energy = 0;
    for (const float v : s.samples) s.peak = std::max(s.peak, std::fabs(v)), energy += v * v;
    s.rms = std::sqrt(energy / static_cast<double>(std::max<std::size_t>(s.samples.size(), 1)));
    return s;
}

}  // namespace

#ifdef PELUNE_ASSET_GENERATOR
TEST(SoundAssets, GeneratorReproducesTheCommittedSounds) {
    const std::string fresh = generated_assets() + "/data/music/";
    for (const auto& [name, field] : CHUNKS)
        EXPECT_TRUE(read(fresh + name).samples == read(committed(name)).samples)
            << name << " is not what the generator makes now: regenerate data/music";
    // The same music to within a few 16-bit steps (another libvorbis may encode other bytes).
    const Sound made = read(fresh + "music.ogg"), kept = read(committed("music.ogg"));
    ASSERT_EQ(made.samples.size(), kept.samples.size());
    for (std::size_t i = 0; i < made.samples.size(); ++i)
        ASSERT_LE(std::fabs(made.samples[i] - kept.samples[i]), 4.0f / 32768) << "music.ogg, " << i;
}
#endif

TEST(SoundAssets, MusicIsA90To150SecondStereoLoopWithoutAJumpAtTheSeam) {
    const Sound music = read(committed("music.ogg"));
    ASSERT_TRUE(music.info.channels == 2 && music.info.samplerate == RATE);
    const long frames = static_cast<long>(music.info.frames);
    EXPECT_TRUE(frames >= 90L * RATE && frames <= 150L * RATE) << frames / RATE << " s";
    // Played in a loop, the last frame is followed by the first: in neither channel
    // is that step bigger than twice the median step around it (0.1 s either side).
    auto at = [&](long i) { return music.samples[(i + 2 * frames) % (2 * frames)]; };
    std::vector<float> steps;
    for (long i = -RATE / 5; i < RATE / 5; ++i) steps.push_back(std::fabs(at(i + 2) - at(i)));
    std::nth_element(steps.begin(), steps.begin() + RATE / 5, steps.end());
    EXPECT_LE(std::max(std::fabs(at(0) - at(-2)), std::fabs(at(1) - at(-1))), 2 * steps[RATE / 5]);
}

TEST(SoundAssets, ChunksAreCleanAndNoneClipsOrDrownsOverTheMusicAtTheGamesVolumes) {
    Session session;
    ASSERT_TRUE(session.start());
    ASSERT_NE(session.game.sons.music, nullptr);
    const Sound music = read(committed("music.ogg"));
    const double full = MIX_MAX_VOLUME, music_gain = Mix_VolumeMusic(-1) / full;
    for (const auto& [name, field] : CHUNKS) {
        Mix_Chunk* chunk = session.game.sons.*field;
        const Sound wav = read(committed(name));
        ASSERT_TRUE(chunk != nullptr && wav.samples.size() > 4) << name;
        const double seconds = static_cast<double>(wav.info.frames) / RATE;
        // Nothing converted: the mixer holds the file's own frames, 4 bytes each (22050 Hz stereo).
        EXPECT_TRUE(wav.info.format == (SF_FORMAT_WAV | SF_FORMAT_PCM_16) && seconds > 0.1 &&
                    seconds < 3.0 && chunk->alen == static_cast<Uint32>(wav.info.frames * 4))
            << name;
        for (std::size_t i : {0ul, 1ul, wav.samples.size() - 2, wav.samples.size() - 1})
            EXPECT_LE(std::fabs(wav.samples[i]), 0.01f) << name << ": sample " << i << " clicks";
        const double gain = Mix_VolumeChunk(chunk, -1) / full * Mix_Volume(-1, -1) / full;
        // However the jingle falls on the music, at worst the two peaks add up.
        EXPECT_LT(music.peak * music_gain + wav.peak * gain, 32767.0 / 32768)
            << name << " can clip";
        EXPECT_GT(wav.rms * gain, 1.5 * music.rms * music_gain) << name << " is drowned";
    }
}
