// SPDX-License-Identifier: MIT
// pelune_floor: the least a program on this library stack can do with the
// game's window. It opens the same 480x272x32 double-buffered window, blits
// one full-screen opaque picture and flips, 60 times a second, until Escape,
// the window's close button or SIGTERM. bench/measure_run.sh measures it
// beside the game: what the game costs above this is the game's own.
//
// Like the game, it keeps OpenGL out unless the environment asks for it, so
// both run on the same renderer; run it with SDL_RENDER_DRIVER=opengl to see
// what the default would cost.
#include <SDL.h>
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int W = 480;
constexpr int H = 272;
constexpr long long FRAME_NS = 1000000000LL / 60;

long long monotonic_ns() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

bool quit_asked() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) return true;
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) return true;
    }
    return false;
}

}  // namespace

int main() {
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "pelune_floor: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Surface* screen = SDL_SetVideoMode(W, H, 32, SDL_HWSURFACE | SDL_DOUBLEBUF);
    if (screen == nullptr) {
        std::fprintf(stderr, "pelune_floor: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption("Pelune floor", nullptr);
    // The picture: an opaque gradient in the display's own format.
    SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, W, H, 32, screen->format->Rmask,
                                                screen->format->Gmask, screen->format->Bmask, 0);
    for (int y = 0; y < H; ++y) {
        Uint32* row =
            reinterpret_cast<Uint32*>(static_cast<Uint8*>(picture->pixels) + y * picture->pitch);
        for (int x = 0; x < W; ++x) {
            row[x] =
                SDL_MapRGB(picture->format, static_cast<Uint8>(x / 2), static_cast<Uint8>(y), 96);
        }
    }
    long long next = monotonic_ns();
    while (!quit_asked()) {
        SDL_BlitSurface(picture, nullptr, screen, nullptr);
        SDL_Flip(screen);
        next += FRAME_NS;
        const long long now = monotonic_ns();
        if (next < now) {
            next = now;
            continue;
        }
        const timespec until{static_cast<time_t>(next / 1000000000LL),
                             static_cast<long>(next % 1000000000LL)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
    }
    SDL_FreeSurface(picture);
    SDL_Quit();
    return 0;
}
