// Not built yet (levels issue): stubs so the loop links.
#include "jeu.h"

#define PELUNE_STUB_LEVEL(name)                                                              \
    void name(Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso, \
              Menu* menu, Sons* sons) {                                                      \
        (void)niveau; (void)general; (void)screen; (void)anim; (void)perso; (void)menu;       \
        (void)sons;                                                                          \
    }
PELUNE_STUB_LEVEL(Niveau1)
PELUNE_STUB_LEVEL(Niveau2)
PELUNE_STUB_LEVEL(Niveau3)
PELUNE_STUB_LEVEL(Niveau4)
PELUNE_STUB_LEVEL(Niveau5)
PELUNE_STUB_LEVEL(Niveau6)
PELUNE_STUB_LEVEL(Niveau7)
PELUNE_STUB_LEVEL(Niveau8)
PELUNE_STUB_LEVEL(Niveau9)
PELUNE_STUB_LEVEL(Niveau11)
void Fin(Menu* menu, Niveau* niveau, General* general, SDL_Surface* screen, Anim* anim, Perso* perso, Sons* sons) { (void)menu; (void)niveau; (void)general; (void)screen; (void)anim; (void)perso; (void)sons; }
