// SPDX-License-Identifier: MIT
// The game in a web page. The browser calls the game once per displayed frame
// and must never be kept waiting, so the loop becomes a callback that runs one
// turn for every 1/60 s that has passed. The page (web/index.html) starts the
// game on the first key or tap, which is also when browsers allow sound.
//
// What differs from the desktop:
//  - the sheets are decoded by the browser (SDL_image's preloaded pictures);
//  - the unlock file lives in the browser's IndexedDB, written out after a save;
//  - a hidden or unfocused page pauses a running race with the game's pause;
//  - quitting shows the page's "thanks for playing" screen, and a key there
//    starts the game again, from the menu.
#include <SDL_image.h>
#include <emscripten.h>

#include <cstdio>

#include "fonction.h"
#include "main.h"
#include "tables.h"

// The page's side of the game (web/index.html), in JavaScript.
// clang-format off
EM_JS(int, page_left, (), { const left = Module.away || Module.left; Module.left = false; return left ? 1 : 0; });
EM_JS(int, page_asks_again, (), { const again = Module.again; Module.again = 0; return again ? 1 : 0; });
EM_JS(void, page_thanks, (), { Module.thanks(); });
// The tests may hold the game at a turn (Module.turnLimit) to look at it.
EM_JS(double, turn_limit, (), { return Module.turnLimit ?? Infinity; });
EM_JS(void, add_init_flags, (Uint32 flags), { SDL.initFlags |= flags; });
EM_JS(void, write_out_saves, (), {
    FS.syncfs(false, (error) => { if (error) console.warn("pelune: unlock not kept", error); });
});
// For the page's tests and measures.
EM_JS(void, show_state, (double turns, int screen, int level, int x, int unlock, int racing), {
    Module.state = {turns, screen, level, x, unlock, racing};
});
// clang-format on

