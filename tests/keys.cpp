#include "keys.h"

SDL_Event key_event(Uint8 type, SDLKey key) {
    SDL_Event event{};
    event.type = event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    return event;
}

void set_key(General* general, Uint8 type, SDLKey key) { general->event = key_event(type, key); }

void push_key(Uint8 type, SDLKey key) {
    SDL_Event event = key_event(type, key);
    SDL_PushEvent(&event);
}

void push_quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    SDL_PushEvent(&event);
}
