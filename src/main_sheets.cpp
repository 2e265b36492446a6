// The sprite sheets on their way in, and the drawing back end. Each sheet is
// checked against the layout the game cuts from it by its PNG header alone, so
// a huge picture is refused before it costs memory; then the four are decoded
// at once, each on a thread of its own, straight into the display's pixel
// order, which spares the conversion a loaded sheet would need.
#include <SDL_image.h>
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "main.h"
#include "tables.h"

namespace {

struct SheetSpec {
    const char* path;  // as the game names it in its messages
    int w, h;          // what the layout cuts from it
};

constexpr SheetSpec SHEET_SPECS[SHEET_COUNT] = {
    {"data/gfx/menu.png", MENU_SHEET_W, MENU_SHEET_H},
    {"data/gfx/lvl.png", LVL_SHEET_W, LVL_SHEET_H},
    {"data/gfx/anim.png", ANIM_SHEET_W, ANIM_SHEET_H},
    {"./data/gfx/joueur.png", RUNNER_SHEET_W, RUNNER_SHEET_H},
};

// A sheet must hold every picture cut from it; one more than twice as wide or
// as high as that is not a sheet of this game, and would only cost memory.
constexpr int SHEET_SLACK = 2;

bool fits(const SheetSpec& spec, int w, int h) {
    return w >= spec.w && h >= spec.h && w <= SHEET_SLACK * spec.w && h <= SHEET_SLACK * spec.h;
}

// What SDL_DisplayFormatAlpha makes of a picture on a 32-bit display.
constexpr Uint32 ARGB_MASKS[4] = {0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000};

Uint32 big_endian(const unsigned char* bytes) {
    return (Uint32{bytes[0]} << 24) | (Uint32{bytes[1]} << 16) | (Uint32{bytes[2]} << 8) | bytes[3];
}

// A PNG starts with its signature and then its IHDR chunk: width and height at
// bytes 16 to 23.
bool read_png_size(std::FILE* file, int* w, int* h) {
    unsigned char head[24];
    if (std::fread(head, 1, sizeof head, file) != sizeof head) return false;
    if (png_sig_cmp(head, 0, 8) != 0 || std::memcmp(head + 12, "IHDR", 4) != 0) return false;
    const Uint32 width = big_endian(head + 16);
    const Uint32 height = big_endian(head + 20);
    if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff) return false;
    *w = static_cast<int>(width);
    *h = static_cast<int>(height);
    return std::fseek(file, 0, SEEK_SET) == 0;
}

void png_failed(png_structp png, png_const_charp message) {
    SheetJob* job = static_cast<SheetJob*>(png_get_error_ptr(png));
    std::snprintf(job->error, sizeof job->error, "%s", message);
    std::longjmp(png_jmpbuf(png), 1);
}

void png_warned(png_structp, png_const_charp) {}

// On the worker thread: the whole PNG into the job's surface as 8-bit BGRA
// bytes, which is ARGB in a little-endian word. Only libpng runs here, no SDL.
// Whatever the PNG's colour type, the pixels come out as SDL_image and the
// display-format conversion would make them.
void decode(SheetJob* job) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, png_failed, png_warned);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    job->decoded = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, job->file);
        png_read_info(png, info);
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
        png_set_bgr(png);
#else
        png_set_swap_alpha(png);
#endif
        const int passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
        SDL_Surface* sheet = job->sheet;
        if (png_get_rowbytes(png, info) != static_cast<png_size_t>(sheet->w) * 4) {
            png_error(png, "unexpected row size");
        }
        for (int pass = 0; pass < passes; ++pass) {
            for (int y = 0; y < sheet->h; ++y) {
                png_read_row(png, static_cast<png_bytep>(sheet->pixels) + y * sheet->pitch,
                             nullptr);
            }
        }
        png_read_end(png, nullptr);
        job->decoded = true;
    } else if (info == nullptr) {
        std::snprintf(job->error, sizeof job->error, "out of memory");
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(job->file);
    job->file = nullptr;
}

// The plain way, for a sheet that is no PNG (SDL_image reads others by content).
SDL_Surface* load_other(const char* path) {
    SDL_Surface* loaded = IMG_Load(path);
    if (loaded == nullptr) {
        std::fprintf(stderr, "pelune: cannot load %s: %s\n", path, IMG_GetError());
        return nullptr;
    }
    SDL_Surface* sheet = SDL_DisplayFormatAlpha(loaded);
    if (sheet == nullptr) return loaded;
    SDL_FreeSurface(loaded);
    return sheet;
}

