// SPDX-License-Identifier: MIT
// Bad input through the real start-up and loop: unlock files of every kind and
// whatever a shared or damaged install may hold at their names, missing or
// broken sheets and sounds, no audio device, hostile data files and settings
// met by the real program. Each row is played as far as it matters. No display
// at all is run_e2e.sh's, on the real program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fonction.h"
#include "support.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

const char* const ICON = "ico.bmp";
const auto BY_NAME = [](const auto& info) { return std::string(info.param.name); };

// Links the repository's data files into `root` one by one, all but `left_out`.
void link_assets(const fs::path& root, const std::string& left_out) {
    for (const std::string folder : {"data/gfx", "data/music"}) {
        fs::create_directories(root / folder);
        for (const auto& entry : fs::directory_iterator(fs::path(PELUNE_SOURCE_DIR) / folder)) {
            const std::string file = folder + "/" + entry.path().filename().string();
            if (file != left_out) fs::create_symlink(entry.path(), root / file);
        }
    }
    if (left_out != ICON) fs::create_symlink(fs::path(PELUNE_SOURCE_DIR) / ICON, root / ICON);
}

std::string be32(Uint32 v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

std::string chunk(const std::string& type, const std::string& data) {
    const std::string body = type + data;
    return be32(Uint32(data.size())) + body + be32(libdeflate_crc32(0, body.data(), body.size()));
}

// A w x h PNG, 8 bits a sample, of this colour type, around the zlib stream `idat`.
std::string png(int w, int h, char colour, const std::string& idat, const std::string& more = "") {
    const std::string head = be32(w) + be32(h) + '\x08' + colour + std::string(3, '\0');
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", head) + more + chunk("IDAT", idat) +
           chunk("IEND", "");
}

// `raw` as a zlib stream of stored blocks, its checksum right.
std::string stored(const std::string& raw) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(0);
    std::string out(libdeflate_zlib_compress_bound(compressor, raw.size()), '\0');
    out.resize(
        libdeflate_zlib_compress(compressor, raw.data(), raw.size(), out.data(), out.size()));
    libdeflate_free_compressor(compressor);
    return out;
}

// A zlib stream of a zero byte and `copies` copies of the 258 bytes before,
// 13 bits a copy (fixed Huffman codes, written last bit first): 200 times its size.
std::string bomb(int copies) {
    std::string out = "\x78\x01";
    Uint32 bits = 0;
    int held = 0;
    const auto put = [&](Uint32 value, int n) {
        for (bits |= value << held, held += n; held >= 8; bits >>= 8, held -= 8) out += char(bits);
    };
    put(3, 3);                                                 // the last block, fixed codes
    put(0x0c, 8);                                              // literal 0
    for (int i = 0; i < copies; ++i) put(0xa3, 8), put(0, 5);  // 258 bytes from 1 back
    put(0, 7 + 8);                                             // end of block, last byte out
    return out;
}

int lines_naming(const std::string& text, const std::string& name) {
    int count = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) count += line.find(name) != std::string::npos;
    return count;
}

// The real game, driven as a player drives it, in a directory without data.
class Play : public testing::Test, public Session {
protected:
    Play() : Session(false) {}
    // Menu, then level 1 with its curtain, countdown, a run with the rain on,
    // a pause, and the win into level 2: every sheet and most sounds in use.
    void menu_and_a_level() {
        press(KEY_DOWN);
        press(KEY_UP);
        press(KEY_RAIN);
        new_game();
        for (int i = 0; i < 1000 && game.niveau[0].started == 0; ++i) turns(1);
        ASSERT_EQ(game.niveau[0].started, 1) << "curtain and countdown are over";
        push_key(SDL_KEYDOWN, KEY_RIGHT);
        turns(150);
        push_key(SDL_KEYUP, KEY_RIGHT);
        press(KEY_SPACE);
        EXPECT_EQ(game.niveau[0].paused, 1);
        press(KEY_SPACE);
        press(KEY_BACKSPACE);
        press(KEY_RETURN);
        EXPECT_EQ(game.general.level, 2);
        turns(60);
    }
};

// ---- Unlock file ----

