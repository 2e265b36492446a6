// The event intake through the real loop: unread events, display keys, the gamepad.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "main.h"
#include "menu.h"
#include "support.h"

namespace {

class Input : public testing::Test, public Session {
protected:
    void SetUp() override { ASSERT_TRUE(start()); }
};

SDL_Event pad_event(Uint8 type, int index, int value) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_JOYAXISMOTION) event.jaxis = {type, 0, Uint8(index), Sint16(value)};
    if (type == SDL_JOYHATMOTION) event.jhat = {type, 0, Uint8(index), Uint8(value)};
    if (type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP) {
        event.jbutton = {type, 0, Uint8(index), Uint8(type == SDL_JOYBUTTONDOWN)};
    }
    return event;
}

void push_pad(Uint8 type, int index, int value = 0) {
    SDL_Event event = pad_event(type, index, value);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

}  // namespace

// Real mouse motion reaches the SDL 1.2 layer as SDL 2 events, filtered on the way in.
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

TEST_F(Input, F11AndAltReturnSwitchFullscreenAndNeverReachTheGame) {
    SDL_Event alt_return = key_event(SDL_KEYDOWN, KEY_RETURN);
    alt_return.key.keysym.mod = KMOD_LALT;
    SDL_Event f11 = key_event(SDL_KEYDOWN, SDLK_F11);
    for (SDL_Event* key : {&f11, &alt_return}) {
        const Uint32 before = game.screen->flags & SDL_FULLSCREEN;
        SDL_PushEvent(key);
        turns(2);
        EXPECT_NE(game.screen->flags & SDL_FULLSCREEN, before);
        EXPECT_NE(game.general.event.type, SDL_KEYDOWN);
        EXPECT_EQ(game.menu.slide, 0) << "Alt+Return is not Return on Play";
    }
}

// One pad played through its life: each row's event and the key events it gives.
TEST(Pad, StickHatAndButtonsHoldTheirKeysWithADeadZoneThatDoesNotChatter) {
    struct Row {
        Uint8 type;
        int index, value;
        std::vector<std::pair<Uint8, SDLKey>> keys;
    };
    const Uint8 A = SDL_JOYAXISMOTION, H = SDL_JOYHATMOTION, D = SDL_KEYDOWN, U = SDL_KEYUP;
    const Row rows[] = {
        {A, 0, 16000, {}},  // inside the dead zone
        {A, 0, 17000, {{D, KEY_RIGHT}}},
        {A, 0, 9000, {}},           // still held until back near the centre
        {H, 0, SDL_HAT_RIGHT, {}},  // a second holder of Right
        {A, 0, 8000, {}},
        {H, 0, SDL_HAT_DOWN, {{U, KEY_RIGHT}, {D, KEY_DOWN}}},
        {A, 0, -30000, {}},  // left means nothing
        {A, 1, -17000, {{D, KEY_UP}}},
        {A, 1, 30000, {{U, KEY_UP}}},  // Down is already held by the hat
        {H, 0, SDL_HAT_UP, {{D, KEY_UP}}},
        {A, 1, 0, {{U, KEY_DOWN}}},
        {H, 0, SDL_HAT_CENTERED, {{U, KEY_UP}}},
        {SDL_JOYBUTTONDOWN, 0, 0, {{D, KEY_RETURN}}},  // A
        {SDL_JOYBUTTONDOWN, 6, 0, {}},                 // Start, while A holds Return
        {SDL_JOYBUTTONUP, 0, 0, {}},
        {SDL_JOYBUTTONUP, 6, 0, {{U, KEY_RETURN}}},
        {SDL_JOYBUTTONDOWN, 1, 0, {{D, KEY_SPACE}}},  // B
        {SDL_JOYBUTTONDOWN, 4, 0, {{D, KEY_RAIN}}},   // Back
        {SDL_JOYBUTTONDOWN, 11, 0, {{D, KEY_UP}}},    // D-pad
        {SDL_JOYBUTTONDOWN, 12, 0, {{D, KEY_DOWN}}},
        {SDL_JOYBUTTONDOWN, 14, 0, {{D, KEY_RIGHT}}},
        {SDL_JOYBUTTONDOWN, 13, 0, {}},  // D-pad left
    };
    Pad pad{};
    for (const Row& row : rows) {
        const SDL_Event event = pad_event(row.type, row.index, row.value);
        SDL_Event keys[PAD_KEYS_MAX];
        const int count = Pad_Keys(&pad, &event, keys);
        std::vector<std::pair<Uint8, SDLKey>> seen;
        for (int i = 0; i < count; ++i) seen.push_back({keys[i].type, keys[i].key.keysym.sym});
        EXPECT_EQ(seen, row.keys) << "event type " << int(row.type) << " " << row.index << " "
                                  << row.value;
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
    push_pad(SDL_JOYBUTTONDOWN, 11);
    push_pad(SDL_JOYBUTTONUP, 11);
    turns(3);
    EXPECT_EQ(game.menu.cursor, 1);

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
