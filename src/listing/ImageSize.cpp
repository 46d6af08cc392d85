#include "listing/ImageSize.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>

#include "core/FileIO.h"

namespace vellora {
namespace {

// Random access to the bytes of an image; a read outside the data fails.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual bool read(std::uint64_t offset, std::size_t count, unsigned char* out) const = 0;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view data) : data_(data) {}
    std::uint64_t size() const override { return data_.size(); }
    bool read(std::uint64_t offset, std::size_t count, unsigned char* out) const override {
        if (offset > data_.size() || count > data_.size() - offset) return false;
        std::memcpy(out, data_.data() + offset, count);
        return true;
    }

private:
    std::string_view data_;
};

class FileSource : public ByteSource {
public:
    // Non-blocking: opening a pipe named by an image list must not wait for a writer; only a
    // regular file is read.
    explicit FileSource(const std::string& path) : fd_(openFile(path, O_RDONLY | O_NONBLOCK)) {
        struct stat st {};
        if (fd_ && ::fstat(fd_.get(), &st) == 0 && S_ISREG(st.st_mode))
            size_ = static_cast<std::uint64_t>(st.st_size);
    }

    bool ok() const { return fd_.valid() && size_ > 0; }
    std::uint64_t size() const override { return size_; }
    bool read(std::uint64_t offset, std::size_t count, unsigned char* out) const override {
        if (offset > size_ || count > size_ - offset) return false;
        std::size_t got = 0;
        return preadFully(fd_.get(), reinterpret_cast<char*>(out), count, offset, got) == 0 && got == count;
    }

private:
    UniqueFd fd_;
    std::uint64_t size_ = 0;
};

std::uint32_t be16(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 8 | p[1];
}
std::uint32_t le16(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}
std::uint32_t be32(const unsigned char* p) {
    return be16(p) << 16 | be16(p + 2);
}
std::uint32_t le32(const unsigned char* p) {
    return le16(p + 2) << 16 | le16(p);
}

std::optional<ImageSize> checked(std::int64_t width, std::int64_t height) {
    constexpr std::int64_t kMax = std::numeric_limits<int>::max();
    if (width < 1 || height < 1 || width > kMax || height > kMax) return std::nullopt;
    return ImageSize{static_cast<int>(width), static_cast<int>(height)};
}

std::optional<ImageSize> pngSize(const ByteSource& src) {
    unsigned char h[24];
    if (!src.read(0, sizeof h, h)) return std::nullopt;
    if (std::memcmp(h + 12, "IHDR", 4) != 0) return std::nullopt;
    // PNG dimensions are at most 2^31 - 1.
    return checked(be32(h + 16), be32(h + 20));
}

std::optional<ImageSize> gifSize(const ByteSource& src) {
    unsigned char h[10];
    if (!src.read(0, sizeof h, h)) return std::nullopt;
    return checked(le16(h + 6), le16(h + 8));
}

std::optional<ImageSize> bmpSize(const ByteSource& src) {
    unsigned char h[26];
    if (!src.read(0, 18, h)) return std::nullopt;
    const std::uint32_t dib = le32(h + 14);
    if (dib == 12) {  // OS/2 core header: 16-bit dimensions
        if (!src.read(0, 22, h)) return std::nullopt;
        return checked(le16(h + 18), le16(h + 20));
    }
    if (dib < 16) return std::nullopt;
    if (!src.read(0, 26, h)) return std::nullopt;
    const auto width = static_cast<std::int32_t>(le32(h + 18));
    const auto height = static_cast<std::int32_t>(le32(h + 22));
    // A negative height marks rows stored top-down.
    const std::int64_t rows = height < 0 ? -static_cast<std::int64_t>(height) : height;
    return checked(width, rows);
}

std::optional<ImageSize> jpegSize(const ByteSource& src) {
    // Walk the marker segments up to the first frame header; every step moves forward.
    std::uint64_t pos = 2;
    const std::uint64_t end = src.size();
    while (pos < end) {
        unsigned char b = 0;
        if (!src.read(pos, 1, &b) || b != 0xFF) return std::nullopt;
        while (b == 0xFF) {  // fill bytes
            if (!src.read(++pos, 1, &b)) return std::nullopt;
        }
        const unsigned char marker = b;
        ++pos;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;  // no length
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA || marker == 0x00) return std::nullopt;
        unsigned char seg[7];
        if (!src.read(pos, 2, seg)) return std::nullopt;
        const std::uint32_t length = be16(seg);
        if (length < 2) return std::nullopt;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || !src.read(pos, 7, seg)) return std::nullopt;
            return checked(be16(seg + 5), be16(seg + 3));
        }
        pos += length;
    }
    return std::nullopt;
}

std::optional<ImageSize> sizeOf(const ByteSource& src) {
    unsigned char sig[8];
    const std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(src.size(), sizeof sig));
    if (have < 2 || !src.read(0, have, sig)) return std::nullopt;
    if (sig[0] == 0xFF && sig[1] == 0xD8) return jpegSize(src);
    if (have == 8 && std::memcmp(sig, "\x89PNG\r\n\x1A\n", 8) == 0) return pngSize(src);
    if (have >= 6 && (std::memcmp(sig, "GIF87a", 6) == 0 || std::memcmp(sig, "GIF89a", 6) == 0))
        return gifSize(src);
    if (sig[0] == 'B' && sig[1] == 'M') return bmpSize(src);
    return std::nullopt;
}

}  // namespace

std::optional<ImageSize> imageSizeOfData(std::string_view data) {
    return sizeOf(MemorySource(data));
}

std::optional<ImageSize> imageSizeOfFile(const std::string& path) {
    const FileSource src(path);
    if (!src.ok()) return std::nullopt;
    return sizeOf(src);
}

}  // namespace vellora
