#include "listing/PngCodec.h"

#include <png.h>

namespace vellora {

std::optional<Raster> decodePng(std::string_view data) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) return std::nullopt;
    if (image.width == 0 || image.height == 0 || image.width > kMaxPngEdge || image.height > kMaxPngEdge) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    Raster raster(static_cast<int>(image.width), static_cast<int>(image.height));
    const png_color white{255, 255, 255};
    if (!png_image_finish_read(&image, &white, raster.bytes().data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return raster;
}

std::string encodePng(const Raster& raster) {
    if (raster.empty()) return {};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(raster.width());
    image.height = static_cast<png_uint_32>(raster.height());
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, raster.bytes().data(), 0, nullptr)) return {};
    std::string out(size, '\0');
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, raster.bytes().data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

}  // namespace vellora
