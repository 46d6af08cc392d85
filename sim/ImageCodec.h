#pragma once
// Small raster canvas and the three encoders the stand-in serves images with: GIF (own LZW
// encoder, fixed 252-colour palette), PNG (zlib) and JPEG (libjpeg). All are deterministic:
// the same pixels give the same bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace vellora::sim {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

class Canvas {
public:
    Canvas(int width, int height, Rgb fill = {255, 255, 255});

    int width() const { return w_; }
    int height() const { return h_; }
    const std::vector<std::uint8_t>& pixels() const { return px_; }  // RGB rows, top first

    void set(int x, int y, Rgb c);
    Rgb get(int x, int y) const;
    void fillRect(int x0, int y0, int x1, int y1, Rgb c);  // inclusive-exclusive
    void verticalGradient(Rgb top, Rgb bottom);
    void line(int x0, int y0, int x1, int y1, Rgb c, int thickness = 1);
    void disc(int cx, int cy, int radius, Rgb c);
    void ring(int cx, int cy, int radius, Rgb c, int thickness = 2);

private:
    int w_, h_;
    std::vector<std::uint8_t> px_;
};

enum class ImageFormat { Gif, Png, Jpeg };

std::string encodeGif(const Canvas& canvas);
std::string encodePng(const Canvas& canvas);
std::string encodeJpeg(const Canvas& canvas, int quality = 80);
std::string encodeImage(const Canvas& canvas, ImageFormat format);

// "image/gif", "image/png", "image/jpeg"
const char* mimeType(ImageFormat format);

}  // namespace vellora::sim
