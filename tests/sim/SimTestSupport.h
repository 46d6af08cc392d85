#pragma once
// Helpers of the stand-in server tests: an HTTP client on the fixture, and readers written
// independently of the server's code (listing-page spans as the program's extractor cuts them,
// GIF/PNG/JPEG decoding), so that the tests check the served bytes, not the generator's idea of them.
#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <jpeglib.h>

#include "sim/SimFixture.h"

namespace vellora::sim::test {

inline std::unique_ptr<httplib::Client> clientFor(const SimFixture& sim) {
    auto c = std::make_unique<httplib::Client>("127.0.0.1", sim.server().port());
    c->set_read_timeout(10, 0);
    c->set_url_encode(false);  // paths go out as written, like the program's own requests
    return c;
}

// Body of a GET that must answer 200.
inline std::string fetch(httplib::Client& client, const std::string& path) {
    auto res = client.Get(path.c_str());
    if (!res) {
        ADD_FAILURE() << "GET " << path << " failed: " << httplib::to_string(res.error());
        return {};
    }
    EXPECT_EQ(res->status, 200) << path;
    return res->body;
}

// --- case-insensitive search (ASCII letters suffice for the markers) --------------------------

inline char upperAsciiChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

inline std::size_t findNoCase(std::string_view hay, std::string_view needle, std::size_t from = 0) {
    if (needle.empty()) return from;
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && upperAsciiChar(hay[i + k]) == upperAsciiChar(needle[k])) ++k;
        if (k == needle.size()) return i;
    }
    return std::string_view::npos;
}

inline int countNoCase(std::string_view hay, std::string_view needle) {
    int n = 0;
    for (std::size_t p = findNoCase(hay, needle); p != std::string_view::npos;
         p = findNoCase(hay, needle, p + needle.size()))
        ++n;
    return n;
}

inline std::string upperAsciiText(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = upperAsciiChar(c);
    return out;
}

// --- span fields, cut the way the program's extractor cuts them --------------------------------

struct SpanField {
    std::string id, content;
};

inline std::vector<SpanField> spanFields(std::string page) {
    std::vector<SpanField> out;
    for (;;) {
        const auto open = findNoCase(page, "<SPAN ID=");
        if (open == std::string::npos) break;
        page.erase(0, open);
        page.erase(0, page.find('=') + 2);
        const auto gt = page.find('>');
        if (gt == std::string::npos || gt == 0) break;
        SpanField f;
        f.id = page.substr(0, gt - 1);
        page.erase(0, gt + 1);
        if (upperAsciiText(f.id) == "LONGDESCRIPTION") {
            const auto m = findNoCase(page, "<STRONG>ADDITIONAL HINTS");
            f.content = m == std::string::npos ? "" : page.substr(0, m);
            out.push_back(std::move(f));
            continue;
        }
        std::size_t start = 0;
        std::size_t s = findNoCase(page, "<SPAN", start), e = findNoCase(page, "</SPAN", start);
        while (s != std::string::npos && e != std::string::npos && s <= e) {
            start = e + 7;
            if (start > page.size()) break;
            s = findNoCase(page, "<SPAN", start);
            e = findNoCase(page, "</SPAN", start);
        }
        if (e == std::string::npos) e = findNoCase(page, "</SPAN></BLOCKQUOTE>");
        if (e == std::string::npos) break;
        f.content = page.substr(0, e);
        page.erase(0, e + 1);
        if (const auto close = page.find('>'); close != std::string::npos) page.erase(0, close + 1);
        out.push_back(std::move(f));
    }
    return out;
}

inline std::optional<std::string> fieldOf(const std::vector<SpanField>& fields, std::string_view idUpper) {
    for (const auto& f : fields)
        if (upperAsciiText(f.id) == idUpper) return f.content;
    return std::nullopt;
}

// --- images ------------------------------------------------------------------------------------

struct Decoded {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // top row first
};

