// SPDX-License-Identifier: MIT
// Where the game's data lives, and where the player's unlock and settings are kept. The game
// opens its files by relative names ("data/gfx/menu.png"), so start-up makes the
// data directory the working directory.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fonction.h"
#include "main.h"

static bool is_dir(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

static bool set(const char* value) { return value != nullptr && value[0] != '\0'; }

// A path that does not fit the buffer is no path at all.
static bool format(char* out, size_t size, const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    const int length = std::vsnprintf(out, size, pattern, args);
    va_end(args);
    return length >= 0 && static_cast<size_t>(length) < size;
}

static bool holds_data(const char* dir) {
    char gfx[4096];
    char music[4096];
    return format(gfx, sizeof gfx, "%s/data/gfx", dir) && is_dir(gfx) &&
           format(music, sizeof music, "%s/data/music", dir) && is_dir(music);
}

// Tries `dir`; notes it in `looked` when it does not hold the data.
static bool try_dir(DataPlace* place, const char* dir) {
    if (!set(dir)) return false;
    if (holds_data(dir) && format(place->dir, sizeof place->dir, "%s", dir)) return true;
    const size_t used = std::strlen(place->looked);
    std::snprintf(place->looked + used, sizeof place->looked - used, "%s%s", used > 0 ? ", " : "",
                  dir);
    return false;
}

// Two names of one directory, whatever links or ".." lead there.
static bool same_dir(const char* a, const char* b) {
    struct stat info_a {};
    struct stat info_b {};
    return set(a) && set(b) && stat(a, &info_a) == 0 && stat(b, &info_b) == 0 &&
           info_a.st_dev == info_b.st_dev && info_a.st_ino == info_b.st_ino;
}

// The player's own file: $<xdg_name>/pelune/<name>, by default under
// ~/<fallback>. Relative values are ignored, as the XDG rules ask: after the
// change of directory they would point into the data. Without a usable HOME,
// the account's home from the password database; never the installed data,
// which is no player's to write: with no home at all `out` is empty and the
// file lasts one run. `say_home`: a HOME too long is said (once for both files).
static void player_file(const DataSearch* search, const char* xdg, const char* xdg_name,
                        const char* fallback, const char* name, bool say_home, char* out,
                        size_t size) {
    if (xdg != nullptr && xdg[0] == '/') {
        if (format(out, size, "%s/pelune/%s", xdg, name)) return;
        std::fprintf(stderr, "pelune: %s is too long for a path (%zu bytes): not used\n",
                     xdg_name, std::strlen(xdg));
    }
    const char* home = search->home;
    if (home != nullptr && home[0] == '/') {
        if (format(out, size, "%s/%s/pelune/%s", home, fallback, name)) return;
        if (say_home) {
            std::fprintf(
                stderr,
                "pelune: HOME is too long for a path (%zu bytes): the account's home is used\n",
                std::strlen(home));
        }
    }
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/' &&
        format(out, size, "%s/%s/pelune/%s", user->pw_dir, fallback, name)) {
        return;
    }
    out[0] = '\0';
}

// The player's own unlock ($XDG_DATA_HOME) and settings ($XDG_CONFIG_HOME).
static void player_unlock(const DataSearch* search, DataPlace* place) {
    player_file(search, search->xdg_data_home, "XDG_DATA_HOME", ".local/share", "dat.dat", true,
                place->unlock, sizeof place->unlock);
    if (place->unlock[0] == '\0') {
        std::fprintf(stderr, "pelune: no home folder for the unlock file: it lasts this run only\n");
    }
    player_file(search, search->xdg_config_home, "XDG_CONFIG_HOME", ".config", "settings.ini",
                false, place->settings, sizeof place->settings);
}

// Where an installed executable's data lies: <exe_dir>/<exe_to_data>.
static bool data_beside_exe(const DataSearch* search, char* out, size_t size) {
    return set(search->exe_dir) && set(search->exe_to_data) &&
           format(out, size, "%s/%s", search->exe_dir, search->exe_to_data);
}

