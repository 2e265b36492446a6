// SPDX-License-Identifier: MIT
// The event intake: keys, the quit request and the gamepad, one event a turn.
#include <initializer_list>

#include "fonction.h"
#include "main.h"

namespace {

// The pad's keys, by index into Pad.holders.
enum PadKey { PAD_UP, PAD_DOWN, PAD_RIGHT, PAD_RETURN, PAD_SPACE, PAD_RAIN };
constexpr SDLKey PAD_KEYS[PAD_KEY_COUNT] = {KEY_UP,     KEY_DOWN,  KEY_RIGHT,
                                            KEY_RETURN, KEY_SPACE, KEY_RAIN};

// What may hold a key: the stick's two axes, the hat, and each button.
constexpr Uint32 SOURCE_STICK_X = 1u << 0;
constexpr Uint32 SOURCE_STICK_Y = 1u << 1;
constexpr Uint32 SOURCE_HAT = 1u << 2;
constexpr int SOURCE_FIRST_BUTTON = 3;
constexpr int BUTTON_LIMIT = 32 - SOURCE_FIRST_BUTTON;

// Buttons in SDL's standard controller layout, which the SDL 1.2 layer gives
// every pad it knows when asked to (SDL12COMPAT_USE_GAME_CONTROLLERS).
struct PadButton {
    int button;
    PadKey key;
};
constexpr PadButton PAD_BUTTONS[] = {
    {0, PAD_RETURN},  // A
    {1, PAD_SPACE},   // B
    {4, PAD_RAIN},    // Back
    {6, PAD_RETURN},  // Start
    {11, PAD_UP},     // D-pad up
    {12, PAD_DOWN},   // D-pad down
    {14, PAD_RIGHT},  // D-pad right
};

// The stick holds a side from half way out and lets go only back inside a
// quarter, so a stick resting near the line does not chatter.
constexpr int STICK_PRESS = 16384;
constexpr int STICK_RELEASE = 8192;

// Uint8 in SDL 1.2; the browser's SDL numbers its events as SDL 2 does.
using EventType = decltype(SDL_Event::type);

constexpr EventType UNREAD_EVENTS[] = {SDL_MOUSEMOTION,   SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP,
                                       SDL_JOYBALLMOTION, SDL_SYSWMEVENT,      SDL_VIDEORESIZE};

unsigned bit(PadKey key) { return 1u << key; }

int stick_side(int held, int value) {
    if (held != 0 && value * held >= STICK_RELEASE) return held;
    if (value >= STICK_PRESS) return 1;
    if (value <= -STICK_PRESS) return -1;
    return 0;
}

SDL_Event key_event(EventType type, SDLKey key) {
    SDL_Event event{};
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    return event;
}

// `source` now holds exactly the keys in `wanted`; a key goes down when its
// first holder takes it and up when its last lets go. Key-ups come first, so a
// pad moved from one key to another leaves the new key's key-down in the slot.
int hold(Pad* pad, Uint32 source, unsigned wanted, SDL_Event keys[PAD_KEYS_MAX]) {
    int count = 0;
    for (const bool taking : {false, true}) {
        for (int k = 0; k < PAD_KEY_COUNT; ++k) {
            if (((wanted >> k) & 1u) != (taking ? 1u : 0u)) continue;
            const bool was = pad->holders[k] != 0;
            if (taking) {
                pad->holders[k] |= source;
            } else {
                pad->holders[k] &= ~source;
            }
            if (was != (pad->holders[k] != 0)) {
                keys[count++] = key_event(taking ? SDL_KEYDOWN : SDL_KEYUP, PAD_KEYS[k]);
            }
        }
    }
    return count;
}

bool display_key(const SDL_Event* event) {
    const SDL_keysym& key = event->key.keysym;
    return key.sym == SDLK_F11 || (key.sym == SDLK_RETURN && (key.mod & KMOD_ALT) != 0);
}

// Losing the keyboard or being minimised pauses a running race, as Space does;
// the player resumes it. Nothing else reads focus.
void focus_lost(Game* game, const SDL_ActiveEvent* active) {
    const General* general = &game->general;
    if (active->gain != 0 || (active->state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) == 0) return;
    const int level = general->level;
    if (general->screen != SCREEN_PLAY || level < 1 || level > LEVEL_BONUS || level == LEVEL_ENDING)
        return;
    Niveau* niveau = &game->niveau[level - 1];
    if (niveau->started == 1 && niveau->outcome == OUTCOME_NONE && niveau->paused == 0) {
        Pause_Race(niveau, &game->sons);
    }
}

}  // namespace