namespace {

constexpr double TURN_MS = 1000.0 / FRAMES_PER_SECOND;
// After a stall (a busy tab, a slow frame) at most this many turns are run at
// once; the time beyond them is dropped, so the game slows down instead of
// jumping ahead.
constexpr int CATCH_UP_TURNS = 4;
// A frame that comes a little early still runs its turn (the debt is kept), so
// a 60 Hz display's jitter never leaves one frame without a turn and the next
// with two.
constexpr double EARLY_MS = 2.0;
constexpr const char* SAVE_UNLOCK = "/save/dat.dat";  // in IndexedDB, mounted by the page

struct WebRun {
    Game game;
    Launch launch;
    double last_ms;    // when the previous browser frame came
    double owed_ms;    // time not yet turned into turns
    double turns;      // turns run since the page started the game
    int saved_unlock;  // the unlock as last written out to IndexedDB
    int pause_sent;    // a Space is on its way to pause the race
    int quit;          // the player quit: the page shows its closing screen
};

// The race of this turn is under way, undecided and not paused.
bool race_running(const Game* game) {
    const General* general = &game->general;
    if (general->screen != SCREEN_PLAY || general->level == LEVEL_ENDING || general->level < 1 ||
        general->level > LEVEL_BONUS) {
        return false;
    }
    const Niveau* niveau = &game->niveau[general->level - 1];
    return niveau->started == 1 && niveau->outcome == OUTCOME_NONE && niveau->paused == 0;
}

void push_key(Uint32 type, SDLKey key) {
    SDL_Event event{};
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// A page the player has left pauses the race as Space does, once per pause.
void pause_when_away(WebRun* run) {
    const bool away = page_left() != 0;
    if (!race_running(&run->game)) {
        run->pause_sent = 0;
    } else if (away && run->pause_sent == 0) {
        push_key(SDL_KEYDOWN, KEY_SPACE);
        push_key(SDL_KEYUP, KEY_SPACE);
        run->pause_sent = 1;
    }
}

// The unlock file is in memory until written out: after each save that changed it.
void keep_unlock(WebRun* run) {
    if (run->game.general.unlock == run->saved_unlock) return;
    run->saved_unlock = run->game.general.unlock;
    write_out_saves();
}

bool start(WebRun* run) {
    run->quit = 0;
    run->pause_sent = 0;
    if (!Game_Start(&run->game, &run->launch)) return false;
    run->saved_unlock = run->game.general.unlock;
    return true;
}

void frame(void* arg) {
    WebRun* run = static_cast<WebRun*>(arg);
    const double now = emscripten_get_now();
    if (run->quit == 1) {
        if (page_asks_again() == 0) return;
        SDL_Event drop;
        while (SDL_PollEvent(&drop) == 1) {
        }
        if (!start(run)) {
            emscripten_cancel_main_loop();
            return;
        }
        run->last_ms = now;
        run->owed_ms = 0;
    }
    run->owed_ms += now - run->last_ms;
    run->last_ms = now;
    if (run->owed_ms > CATCH_UP_TURNS * TURN_MS) run->owed_ms = CATCH_UP_TURNS * TURN_MS;
    const double limit = turn_limit();
    while (run->owed_ms >= TURN_MS - EARLY_MS && run->turns < limit && continuer == 1) {
        pause_when_away(run);
        Game_Turn(&run->game);
        run->owed_ms -= TURN_MS;
        run->turns += 1;
        keep_unlock(run);
    }
    if (run->turns >= limit) run->owed_ms = 0;  // held: no burst when let go
    Game* game = &run->game;
    show_state(run->turns, game->general.screen, game->general.level, game->perso.player.x,
               game->general.unlock, race_running(game));
    if (continuer == 0) {
        Game_Stop(&run->game);
        run->quit = 1;
        page_thanks();
    }
}

}  // namespace

// The page scales the picture by a whole number itself (web/index.html).
void Display_WholeScale(int) {}

// The browser's SDL opens files by name only: the file checked by Data_Open
// is opened again there (the packed data is the page's own).
SDL_RWops* Data_Stream(std::FILE* file, const char* path) {
    std::fclose(file);
    // Its streams are numbers, the first one 0, which reads as null here: that
    // one is left unused, and kept, so the numbers go on from 1.
    SDL_RWops* stream = SDL_RWFromFile(path, "rb");
    return stream != nullptr ? stream : SDL_RWFromFile(path, "rb");
}

// The browser's SDL keeps every event in a queue of its own that nothing can
// flood, and has no switch for event types: they all reach Input_Take, which
// passes over those it does not read.
extern "C" Uint8 SDL_EventState(Uint32, int) { return SDL_ENABLE; }

// Not implemented by the browser's SDL_mixer, which opens whenever asked to:
// the format start-up asks for.
extern "C" int Mix_QuerySpec(int* frequency, Uint16* format, int* channels) {
    if (frequency != nullptr) *frequency = MIX_DEFAULT_FREQUENCY;
    if (format != nullptr) *format = AUDIO_S16LSB;
    if (channels != nullptr) *channels = 2;
    return 1;
}

// Missing from the browser's SDL_mixer, which tells the formats apart itself.
extern "C" Mix_Music* Mix_LoadMUSType_RW(SDL_RWops* stream, Mix_MusicType, int freesrc) {
    Mix_Music* music = Mix_LoadMUS_RW(stream);
    if (freesrc != 0) SDL_FreeRW(stream);
    return music;
}

// The browser's SDL reads the pads only when SDL_Init was given their flag;
// its SDL_InitSubSystem forgets the flags it is given.
extern "C" int SDL_InitSubSystem(Uint32 flags) {
    add_init_flags(flags);
    return 0;
}

void prefer_software_rendering() {}  // the page draws on a 2D canvas

void Sheets_Start(SheetLoad* load) {
    for (SheetJob& job : load->jobs) job = SheetJob{};
}

// The browser has decoded the pictures as the page loaded; SDL_image hands them
// over. Every surface of the browser's SDL is a canvas drawn with its alpha:
// there is no display format to convert to.
SDL_Surface* Sheets_Take(SheetLoad* load, int index) {
    (void)load;
    const SheetShape& shape = SHEET_SHAPES[index];
    SDL_Surface* sheet = IMG_Load(shape.path);
    if (sheet == nullptr) {
        std::fprintf(stderr, "pelune: cannot load %s: %s\n", shape.path, IMG_GetError());
        return nullptr;
    }
    if (!Sheet_Fits(shape, sheet->w, sheet->h)) {
        std::fprintf(stderr, "pelune: cannot load %s: %dx%d pixels, the sheet is %dx%d\n",
                     shape.path, sheet->w, sheet->h, shape.w, shape.h);
        SDL_FreeSurface(sheet);
        return nullptr;
    }
    return sheet;
}

// Called by the page on the first key or tap. Never returns: the browser's
// frames run the game from here on, and this frame (with `run`) stays in place.
int main() {
    WebRun run{};
    run.launch.scale = 1;  // the page scales the canvas itself
    run.launch.unlock_path = SAVE_UNLOCK;
    if (!start(&run)) return 1;
    run.last_ms = emscripten_get_now();
    emscripten_set_main_loop_arg(frame, &run, 0, 1);
    return 0;
}
