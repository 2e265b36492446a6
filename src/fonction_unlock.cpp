// The unlock file: one decimal digit that remembers whether the game has been
// finished once, which opens the bonus level for good.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "fonction.h"

static constexpr const char* UNLOCK_TEMP_PATH = "data/dat.dat.new";

// A General set up by hand (tests, tools) has no path yet: the default one.
static const char* unlock_path(const General* general) {
    return general->unlock_path != nullptr ? general->unlock_path : UNLOCK_PATH;
}

void read_unlock(General* general) {
    general->unlock = 0;
    general->unlock_text[0] = '\0';
    general->unlock_file = std::fopen(unlock_path(general), "r");
    if (general->unlock_file == nullptr) return;  // never finished: locked
    // Only the first character counts; anything but a digit (or nothing) is 0.
    if (std::fgets(general->unlock_text, sizeof general->unlock_text, general->unlock_file) !=
            nullptr &&
        std::isdigit(static_cast<unsigned char>(general->unlock_text[0]))) {
        general->unlock = std::atoi(general->unlock_text);
    }
    std::fclose(general->unlock_file);
    general->unlock_file = nullptr;
}

void save_unlock(General* general) {
    // Written beside the old file and renamed over it, so a failed write never
    // leaves the player with an empty or truncated file.
    general->unlock_file = std::fopen(UNLOCK_TEMP_PATH, "w");
    if (general->unlock_file == nullptr) {
        std::fprintf(stderr, "pelune: cannot write %s: the unlock is kept for this run only\n",
                     unlock_path(general));
        return;
    }
    bool written = std::fprintf(general->unlock_file, "%d", general->unlock) > 0 &&
                   std::fflush(general->unlock_file) == 0 &&
                   fsync(fileno(general->unlock_file)) == 0;
    written = std::fclose(general->unlock_file) == 0 && written;
    general->unlock_file = nullptr;
    if (!written || std::rename(UNLOCK_TEMP_PATH, unlock_path(general)) != 0) {
        std::remove(UNLOCK_TEMP_PATH);
        std::fprintf(stderr, "pelune: cannot write %s: the unlock is kept for this run only\n",
                     unlock_path(general));
    }
}