int Pad_Keys(Pad* pad, const SDL_Event* event, SDL_Event keys[PAD_KEYS_MAX]) {
    switch (event->type) {
    case SDL_JOYAXISMOTION:
        if (event->jaxis.axis == 0) {
            pad->stick_x = stick_side(pad->stick_x, event->jaxis.value);
            return hold(pad, SOURCE_STICK_X, pad->stick_x > 0 ? bit(PAD_RIGHT) : 0, keys);
        }
        if (event->jaxis.axis == 1) {
            pad->stick_y = stick_side(pad->stick_y, event->jaxis.value);
            const unsigned wanted = pad->stick_y < 0   ? bit(PAD_UP)
                                    : pad->stick_y > 0 ? bit(PAD_DOWN)
                                                       : 0;
            return hold(pad, SOURCE_STICK_Y, wanted, keys);
        }
        return 0;
    case SDL_JOYHATMOTION: {
        const Uint8 hat = event->jhat.value;
        return hold(pad, SOURCE_HAT,
                    ((hat & SDL_HAT_UP) != 0 ? bit(PAD_UP) : 0) |
                        ((hat & SDL_HAT_DOWN) != 0 ? bit(PAD_DOWN) : 0) |
                        ((hat & SDL_HAT_RIGHT) != 0 ? bit(PAD_RIGHT) : 0),
                    keys);
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        for (const PadButton& mapped : PAD_BUTTONS) {
            if (mapped.button != event->jbutton.button || mapped.button >= BUTTON_LIMIT) continue;
            const bool down = event->type == SDL_JOYBUTTONDOWN;
            return hold(pad, 1u << (SOURCE_FIRST_BUTTON + mapped.button),
                        down ? bit(mapped.key) : 0, keys);
        }
        return 0;
    default:
        return 0;
    }
}

void Input_Start() {
    for (EventType type : UNREAD_EVENTS) SDL_EventState(type, SDL_IGNORE);
    for (int type = SDL_USEREVENT; type < SDL_NUMEVENTS; ++type) {
        SDL_EventState(static_cast<EventType>(type), SDL_IGNORE);
    }
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;  // no pads: the keyboard alone
    // SDL 1.2 learns of pads only here: one plugged in later waits for the next start.
    for (int i = 0; i < SDL_NumJoysticks(); ++i) SDL_JoystickOpen(i);
    SDL_JoystickEventState(SDL_ENABLE);
}

void Input_Take(Game* game) {
    General* general = &game->general;
    Pad* pad = &game->pad;
    if (pad->pending_count > 0) {
        general->event = pad->pending[0];
        for (int i = 1; i < pad->pending_count; ++i) pad->pending[i - 1] = pad->pending[i];
        --pad->pending_count;
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event) == 1) {
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            if (Volume_Key(&game->settings, &event)) break;  // never reaches the game
            if (!display_key(&event)) {
                general->event = event;
                return;
            }
            if (event.type == SDL_KEYDOWN && SDL_WM_ToggleFullScreen(game->screen) == 1) {
                game->settings.fullscreen = 1 - game->settings.fullscreen;
                game->settings.changed = 1;
                Display_WholeScale(game->fill);
                game->shown.must_flip = 1;  // the new window has not seen the picture
            }
            break;
        case SDL_VIDEOEXPOSE:
            game->shown.must_flip = 1;  // the window lost the picture it showed
            break;
        case SDL_ACTIVEEVENT:
            focus_lost(game, &event.active);
            break;
        case SDL_QUIT:
            general->event = event;
            return;
        case SDL_JOYAXISMOTION:
        case SDL_JOYHATMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: {
            SDL_Event keys[PAD_KEYS_MAX];
            const int count = Pad_Keys(pad, &event, keys);
            if (count == 0) break;
            general->event = keys[0];
            for (int i = 1; i < count; ++i) pad->pending[i - 1] = keys[i];
            pad->pending_count = count - 1;
            return;
        }
        default:
            break;  // nothing the game reads
        }
    }
}
