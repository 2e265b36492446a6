// SPDX-License-Identifier: MIT
#include "gfx_canvas.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

Rgba mix(Rgba a, Rgba b, float t) {
    auto lerp = [t](int p, int q) { return static_cast<std::uint8_t>(std::lround(p + (q - p) * t)); };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b), a.a};
}

// ---- Image ----

Image::Image(int w, int h, Rgba fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}

Rgba Image::get(int x, int y) const {
    return inside(x, y) ? px_[static_cast<size_t>(y) * w_ + x] : Rgba{};
}

void Image::put(int x, int y, Rgba c) {
    if (inside(x, y)) px_[static_cast<size_t>(y) * w_ + x] = c;
}

void Image::blend(int x, int y, Rgba c) {
    if (!inside(x, y) || c.a == 0) return;
    Rgba& d = px_[static_cast<size_t>(y) * w_ + x];
    if (c.a == 255 || d.a == 0) {
        d = c;
        return;
    }
    // Straight-alpha source-over in integers (scaled by 255 * 255).
    const int sa = c.a;
    const int da = d.a * (255 - sa);  // already times 255
    const int oa = sa * 255 + da;
    auto channel = [&](int s, int t) { return static_cast<std::uint8_t>((s * sa * 255 + t * da + oa / 2) / oa); };
    d = {channel(c.r, d.r), channel(c.g, d.g), channel(c.b, d.b), static_cast<std::uint8_t>((oa + 127) / 255)};
}

void Image::fill(int x, int y, int w, int h, Rgba c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            put(i, j, c);
}

void Image::blend_fill(int x, int y, int w, int h, Rgba c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            blend(i, j, c);
}

void Image::draw(const Image& src, int dx, int dy) {
    for (int j = 0; j < src.h(); ++j)
        for (int i = 0; i < src.w(); ++i)
            blend(dx + i, dy + j, src.get(i, j));
}

void Image::copy(const Image& src, int dx, int dy) {
    for (int j = 0; j < src.h(); ++j)
        for (int i = 0; i < src.w(); ++i)
            put(dx + i, dy + j, src.get(i, j));
}

// ---- Mask ----

Mask::Mask(int w, int h) : w_(w), h_(h), bits_(static_cast<size_t>(w) * h, 0) {}

Mask Mask::padded(int pad) const {
    Mask out(w_ + 2 * pad, h_ + 2 * pad);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x)
            if (get(x, y)) out.set(x + pad, y + pad);
    return out;
}

Mask Mask::dilated(int r, bool square) const {
    Mask out = *this;
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            if (get(x, y)) continue;
            bool hit = false;
            for (int j = -r; j <= r && !hit; ++j)
                for (int i = -r; i <= r && !hit; ++i) {
                    if (!square && std::abs(i) + std::abs(j) > r) continue;
                    hit = get(x + i, y + j);
                }
            if (hit) out.set(x, y);
        }
    return out;
}

Mask Mask::scaled(int factor) const {
    Mask out(w_ * factor, h_ * factor);
    for (int y = 0; y < out.h(); ++y)
        for (int x = 0; x < out.w(); ++x)
            out.set(x, y, get(x / factor, y / factor));
    return out;
}

Mask Mask::smooth2x() const {
    Mask out(w_ * 2, h_ * 2);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            const bool p = get(x, y), a = get(x, y - 1), b = get(x + 1, y), c = get(x - 1, y), d = get(x, y + 1);
            bool e0 = p, e1 = p, e2 = p, e3 = p;
            if (c == a && c != d && a != b) e0 = a;
            if (a == b && a != c && b != d) e1 = b;
            if (d == c && d != b && c != a) e2 = c;
            if (b == d && b != a && d != c) e3 = d;
            out.set(2 * x, 2 * y, e0);
            out.set(2 * x + 1, 2 * y, e1);
            out.set(2 * x, 2 * y + 1, e2);
            out.set(2 * x + 1, 2 * y + 1, e3);
        }
    return out;
}

