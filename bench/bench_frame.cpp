// SPDX-License-Identifier: MIT
// pelune_bench: the cost of one frame's drawing and rules, on the real sheets,
// into a 480x272x32 surface laid out like the display. No flip: that is the
// display's share, measured on the real program (bench/measure_run.sh).
//
// Each frame is measured twice: with the sheets as SDL_image loads them (RGBA,
// in the PNG's byte order), and in the display's pixel format as the game
// loads them (the same pixels SDL_DisplayFormatAlpha gives). The unit of frame
// cost is one full-screen opaque blit (a plain copy), timed before the
// benchmarks run: each frame's counter `opaque_blits` is its CPU time in
// that unit.
//
//   pelune_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <SDL_image.h>
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fonction.h"
#include "jeu.h"
#include "main.h"
#include "menu.h"

namespace {

const std::string GFX = std::string(PELUNE_SOURCE_DIR) + "/data/gfx/";

enum SheetFormat { AS_LOADED = 0, DISPLAY_FORMAT = 1 };

double unit_seconds = 0;  // one full-screen opaque blit, CPU time

double cpu_seconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A frame's CPU time per iteration since `start`, divided by the unit.
void count_in_blits(benchmark::State& state, double start) {
    state.counters["opaque_blits"] =
        (cpu_seconds() - start) / static_cast<double>(state.iterations()) / unit_seconds;
}

// The unit: the median of 15 rounds of 500 copies of an opaque level
// background onto a display-format surface.
double time_opaque_blit() {
    SDL_Surface* loaded = IMG_Load((GFX + "lvl.png").c_str());
    if (loaded == nullptr) return 0;
    SDL_Surface* sheet = SDL_DisplayFormat(loaded);
    SDL_SetAlpha(sheet, 0, SDL_ALPHA_OPAQUE);
    SDL_PixelFormat* display = SDL_GetVideoSurface()->format;
    SDL_Surface* screen = SDL_CreateRGBSurface(SDL_SWSURFACE, SCREEN_W, SCREEN_H, SCREEN_BPP,
                                               display->Rmask, display->Gmask, display->Bmask, 0);
    double rounds[15];
    for (double& round : rounds) {
        const double start = cpu_seconds();
        for (int i = 0; i < 500; ++i) {
            SDL_Rect src = {0, static_cast<Sint16>(band_y(8)), SCREEN_W, SCREEN_H};
            SDL_Rect dest = {0, 0, 0, 0};
            SDL_BlitSurface(sheet, &src, screen, &dest);
        }
        round = (cpu_seconds() - start) / 500;
    }
    std::sort(std::begin(rounds), std::end(rounds));
    SDL_FreeSurface(screen);
    SDL_FreeSurface(sheet);
    SDL_FreeSurface(loaded);
    return rounds[7];
}

SDL_Surface* load(const char* name, int format) {
    SDL_Surface* sheet = IMG_Load((GFX + name).c_str());
    if (sheet == nullptr || format == AS_LOADED) return sheet;
    SDL_Surface* converted = SDL_DisplayFormatAlpha(sheet);
    SDL_FreeSurface(sheet);
    return converted;
}

// The records of a running game, as the entry function owns them.
struct Scene {
    explicit Scene(int format) {
        SDL_PixelFormat* display = SDL_GetVideoSurface()->format;
        screen = SDL_CreateRGBSurface(SDL_SWSURFACE, SCREEN_W, SCREEN_H, SCREEN_BPP, display->Rmask,
                                      display->Gmask, display->Bmask, display->Amask);
        Menu_Init(&game.menu);
        game.menu.sheet = load("menu.png", format);
        game.general.level_sheet = load("lvl.png", format);
        General_Init(&game.general);
        Anim_Init(&game.anim);
        game.anim.sheet = load("anim.png", format);
        Perso_Init(&game.perso, START_X, START_Y_MENU);
        game.perso.sheet = load("joueur.png", format);
        Niveaux_Init(game.niveau);
        PlayedSong_Init(&game.sons);
        game.screen = screen;
        if (format == DISPLAY_FORMAT) Opaque_Views(&game.menu, &game.general);  // as the game does
    }
    ~Scene() {
        Opaque_Views_Free(&game.menu, &game.general);
        SDL_FreeSurface(game.menu.sheet);
        SDL_FreeSurface(game.general.level_sheet);
        SDL_FreeSurface(game.anim.sheet);
        SDL_FreeSurface(game.perso.sheet);
        SDL_FreeSurface(screen);
    }
    bool loaded() const {
        return game.menu.sheet && game.general.level_sheet && game.anim.sheet && game.perso.sheet;
    }
    // A race under way at `level`: intro over, both runners running, rain on.
    void race(int level) {
        game.general.screen = SCREEN_PLAY;
        game.general.level = level;
        game.general.rain_on = 1;
        game.general.event.type = SDL_KEYDOWN;
        game.general.event.key.keysym.sym = KEY_RIGHT;
        game.general.key_consumed = 1;
        game.niveau[level - 1].started = 1;
        Perso_Init(&game.perso, 20, level_row(level)->start_y);
    }
    // Keeps the race going: back to the start before anyone finishes.
    void keep_racing(int level) {
        Niveau& niveau = game.niveau[level - 1];
        if (game.perso.player.x > 400 || game.perso.cpu.x > 400 || niveau.outcome != 0) {
            niveau.outcome = 0;
            Perso_Init(&game.perso, 20, level_row(level)->start_y);
        }
    }
    Game game{};
    SDL_Surface* screen;
};

bool ready(benchmark::State& state, const Scene& scene) {
    if (scene.loaded()) return true;
    state.SkipWithError(("the sheets are not in " + GFX).c_str());
    return false;
}

// What a menu turn does: fresh Anim, cleared sound flags, the menu, the runners
// at their start point, then the rain (off, as the game starts).
void BM_MenuTurn(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    if (!ready(state, scene)) return;
    Game& g = scene.game;
    const double start = cpu_seconds();
    for (auto _ : state) {
        Anim_Init(&g.anim);
        PlayedSong_Init(&g.sons);
        Menu_Sys(&g.menu, &g.general, g.screen, g.niveau);
        Perso_Init(&g.perso, START_X, START_Y_MENU);
        Blit_Pluie(&g.general, &g.anim, g.screen);
        benchmark::DoNotOptimize(g.screen->pixels);
    }
    count_in_blits(state, start);
}

// A race frame of level 9: five sentinels on their own clocks, both runners,
// the bars, and the rain.
void BM_Level9RaceFrame(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    if (!ready(state, scene)) return;
    Game& g = scene.game;
    scene.race(9);
    const double start = cpu_seconds();
    for (auto _ : state) {
        scene.keep_racing(9);
        Niveau9(&g.niveau[8], &g.general, g.screen, &g.anim, &g.perso, &g.menu, &g.sons);
        Blit_Pluie(&g.general, &g.anim, g.screen);
        benchmark::DoNotOptimize(g.screen->pixels);
    }
    count_in_blits(state, start);
}

// The heaviest frame: level 9 with all five sentinels watching, so five
// 210x210 cones are blended over the scene, with the bars and the rain.
void BM_Level9AllWatching(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    if (!ready(state, scene)) return;
    Game& g = scene.game;
    scene.race(9);
    const LevelRow* row = level_row(9);
    const double start = cpu_seconds();
    for (auto _ : state) {
        scene.keep_racing(9);
        for (int slot = 0; slot < row->sentinel_count; ++slot) {
            g.niveau[8].senti[slot].timer = row->senti[slot].base + 100;  // mid-watch
            g.niveau[8].senti[slot].state = SENTINEL_WATCHING;
        }
        Niveau9(&g.niveau[8], &g.general, g.screen, &g.anim, &g.perso, &g.menu, &g.sons);
        Blit_Pluie(&g.general, &g.anim, g.screen);
        benchmark::DoNotOptimize(g.screen->pixels);
    }
    count_in_blits(state, start);
}

// A bonus-level frame: 96 falling glyphs, three sentinels, no bars, no rain.
void BM_BonusFrame(benchmark::State& state) {
    Scene scene(static_cast<int>(state.range(0)));
    if (!ready(state, scene)) return;
    Game& g = scene.game;
    scene.race(LEVEL_BONUS);
    const double start = cpu_seconds();
    for (auto _ : state) {
        scene.keep_racing(LEVEL_BONUS);
        Niveau11(&g.niveau[LEVEL_BONUS - 1], &g.general, g.screen, &g.anim, &g.perso, &g.menu,
                 &g.sons);
        benchmark::DoNotOptimize(g.screen->pixels);
    }
    count_in_blits(state, start);
}

// The end of a turn that drew the picture already shown: the screen hashed and
// compared, no flip (29 turns in 30; the 30th flips, on the dummy driver).
void BM_PresentUnchanged(benchmark::State& state) {
    Scene scene(DISPLAY_FORMAT);
    const double start = cpu_seconds();
    for (auto _ : state) benchmark::DoNotOptimize(Present(&scene.game));
    count_in_blits(state, start);
}
BENCHMARK(BM_PresentUnchanged)->Unit(benchmark::kMicrosecond);

// One full-screen background, the first thing every scene draws: blended pixel
// by pixel as loaded or converted with its alpha, or copied when converted
// without alpha (SDL_DisplayFormat), which an opaque band allows.
void BM_BackgroundBlit(benchmark::State& state) {
    SDL_Surface* loaded = IMG_Load((GFX + "lvl.png").c_str());
    if (loaded == nullptr) {
        state.SkipWithError(("the sheets are not in " + GFX).c_str());
        return;
    }
    SDL_Surface* sheet = loaded;
    if (state.range(0) == 1) sheet = SDL_DisplayFormatAlpha(loaded);
    if (state.range(0) == 2) {
        sheet = SDL_DisplayFormat(loaded);
        SDL_SetAlpha(sheet, 0, SDL_ALPHA_OPAQUE);  // a plain copy, no blending at all
    }
    SDL_PixelFormat* display = SDL_GetVideoSurface()->format;
    SDL_Surface* screen = SDL_CreateRGBSurface(SDL_SWSURFACE, SCREEN_W, SCREEN_H, SCREEN_BPP,
                                               display->Rmask, display->Gmask, display->Bmask, 0);
    const double start = cpu_seconds();
    for (auto _ : state) {
        SDL_Rect src = {0, static_cast<Sint16>(band_y(8)), SCREEN_W, SCREEN_H};
        SDL_Rect dest = {0, 0, 0, 0};
        SDL_BlitSurface(sheet, &src, screen, &dest);
        benchmark::DoNotOptimize(screen->pixels);
    }
    count_in_blits(state, start);
    if (sheet != loaded) SDL_FreeSurface(sheet);
    SDL_FreeSurface(loaded);
    SDL_FreeSurface(screen);
}
BENCHMARK(BM_BackgroundBlit)
    ->ArgName("as_loaded0_alpha1_opaque2")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

// Start-up's share: the four sheets loaded one after the other with SDL_image
// and converted with SDL_DisplayFormatAlpha (0), or as the game loads them,
// checked by header and decoded on threads into the display's format (1).
void BM_LoadSheets(benchmark::State& state) {
    const char* names[] = {"menu.png", "lvl.png", "anim.png", "joueur.png"};
    for (auto _ : state) {
        SDL_Surface* sheets[SHEET_COUNT];
        if (state.range(0) == 0) {
            for (int i = 0; i < SHEET_COUNT; ++i) {
                SDL_Surface* loaded = IMG_Load((GFX + names[i]).c_str());
                sheets[i] = SDL_DisplayFormatAlpha(loaded);
                SDL_FreeSurface(loaded);
            }
        } else {
            SheetLoad load;
            Sheets_Start(&load);
            for (int i = 0; i < SHEET_COUNT; ++i) sheets[i] = Sheets_Take(&load, i);
        }
        for (SDL_Surface* sheet : sheets) {
            if (sheet == nullptr) state.SkipWithError(("the sheets are not in " + GFX).c_str());
            SDL_FreeSurface(sheet);
        }
    }
}
BENCHMARK(BM_LoadSheets)
    ->ArgName("games_own")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void sheet_formats(benchmark::internal::Benchmark* bench) {
    bench->ArgName("display_format")
        ->Arg(AS_LOADED)
        ->Arg(DISPLAY_FORMAT)
        ->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_MenuTurn)->Apply(sheet_formats);
BENCHMARK(BM_Level9RaceFrame)->Apply(sheet_formats);
BENCHMARK(BM_Level9AllWatching)->Apply(sheet_formats);
BENCHMARK(BM_BonusFrame)->Apply(sheet_formats);

}  // namespace

int main(int argc, char** argv) {
    // A display format to convert to, without a window.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 ||
        SDL_SetVideoMode(SCREEN_W, SCREEN_H, SCREEN_BPP, SDL_SWSURFACE) == nullptr) {
        std::fprintf(stderr, "pelune_bench: no video: %s\n", SDL_GetError());
        return 1;
    }
    // The game's loader reads its sheets from its working folder.
    if (chdir(PELUNE_SOURCE_DIR) != 0) {
        std::perror("pelune_bench: " PELUNE_SOURCE_DIR);
        return 1;
    }
    unit_seconds = time_opaque_blit();
    if (unit_seconds <= 0) {
        std::fprintf(stderr, "pelune_bench: the sheets are not in %s\n", GFX.c_str());
        return 1;
    }
    std::printf("Unit: one full-screen opaque blit, %.2f us of CPU (median of 15 rounds)\n",
                unit_seconds * 1e6);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
