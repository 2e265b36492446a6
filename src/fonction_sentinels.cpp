// Not built yet (race rules issue): stubs so the loop links.
#include "fonction.h"

void Senti_Activation_Init(Niveau* niveau) { (void)niveau; }
void Init_baton(Sentinelle* senti, int x, int y) { (void)senti; (void)x; (void)y; }
void Init_boule(Sentinelle* senti) { (void)senti; }
void Init_vision(Sentinelle* senti, int sx, int sy) { (void)senti; (void)sx; (void)sy; }
void vision_sys(int base, Sentinelle* senti) { (void)base; (void)senti; }
void check_if_see(Sentinelle* senti, Perso* perso, int from, int to, int respawn_x, int respawn_y) { (void)senti; (void)perso; (void)from; (void)to; (void)respawn_x; (void)respawn_y; }
void blit_sentinelle(Sentinelle* senti, SDL_Surface* screen, General* general) { (void)senti; (void)screen; (void)general; }