void paint(Image& img, const Mask& m, int x, int y, Rgba c) {
    for (int j = 0; j < m.h(); ++j)
        for (int i = 0; i < m.w(); ++i)
            if (m.get(i, j)) img.blend(x + i, y + j, c);
}

void paint_ramp(Image& img, const Mask& m, int x, int y, const std::vector<Rgba>& ramp) {
    // Only the rows that hold set bits count, so the bands span the letters.
    int top = m.h(), bottom = -1;
    for (int j = 0; j < m.h(); ++j)
        for (int i = 0; i < m.w(); ++i)
            if (m.get(i, j)) {
                top = std::min(top, j);
                bottom = std::max(bottom, j);
            }
    if (bottom < 0) return;
    const int n = static_cast<int>(ramp.size());
    for (int j = top; j <= bottom; ++j) {
        const int band = std::min(n - 1, (j - top) * n / (bottom - top + 1));
        for (int i = 0; i < m.w(); ++i)
            if (m.get(i, j)) img.blend(x + i, y + j, ramp[band]);
    }
}

// ---- Shapes ----

void disc(Image& img, float cx, float cy, float r, Rgba c) {
    ellipse(img, cx, cy, r, r, c);
}

void ellipse(Image& img, float cx, float cy, float rx, float ry, Rgba c) {
    const int x0 = static_cast<int>(std::floor(cx - rx)), x1 = static_cast<int>(std::ceil(cx + rx));
    const int y0 = static_cast<int>(std::floor(cy - ry)), y1 = static_cast<int>(std::ceil(cy + ry));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float u = (x + 0.5f - cx) / rx, v = (y + 0.5f - cy) / ry;
            if (u * u + v * v <= 1.0f) img.blend(x, y, c);
        }
}

void capsule(Image& img, float x0, float y0, float x1, float y1, float r, Rgba c) {
    const int bx0 = static_cast<int>(std::floor(std::min(x0, x1) - r)),
              bx1 = static_cast<int>(std::ceil(std::max(x0, x1) + r));
    const int by0 = static_cast<int>(std::floor(std::min(y0, y1) - r)),
              by1 = static_cast<int>(std::ceil(std::max(y0, y1) + r));
    const float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    for (int y = by0; y <= by1; ++y)
        for (int x = bx0; x <= bx1; ++x) {
            const float px = x + 0.5f - x0, py = y + 0.5f - y0;
            float t = len2 > 0 ? (px * dx + py * dy) / len2 : 0.f;
            t = std::clamp(t, 0.f, 1.f);
            const float ex = px - t * dx, ey = py - t * dy;
            if (ex * ex + ey * ey <= r * r) img.blend(x, y, c);
        }
}

void polygon(Image& img, const std::vector<float>& xy, Rgba c) {
    const size_t n = xy.size() / 2;
    if (n < 3) return;
    float ymin = xy[1], ymax = xy[1];
    for (size_t i = 0; i < n; ++i) {
        ymin = std::min(ymin, xy[2 * i + 1]);
        ymax = std::max(ymax, xy[2 * i + 1]);
    }
    for (int y = static_cast<int>(std::floor(ymin)); y <= static_cast<int>(std::ceil(ymax)); ++y) {
        const float sy = y + 0.5f;
        std::vector<float> xs;
        for (size_t i = 0; i < n; ++i) {
            const float ax = xy[2 * i], ay = xy[2 * i + 1];
            const float bx = xy[2 * ((i + 1) % n)], by = xy[2 * ((i + 1) % n) + 1];
            if ((ay <= sy && by > sy) || (by <= sy && ay > sy)) xs.push_back(ax + (sy - ay) / (by - ay) * (bx - ax));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int x = static_cast<int>(std::ceil(xs[k] - 0.5f)); x + 0.5f <= xs[k + 1]; ++x)
                img.blend(x, y, c);
    }
}

