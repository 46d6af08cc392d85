#pragma once
// PNG in and out of a Raster, through libpng. Decoding takes any PNG (palette, grey, alpha over
// white) and refuses pictures larger than the limit, so a hostile tile cannot claim gigabytes.
#include <optional>
#include <string>
#include <string_view>

#include "listing/Raster.h"

namespace vellora {

inline constexpr int kMaxPngEdge = 4096;

std::optional<Raster> decodePng(std::string_view data);
// Empty when libpng fails.
std::string encodePng(const Raster& raster);

}  // namespace vellora
