#include "sim/ImageCodec.h"

#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

// libjpeg's header needs size_t and FILE declared first.
#include <jpeglib.h>

namespace vellora::sim {

Canvas::Canvas(int width, int height, Rgb fill) : w_(std::max(1, width)), h_(std::max(1, height)) {
    px_.resize(static_cast<std::size_t>(w_) * h_ * 3);
    for (std::size_t i = 0; i < px_.size(); i += 3) {
        px_[i] = fill.r;
        px_[i + 1] = fill.g;
        px_[i + 2] = fill.b;
    }
}

void Canvas::set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
    const std::size_t i = (static_cast<std::size_t>(y) * w_ + x) * 3;
    px_[i] = c.r;
    px_[i + 1] = c.g;
    px_[i + 2] = c.b;
}

Rgb Canvas::get(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * w_ + x) * 3;
    return {px_[i], px_[i + 1], px_[i + 2]};
}

void Canvas::fillRect(int x0, int y0, int x1, int y1, Rgb c) {
    x0 = std::clamp(x0, 0, w_);
    x1 = std::clamp(x1, 0, w_);
    y0 = std::clamp(y0, 0, h_);
    y1 = std::clamp(y1, 0, h_);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) set(x, y, c);
}

void Canvas::verticalGradient(Rgb top, Rgb bottom) {
    for (int y = 0; y < h_; ++y) {
        const int t = h_ > 1 ? y * 256 / (h_ - 1) : 0;
        const auto mixc = [t](int a, int b) {
            return static_cast<std::uint8_t>((a * (256 - t) + b * t) / 256);
        };
        const Rgb c{mixc(top.r, bottom.r), mixc(top.g, bottom.g), mixc(top.b, bottom.b)};
        for (int x = 0; x < w_; ++x) set(x, y, c);
    }
}

