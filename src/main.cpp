// SPDX-License-Identifier: MIT
// The entry function, the main loop and the quit test.
#include "main.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fonction.h"
#include "jeu.h"
#include "menu.h"

int continuer = 1;

static constexpr Uint32 RETRY_DISPLAY_MS = 200;
static constexpr long long FRAME_NS = 1000000000LL / FRAMES_PER_SECOND;

// A window icon is at most 256 pixels a side: the largest BMP of that, with a
// full palette and the longest header.
static constexpr int ICON_SIDE_MOST = 256;
static constexpr long long ICON_FILE_MOST = 4LL * ICON_SIDE_MOST * ICON_SIDE_MOST + 2048;
static constexpr size_t BMP_HEAD = 26;  // file header, then the info header's size, width, height

static Sint32 little_endian(const unsigned char* bytes) {
    return static_cast<Sint32>(Uint32{bytes[0]} | (Uint32{bytes[1]} << 8) |
                               (Uint32{bytes[2]} << 16) | (Uint32{bytes[3]} << 24));
}

// The icon's size is checked from its header before any pixel is decoded.
static SDL_Surface* load_icon(const char* path, char why[DATA_WHY_SIZE]) {
    std::FILE* file = Data_Open(path, ICON_FILE_MOST, 0, why);
    if (file == nullptr) return nullptr;
    unsigned char head[BMP_HEAD];
    const bool read = std::fread(head, 1, sizeof head, file) == sizeof head;
    const Sint32 w = read ? little_endian(head + 18) : 0;
    const Sint32 h = read ? little_endian(head + 22) : 0;
    if (!read || std::memcmp(head, "BM", 2) != 0 || little_endian(head + 14) < 40) {
        std::snprintf(why, DATA_WHY_SIZE, "not a Windows bitmap");
    } else if (w < 1 || w > ICON_SIDE_MOST || h == 0 || h < -ICON_SIDE_MOST || h > ICON_SIDE_MOST) {
        std::snprintf(why, DATA_WHY_SIZE, "%dx%d pixels, an icon is at most %dx%d", w, h,
                      ICON_SIDE_MOST, ICON_SIDE_MOST);
    } else if (std::fseek(file, 0, SEEK_SET) == 0) {
        SDL_RWops* stream = Data_Stream(file, path);  // from now on SDL closes the file
        SDL_Surface* icon = stream != nullptr ? SDL_LoadBMP_RW(stream, 1) : nullptr;
        if (icon == nullptr) std::snprintf(why, DATA_WHY_SIZE, "%s", SDL_GetError());
        return icon;
    }
    std::fclose(file);
    return nullptr;
}

static void set_icon() {
    char why[DATA_WHY_SIZE];
    SDL_Surface* icon = load_icon("ico.bmp", why);
    if (icon == nullptr) {
        std::fprintf(stderr, "pelune: cannot load ico.bmp: %s\n", why);
        return;
    }
    SDL_WM_SetIcon(icon, nullptr);
    SDL_FreeSurface(icon);  // the window keeps its own copy
}

// SDL with video; audio comes after the display is known to be there. A video
// driver that cannot start (one named in SDL_VIDEODRIVER that is not there) is
// no display either.
static bool open_video() {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    std::fprintf(stderr, "pelune: no display: %s\n", SDL_GetError());
    return false;
}

// The audio device and the mixer, when there is one. Opened once the window is
// up, so a start without a display says only that, with no word (nor any noise
// from the sound libraries) about audio first.
static void open_audio() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 ||
        Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024) != 0) {
        std::fprintf(stderr, "pelune: no audio device (%s): the game runs silently\n",
                     Mix_GetError());
    }
}

// With no display to open, SDL falls back to a driver that draws nowhere: the
// game would run unseen and never end. Only a driver asked for by name (the
// tests ask for "dummy") may be one of those.
static bool draws_nowhere() {
    char name[32];
    if (SDL_VideoDriverName(name, sizeof name) == nullptr) return false;
    if (std::strcmp(name, "offscreen") != 0 && std::strcmp(name, "dummy") != 0) return false;
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    return asked == nullptr || std::strstr(asked, name) == nullptr;
}

