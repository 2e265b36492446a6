// The generated sounds in data/music: the committed files are what the
// generator makes, the game's mixer settings load them as they are, and they
// play cleanly (no clipping, no clicks, a music loop without a seam).
#include <gtest/gtest.h>
#include <sndfile.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support.h"

namespace {

constexpr int RATE = 22050;
const char* const CHUNKS[] = {"pelune.wav",     "3.wav",     "2.wav",        "1.wav",       "start.wav",
                              "earlystart.wav", "pause.wav", "levelwin.wav", "gameover.wav"};
constexpr int QUIET_EDGE = 328;  // 1 % of full scale: a chunk starts and ends near silence

std::string committed(const std::string& name) { return std::string(PELUNE_SOURCE_DIR) + "/data/music/" + name; }

struct Wav {
    SF_INFO info = {};
    std::vector<short> samples;  // interleaved
    double seconds() const { return static_cast<double>(info.frames) / info.samplerate; }
};

// Reads a whole WAV with libsndfile; an empty one (after a test failure) if it cannot.
Wav read_wav(const std::string& path) {
    Wav wav;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &wav.info);
    if (file == nullptr) {
        ADD_FAILURE() << path << ": " << sf_strerror(nullptr);
        return {};
    }
    wav.samples.resize(static_cast<std::size_t>(wav.info.frames * wav.info.channels));
    const sf_count_t read = sf_readf_short(file, wav.samples.data(), wav.info.frames);
    sf_close(file);
    EXPECT_EQ(read, wav.info.frames) << path;
    return wav;
}

struct Decoded {
    int rate = 0, channels = 0;
    std::vector<float> left, right;
};

// Decodes a whole Ogg Vorbis file to floats, unclamped; empty (after a failure) if it cannot.
Decoded decode_ogg(const std::string& path) {
    Decoded decoded;
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        ADD_FAILURE() << path << ": not an Ogg Vorbis file";
        return decoded;
    }
    decoded.rate = static_cast<int>(ov_info(&file, -1)->rate);
    decoded.channels = ov_info(&file, -1)->channels;
    float** pcm = nullptr;
    int section = 0;
    long frames = 0;
    while ((frames = ov_read_float(&file, &pcm, 1024, &section)) > 0) {
        decoded.left.insert(decoded.left.end(), pcm[0], pcm[0] + frames);
        decoded.right.insert(decoded.right.end(), pcm[decoded.channels - 1], pcm[decoded.channels - 1] + frames);
    }
    EXPECT_EQ(frames, 0) << path << ": decoding error";
    ov_clear(&file);
    return decoded;
}

// How far the signal moves from one frame to the next around the loop point:
// the median over `window` frames either side.
double typical_step_at_seam(const std::vector<float>& channel, std::size_t window) {
    std::vector<float> around(channel.end() - static_cast<long>(window), channel.end());
    around.insert(around.end(), channel.begin(), channel.begin() + static_cast<long>(window));
    std::vector<float> steps;
    for (std::size_t i = 1; i < around.size(); ++i) steps.push_back(std::fabs(around[i] - around[i - 1]));
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    return steps[steps.size() / 2];
}

}  // namespace

TEST(SoundAssets, GeneratorReproducesTheCommittedSounds) {
#ifndef PELUNE_ASSET_GENERATOR
    GTEST_SKIP() << "the asset generator is not built";
#else
    const std::string root = generated_assets();
    ASSERT_FALSE(root.empty());
    const std::string fresh = root + "/data/music/";
    for (const char* name : CHUNKS) {
        const Wav made = read_wav(fresh + name), kept = read_wav(committed(name));
        EXPECT_TRUE(!made.samples.empty() && made.samples == kept.samples)
            << name << " is not what the generator makes now: regenerate data/music";
    }
    // The same sound to within a few 16-bit steps (another libvorbis may encode other bytes).
    const Decoded made = decode_ogg(fresh + "music.ogg"), kept = decode_ogg(committed("music.ogg"));
    ASSERT_EQ(made.left.size(), kept.left.size());
    float worst = 0.0f;
    for (std::size_t i = 0; i < made.left.size(); ++i) {
        worst = std::max({worst, std::fabs(made.left[i] - kept.left[i]), std::fabs(made.right[i] - kept.right[i])});
    }
    EXPECT_LE(worst, 4.0f / 32768.0f) << "music.ogg is not what the generator makes now";
#endif
}

