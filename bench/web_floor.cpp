// SPDX-License-Identifier: MIT
// The floor of the web measures: the smallest Emscripten SDL 1.2 page, one
// 480x272 screen filled and flipped from the browser's frames, nothing loaded.
// bench/measure_web.sh builds it beside the game and times its first frame.
#include <SDL.h>
#include <emscripten.h>

static void frame(void* arg) {
    SDL_Surface* screen = static_cast<SDL_Surface*>(arg);
    SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 40, 90, 160));
    SDL_Flip(screen);
    EM_ASM({ Module.firstFrame = Module.firstFrame || performance.now(); });
}

int main() {
    SDL_Init(SDL_INIT_VIDEO);
    SDL_Surface* screen = SDL_SetVideoMode(480, 272, 32, SDL_HWSURFACE);
    emscripten_set_main_loop_arg(frame, screen, 0, 1);
    return 0;
}
