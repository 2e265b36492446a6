// SPDX-License-Identifier: MIT
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

// The still part of a scene: a full-screen opaque background and the pictures
// blended on it (sentinels, menu panel), drawn into `pixels` and copied to the
// screen every frame while the same blits are asked for. The cones and panels
// are thus blended once, not every frame.
constexpr int LAYER_BLITS = 1 + 2 * SENTINEL_SLOTS;  // background, then pole and head or cone
struct LayerBlit {
    SDL_Surface* sheet;
    SDL_Rect src;
    SDL_Rect dest;   // as asked for
    SDL_Rect drawn;  // as the blit left it (clipped to the screen)
};
struct Layer {
    SDL_Surface* surface;  // over `pixels`, in the screen's format; null until first needed
    int count;             // blits kept: what `pixels` shows
    int open;              // 1 between Layer_Begin and Layer_End on an opaque background
    int asked;             // blits asked for since Layer_Begin
    LayerBlit kept[LAYER_BLITS];
    LayerBlit next[LAYER_BLITS];
    SDL_Rect* callers[LAYER_BLITS];  // the rectangles to clip as the blits would
    Uint32 pixels[SCREEN_W * SCREEN_H];
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
    const char* unlock_path;  // the unlock file chosen by the launch; null: UNLOCK_PATH
    char unlock_text[2];
    FILE* unlock_file;  // open only inside the call that reads or writes it
    SDL_Surface* level_opaque;  // lvl.png's pixels seen without alpha; null: blended
    Layer layer;                // the scenery of the last level or menu frame
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
    SDL_Surface* opaque_sheet;  // the sheet's pixels seen without alpha; null: blended
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
    int blink;           // frames left of the player's blinking after a catch
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
    Mix_Chunk* caught;  // a sentinel sent the player back
    int played_caught;
};

// The gamepad seen as keys. Every stick, hat and button that means a key
// becomes that key's key-down and key-up, so every rule and latch sees keys.
constexpr int PAD_KEY_COUNT = 6;  // Up, Down, Right, Return, Space, Left Ctrl
constexpr int PAD_KEYS_MAX = 3;   // key events one pad event can give (a hat: Up, Down, Right)
struct Pad {
    int stick_x;                      // the left stick's side now held: -1, 0 or 1
    int stick_y;                      // -1 up, 0 centre, 1 down
    Uint32 holders[PAD_KEY_COUNT];    // per key, a bit for each stick, hat or button holding it
    SDL_Event pending[PAD_KEYS_MAX];  // keys of one pad event beyond the first, for the next turns
    int pending_count;
};

struct Launch;

// What the player chose, kept between runs in the settings file.
struct Settings {
    int fullscreen;  // 1: on the whole screen (F11, Alt+Return)
    int scale;       // window scale 1-SCALE_MAX; 0 fits the desktop
    int fill;        // 1: fullscreen fills the screen; 0: the largest whole scale, black borders
    int rain;        // 1: rain on (Left Ctrl)
    int volume;      // 0-VOLUME_STEPS (- and +)
    int music;       // 0-VOLUME_STEPS: the music's share of the volume
    int effects;     // 0-VOLUME_STEPS: the sound chunks' share
    int mute;        // 1: silent (M)
    int shown;       // frames the volume picture still shows
    int changed;     // 1 once the player changed one: saved at shut-down
};

// What the display shows. A turn that draws the very picture already shown is
// not presented again (a flip costs more than the whole frame), except after an
// expose or a switch of window and fullscreen, and at least every PRESENT_EVERY turns.
constexpr int PRESENT_EVERY = 30;
struct Shown {
    Uint64 hash;    // of the screen's pixels at the last flip
    int unflipped;  // turns since the last flip
    int must_flip;  // 1: the next turn flips whatever it draws
};

struct SheetLoad;

// Everything the entry function owns, so that tests can drive the real loop.
struct Game {
    General general;
    Menu menu;
    Anim anim;
    Perso perso;
    Sons sons;
    Niveau niveau[LEVEL_COUNT];  // [0]..[8] levels 1-9, [9] the ending, [10] the bonus level
    SDL_Surface* screen;
    Pad pad;
    Settings settings;
    const char* settings_path;  // null: the settings are not kept
    int fill;                   // this run's fill: the setting's, or --fill
    Shown shown;
    SheetLoad* loading;  // the level and runner sheets still decoding; taken before a race
};

