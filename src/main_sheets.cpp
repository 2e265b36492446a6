// SPDX-License-Identifier: MIT
// The sprite sheets on their way in, and the drawing back end. Each sheet is
// checked against the layout the game cuts from it by its PNG header alone, so
// a huge picture is refused before it costs memory; then the four are decoded
// at once, each on a thread of its own, straight into the display's pixel
// order, which spares the conversion a loaded sheet would need: an 8-bit RGBA
// PNG (every sheet the game ships) inflated in one go by libdeflate inside the
// sheet's own pixels, any other PNG by libpng, held to the same limits. Only a
// PNG is a sheet: anything else is refused by its first bytes, and no byte is
// read beyond what a PNG of its header's size can need.
#include <libdeflate.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <system_error>
#include <vector>

#include "main.h"
#include "tables.h"

namespace {

static_assert(std::size(SHEET_SHAPES) == SHEET_COUNT, "a shape for every sheet");

// What SDL_DisplayFormatAlpha makes of a picture on a 32-bit display.
constexpr Uint32 ARGB_MASKS[4] = {0x00ff0000, 0x0000ff00, 0x000000ff, 0xff000000};

Uint32 big_endian(const unsigned char* bytes) {
    return (Uint32{bytes[0]} << 24) | (Uint32{bytes[1]} << 16) | (Uint32{bytes[2]} << 8) | bytes[3];
}

// Bytes of the header a sheet is judged by: the signature, then the IHDR chunk
// (length, type, 13 bytes of data, checksum).
constexpr size_t PNG_HEAD = 33;
// What a PNG holds beside its image data (palette, text, colour profile) and
// the most libpng may set aside for one such chunk.
constexpr long long PNG_ANCILLARY_MOST = 1 << 20;
// What libpng may still read once every row is in: the end of the image data
// and a few small chunks. Beyond that it would go on inflating data the
// picture cannot hold only to throw it away (a compressed bomb: seconds).
constexpr long long PNG_AFTER_ROWS_MOST = 64 << 10;
// Samples in a pixel of each PNG colour type (0: no such type).
constexpr int PNG_CHANNELS[7] = {1, 0, 3, 1, 2, 0, 4};
// The largest sample a sheet may use, and its widest pixel (16-bit RGBA).
constexpr int PNG_DEPTH_MOST = 16;
constexpr int PNG_CHANNELS_MOST = 4;

// The most bytes a PNG of this size and pixel can need: every row unpacked
// with its filter byte, stored without compression (a deflate block header in
// some 65,000 bytes, a chunk header in some 8,000 at the least) plus what is
// not image data. Anything longer carries bytes the picture cannot use.
long long png_most(long long w, long long h, int bits) {
    const long long raw = h * ((w * bits + 7) / 8 + 1);
    return raw + raw / 16 + PNG_ANCILLARY_MOST;
}

// A PNG starts with its signature and then its IHDR chunk: width and height at
// bytes 16 to 23, bit depth, colour type and interlacing at 24, 25 and 28. Null
// when the header describes a picture, else why not.
const char* read_png_head(std::FILE* file, SheetJob* job) {
    unsigned char head[PNG_HEAD];
    const size_t got = std::fread(head, 1, sizeof head, file);
    if (png_sig_cmp(head, 0, got < 8 ? got : 8) != 0) return "not a PNG picture";
    if (got < sizeof head) return "cut short in its PNG header";
    if (std::memcmp(head + 8, "\0\0\0\x0dIHDR", 8) != 0 ||
        libdeflate_crc32(0, head + 12, 17) != big_endian(head + 29)) {
        return "damaged PNG header";
    }
    const Uint32 width = big_endian(head + 16);
    const Uint32 height = big_endian(head + 20);
    if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff) {
        return "damaged PNG header";
    }
    job->w = static_cast<int>(width);
    job->h = static_cast<int>(height);
    const int depth = head[24];
    const int colour = head[25];
    const int channels = colour < 7 ? PNG_CHANNELS[colour] : 0;
    // A header libpng would refuse anyway is given the widest pixel here.
    const bool known = channels > 0 && depth > 0 && depth <= PNG_DEPTH_MOST;
    job->bits = known ? channels * depth : PNG_CHANNELS_MOST * PNG_DEPTH_MOST;
    job->fast = SDL_BYTEORDER == SDL_LIL_ENDIAN && depth == 8 && colour == 6 &&
                std::memcmp(head + 26, "\0\0\0", 3) == 0;
    std::rewind(file);
    return nullptr;
}

void png_failed(png_structp png, png_const_charp message) {
    SheetJob* job = static_cast<SheetJob*>(png_get_error_ptr(png));
    std::snprintf(job->error, sizeof job->error, "%s", message);
    std::longjmp(png_jmpbuf(png), 1);
}