// The window. Under load SDL 2 has been seen to miss a display that is there
// and fall back on drawing nowhere, so when the environment names a display the
// game tries once more before it gives up.
static bool open_window(Game* game, const Launch* launch) {
    Launch_SetScale(launch);
    const Uint32 fullscreen = launch->fullscreen != 0 ? SDL_FULLSCREEN : 0;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool display_named =
        (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
    for (int attempt = 1; attempt <= 2; ++attempt) {
        set_icon();  // before the video mode, or the window would not take it
        game->screen = SDL_SetVideoMode(SCREEN_W, SCREEN_H, SCREEN_BPP,
                                        SDL_HWSURFACE | SDL_DOUBLEBUF | fullscreen);
        if (game->screen != nullptr && !draws_nowhere()) {
            Display_WholeScale(launch->fill);
            return true;
        }
        if (game->screen == nullptr || !display_named || attempt == 2) break;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Delay(RETRY_DISPLAY_MS);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) break;
    }
    // A display that is there but refuses the window says why, in its own words.
    if (game->screen == nullptr) {
        std::fprintf(stderr, "pelune: cannot open a %dx%d window%s: %s\n", SCREEN_W, SCREEN_H,
                     fullscreen != 0 ? " on the whole screen" : "", SDL_GetError());
    } else {
        std::fprintf(stderr, "pelune: no display: no X11 or Wayland display to open\n");
    }
    game->screen = nullptr;
    return false;
}

// The sheets left decoding at start-up, waited for now.
static void take_sheets(Game* game) {
    SheetLoad* load = game->loading;
    if (load == nullptr) return;
    game->loading = nullptr;
    if (load->jobs[SHEET_LEVEL].worker.joinable()) {
        game->general.level_sheet = Sheets_Take(load, SHEET_LEVEL);
    }
    if (load->jobs[SHEET_RUNNER].worker.joinable()) {
        game->perso.sheet = Sheets_Take(load, SHEET_RUNNER);
    }
    Opaque_Views(&game->menu, &game->general);
}

bool Game_Start(Game* game, const Launch* launch_given, SheetLoad* later) {
    *game = Game{};
    Launch launch{};
    if (launch_given != nullptr) launch = *launch_given;
    // The settings of the last run, where the command line leaves a choice.
    game->settings_path = launch.settings_path;
    if (game->settings_path != nullptr) {
        Settings_Read(&game->settings, game->settings_path);
    } else {
        Settings_Init(&game->settings);
    }
    Settings_Launch(&game->settings, &launch);
    game->fill = launch.fill;
    continuer = 1;
    Launch_Renderer(&launch);
    Launch_Environment();
    if (!open_video()) return false;
    if (!open_window(game, &launch)) return false;
    open_audio();
    Volume_Apply(&game->settings);
    SDL_WM_SetCaption("Pelune", nullptr);
    Input_Start();
    // Not before the display is open: a thread running while SDL opens the
    // display can make SDL 2 fall back on drawing nowhere.
    SheetLoad own;
    SheetLoad* sheets = later != nullptr ? later : &own;
    Sheets_Start(sheets);
    std::printf("Thanks to play Pelune.\n\n\n\n\nPlease wait while loading...\n\nLoading gfx ...");
    std::fflush(stdout);
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    Menu_Init(&game->menu);
    // A sheet that failed already says so now; one still decoding may wait.
    const bool wait_level = later == nullptr || !sheets->jobs[SHEET_LEVEL].worker.joinable();
    const bool wait_runner = later == nullptr || !sheets->jobs[SHEET_RUNNER].worker.joinable();
    game->menu.sheet = Sheets_Take(sheets, SHEET_MENU);
    if (wait_level) game->general.level_sheet = Sheets_Take(sheets, SHEET_LEVEL);
    General_Init(&game->general);
    game->general.unlock_path = launch.unlock_path;  // null: the unlock code's default
    game->general.rain_on = game->settings.rain;
    read_unlock(&game->general);
    Anim_Init(&game->anim);
    game->anim.sheet = Sheets_Take(sheets, SHEET_ANIM);
    Perso_Init(&game->perso, 0, 173);
    if (wait_runner) game->perso.sheet = Sheets_Take(sheets, SHEET_RUNNER);
    if (!wait_level || !wait_runner) game->loading = later;
    Opaque_Views(&game->menu, &game->general);
    game->shown.must_flip = 1;
    std::printf("OK\n\nLoading music...");
    std::fflush(stdout);
    Niveaux_Init(game->niveau);
    Sons_Init(&game->sons);
    PlayWav(game->sons.theme, &game->sons.played_theme);
    Mix_PlayMusic(game->sons.music, -1);
    return true;
}

