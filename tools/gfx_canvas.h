// SPDX-License-Identifier: MIT
// Drawing kit of the art generator: an RGBA image, a few shapes, masks for text
// and outlines, ordered dithering, a seeded random source and the PNG writer.
// Everything is integer or plain float arithmetic, so a run draws the same bytes
// every time.
#ifndef PELUNE_TOOLS_GFX_CANVAS_H
#define PELUNE_TOOLS_GFX_CANVAS_H

#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

constexpr Rgba hex(std::uint32_t rgb, int alpha = 255) {
    return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb),
            static_cast<std::uint8_t>(alpha)};
}
constexpr Rgba with_alpha(Rgba c, int alpha) {
    return {c.r, c.g, c.b, static_cast<std::uint8_t>(alpha)};
}
// Straight blend of the colour channels, t from 0 (a) to 1 (b); alpha from a.
Rgba mix(Rgba a, Rgba b, float t);

class Image {
public:
    Image() = default;
    Image(int w, int h, Rgba fill = {});
    int w() const { return w_; }
    int h() const { return h_; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    // Transparent outside the image.
    Rgba get(int x, int y) const;
    // Overwrites, alpha included; ignored outside.
    void put(int x, int y, Rgba c);
    // Source-over; ignored outside.
    void blend(int x, int y, Rgba c);
    void fill(int x, int y, int w, int h, Rgba c);        // overwrite
    void blend_fill(int x, int y, int w, int h, Rgba c);  // source-over
    void draw(const Image& src, int dx, int dy);          // source-over
    void copy(const Image& src, int dx, int dy);          // overwrite
    const std::vector<Rgba>& pixels() const { return px_; }

private:
    int w_ = 0, h_ = 0;
    std::vector<Rgba> px_;
};

// A one-bit picture: text, silhouettes, outlines.
class Mask {
public:
    Mask() = default;
    Mask(int w, int h);
    int w() const { return w_; }
    int h() const { return h_; }
    bool get(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_ && bits_[y * w_ + x]; }
    void set(int x, int y, bool on = true) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) bits_[y * w_ + x] = on;
    }
    // Whole mask grown by `pad` on every side, the bits in the middle.
    Mask padded(int pad) const;
    // Every pixel within `r` (chessboard distance when square, else 4-neighbour steps).
    Mask dilated(int r, bool square = true) const;
    // Nearest-neighbour enlargement.
    Mask scaled(int factor) const;
    // One pass of Scale2x: doubles the size and rounds the staircase corners.
    Mask smooth2x() const;

private:
    int w_ = 0, h_ = 0;
    std::vector<std::uint8_t> bits_;
};

// Paints the mask's set pixels in one colour, source-over.
void paint(Image& img, const Mask& m, int x, int y, Rgba c);
// Paints the mask in horizontal bands of the ramp's colours, top to bottom.
void paint_ramp(Image& img, const Mask& m, int x, int y, const std::vector<Rgba>& ramp);

// Shapes, source-over, sampled at pixel centres.
void disc(Image& img, float cx, float cy, float r, Rgba c);
void ellipse(Image& img, float cx, float cy, float rx, float ry, Rgba c);
void capsule(Image& img, float x0, float y0, float x1, float y1, float r, Rgba c);
void polygon(Image& img, const std::vector<float>& xy, Rgba c);
void line(Image& img, int x0, int y0, int x1, int y1, Rgba c);
// A rectangle with its corners cut by `r` pixels (pixel-art rounding).
void round_rect(Image& img, int x, int y, int w, int h, int r, Rgba c);
// Every transparent pixel touching an opaque one (4-neighbours) becomes c.
void outline(Image& img, Rgba c);
// Every transparent pixel walled in by drawn ones (the counters of an O or a G)
// becomes c.
void fill_holes(Image& img, Rgba c);

// 4x4 Bayer threshold in [0, 1).
float bayer(int x, int y);
// Vertical ramp across rows y0..y1 (inclusive) of columns x0..x1, dithered.
void dither_ramp(Image& img, int x0, int y0, int x1, int y1, const std::vector<Rgba>& ramp);

// Small seeded generator (xorshift32): same seed, same picture.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : s_(seed ? seed : 0x9E3779B9u) {}
    std::uint32_t next();
    int range(int lo, int hi);  // lo..hi inclusive
    float unit();               // [0, 1)

private:
    std::uint32_t s_;
};

bool save_png(const std::string& path, const Image& img);

#endif