// The installed data folder, found from the executable or the configured prefix.
static bool is_install_dir(const DataSearch* search, const char* dir) {
    char relative[4096];
    return (data_beside_exe(search, relative, sizeof relative) && same_dir(dir, relative)) ||
           same_dir(dir, search->install_dir);
}

bool Data_Find(const DataSearch* search, DataPlace* place) {
    place->dir[0] = '\0';
    place->looked[0] = '\0';
    format(place->unlock, sizeof place->unlock, "%s", UNLOCK_PATH);
    format(place->settings, sizeof place->settings, "%s", SETTINGS_PATH);
    if (set(search->env_dir)) return try_dir(place, search->env_dir);
    if (try_dir(place, search->work_dir)) {
        // Started from inside the installed data: still an installed game, whose
        // own folder the player cannot write.
        if (is_install_dir(search, place->dir)) player_unlock(search, place);
        return true;
    }
    if (!same_dir(search->exe_dir, search->work_dir) && try_dir(place, search->exe_dir))
        return true;
    // Only the program in its own build folder may use the checkout: an
    // installed copy must never write into a developer's tree.
    if (same_dir(search->exe_dir, search->build_dir) && try_dir(place, search->checkout_dir)) {
        return true;
    }
    char relative[4096];
    const bool installed =
        (data_beside_exe(search, relative, sizeof relative) && try_dir(place, relative)) ||
        try_dir(place, search->install_dir);
    if (installed) player_unlock(search, place);
    return installed;
}

bool Data_Enter(DataPlace* place, Launch* launch) {
    char work_dir[4096];
    char exe_dir[4096];
    const ssize_t length = readlink("/proc/self/exe", exe_dir, sizeof exe_dir - 1);
    exe_dir[length > 0 ? length : 0] = '\0';
    char* slash = std::strrchr(exe_dir, '/');
    if (slash != nullptr) *slash = '\0';
    const DataSearch search{std::getenv("PELUNE_DATA_DIR"),
                            getcwd(work_dir, sizeof work_dir),
                            exe_dir,
                            PELUNE_BUILD_DIR,
                            PELUNE_CHECKOUT_DIR,
                            PELUNE_EXE_TO_DATA,
                            PELUNE_INSTALL_DATA_DIR,
                            std::getenv("XDG_DATA_HOME"),
                            std::getenv("HOME"),
                            std::getenv("XDG_CONFIG_HOME")};
    if (!Data_Find(&search, place)) {
        std::fprintf(stderr, "pelune: no game data (data/gfx, data/music) in %s%s\n",
                     set(search.env_dir) ? "PELUNE_DATA_DIR " : "", place->looked);
        return false;
    }
    if (chdir(place->dir) != 0) {
        std::fprintf(stderr, "pelune: cannot enter %s\n", place->dir);
        return false;
    }
    launch->unlock_path = place->unlock;
    launch->settings_path = place->settings[0] != '\0' ? place->settings : nullptr;
    return true;
}

std::FILE* Data_Open(const char* path, long long most, int flags, char why[DATA_WHY_SIZE]) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | flags);
    if (fd < 0) {
        std::snprintf(why, DATA_WHY_SIZE, "%s", std::strerror(errno));
        return nullptr;
    }
    struct stat status {};
    std::FILE* file = nullptr;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        std::snprintf(why, DATA_WHY_SIZE, "not a regular file");
    } else if (status.st_size > most) {
        std::snprintf(why, DATA_WHY_SIZE, "%lld bytes, more than such a file can need (%lld)",
                      static_cast<long long>(status.st_size), most);
    } else if ((file = fdopen(fd, "rb")) == nullptr) {
        std::snprintf(why, DATA_WHY_SIZE, "%s", std::strerror(errno));
    }
    if (file == nullptr) close(fd);
    return file;
}

const char* Text_Escape(const char* text, char* out, size_t size) {
    size_t used = 0;
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(text); *at != 0; ++at) {
        const bool plain = *at >= ' ' && *at <= '~' && *at != '\\';
        if (used + (plain ? 1 : 4) >= size) break;
        if (plain) {
            out[used++] = static_cast<char>(*at);
        } else {
            used += std::snprintf(out + used, size - used, "\\x%02x", *at);
        }
    }
    out[used] = '\0';
    return out;
}
