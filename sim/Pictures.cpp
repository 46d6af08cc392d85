#include "sim/Pictures.h"

#include <algorithm>

#include "sim/Rng.h"

namespace vellora::sim {

Canvas drawPhoto(int width, int height, std::uint64_t seed) {
    Rng r(seed);
    Canvas c(width, height);
    const auto channel = [&r](int lo, int hi) { return static_cast<std::uint8_t>(r.range(lo, hi)); };
    c.verticalGradient({channel(90, 140), channel(140, 190), channel(200, 250)},
                       {channel(190, 230), channel(210, 240), channel(230, 255)});
    const int horizon = height * r.range(45, 70) / 100;
    const Rgb ground{channel(60, 110), channel(100, 150), channel(40, 80)};
    c.fillRect(0, horizon, width, height, ground);
    c.disc(width * r.range(10, 90) / 100, height * r.range(8, 30) / 100, std::max(3, height / 14),
           {250, 230, 120});
    const int trees = r.range(3, 12);
    for (int t = 0; t < trees; ++t) {
        const int x = r.range(0, width - 1);
        const int size = std::max(4, height * r.range(5, 18) / 100);
        const int base = horizon + r.range(0, std::max(1, (height - horizon) / 2));
        c.fillRect(x - size / 8, base - size, x + size / 8 + 1, base, {90, 60, 30});
        c.disc(x, base - size, size / 2, {channel(20, 60), channel(80, 130), channel(20, 50)});
    }
    if (r.chance(0.5)) {
        const int x = r.range(0, width - 1);
        c.line(x, height - 1, width / 2, horizon, {150, 130, 100}, std::max(2, width / 60));
    }
    return c;
}

std::string iconImage(std::string_view path, ImageFormat format) {
    const std::uint64_t h = hashText(path);
    int w = 16, hgt = 16;
    if (path.find("/stars/") != std::string_view::npos) {
        w = 61;
        hgt = 13;
    } else if (path.find("WptTypes") != std::string_view::npos ||
               path.find("wpttypes") != std::string_view::npos) {
        w = hgt = path.find("/sm/") != std::string_view::npos ? 16 : 32;
    } else if (path.find("logo") != std::string_view::npos) {
        w = 200;
        hgt = 60;
    } else if (path.find("/attributes/") != std::string_view::npos) {
        w = hgt = 30;
    } else if (path.find("/container/") != std::string_view::npos) {
        w = 45;
        hgt = 12;
    }
    Canvas c(w, hgt, {255, 255, 255});
    const Rgb col{static_cast<std::uint8_t>(h & 0xFF), static_cast<std::uint8_t>((h >> 8) & 0xFF),
                  static_cast<std::uint8_t>((h >> 16) & 0xFF)};
    if (path.find("/stars/") != std::string_view::npos) {
        for (int s = 0; s < 5; ++s) c.disc(6 + s * 12, 6, 5, {240, 190, 20});
    } else {
        c.disc(w / 2, hgt / 2, std::max(2, std::min(w, hgt) / 2 - 1), col);
        c.ring(w / 2, hgt / 2, std::max(2, std::min(w, hgt) / 2 - 1), {40, 40, 40}, 1);
    }
    return encodeImage(c, format);
}

}  // namespace vellora::sim
