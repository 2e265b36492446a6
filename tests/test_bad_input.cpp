// Bad input through the real start-up and loop: unlock files of every kind,
// missing or broken sheets and sounds, no display. Each row is played as far
// as it matters. The unlock reader on its own is tested in test_shell.cpp, a
// missing unlock file through a whole game in test_game.cpp, and an unusable
// video or audio driver named by the environment in test_loop.cpp.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
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

const char* const SHEETS[] = {"data/gfx/menu.png", "data/gfx/lvl.png", "data/gfx/anim.png",
                              "data/gfx/joueur.png"};
const char* const SOUNDS[] = {"data/music/music.ogg", "data/music/pelune.wav",
                              "data/music/gameover.wav", "data/music/1.wav",
                              "data/music/2.wav",     "data/music/3.wav",
                              "data/music/start.wav", "data/music/earlystart.wav",
                              "data/music/pause.wav", "data/music/levelwin.wav"};
const char* const ICON = "ico.bmp";

// Links the repository's data files into `dir` one by one, all but `left_out`.
void link_assets(const GameDir& dir, const std::string& left_out) {
    fs::create_directories(dir.file("data/gfx"));
    fs::create_directories(dir.file("data/music"));
    std::vector<std::string> files(std::begin(SHEETS), std::end(SHEETS));
    files.insert(files.end(), std::begin(SOUNDS), std::end(SOUNDS));
    files.emplace_back(ICON);
    for (const std::string& file : files) {
        const fs::path source = fs::path(PELUNE_SOURCE_DIR) / file;
        if (file != left_out && fs::exists(source)) fs::create_symlink(source, dir.file(file));
    }
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
    // A game as far as the ending, through the bonus level when it opens.
    void whole_game() {
        new_game();
        if (win_nine_levels() == LEVEL_BONUS) {
            press(KEY_BACKSPACE);
            press(KEY_RETURN);
            turns(1);  // 12 becomes the ending
        }
        leave_ending();
    }
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

enum class Holder { File, Directory, UnreadableFile };

struct UnlockRow {
    const char* name;
    Holder holder;
    std::string content;
    int unlock;                         // General.unlock after start-up
    bool bonus;                         // level 9 leads to the bonus level
    std::optional<std::string> after;   // the file once the ending is left; none: a directory
};

const UnlockRow UNLOCK_ROWS[] = {
    {"Empty", Holder::File, "", 0, false, "1"},
    {"Zero", Holder::File, "0", 0, false, "1"},
    {"One", Holder::File, "1", 1, true, "1"},
    // Any other count keeps the bonus locked for good and the file as it is.
    {"Seven", Holder::File, "7", 7, false, "7"},
    {"Ten", Holder::File, "10", 1, true, "10"},
    {"Letter", Holder::File, "x", 0, false, "1"},
    {"Garbage", Holder::File, std::string("\xff\x00\x13\x37\n", 5), 0, false, "1"},
    {"Directory", Holder::Directory, "", 0, false, std::nullopt},
    {"Unreadable", Holder::UnreadableFile, "1", 0, false, "1"},
};

void PrintTo(const UnlockRow& row, std::ostream* out) { *out << row.name; }

class UnlockInput : public Play, public testing::WithParamInterface<UnlockRow> {};

TEST_P(UnlockInput, StartsTheGameOnTheRightRoadAndIsRewrittenOnlyWhenLocked) {
    const UnlockRow& row = GetParam();
    if (row.holder == Holder::UnreadableFile && geteuid() == 0) GTEST_SKIP() << "root reads any file";
    link_assets(dir, "");
    if (row.holder == Holder::Directory) {
        fs::create_directory(dir.file(UNLOCK_PATH));
    } else {
        dir.write(UNLOCK_PATH, row.content);
        if (row.holder == Holder::UnreadableFile) chmod(dir.file(UNLOCK_PATH).c_str(), 0);
    }
    ASSERT_TRUE(start());
    EXPECT_EQ(lines_naming(err, "dat.dat"), 0) << "reading is silent: " << err;
    EXPECT_EQ(game.general.unlock, row.unlock);

    new_game();
    EXPECT_EQ(win_nine_levels(), row.bonus ? LEVEL_BONUS : LEVEL_ENDING);
    if (row.bonus) {
        press(KEY_BACKSPACE);
        press(KEY_RETURN);
        turns(1);
    }
    testing::internal::CaptureStderr();
    leave_ending();
    const std::string ending_err = testing::internal::GetCapturedStderr();

    if (row.after) {
        chmod(dir.file(UNLOCK_PATH).c_str(), 0644);
        EXPECT_EQ(dir.read(UNLOCK_PATH), *row.after);
        EXPECT_EQ(ending_err, "");
    } else {
        EXPECT_TRUE(fs::is_directory(dir.file(UNLOCK_PATH))) << "nothing to write over";
        EXPECT_EQ(lines_naming(ending_err, "cannot write data/dat.dat"), 1) << ending_err;
    }
    EXPECT_FALSE(dir.exists("data/dat.dat.new"));
    // The count of this run: 1 once the ending has been left while locked.
    const int run_count = row.unlock == 0 ? 1 : row.unlock;
    EXPECT_EQ(game.general.unlock, run_count);

    // The next game of the same run follows that count, whatever the file did.
    new_game();
    EXPECT_EQ(win_nine_levels(), run_count == 1 ? LEVEL_BONUS : LEVEL_ENDING);
}

INSTANTIATE_TEST_SUITE_P(Rows, UnlockInput, testing::ValuesIn(UNLOCK_ROWS),
                         [](const testing::TestParamInfo<UnlockRow>& info) { return info.param.name; });

// The data directory cannot take the new file when the ending is left: the run
// keeps the bonus open, the old file stays, and stderr says it once.
class UnwritableData : public Play {
protected:
    void leave_the_ending_into(void (*make_unwritable)(const GameDir&)) {
        link_assets(dir, "");
        dir.write(UNLOCK_PATH, "0");
        ASSERT_TRUE(start());
        make_unwritable(dir);
        new_game();
        ASSERT_EQ(win_nine_levels(), LEVEL_ENDING);
        testing::internal::CaptureStderr();
        leave_ending();
        const std::string ending_err = testing::internal::GetCapturedStderr();
        chmod(dir.file("data").c_str(), 0755);
        EXPECT_EQ(lines_naming(ending_err, "cannot write data/dat.dat"), 1) << ending_err;
        EXPECT_EQ(dir.read(UNLOCK_PATH), "0");
        EXPECT_EQ(game.general.unlock, 1);
        new_game();
        EXPECT_EQ(win_nine_levels(), LEVEL_BONUS) << "open for the rest of the run";
    }
};

TEST_F(UnwritableData, ADirectoryWhereTheNewFileGoes) {
    // Fails for root too, unlike a read-only directory.
    leave_the_ending_into([](const GameDir& d) { fs::create_directory(d.file("data/dat.dat.new")); });
    EXPECT_TRUE(fs::is_directory(dir.file("data/dat.dat.new"))) << "left as it was";
}

TEST_F(UnwritableData, AReadOnlyDataDirectory) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only directories";
    leave_the_ending_into([](const GameDir& d) { chmod(d.file("data").c_str(), 0555); });
}