using LevelFrame = void (*)(Niveau*, General*, SDL_Surface*, Anim*, Perso*, Menu*, Sons*);
static constexpr LevelFrame RACE_LEVELS[9] = {Niveau1, Niveau2, Niveau3, Niveau4, Niveau5,
                                              Niveau6, Niveau7, Niveau8, Niveau9};

static void run_menu(Game* game) {
    Anim_Init(&game->anim);
    PlayedSong_Init(&game->sons);
    Menu_Sys(&game->menu, &game->general, game->screen, game->niveau);
    Perso_Init(&game->perso, START_X, START_Y_MENU);
}

static void run_level(Game* game) {
    General* general = &game->general;
    const int level = general->level;
    if (level >= 1 && level <= 9) {
        RACE_LEVELS[level - 1](&game->niveau[level - 1], general, game->screen, &game->anim,
                               &game->perso, &game->menu, &game->sons);
    } else if (level == LEVEL_ENDING) {
        Fin(&game->menu, &game->niveau[LEVEL_ENDING - 1], general, game->screen, &game->anim,
            &game->perso, &game->sons);
    } else if (level == LEVEL_BONUS) {
        Niveau11(&game->niveau[LEVEL_BONUS - 1], general, game->screen, &game->anim, &game->perso,
                 &game->menu, &game->sons);
    } else if (level > LEVEL_BONUS) {
        general->level = LEVEL_ENDING;  // the bonus level won: the ending from the next turn
    }
}

void Game_Turn(Game* game) {
    General* general = &game->general;
    Input_Take(game);  // an empty queue keeps the last event
    if (general->screen == SCREEN_MENU) {
        run_menu(game);
    } else if (general->screen == SCREEN_PLAY) {
        take_sheets(game);
        run_level(game);
    }
    if (general->level != LEVEL_BONUS) {
        const int rain = general->rain_on;
        Blit_Pluie(general, &game->anim, game->screen);
        if (general->rain_on != rain) {  // Left Ctrl: the player's choice, kept
            game->settings.rain = general->rain_on;
            game->settings.changed = 1;
        }
    }
    Volume_Draw(&game->settings, game->anim.sheet, game->screen);
    // From now on this key-down counts as acted on, however long it stays.
    general->key_consumed = general->event.type == SDL_KEYDOWN ? 1 : 0;
    ExitGame(general);
    Present(game);
}

