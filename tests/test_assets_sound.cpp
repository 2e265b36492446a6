// The generated sounds in data/music: the committed files are what the
// generator makes, the game's mixer settings load them as they are, and they
// play cleanly (no clipping, no clicks, a music loop without a seam).
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <stdlib.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int RATE = 22050;
const char* const CHUNKS[] = {"pelune.wav", "3.wav",     "2.wav",        "1.wav",       "start.wav",
                              "earlystart.wav", "pause.wav", "levelwin.wav", "gameover.wav"};
constexpr double CHUNK_MAX_SECONDS = 3.0;
constexpr int QUIET_EDGE = 328;  // 1 % of full scale: a chunk starts and ends near silence

std::string committed(const std::string& name) {
    return std::string(PELUNE_SOURCE_DIR) + "/data/music/" + name;
}

struct Wav {
    SF_INFO info = {};
    std::vector<short> samples;  // interleaved
    double seconds() const { return static_cast<double>(info.frames) / info.samplerate; }
};

// Reads a whole WAV with libsndfile; false (after a test failure) if it cannot.
bool read_wav(const std::string& path, Wav& wav) {
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &wav.info);
    if (file == nullptr) {
        ADD_FAILURE() << path << ": " << sf_strerror(nullptr);
        return false;
    }
    wav.samples.resize(static_cast<std::size_t>(wav.info.frames * wav.info.channels));
    const sf_count_t read = sf_readf_short(file, wav.samples.data(), wav.info.frames);
    sf_close(file);
    EXPECT_EQ(read, wav.info.frames) << path;
    return read == wav.info.frames;
}

struct Decoded {
    int rate = 0;
    int channels = 0;
    std::vector<float> left, right;
};

// Decodes a whole Ogg Vorbis file to floats, unclamped.
bool decode_ogg(const std::string& path, Decoded& decoded) {
    OggVorbis_File file;
    if (ov_fopen(path.c_str(), &file) != 0) {
        ADD_FAILURE() << path << ": not an Ogg Vorbis file";
        return false;
    }
    const vorbis_info* info = ov_info(&file, -1);
    decoded.rate = static_cast<int>(info->rate);
    decoded.channels = info->channels;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        const long frames = ov_read_float(&file, &pcm, 1024, &section);
        if (frames <= 0) {
            EXPECT_EQ(frames, 0) << path << ": decoding error";
            break;
        }
        decoded.left.insert(decoded.left.end(), pcm[0], pcm[0] + frames);
        decoded.right.insert(decoded.right.end(), pcm[decoded.channels > 1 ? 1 : 0],
                             pcm[decoded.channels > 1 ? 1 : 0] + frames);
    }
    ov_clear(&file);
    return !decoded.left.empty();
}