// ---- Sheets, sounds and icon ----

enum class Damage { Missing, Empty, NotAPicture, Directory, OnePixel, Huge, ScreenSize };

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
    // A picture too small for the cuts from it: refused with its size, as if missing.
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
    // Refused with its size: a huge PNG by its header, before a byte is decoded.
    {"LevelSheetHuge", "data/gfx/lvl.png", Damage::Huge},
    {"LevelSheetScreenSize", "data/gfx/lvl.png", Damage::ScreenSize},
};

void PrintTo(const DataRow& row, std::ostream* out) { *out << row.name; }

class DataInput : public Play, public testing::WithParamInterface<DataRow> {};

TEST_P(DataInput, TheGameStartsSaysSoOnceAndPlaysOn) {
    const DataRow& row = GetParam();
    link_assets(dir, row.file);
    switch (row.damage) {
    case Damage::Missing:
        break;
    case Damage::Empty:
        dir.write(row.file, "");
        break;
    case Damage::NotAPicture:
        dir.write(row.file, "this is not what the game expects here\n");
        break;
    case Damage::Directory:
        fs::create_directory(dir.file(row.file));
        break;
    case Damage::OnePixel:
    case Damage::ScreenSize: {  // one pixel, or one level's picture for the whole sheet
        const bool dot = row.damage == Damage::OnePixel;
        SDL_Surface* pixel = make_surface(dot ? 1 : SCREEN_W, dot ? 1 : SCREEN_H);
        SDL_SaveBMP(pixel, dir.file(row.file).c_str());  // the loader goes by content
        SDL_FreeSurface(pixel);
        break;
    }
    case Damage::Huge:  // the signature and header of a 16000x16000 PNG
        dir.write(row.file, std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x3e\x80\0\0\x3e\x80"
                                        "\x08\x06\0\0\0\0\0\0\0", 33));
        break;
    }
    ASSERT_TRUE(start());
    EXPECT_EQ(out,
              "Thanks to play Pelune.\n\n\n\n\nPlease wait while loading...\n\nLoading gfx ...OK\n\n"
              "Loading music...OK\n\n");
    // The file the game names on stderr is its own path ("./data/gfx/joueur.png").
    const std::string name = fs::path(row.file).filename().string();
    EXPECT_EQ(lines_naming(err, "cannot load"), lines_naming(err, "pelune: ")) << err;
    EXPECT_EQ(lines_naming(err, name), 1) << err;
    if (row.damage >= Damage::OnePixel) {
        EXPECT_EQ(lines_naming(err, "pixels, the sheet is"), 1) << err;
    }
    menu_and_a_level();
}