// What a row puts at a name, and the setting the game meets.
enum class Plant { Nothing, Text, Unreadable, LinkOut, LinkNowhere, Fifo, Directory };
enum class Setting { Data, NoData, Mask77, Busy, Home, ReadOnly, ReadOnlyHome, RoMount, Full };
using enum Plant;
using enum Setting;

// At the unlock file's name, its content, at the new file's names (the process's
// own and older games' fixed one), the setting; then what is found: the count
// after start-up, the level after level 9, the file once the ending is left (-:
// not a file), stderr lines naming it, the file's and its folder's modes, the
// entries in the folder, the count after the ending.
// clang-format off
struct UnlockRow {
    const char* name; Plant at_unlock; std::string content; Plant at_new; Setting setting;
    const char* found;
};
// clang-format on

const UnlockRow UNLOCK_ROWS[] = {
    {"Empty", Text, "", Nothing, Data, "0 10 1 0 644 755 3 1"},
    {"One", Text, "1", Nothing, Data, "1 11 1 0 644 755 3 1"},
    // Any other count keeps the bonus locked for good and the file as it is.
    {"Seven", Text, "7", Nothing, Data, "7 10 7 0 644 755 3 7"},
    {"Ten", Text, "10", Nothing, Data, "1 11 10 0 644 755 3 1"},
    // Only a digit counts, and only the first character.
    {"Space", Text, " 1", Nothing, Data, "0 10 1 0 644 755 3 1"},
    {"Garbage", Text, std::string("\xff\x00\x13\x37\n", 5), Nothing, Data, "0 10 1 0 644 755 3 1"},
    {"Directory", Directory, "", Nothing, Data, "0 10 - 1 755 755 3 1"},
    // A link is not followed: it reads as locked, and the save replaces the link itself.
    {"LinkOut", LinkOut, "", Nothing, Data, "0 10 1 0 644 755 3 1"},
    {"Fifo", Fifo, "", Nothing, Data, "0 10 1 0 644 755 3 1"},
    // Nothing at the new file's name is written through or waited on.
    {"LinkOutAtNew", Text, "0", LinkOut, Data, "0 10 1 0 644 755 4 1"},
    {"LinkNowhereAtNew", Text, "0", LinkNowhere, Data, "0 10 1 0 644 755 4 1"},
    {"FifoAtNew", Text, "0", Fifo, Data, "0 10 1 0 644 755 4 1"},
    {"DirectoryAtNew", Text, "0", Directory, Data, "0 10 0 1 644 755 5 1"},
    {"NoDataFolder", Nothing, "", Nothing, NoData, "0 10 1 0 644 700 1 1"},
    {"TightUmask", Text, "0", Nothing, Mask77, "0 10 1 0 644 755 3 1"},
    {"OtherGamesSavingAtOnce", Text, "0", Nothing, Busy, "1 11 1 0 644 755 3 1"},
    {"PerUserFolders", Nothing, "", Nothing, Home, "0 10 1 0 644 700 1 1"},
    // Without root's override of file modes (root: in a user namespace).
    {"Unreadable", Unreadable, "1", Nothing, Data, "0 10 1 1 644 755 3 1"},  // said so
    {"ReadOnlyFolder", Text, "0", Nothing, ReadOnly, "0 10 0 1 644 555 3 1"},
    {"UnwritableHome", Nothing, "", Nothing, ReadOnlyHome, "0 10 - 0 - - 0 1"},
    // Mounted over data/ in a mount namespace (root only).
    {"ReadOnlyMount", Text, "0", Nothing, RoMount, "0 10 0 1 644 755 3 1"},
    {"FullDisk", Text, "0", Nothing, Full, "0 10 0 1 644 755 2 1"},
};

void plant(const GameDir& d, const std::string& at, Plant what, const std::string& content) {
    if (what == Text || what == Unreadable) d.write(at, content);
    if (what == Unreadable) chmod(d.file(at).c_str(), 0);
    if (what == LinkOut || what == LinkNowhere)
        fs::create_symlink(d.file(what == LinkOut ? "outside" : "nowhere"), d.file(at));
    if (what == Fifo) mkfifo(d.file(at).c_str(), 0644);
    if (what == Directory) fs::create_directory(d.file(at));
}

