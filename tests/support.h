// SPDX-License-Identifier: MIT
// Test helpers: in-memory surfaces, a throw-away game directory, and the real
// game driven through its loop.
#ifndef PELUNE_TEST_SUPPORT_H
#define PELUNE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>

#include "main.h"

// Key events as SDL delivers them.
SDL_Event key_event(Uint8 type, SDLKey key);
// Sets general->event to a key-down/key-up (the latch is left as it is).
void set_key(General* general, Uint8 type, SDLKey key);
void push_key(Uint8 type, SDLKey key);
void push_quit();

// A 32-bit ARGB surface in memory, cleared to opaque black.
SDL_Surface* make_surface(int w, int h);
Uint32 pixel_at(SDL_Surface* surface, int x, int y);

// A temporary working directory laid out like the game's: data/ of its own (so
// the unlock file is private to the test), the sheets, sounds and icon of the
// repository linked in. The previous directory is restored on destruction.
struct GameDir {
    std::string path;
    std::string previous;
    explicit GameDir(bool with_assets = true);
    ~GameDir();
    std::string file(const std::string& relative) const;
    void write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
};

// The asset generator's output for the whole test run: it runs once, into a
// directory removed at exit. Empty (after a test failure) when it cannot run.
std::string generated_assets();

// The real game driven through its loop as a player drives it, in a game
// directory of its own. Stops the game and restores `continuer` when it ends.
struct Session {
    explicit Session(bool with_assets = true) : dir(with_assets) {}
    ~Session() { stop(), continuer = 1; }
    // Game_Start with both console streams captured into out and err.
    bool start();
    void stop();
    void turns(int n) {
        for (int i = 0; i < n; ++i) Game_Turn(&game);
    }
    // The key-down in one turn, the key-up in the next (through SDL's queue).
    void press(SDLKey key);
    // One turn with this event in the event field (the queue being empty).
    void turn(Uint8 type, SDLKey key) { set_key(&game.general, type, key), turns(1); }
    // From either menu panel to level 1 at this difficulty.
    void new_game(int difficulty = 0);
    // Backspace then Return on the won banner.
    void pass_level();
    // Passes levels 1 to 9; returns the level that follows level 9.
    int win_nine_levels();
    // Waits out the ending's curtain and leaves it with Return.
    void leave_ending();
    // `level` (1-9, 11) with its race running, both runners at (x, y).
    Niveau* race(int level, int x, int y);

    GameDir dir;
    Game game{};
    bool running = false;
    std::string out;
    std::string err;
};

// A test with the real game started in a directory of its own.
struct Started : testing::Test, Session {
    void SetUp() override { ASSERT_TRUE(start()); }
};

#endif
