#pragma once
// Pictures of the stand-in site: cache photos of any size and the small icons of its pages.
#include <cstdint>
#include <string>
#include <string_view>

#include "sim/ImageCodec.h"

namespace vellora::sim {

// A landscape "photo" drawn from the seed.
Canvas drawPhoto(int width, int height, std::uint64_t seed);

// An icon for a path below "/images/" (stars, type icons, log icons, ...): its pixel size follows
// the kind of icon, its format the extension ("gif", "png", "jpg"/"jpeg"); the bytes depend on
// the path only.
std::string iconImage(std::string_view path, ImageFormat format);

}  // namespace vellora::sim