INSTANTIATE_TEST_SUITE_P(Rows, DataInput, testing::ValuesIn(DATA_ROWS),
                         [](const testing::TestParamInfo<DataRow>& info) { return info.param.name; });

// ---- Devices ----

// Without an audio device every sound load fails; the game says so once, not
// once per sound, and plays on in silence.
TEST_F(Play, NoAudioDeviceIsOneLineForAllTheSounds) {
    link_assets(dir, "");
    const std::string previous = std::getenv("SDL_AUDIODRIVER");
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const bool started = start();
    setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    ASSERT_TRUE(started);
    EXPECT_EQ(lines_naming(err, "pelune: "), 1) << err;
    EXPECT_EQ(lines_naming(err, "no audio device"), 1) << err;
    menu_and_a_level();
}

// With no display at all SDL falls back on a driver that draws nowhere: the
// game must not start unseen, but stop at once with one line.
TEST_F(Play, NoDisplayAtAllIsNoStartEvenWhenSDLFallsBackOnDrawingNowhere) {
    link_assets(dir, "");
    struct Saved {
        const char* name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved;
    for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(name);
        saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        unsetenv(name);
    }
    // A session directory as a desktop has one, with no display server in it.
    fs::create_directory(dir.file("runtime"));
    setenv("XDG_RUNTIME_DIR", dir.file("runtime").c_str(), 1);
    const bool started = start();
    const SDL_Surface* screen = game.screen;
    for (const Saved& s : saved) {
        if (s.value) {
            setenv(s.name, s.value->c_str(), 1);
        } else {
            unsetenv(s.name);
        }
    }
    SDL_Quit();
    EXPECT_FALSE(started);
    EXPECT_EQ(screen, nullptr);
    EXPECT_EQ(out, "");
    ASSERT_EQ(lines_of(err).size(), 1u) << err;
    EXPECT_EQ(err.rfind("pelune: no display: ", 0), 0u) << err;
}

}  // namespace