inline std::optional<Decoded> decodeGif(std::string_view d) {
    const auto u8 = [&d](std::size_t i) { return static_cast<std::uint8_t>(d[i]); };
    if (d.size() < 13 || (d.substr(0, 6) != "GIF89a" && d.substr(0, 6) != "GIF87a")) return std::nullopt;
    Decoded out;
    std::size_t p = 10;
    const int flags = u8(p);
    p += 3;
    std::vector<std::uint8_t> palette;
    if (flags & 0x80) {
        const std::size_t n = 3u << ((flags & 7) + 1);
        if (p + n > d.size()) return std::nullopt;
        palette.assign(d.begin() + static_cast<std::ptrdiff_t>(p),
                       d.begin() + static_cast<std::ptrdiff_t>(p + n));
        p += n;
    }
    while (p < d.size() && u8(p) == 0x21) {  // extensions
        p += 2;
        while (p < d.size() && u8(p)) p += u8(p) + 1u;
        ++p;
    }
    if (p + 10 > d.size() || u8(p) != 0x2C) return std::nullopt;
    out.width = u8(p + 5) | (u8(p + 6) << 8);
    out.height = u8(p + 7) | (u8(p + 8) << 8);
    if (u8(p + 9) & 0x80) return std::nullopt;  // no local tables are written
    p += 10;
    const int minCode = u8(p++);
    std::string data;
    while (p < d.size() && u8(p)) {
        data.append(d.substr(p + 1, u8(p)));
        p += u8(p) + 1u;
    }
    // LZW decoding.
    const int clear = 1 << minCode, eoi = clear + 1;
    std::vector<std::vector<std::uint8_t>> table;
    const auto reset = [&] {
        table.assign(static_cast<std::size_t>(eoi + 1), {});
        for (int i = 0; i < clear; ++i) table[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i)};
    };
    reset();
    int size = minCode + 1;
    std::size_t bitPos = 0;
    std::vector<std::uint8_t> indices;
    int prev = -1;
    for (;;) {
        if (bitPos + static_cast<std::size_t>(size) > data.size() * 8) return std::nullopt;
        int code = 0;
        for (int b = 0; b < size; ++b, ++bitPos)
            if (static_cast<std::uint8_t>(data[bitPos / 8]) & (1 << (bitPos % 8))) code |= 1 << b;
        if (code == clear) {
            reset();
            size = minCode + 1;
            prev = -1;
            continue;
        }
        if (code == eoi) break;
        std::vector<std::uint8_t> entry;
        if (code < static_cast<int>(table.size())) {
            entry = table[static_cast<std::size_t>(code)];
            if (prev >= 0) {
                auto add = table[static_cast<std::size_t>(prev)];
                add.push_back(entry[0]);
                table.push_back(add);
            }
        } else if (code == static_cast<int>(table.size()) && prev >= 0) {
            entry = table[static_cast<std::size_t>(prev)];
            entry.push_back(entry[0]);
            table.push_back(entry);
        } else {
            return std::nullopt;
        }
        indices.insert(indices.end(), entry.begin(), entry.end());
        prev = code;
        if (static_cast<int>(table.size()) == (1 << size) && size < 12) ++size;
    }
    if (indices.size() != static_cast<std::size_t>(out.width) * out.height) return std::nullopt;
    for (auto i : indices) {
        out.rgb.push_back(palette[i * 3u]);
        out.rgb.push_back(palette[i * 3u + 1]);
        out.rgb.push_back(palette[i * 3u + 2]);
    }
    return out;
}

inline std::optional<Decoded> decodePng(std::string_view d) {
    const auto be32 = [&d](std::size_t i) {
        return (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[i])) << 24) |
               (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[i + 1])) << 16) |
               (static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[i + 2])) << 8) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(d[i + 3]));
    };
    if (d.size() < 8 || d.substr(0, 8) != std::string_view("\x89PNG\r\n\x1A\n", 8)) return std::nullopt;
    Decoded out;
    std::string idat;
    for (std::size_t p = 8; p + 12 <= d.size();) {
        const std::uint32_t len = be32(p);
        const std::string_view type = d.substr(p + 4, 4);
        if (p + 12 + len > d.size()) return std::nullopt;
        const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(d.data() + p + 4), len + 4);
        if (crc != be32(p + 8 + len)) return std::nullopt;
        if (type == "IHDR") {
            out.width = static_cast<int>(be32(p + 8));
            out.height = static_cast<int>(be32(p + 12));
            if (d[p + 16] != 8 || d[p + 17] != 2) return std::nullopt;  // 8-bit RGB only
        } else if (type == "IDAT") {
            idat.append(d.substr(p + 8, len));
        }
        p += 12 + len;
    }
    const std::size_t stride = static_cast<std::size_t>(out.width) * 3;
    std::vector<std::uint8_t> raw((stride + 1) * static_cast<std::size_t>(out.height));
    uLongf rawLen = static_cast<uLongf>(raw.size());
    if (uncompress(raw.data(), &rawLen, reinterpret_cast<const Bytef*>(idat.data()),
                   static_cast<uLong>(idat.size())) != Z_OK ||
        rawLen != raw.size())
        return std::nullopt;
    out.rgb.resize(stride * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t filter = raw[y * (stride + 1)];
        for (std::size_t x = 0; x < stride; ++x) {
            const int v = raw[y * (stride + 1) + 1 + x];
            const int a = x >= 3 ? out.rgb[y * stride + x - 3] : 0;
            const int b = y > 0 ? out.rgb[(y - 1) * stride + x] : 0;
            const int c = x >= 3 && y > 0 ? out.rgb[(y - 1) * stride + x - 3] : 0;
            int pred = 0;
            switch (filter) {
                case 0:
                    pred = 0;
                    break;
                case 1:
                    pred = a;
                    break;
                case 2:
                    pred = b;
                    break;
                case 3:
                    pred = (a + b) / 2;
                    break;
                case 4: {
                    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
                    pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                    break;
                }
                default:
                    return std::nullopt;
            }
            out.rgb[y * stride + x] = static_cast<std::uint8_t>((v + pred) & 0xFF);
        }
    }
    return out;
}

struct JpegTestError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

inline void jpegTestErrorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegTestError*>(cinfo->err)->jump, 1);
}

inline std::optional<Decoded> decodeJpeg(std::string_view d) {
    if (d.size() < 4 || static_cast<std::uint8_t>(d[0]) != 0xFF || static_cast<std::uint8_t>(d[1]) != 0xD8)
        return std::nullopt;
    jpeg_decompress_struct cinfo{};
    JpegTestError err{};
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegTestErrorExit;
    Decoded out;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return std::nullopt;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(d.data()),
                 static_cast<unsigned long>(d.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.rgb.data() + static_cast<std::size_t>(cinfo.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return out;
}

// Decodes by the leading bytes.
inline std::optional<Decoded> decodeAny(std::string_view d) {
    if (d.substr(0, 3) == "GIF") return decodeGif(d);
    if (d.substr(0, 4) == "\x89PNG") return decodePng(d);
    return decodeJpeg(d);
}

}  // namespace vellora::sim::test
