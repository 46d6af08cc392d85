#include "listing/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/MapFont.h"

namespace vellora {

Raster::Raster(int width, int height, RgbColor fill)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      px_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 3) {
    for (std::size_t i = 0; i < px_.size(); i += 3) {
        px_[i] = fill.r;
        px_[i + 1] = fill.g;
        px_[i + 2] = fill.b;
    }
}

RgbColor Raster::at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + x) * 3;
    return {px_[i], px_[i + 1], px_[i + 2]};
}

void Raster::set(int x, int y, RgbColor c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + x) * 3;
    px_[i] = c.r;
    px_[i + 1] = c.g;
    px_[i + 2] = c.b;
}

void Raster::blend(int x, int y, RgbColor c, int alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const RgbColor o = at(x, y);
    auto mix = [alpha](int a, int b) {
        return static_cast<std::uint8_t>((b * alpha + a * (255 - alpha)) / 255);
    };
    set(x, y, {mix(o.r, c.r), mix(o.g, c.g), mix(o.b, c.b)});
}

void Raster::paste(const Raster& source, int x, int y) {
    const int x0 = std::max(0, x), x1 = std::min(width_, x + source.width_);
    if (x0 >= x1) return;
    for (int row = std::max(0, y); row < std::min(height_, y + source.height_); ++row) {
        const auto* from = &source.px_[(static_cast<std::size_t>(row - y) * source.width_ + (x0 - x)) * 3];
        auto* to = &px_[(static_cast<std::size_t>(row) * width_ + x0) * 3];
        std::copy(from, from + static_cast<std::size_t>(x1 - x0) * 3, to);
    }
}

void Raster::fillRect(int x, int y, int w, int h, RgbColor c, int alpha) {
    for (int row = std::max(0, y); row < std::min(height_, y + h); ++row)
        for (int col = std::max(0, x); col < std::min(width_, x + w); ++col) blend(col, row, c, alpha);
}

void Raster::ring(int cx, int cy, int radius, int thickness, RgbColor c) {
    const double outer = radius + thickness / 2.0, inner = radius - thickness / 2.0;
    const int r = static_cast<int>(std::ceil(outer));
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const double d = std::hypot(dx, dy);
            if (d <= outer && d >= inner) set(cx + dx, cy + dy, c);
        }
}

void Raster::line(int x0, int y0, int x1, int y1, int thickness, RgbColor c) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    const int half = thickness / 2;
    for (int i = 0; i <= steps; ++i) {
        const int x = steps ? x0 + (x1 - x0) * i / steps : x0;
        const int y = steps ? y0 + (y1 - y0) * i / steps : y0;
        for (int dy = -half; dy < thickness - half; ++dy)
            for (int dx = -half; dx < thickness - half; ++dx) set(x + dx, y + dy, c);
    }
}

void Raster::text(int x, int y, std::string_view text, RgbColor c) {
    for (const char ch : text) {
        if (const auto* glyph = mapFontGlyph(static_cast<unsigned char>(ch)))
            for (int col = 0; col < kMapFontWidth; ++col)
                for (int row = 0; row < kMapFontHeight; ++row)
                    if ((*glyph)[static_cast<std::size_t>(col)] >> row & 1) set(x + col, y + row, c);
        x += kMapFontAdvance;
    }
}

}  // namespace vellora
