#include "listing/ImageSize.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>

#include "support/TestHome.h"

namespace vellora {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

std::string be16(int v) {
    return bytes({(v >> 8) & 0xFF, v & 0xFF});
}
std::string le16(int v) {
    return bytes({v & 0xFF, (v >> 8) & 0xFF});
}
std::string be32(std::uint32_t v) {
    return be16(static_cast<int>(v >> 16)) + be16(static_cast<int>(v & 0xFFFF));
}
std::string le32(std::uint32_t v) {
    return le16(static_cast<int>(v & 0xFFFF)) + le16(static_cast<int>(v >> 16));
}

std::string png(std::uint32_t w, std::uint32_t h) {
    return std::string("\x89PNG\r\n\x1A\n", 8) + be32(13) + "IHDR" + be32(w) + be32(h) +
           bytes({8, 2, 0, 0, 0}) + be32(0);
}
std::string gif(int w, int h) {
    return "GIF89a" + le16(w) + le16(h) + bytes({0xF7, 0, 0});
}
std::string bmp(std::int32_t w, std::int32_t h) {
    return "BM" + le32(1000) + le32(0) + le32(54) + le32(40) + le32(static_cast<std::uint32_t>(w)) +
           le32(static_cast<std::uint32_t>(h)) + le16(1) + le16(24);
}
std::string bmpCore(int w, int h) {
    return "BM" + le32(1000) + le32(0) + le32(26) + le32(12) + le16(w) + le16(h);
}
std::string segment(int marker, const std::string& payload) {
    return bytes({0xFF, marker}) + be16(static_cast<int>(payload.size()) + 2) + payload;
}
std::string sof(int marker, int w, int h) {
    return segment(marker, bytes({8}) + be16(h) + be16(w) + bytes({3}));
}
std::string jpeg(const std::string& segments) {
    return bytes({0xFF, 0xD8}) + segments + bytes({0xFF, 0xD9});
}

struct SizeCase {
    const char* name;
    std::string data;
    std::optional<ImageSize> size;
};

const std::vector<SizeCase>& cases() {
    static const std::vector<SizeCase> c = {
        {"Png", png(640, 480), ImageSize{640, 480}},
        {"PngLargestDimension", png(0x7FFFFFFF, 1), ImageSize{0x7FFFFFFF, 1}},
        {"PngBeyondIntRange", png(0x80000000u, 1), std::nullopt},
        {"PngZeroHeight", png(10, 0), std::nullopt},
        {"PngWithoutIhdrFirst", std::string(png(10, 10)).replace(12, 4, "IDAT"), std::nullopt},
        {"Gif87", "GIF87a" + le16(300) + le16(200), ImageSize{300, 200}},
        {"Gif89", gif(65535, 1), ImageSize{65535, 1}},
        {"GifZeroWidth", gif(0, 5), std::nullopt},
        {"GifWrongVersion", "GIF90a" + le16(3) + le16(3), std::nullopt},
        {"Bmp", bmp(800, 600), ImageSize{800, 600}},
        {"BmpTopDown", bmp(800, -600), ImageSize{800, 600}},
        {"BmpMostNegativeHeight", bmp(8, std::numeric_limits<std::int32_t>::min()), std::nullopt},
        {"BmpNegativeWidth", bmp(-8, 8), std::nullopt},
        {"BmpCoreHeader", bmpCore(120, 90), ImageSize{120, 90}},
        {"BmpUnknownSmallHeader", "BM" + le32(0) + le32(0) + le32(0) + le32(8) + le32(5) + le32(5),
         std::nullopt},
        {"JpegBaseline", jpeg(segment(0xE0, "JFIF\0\1\1") + sof(0xC0, 1024, 768)), ImageSize{1024, 768}},
        {"JpegProgressive", jpeg(sof(0xC2, 33, 44)), ImageSize{33, 44}},
        {"JpegTablesBeforeFrame",
         jpeg(segment(0xDB, std::string(65, 'q')) + segment(0xC4, std::string(20, 'h')) +
              segment(0xCC, "ac") + sof(0xC1, 5, 6)),
         ImageSize{5, 6}},
        {"JpegFillBytesAndRestartMarkers", jpeg(bytes({0xFF, 0xFF, 0xFF, 0xD0}) + sof(0xC0, 7, 8)),
         ImageSize{7, 8}},
        {"JpegScanBeforeFrame", jpeg(segment(0xDA, "xx") + sof(0xC0, 7, 8)), std::nullopt},
        {"JpegSegmentLengthBelowTwo", bytes({0xFF, 0xD8, 0xFF, 0xE1, 0, 1}) + sof(0xC0, 7, 8), std::nullopt},
        {"JpegSegmentPastTheEnd", bytes({0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 1, 2, 3}), std::nullopt},
        {"JpegGarbageBetweenSegments", bytes({0xFF, 0xD8, 0x12}) + sof(0xC0, 7, 8), std::nullopt},
        {"JpegShortFrameHeader", jpeg(segment(0xC0, "ab")), std::nullopt},
        {"JpegZeroHeight", jpeg(sof(0xC0, 7, 0)), std::nullopt},
        {"JpegNoFrame", jpeg(segment(0xE0, "x")), std::nullopt},
        {"Empty", "", std::nullopt},
        {"Text", "<html>not an image</html>", std::nullopt},
    };
    return c;
}

TEST(ImageSize, HeadersOfTheFourFormats) {
    for (const auto& c : cases()) EXPECT_EQ(imageSizeOfData(c.data), c.size) << c.name;
}

TEST(ImageSize, EveryTruncationOfAValidHeaderGivesNothing) {
    for (const auto& c : cases()) {
        if (!c.size) continue;
        // Everything the header needs lies before the last byte of these samples except the trailers.
        std::size_t needed = 0;
        for (std::size_t n = 0; n <= c.data.size(); ++n) {
            if (imageSizeOfData(std::string_view(c.data).substr(0, n))) {
                needed = n;
                break;
            }
        }
        ASSERT_GT(needed, 0u) << c.name;
        for (std::size_t n = 0; n < needed; ++n)
            EXPECT_EQ(imageSizeOfData(std::string_view(c.data).substr(0, n)), std::nullopt)
                << c.name << " " << n;
        EXPECT_EQ(imageSizeOfData(std::string_view(c.data).substr(0, needed)), c.size) << c.name;
    }
}

TEST(ImageSize, RandomCorruptionNeverReadsOutsideTheData) {
    // Run under the sanitizer build this catches reads beyond the buffer; here it shows termination.
    std::mt19937 rng(11);
    for (const auto& c : cases()) {
        for (int round = 0; round < 300; ++round) {
            std::string data = c.data;
            if (data.empty()) break;
            const int flips = 1 + static_cast<int>(rng() % 4);
            for (int k = 0; k < flips; ++k) data[rng() % data.size()] = static_cast<char>(rng() & 0xFF);
            data.resize(rng() % (data.size() + 1));
            const auto size = imageSizeOfData(data);
            if (size) {
                EXPECT_GE(size->width, 1);
                EXPECT_GE(size->height, 1);
            }
        }
    }
}

TEST(ImageSize, FilesAreReadOnlyAsFarAsNeeded) {
    test::TempDir dir;
    // A frame header behind more than a megabyte of metadata segments.
    std::string big;
    for (int k = 0; k < 20; ++k) big += segment(0xE1, std::string(65000, static_cast<char>('a' + k)));
    dir.write("big.jpg", jpeg(big + sof(0xC0, 4000, 3000) + std::string(100000, 'x')));
    EXPECT_EQ(imageSizeOfFile(dir.file("big.jpg")), (ImageSize{4000, 3000}));

    dir.write("pic.gif", gif(12, 34));
    dir.write("named.jpg", png(56, 78));  // the content decides, not the name
    dir.write("empty.png", "");
    dir.write("broken.bmp", bmp(8, 8).substr(0, 20));
    EXPECT_EQ(imageSizeOfFile(dir.file("pic.gif")), (ImageSize{12, 34}));
    EXPECT_EQ(imageSizeOfFile(dir.file("named.jpg")), (ImageSize{56, 78}));
    EXPECT_EQ(imageSizeOfFile(dir.file("empty.png")), std::nullopt);
    EXPECT_EQ(imageSizeOfFile(dir.file("broken.bmp")), std::nullopt);
    EXPECT_EQ(imageSizeOfFile(dir.file("missing.png")), std::nullopt);
    EXPECT_EQ(imageSizeOfFile(dir.path()), std::nullopt);  // a directory
    // An image list may name a pipe: nobody writes to it, and it is not waited for.
    ASSERT_EQ(::mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);
    EXPECT_EQ(imageSizeOfFile(dir.file("pipe.jpg")), std::nullopt);
}

}  // namespace
}  // namespace vellora
