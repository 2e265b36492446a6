// SPDX-License-Identifier: MIT
// libpelune_flip_probe.so: loaded into the real game (and the floor) with
// LD_PRELOAD, it notes when every SDL_Flip returns and when every turn starts,
// without a change to either program. A turn starts when the frame pacer's
// sleep until the next turn (clock_nanosleep to an absolute time on the
// monotonic clock) returns; the game does not flip a turn that draws the
// picture already shown, so the flips alone no longer count the turns. A turn
// that starts late sleeps not at all and is not counted: stalls count against
// the program. At exit it writes to the file named by PELUNE_FLIP_LOG: the
// wall-clock time of the first flip (ns since the epoch) and the CPU time the
// process (all its threads) had used by then (ns), then one line per event,
// "f" (flip) or "t" (turn) and its monotonic time (ns).
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

struct SDL_Surface;

namespace {

constexpr int MAX_EVENTS = 1 << 21;  // some five hours of turns and flips at 60 a second
long long times[MAX_EVENTS];
char kinds[MAX_EVENTS];
int event_count = 0;
bool flipped = false;
long long first_flip_wall = 0;
long long first_flip_cpu = 0;

long long now(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

void note(char kind) {
    if (event_count == MAX_EVENTS) return;
    kinds[event_count] = kind;
    times[event_count++] = now(CLOCK_MONOTONIC);
}

__attribute__((destructor)) void write_log() {
    const char* path = std::getenv("PELUNE_FLIP_LOG");
    if (path == nullptr) return;
    std::FILE* out = std::fopen(path, "w");
    if (out == nullptr) return;
    std::fprintf(out, "%lld %lld\n", first_flip_wall, first_flip_cpu);
    for (int i = 0; i < event_count; ++i) std::fprintf(out, "%c %lld\n", kinds[i], times[i]);
    std::fclose(out);
}

}  // namespace

extern "C" int SDL_Flip(SDL_Surface* screen) {
    using Flip = int (*)(SDL_Surface*);
    static const Flip real = reinterpret_cast<Flip>(dlsym(RTLD_NEXT, "SDL_Flip"));
    const int result = real(screen);
    if (!flipped) {
        flipped = true;
        first_flip_wall = now(CLOCK_REALTIME);
        first_flip_cpu = now(CLOCK_PROCESS_CPUTIME_ID);
    }
    note('f');
    return result;
}

extern "C" int clock_nanosleep(clockid_t clock, int flags, const timespec* until, timespec* left) {
    using Sleep = int (*)(clockid_t, int, const timespec*, timespec*);
    static const Sleep real = reinterpret_cast<Sleep>(dlsym(RTLD_NEXT, "clock_nanosleep"));
    const int result = real(clock, flags, until, left);
    if (result == 0 && clock == CLOCK_MONOTONIC && flags == TIMER_ABSTIME) note('t');
    return result;
}
