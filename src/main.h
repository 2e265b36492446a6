// Pelune: the game records, the run flag and the main loop.
//
// Every piece of game state lives in one of these records (or in `continuer`).
// The entry function owns one of each (eleven Niveau) for the whole run and hands
// them by pointer to the functions that need them. Durations are counted in
// frames: one frame is one turn of the main loop, 60 turns per second.
#ifndef PELUNE_MAIN_H
#define PELUNE_MAIN_H

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <thread>

constexpr int SCREEN_W = 480;
constexpr int SCREEN_H = 272;
constexpr int SCREEN_BPP = 32;
constexpr int FRAMES_PER_SECOND = 60;

constexpr int SCREEN_MENU = 1;  // General.screen
constexpr int SCREEN_PLAY = 2;

constexpr int LEVEL_COUNT = 11;   // records: levels 1-9, the ending, the bonus level
constexpr int LEVEL_ENDING = 10;  // General.level of the ending screen
constexpr int LEVEL_BONUS = 11;   // General.level of the bonus level
constexpr int SENTINEL_SLOTS = 5;
constexpr int DROP_SLOTS = 48;  // the last one is never used
constexpr int DROP_COUNT = 47;
constexpr int GLYPH_COUNT = 96;
constexpr int BAR_COUNT = 3;
constexpr int CURTAIN_STRIPS = 24;

// Keys the game reacts to (SDL 1.2 key symbols).
constexpr SDLKey KEY_UP = SDLK_UP;
constexpr SDLKey KEY_DOWN = SDLK_DOWN;
constexpr SDLKey KEY_RIGHT = SDLK_RIGHT;
constexpr SDLKey KEY_RETURN = SDLK_RETURN;
constexpr SDLKey KEY_SPACE = SDLK_SPACE;
constexpr SDLKey KEY_BACKSPACE = SDLK_BACKSPACE;
constexpr SDLKey KEY_ESCAPE = SDLK_ESCAPE;
constexpr SDLKey KEY_RAIN = SDLK_LCTRL;

// One picture cut from a sheet, at a position. The integer position is the
// authority: `dest` is rewritten from it before every draw, because the blit
// clips `dest` in place.
struct Sprite {
    SDL_Rect dest;
    SDL_Rect src;
    int x;
    int y;
    int aux1;  // runners only: the player's moved flag, the computer's moving flag
    int aux2;  // computer runner only: its nerve (0, 1 or 2)
};

struct General {
    int difficulty;            // 0 or 1
    int screen;                // SCREEN_MENU or SCREEN_PLAY
    int key_consumed;          // 1 once the key-down now in `event` has been acted on
    int level;                 // 0 none, 1-9 races, 10 ending, 11 bonus
    int loop_index;            // loop counter of the effect loops; meaningless between calls
    int rain_on;               // Left Ctrl toggles it
    SDL_Surface* level_sheet;  // data/gfx/lvl.png
    Sprite drops[DROP_SLOTS];
    Sprite glyphs[GLYPH_COUNT];
    SDL_Event event;  // the event of this turn (kept when the queue is empty)
    Sprite bars[BAR_COUNT];
    int bar_down[BAR_COUNT];  // 1 moving down, 0 moving up
    int unlock;               // 1 once the game has been finished: the bonus level is open
    const char* unlock_path;  // the unlock file (UNLOCK_PATH unless the launch chose one)
    char unlock_text[2];
    FILE* unlock_file;  // open only inside the call that reads or writes it
};

struct Menu {
    Sprite background;
    Sprite main_panel;
    Sprite difficulty_panel;
    Sprite credits_panel;
    SDL_Surface* sheet;  // data/gfx/menu.png
    int bg_index;        // 0-3, drawn at random
    int cursor;          // 1-4 on the main panel, 1-3 on the difficulty panel
    int state;           // 1 main, 2 difficulty, 3 full-screen page, 4 credits
    int slide;           // 0 none, 1 main->difficulty, 2 back, 3 main->credits, 4 back
};

struct Anim {
    Sprite strips[CURTAIN_STRIPS];  // the opening curtain
    Sprite lose;
    Sprite win;
    Sprite countdown;  // also shows the false-start picture
    Sprite pause;
    int phase;           // 0 curtain, 1 countdown
    int strip;           // the curtain strip now closing
    int count;           // curtain: loop index; countdown: frames counted from 24
    SDL_Surface* sheet;  // data/gfx/anim.png (also the rain drop)
};

struct Perso {
    Sprite player;       // aux1: moved flag
    Sprite cpu;          // aux1: moving flag, aux2: nerve
    SDL_Surface* sheet;  // data/gfx/joueur.png
    int frame;           // running animation, 0-15
    int malus;           // 1 while the false-start penalty runs
    int malus_timer;     // race frames of penalty served
};

