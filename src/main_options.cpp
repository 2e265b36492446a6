// SPDX-License-Identifier: MIT
// The command line, and the window's scale and fullscreen.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "main.h"

namespace {

constexpr int DESKTOP_SHARE_PERCENT = 85;  // the most of the desktop a window takes
// SDL's software renderer scales every frame on the CPU: at 6x (2880x1632) it
// no longer holds 60 turns a second on a two-core machine, at 4x it does
// (docs/PERFORMANCE.md). Larger scales only when asked for.
constexpr int SOFTWARE_SCALE_MAX = 4;
constexpr const char* DRI_DIR = "/dev/dri";

const char USAGE[] =
    "Usage: pelune [--scale N] [--fullscreen | --windowed] [--fill]\n"
    "                     [--renderer software|gpu]\n"
    "       pelune -h | --help | -V | --version\n";

const char HELP[] =
    "\n"
    "Pelune: race to the finish, moving only while no sentinel watches you.\n"
    "\n"
    "Options:\n"
    "  --scale N     a window N times the 480x272 picture, N from 1 to 8\n"
    "                (default: the largest that fits the screen and is drawn at\n"
    "                full speed)\n"
    "  --fullscreen  start on the whole screen (picture in proportion, black bars)\n"
    "  --windowed    start in a window (the default)\n"
    "  --fill        fullscreen fills the screen (default: the largest whole\n"
    "                scale that fits, black borders around it)\n"
    "  --renderer R  draw with the graphics card (gpu) or the processor (software);\n"
    "                default: the card when there is one\n"
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
        } else if (std::strcmp(arg, "--renderer") == 0 || std::strncmp(arg, "--renderer=", 11) == 0) {
            const char* value = arg[10] == '=' ? arg + 11 : (i + 1 < argc ? argv[++i] : nullptr);
            const bool software = value != nullptr && std::strcmp(value, "software") == 0;
            if (!software && (value == nullptr || std::strcmp(value, "gpu") != 0)) {
                return bad_option(err, "--renderer takes software or gpu: ",
                                  value == nullptr ? "none given" : value);
            }
            launch->renderer = software ? RENDERER_SOFTWARE : RENDERER_GPU;
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

// Mesa's own switch to its software rasteriser: set, and not a "no".
static bool told_software(const char* value) {
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0 &&
           std::strcmp(value, "false") != 0 && std::strcmp(value, "no") != 0;
}

bool Renderer_Software(int asked, const char* dri_dir, const char* libgl_always_software) {
    if (asked != RENDERER_AUTO) return asked == RENDERER_SOFTWARE;
    if (told_software(libgl_always_software) || dri_dir == nullptr) return true;
    // A render node this user may open is a hardware renderer.
    DIR* dir = opendir(dri_dir);
    if (dir == nullptr) return true;
    bool node = false;
    while (const dirent* entry = readdir(dir)) {
        if (std::strncmp(entry->d_name, "renderD", 7) != 0) continue;
        const std::string path = std::string(dri_dir) + "/" + entry->d_name;
        if (access(path.c_str(), R_OK | W_OK) == 0) {
            node = true;
            break;
        }
    }
    closedir(dir);
    return !node;
}

void Launch_Renderer(const Launch* launch) {
    if (std::getenv("SDL_RENDER_DRIVER") != nullptr) return;  // the user's own choice
    if (!Renderer_Software(launch->renderer, DRI_DIR, std::getenv("LIBGL_ALWAYS_SOFTWARE"))) return;
    // Without a graphics card SDL's default is OpenGL on a software rasteriser,
    // which maps some 60 MB and costs more CPU than SDL's own software
    // renderer. Both settings are needed to keep OpenGL out.
    setenv("SDL_RENDER_DRIVER", "software", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
}

int Launch_DefaultScale(int desktop_w, int desktop_h, bool software) {
    const int fit = Launch_FitScale(desktop_w, desktop_h);
    return software && fit > SOFTWARE_SCALE_MAX ? SOFTWARE_SCALE_MAX : fit;
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
    const char* driver = std::getenv("SDL_RENDER_DRIVER");
    const bool software = driver != nullptr && std::strcmp(driver, "software") == 0;
    const int fit =
        info == nullptr ? 1 : Launch_DefaultScale(info->current_w, info->current_h, software);
    std::snprintf(scale, sizeof scale, "%d", fit);
    setenv("SDL12COMPAT_WINDOW_SCALING", scale, 1);
}