constexpr const char* SETTINGS_PATH = "data/settings.ini";  // beside the unlock
constexpr int VOLUME_SHOW_FRAMES = FRAMES_PER_SECOND;
// The settings a first start has.
void Settings_Init(Settings* settings);
// Reads `text` (the settings file's contents) over the defaults; false, with
// the defaults kept and the first bad line's number in *bad_line, when a line
// is not one of the settings with a value in its range.
bool Settings_Parse(Settings* settings, const char* text, int* bad_line);
// The file's contents for these settings.
void Settings_Text(const Settings* settings, char* text, size_t size);
// Start-up: the settings file over the defaults. A missing file is the
// defaults; a damaged or hostile one (a link, a FIFO, too big) is the defaults
// and one line on standard error.
void Settings_Read(Settings* settings, const char* path);
// Saves them the way the unlock is saved; one line on standard error on failure.
void Settings_Write(const Settings* settings, const char* path);
// The launch for this run: what the command line left unset comes from the settings.
void Settings_Launch(const Settings* settings, Launch* launch);
// The mixer's music and channel volumes from the settings.
void Volume_Apply(const Settings* settings);
// M mutes and unmutes, - and + (keypad too) step the volume: true when `key`
// is one of them (a key-down of it then shows the volume picture).
bool Volume_Key(Settings* settings, const SDL_Event* event);
// One frame of the volume picture, top right, while it shows.
void Volume_Draw(Settings* settings, SDL_Surface* anim_sheet, SDL_Surface* screen);
// After the video mode and each switch: in fullscreen, unless `fill`, the
// picture at the largest whole scale that fits, centred with black borders.
void Display_WholeScale(int fill);

enum RendererChoice { RENDERER_AUTO, RENDERER_SOFTWARE, RENDERER_GPU };

// What the command line and the place of the data decided before start-up.
// Owned by the entry function for the whole run.
struct Launch {
    int scale;                  // window scale 1-8; 0 fits the desktop
    int fullscreen;             // 1 starts in fullscreen
    const char* unlock_path;    // where the unlock is kept; nullptr: UNLOCK_PATH
    int fill;                   // 1: fullscreen fills the screen, whatever the scale
    int given;                  // LAUNCH_GIVEN_* bits: what the command line set
    const char* settings_path;  // where the settings are kept; nullptr: not kept
    int renderer;               // a RendererChoice: --renderer
};
constexpr int LAUNCH_GIVEN_SCALE = 1;
constexpr int LAUNCH_GIVEN_FULLSCREEN = 2;
constexpr int LAUNCH_GIVEN_FILL = 4;

// Where to look for the game's data (a directory holding data/gfx and data/music), in order.
// Null or empty entries are skipped.
struct DataSearch {
    const char* env_dir;        // PELUNE_DATA_DIR: when set, the only place looked at
    const char* work_dir;       // the working directory, as the game was always run
    const char* exe_dir;        // the directory of the running executable
    const char* build_dir;      // the build folder the program was made in...
    const char* checkout_dir;   // ...and the checkout it was made from
    const char* exe_to_data;    // from the installed executable's directory to its data
    const char* install_dir;    // the configured installed data directory
    const char* xdg_data_home;  // for an installed game's unlock
    const char* home;           // idem, when XDG_DATA_HOME is not set
    const char* xdg_config_home;  // for an installed game's settings
};

// What the search found. Owned by the entry function for the whole run: the
// launch's unlock path points into it.
struct DataPlace {
    char dir[4096];     // the data directory, the game's working directory from start-up
    char unlock[4096];  // the unlock file: data/dat.dat, or the player's own when installed
    char looked[8192];  // when not found: where the search looked
    char settings[4096];  // the settings file: beside the unlock, or the player's own
};

// Tries the places of `search` in order; false (with `looked` filled) when none
// holds the data.
bool Data_Find(const DataSearch* search, DataPlace* place);
// Start-up: searches the places of this process, makes the data directory the
// working directory and fills the launch's unlock path. False after one line
// on standard error when there is no data to be found.
bool Data_Enter(DataPlace* place, Launch* launch);

// The one way every data file is opened: without waiting (a FIFO), only a
// regular file, and only one of at most `most` bytes, so that nothing is read
// before its size is known to be what its kind can need. Null with the reason
// in `why` (one line) otherwise. `flags` are added to open's (O_NOFOLLOW).
constexpr size_t DATA_WHY_SIZE = 96;
std::FILE* Data_Open(const char* path, long long most, int flags, char why[DATA_WHY_SIZE]);
// The data file `file`, opened by Data_Open at `path`, as a stream SDL reads and
// closes; null (the file closed) when SDL cannot make one. The browser's SDL
// reads files by name only, so there the name is what counts.
SDL_RWops* Data_Stream(std::FILE* file, const char* path);
// `text` as a message may show it: control bytes, backslashes and bytes above
// 126 as \xNN, cut to fit `out` (at least 4 bytes).
const char* Text_Escape(const char* text, char* out, size_t size);

