#include "import/Explode.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace vellora {
namespace {

constexpr unsigned kMaxCodeLength = 16;

// A Shannon-Fano code as the implode format defines it: symbols sorted by ascending bit length
// (ties by symbol), codes handed out from the longest length upwards starting at zero. Read bit by
// bit, the codes of one length form one run of consecutive values.
class ShannonFanoTree {
public:
    // Reads the tree's description (a count byte, then bytes of length-1 and repeat-1 nibbles).
    bool read(ZipBitReader& bits, std::size_t symbols) {
        std::uint32_t bytes = 0;
        if (!bits.read(8, bytes)) return false;
        std::vector<std::uint8_t> lengths;
        lengths.reserve(symbols);
        for (std::uint32_t i = 0; i <= bytes; ++i) {
            std::uint32_t b = 0;
            if (!bits.read(8, b)) return false;
            const std::uint32_t length = (b & 0x0F) + 1;
            const std::uint32_t repeat = (b >> 4) + 1;
            if (lengths.size() + repeat > symbols) return false;
            lengths.insert(lengths.end(), repeat, static_cast<std::uint8_t>(length));
        }
        if (lengths.size() != symbols) return false;
        return build(lengths);
    }

    // The next symbol, or -1 when the bits form no code or the input ends.
    int decode(ZipBitReader& bits) const {
        std::uint32_t value = 0;
        for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
            std::uint32_t bit = 0;
            if (!bits.read(1, bit)) return -1;
            value = (value << 1) | bit;
            const std::uint32_t offset = value - first_[len];
            if (value >= first_[len] && offset < count_[len]) return symbols_[start_[len] + offset];
        }
        return -1;
    }

private:
    bool build(const std::vector<std::uint8_t>& lengths) {
        std::vector<std::uint16_t> order(lengths.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint16_t>(i);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint16_t a, std::uint16_t b) { return lengths[a] < lengths[b]; });

        // Walk from the longest code down; within one length the later symbol gets the smaller code.
        // A description whose codes overflow 16 bits or lose their alignment is not prefix-free.
        count_.fill(0);
        first_.fill(0);
        symbols_.assign(order.size(), 0);
        std::uint32_t code = 0, increment = 0;
        unsigned lastLength = 0;
        for (std::size_t i = order.size(); i-- > 0;) {
            const unsigned len = lengths[order[i]];
            code += increment;
            if (len != lastLength) {
                lastLength = len;
                increment = 1u << (kMaxCodeLength - len);
                if (code % increment != 0) return false;
                first_[len] = code >> (kMaxCodeLength - len);
            }
            if (code >= (1u << kMaxCodeLength)) return false;
            ++count_[len];
        }
        // Symbols per length in ascending code order, i.e. descending sorted position.
        std::size_t pos = 0;
        for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
            start_[len] = static_cast<std::uint32_t>(pos);
            pos += count_[len];
        }
        std::array<std::uint32_t, kMaxCodeLength + 1> fill = start_;
        for (std::size_t i = order.size(); i-- > 0;) {
            const unsigned len = lengths[order[i]];
            symbols_[fill[len]++] = order[i];
        }
        return true;
    }

    std::array<std::uint32_t, kMaxCodeLength + 1> count_{}, first_{}, start_{};
    std::vector<std::uint16_t> symbols_;
};

class Exploder {
public:
    Exploder(const ZipSource& source, std::uint64_t size, std::uint16_t flags, const ZipSink& sink)
        : bits_(source),
          size_(size),
          sink_(sink),
          bigWindow_((flags & 0x02) != 0),
          literalTree_((flags & 0x04) != 0) {}

    ZipDecodeResult run() {
        if (size_ == 0) return ZipDecodeResult::Ok;
        if (literalTree_ && !literals_.read(bits_, 256)) return endResult();
        if (!lengths_.read(bits_, 64) || !distances_.read(bits_, 64)) return endResult();

        const unsigned lowDistanceBits = bigWindow_ ? 7 : 6;
        const std::uint32_t minMatch = literalTree_ ? 3 : 2;
        while (written_ < size_) {
            std::uint32_t flag = 0;
            if (!bits_.read(1, flag)) return endResult();
            if (flag) {
                std::uint32_t literal = 0;
                if (literalTree_) {
                    const int sym = literals_.decode(bits_);
                    if (sym < 0) return endResult();
                    literal = static_cast<std::uint32_t>(sym);
                } else if (!bits_.read(8, literal)) {
                    return endResult();
                }
                if (!put(static_cast<std::uint8_t>(literal))) return ZipDecodeResult::SinkRefused;
                continue;
            }
            std::uint32_t low = 0;
            if (!bits_.read(lowDistanceBits, low)) return endResult();
            const int high = distances_.decode(bits_);
            if (high < 0) return endResult();
            const std::uint32_t distance = ((static_cast<std::uint32_t>(high) << lowDistanceBits) | low) + 1;
            const int lengthSymbol = lengths_.decode(bits_);
            if (lengthSymbol < 0) return endResult();
            std::uint32_t length = static_cast<std::uint32_t>(lengthSymbol);
            if (length == 63) {
                std::uint32_t extra = 0;
                if (!bits_.read(8, extra)) return endResult();
                length += extra;
            }
            length += minMatch;
            // A distance reaching before the start of the member reads the window's initial zeros.
            for (std::uint32_t k = 0; k < length && written_ < size_; ++k) {
                if (!put(window_[(pos_ - distance) & kWindowMask])) return ZipDecodeResult::SinkRefused;
            }
        }
        const std::size_t tail = pos_ & kWindowMask;
        if (tail != 0 && !sink_(window_.data(), tail)) return ZipDecodeResult::SinkRefused;
        return ZipDecodeResult::Ok;
    }

private:
    static constexpr std::uint32_t kWindowSize = 8192;  // enough for both window sizes
    static constexpr std::uint32_t kWindowMask = kWindowSize - 1;

    ZipDecodeResult endResult() const {
        return bits_.failed() ? ZipDecodeResult::ReadError : ZipDecodeResult::BadData;
    }

    bool put(std::uint8_t b) {
        window_[pos_ & kWindowMask] = b;
        ++pos_;
        ++written_;
        if ((pos_ & kWindowMask) == 0) return sink_(window_.data(), kWindowSize);
        return true;
    }

    ZipBitReader bits_;
    std::uint64_t size_;
    const ZipSink& sink_;
    bool bigWindow_, literalTree_;
    ShannonFanoTree literals_, lengths_, distances_;
    std::array<std::uint8_t, kWindowSize> window_{};
    std::uint32_t pos_ = 0;
    std::uint64_t written_ = 0;
};

}  // namespace

ZipDecodeResult explode(const ZipSource& source, std::uint64_t size, std::uint16_t flags,
                        const ZipSink& sink) {
    auto decoder = std::make_unique<Exploder>(source, size, flags, sink);
    return decoder->run();
}

}  // namespace vellora
