#pragma once
// Method 1 of ZIP members ("shrunk"): dynamic LZW with 9- to 13-bit codes, the code size raised by
// the compressor (control code 256, 1) and partial clearing of the leaf codes (256, 2).
#include <cstdint>

#include "import/ZipStream.h"

namespace vellora {

// Decodes until size bytes are out or the input ends; input that ends early is BadData.
ZipDecodeResult unshrink(const ZipSource& source, std::uint64_t size, const ZipSink& sink);

}  // namespace vellora
