// SPDX-License-Identifier: MIT
// The player's settings, kept between runs in a small settings file, and the
// volume they set: window or fullscreen, scale, fill, rain, volume and mute.
//
// The file may be anything by the time the game reads it, so it is read as the
// unlock is: only a regular file at its own name, without waiting on a FIFO,
// and no bigger than a settings file can be. Anything else gives the defaults.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fonction.h"
#include "main.h"

namespace {

constexpr int SETTINGS_MAX_BYTES = 4096;  // a written file holds some 200

struct Field {
    const char* name;
    int Settings::*value;
    int max;  // values run from 0 to max
};

constexpr Field FIELDS[] = {
    {"fullscreen", &Settings::fullscreen, 1}, {"fill", &Settings::fill, 1},
    {"scale", &Settings::scale, SCALE_MAX},   {"rain", &Settings::rain, 1},
    {"volume", &Settings::volume, VOLUME_STEPS}, {"music", &Settings::music, VOLUME_STEPS},
    {"effects", &Settings::effects, VOLUME_STEPS}, {"mute", &Settings::mute, 1},
};

const char* skip_blanks(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == '\r') ++text;
    return text;
}

// One line "name=value" into `settings`; blank lines, comments and section
// headers pass. False when the line is none of these.
bool parse_line(Settings* settings, const char* line, size_t length) {
    char copy[128];
    if (length >= sizeof copy) return false;
    std::memcpy(copy, line, length);
    copy[length] = '\0';
    while (length > 0 && (copy[length - 1] == ' ' || copy[length - 1] == '\t' ||
                          copy[length - 1] == '\r')) {
        copy[--length] = '\0';
    }
    const char* start = skip_blanks(copy);
    if (*start == '\0' || *start == '#' || *start == ';') return true;
    if (*start == '[') return copy[length - 1] == ']';
    const char* equals = std::strchr(start, '=');
    if (equals == nullptr) return false;
    size_t name_length = static_cast<size_t>(equals - start);
    while (name_length > 0 && (start[name_length - 1] == ' ' || start[name_length - 1] == '\t')) {
        --name_length;
    }
    const char* value = skip_blanks(equals + 1);
    for (const Field& field : FIELDS) {
        if (std::strlen(field.name) != name_length ||
            std::strncmp(field.name, start, name_length) != 0) {
            continue;
        }
        // One or two digits, nothing else: no sign, no blanks inside, no overflow.
        if (value[0] < '0' || value[0] > '9') return false;
        if (value[1] != '\0' && (value[1] < '0' || value[1] > '9' || value[2] != '\0')) {
            return false;
        }
        const int number = std::atoi(value);
        if (number > field.max) return false;
        settings->*field.value = number;
        return true;
    }
    return false;
}

int clamp_step(int value) {
    return value < 0 ? 0 : (value > VOLUME_STEPS ? VOLUME_STEPS : value);
}

}  // namespace

void Settings_Init(Settings* settings) {
    settings->fullscreen = 0;
    settings->scale = 0;
    settings->fill = 0;
    settings->rain = 0;
    settings->volume = VOLUME_STEPS;
    settings->music = VOLUME_STEPS;
    settings->effects = VOLUME_STEPS;
    settings->mute = 0;
    settings->shown = 0;
    settings->changed = 0;
}

bool Settings_Parse(Settings* settings, const char* text, int* bad_line) {
    Settings read;
    Settings_Init(&read);
    int number = 1;
    for (const char* line = text; *line != '\0'; ++number) {
        const char* end = std::strchr(line, '\n');
        const size_t length = end == nullptr ? std::strlen(line) : static_cast<size_t>(end - line);
        if (!parse_line(&read, line, length)) {
            *bad_line = number;
            Settings_Init(settings);
            return false;
        }
        if (end == nullptr) break;
        line = end + 1;
    }
    *settings = read;
    return true;
}

void Settings_Text(const Settings* settings, char* text, size_t size) {
    int used = std::snprintf(text, size,
                             "# Pelune's settings, kept between runs. Volumes: 0 to %d.\n"
                             "[pelune]\n",
                             VOLUME_STEPS);
    for (const Field& field : FIELDS) {
        if (used < 0 || static_cast<size_t>(used) >= size) return;
        used += std::snprintf(text + used, size - static_cast<size_t>(used), "%s=%d\n", field.name,
                              settings->*field.value);
    }
}

