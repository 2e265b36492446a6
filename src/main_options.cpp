// SPDX-License-Identifier: MIT
// The command line, and the window's scale and fullscreen.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "main.h"

namespace {

constexpr int DESKTOP_SHARE_PERCENT = 85;  // the most of the desktop a window takes

const char USAGE[] =
    "Usage: pelune [--scale N] [--fullscreen | --windowed] [--fill]\n"
    "       pelune -h | --help | -V | --version\n";

const char HELP[] =
    "\n"
    "Pelune: race to the finish, moving only while no sentinel watches you.\n"
    "\n"
    "Options:\n"
    "  --scale N     a window N times the 480x272 picture, N from 1 to 8\n"
    "                (default: the largest that fits the screen)\n"
    "  --fullscreen  start on the whole screen (picture in proportion, black bars)\n"
    "  --windowed    start in a window (the default)\n"
    "  --fill        fullscreen fills the screen (default: the largest whole\n"
    "                scale that fits, black borders around it)\n"
    "  -h, --help    show this help and exit\n"
    "  -V, --version show the version and exit\n"
    "\n"
    "Keys (gamepad):\n"
    "  Up, Down (D-pad, left stick)       move the highlight in the menu\n"
    "  Return (A, Start)                  choose; next level; back to the menu\n"
    "  Right arrow, held (D-pad, stick)   run; let go of it before Space or Backspace\n"
    "  Space (B)                          pause and resume; back to the menu when lost\n"
    "  Return on the lost banner          try the level again\n"
    "  M                                  sound off or on\n"
    "  -, + (keypad too)                  volume down, up\n"
    "  Backspace                          win the level at once\n"
    "  Left Ctrl (Back)                   rain on or off\n"
    "  F11, Alt+Return                    window or fullscreen\n"
    "  Escape                             quit\n";

// A whole number from 1 to SCALE_MAX, digits only; 0 when it is not one.
int scale_value(const char* text) {
    if (text == nullptr || std::strlen(text) != 1 || text[0] < '1' || text[0] > '0' + SCALE_MAX) {
        return 0;
    }
    return text[0] - '0';
}

// The option as the terminal may show it: control bytes escaped, an empty
// argument named as such.
int bad_option(FILE* err, const char* why, const char* what) {
    char shown[256];
    std::fprintf(
        err, "pelune: %s%s\n%s", why,
        what[0] == '\0' ? "\"\" (an empty argument)" : Text_Escape(what, shown, sizeof shown),
        USAGE);
    return 2;
}

}  // namespace

int Launch_Parse(Launch* launch, int argc, char* argv[], FILE* out, FILE* err) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fprintf(out, "%s%s", USAGE, HELP);
            return 0;
        }
        if (std::strcmp(arg, "--version") == 0 || std::strcmp(arg, "-V") == 0) {
            std::fprintf(out, "pelune %s\n", PELUNE_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--fullscreen") == 0 || std::strcmp(arg, "--windowed") == 0) {
            launch->fullscreen = arg[2] == 'f' ? 1 : 0;
            launch->given |= LAUNCH_GIVEN_FULLSCREEN;
        } else if (std::strcmp(arg, "--fill") == 0) {
            launch->fill = 1;
            launch->given |= LAUNCH_GIVEN_FILL;
        } else if (std::strcmp(arg, "--scale") == 0 || std::strncmp(arg, "--scale=", 8) == 0) {
            const char* value = arg[7] == '=' ? arg + 8 : (i + 1 < argc ? argv[++i] : nullptr);
            launch->scale = scale_value(value);
            launch->given |= LAUNCH_GIVEN_SCALE;
            if (launch->scale == 0) {
                return bad_option(err, "--scale takes a whole number from 1 to 8: ",
                                  value == nullptr ? "none given" : value);
            }
        } else {
            return bad_option(err, "unknown option ", arg);
        }
    }
    return LAUNCH_RUN;
}

int Launch_FitScale(int desktop_w, int desktop_h) {
    int scale = 1;
    while (scale < SCALE_MAX && (scale + 1) * SCREEN_W * 100 <= desktop_w * DESKTOP_SHARE_PERCENT &&
           (scale + 1) * SCREEN_H * 100 <= desktop_h * DESKTOP_SHARE_PERCENT) {
        ++scale;
    }
    return scale;
}

void Launch_Environment() {
    setenv("SDL12COMPAT_SCALE_METHOD", "nearest", 0);    // pixels replicated, never blurred
    setenv("SDL12COMPAT_USE_GAME_CONTROLLERS", "1", 0);  // every pad in one button layout
}

void Launch_SetScale(const Launch* launch) {
    char scale[8];
    if (launch->scale >= 1 && launch->scale <= SCALE_MAX) {
        std::snprintf(scale, sizeof scale, "%d", launch->scale);
        setenv("SDL12COMPAT_WINDOW_SCALING", scale, 1);  // asked for on the command line
        return;
    }
    // The user's own scale, from the environment, counts only as --scale would.
    const char* asked = std::getenv("SDL12COMPAT_WINDOW_SCALING");
    if (asked != nullptr && scale_value(asked) != 0) return;
    if (asked != nullptr) {
        char shown[64];
        std::fprintf(stderr,
                     "pelune: SDL12COMPAT_WINDOW_SCALING=%s ignored: the scale is a whole number "
                     "from 1 to 8\n",
                     Text_Escape(asked, shown, sizeof shown));
    }
    // Before the video mode the SDL 1.2 layer reports the desktop's own size.
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    const int fit = info == nullptr ? 1 : Launch_FitScale(info->current_w, info->current_h);
    std::snprintf(scale, sizeof scale, "%d", fit);
    setenv("SDL12COMPAT_WINDOW_SCALING", scale, 1);
}
