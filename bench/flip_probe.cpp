// SPDX-License-Identifier: MIT
// libpelune_flip_probe.so: loaded into the real game with LD_PRELOAD, it
// notes when every SDL_Flip returns, without a change to the game. At exit it
// writes to the file named by PELUNE_FLIP_LOG: the wall-clock time of the
// first flip (ns since the epoch) and the CPU time the process (all its
// threads) had used by then (ns), then the monotonic time of each flip (ns).
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

struct SDL_Surface;

namespace {

constexpr int MAX_FLIPS = 1 << 20;  // some five hours at 60 a second
long long flips[MAX_FLIPS];
int flip_count = 0;
long long first_flip_wall = 0;
long long first_flip_cpu = 0;

long long now(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

__attribute__((destructor)) void write_log() {
    const char* path = std::getenv("PELUNE_FLIP_LOG");
    if (path == nullptr) return;
    std::FILE* out = std::fopen(path, "w");
    if (out == nullptr) return;
    std::fprintf(out, "%lld %lld\n", first_flip_wall, first_flip_cpu);
    for (int i = 0; i < flip_count; ++i) std::fprintf(out, "%lld\n", flips[i]);
    std::fclose(out);
}

}  // namespace

extern "C" int SDL_Flip(SDL_Surface* screen) {
    using Flip = int (*)(SDL_Surface*);
    static const Flip real = reinterpret_cast<Flip>(dlsym(RTLD_NEXT, "SDL_Flip"));
    const int result = real(screen);
    if (flip_count == 0) {
        first_flip_wall = now(CLOCK_REALTIME);
        first_flip_cpu = now(CLOCK_PROCESS_CPUTIME_ID);
    }
    if (flip_count < MAX_FLIPS) flips[flip_count++] = now(CLOCK_MONOTONIC);
    return result;
}