// A warning from libpng means a damaged file (a bad checksum, image data left
// over or missing, a palette too short): the sheet would be drawn wrong.
void png_warned(png_structp png, png_const_charp message) { png_error(png, message); }

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
// sheet's pixels. Null when done, else why the PNG is broken: it is refused as
// it is, never handed on to a slower decoder that would make more of it.
const char* decode_rgba8(SheetJob* job) {
    SDL_Surface* sheet = job->sheet;
    struct stat status {};
    if (fstat(fileno(job->file), &status) != 0) return std::strerror(errno);
    std::vector<Uint8> file(static_cast<size_t>(status.st_size));
    if (std::fread(file.data(), 1, file.size(), job->file) != file.size()) return "cannot be read";
    // The IDAT data are gathered at the front of the same buffer, over chunks
    // already read.
    size_t stream = 0;
    bool ended = false;
    for (size_t at = 8; !ended && at + 12 <= file.size();) {
        const size_t length = big_endian(&file[at]);
        if (length > file.size() - at - 12) break;
        const Uint8* type = &file[at + 4];
        const Uint8* data = type + 4;
        if (libdeflate_crc32(0, type, length + 4) != big_endian(data + length)) {
            return "damaged (a chunk's checksum is wrong)";
        }
        if (std::memcmp(type, "IDAT", 4) == 0) {
            std::memmove(&file[stream], data, length);
            stream += length;
        }
        ended = std::memcmp(type, "IEND", 4) == 0;
        at += length + 12;
    }
    if (!ended) return "cut short";
    if (sheet->pitch != 4 * sheet->w) return "no room for its pixels";
    const int h = job->h;
    const size_t inflated = static_cast<size_t>(h) * (4 * sheet->w + 1);
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    if (inflater == nullptr) return "out of memory";
    const libdeflate_result result =
        libdeflate_zlib_decompress(inflater, file.data(), stream, sheet->pixels, inflated, nullptr);
    libdeflate_free_decompressor(inflater);
    if (result == LIBDEFLATE_SHORT_OUTPUT) return "image data cut short";
    if (result == LIBDEFLATE_INSUFFICIENT_SPACE) return "more image data than its size holds";
    if (result != LIBDEFLATE_SUCCESS) return "damaged image data";
    Uint8* pixels = static_cast<Uint8*>(sheet->pixels);
    for (int y = 0; y < h; ++y) {
        if (pixels[static_cast<size_t>(y) * (4 * sheet->w + 1)] > 4) return "damaged image data";
    }
    unfilter_rgba(pixels, sheet->w, h);
    return nullptr;
}

// Each row's palette indices (one byte a pixel, at the row's start) turned into
// ARGB pixels in place, from the right; an index the palette lacks is damage.
void look_up_palette(png_structp png, png_infop info, SheetJob* job) {
    png_colorp palette = nullptr;
    int colours = 0;
    png_bytep alphas = nullptr;
    int opaque_from = 0;
    png_get_PLTE(png, info, &palette, &colours);
    if (png_get_tRNS(png, info, &alphas, &opaque_from, nullptr) == 0) opaque_from = 0;
    for (int y = 0; y < job->h; ++y) {
        Uint8* row = static_cast<Uint8*>(job->sheet->pixels) + y * job->sheet->pitch;
        for (int x = job->w - 1; x >= 0; --x) {
            const int index = row[x];
            if (index >= colours) png_error(png, "a palette shorter than its indices");
            const Uint32 alpha = index < opaque_from ? alphas[index] : 0xff;
            const png_color colour = palette[index];
            const Uint32 pixel = (alpha << 24) | (Uint32{colour.red} << 16) |
                                 (Uint32{colour.green} << 8) | colour.blue;
            std::memcpy(row + 4 * x, &pixel, 4);
        }
    }
}

// libpng's reads, counted against what it may still read.
struct PngSource {
    std::FILE* file;
    long long left;
};

void png_read_bytes(png_structp png, png_bytep out, size_t n) {
    PngSource* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (static_cast<long long>(n) > source->left)
        png_error(png, "more image data than its size holds");
    source->left -= static_cast<long long>(n);
    if (std::fread(out, 1, n, source->file) != n) png_error(png, "cut short");
}

