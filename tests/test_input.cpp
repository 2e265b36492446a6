// SPDX-License-Identifier: MIT
// The event intake through the real loop: unread events and the gamepad (F11
// and Alt+Return, on a real window, and real mouse moves in run_e2e.sh).
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "support.h"

using Input = Started;

namespace {

SDL_Event pad_event(Uint8 type, int index, int value) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_JOYAXISMOTION) event.jaxis = {type, 0, Uint8(index), Sint16(value)};
    if (type == SDL_JOYHATMOTION) event.jhat = {type, 0, Uint8(index), Uint8(value)};
    if (type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP)
        event.jbutton = {type, 0, Uint8(index), 0};
    return event;
}

void push_pad(Uint8 type, int index, int value = 0) {
    SDL_Event event = pad_event(type, index, value);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

}  // namespace

// Events the game does not read do not hold back the key behind them. The
// motion goes in through SDL 2, as real motion arrives: the SDL 1.2 layer's
// own SDL_PushEvent would queue it whatever the game asked to ignore.
TEST_F(Input, AKeyBehindABurstOfMouseMotionAndUnmappedPadEventsActsInTheFirstTurn) {
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(sdl2, nullptr);
    auto push20 = reinterpret_cast<int (*)(void*)>(dlsym(sdl2, "SDL_PushEvent"));
    struct Motion20 {  // SDL 2's SDL_MouseMotionEvent, padded to the size of its event union
        Uint32 type = 0x400, timestamp = 0, window = 0, which = 0, state = 0;
        Sint32 x = 10, y = 10, xrel = 1, yrel = 0;
        Uint8 padding[20] = {};
    } motion;
    for (int i = 0; i < 500; ++i) push20(&motion);
    push_pad(SDL_JOYBUTTONDOWN, 2);  // X: no key of the game
    push_key(SDL_KEYDOWN, KEY_DOWN);
    turns(1);
    EXPECT_EQ(game.menu.cursor, 2);
    dlclose(sdl2);
}

// One pad played through its life: each row's event and the keys it gives, as
// +key for a key-down and -key for a key-up (Up, Down, Right, rEturn, Space, Ctrl).
TEST(Pad, StickHatAndButtonsHoldTheirKeysWithADeadZoneThatDoesNotChatter) {
    const Uint8 A = SDL_JOYAXISMOTION, H = SDL_JOYHATMOTION;
    const Uint8 P = SDL_JOYBUTTONDOWN, L = SDL_JOYBUTTONUP;
    // clang-format off
    const struct { Uint8 type; int index, value; std::string keys; } rows[] = {
        {A, 0, 16000, ""}, {A, 0, 17000, "+R"}, {A, 0, 9000, ""},  // held until near the centre
        {H, 0, SDL_HAT_RIGHT, ""}, {A, 0, 8000, ""}, {H, 0, SDL_HAT_DOWN, "-R+D"},  // two holders
        {A, 0, -30000, ""}, {A, 1, -17000, "+U"}, {A, 1, 30000, "-U"},  // the hat holds Down
        {H, 0, SDL_HAT_UP, "+U"}, {A, 1, 0, "-D"}, {H, 0, SDL_HAT_CENTERED, "-U"},
        {P, 0, 0, "+E"}, {P, 6, 0, ""}, {L, 0, 0, ""}, {L, 6, 0, "-E"},  // A and Start: Return
        {P, 1, 0, "+S"}, {P, 4, 0, "+C"}, {P, 2, 0, ""}, {P, 3, 0, ""},  // B, Back; X, Y: nothing
        {P, 11, 0, "+U"}, {P, 12, 0, "+D"}, {P, 14, 0, "+R"}, {P, 13, 0, ""}, {L, 14, 0, "-R"},
    };
    // clang-format on
    const SDLKey keys[] = {KEY_UP, KEY_DOWN, KEY_RIGHT, KEY_RETURN, KEY_SPACE, KEY_RAIN};
    Pad pad{};
    for (const auto& row : rows) {
        const SDL_Event event = pad_event(row.type, row.index, row.value);
        SDL_Event out[PAD_KEYS_MAX];
        std::string seen;
        for (int i = 0, n = Pad_Keys(&pad, &event, out); i < n; ++i) {
            seen += out[i].type == SDL_KEYDOWN ? '+' : '-';
            for (int k = 0; k < 6; ++k)
                if (out[i].key.keysym.sym == keys[k]) seen += "UDRESC"[k];
        }
        EXPECT_EQ(seen, row.keys) << int(row.type) << " " << row.index << " " << row.value;
    }
}