TEST(SoundAssets, ChunksAreShortUnclippedStereo16BitWithQuietEdgesThatTheMixerTakesAsTheyAre) {
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(RATE, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    int rate = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
    EXPECT_TRUE(rate == RATE && format == AUDIO_S16LSB && channels == 2);
    for (const char* name : CHUNKS) {
        SCOPED_TRACE(name);
        const Wav wav = read_wav(committed(name));
        ASSERT_FALSE(wav.samples.empty());
        EXPECT_EQ(wav.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(wav.info.samplerate, RATE);
        ASSERT_EQ(wav.info.channels, 2);
        EXPECT_TRUE(wav.seconds() > 0.1 && wav.seconds() < 3.0) << wav.seconds() << " s";
        int peak = 0;
        for (const short sample : wav.samples) peak = std::max(peak, std::abs(static_cast<int>(sample)));
        EXPECT_LT(peak, 32767) << "clipped";
        EXPECT_GT(peak, 32768 / 4) << "too quiet to hear over the music";
        for (std::size_t i : {std::size_t{0}, std::size_t{1}, wav.samples.size() - 2, wav.samples.size() - 1}) {
            EXPECT_LE(std::abs(static_cast<int>(wav.samples[i])), QUIET_EDGE) << "sample " << i << " would click";
        }
        // Nothing converted: the mixer holds the file's own frames, 4 bytes each.
        Mix_Chunk* chunk = Mix_LoadWAV(committed(name).c_str());
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        EXPECT_EQ(chunk->alen, static_cast<Uint32>(wav.info.frames * 4));
        Mix_FreeChunk(chunk);
    }
    Mix_Music* music = Mix_LoadMUS(committed("music.ogg").c_str());
    EXPECT_NE(music, nullptr) << Mix_GetError();
    if (music != nullptr) Mix_FreeMusic(music);
    Mix_CloseAudio();
    SDL_Quit();
}

TEST(SoundAssets, CountdownStepsShareOneBeepAndTheGoSoundDiffers) {
    const Wav three = read_wav(committed("3.wav")), go = read_wav(committed("start.wav"));
    ASSERT_FALSE(three.samples.empty());
    EXPECT_TRUE(read_wav(committed("2.wav")).samples == three.samples);
    EXPECT_TRUE(read_wav(committed("1.wav")).samples == three.samples);
    EXPECT_FALSE(go.samples == three.samples);
    EXPECT_GT(go.seconds(), three.seconds()) << "the go sound is the longer one";
}

TEST(SoundAssets, MusicIsALongUnclippedStereoLoopWithoutAJumpAtTheSeam) {
    const Decoded music = decode_ogg(committed("music.ogg"));
    ASSERT_FALSE(music.left.empty());
    EXPECT_EQ(music.rate, RATE);
    EXPECT_EQ(music.channels, 2);
    const double seconds = static_cast<double>(music.left.size()) / RATE;
    EXPECT_TRUE(seconds >= 30.0 && seconds <= 90.0) << seconds << " s";
    float peak = 0.0f;
    for (std::size_t i = 0; i < music.left.size(); ++i) {
        peak = std::max({peak, std::fabs(music.left[i]), std::fabs(music.right[i])});
    }
    EXPECT_LT(peak, 1.0f) << "clipped";
    EXPECT_GT(peak, 0.25f) << "too quiet";
    // Played in a loop, the last frame is followed by the first: that step must be
    // no bigger than the steps the music takes around it.
    for (const std::vector<float>* channel : {&music.left, &music.right}) {
        const double seam = std::fabs(channel->front() - channel->back());
        EXPECT_LE(seam, 2.0 * typical_step_at_seam(*channel, RATE / 10))
            << (channel == &music.left ? "left" : "right") << " channel jumps at the loop point";
    }
}
