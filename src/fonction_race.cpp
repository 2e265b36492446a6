// Not built yet (race rules issue): stubs so the loop links.
#include "fonction.h"

void Anim_Init(Anim* anim) { (void)anim; }
void intro_anim(Perso* perso, General* general, Niveau* niveau, Anim* anim, SDL_Surface* screen, Sons* sons) { (void)perso; (void)general; (void)niveau; (void)anim; (void)screen; (void)sons; }
void check_who_win(General* general, Perso* perso, Niveau* niveau, Anim* anim, SDL_Surface* screen, Menu* menu, int next_x, int next_y, Sons* sons) { (void)general; (void)perso; (void)niveau; (void)anim; (void)screen; (void)menu; (void)next_x; (void)next_y; (void)sons; }
void Paused(Menu* menu, General* general, Sons* sons, Niveau* niveau, Anim* anim, SDL_Surface* screen) { (void)menu; (void)general; (void)sons; (void)niveau; (void)anim; (void)screen; }
void cheat(General* general, Niveau* niveau) { (void)general; (void)niveau; }
