// SPDX-License-Identifier: MIT
// Race rules (runners, sentinels, race flow), the preparation of the level
// records, the screen effects, the sound bank and the unlock file.
#ifndef PELUNE_FONCTION_H
#define PELUNE_FONCTION_H

#include "main.h"
#include "tables.h"

// ---- Random numbers ----
constexpr int RANDOM_MAX = 32767;
// One draw in 0..32767 from the generator seeded at start-up.
int random_draw();

// ---- Keys ----
// A fresh key-down of `key`: a key-down not yet acted on.
bool key_fresh(const General* general, SDLKey key);
// A key-down of `key` in the event field, acted on or not (held keys).
bool key_down(const General* general, SDLKey key);

// ---- Drawing ----
// A sheet rectangle as SDL takes it.
SDL_Rect sdl_rect(SheetRect rect);
// Puts a sprite at (x, y): its position and its draw rectangle.
void place_sprite(Sprite* sprite, int x, int y);
// Rewrites the draw rectangle from the position, which a blit clipped in place.
void copy_position(Sprite* sprite);
// Draws `sprite` from `sheet`, writing its destination from its position first.
void blit_at_position(SDL_Surface* sheet, Sprite* sprite, SDL_Surface* screen);

// ---- Backgrounds and the scenery layer ----
// After the sheets are in: views without alpha of the menu and level sheets
// not yet viewed, each only when every background cut from it is opaque.
void Opaque_Views(Menu* menu, General* general);
// Frees the views and the layer's surface (the sheets stay).
void Opaque_Views_Free(Menu* menu, General* general);
// A background: copied from `opaque` when there is one, else blended from `sheet`.
void blit_opaque(SDL_Surface* sheet, SDL_Surface* opaque, SDL_Rect* src, SDL_Surface* screen,
                 SDL_Rect* dest);
// A scene's background and the blits on it up to Layer_End go through the
// layer: drawn again only when they differ from last time, else copied whole.
// Without an opaque full-screen background they are drawn straight on the screen.
void Layer_Begin(General* general, SDL_Surface* sheet, SDL_Surface* opaque, SDL_Rect* src,
                 SDL_Surface* screen, SDL_Rect* dest);
void Layer_Blit(General* general, SDL_Surface* sheet, SDL_Rect* src, SDL_Surface* screen,
                SDL_Rect* dest);
// The layer onto the screen; each blit's rectangle clipped as the blit would.
void Layer_End(General* general, SDL_Surface* screen);

// ---- Runners ----
constexpr int RUNNER_MAX_X = 452;
constexpr int MALUS_FRAMES = 100;
// A caught player blinks this long at the respawn point: shown and hidden in
// turns of CATCH_BLINK_STEP frames.
constexpr int CATCH_BLINK_FRAMES = FRAMES_PER_SECOND / 2;
constexpr int CATCH_BLINK_STEP = 5;

// Both runners on a start point (the computer 5 px higher); per-race state cleared.
void Perso_Init(Perso* perso, int x, int y);
// Start of every level frame: clamps the runners' x, rewrites every draw rectangle.
void Replace_position(Niveau* niveau, Perso* perso);
// Draws the computer then the player; advances the 16-frame running cycle.
void perso_anim(Perso* perso, SDL_Surface* screen, General* general);
// Race frame: the false-start penalty, and the player's step while Right is held.
void check_malus(General* general, Perso* perso, Anim* anim, SDL_Surface* screen);
// Race frame: whether the computer advances (its moving flag), by nerve and sentinels.
void stop_cpu(General* general, Perso* perso, Niveau* niveau);
// Race frame, once per slope segment [from, to): moves the runners along the ground.
void follow_the_line(General* general, Perso* perso, int from, int to, int dy);
// nerve_from_draw's answer when the difficulty draws no nerve. Difficulty 1 yields
// raw values from -3 up, so the marker must lie outside -3..2.
constexpr int NERVE_NONE = -100;
// The computer's nerve for a draw r (0..32767) at a difficulty, truncated but not yet
// floored at 0 (difficulty 1 gives -3..2); NERVE_NONE when none is drawn.
int nerve_from_draw(int r, int difficulty);

// ---- Sentinels ----
constexpr int SENTINEL_IDLE = 0;
constexpr int SENTINEL_WATCHING = 3;

