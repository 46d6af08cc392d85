// The encoders, checked by decoders written apart from them (SimTestSupport.h).
#include <gtest/gtest.h>

#include "SimTestSupport.h"
#include "sim/ImageCodec.h"
#include "sim/MapServices.h"
#include "sim/Pictures.h"

namespace vellora::sim {
namespace {

using test::decodeGif;
using test::decodeJpeg;
using test::decodePng;

Canvas sample(int w, int h) {
    Canvas c = drawPhoto(w, h, 42);
    c.line(0, 0, w - 1, h - 1, {255, 0, 0}, 3);
    return c;
}

TEST(ImageCodec, PngRoundTripsExactly) {
    for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {200, 200}, {641, 97}}) {
        const Canvas c = sample(w, h);
        const auto d = decodePng(encodePng(c));
        ASSERT_TRUE(d) << w << "x" << h;
        EXPECT_EQ(d->width, w);
        EXPECT_EQ(d->height, h);
        EXPECT_EQ(d->rgb, c.pixels());
    }
}

TEST(ImageCodec, GifDecodesToThePaletteColours) {
    // Large and noisy enough to fill the code table several times (clear codes, 12-bit codes).
    for (auto [w, h] : {std::pair{1, 1}, {3, 2}, {61, 13}, {500, 310}, {1024, 700}}) {
        const Canvas c = drawMap(49.5, 10.75, 40, w, h, MapStyle::AerialTile, -w / 2, -h / 2, true);
        const auto d = decodeGif(encodeGif(c));
        ASSERT_TRUE(d) << w << "x" << h;
        EXPECT_EQ(d->width, w);
        EXPECT_EQ(d->height, h);
        ASSERT_EQ(d->rgb.size(), c.pixels().size());
        // Quantised to a 6x7x6 cube: every channel stays within one step of the original.
        for (std::size_t i = 0; i < d->rgb.size(); ++i)
            ASSERT_LE(std::abs(d->rgb[i] - c.pixels()[i]), 52) << i;
    }
}

TEST(ImageCodec, JpegDecodesWithItsSize) {
    const Canvas c = sample(333, 211);
    const std::string bytes = encodeJpeg(c);
    const auto d = decodeJpeg(bytes);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->width, 333);
    EXPECT_EQ(d->height, 211);
    // Lossy, but close on average.
    long diff = 0;
    for (std::size_t i = 0; i < d->rgb.size(); ++i) diff += std::abs(d->rgb[i] - c.pixels()[i]);
    EXPECT_LT(diff / static_cast<long>(d->rgb.size()), 12);
}

TEST(ImageCodec, SamePixelsGiveSameBytes) {
    for (ImageFormat f : {ImageFormat::Gif, ImageFormat::Png, ImageFormat::Jpeg})
        EXPECT_EQ(encodeImage(sample(120, 90), f), encodeImage(sample(120, 90), f));
    EXPECT_NE(encodePng(drawPhoto(50, 50, 1)), encodePng(drawPhoto(50, 50, 2)));
}

TEST(ImageCodec, IconsFollowTheirKindAndExtension) {
    struct Case {
        const char* path;
        ImageFormat format;
        int w, h;
    };
    const Case cases[] = {
        {"/images/stars/stars3_5.gif", ImageFormat::Gif, 61, 13},
        {"/images/WptTypes/2.gif", ImageFormat::Gif, 32, 32},
        {"/images/icons/icon_smile.gif", ImageFormat::Gif, 16, 16},
        {"/images/wpttypes/sm/pk.jpg", ImageFormat::Jpeg, 16, 16},
        {"/images/attributes/dogs-yes.png", ImageFormat::Png, 30, 30},
    };
    for (const auto& c : cases) {
        const auto d = test::decodeAny(iconImage(c.path, c.format));
        ASSERT_TRUE(d) << c.path;
        EXPECT_EQ(d->width, c.w) << c.path;
        EXPECT_EQ(d->height, c.h) << c.path;
    }
}

}  // namespace
}  // namespace vellora::sim
