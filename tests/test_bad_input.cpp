// Bad input through the real start-up and loop: unlock files of every kind and
// whatever a shared or damaged install may hold at their names, missing or
// broken sheets and sounds, no display. Each row is played as far as it
// matters. A missing unlock file through a whole game is in test_game.cpp, an
// unusable video or audio driver named by the environment in test_loop.cpp.
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
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fonction.h"
#include "main.h"
#include "menu.h"
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

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int lines_naming(const std::string& text, const std::string& name) {
    int count = 0;
    for (const std::string& line : lines_of(text)) count += line.find(name) != std::string::npos;
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

// ---- Unlock file through the real loop ----

struct UnlockRow {
    const char* name;
    std::string content;               // nothing: a directory; "fifo": a FIFO
    int unlock;                        // General.unlock after start-up
    std::optional<std::string> after;  // the file once the ending is left; none: not written
};

const UnlockRow UNLOCK_ROWS[] = {
    {"Empty", "", 0, "1"},
    {"Zero", "0", 0, "1"},
    {"One", "1", 1, "1"},
    // Any other count keeps the bonus locked for good and the file as it is.
    {"Seven", "7", 7, "7"},
    {"Ten", "10", 1, "10"},
    // Only a digit counts, and only the first character.
    {"Minus", "-1", 0, "1"},
    {"Space", " 1", 0, "1"},
    {"Garbage", std::string("\xff\x00\x13\x37\n", 5), 0, "1"},
    {"Directory", "", 0, std::nullopt},
    {"Fifo", "fifo", 0, "1"},  // start-up does not wait for a writer
};

class UnlockInput : public Play, public testing::WithParamInterface<UnlockRow> {};

TEST_P(UnlockInput, StartsOnTheRightRoadAndIsRewrittenOnlyWhenLocked) {
    const UnlockRow& row = GetParam();
    link_assets(dir, "");
    if (row.content == "fifo") {
        mkfifo(dir.file(UNLOCK_PATH).c_str(), 0644);
    } else if (row.after) {
        dir.write(UNLOCK_PATH, row.content);
    } else {
        fs::create_directory(dir.file(UNLOCK_PATH));
    }
    alarm(20);  // a game that blocks fails the row instead of hanging the run
    ASSERT_TRUE(start());
    EXPECT_EQ(lines_naming(err, "dat.dat"), 0) << "reading is silent: " << err;
    EXPECT_EQ(game.general.unlock, row.unlock);

    new_game();
    EXPECT_EQ(win_nine_levels(), row.unlock == 1 ? LEVEL_BONUS : LEVEL_ENDING);
    if (row.unlock == 1) {
        press(KEY_BACKSPACE);
        press(KEY_RETURN);
        turns(1);
    }
    testing::internal::CaptureStderr();
    leave_ending();
    const std::string ending_err = testing::internal::GetCapturedStderr();
    alarm(0);
    EXPECT_EQ(dir.read(UNLOCK_PATH), row.after.value_or(""));
    EXPECT_EQ(lines_of(ending_err).size(), row.after ? 0u : 1u) << ending_err;
    EXPECT_EQ(lines_naming(ending_err, "cannot write data/dat.dat"), row.after ? 0 : 1);
    // The count of this run: 1 once the ending has been left while locked.
    const int run_count = row.unlock == 0 ? 1 : row.unlock;
    EXPECT_EQ(game.general.unlock, run_count);

    // The next game of the same run follows that count, whatever the file did.
    new_game();
    EXPECT_EQ(win_nine_levels(), run_count == 1 ? LEVEL_BONUS : LEVEL_ENDING);
}

INSTANTIATE_TEST_SUITE_P(Rows, UnlockInput, testing::ValuesIn(UNLOCK_ROWS), BY_NAME);

// ---- Unlock file: start-up's read and the ending's save, in a child ----

// What a row puts at a name, and what the unlock file's folder is like.
enum class Plant { Nothing, Zero, Unreadable, LinkOut, LinkNowhere, Fifo, Directory };
enum class Folder { Data, NoData, ReadOnly, ReadOnlyMount, Full, PerUser, UnwritableHome, Busy };
using enum Plant;
using enum Folder;

struct SaveRow {
    const char* name;
    Plant at_unlock;
    Plant at_new;  // at the new file's names: the process's own and older games' fixed one
    Folder folder;
    mode_t umask;
    // The read count, the file (-: none, ?: not a file), stderr lines, the file's
    // and the folder's modes, entries in the folder; "hung" if either call blocks.
    const char* found;
};

const SaveRow SAVE_ROWS[] = {
    // A link is not followed: it reads as locked, and the save replaces the link.
    {"LinkOut", LinkOut, Nothing, Data, 022, "0 1 0 644 755 1"},
    {"LinkNowhere", LinkNowhere, Nothing, Data, 022, "0 1 0 644 755 1"},
    {"Fifo", Fifo, Nothing, Data, 022, "0 1 0 644 755 1"},
    {"LinkOutAtNew", Zero, LinkOut, Data, 022, "0 1 0 644 755 2"},
    {"LinkNowhereAtNew", Zero, LinkNowhere, Data, 022, "0 1 0 644 755 2"},
    {"FifoAtNew", Zero, Fifo, Data, 022, "0 1 0 644 755 2"},
    {"DirectoryAtNew", Zero, Directory, Data, 022, "0 0 1 644 755 3"},
    {"TightUmask", Zero, Nothing, Data, 077, "0 1 0 644 755 1"},
    {"NoUmask", Zero, Nothing, Data, 0, "0 1 0 644 755 1"},
    {"GamesSavingAtOnce", Zero, Nothing, Busy, 022, "1 1 0 644 755 1"},
    {"NoDataFolder", Nothing, Nothing, NoData, 022, "0 1 0 644 700 1"},
    {"PerUserFolders", Nothing, Nothing, PerUser, 022, "0 1 0 644 700 1"},
    // Without root's override of file modes (as root: in a user namespace).
    {"UnreadableFile", Unreadable, Nothing, Data, 022, "0 1 0 644 755 1"},
    {"ReadOnlyFolder", Zero, Nothing, ReadOnly, 022, "0 0 1 644 555 1"},
    {"UnwritableHome", Nothing, Nothing, UnwritableHome, 022, "0 - 1 - - 0"},
    // Mounted over data/, in a mount namespace of the child's own (root only).
    {"ReadOnlyMount", Zero, Nothing, ReadOnlyMount, 022, "0 0 1 644 755 1"},
    {"FullDisk", Zero, Nothing, Full, 022, "0 0 1 644 755 2"},
};

std::string mode_of(const std::string& path) {
    struct stat st {};
    char text[8] = "-";
    if (stat(path.c_str(), &st) == 0) std::snprintf(text, sizeof text, "%o", st.st_mode & 07777);
    return text;
}

void plant(const GameDir& d, const std::string& at, Plant what) {
    if (what == Zero || what == Unreadable) d.write(at, what == Zero ? "0" : "1");
    if (what == Unreadable) chmod(d.file(at).c_str(), 0);
    if (what == LinkOut || what == LinkNowhere)
        fs::create_symlink(d.file(what == LinkOut ? "outside" : "nowhere"), d.file(at));
    if (what == Fifo) mkfifo(d.file(at).c_str(), 0644);
    if (what == Directory) fs::create_directory(d.file(at));
}

// Four games leaving the ending again and again, all at once.
void save_at_once() {
    pid_t games[4];
    for (pid_t& game : games) {
        if ((game = fork()) != 0) continue;
        General general{};
        general.unlock = 1;
        for (int save = 0; save < 300; ++save) save_unlock(&general);
        _exit(0);
    }
    for (const pid_t game : games) waitpid(game, nullptr, 0);
}

bool mounts(const SaveRow& row) { return row.folder == ReadOnlyMount || row.folder == Full; }

// In the child: the damage, then read and save 1 as start-up and the ending do.
[[noreturn]] void read_and_save(const GameDir& dir, const SaveRow& row) {
    alarm(10);
    const char* data = "data";
    if (mounts(row) &&
        (unshare(CLONE_NEWNS) != 0 || mount("", "/", "", MS_REC | MS_PRIVATE, 0) != 0))
        _exit(2);
    dup2(open("err", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);  // stderr stays unbuffered
    if (row.folder == Full) mount("tmpfs", data, "tmpfs", 0, "size=16k,mode=755");
    plant(dir, UNLOCK_PATH, row.at_unlock);
    plant(dir, "data/dat.dat." + std::to_string(getpid()) + ".new", row.at_new);
    plant(dir, "data/dat.dat.new", row.at_new);
    if (row.folder == Full) dir.write("data/filler", std::string(1 << 16, 'x'));  // cut short
    if (row.folder == ReadOnly) chmod(data, 0555);
    if (row.folder == ReadOnlyMount && mount(data, data, "", MS_BIND, 0) == 0)
        mount("", data, "", MS_REMOUNT | MS_BIND | MS_RDONLY, 0);
    if (row.folder == NoData) fs::remove(data);
    if (row.folder == UnwritableHome) mkdir("home", 0555);
    if (row.folder == Busy) save_at_once();
    umask(row.umask);
    const bool per_user = row.folder == PerUser || row.folder == UnwritableHome;
    if ((row.at_unlock == Unreadable || row.folder == ReadOnly || per_user) && geteuid() == 0 &&
        unshare(CLONE_NEWUSER) != 0)
        _exit(2);

    const std::string path =
        dir.file(per_user ? "home/u/.local/share/pelune/dat.dat" : UNLOCK_PATH);
    const std::string folder = fs::path(path).parent_path();
    General general{};
    general.unlock_path = path.c_str();
    read_unlock(&general);
    const int read = general.unlock;
    general.unlock = 1;
    save_unlock(&general);
    const fs::file_status kind = fs::symlink_status(path);
    std::error_code none;
    std::ofstream(dir.file("found"))
        << read << ' '
        << (fs::is_regular_file(kind) ? dir.read(path)
            : fs::exists(kind)        ? "?"
                                      : "-")
        << ' ' << lines_of(dir.read("err")).size() << ' ' << mode_of(path) << ' ' << mode_of(folder)
        << ' ' << std::distance(fs::directory_iterator(folder, none), {});
    _exit(0);
}

class SaveInput : public testing::TestWithParam<SaveRow> {};

TEST_P(SaveInput, WritesAFreshFileOrKeepsTheOldOneAndSaysSoOnce) {
    if (mounts(GetParam()) && geteuid() != 0) GTEST_SKIP() << "mounting needs root";
    GameDir dir(false);
    dir.write("outside", "7");
    const pid_t child = fork();
    if (child == 0) read_and_save(dir, GetParam());
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2) GTEST_SKIP() << "no namespace to be had";
    EXPECT_EQ(WIFSIGNALED(status) ? "hung" : dir.read("found"), GetParam().found);
    EXPECT_EQ(dir.read("outside"), "7") << "a link's target is never written";
    EXPECT_FALSE(dir.exists("nowhere")) << "nor created";
}
INSTANTIATE_TEST_SUITE_P(Rows, SaveInput, testing::ValuesIn(SAVE_ROWS), BY_NAME);

// ---- Sheets, sounds and icon ----

enum class Damage { Missing, Empty, NotAPicture, Directory, OnePixel };

struct DataRow {
    const char* name;
    const char* file;
    Damage damage;
};

const DataRow DATA_ROWS[] = {
    {"MenuSheetMissing", "data/gfx/menu.png", Damage::Missing},
    {"LevelSheetMissing", "data/gfx/lvl.png", Damage::Missing},
    {"AnimSheetMissing", "data/gfx/anim.png", Damage::Missing},
    {"RunnerSheetMissing", "data/gfx/joueur.png", Damage::Missing},
    {"IconMissing", "ico.bmp", Damage::Missing},
    {"LevelSheetEmpty", "data/gfx/lvl.png", Damage::Empty},
    {"MenuSheetNotAPicture", "data/gfx/menu.png", Damage::NotAPicture},
    {"AnimSheetADirectory", "data/gfx/anim.png", Damage::Directory},
    {"IconNotAPicture", "ico.bmp", Damage::NotAPicture},
    // Loads, but every cut from it lies outside: each blit is clipped to nothing.
    {"LevelSheetOnePixel", "data/gfx/lvl.png", Damage::OnePixel},
    {"RunnerSheetOnePixel", "data/gfx/joueur.png", Damage::OnePixel},
    {"MusicMissing", "data/music/music.ogg", Damage::Missing},
    {"ThemeMissing", "data/music/pelune.wav", Damage::Missing},
    {"GameOverMissing", "data/music/gameover.wav", Damage::Missing},
    {"Count1Missing", "data/music/1.wav", Damage::Missing},
    {"Count2Missing", "data/music/2.wav", Damage::Missing},
    {"Count3Missing", "data/music/3.wav", Damage::Missing},
    {"StartMissing", "data/music/start.wav", Damage::Missing},
    {"EarlyStartMissing", "data/music/earlystart.wav", Damage::Missing},
    {"PauseMissing", "data/music/pause.wav", Damage::Missing},
    {"LevelWinMissing", "data/music/levelwin.wav", Damage::Missing},
    {"MusicNotASound", "data/music/music.ogg", Damage::NotAPicture},
    {"CountdownSoundEmpty", "data/music/3.wav", Damage::Empty},
};

class DataInput : public Play, public testing::WithParamInterface<DataRow> {};

TEST_P(DataInput, TheGameStartsSaysSoOnceAndPlaysOn) {
    const DataRow& row = GetParam();
    link_assets(dir, row.file);
    if (row.damage == Damage::Empty) dir.write(row.file, "");
    if (row.damage == Damage::NotAPicture)
        dir.write(row.file, "this is not what the game expects\n");
    if (row.damage == Damage::Directory) fs::create_directory(dir.file(row.file));
    if (row.damage == Damage::OnePixel) {
        SDL_Surface* pixel = make_surface(1, 1);
        SDL_SaveBMP(pixel, dir.file(row.file).c_str());  // the loader goes by content
        SDL_FreeSurface(pixel);
    }
    ASSERT_TRUE(start());
    EXPECT_EQ(
        out,
        "Thanks to play Pelune.\n\n\n\n\nPlease wait while loading...\n\nLoading gfx ...OK\n\n"
        "Loading music...OK\n\n");
    // The file the game names on stderr is its own path ("./data/gfx/joueur.png").
    const std::string name = fs::path(row.file).filename().string();
    EXPECT_EQ(lines_naming(err, "cannot load"), lines_naming(err, "pelune: ")) << err;
    EXPECT_EQ(lines_naming(err, name), row.damage == Damage::OnePixel ? 0 : 1) << err;
    menu_and_a_level();
}

INSTANTIATE_TEST_SUITE_P(Rows, DataInput, testing::ValuesIn(DATA_ROWS), BY_NAME);

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

// With no display at all SDL falls back on a driver that draws nowhere: the
// game must not start unseen, but stop at once with one line, and say nothing
// of audio (there is no audio device either).
TEST_F(Play, NoDisplayAtAllIsNoStartEvenWhenSDLFallsBackOnDrawingNowhere) {
    link_assets(dir, "");
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(name);
        saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        unsetenv(name);
    }
    // A session directory as a desktop has one, with no display server in it.
    fs::create_directory(dir.file("runtime"));
    setenv("XDG_RUNTIME_DIR", dir.file("runtime").c_str(), 1);
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const bool started = start();
    const SDL_Surface* screen = game.screen;
    for (const auto& [name, value] : saved)
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SDL_Quit();
    EXPECT_FALSE(started);
    EXPECT_EQ(screen, nullptr);
    EXPECT_EQ(out, "");
    ASSERT_EQ(lines_of(err).size(), 1u) << err;
    EXPECT_EQ(err.rfind("pelune: no display: ", 0), 0u) << err;
}

}  // namespace