void Canvas::line(int x0, int y0, int x1, int y1, Rgb c, int thickness) {
    // Bresenham with a square brush.
    const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    const int half = thickness / 2;
    for (int guard = 0; guard < 100000; ++guard) {
        fillRect(x0 - half, y0 - half, x0 - half + thickness, y0 - half + thickness, c);
        if (x0 == x1 && y0 == y1) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::disc(int cx, int cy, int radius, Rgb c) {
    for (int y = -radius; y <= radius; ++y)
        for (int x = -radius; x <= radius; ++x)
            if (x * x + y * y <= radius * radius) set(cx + x, cy + y, c);
}

void Canvas::ring(int cx, int cy, int radius, Rgb c, int thickness) {
    const int inner = std::max(0, radius - thickness);
    for (int y = -radius; y <= radius; ++y)
        for (int x = -radius; x <= radius; ++x) {
            const int d = x * x + y * y;
            if (d <= radius * radius && d >= inner * inner) set(cx + x, cy + y, c);
        }
}

// ---------------------------------------------------------------------------------------------
// GIF

namespace {

// 6 x 7 x 6 colour cube; the last four palette entries stay black.
constexpr int kRedLevels = 6, kGreenLevels = 7, kBlueLevels = 6;

std::uint8_t paletteIndex(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    const int ri = r * kRedLevels / 256, gi = g * kGreenLevels / 256, bi = b * kBlueLevels / 256;
    return static_cast<std::uint8_t>(ri * kGreenLevels * kBlueLevels + gi * kBlueLevels + bi);
}

class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void put(int code, int bits) {
        acc_ |= static_cast<std::uint32_t>(code) << nbits_;
        nbits_ += bits;
        while (nbits_ >= 8) {
            byte(static_cast<std::uint8_t>(acc_ & 0xFF));
            acc_ >>= 8;
            nbits_ -= 8;
        }
    }
    void finish() {
        if (nbits_ > 0) byte(static_cast<std::uint8_t>(acc_ & 0xFF));
        acc_ = 0;
        nbits_ = 0;
        flushBlock();
        out_.push_back('\0');  // block terminator
    }

private:
    void byte(std::uint8_t b) {
        block_[blockLen_++] = b;
        if (blockLen_ == 255) flushBlock();
    }
    void flushBlock() {
        if (blockLen_ == 0) return;
        out_.push_back(static_cast<char>(blockLen_));
        out_.append(reinterpret_cast<const char*>(block_), blockLen_);
        blockLen_ = 0;
    }
    std::string& out_;
    std::uint32_t acc_ = 0;
    int nbits_ = 0;
    std::uint8_t block_[255]{};
    int blockLen_ = 0;
};

void putLe16(std::string& out, int v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

}  // namespace

std::string encodeGif(const Canvas& canvas) {
    const int w = canvas.width(), h = canvas.height();
    std::string out = "GIF89a";
    putLe16(out, w);
    putLe16(out, h);
    out.push_back(static_cast<char>(0xF7));  // global table of 256 entries, 8 bits per colour
    out.push_back('\0');                     // background index
    out.push_back('\0');                     // aspect
    for (int i = 0; i < 256; ++i) {
        int r = 0, g = 0, b = 0;
        if (i < kRedLevels * kGreenLevels * kBlueLevels) {
            const int ri = i / (kGreenLevels * kBlueLevels), gi = (i / kBlueLevels) % kGreenLevels,
                      bi = i % kBlueLevels;
            r = ri * 255 / (kRedLevels - 1);
            g = gi * 255 / (kGreenLevels - 1);
            b = bi * 255 / (kBlueLevels - 1);
        }
        out.push_back(static_cast<char>(r));
        out.push_back(static_cast<char>(g));
        out.push_back(static_cast<char>(b));
    }
    out.push_back(',');  // image descriptor
    putLe16(out, 0);
    putLe16(out, 0);
    putLe16(out, w);
    putLe16(out, h);
    out.push_back('\0');
    constexpr int kMinCodeSize = 8;
    out.push_back(static_cast<char>(kMinCodeSize));

    // LZW with an open-addressing table keyed by (prefix code, next index).
    constexpr int kClear = 1 << kMinCodeSize, kEoi = kClear + 1, kMaxCode = 4095;
    constexpr int kTableSize = 5003;
    std::vector<std::int32_t> keys(kTableSize, -1);
    std::vector<std::uint16_t> codes(kTableSize, 0);
    BitWriter bw(out);
    int codeSize = kMinCodeSize + 1;
    int maxCode = kEoi;
    bw.put(kClear, codeSize);

    const auto& px = canvas.pixels();
    const std::size_t count = static_cast<std::size_t>(w) * h;
    int cur = -1;
    const auto afterEmit = [&] {
        ++maxCode;
        if (maxCode >= (1 << codeSize) && codeSize < 12) ++codeSize;
    };
    for (std::size_t p = 0; p < count; ++p) {
        const int v = paletteIndex(px[p * 3], px[p * 3 + 1], px[p * 3 + 2]);
        if (cur < 0) {
            cur = v;
            continue;
        }
        const std::int32_t key = (v << 12) | cur;
        int slot = static_cast<int>((static_cast<std::uint32_t>(v) << 4 ^ static_cast<std::uint32_t>(cur)) %
                                    kTableSize);
        bool found = false;
        while (keys[slot] != -1) {
            if (keys[slot] == key) {
                found = true;
                break;
            }
            slot = slot + 1 == kTableSize ? 0 : slot + 1;
        }
        if (found) {
            cur = codes[slot];
            continue;
        }
        bw.put(cur, codeSize);
        afterEmit();
        keys[slot] = key;
        codes[slot] = static_cast<std::uint16_t>(maxCode);
        if (maxCode == kMaxCode) {
            bw.put(kClear, codeSize);
            std::fill(keys.begin(), keys.end(), -1);
            codeSize = kMinCodeSize + 1;
            maxCode = kEoi;
        }
        cur = v;
    }
    if (cur >= 0) {
        bw.put(cur, codeSize);
        afterEmit();
    }
    bw.put(kEoi, codeSize);
    bw.finish();
    out.push_back(';');
    return out;
}

// ---------------------------------------------------------------------------------------------
// PNG

namespace {

void putBe32(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>((v >> 24) & 0xFF));
    out.push_back(static_cast<char>((v >> 16) & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
    out.push_back(static_cast<char>(v & 0xFF));
}

void putChunk(std::string& out, const char* type, const std::string& data) {
    putBe32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.append(type, 4);
    out += data;
    const uLong crc =
        crc32(0L, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(out.size() - start));
    putBe32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::string encodePng(const Canvas& canvas) {
    const int w = canvas.width(), h = canvas.height();
    std::string raw;
    raw.reserve(static_cast<std::size_t>(h) * (w * 3 + 1));
    const auto& px = canvas.pixels();
    for (int y = 0; y < h; ++y) {
        raw.push_back('\1');  // filter "Sub": neighbours in a row are alike
        const std::size_t row = static_cast<std::size_t>(y) * w * 3;
        for (int x = 0; x < w * 3; ++x) {
            const int left = x >= 3 ? px[row + x - 3] : 0;
            raw.push_back(static_cast<char>((px[row + x] - left) & 0xFF));
        }
    }
    uLongf destLen = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(destLen, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &destLen,
                  reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()), 6) != Z_OK)
        throw std::runtime_error("PNG compression failed");
    packed.resize(destLen);

    std::string out("\x89PNG\r\n\x1A\n", 8);
    std::string ihdr;
    putBe32(ihdr, static_cast<std::uint32_t>(w));
    putBe32(ihdr, static_cast<std::uint32_t>(h));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, filter set 0, no interlace
    putChunk(out, "IHDR", ihdr);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", std::string());
    return out;
}

// ---------------------------------------------------------------------------------------------
// JPEG

namespace {

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void jpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

void jpegSilence(j_common_ptr, int) {}

}  // namespace

std::string encodeJpeg(const Canvas& canvas, int quality) {
    jpeg_compress_struct cinfo{};
    JpegError err{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.emit_message = jpegSilence;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        throw std::runtime_error("JPEG compression failed");
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(canvas.width());
    cinfo.image_height = static_cast<JDIMENSION>(canvas.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const auto& px = canvas.pixels();
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(px.data() + static_cast<std::size_t>(cinfo.next_scanline) *
                                                            canvas.width() * 3);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

std::string encodeImage(const Canvas& canvas, ImageFormat format) {
    switch (format) {
        case ImageFormat::Gif:
            return encodeGif(canvas);
        case ImageFormat::Png:
            return encodePng(canvas);
        case ImageFormat::Jpeg:
            return encodeJpeg(canvas);
    }
    return {};
}

const char* mimeType(ImageFormat format) {
    switch (format) {
        case ImageFormat::Gif:
            return "image/gif";
        case ImageFormat::Png:
            return "image/png";
        case ImageFormat::Jpeg:
            return "image/jpeg";
    }
    return "application/octet-stream";
}

}  // namespace vellora::sim