void Settings_Read(Settings* settings, const char* path) {
    Settings_Init(settings);
    // Never blocks (a FIFO), never follows a link; only a regular file is read.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) return;  // a first start
    char text[SETTINGS_MAX_BYTES + 1];
    const char* why = nullptr;
    struct stat st {};
    if (fd < 0) {
        why = errno == ELOOP ? "a link" : std::strerror(errno);
    } else if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = "not a plain file";
    } else if (st.st_size > SETTINGS_MAX_BYTES) {
        why = "too big";
    } else {
        const ssize_t length = read(fd, text, SETTINGS_MAX_BYTES);
        text[length > 0 ? length : 0] = '\0';
        int bad_line = 0;
        if (length < 0) {
            why = std::strerror(errno);
        } else if (std::strlen(text) != static_cast<size_t>(length)) {
            why = "not text";
        } else if (!Settings_Parse(settings, text, &bad_line)) {
            std::fprintf(stderr, "pelune: %s, line %d, is not understood: the default settings\n",
                         path, bad_line);
        }
    }
    if (fd >= 0) close(fd);
    if (why != nullptr) {
        std::fprintf(stderr, "pelune: %s is %s: the default settings\n", path, why);
    }
}

void Settings_Write(const Settings* settings, const char* path) {
    char text[SETTINGS_MAX_BYTES];
    Settings_Text(settings, text, sizeof text);
    FILE* stream = nullptr;
    char failed[PATH_MAX];
    const int error = save_file_safely(path, text, &stream, failed);
    if (error != 0) {
        char shown[PATH_MAX];
        std::fprintf(stderr, "pelune: cannot %s %s (%s): the settings are not kept\n",
                     failed[0] != '\0' ? "make" : "write",
                     Text_Escape(failed[0] != '\0' ? failed : path, shown, sizeof shown),
                     std::strerror(error));
    }
}

void Settings_Launch(const Settings* settings, Launch* launch) {
    if ((launch->given & LAUNCH_GIVEN_SCALE) == 0) launch->scale = settings->scale;
    if ((launch->given & LAUNCH_GIVEN_FULLSCREEN) == 0) launch->fullscreen = settings->fullscreen;
    if ((launch->given & LAUNCH_GIVEN_FILL) == 0) launch->fill = settings->fill;
}

void Volume_Apply(const Settings* settings) {
    if (Mix_QuerySpec(nullptr, nullptr, nullptr) == 0) return;  // no audio device
    const int level = settings->mute != 0 ? 0 : settings->volume;
    const int steps = VOLUME_STEPS * VOLUME_STEPS;
    Mix_VolumeMusic(MIX_MAX_VOLUME * level * settings->music / steps);
    Mix_Volume(-1, MIX_MAX_VOLUME * level * settings->effects / steps);
}

bool Volume_Key(Settings* settings, const SDL_Event* event) {
    const SDLKey key = event->key.keysym.sym;
    int step = 0;
    if (key == SDLK_MINUS || key == SDLK_KP_MINUS) {
        step = -1;
    } else if (key == SDLK_PLUS || key == SDLK_EQUALS || key == SDLK_KP_PLUS) {
        step = 1;  // + shares its key with = on many keyboards
    } else if (key != SDLK_m) {
        return false;
    }
    if (event->type != SDL_KEYDOWN) return true;
    if (step == 0) {
        settings->mute = 1 - settings->mute;
    } else {
        settings->volume = clamp_step(settings->volume + step);
        settings->mute = 0;  // a volume key is heard at once
    }
    settings->shown = VOLUME_SHOW_FRAMES;
    settings->changed = 1;
    Volume_Apply(settings);
    return true;
}

void Volume_Draw(Settings* settings, SDL_Surface* anim_sheet, SDL_Surface* screen) {
    if (settings->shown <= 0) return;
    settings->shown -= 1;
    const auto draw = [anim_sheet, screen](SheetRect from, int x, int y) {
        SDL_Rect src = sdl_rect(from);
        SDL_Rect dest = {static_cast<Sint16>(x), static_cast<Sint16>(y), 0, 0};
        SDL_BlitSurface(anim_sheet, &src, screen, &dest);
    };
    draw(ANIM_VOLUME_PLATE, VOLUME_SCREEN_X, VOLUME_SCREEN_Y);
    for (int notch = 0; notch < VOLUME_STEPS; ++notch) {
        const bool lit = settings->mute == 0 && notch < settings->volume;
        draw(lit ? ANIM_VOLUME_LIT : ANIM_VOLUME_DIM,
             VOLUME_SCREEN_X + VOLUME_NOTCH_X + VOLUME_NOTCH_PITCH * notch,
             VOLUME_SCREEN_Y + VOLUME_NOTCH_Y);
    }
    if (settings->mute != 0) {
        draw(ANIM_VOLUME_MUTED, VOLUME_SCREEN_X + VOLUME_SPEAKER_X,
             VOLUME_SCREEN_Y + VOLUME_SPEAKER_Y);
    }
}