void Senti_Activation_Init(Niveau* niveau);
void Init_baton(Sentinelle* senti, int x, int y);
void Init_boule(Sentinelle* senti);
void Init_vision(Sentinelle* senti, int sx, int sy);
// Race frame: advances the sentinel's clock and sets its state from it.
void vision_sys(int base, Sentinelle* senti);
// Race frame: while watching, sends a moving runner in from..to back to the
// respawn point; a player sent back starts blinking (Perso.blink).
void check_if_see(Sentinelle* senti, Perso* perso, int from, int to, int respawn_x, int respawn_y);
// Every level frame: pole, then head (one draw behind the state) or cone.
void blit_sentinelle(Sentinelle* senti, SDL_Surface* screen, General* general);

// ---- Race flow ----
void Anim_Init(Anim* anim);
// Every level frame until the race starts: curtain, countdown, false start.
void intro_anim(Perso* perso, General* general, Niveau* niveau, Anim* anim, SDL_Surface* screen,
                Sons* sons);
// Every level frame: the finish line, then the won or lost banner and its key.
void check_who_win(General* general, Perso* perso, Niveau* niveau, Anim* anim, SDL_Surface* screen,
                   Menu* menu, int next_x, int next_y, Sons* sons);
// Pauses a race as Space does: the music stops, the pause jingle sounds.
void Pause_Race(Niveau* niveau, Sons* sons);
// Every level frame: Space pauses and resumes, Return in a pause goes to the menu.
void Paused(Menu* menu, General* general, Sons* sons, Niveau* niveau, Anim* anim,
            SDL_Surface* screen);
// Every level frame: Backspace wins the level.
void cheat(General* general, Niveau* niveau);

// ---- Level records ----
void Init_background(Niveau* niveau, int x, int y);
// Prepares a level record from its table row: sentinels, background, flags.
void Niveau_Prepare(Niveau* niveau, const LevelRow* row);
void Niveau1_init(Niveau* niveau);
void Niveau2_init(Niveau* niveau);
void Niveau3_init(Niveau* niveau);
void Niveau4_init(Niveau* niveau);
void Niveau5_init(Niveau* niveau);
void Niveau6_init(Niveau* niveau);
void Niveau7_init(Niveau* niveau);
void Niveau8_init(Niveau* niveau);
void Niveau9_init(Niveau* niveau);
void Niveau11_init(Niveau* niveau);
// The ending's record: only its curtain flag.
void Fin_Init(Niveau* niveau);
// All eleven, in order: levels 1-9, the ending, the bonus level.
void Niveaux_Init(Niveau niveau[LEVEL_COUNT]);

// ---- Screen effects ----
// Game-wide fields and the effects' starting places; keeps sheet, event and unlock.
void General_Init(General* general);
void Matrix_Init(General* general);
// The bonus level's falling glyphs, one frame.
void Blit_Matrix_Effet(General* general, SDL_Surface* screen);
// The race levels' three sweeping bars, one frame.
void Blit_BarreEffet(General* general, SDL_Surface* screen);
// The rain and its Left Ctrl toggle, one frame.
void Blit_Pluie(General* general, Anim* anim, SDL_Surface* screen);

// ---- Sound bank ----
// Race frame, after the catch tests: the caught jingle for a player sent back
// in this frame (again at every catch).
void Play_Caught(Perso* perso, Sons* sons);
// Loads the music and the ten chunks (printing "OK" part-way), clears the flags.
void Sons_Init(Sons* sons);
// Starts `chunk` once: only while *played is 0, which it then sets.
void PlayWav(Mix_Chunk* chunk, int* played);
void PlayedSong_Init(Sons* sons);

// ---- Unlock file ----
constexpr const char* UNLOCK_PATH = "data/dat.dat";
// Start-up: the file's first character as the unlock count; 0 when it cannot be
// read or is not a regular file at that very name (a link, a FIFO, a folder).
void read_unlock(General* general);
// Writes the count to the unlock file, atomically, making its missing folders:
// the old file survives a failure, which is one line on stderr.
void save_unlock(General* general);
// Writes `text` to `path` the same safe way (the settings file is saved so too),
// `stream` open only inside the call. 0, or the errno value of the failed step;
// `failed` (PATH_MAX bytes) names the folder that could not be made when that
// was the cause, else "".
int save_file_safely(const char* path, const char* text, FILE** stream, char* failed);

#endif