void line(Image& img, int x0, int y0, int x1, int y1, Rgba c) {
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (;;) {
        img.blend(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void round_rect(Image& img, int x, int y, int w, int h, int r, Rgba c) {
    for (int j = 0; j < h; ++j) {
        const int from_edge = std::min(j, h - 1 - j);
        const int cut = from_edge < r ? r - from_edge : 0;
        img.blend_fill(x + cut, y + j, w - 2 * cut, 1, c);
    }
}

void outline(Image& img, Rgba c) {
    const Image before = img;
    for (int y = 0; y < img.h(); ++y)
        for (int x = 0; x < img.w(); ++x) {
            if (before.get(x, y).a != 0) continue;
            if (before.get(x - 1, y).a || before.get(x + 1, y).a || before.get(x, y - 1).a || before.get(x, y + 1).a)
                img.put(x, y, c);
        }
}

void fill_holes(Image& img, Rgba c) {
    // Flood the clear pixels from the border; the ones it cannot reach are holes.
    std::vector<std::uint8_t> outside(static_cast<std::size_t>(img.w() * img.h()), 0);
    std::vector<int> todo;
    auto reach = [&](int x, int y) {
        if (!img.inside(x, y) || img.get(x, y).a != 0 || outside[y * img.w() + x]) return;
        outside[y * img.w() + x] = 1;
        todo.push_back(y * img.w() + x);
    };
    for (int x = 0; x < img.w(); ++x) reach(x, 0), reach(x, img.h() - 1);
    for (int y = 0; y < img.h(); ++y) reach(0, y), reach(img.w() - 1, y);
    while (!todo.empty()) {
        const int at = todo.back();
        todo.pop_back();
        const int x = at % img.w(), y = at / img.w();
        reach(x - 1, y), reach(x + 1, y), reach(x, y - 1), reach(x, y + 1);
    }
    for (int y = 0; y < img.h(); ++y)
        for (int x = 0; x < img.w(); ++x)
            if (img.get(x, y).a == 0 && !outside[y * img.w() + x]) img.put(x, y, c);
}

float bayer(int x, int y) {
    static const int M[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (M[y & 3][x & 3] + 0.5f) / 16.f;
}

void dither_ramp(Image& img, int x0, int y0, int x1, int y1, const std::vector<Rgba>& ramp) {
    const int steps = static_cast<int>(ramp.size()) - 1;
    for (int y = y0; y <= y1; ++y) {
        const float t = y1 == y0 ? 0.f : static_cast<float>(y - y0) / static_cast<float>(y1 - y0) * steps;
        const int k = std::min(static_cast<int>(t), steps);
        const float f = t - static_cast<float>(k);
        for (int x = x0; x <= x1; ++x)
            img.blend(x, y, (k < steps && f > bayer(x, y)) ? ramp[k + 1] : ramp[k]);
    }
}

// ---- Random ----

std::uint32_t Rng::next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
}

int Rng::range(int lo, int hi) {
    return lo + static_cast<int>(next() % static_cast<std::uint32_t>(hi - lo + 1));
}

float Rng::unit() {
    return static_cast<float>(next() >> 8) / 16777216.f;
}

// ---- PNG ----

bool save_png(const std::string& path, const Image& img) {
    png_image out{};
    out.version = PNG_IMAGE_VERSION;
    out.width = static_cast<png_uint_32>(img.w());
    out.height = static_cast<png_uint_32>(img.h());
    out.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(img.pixels().size() * 4);
    for (const Rgba& p : img.pixels()) {
        // Fully transparent pixels carry no colour, so they all compare equal.
        const Rgba q = p.a ? p : Rgba{};
        bytes.insert(bytes.end(), {q.r, q.g, q.b, q.a});
    }
    if (!png_image_write_to_file(&out, path.c_str(), 0, bytes.data(), 0, nullptr)) {
        std::fprintf(stderr, "pelune_assets: cannot write %s: %s\n", path.c_str(), out.message);
        return false;
    }
    return true;
}