bool same_format(const SDL_PixelFormat* a, const SDL_PixelFormat* b) {
    return a->BitsPerPixel == b->BitsPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask &&
           a->Bmask == b->Bmask && a->Amask == b->Amask;
}

// A decoded sheet in the display's format with its alpha; converted only if
// this display wants another order than the one decoded into. A one-pixel
// probe tells, so the common case costs no copy of the sheet.
SDL_Surface* in_display_format(SDL_Surface* sheet) {
    SDL_Surface* pixel = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 32, ARGB_MASKS[0], ARGB_MASKS[1],
                                              ARGB_MASKS[2], ARGB_MASKS[3]);
    SDL_Surface* probe = pixel != nullptr ? SDL_DisplayFormatAlpha(pixel) : nullptr;
    const bool same = probe == nullptr || same_format(probe->format, sheet->format);
    SDL_FreeSurface(probe);
    SDL_FreeSurface(pixel);
    if (same) return sheet;
    SDL_Surface* converted = SDL_DisplayFormatAlpha(sheet);
    if (converted == nullptr) return sheet;
    SDL_FreeSurface(sheet);
    return converted;
}

}  // namespace

void prefer_software_rendering() {
    // sdl12-compat presents frames through an SDL 2 renderer; without a
    // graphics driver that is OpenGL on a software rasteriser, which maps some
    // 60 MB and costs more CPU than SDL's own software renderer. Both settings
    // are needed to keep OpenGL out; a user's own setting wins.
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
}

void Sheets_Start(SheetLoad* load) {
    for (int index = 0; index < SHEET_COUNT; ++index) {
        SheetJob* job = &load->jobs[index];
        const SheetSpec& spec = SHEET_SPECS[index];
        job->state = SHEET_OTHER;
        job->w = 0;
        job->h = 0;
        job->sheet = nullptr;
        job->file = nullptr;
        job->decoded = false;
        job->error[0] = '\0';
        // Never wait on a FIFO or a device where a picture should be.
        const int fd = open(spec.path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        struct stat status {};
        if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            std::snprintf(job->error, sizeof job->error, "%s",
                          fd < 0 ? std::strerror(errno) : "not a regular file");
            if (fd >= 0) close(fd);
            job->state = SHEET_FAILED;
            continue;
        }
        job->file = fdopen(fd, "rb");
        if (job->file == nullptr) {
            close(fd);
            continue;
        }
        if (!read_png_size(job->file, &job->w, &job->h)) {
            std::fclose(job->file);  // no PNG: SDL_image will try it
            job->file = nullptr;
            continue;
        }
        if (!fits(spec, job->w, job->h)) {
            std::fclose(job->file);
            job->file = nullptr;
            job->state = SHEET_REFUSED;
            continue;
        }
        job->sheet = SDL_CreateRGBSurface(SDL_SWSURFACE, job->w, job->h, 32, ARGB_MASKS[0],
                                          ARGB_MASKS[1], ARGB_MASKS[2], ARGB_MASKS[3]);
        if (job->sheet == nullptr) {
            std::fclose(job->file);
            job->file = nullptr;
            continue;
        }
        job->state = SHEET_DECODING;
        try {
            job->worker = std::thread(decode, job);
        } catch (const std::system_error&) {
            decode(job);  // no thread to be had: decoded here, one after the other
        }
    }
}

SDL_Surface* Sheets_Take(SheetLoad* load, int index) {
    SheetJob* job = &load->jobs[index];
    const SheetSpec& spec = SHEET_SPECS[index];
    if (job->worker.joinable()) job->worker.join();
    SDL_Surface* sheet = job->sheet;
    job->sheet = nullptr;
    switch (job->state) {
    case SHEET_FAILED:
        std::fprintf(stderr, "pelune: cannot load %s: %s\n", spec.path, job->error);
        return nullptr;
    case SHEET_DECODING:
        if (!job->decoded) {
            std::fprintf(stderr, "pelune: cannot load %s: %s\n", spec.path, job->error);
            SDL_FreeSurface(sheet);
            return nullptr;
        }
        return in_display_format(sheet);
    case SHEET_OTHER:
        sheet = load_other(spec.path);
        if (sheet == nullptr || fits(spec, sheet->w, sheet->h)) return sheet;
        job->w = sheet->w;
        job->h = sheet->h;
        SDL_FreeSurface(sheet);
        break;
    default:
        break;
    }
    std::fprintf(stderr, "pelune: cannot load %s: %dx%d pixels, the sheet is %dx%d\n", spec.path,
                 job->w, job->h, spec.w, spec.h);
    return nullptr;
}
