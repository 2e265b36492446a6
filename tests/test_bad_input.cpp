// SPDX-License-Identifier: MIT
// Bad input through the real start-up and loop: unlock files of every kind and
// whatever a shared or damaged install may hold at their names, missing or
// broken sheets and sounds, no audio device. Each row is played as far as it
// matters. No display at all is run_e2e.sh's, on the real program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "fonction.h"
#include "main.h"
#include "support.h"

namespace fs = std::filesystem;

namespace {

const char* const ICON = "ico.bmp";
const auto BY_NAME = [](const auto& info) { return std::string(info.param.name); };

// Links the repository's data files into `dir` one by one, all but `left_out`.
void link_assets(const GameDir& dir, const std::string& left_out) {
    for (const std::string folder : {"data/gfx", "data/music"}) {
        fs::create_directories(dir.file(folder));
        for (const auto& entry : fs::directory_iterator(fs::path(PELUNE_SOURCE_DIR) / folder)) {
            const std::string file = folder + "/" + entry.path().filename().string();
            if (file != left_out) fs::create_symlink(entry.path(), dir.file(file));
        }
    }
    if (left_out != ICON) fs::create_symlink(fs::path(PELUNE_SOURCE_DIR) / ICON, dir.file(ICON));
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

struct UnlockRow {
    const char* name;
    Plant at_unlock;
    std::string content;  // of the unlock file
    Plant at_new;         // at the new file's names: the process's own and older games' fixed one
    Setting setting;
    // The count after start-up, the level after level 9, the file once the ending
    // is left (-: not a file), stderr lines naming it, the file's and its
    // folder's modes, the entries in the folder, the count after the ending.
    const char* found;
};

const UnlockRow UNLOCK_ROWS[] = {
    {"Empty", Text, "", Nothing, Data, "0 10 1 0 644 755 3 1"},
    {"Zero", Text, "0", Nothing, Data, "0 10 1 0 644 755 3 1"},
    {"One", Text, "1", Nothing, Data, "1 11 1 0 644 755 3 1"},
    // Any other count keeps the bonus locked for good and the file as it is.
    {"Seven", Text, "7", Nothing, Data, "7 10 7 0 644 755 3 7"},
    {"Ten", Text, "10", Nothing, Data, "1 11 10 0 644 755 3 1"},
    // Only a digit counts, and only the first character.
    {"Minus", Text, "-1", Nothing, Data, "0 10 1 0 644 755 3 1"},
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
    {"Unreadable", Unreadable, "1", Nothing, Data, "0 10 1 0 644 755 3 1"},
    {"ReadOnlyFolder", Text, "0", Nothing, ReadOnly, "0 10 0 1 644 555 3 1"},
    {"UnwritableHome", Nothing, "", Nothing, ReadOnlyHome, "0 10 - 1 - - 0 1"},
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
    link_assets(dir, "");
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
}

INSTANTIATE_TEST_SUITE_P(Rows, UnlockInput, testing::ValuesIn(UNLOCK_ROWS), BY_NAME);

// ---- Sheets, sounds and icon ----

// clang-format off
enum class Damage { Missing, Empty, NotAPicture, Folder, OnePixel, Huge, ScreenSize };
using enum Damage;
const char* const DAMAGE[] = {"Missing", "Empty", "NotAPicture", "Folder", "OnePixel", "Huge", "ScreenSize"};
struct DataRow { const char* file; Damage damage; };
const DataRow DATA_ROWS[] = {
    {"data/gfx/menu.png", Missing}, {"data/gfx/lvl.png", Missing}, {"data/gfx/anim.png", Missing},
    {"data/gfx/joueur.png", Missing}, {"ico.bmp", Missing}, {"data/gfx/lvl.png", Empty},
    {"data/gfx/menu.png", NotAPicture}, {"data/gfx/anim.png", Folder}, {"ico.bmp", NotAPicture},
    // A picture too small for the cuts from it: refused with its size, as if missing.
    {"data/gfx/lvl.png", OnePixel}, {"data/gfx/joueur.png", OnePixel},
    {"data/music/music.ogg", Missing}, {"data/music/pelune.wav", Missing},
    {"data/music/gameover.wav", Missing}, {"data/music/1.wav", Missing},
    {"data/music/2.wav", Missing}, {"data/music/3.wav", Missing}, {"data/music/start.wav", Missing},
    {"data/music/earlystart.wav", Missing}, {"data/music/pause.wav", Missing},
    {"data/music/levelwin.wav", Missing}, {"data/music/music.ogg", NotAPicture},
    {"data/music/3.wav", Empty},
    // Refused with its size: a huge PNG by its header, before a byte is decoded.
    {"data/gfx/lvl.png", Huge}, {"data/gfx/lvl.png", ScreenSize},
};
// clang-format on

class DataInput : public Play, public testing::WithParamInterface<DataRow> {};

TEST_P(DataInput, TheGameStartsSaysSoOnceAndPlaysOn) {
    const DataRow& row = GetParam();
    link_assets(dir, row.file);
    if (row.damage == Empty || row.damage == NotAPicture)
        dir.write(row.file, row.damage == Empty ? "" : "this is not what the game expects here\n");
    if (row.damage == Folder) fs::create_directory(dir.file(row.file));
    if (row.damage == OnePixel || row.damage == ScreenSize) {  // or one level's picture for all
        const bool dot = row.damage == OnePixel;
        SDL_Surface* pixel = make_surface(dot ? 1 : SCREEN_W, dot ? 1 : SCREEN_H);
        SDL_SaveBMP(pixel, dir.file(row.file).c_str());  // the loader goes by content
        SDL_FreeSurface(pixel);
    }
    if (row.damage == Huge)  // the signature and header of a 16000x16000 PNG
        dir.write(row.file, std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x3e\x80\0\0\x3e\x80"
                                        "\x08\x06\0\0\0\0\0\0\0",
                                        33));
    ASSERT_TRUE(start());
    EXPECT_EQ(
        out,
        "Thanks to play Pelune.\n\n\n\n\nPlease wait while loading...\n\nLoading gfx ...OK\n\n"
        "Loading music...OK\n\n");
    // The file the game names on stderr is its own path ("./data/gfx/joueur.png").
    const std::string name = fs::path(row.file).filename().string();
    EXPECT_EQ(lines_naming(err, "cannot load"), lines_naming(err, "pelune: ")) << err;
    EXPECT_EQ(lines_naming(err, name), 1) << err;
    EXPECT_EQ(lines_naming(err, "pixels, the sheet is"), row.damage >= OnePixel) << err;
    menu_and_a_level();
}

INSTANTIATE_TEST_SUITE_P(Rows, DataInput, testing::ValuesIn(DATA_ROWS), [](const auto& info) {
    return fs::path(info.param.file).stem().string() + DAMAGE[int(info.param.damage)];
});

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
        GameDir dir(false);
        fs::create_directories(dir.file("data"));
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
    link_assets(dir, "");
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

// ---- Devices ----

// Without an audio device every sound load fails; the game says so once, not
// once per sound, and plays on in silence.
TEST_F(Play, NoAudioDeviceIsOneLineForAllTheSounds) {
    link_assets(dir, "");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const bool started = start();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(started);
    EXPECT_EQ(lines_naming(err, "pelune: "), 1) << err;
    EXPECT_EQ(lines_naming(err, "no audio device"), 1) << err;
    menu_and_a_level();
}

}  // namespace