// Only the generator test reads whole files; builds without the generator leave it unused.
[[maybe_unused]] std::string read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh private directory, removed with everything in it on destruction.
struct ScratchDir {
    std::string path;
    ScratchDir() {
        std::string name = (std::filesystem::temp_directory_path() / "pelune_sounds_XXXXXX").string();
        if (mkdtemp(name.data()) != nullptr) path = name;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
};

double median(std::vector<float> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// How far the signal moves from one frame to the next around the loop point:
// the median over `window` frames either side.
double typical_step_at_seam(const std::vector<float>& channel, std::size_t window) {
    std::vector<float> around(channel.end() - static_cast<long>(window), channel.end());
    around.insert(around.end(), channel.begin(), channel.begin() + static_cast<long>(window));
    std::vector<float> steps;
    for (std::size_t i = 1; i < around.size(); ++i) steps.push_back(std::fabs(around[i] - around[i - 1]));
    return median(steps);
}

}  // namespace

TEST(SoundAssets, GeneratorReproducesTheCommittedSounds) {
#ifndef PELUNE_ASSET_GENERATOR
    GTEST_SKIP() << "the asset generator is not built";
#else
    ScratchDir scratch;
    ASSERT_FALSE(scratch.path.empty());
    const std::string command =
        std::string("\"") + PELUNE_ASSET_GENERATOR + "\" \"" + scratch.path + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string fresh = scratch.path + "/data/music/";

    for (const char* name : CHUNKS) {
        Wav made, kept;
        ASSERT_TRUE(read_wav(fresh + name, made));
        ASSERT_TRUE(read_wav(committed(name), kept));
        EXPECT_EQ(made.info.frames, kept.info.frames) << name;
        EXPECT_TRUE(made.samples == kept.samples)
            << name << " is not what the generator makes now: regenerate data/music";
    }

    // Same bytes, or (another libvorbis) the same sound to within a few 16-bit steps.
    if (read_bytes(fresh + "music.ogg") != read_bytes(committed("music.ogg"))) {
        Decoded made, kept;
        ASSERT_TRUE(decode_ogg(fresh + "music.ogg", made));
        ASSERT_TRUE(decode_ogg(committed("music.ogg"), kept));
        ASSERT_EQ(made.left.size(), kept.left.size());
        float worst = 0.0f;
        for (std::size_t i = 0; i < made.left.size(); ++i) {
            worst = std::max({worst, std::fabs(made.left[i] - kept.left[i]),
                              std::fabs(made.right[i] - kept.right[i])});
        }
        EXPECT_LE(worst, 4.0f / 32768.0f) << "music.ogg is not what the generator makes now";
    }
#endif
}

TEST(SoundAssets, MixerLoadsEverySoundAtTheGameSettings) {
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    int rate = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
    EXPECT_EQ(rate, RATE);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_EQ(channels, 2);

    for (const char* name : CHUNKS) {
        Mix_Chunk* chunk = Mix_LoadWAV(committed(name).c_str());
        ASSERT_NE(chunk, nullptr) << name << ": " << Mix_GetError();
        Wav wav;
        if (read_wav(committed(name), wav)) {
            // Nothing converted: the mixer holds the file's own frames, 4 bytes each.
            EXPECT_EQ(chunk->alen, static_cast<Uint32>(wav.info.frames * 4)) << name;
        }
        Mix_FreeChunk(chunk);
    }
    Mix_Music* music = Mix_LoadMUS(committed("music.ogg").c_str());
    EXPECT_NE(music, nullptr) << Mix_GetError();
    if (music != nullptr) Mix_FreeMusic(music);

    Mix_CloseAudio();
    SDL_Quit();
}

TEST(SoundAssets, ChunksAreShortUnclippedStereo16BitWithQuietEdges) {
    for (const char* name : CHUNKS) {
        SCOPED_TRACE(name);
        Wav wav;
        ASSERT_TRUE(read_wav(committed(name), wav));
        EXPECT_EQ(wav.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        EXPECT_EQ(wav.info.samplerate, RATE);
        ASSERT_EQ(wav.info.channels, 2);
        EXPECT_GT(wav.seconds(), 0.1);
        EXPECT_LT(wav.seconds(), CHUNK_MAX_SECONDS);

        int peak = 0;
        for (const short sample : wav.samples) peak = std::max(peak, std::abs(static_cast<int>(sample)));
        EXPECT_LT(peak, 32767) << "clipped";
        EXPECT_GT(peak, 32768 / 4) << "too quiet to hear over the music";
        for (std::size_t i : {std::size_t{0}, std::size_t{1}, wav.samples.size() - 2, wav.samples.size() - 1}) {
            EXPECT_LE(std::abs(static_cast<int>(wav.samples[i])), QUIET_EDGE)
                << "sample " << i << " would click";
        }
    }
}

TEST(SoundAssets, CountdownStepsShareOneBeepAndTheGoSoundDiffers) {
    Wav three, two, one, go;
    ASSERT_TRUE(read_wav(committed("3.wav"), three));
    ASSERT_TRUE(read_wav(committed("2.wav"), two));
    ASSERT_TRUE(read_wav(committed("1.wav"), one));
    ASSERT_TRUE(read_wav(committed("start.wav"), go));
    EXPECT_TRUE(three.samples == two.samples);
    EXPECT_TRUE(three.samples == one.samples);
    EXPECT_FALSE(go.samples == three.samples);
    EXPECT_GT(go.seconds(), three.seconds()) << "the go sound is the longer one";
}

TEST(SoundAssets, MusicIsALongUnclippedStereoLoopWithoutAJumpAtTheSeam) {
    Decoded music;
    ASSERT_TRUE(decode_ogg(committed("music.ogg"), music));
    EXPECT_EQ(music.rate, RATE);
    EXPECT_EQ(music.channels, 2);
    const double seconds = static_cast<double>(music.left.size()) / RATE;
    EXPECT_GE(seconds, 30.0);
    EXPECT_LE(seconds, 90.0);

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
