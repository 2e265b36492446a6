// Sanitizer settings built into the test binary of the sanitizer build, so the
// tests run the same from ctest and by hand.

// SDL's libraries have no frame pointers: only the slow unwinder sees through
// them, and the leak suppressions below match on the frames it finds.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

// Say nothing of the suppressed leaks when there is nothing else.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }

// Only leaks made inside the libraries belong here.
extern "C" const char* __lsan_default_suppressions() {
    // sdl12-compat (libSDL-1.2.so.0): SDL_Quit does not free the display surface
    // that SDL_SetVideoMode made, nor its pixels; SDL 1.2 forbids the program to
    // free that surface itself.
    return "leak:SDL_SetVideoMode\n";
}
