// SPDX-License-Identifier: MIT
// The process entry point. SDL 1.2 has no entry shim on Linux, so main runs the
// game's entry function itself and shuts SDL down after it.
//
// No signal handler of the game's own: SDL turns SIGINT and SIGTERM into a quit
// event, so `kill` ends the game as the window's close button does (the loop
// stops, Game_Stop frees everything, status 0), with nothing for a handler to
// write into `continuer`, a plain int.
#include "main.h"

int main(int argc, char* argv[]) {
    const int status = SDL_main(argc, argv);
    SDL_Quit();
    return status;
}