// FNV-style over eight 64-bit lanes at once, so the multiplies overlap: about
// two full-screen copies' time (BM_PresentUnchanged), where a flip at 3x costs
// the game and the X server some 3 ms.
static Uint64 screen_hash(const SDL_Surface* screen) {
    constexpr Uint64 PRIME = 0x100000001b3ULL;
    constexpr int LANES = 8;
    Uint64 lanes[LANES] = {0xcbf29ce484222325ULL, 1, 2, 3, 4, 5, 6, 7};
    const size_t bytes = static_cast<size_t>(screen->pitch) * screen->h;
    const Uint8* pixels = static_cast<const Uint8*>(screen->pixels);
    size_t at = 0;
    for (; at + sizeof lanes <= bytes; at += sizeof lanes) {
        Uint64 words[LANES];
        std::memcpy(words, pixels + at, sizeof words);
        for (int lane = 0; lane < LANES; ++lane) lanes[lane] = (lanes[lane] ^ words[lane]) * PRIME;
    }
    for (; at < bytes; ++at) lanes[0] = (lanes[0] ^ pixels[at]) * PRIME;
    Uint64 hash = 0;
    for (int lane = 0; lane < LANES; ++lane) hash = (hash ^ lanes[lane]) * PRIME;
    return hash;
}

bool Present(Game* game) {
    Shown* shown = &game->shown;
    const Uint64 hash = screen_hash(game->screen);
    if (hash == shown->hash && shown->must_flip == 0 && shown->unflipped + 1 < PRESENT_EVERY) {
        shown->unflipped += 1;
        return false;
    }
    SDL_Flip(game->screen);
    shown->hash = hash;
    shown->unflipped = 0;
    shown->must_flip = 0;
    return true;
}

void Game_Stop(Game* game) {
    if (game->settings_path != nullptr && game->settings.changed != 0) {
        Settings_Write(&game->settings, game->settings_path);
        game->settings.changed = 0;
    }
    take_sheets(game);  // no loader thread outlives the game
    Mix_FreeMusic(game->sons.music);
    game->sons.music = nullptr;
    Mix_Chunk** chunks[] = {&game->sons.theme,      &game->sons.gameover, &game->sons.count1,
                            &game->sons.count2,     &game->sons.count3,   &game->sons.start,
                            &game->sons.earlystart, &game->sons.pause,    &game->sons.levelwin,
                            &game->sons.caught};
    for (Mix_Chunk** chunk : chunks) {
        if (*chunk != nullptr) Mix_FreeChunk(*chunk);
        *chunk = nullptr;
    }
    if (Mix_QuerySpec(nullptr, nullptr, nullptr) != 0) Mix_CloseAudio();
    Opaque_Views_Free(&game->menu, &game->general);
    SDL_Surface** sheets[] = {&game->menu.sheet, &game->general.level_sheet, &game->anim.sheet,
                              &game->perso.sheet};
    for (SDL_Surface** sheet : sheets) {
        SDL_FreeSurface(*sheet);
        *sheet = nullptr;
    }
}

void ExitGame(General* general) {
    const SDL_Event& event = general->event;
    if (event.type == SDL_QUIT ||
        (event.type == SDL_KEYDOWN && event.key.keysym.sym == KEY_ESCAPE)) {
        continuer = 0;
    }
}

static long long monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void FramePacer_Init(FramePacer* pacer) { pacer->next_ns = monotonic_ns(); }

void FramePacer_Wait(FramePacer* pacer) {
    pacer->next_ns += FRAME_NS;
    const long long now = monotonic_ns();
    if (pacer->next_ns < now) {
        pacer->next_ns = now;  // a stall: go on from here, no burst of catch-up turns
        return;
    }
    timespec until{};
    until.tv_sec = static_cast<time_t>(pacer->next_ns / 1000000000LL);
    until.tv_nsec = static_cast<long>(pacer->next_ns % 1000000000LL);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

int SDL_main(int argc, char* argv[]) {
    Launch launch{};
    const int status = Launch_Parse(&launch, argc, argv, stdout, stderr);
    if (status != LAUNCH_RUN) return status;
    DataPlace place;
    if (!Data_Enter(&place, &launch)) return 1;
    Game game;
    SheetLoad sheets;
    if (!Game_Start(&game, &launch, &sheets)) return 1;
    FramePacer pacer;
    FramePacer_Init(&pacer);
    while (continuer == 1) {
        Game_Turn(&game);
        FramePacer_Wait(&pacer);
    }
    Game_Stop(&game);
    return 0;
}
