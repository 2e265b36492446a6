// SPDX-License-Identifier: MIT
// The sprite sheets on their way in, and the drawing back end. Each sheet is
// checked against the layout the game cuts from it by its PNG header alone, so
// a huge picture is refused before it costs memory; then the four are decoded
// at once, each on a thread of its own, straight into the display's pixel
// order, which spares the conversion a loaded sheet would need: an 8-bit RGBA
// PNG (every sheet the game ships) inflated in one go by libdeflate inside the
// sheet's own pixels, any other PNG by libpng, anything else by SDL_image.
#include <SDL_image.h>
#include <fcntl.h>
#include <libdeflate.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

#include "main.h"
#include "tables.h"

namespace {

struct SheetShape {
    const char* path;  // as the game names it in its messages
    int w, h;          // what the layout cuts from it
};

constexpr SheetShape SHEET_SHAPES[SHEET_COUNT] = {
    {"data/gfx/menu.png", MENU_SHEET_W, MENU_SHEET_H},
    {"data/gfx/lvl.png", LVL_SHEET_W, LVL_SHEET_H},
    {"data/gfx/anim.png", ANIM_SHEET_W, ANIM_SHEET_H},
    {"./data/gfx/joueur.png", RUNNER_SHEET_W, RUNNER_SHEET_H},
};

// A sheet must hold every picture cut from it; one more than twice as wide or
// as high as that is not a sheet of this game, and would only cost memory.
constexpr int SHEET_SLACK = 2;

bool fits(const SheetShape& shape, int w, int h) {
    return w >= shape.w && h >= shape.h && w <= SHEET_SLACK * shape.w && h <= SHEET_SLACK * shape.h;
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

// Rows kept below the picture, so that the inflated stream of an 8-bit RGBA
// PNG (each row four bytes a pixel plus one filter byte) fits in the sheet's
// own pixels and is unpacked there, with no second buffer. Left clear (alpha
// 0) once the picture is in: nothing is ever cut from them.
int spare_rows(int w, int h) { return (h + 4 * w - 1) / (4 * w); }

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// RGBA bytes to the display's BGRA, one row.
void to_bgra(Uint8* row, int w) {
    for (int x = 0; x < w; ++x) {
        Uint32 pixel;
        std::memcpy(&pixel, row + 4 * x, 4);
        pixel = (pixel & 0xff00ff00u) | ((pixel >> 16) & 0xffu) | ((pixel & 0xffu) << 16);
        std::memcpy(row + 4 * x, &pixel, 4);
    }
}

// Undoes the PNG row filters of an inflated 8-bit RGBA picture in place: row y
// moves from offset y (4w + 1) down to y 4w, over bytes already read, and is
// turned to BGRA once the row below it no longer needs it as it is.
void unfilter_rgba(Uint8* pixels, int w, int h) {
    const size_t stride = 4 * static_cast<size_t>(w);
    const std::vector<Uint8> zeros(stride, 0);
    for (int y = 0; y < h; ++y) {
        Uint8* row = pixels + y * stride;
        const Uint8* raw = pixels + y * (stride + 1);
        const int filter = raw[0];
        std::memmove(row, raw + 1, stride);
        const Uint8* up = y > 0 ? row - stride : zeros.data();
        switch (filter) {
        case 1:
            for (size_t i = 4; i < stride; ++i) row[i] = static_cast<Uint8>(row[i] + row[i - 4]);
            break;
        case 2:
            for (size_t i = 0; i < stride; ++i) row[i] = static_cast<Uint8>(row[i] + up[i]);
            break;
        case 3:
            for (size_t i = 0; i < 4; ++i) row[i] = static_cast<Uint8>(row[i] + up[i] / 2);
            for (size_t i = 4; i < stride; ++i) {
                row[i] = static_cast<Uint8>(row[i] + (row[i - 4] + up[i]) / 2);
            }
            break;
        case 4:
            for (size_t i = 0; i < 4; ++i) row[i] = static_cast<Uint8>(row[i] + up[i]);
            for (size_t i = 4; i < stride; ++i) {
                row[i] = static_cast<Uint8>(row[i] + paeth(row[i - 4], up[i], up[i - 4]));
            }
            break;
        default:
            break;
        }
        if (y > 0) to_bgra(row - stride, w);
    }
    if (h > 0) to_bgra(pixels + (h - 1) * stride, w);
}

// The common case, an 8-bit RGBA PNG without interlacing, inflated in one go
// with libdeflate (some four times as fast as zlib's stream) straight into the
// sheet's pixels. False, with the sheet untouched or half done, for any other
// PNG or a broken one: libpng then does it all again.
bool decode_rgba8(SheetJob* job) {
    SDL_Surface* sheet = job->sheet;
    struct stat status {};
    if (fstat(fileno(job->file), &status) != 0 || status.st_size < 8) return false;
    std::vector<Uint8> file(static_cast<size_t>(status.st_size));
    if (std::fread(file.data(), 1, file.size(), job->file) != file.size()) return false;
    // The IDAT data are gathered at the front of the same buffer, over chunks
    // already read.
    size_t stream = 0;
    for (size_t at = 8; at + 12 <= file.size();) {
        const size_t length = big_endian(&file[at]);
        if (length > file.size() - at - 12) return false;
        const Uint8* type = &file[at + 4];
        const Uint8* data = type + 4;
        if (libdeflate_crc32(0, type, length + 4) != big_endian(data + length)) return false;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            // 8-bit, RGBA, deflate, standard filters, not interlaced.
            if (length != 13 || std::memcmp(data + 8, "\x08\x06\0\0\0", 5) != 0) return false;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            std::memmove(&file[stream], data, length);
            stream += length;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        at += length + 12;
    }
    if (sheet->pitch != 4 * sheet->w) return false;
    const int h = job->h;
    const size_t inflated = static_cast<size_t>(h) * (4 * sheet->w + 1);
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    if (inflater == nullptr) return false;
    const libdeflate_result result =
        libdeflate_zlib_decompress(inflater, file.data(), stream, sheet->pixels, inflated, nullptr);
    libdeflate_free_decompressor(inflater);
    Uint8* pixels = static_cast<Uint8*>(sheet->pixels);
    for (int y = 0; y < h && result == LIBDEFLATE_SUCCESS; ++y) {
        if (pixels[static_cast<size_t>(y) * (4 * sheet->w + 1)] > 4) return false;
    }
    if (result != LIBDEFLATE_SUCCESS) return false;
    unfilter_rgba(pixels, sheet->w, h);
    return true;
}

// On the worker thread: the whole PNG into the job's surface as 8-bit BGRA
// bytes, which is ARGB in a little-endian word. Only libpng runs here, no SDL.
// Whatever the PNG's colour type, the pixels come out as SDL_image and the
// display-format conversion would make them.
void decode(SheetJob* job) {
    SDL_Surface* sheet = job->sheet;
    const size_t picture = static_cast<size_t>(sheet->pitch) * job->h;
    Uint8* pixels = static_cast<Uint8*>(sheet->pixels);
    const size_t spare = static_cast<size_t>(sheet->pitch) * (sheet->h - job->h);
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
    if (decode_rgba8(job)) {
        std::memset(pixels + picture, 0, spare);
        std::fclose(job->file);
        job->file = nullptr;
        job->decoded = true;
        return;
    }
    std::rewind(job->file);
#endif
    std::memset(pixels + picture, 0, spare);
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
        if (png_get_rowbytes(png, info) != static_cast<png_size_t>(sheet->w) * 4) {
            png_error(png, "unexpected row size");
        }
        for (int pass = 0; pass < passes; ++pass) {
            for (int y = 0; y < job->h; ++y) {
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

void Sheets_Start(SheetLoad* load) {
    // The level sheet, the largest by far, is the longest to decode: it goes first.
    constexpr int LARGEST_FIRST[SHEET_COUNT] = {SHEET_LEVEL, SHEET_MENU, SHEET_ANIM, SHEET_RUNNER};
    for (int index : LARGEST_FIRST) {
        SheetJob* job = &load->jobs[index];
        const SheetShape& shape = SHEET_SHAPES[index];
        job->state = SHEET_OTHER;
        job->w = 0;
        job->h = 0;
        job->sheet = nullptr;
        job->file = nullptr;
        job->decoded = false;
        job->error[0] = '\0';
        // Never wait on a FIFO or a device where a picture should be.
        const int fd = open(shape.path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
        if (!fits(shape, job->w, job->h)) {
            std::fclose(job->file);
            job->file = nullptr;
            job->state = SHEET_REFUSED;
            continue;
        }
        job->sheet =
            SDL_CreateRGBSurface(SDL_SWSURFACE, job->w, job->h + spare_rows(job->w, job->h), 32,
                                 ARGB_MASKS[0], ARGB_MASKS[1], ARGB_MASKS[2], ARGB_MASKS[3]);
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
    const SheetShape& shape = SHEET_SHAPES[index];
    if (job->worker.joinable()) job->worker.join();
    SDL_Surface* sheet = job->sheet;
    job->sheet = nullptr;
    switch (job->state) {
    case SHEET_FAILED:
        std::fprintf(stderr, "pelune: cannot load %s: %s\n", shape.path, job->error);
        return nullptr;
    case SHEET_DECODING:
        if (!job->decoded) {
            std::fprintf(stderr, "pelune: cannot load %s: %s\n", shape.path, job->error);
            SDL_FreeSurface(sheet);
            return nullptr;
        }
        return in_display_format(sheet);
    case SHEET_OTHER:
        sheet = load_other(shape.path);
        if (sheet == nullptr || fits(shape, sheet->w, sheet->h)) return sheet;
        job->w = sheet->w;
        job->h = sheet->h;
        SDL_FreeSurface(sheet);
        break;
    default:
        break;
    }
    std::fprintf(stderr, "pelune: cannot load %s: %dx%d pixels, the sheet is %dx%d\n", shape.path,
                 job->w, job->h, shape.w, shape.h);
    return nullptr;
}
