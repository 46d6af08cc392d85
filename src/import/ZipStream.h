#pragma once
// Plumbing shared by the ZIP decompressors: a pull source of a member's compressed bytes, a push
// sink for its output and the LSB-first bit reader in which the legacy methods pack their codes.
#include <cstddef>
#include <cstdint>
#include <functional>

namespace vellora {

// Fills buf with up to max bytes; returns the count, 0 at the end of the input, -1 on a read error.
using ZipSource = std::function<std::ptrdiff_t(std::uint8_t* buf, std::size_t max)>;
// Takes output bytes; false stops the decompression (size bound reached, write failed).
using ZipSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

enum class ZipDecodeResult {
    Ok,
    BadData,      // the compressed data is not valid for its method
    ReadError,    // the source failed
    SinkRefused,  // the sink returned false
};

class ZipBitReader {
public:
    explicit ZipBitReader(const ZipSource& source) : source_(source) {}

    // The next n bits (1..24), first bit in the lowest place; false at the end of the input or
    // on a read error (see failed()).
    bool read(unsigned n, std::uint32_t& value) {
        while (count_ < n) {
            if (pos_ == len_ && !refill()) return false;
            bits_ |= static_cast<std::uint32_t>(buf_[pos_++]) << count_;
            count_ += 8;
        }
        value = bits_ & ((1u << n) - 1);
        bits_ >>= n;
        count_ -= n;
        return true;
    }

    bool failed() const { return failed_; }

private:
    bool refill() {
        if (failed_ || ended_) return false;
        const std::ptrdiff_t n = source_(buf_, sizeof buf_);
        if (n < 0) failed_ = true;
        if (n <= 0) {
            ended_ = true;
            return false;
        }
        pos_ = 0;
        len_ = static_cast<std::size_t>(n);
        return true;
    }

    const ZipSource& source_;
    std::uint8_t buf_[16384];
    std::size_t pos_ = 0, len_ = 0;
    std::uint32_t bits_ = 0;
    unsigned count_ = 0;
    bool failed_ = false, ended_ = false;
};

}  // namespace vellora
