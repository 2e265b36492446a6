// SPDX-License-Identifier: MIT
// What the desktop's libraries offer that the browser's do not: whole-number
// fullscreen through SDL 2 under the SDL 1.2 layer, and SDL streams on files
// already open (src/main_web.cpp stands in for this file in the browser).
//
// Whole-number fullscreen on the SDL 1.2 layer over SDL 2 (sdl12-compat).
// The layer draws the 480x272 picture through an SDL 2 renderer with that
// logical size, which fills the screen at any ratio (3.97 on a 1080-line
// screen: pixels 3 or 4 wide). SDL 2's integer scaling keeps the largest whole
// scale that fits and centres it between black borders. The SDL 1.2 interface
// has no word for it, so it is asked of SDL 2 directly, through the window the
// layer hands out; where there is no such layer this does nothing.
#include <dlfcn.h>

#include "main.h"

namespace {

using GetWindow = void* (*)();
using GetRenderer = void* (*)(void*);
using SetIntegerScale = int (*)(void*, int);

void* sdl2_function(const char* name) {
    // Loaded already by the SDL 1.2 layer; never loaded here.
    void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD);
    if (sdl2 == nullptr) return nullptr;
    void* function = dlsym(sdl2, name);
    dlclose(sdl2);  // the layer's own reference keeps it loaded
    return function;
}

}  // namespace

void Display_WholeScale(int fill) {
    const auto get_window = reinterpret_cast<GetWindow>(dlsym(RTLD_DEFAULT, "SDL12COMPAT_GetWindow"));
    const auto get_renderer = reinterpret_cast<GetRenderer>(sdl2_function("SDL_GetRenderer"));
    const auto set_integer_scale =
        reinterpret_cast<SetIntegerScale>(sdl2_function("SDL_RenderSetIntegerScale"));
    if (get_window == nullptr || get_renderer == nullptr || set_integer_scale == nullptr) return;
    void* window = get_window();
    void* renderer = window == nullptr ? nullptr : get_renderer(window);
    if (renderer != nullptr) set_integer_scale(renderer, fill != 0 ? 0 : 1);
}

SDL_RWops* Data_Stream(std::FILE* file, const char*) {
    SDL_RWops* stream = SDL_RWFromFP(file, SDL_TRUE);
    if (stream == nullptr) std::fclose(file);
    return stream;
}
