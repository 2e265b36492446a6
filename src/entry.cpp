// The process entry point. SDL 1.2 has no entry shim on Linux, so main runs the
// game's entry function itself and shuts SDL down after it.
#include "main.h"

int main(int argc, char* argv[]) {
    const int status = SDL_main(argc, argv);
    SDL_Quit();
    return status;
}