// Any other PNG through libpng, held to the sheet's size and to small chunks,
// with every checksum error, leftover or missing image data and warning taken
// as the damage it is. Pixels as SDL_image and the display-format conversion
// would make them.
void decode_png(SheetJob* job) {
    SDL_Surface* sheet = job->sheet;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, job, png_failed, png_warned);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    PngSource source{job->file, LLONG_MAX};
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_set_user_limits(png, static_cast<Uint32>(job->w), static_cast<Uint32>(job->h));
        png_set_chunk_malloc_max(png, PNG_ANCILLARY_MOST);
        png_set_benign_errors(png, 0);
        png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
        png_set_read_fn(png, &source, png_read_bytes);
        png_read_info(png, info);
        // Palette indices are read as they are and looked up here: libpng
        // would draw an index beyond a short palette as black, without a word.
        const bool indexed = png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE;
        if (indexed) {
            png_set_packing(png);
        } else {
            png_set_expand(png);
            png_set_strip_16(png);
            png_set_gray_to_rgb(png);
            png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
            png_set_bgr(png);
#else
            png_set_swap_alpha(png);
#endif
        }
        const int passes = png_set_interlace_handling(png);
        png_read_update_info(png, info);
        if (png_get_rowbytes(png, info) != static_cast<png_size_t>(sheet->w) * (indexed ? 1 : 4)) {
            png_error(png, "unexpected row size");
        }
        for (int pass = 0; pass < passes; ++pass) {
            for (int y = 0; y < job->h; ++y) {
                // The last row (libpng then reads to the end of the image data)
                // may need a row's worth, stored, and what follows it.
                if (pass == passes - 1 && y == job->h - 1) {
                    source.left = PNG_AFTER_ROWS_MOST + 3LL * sheet->pitch;
                }
                png_read_row(png, static_cast<png_bytep>(sheet->pixels) + y * sheet->pitch,
                             nullptr);
            }
        }
        png_read_end(png, nullptr);
        if (indexed) look_up_palette(png, info, job);
        job->decoded = true;
    } else if (info == nullptr) {
        std::snprintf(job->error, sizeof job->error, "out of memory");
    }
    png_destroy_read_struct(&png, &info, nullptr);
}

// On the worker thread: the whole PNG into the job's surface as 8-bit BGRA
// bytes, which is ARGB in a little-endian word. No SDL call runs here.
void decode(SheetJob* job) {
    SDL_Surface* sheet = job->sheet;
    Uint8* pixels = static_cast<Uint8*>(sheet->pixels);
    const size_t picture = static_cast<size_t>(sheet->pitch) * job->h;
    job->decoded = false;
    if (job->fast) {
        const char* broken = decode_rgba8(job);
        job->decoded = broken == nullptr;
        if (broken != nullptr) std::snprintf(job->error, sizeof job->error, "%s", broken);
    } else {
        decode_png(job);
    }
    std::memset(pixels + picture, 0, static_cast<size_t>(sheet->pitch) * (sheet->h - job->h));
    std::fclose(job->file);
    job->file = nullptr;
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

// Opens the sheet and judges it by its header and size: SHEET_DECODING with
// its surface made when it may be decoded, else why not in the job.
void open_sheet(SheetJob* job, const SheetShape& shape) {
    job->state = SHEET_FAILED;
    job->w = 0;
    job->h = 0;
    job->sheet = nullptr;
    job->decoded = false;
    job->error[0] = '\0';
    // The largest PNG any sheet of this layout can be, read by nobody.
    const long long most =
        png_most(SHEET_SLACK * shape.w, SHEET_SLACK * shape.h, PNG_CHANNELS_MOST * PNG_DEPTH_MOST);
    job->file = Data_Open(shape.path, most, 0, job->error);
    if (job->file == nullptr) return;
    const char* wrong = read_png_head(job->file, job);
    const bool fit = wrong == nullptr && Sheet_Fits(shape, job->w, job->h);
    struct stat status {};
    if (fit && fstat(fileno(job->file), &status) == 0 &&
        status.st_size > png_most(job->w, job->h, job->bits)) {
        wrong = "longer than a PNG of its size can be";
    }
    if (fit && wrong == nullptr) {
        job->sheet =
            SDL_CreateRGBSurface(SDL_SWSURFACE, job->w, job->h + spare_rows(job->w, job->h), 32,
                                 ARGB_MASKS[0], ARGB_MASKS[1], ARGB_MASKS[2], ARGB_MASKS[3]);
        if (job->sheet == nullptr) wrong = "out of memory";
    }
    if (job->sheet != nullptr) {
        job->state = SHEET_DECODING;
        return;
    }
    if (wrong != nullptr) std::snprintf(job->error, sizeof job->error, "%s", wrong);
    if (wrong == nullptr) job->state = SHEET_REFUSED;
    std::fclose(job->file);
    job->file = nullptr;
}

}  // namespace

void Sheets_Start(SheetLoad* load) {
    // The level sheet, the largest by far, is the longest to decode: it goes first.
    constexpr int LARGEST_FIRST[SHEET_COUNT] = {SHEET_LEVEL, SHEET_MENU, SHEET_ANIM, SHEET_RUNNER};
    for (int index : LARGEST_FIRST) {
        SheetJob* job = &load->jobs[index];
        open_sheet(job, SHEET_SHAPES[index]);
        if (job->state != SHEET_DECODING) continue;
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
    if (job->state == SHEET_DECODING && job->decoded) return in_display_format(sheet);
    SDL_FreeSurface(sheet);
    if (job->state == SHEET_REFUSED) {
        std::fprintf(stderr, "pelune: cannot load %s: %dx%d pixels, the sheet is %dx%d\n",
                     shape.path, job->w, job->h, shape.w, shape.h);
    } else {
        char why[4 * sizeof job->error];
        std::fprintf(stderr, "pelune: cannot load %s: %s\n", shape.path,
                     Text_Escape(job->error, why, sizeof why));
    }
    return nullptr;
}