// The command line. Launch_Parse sets only `scale`, `fullscreen`, `fill`,
// `renderer` and the `given` bits of those it was given, and
// returns LAUNCH_RUN to play, or the status to exit with at once: 0 after
// --help or --version (written to `out`), 2 after a bad option (the usage to `err`).
constexpr int LAUNCH_RUN = -1;
constexpr int SCALE_MAX = 8;
int Launch_Parse(Launch* launch, int argc, char* argv[], FILE* out, FILE* err);
// The largest whole scale (1 to SCALE_MAX) whose window fits in about 85 % of a
// desktop of this size; 1 when the size is unknown (0) or too small.
int Launch_FitScale(int desktop_w, int desktop_h);
// The largest whole scale that fits, but at most what SDL's software renderer
// scales at 60 turns a second here when `software`.
int Launch_DefaultScale(int desktop_w, int desktop_h, bool software);
// Whether to draw with SDL's software renderer: as asked (a RendererChoice),
// or, asked nothing, when there is no hardware renderer: no render node under
// `dri_dir` this user may open, or Mesa told to render in software.
bool Renderer_Software(int asked, const char* dri_dir, const char* libgl_always_software);
// Before SDL starts: SDL's software renderer and framebuffer when
// Renderer_Software says so, else SDL's default. The user's own
// SDL_RENDER_DRIVER wins either way.
void Launch_Renderer(const Launch* launch);
// Before SDL starts: the settings the SDL 1.2 layer reads as it starts (crisp,
// nearest-neighbour scaling; pads in SDL's standard controller layout). A
// setting the user made in the environment wins.
void Launch_Environment();
// Before the video mode: the window's scale (the launch's, or the one that fits
// the desktop), as an environment setting of the SDL 1.2 layer. A scale the
// user set in the environment wins over the fitted one, not over --scale, if it
// is one --scale takes; any other is ignored with one line.
void Launch_SetScale(const Launch* launch);

// After the video mode: drops every event type the game never reads, so that a
// burst of them cannot push keys out of SDL's queue, and opens every gamepad.
void Input_Start();
// The event of this turn: the next key-down, key-up or quit, or the next key a
// gamepad event means, into `General.event`. Events the game does not read are
// passed over; F11 and Alt+Return switch window and fullscreen here and never
// reach the game. An empty queue leaves the event as it was.
void Input_Take(Game* game);
// The key events one joystick event means, given the pad's state: D-pad, hat or
// left stick right = Right, up/down = Up/Down, A or Start = Return, B = Space,
// Back = Left Ctrl (SDL's standard controller layout). Returns how many were
// written to `keys`, 0 to PAD_KEYS_MAX.
int Pad_Keys(Pad* pad, const SDL_Event* event, SDL_Event keys[PAD_KEYS_MAX]);

// The four sprite sheets, in the order start-up takes them.
enum SheetIndex { SHEET_MENU, SHEET_LEVEL, SHEET_ANIM, SHEET_RUNNER, SHEET_COUNT };
enum SheetState {
    SHEET_FAILED,    // cannot be opened, or no PNG sheet (`error` says why)
    SHEET_REFUSED,   // its size (`w`, `h`) does not fit the layout cut from it
    SHEET_DECODING,  // on its worker thread into `sheet`
};

// One sheet on its way in. Owned by start-up, shared with its worker thread
// only between Sheets_Start and Sheets_Take, which must take every sheet.
struct SheetJob {
    int state;           // a SheetState
    int w, h;            // the picture's size, as its header gave it
    SDL_Surface* sheet;  // being filled by the worker; handed out by Sheets_Take
    std::FILE* file;     // the PNG, read and closed by the worker
    std::thread worker;
    bool decoded;    // the worker's verdict, read after the join
    char error[96];  // why the picture cannot be had
    int bits;        // a pixel's bits in the PNG, from its header
    bool fast;       // 8-bit RGBA without interlacing: libdeflate alone decodes it
};

struct SheetLoad {
    SheetJob jobs[SHEET_COUNT];
};

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
// the defaults. Given a loader that outlives the game (`later`), the level and
// runner sheets, first drawn in a race, go on decoding past the first frame.
bool Game_Start(Game* game, const Launch* launch = nullptr, SheetLoad* later = nullptr);
// One frame: poll one event, run the scene, rain, key latch, quit test, flip.
// Never waits.
void Game_Turn(Game* game);
// The end of a turn: flips the screen unless it holds the picture last shown
// (see Shown). True when it flipped.
bool Present(Game* game);
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

// The whole life of the game; returns 0, or 1 when there was no data or no display.
int SDL_main(int argc, char* argv[]);

#endif
