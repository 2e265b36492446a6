// SPDX-License-Identifier: MIT
// The race-level frames, the ending and the bonus level.
#ifndef PELUNE_JEU_H
#define PELUNE_JEU_H

#include "main.h"

// One frame of a race level: drawing, then (in a race frame) the rules, then the
// outcome, pause and cheat steps.
void Niveau1(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
void Niveau2(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
void Niveau3(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
void Niveau4(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
void Niveau5(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
void Niveau6(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
void Niveau7(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
void Niveau8(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
void Niveau9(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
             Menu* menu, Sons* sons);
// The bonus level: glyph field instead of bars, three sentinels, no rain.
void Niveau11(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso,
              Menu* menu, Sons* sons);

// The ending: its picture by difficulty, the curtain, Return to the menu (unlocking).
void Fin(Menu* menu, Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim,
         Perso* perso, Sons* sons);

#endif
