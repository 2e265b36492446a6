// Key events as SDL delivers them, for tests and the scripted game alike.
#ifndef PELUNE_TEST_KEYS_H
#define PELUNE_TEST_KEYS_H

#include "main.h"

SDL_Event key_event(Uint8 type, SDLKey key);
// Sets general->event to a key-down/key-up (the latch is left as it is).
void set_key(General* general, Uint8 type, SDLKey key);
void push_key(Uint8 type, SDLKey key);
void push_quit();

#endif
