#pragma once
// An RGB picture in memory for the maps the loader composes: tiles pasted in, the cache marked,
// a line of text drawn with the small built-in font of MapFont.
#include <cstdint>
#include <string_view>
#include <vector>

namespace vellora {

struct RgbColor {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const RgbColor&) const = default;
};

class Raster {
public:
    Raster() = default;
    Raster(int width, int height, RgbColor fill = {255, 255, 255});

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ == 0 || height_ == 0; }
    // Rows top first, three bytes a pixel.
    const std::vector<std::uint8_t>& bytes() const { return px_; }
    std::vector<std::uint8_t>& bytes() { return px_; }

    RgbColor at(int x, int y) const;
    // Pixels outside the picture are ignored.
    void set(int x, int y, RgbColor c);
    // Mixes c into the pixel with the weight alpha/255.
    void blend(int x, int y, RgbColor c, int alpha);
    // Copies source with its top left corner at (x, y), clipped.
    void paste(const Raster& source, int x, int y);
    void fillRect(int x, int y, int w, int h, RgbColor c, int alpha = 255);
    void ring(int cx, int cy, int radius, int thickness, RgbColor c);
    void line(int x0, int y0, int x1, int y1, int thickness, RgbColor c);
    // Windows-1252 text with its top left at (x, y); characters the font lacks are left as gaps.
    void text(int x, int y, std::string_view text, RgbColor c);

private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> px_;
};

}  // namespace vellora