std::string mode_of(const std::string& path) {
    struct stat st {};
    char text[8] = "-";
    if (stat(path.c_str(), &st) == 0) std::snprintf(text, sizeof text, "%o", st.st_mode & 07777);
    return text;
}

class UnlockInput : public Play, public testing::WithParamInterface<UnlockRow> {
protected:
    // In a child of its own: the setting, then a whole game from start-up to the
    // ending left, as far as the bonus level when it opens.
    [[noreturn]] void play_in_child(const UnlockRow& row) {
        alarm(20);  // a game that blocks fails the row instead of hanging the run
        if ((row.setting == RoMount || row.setting == Full) &&
            (geteuid() || unshare(CLONE_NEWNS) || mount("", "/", "", MS_REC | MS_PRIVATE, 0)))
            _exit(2);
        if (row.setting == Full) mount("tmpfs", "data", "tmpfs", 0, "size=16k,mode=755");
        plant(dir, UNLOCK_PATH, row.at_unlock, row.content);
        plant(dir, "data/dat.dat." + std::to_string(getpid()) + ".new", row.at_new, "");
        plant(dir, "data/dat.dat.new", row.at_new, "");
        if (row.setting == Full) dir.write("data/filler", std::string(1 << 16, 'x'));  // cut short
        if (row.setting == ReadOnly) chmod("data", 0555);
        if (row.setting == RoMount && mount("data", "data", "", MS_BIND, 0) == 0)
            mount("", "data", "", MS_REMOUNT | MS_BIND | MS_RDONLY, 0);
        if (row.setting == NoData) fs::remove_all("data");
        if (row.setting == ReadOnlyHome) mkdir("home", 0555);
        for (int other = 0; row.setting == Busy && other < 4; ++other) {
            if (fork() != 0) continue;  // four other games leaving the ending again and again
            dup2(open("savers", O_WRONLY | O_CREAT | O_APPEND, 0644), 2);
            General general{};
            general.unlock = 1;
            for (int save = 0; save < 300; ++save) save_unlock(&general);
            _exit(0);
        }
        while (wait(nullptr) > 0) continue;
        umask(row.setting == Mask77 ? 077 : 022);
        const bool per_user = row.setting == Home || row.setting == ReadOnlyHome;
        const bool no_override = row.at_unlock == Unreadable || row.setting == ReadOnly || per_user;
        if (no_override && geteuid() == 0 && unshare(CLONE_NEWUSER) != 0) _exit(2);

        if (!start()) _exit(3);
        const std::string path =
            dir.file(per_user ? "home/u/.local/share/pelune/dat.dat" : UNLOCK_PATH);
        game.general.unlock_path = path.c_str();  // as a launch naming it would
        std::ofstream found(dir.file("found"));
        found << game.general.unlock << ' ';
        new_game();
        found << win_nine_levels() << ' ';
        if (game.general.level == LEVEL_BONUS) pass_level();
        turns(1);  // after the bonus level, 12 becomes the ending
        testing::internal::CaptureStderr();
        leave_ending();
        const std::string lines = err + testing::internal::GetCapturedStderr();
        dir.write("err", lines);
        found << (fs::is_regular_file(fs::symlink_status(path)) ? dir.read(path) : "-") << ' '
              << lines_naming(lines, "dat.dat") << ' ' << mode_of(path) << ' ';
        const fs::path folder = fs::path(path).parent_path();
        std::error_code none;
        found << mode_of(folder) << ' ' << std::distance(fs::directory_iterator(folder, none), {})
              << ' ' << game.general.unlock << std::flush;
        _exit(0);
    }
};

