#include "import/Unshrink.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace vellora {
namespace {

constexpr unsigned kInitialCodeSize = 9;
constexpr unsigned kMaxCodeSize = 13;
constexpr std::uint32_t kTableSize = 1u << kMaxCodeSize;
constexpr std::uint32_t kControlCode = 256;
constexpr std::uint32_t kFirstFreeCode = 257;

class Unshrinker {
public:
    Unshrinker(const ZipSource& source, std::uint64_t size, const ZipSink& sink)
        : bits_(source), size_(size), sink_(sink) {
        for (std::uint32_t c = 0; c < 256; ++c) {
            suffix_[c] = static_cast<std::uint8_t>(c);
            inUse_[c] = true;
        }
        out_.reserve(kOutChunk);
        str_.reserve(kTableSize);
    }

    ZipDecodeResult run() {
        std::uint32_t code = 0;
        unsigned codeSize = kInitialCodeSize;
        if (size_ == 0) return ZipDecodeResult::Ok;
        if (!bits_.read(codeSize, code)) return endResult();
        if (code >= 256) return ZipDecodeResult::BadData;
        std::uint32_t prev = code;
        str_.assign(1, static_cast<std::uint8_t>(code));
        if (!emit()) return ZipDecodeResult::SinkRefused;

        while (written_ < size_) {
            if (!bits_.read(codeSize, code)) break;
            if (code == kControlCode) {
                std::uint32_t sub = 0;
                if (!bits_.read(codeSize, sub)) break;
                if (sub == 1) {
                    if (++codeSize > kMaxCodeSize) return ZipDecodeResult::BadData;
                } else if (sub == 2) {
                    partialClear();
                } else {
                    return ZipDecodeResult::BadData;
                }
                continue;
            }
            if (inUse_[code]) {
                if (!expand(code)) return ZipDecodeResult::BadData;
            } else if (code == nextFree_) {
                // The code the compressor defined with this very step: the previous string
                // followed by its own first byte.
                if (!expand(prev)) return ZipDecodeResult::BadData;
                str_.push_back(str_.front());
            } else {
                return ZipDecodeResult::BadData;
            }
            if (nextFree_ < kTableSize) {
                prefix_[nextFree_] = static_cast<std::uint16_t>(prev);
                suffix_[nextFree_] = str_.front();
                inUse_[nextFree_] = true;
                advanceFree(nextFree_ + 1);
            }
            if (!emit()) return ZipDecodeResult::SinkRefused;
            prev = code;
        }
        if (!flush()) return ZipDecodeResult::SinkRefused;
        if (written_ < size_) return endResult();
        return ZipDecodeResult::Ok;
    }

private:
    static constexpr std::size_t kOutChunk = 65536;

    ZipDecodeResult endResult() const {
        return bits_.failed() ? ZipDecodeResult::ReadError : ZipDecodeResult::BadData;
    }

    // The string of a code into str_, in output order. A freed code keeps its last string until
    // the slot is reused; a chain longer than the table can only come from a corrupt stream.
    bool expand(std::uint32_t code) {
        str_.clear();
        while (code >= kFirstFreeCode) {
            if (str_.size() >= kTableSize) return false;
            str_.push_back(suffix_[code]);
            code = prefix_[code];
        }
        if (code == kControlCode) return false;
        str_.push_back(static_cast<std::uint8_t>(code));
        std::reverse(str_.begin(), str_.end());
        return true;
    }

    // Frees every code that is no other code's prefix; the freed codes are reused lowest first.
    void partialClear() {
        std::array<bool, kTableSize> isPrefix{};
        for (std::uint32_t c = kFirstFreeCode; c < kTableSize; ++c) {
            if (inUse_[c]) isPrefix[prefix_[c]] = true;
        }
        for (std::uint32_t c = kFirstFreeCode; c < kTableSize; ++c) {
            if (inUse_[c] && !isPrefix[c]) inUse_[c] = false;
        }
        advanceFree(kFirstFreeCode);
    }

    void advanceFree(std::uint32_t from) {
        nextFree_ = from;
        while (nextFree_ < kTableSize && inUse_[nextFree_]) ++nextFree_;
    }

    // Appends str_ to the output, cut at the member size.
    bool emit() {
        std::size_t n = str_.size();
        if (n > size_ - written_) n = static_cast<std::size_t>(size_ - written_);
        out_.insert(out_.end(), str_.begin(), str_.begin() + static_cast<std::ptrdiff_t>(n));
        written_ += n;
        return out_.size() < kOutChunk || flush();
    }

    bool flush() {
        if (out_.empty()) return true;
        const bool ok = sink_(out_.data(), out_.size());
        out_.clear();
        return ok;
    }

    ZipBitReader bits_;
    std::uint64_t size_;
    const ZipSink& sink_;
    std::uint64_t written_ = 0;
    std::array<std::uint16_t, kTableSize> prefix_{};
    std::array<std::uint8_t, kTableSize> suffix_{};
    std::array<bool, kTableSize> inUse_{};
    std::uint32_t nextFree_ = kFirstFreeCode;
    std::vector<std::uint8_t> str_;
    std::vector<std::uint8_t> out_;
};

}  // namespace

ZipDecodeResult unshrink(const ZipSource& source, std::uint64_t size, const ZipSink& sink) {
    // About 50 KB of tables: keep them off the stack.
    auto decoder = std::make_unique<Unshrinker>(source, size, sink);
    return decoder->run();
}

}  // namespace vellora
