// SPDX-License-Identifier: MIT
// Fuzz harness for the sheet loader (libFuzzer, with AddressSanitizer and
// UBSan), kept out of the build and of the tests: tools/fuzz_sheets.sh builds
// it, makes its corpus and runs it. Each input is one sheet of a small layout,
// opened, judged and decoded exactly as start-up does; one the game accepts
// must also come out pixel for pixel as SDL_image and the display-format
// conversion make it, an independent decoder.
#include <SDL_image.h>

#include <cstdlib>

#include "../src/main_sheets.cpp"

namespace {

// Small, so an input is decoded in microseconds: 12x12 to 24x24 pixels.
constexpr SheetShape FUZZ_SHAPE = {"fuzz.png", 12, 12};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || SDL_SetVideoMode(32, 32, 32, SDL_SWSURFACE) == nullptr) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const Uint8* data, size_t size) {
    std::FILE* file = std::fopen(FUZZ_SHAPE.path, "wb");
    if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) {
        std::abort();
    }
    SheetJob job{};
    open_sheet(&job, FUZZ_SHAPE);
    if (job.state != SHEET_DECODING) return 0;
    decode(&job);
    if (!job.decoded) {
        SDL_FreeSurface(job.sheet);
        return 0;
    }
    SDL_Surface* ours = in_display_format(job.sheet);
    SDL_Surface* loaded = IMG_Load(FUZZ_SHAPE.path);
    SDL_Surface* theirs = loaded != nullptr ? SDL_DisplayFormatAlpha(loaded) : nullptr;
    // Accepted here, so SDL_image must read it too, and to the same pixels.
    if (theirs == nullptr || theirs->w != job.w || theirs->h != job.h) std::abort();
    for (int y = 0; y < job.h; ++y) {
        const Uint8* a = static_cast<const Uint8*>(ours->pixels) + y * ours->pitch;
        const Uint8* b = static_cast<const Uint8*>(theirs->pixels) + y * theirs->pitch;
        if (std::memcmp(a, b, 4 * static_cast<size_t>(job.w)) != 0) std::abort();
    }
    SDL_FreeSurface(theirs);
    SDL_FreeSurface(loaded);
    SDL_FreeSurface(ours);
    return 0;
}
