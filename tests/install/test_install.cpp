// SPDX-License-Identifier: MIT
// Where the game looks for its data, in order, and where an installed game
// keeps the player's unlock.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "../support.h"
#include "fonction.h"

TEST(DataSearch, ThePlacesAreTriedInOrderAndAnInstalledGameKeepsTheUnlockPerPlayer) {
    const std::string account = std::string(getpwuid(getuid())->pw_dir) + "/.local/share";
    const struct {
        const char *env, *exe, *with_data, *found, *xdg_data_home, *home;
        const char *unlock, *work = "work";  // the unlock; not found: where the search looked
    } rows[] = {
        {"env", "build", "env work build checkout", "env", "/x", "/h", UNLOCK_PATH},
        {"env", "build", "work build", "", "/x", "/h", "env"},  // when set, it alone counts
        {"", "build", "work build checkout usr/share/pelune", "work", "/x", "/h", UNLOCK_PATH},
        {"", "usr/bin", "usr/bin usr/share/pelune", "usr/bin", "/x", "/h", UNLOCK_PATH},
        {"", "build", "checkout usr/share/pelune", "checkout", "/x", "/h", UNLOCK_PATH},
        {"", "usr/bin", "checkout usr/share/pelune fb", "usr/bin/../share/pelune", "/x", "/h",
         "/x/pelune/dat.dat"},  // a copy of the program never uses the checkout
        {"", "usr/bin", "checkout fb", "fb", "", "/h", "/h/.local/share/pelune/dat.dat"},
        {"", "usr/bin", "fb", "fb", "x", "/h", "/h/.local/share/pelune/dat.dat"},  // relative
        {"", "usr/bin", "fb", "fb", nullptr, "", "@/pelune/dat.dat"},  // the account's home
        {"", "build", "", "", "/x", "/h", "work, build, checkout, build/../share/pelune, fb"},
        // Started from inside the installed data: still the player's unlock.
        {"", "usr/bin", "fb", "fb", "/x", "", "/x/pelune/dat.dat", "fb"},
    };
    for (const auto& row : rows) {
        GameDir root(false);  // the working directory: the paths are relative to it
        for (const char* dir : {"work", "build", "usr/bin"})
            std::filesystem::create_directories(dir);
        std::istringstream with_data(row.with_data);
        for (std::string dir; with_data >> dir;)
            for (const char* sub : {"/data/gfx", "/data/music"})
                std::filesystem::create_directories(dir + sub);
        const DataSearch search{row.env,           row.work, row.exe,           "build", "checkout",
                                "../share/pelune", "fb",   row.xdg_data_home, row.home,
                                row.xdg_data_home};  // the same rules for the settings
        DataPlace place;
        SCOPED_TRACE(row.with_data);
        ASSERT_EQ(Data_Find(&search, &place), row.found[0] != '\0');
        EXPECT_STREQ(row.found[0] != '\0' ? place.dir : place.looked,
                     row.found[0] != '\0' ? row.found : row.unlock);
        std::string unlock = row.found[0] != '\0' ? row.unlock : UNLOCK_PATH;
        if (unlock[0] == '@') unlock.replace(0, 1, account);  // the account's home
        EXPECT_EQ(place.unlock, unlock);
        // The settings beside the unlock, or in the player's config folder.
        std::string settings = unlock.replace(unlock.size() - 7, 7, "settings.ini");
        if (settings.find("/.local/share/") != std::string::npos)
            settings.replace(settings.find("/.local/share/"), 14, "/.config/");
        EXPECT_EQ(place.settings, settings == "data/settings.ini" ? SETTINGS_PATH : settings);
    }
}

// A whole game through an installed copy, which run_install.sh lays out and
// names in PELUNE_INSTALLED: the unlock goes under XDG_DATA_HOME (run_install.sh
// checks it and the install), and the next run takes the bonus route.
TEST(Installed, AWholeGameKeepsTheUnlockUnderXdgDataHome) {
    const char* root = std::getenv("PELUNE_INSTALLED");
    if (root == nullptr) GTEST_SKIP() << "tests/install/run_install.sh runs it";
    Session session(false);
    const std::string bin = std::string(root) + "/bin";
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const DataSearch search{"", "", bin.c_str(), "", "", "../share/pelune", "", xdg, "", nullptr};
    DataPlace place;
    ASSERT_TRUE(Data_Find(&search, &place));
    ASSERT_EQ(chdir(place.dir), 0);
    const Launch launch{1, 0, place.unlock, 0, 0, nullptr, RENDERER_AUTO};
    for (int level_after_nine : {LEVEL_ENDING, LEVEL_BONUS}) {
        ASSERT_TRUE(session.running = Game_Start(&session.game, &launch));
        session.new_game(0);
        EXPECT_EQ(session.win_nine_levels(), level_after_nine);
        if (level_after_nine == LEVEL_ENDING) session.leave_ending();
        session.stop();
    }
}