TEST_F(Input, ThePadMovesTheMenuAndTheRunnerRunsWhileTheStickIsHeld) {
    push_pad(SDL_JOYHATMOTION, 0, SDL_HAT_DOWN);
    push_pad(SDL_JOYHATMOTION, 0, SDL_HAT_CENTERED);
    push_pad(SDL_JOYAXISMOTION, 1, 30000);
    push_pad(SDL_JOYAXISMOTION, 1, -30000);  // Down up, then Up down: one turn each
    turns(3);
    EXPECT_EQ(game.menu.cursor, 3);
    turns(2);
    EXPECT_EQ(game.menu.cursor, 2);
    push_pad(SDL_JOYAXISMOTION, 1, 0);
    press(KEY_UP);
    new_game(0);
    turns(400);  // curtain and countdown
    ASSERT_EQ(game.niveau[0].started, 1);
    const int x = game.perso.player.x;
    push_pad(SDL_JOYAXISMOTION, 0, 30000);
    turns(10);
    EXPECT_GE(game.perso.player.x, x + 9);
    push_pad(SDL_JOYAXISMOTION, 0, 2000);
    turns(1);
    const int stopped = game.perso.player.x;
    turns(10);
    EXPECT_EQ(game.perso.player.x, stopped);
}

// - and + (keypad and = too) step the volume 0..8, M mutes; the picture shows
// for a second; none of these keys reaches the game, so a held Right runs on.
TEST_F(Input, VolumeKeysStepAndMuteTheMixerAndNeverReachTheGame) {
    const Settings& v = game.settings;
    push_key(SDL_KEYDOWN, KEY_RIGHT);
    turns(1);
    // key, volume, mute, the mixer's volume after it (music and every channel)
    const struct { SDLKey key; int volume, mute, mixer; } rows[] = {
        {SDLK_MINUS, 7, 0, 112}, {SDLK_m, 7, 1, 0},         {SDLK_m, 7, 0, 112},
        {SDLK_KP_PLUS, 8, 0, 128}, {SDLK_EQUALS, 8, 0, 128}, {SDLK_m, 8, 1, 0},
        {SDLK_KP_MINUS, 7, 0, 112}};
    for (const auto& row : rows) {
        push_key(SDL_KEYDOWN, row.key);
        push_key(SDL_KEYUP, row.key);
        turns(2);
        EXPECT_TRUE(v.volume == row.volume && v.mute == row.mute && v.changed == 1 &&
                    Mix_VolumeMusic(-1) == row.mixer && Mix_Volume(-1, -1) == row.mixer &&
                    v.shown == VOLUME_SHOW_FRAMES - 2)
            << row.key;
    }
    for (int i = 0; i < 9; ++i) push_key(SDL_KEYDOWN, SDLK_MINUS);
    turns(9);
    EXPECT_TRUE(v.volume == 0 && Mix_VolumeMusic(-1) == 0);
    turns(VOLUME_SHOW_FRAMES);
    EXPECT_TRUE(v.shown == 0 && game.general.event.key.keysym.sym == KEY_RIGHT);
}

// Losing the focus (or being minimised) pauses a running race and nothing else.
TEST_F(Input, AFocusLossPausesARunningRaceOnly) {
    enum Scene { Menu, Countdown, Running, Paused, Won, Lost, Ending };
    // scene, focus state, gain: paused after it
    const struct { Scene scene; Uint8 state, gain; int paused; } rows[] = {
        {Menu, SDL_APPINPUTFOCUS, 0, 0},    {Countdown, SDL_APPINPUTFOCUS, 0, 0},
        {Running, SDL_APPINPUTFOCUS, 0, 1}, {Running, SDL_APPACTIVE, 0, 1},
        {Running, SDL_APPMOUSEFOCUS, 0, 0}, {Running, SDL_APPINPUTFOCUS, 1, 0},
        {Paused, SDL_APPINPUTFOCUS, 0, 1},  {Won, SDL_APPINPUTFOCUS, 0, 0},
        {Lost, SDL_APPINPUTFOCUS, 0, 0},    {Ending, SDL_APPINPUTFOCUS, 0, 0}};
    for (const auto& row : rows) {
        Niveau* level = race(row.scene == Ending ? LEVEL_ENDING : 3, 100, 100);
        if (row.scene == Menu) game.general.screen = SCREEN_MENU;
        level->started = row.scene != Countdown;
        level->outcome = row.scene == Won ? OUTCOME_WON : row.scene == Lost ? OUTCOME_LOST : 0;
        level->paused = row.scene == Paused;
        Mix_ResumeMusic();
        game.sons.played_pause = 0;
        turn(SDL_KEYUP, KEY_SPACE);
        SDL_Event focus{.active = {SDL_ACTIVEEVENT, row.gain, row.state}};
        ASSERT_EQ(SDL_PushEvent(&focus), 0);
        turns(1);
        const int paused = row.scene == Ending ? 0 : level->paused;
        EXPECT_TRUE(paused == row.paused && Mix_PausedMusic() == (row.paused && row.scene != Paused) &&
                    game.general.event.type == SDL_KEYUP)
            << row.scene << " " << int(row.state) << " " << int(row.gain);
    }
}
