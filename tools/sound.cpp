// SPDX-License-Identifier: MIT
// Writes the game's sounds: the music as Ogg Vorbis, the chunks as 16-bit WAV,
// both at the mixer's 22050 Hz stereo.
#include <sndfile.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "assets.h"
#include "sound_pieces.h"

static constexpr float MUSIC_QUALITY = 0.5f;  // Vorbis VBR quality, -0.1 to 1
static constexpr int OGG_SERIAL = 0x50454C55;  // fixed, so the file comes out the same every run
static constexpr int ENCODE_FRAMES = 1024;     // frames handed to the encoder at a time

struct ChunkFile {
    const char* name;
    Mix (*make)();
};

static const ChunkFile CHUNK_FILES[] = {
    {"pelune.wav", make_jingle},
    {"3.wav", make_count},
    {"2.wav", make_count},
    {"1.wav", make_count},
    {"start.wav", make_go},
    {"earlystart.wav", make_false_start},
    {"pause.wav", make_pause},
    {"levelwin.wav", make_level_win},
    {"gameover.wav", make_game_over},
    {"caught.wav", make_caught},
};

static bool write_wav(const std::string& path, const Mix& mix) {
    SF_INFO info = {};
    info.samplerate = SOUND_RATE;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "pelune_assets: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    const std::vector<std::int16_t> pcm = to_pcm16(mix);
    const sf_count_t written = sf_writef_short(file, pcm.data(), mix.frames());
    const bool ok = written == mix.frames();
    if (!ok) std::fprintf(stderr, "pelune_assets: writing %s: %s\n", path.c_str(), sf_strerror(file));
    return sf_close(file) == 0 && ok;
}

static bool write_page(std::FILE* file, const ogg_page& page) {
    return std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), file) ==
               static_cast<std::size_t>(page.header_len) &&
           std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), file) ==
               static_cast<std::size_t>(page.body_len);
}

// Encodes what the encoder has ready and writes every full page.
static bool drain_encoder(vorbis_dsp_state& dsp, vorbis_block& block, ogg_stream_state& stream,
                          std::FILE* file) {
    bool ok = true;
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
        vorbis_analysis(&block, nullptr);
        vorbis_bitrate_addblock(&block);
        while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
            ogg_stream_packetin(&stream, &packet);
            while (ogg_stream_pageout(&stream, &page) != 0) ok = write_page(file, page) && ok;
        }
    }
    return ok;
}

static bool write_ogg(const std::string& path, const Mix& mix) {
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, SOUND_RATE, MUSIC_QUALITY) != 0) {
        std::fprintf(stderr, "pelune_assets: the Vorbis encoder refuses 22050 Hz stereo\n");
        vorbis_info_clear(&info);
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(("pelune_assets: cannot write " + path).c_str());
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Pelune");
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, OGG_SERIAL);

    bool ok = true;
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&dsp, &comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&stream, &identification);
    ogg_stream_packetin(&stream, &comments);
    ogg_stream_packetin(&stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) ok = write_page(file, page) && ok;

    for (int offset = 0; offset < mix.frames(); offset += ENCODE_FRAMES) {
        const int count = std::min(ENCODE_FRAMES, mix.frames() - offset);
        float** channels = vorbis_analysis_buffer(&dsp, count);
        std::copy_n(mix.left.begin() + offset, count, channels[0]);
        std::copy_n(mix.right.begin() + offset, count, channels[1]);
        vorbis_analysis_wrote(&dsp, count);
        ok = drain_encoder(dsp, block, stream, file) && ok;
    }
    vorbis_analysis_wrote(&dsp, 0);
    ok = drain_encoder(dsp, block, stream, file) && ok;
    while (ogg_stream_flush(&stream, &page) != 0) ok = write_page(file, page) && ok;

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    ok = std::fclose(file) == 0 && ok;
    if (!ok) std::fprintf(stderr, "pelune_assets: writing %s failed\n", path.c_str());
    return ok;
}

bool write_sounds(const std::string& root) {
    const std::filesystem::path folder = std::filesystem::path(root) / "data" / "music";
    bool ok = write_ogg((folder / "music.ogg").string(), make_music());
    for (const ChunkFile& chunk : CHUNK_FILES) {
        ok = write_wav((folder / chunk.name).string(), chunk.make()) && ok;
    }
    return ok;
}