TEST_P(UnlockInput, StartsOnTheRightRoadAndTheEndingSavesSafely) {
    link_assets(dir.path, "");
    dir.write("outside", "7");
    const pid_t child = fork();
    if (child == 0) play_in_child(GetParam());
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "no namespace (mounts need root)";
    EXPECT_EQ(WIFSIGNALED(status) ? "hung" : dir.read("found"), GetParam().found);
    EXPECT_EQ(dir.read("outside"), "7") << "a link's target is never written";
    EXPECT_FALSE(dir.exists("nowhere")) << "nor created";
    EXPECT_EQ(dir.read("savers"), "") << "games saving at once never fail";
    if (GetParam().setting == ReadOnlyHome) {  // the real cause: the folder cannot be made
        EXPECT_EQ(dir.read("err"),
                  "pelune: cannot make " + dir.file("home/u") +
                      " (Permission denied): the unlock is kept for this run only\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, UnlockInput, testing::ValuesIn(UNLOCK_ROWS), BY_NAME);

// ---- Sheets, sounds and icon ----

const char *const LVL = "data/gfx/lvl.png", *const ANIM = "data/gfx/anim.png";
// What a row puts at its file: "-" nothing, else these bytes. No file name:
// no audio device, so every sound load fails, said once, not once per sound.
// clang-format off
struct DataRow { const char *name, *file; std::string content; };
const DataRow DATA_ROWS[] = {
    {"MenuMissing", "data/gfx/menu.png", "-"}, {"LvlMissing", LVL, "-"}, {"AnimMissing", ANIM, "-"},
    {"JoueurMissing", "data/gfx/joueur.png", "-"}, {"NoAudioDevice", "", "-"},
    {"IcoMissing", ICON, "-"}, {"IcoNotAPicture", ICON, "not a picture\n"},
    // Refused with its size, as if missing: a picture too small for the cuts
    // from it (a dot, one level's picture for all), a huge PNG by its header.
    {"JoueurOnePixel", "data/gfx/joueur.png", png(1, 1, 6, "")},
    {"LvlScreenSize", LVL, png(SCREEN_W, SCREEN_H, 6, "")},
    {"LvlHuge", LVL, png(16000, 16000, 6, "")},
    // Every sound goes through one loader, and a missing one is never played.
    {"MusicMissing", "data/music/music.ogg", "-"}, {"WavEmpty", "data/music/3.wav", ""},
    {"MusicNotASound", "data/music/music.ogg", "not a sound\n"},
};
// clang-format on

class DataInput : public Play, public testing::WithParamInterface<DataRow> {};

TEST_P(DataInput, TheGameStartsSaysSoOnceAndPlaysOn) {
    const DataRow& row = GetParam();
    link_assets(dir.path, row.file);
    if (row.content != "-") dir.write(row.file, row.content);
    if (*row.file == '\0') setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const bool started = start();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(started);
    EXPECT_EQ(out, "Thanks to play Pelune.\n\n\n\n\nPlease wait while loading...\n\n"
                   "Loading gfx ...OK\n\nLoading music...OK\n\n");
    // The game names a file by its own path ("./data/gfx/joueur.png").
    EXPECT_EQ(lines_naming(err, "pelune: "), 1) << err;
    EXPECT_EQ(lines_naming(err, *row.file ? row.file : "no audio device"), 1) << err;
    EXPECT_EQ(lines_naming(err, "pixels, the sheet is"), row.content.starts_with("\x89PNG")) << err;
    menu_and_a_level();
}

INSTANTIATE_TEST_SUITE_P(Rows, DataInput, testing::ValuesIn(DATA_ROWS), BY_NAME);

// ---- Settings file ----

std::string settings_of(const Settings& s) {
    std::ostringstream text;
    text << s.fullscreen << s.fill << s.scale << s.rain << s.volume << s.music << s.effects
         << s.mute;
    return text.str();
}

// What may lie at the settings file's name: the settings read (fullscreen, fill,
// scale, rain, volume, music, effects, mute) and the lines on stderr.
TEST(SettingsFile, GoodDamagedAndHostileFilesGiveTheirSettingsOrTheDefaultsAndOneLine) {
    const char* const DEFAULTS = "00008880";
    const struct { const char* name; Plant at; std::string content; const char* read; int lines; }
        rows[] = {
            {"Missing", Nothing, "", DEFAULTS, 0},
            {"Good", Text, "[pelune]\nfullscreen=1\nfill=1\nscale=3\nrain=1\nvolume=5\n"
             "music=2\neffects=7\nmute=1\n", "11315271", 0},
            {"CommentsBlanksAndCrLf", Text, "# mine\r\n\r\n  volume = 4 \r\n; x\nscale=8", "00804880", 0},
            {"OutOfRange", Text, "volume=4\nscale=9\n", DEFAULTS, 1},
            {"Overflow", Text, "volume=4294967300\n", DEFAULTS, 1},
            {"UnknownName", Text, "volume=4\ncolour=3\n", DEFAULTS, 1},
            {"Binary", Text, std::string("volume=4\n\0\xff", 11), DEFAULTS, 1},
            {"Huge", Text, std::string(5000, '#'), DEFAULTS, 1},
            {"LinkOut", LinkOut, "", DEFAULTS, 1},
            {"Fifo", Fifo, "", DEFAULTS, 1},
            {"Directory", Directory, "", DEFAULTS, 1},
        };
    for (const auto& row : rows) {
        GameDir dir(false);  // data/ made, empty
        dir.write("outside", "volume=1\n");  // what a link points to
        plant(dir, SETTINGS_PATH, row.at, row.content);
        Settings settings;
        testing::internal::CaptureStderr();
        Settings_Read(&settings, SETTINGS_PATH);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(settings_of(settings) + std::to_string(lines_naming(err, SETTINGS_PATH)),
                  row.read + std::to_string(row.lines))
            << row.name << ": " << err;
    }
}

// The file's settings reach the game, the command line wins for its run, and
// Left Ctrl's change is saved at shut-down and read back with the rest.
TEST_F(Play, TheSettingsReachTheGameTheCommandLineWinsAndAChangeIsSaved) {
    link_assets(dir.path, "");
    dir.write(SETTINGS_PATH, "fill=1\nrain=1\nvolume=4\nmusic=4\nmute=0\n");
    Launch launch{};
    launch.settings_path = SETTINGS_PATH, launch.given = LAUNCH_GIVEN_FILL;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(running = Game_Start(&game, &launch));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(game.general.rain_on == 1 && game.fill == 0 && Mix_VolumeMusic(-1) == 32 &&
                Mix_Volume(-1, -1) == 64);
    press(KEY_RAIN);
    stop();
    Settings_Read(&game.settings, SETTINGS_PATH);
    EXPECT_EQ(settings_of(game.settings), "01004480");
}

// ---- Hostile data files and settings, met by the real program ----

// What a row puts in place of its file (or into the environment).
// Its bytes: the file's, the scale's text, or the length padded to; its line:
// the start of the one line on stderr.
enum class Put { Bytes, Fifo, Padded, Scale, LongHome };
const std::string RGBA_ROWS(282 * (4 * 1380 + 1), '\0');  // the anim sheet's size, all clear
// Rows of palette indices for it, unfiltered: all 0 but one 2, one past a 2-colour palette.
const std::string INDEX_ROWS = std::string(282 * (1380 + 1), '\0').replace(1, 1, "\x02");
const std::string BMP_HEAD =
    "BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x80\x3e\0\0\x80\x3e\0\0"s;  // 16000x16000
// clang-format off
struct HostileRow { const char *name, *file; Put put; std::string bytes; const char* line; };
const HostileRow HOSTILE_ROWS[] = {
    {"BmpHeader", LVL, Put::Bytes, BMP_HEAD, "not a PNG picture"},
    {"CutInItsHeader", LVL, Put::Bytes, "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"s, "cut short in its PNG header"},
    {"Padded1GB", LVL, Put::Padded, std::to_string(1LL << 30), "1073741824 bytes, more than"},
    {"Sparse64GB", LVL, Put::Padded, std::to_string(64LL << 30), "68719476736 bytes, more than"},
    {"InflateBomb", LVL, Put::Bytes, png(690, 3382, 6, bomb(600000)), "more image data than its"},
    {"InflateBombRgb", LVL, Put::Bytes, png(690, 3382, 2, bomb(600000)), "more image data than its"},
    {"DamagedDataChecksumFixed", ANIM, Put::Bytes, png(1380, 282, 6, stored(RGBA_ROWS).replace(9000, 1, "\x01")), "damaged image data"},
    {"RgbOverRgba", ANIM, Put::Bytes, png(1380, 282, 2, stored(RGBA_ROWS)), "IDAT: chunk data is too large"},
    {"ShortPalette", ANIM, Put::Bytes, png(1380, 282, 3, stored(INDEX_ROWS), chunk("PLTE", "abcdef")), "a palette shorter than its indices"},
    {"IconHeader", ICON, Put::Bytes, BMP_HEAD, "16000x16000 pixels, an icon is at most 256x256"},
    {"FifoIcon", ICON, Put::Fifo, "", "not a regular file"},
    {"FifoMusic", "data/music/music.ogg", Put::Fifo, "", "not a regular file"},
    {"ScaleNan", "", Put::Scale, "nan", "pelune: SDL12COMPAT_WINDOW_SCALING=nan ignored"},
    {"ScaleEscape", "", Put::Scale, "\x1b[2J", "pelune: SDL12COMPAT_WINDOW_SCALING=\\x1b[2J ignored"},
    {"HomeOf5000Characters", "", Put::LongHome, "", "pelune: HOME is too long for a path (5000"},
};
// clang-format on

class Hostile : public testing::TestWithParam<HostileRow> {};

// The real program, installed for the HOME row (where the unlock is the
// player's), up to its loading lines; then SIGTERM, the quit of a window manager.
TEST_P(Hostile, StartsInTimeInLittleMemoryAndSaysWhyInOneLine) {
    const HostileRow& row = GetParam();
    GameDir dir(false);
    const fs::path data = row.put == Put::LongHome ? dir.file("share/pelune") : dir.path;
    const fs::path game = row.put == Put::LongHome ? dir.file("bin/pelune") : PELUNE_EXECUTABLE;
    link_assets(data, row.file);
    if (row.put == Put::Bytes) std::ofstream(data / row.file, std::ios::binary) << row.bytes;
    if (row.put == Put::Fifo) mkfifo((data / row.file).c_str(), 0644);
    if (row.put == Put::Padded) {  // sparse: no disk used
        fs::copy_file(fs::path(PELUNE_SOURCE_DIR) / row.file, data / row.file);
        fs::resize_file(data / row.file, std::stoll(row.bytes));
    }
    if (row.put == Put::LongHome)
        fs::create_directory(dir.file("bin")), fs::copy_file(PELUNE_EXECUTABLE, game);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], 1);
        dup2(open("err", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // leaks are the in-process rows' to find
        if (row.put == Put::Scale) setenv("SDL12COMPAT_WINDOW_SCALING", row.bytes.c_str(), 1);
        if (row.put == Put::LongHome) setenv("HOME", ("/" + std::string(4999, 'h')).c_str(), 1);
        if (row.put != Put::LongHome) setenv("PELUNE_DATA_DIR", data.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        execl(game.c_str(), "pelune", nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string said;
    char buffer[256];
    pollfd ready{out[0], POLLIN, 0};
    for (ssize_t n = 1; n > 0 && said.find("music...OK\n") == std::string::npos;) {
        n = poll(&ready, 1, 10000) > 0 ? read(out[0], buffer, sizeof buffer) : 0;
        said.append(buffer, std::max<ssize_t>(n, 0));
    }
    // The program's own peak memory and CPU time to here: a child's rusage counts
    // the forked test too, and the clock counts every other program of a busy machine.
    const std::string proc = "/proc/" + std::to_string(child);
    std::ifstream status_file(proc + "/status"), stat_file(proc + "/stat");
    long peak_kb = 0, ticks = 0;
    for (std::string key; status_file >> key && key != "VmHWM:";) continue;
    status_file >> peak_kb;
    std::string field;
    for (int i = 1; i <= 15 && stat_file >> field; ++i) ticks += i >= 14 ? std::stol(field) : 0;
    close(out[0]);
    const bool loaded = said.find("Loading music...OK") != std::string::npos;
    kill(child, loaded ? SIGTERM : SIGKILL);  // else it hangs
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(loaded) << said;
    EXPECT_LT(ticks, 2 * sysconf(_SC_CLK_TCK)) << "2 s of CPU";
    EXPECT_TRUE(peak_kb > 0 && peak_kb < 100 << 10) << peak_kb << " kB at the peak";
    const std::string err = dir.read("err");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    const std::string line = std::string("pelune: cannot load ") + row.file + ": " + row.line;
    EXPECT_EQ(err.rfind(row.line[0] == 'p' ? row.line : line, 0), 0u) << err;
}

INSTANTIATE_TEST_SUITE_P(Rows, Hostile, testing::ValuesIn(HOSTILE_ROWS), BY_NAME);

}  // namespace