struct Sentinelle {
    int state;      // 0 idle, 1 and 2 warning, 3 watching
    int timer;      // race frames on the sentinel's own clock
    Sprite baton;   // pole
    Sprite boule;   // head
    Sprite vision;  // cone
};

constexpr int OUTCOME_NONE = 0;  // Niveau.outcome
constexpr int OUTCOME_WON = -1;  // the player won
constexpr int OUTCOME_LOST = 1;  // the computer won

struct Niveau {
    Sentinelle senti[SENTINEL_SLOTS];
    Sprite background;
    int started;  // 1 once the intro is over
    int outcome;  // 0 undecided, -1 the player won, 1 the computer won
    int paused;
};

struct Sons {
    Mix_Music* music;
    Mix_Chunk* theme;
    Mix_Chunk* gameover;
    Mix_Chunk* count1;
    Mix_Chunk* count2;
    Mix_Chunk* count3;
    Mix_Chunk* start;
    Mix_Chunk* earlystart;
    Mix_Chunk* pause;
    Mix_Chunk* levelwin;
    int played_theme;
    int played_gameover;
    int played_count3;
    int played_count2;
    int played_count1;
    int played_start;
    int played_earlystart;
    int played_pause;
    int played_levelwin;
};

// Everything the entry function owns, so that tests can drive the real loop.
struct Game {
    General general;
    Menu menu;
    Anim anim;
    Perso perso;
    Sons sons;
    Niveau niveau[LEVEL_COUNT];  // [0]..[8] levels 1-9, [9] the ending, [10] the bonus level
    SDL_Surface* screen;
};

// What the command line and the place of the data decided before start-up.
// Owned by the entry function for the whole run.
struct Launch {
    int scale;                // window scale 1-8; 0 fits the desktop
    int fullscreen;           // 1 starts in fullscreen
    const char* unlock_path;  // where the unlock is kept; nullptr: UNLOCK_PATH
};

// The four sprite sheets, in the order start-up takes them.
enum SheetIndex { SHEET_MENU, SHEET_LEVEL, SHEET_ANIM, SHEET_RUNNER, SHEET_COUNT };
enum SheetState {
    SHEET_OTHER,     // no PNG, or none could be decoded here: SDL_image tries it when taken
    SHEET_FAILED,    // cannot be opened or is no regular file (`error` says which)
    SHEET_REFUSED,   // its size (`w`, `h`) does not fit the layout cut from it
    SHEET_DECODING,  // on its worker thread into `sheet`
};

// One sheet on its way in. Owned by start-up, shared with its worker thread
// only between Sheets_Start and Sheets_Take, which must take every sheet.
struct SheetJob {
    int state;           // a SheetState
    int w, h;            // the picture's size, as its header or SDL_image gave it
    SDL_Surface* sheet;  // being filled by the worker; handed out by Sheets_Take
    std::FILE* file;     // the PNG, read and closed by the worker
    std::thread worker;
    bool decoded;    // the worker's verdict, read after the join
    char error[96];  // why the picture cannot be had
};

struct SheetLoad {
    SheetJob jobs[SHEET_COUNT];
};

// Before SDL_Init: SDL's own software renderer and framebuffer, not OpenGL,
// unless the user's environment already chose.
void prefer_software_rendering();
// Opens every sheet, refuses one whose PNG header gives a size that does not
// fit its layout, and starts decoding the others on threads of their own.
// Prints nothing: the messages wait for Sheets_Take.
void Sheets_Start(SheetLoad* load);
// Waits for one sheet and hands it over in the display's format (a decoded PNG
// may have a few clear rows below the picture), or null with one line on
// standard error (missing, broken, or refused with its size). Needs the video
// mode to be set.
SDL_Surface* Sheets_Take(SheetLoad* load, int index);

// The run flag: the main loop turns while it is 1. Cleared by ExitGame and the
// menu's quit item; nothing sets it back.
extern int continuer;

// Start-up: SDL, mixer, icon, video mode, caption, loading text, every record,
// the unlock file, the sounds, the jingle and the music. False (with one line on
// standard error) when no display surface could be had. `launch` may be null:
// the defaults.
bool Game_Start(Game* game, const Launch* launch = nullptr);
// One frame: poll one event, run the scene, rain, key latch, quit test, flip.
// Never waits.
void Game_Turn(Game* game);
// Shut-down: music, audio device, then the menu, level and anim sheets.
void Game_Stop(Game* game);

// Clears `continuer` on a window close or an Escape key-down, latch or not.
void ExitGame(General* general);

// Keeps the loop at FRAMES_PER_SECOND: sleeps out the rest of each frame.
// After a stall it starts counting afresh instead of bursting to catch up.
struct FramePacer {
    long long next_ns;  // when the next turn may start, on the monotonic clock
};
void FramePacer_Init(FramePacer* pacer);
void FramePacer_Wait(FramePacer* pacer);

// The whole life of the game; returns 0, or 1 when there was no display.
int SDL_main(int argc, char* argv[]);

#endif
