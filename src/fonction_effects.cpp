// Not built yet (title menu and screen effects issue): stubs so the loop links.
#include "fonction.h"

void General_Init(General* general) { (void)general; }
void Matrix_Init(General* general) { (void)general; }
void Blit_Matrix_Effet(General* general, SDL_Surface* screen) { (void)general; (void)screen; }
void Blit_BarreEffet(General* general, SDL_Surface* screen) { (void)general; (void)screen; }
void Blit_Pluie(General* general, Anim* anim, SDL_Surface* screen) { (void)general; (void)anim; (void)screen; }
