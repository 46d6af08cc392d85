#pragma once
// Method 6 of ZIP members ("imploded"): LZ77 over a 4K or 8K window with Shannon-Fano coded
// lengths, distances and (optionally) literals; the trees are stored in front of the data.
#include <cstdint>

#include "import/ZipStream.h"

namespace vellora {

// flags is the member's general purpose flag word: bit 1 selects the 8K window, bit 2 the literal
// tree. The data carries no end mark, so decoding stops after size bytes.
ZipDecodeResult explode(const ZipSource& source, std::uint64_t size, std::uint16_t flags,
                        const ZipSink& sink);

}  // namespace vellora
