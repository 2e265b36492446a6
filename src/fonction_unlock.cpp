// SPDX-License-Identifier: MIT
// The unlock file: one decimal digit that remembers whether the game has been
// finished once, which opens the bonus level for good.
//
// The file may sit in a folder other people can write (a shared install) or in
// the player's own data folder, so it is only ever read as a regular file at
// its own name, and written through a new file of this process's own:
//  - a symbolic link at the unlock file's name is not followed: it reads as
//    locked, and the save replaces the link itself, never what it points to;
//  - a FIFO, a device or a directory reads as locked, without waiting;
//  - the new file is created exclusively (never through a link or an old file),
//    0644 whatever the umask, synced, renamed over the old one, and then the
//    folder is synced so the rename itself survives a power cut.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fonction.h"

// rw-r--r--: the player's own, readable by all, as any data file of a game.
static constexpr mode_t UNLOCK_MODE = 0644;
// Folders made for a per-user unlock file are private, as a home's data folders are.
static constexpr mode_t UNLOCK_DIR_MODE = 0700;

// A General set up by hand (tests, tools) has no path yet: the default one.
static const char* unlock_path(const General* general) {
    return general->unlock_path != nullptr ? general->unlock_path : UNLOCK_PATH;
}

void read_unlock(General* general) {
    general->unlock = 0;
    general->unlock_text[0] = '\0';
    // Never blocks (a FIFO), never follows a link; only a regular file is read.
    const int fd = open(unlock_path(general), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    // Missing: never finished. A link (ELOOP) reads as locked by choice; any
    // other failure hides the player's unlock, which is worth a word.
    if (fd < 0 && errno != ENOENT && errno != ELOOP) {
        char shown[PATH_MAX];
        std::fprintf(stderr, "pelune: cannot read %s (%s): the bonus level stays locked\n",
                     Text_Escape(unlock_path(general), shown, sizeof shown), std::strerror(errno));
    }
    if (fd < 0) return;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        (general->unlock_file = fdopen(fd, "r")) == nullptr) {
        close(fd);
        return;
    }
    // Only the first character counts; anything but a digit (or nothing) is 0.
    if (std::fgets(general->unlock_text, sizeof general->unlock_text, general->unlock_file) !=
            nullptr &&
        std::isdigit(static_cast<unsigned char>(general->unlock_text[0]))) {
        general->unlock = std::atoi(general->unlock_text);
    }
    std::fclose(general->unlock_file);
    general->unlock_file = nullptr;
}

// Makes every missing folder above `path` (a per-user path on its first save).
// The first folder that could not be made is kept in `failed` with its error,
// which is the real cause when the new file then cannot be created.
static int make_parents(const char* path, char* failed, size_t size) {
    char prefix[PATH_MAX];
    if (std::strlen(path) >= sizeof prefix) return 0;
    std::strcpy(prefix, path);
    int error = 0;
    for (char* slash = std::strchr(prefix + 1, '/'); slash != nullptr;
         slash = std::strchr(slash + 1, '/')) {
        *slash = '\0';
        if (mkdir(prefix, UNLOCK_DIR_MODE) != 0 && errno != EEXIST && error == 0) {
            error = errno;
            std::snprintf(failed, size, "%s", prefix);
        }
        *slash = '/';
    }
    return error;
}

// Syncs the folder holding `path`, so a rename into it is on the disk.
static void sync_parent(const char* path) {
    char folder[PATH_MAX];
    const char* slash = std::strrchr(path, '/');
    if (slash == nullptr) {
        std::strcpy(folder, ".");
    } else if (slash == path) {
        std::strcpy(folder, "/");
    } else if (static_cast<size_t>(slash - path) < sizeof folder) {
        std::memcpy(folder, path, slash - path);
        folder[slash - path] = '\0';
    } else {
        return;
    }
    const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);  // the file is in place either way; this only makes it durable sooner
    close(fd);
}

// Creates `temp` new: never through a link, a FIFO or an old file. A leftover of
// the same name (a save of an earlier process with this number, cut short, or
// anything planted there) is removed first: unlink drops a link, not its target.
static int create_new(const char* temp) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(temp, flags, UNLOCK_MODE);
    if (fd < 0 && errno == EEXIST && unlink(temp) == 0) fd = open(temp, flags, UNLOCK_MODE);
    if (fd >= 0 && fchmod(fd, UNLOCK_MODE) != 0) {  // the umask may have taken bits off
        close(fd);
        unlink(temp);
        return -1;
    }
    return fd;
}

// Writes `text` into the open new file and closes it; false if any step failed.
static bool write_text(FILE** stream, int fd, const char* text) {
    *stream = fdopen(fd, "w");
    if (*stream == nullptr) {
        close(fd);
        return false;
    }
    const bool written = std::fputs(text, *stream) >= 0 && std::fflush(*stream) == 0 &&
                         fsync(fileno(*stream)) == 0;
    const bool closed = std::fclose(*stream) == 0;
    *stream = nullptr;
    return written && closed;
}

int save_file_safely(const char* path, const char* text, FILE** stream, char* failed) {
    // A name of this process's own beside the file: two games saving at once
    // never write into the same new file.
    char temp[PATH_MAX];
    const int length =
        std::snprintf(temp, sizeof temp, "%s.%ld.new", path, static_cast<long>(getpid()));
    failed[0] = '\0';
    if (length <= 0 || static_cast<size_t>(length) >= sizeof temp) return ENAMETOOLONG;
    const int parent_error = make_parents(path, failed, PATH_MAX);
    const int fd = create_new(temp);
    const int open_error = errno;
    // A folder that could not be made is the real cause of a missing folder;
    // otherwise `failed` names nothing.
    if (fd < 0 && parent_error != 0 && open_error == ENOENT) return parent_error;
    failed[0] = '\0';
    if (fd < 0) return open_error;
    if (write_text(stream, fd, text) && std::rename(temp, path) == 0) {
        sync_parent(path);
        return 0;
    }
    const int error = errno;
    unlink(temp);
    return error;
}

void save_unlock(General* general) {
    const char* path = unlock_path(general);
    if (path[0] == '\0') {
        std::fprintf(stderr,
                     "pelune: no home folder for the unlock file: it lasts this run only\n");
        return;
    }
    char count[16];
    std::snprintf(count, sizeof count, "%d", general->unlock);
    char failed[PATH_MAX];
    const int error = save_file_safely(path, count, &general->unlock_file, failed);
    if (error == 0) return;
    char shown[PATH_MAX];
    if (failed[0] != '\0') {
        std::fprintf(stderr, "pelune: cannot make %s (%s): the unlock is kept for this run only\n",
                     Text_Escape(failed, shown, sizeof shown), std::strerror(error));
        return;
    }
    std::fprintf(stderr, "pelune: cannot write %s (%s): the unlock is kept for this run only\n",
                 Text_Escape(path, shown, sizeof shown), std::strerror(error));
}
