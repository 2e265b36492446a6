// SPDX-License-Identifier: MIT
// Sanitizer settings built into the sanitizer build's programs (the game and
// its tests), so they quit with status 0 the same from ctest and by hand.
// Compiled only with PELUNE_SANITIZE. Only leaks made inside the libraries are
// overlooked here; the game's own are mended.
#include <SDL.h>
#include <dlfcn.h>
#include <sanitizer/lsan_interface.h>

// sdl12-compat (libSDL-1.2.so.0): SDL_Quit does not free the display surface
// that SDL_SetVideoMode made, nor its pixels and format; SDL 1.2 forbids the
// program to free that surface itself. The library's own SDL_SetVideoMode is
// wrapped so that surface (and what hangs from it) is marked as no leak. A
// suppression by name ("leak:SDL_SetVideoMode") would need the slow unwinder
// to see through the libraries, which deadlocks in Mesa's JIT on a real display.
extern "C" SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
    using SetVideoMode = SDL_Surface* (*)(int, int, int, Uint32);
    static const auto library =
        reinterpret_cast<SetVideoMode>(dlsym(RTLD_NEXT, "SDL_SetVideoMode"));
    SDL_Surface* screen = library(width, height, bpp, flags);
    if (screen != nullptr) __lsan_ignore_object(screen);
    return screen;
}

// The display's libraries (X11, xcb, D-Bus, Mesa and its LLVM) keep memory to
// the end that the game never sees; a leak allocated inside them is theirs.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libX11.so\nleak:libxcb\nleak:libdbus-1.so\nleak:_dri.so\nleak:libLLVM\n"
           "leak:libGLX\nleak:libEGL\n";
}

// Mesa unloads its driver at exit; kept loaded, a leak made in it still names
// its library and matches the suppressions above.
extern "C" int dlclose(void*) { return 0; }

// Say nothing of the suppressed leaks when there is nothing else.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
