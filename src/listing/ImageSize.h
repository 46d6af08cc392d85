#pragma once
// Pixel size of JPEG, GIF, PNG and BMP images, read from their headers. The format is told by the
// content, not by the name. Files are read only as far as the header needs (a JPEG's frame header
// may sit behind large metadata segments, which are skipped, not read). Truncated or malformed
// headers give nothing; no header value can make the reader loop or read outside the data.
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

struct ImageSize {
    int width = 0;
    int height = 0;
    bool operator==(const ImageSize&) const = default;
};

// Both dimensions are at least 1 when a size is returned.
std::optional<ImageSize> imageSizeOfData(std::string_view data);
std::optional<ImageSize> imageSizeOfFile(const std::string& path);

}  // namespace vellora
