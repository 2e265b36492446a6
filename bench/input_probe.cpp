// SPDX-License-Identifier: MIT
// libpelune_input_probe.so: loaded into the real game with LD_PRELOAD, it notes
// the wall-clock time (ns since the epoch) of every flip and of every key-down
// the game polls, without a change to the game. At exit it writes them to the
// file named by PELUNE_INPUT_LOG, one a line: "flip TIME" or "key TIME SYM".
#include <SDL.h>
#include <dlfcn.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int MAX_NOTES = 1 << 20;  // hours of flips at 60 a second
struct Note {
    long long time;
    int key;  // -1 for a flip
};
Note notes[MAX_NOTES];
int note_count = 0;

void note(int key) {
    if (note_count == MAX_NOTES) return;
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    notes[note_count++] = {static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec, key};
}

__attribute__((destructor)) void write_log() {
    const char* path = std::getenv("PELUNE_INPUT_LOG");
    std::FILE* out = path == nullptr ? nullptr : std::fopen(path, "w");
    if (out == nullptr) return;
    for (int i = 0; i < note_count; ++i) {
        if (notes[i].key < 0) {
            std::fprintf(out, "flip %lld\n", notes[i].time);
        } else {
            std::fprintf(out, "key %lld %d\n", notes[i].time, notes[i].key);
        }
    }
    std::fclose(out);
}

}  // namespace

extern "C" int SDL_Flip(SDL_Surface* screen) {
    using Flip = int (*)(SDL_Surface*);
    static const Flip real = reinterpret_cast<Flip>(dlsym(RTLD_NEXT, "SDL_Flip"));
    const int result = real(screen);
    note(-1);
    return result;
}

extern "C" int SDL_PollEvent(SDL_Event* event) {
    using Poll = int (*)(SDL_Event*);
    static const Poll real = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
    const int result = real(event);
    if (result == 1 && event != nullptr && event->type == SDL_KEYDOWN) note(event->key.keysym.sym);
    return result;
}
