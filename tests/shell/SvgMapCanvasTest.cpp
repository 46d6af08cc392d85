// The map window's drawing as SVG: what each drawing call writes, and the booklet cover's overview
// of a list of caches.
#include "shell/SvgMapCanvas.h"

#include <gtest/gtest.h>

#include <string>

#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "support/CacheRecords.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

TEST(SvgMapCanvas, DrawingCallsBecomeElements) {
    SvgMapCanvas canvas(200, 100);
    canvas.fillRects({{10, 20, 5, 3}, {11, 19, 3, 5}}, kMapBlack);
    canvas.fillRects({}, kMapBlack);
    canvas.frameRect({0, 0, 200, 100}, kBorderColour);
    canvas.polyline({{1, 2}, {3, 4}, {5, 6}}, kRouteColour);
    canvas.filledCircle({50, 60}, 3, kTownColour);
    canvas.text({7, 8}, "M\xFChle <&>", 8, kMapBlack);
    canvas.verticalText({30, 0}, "10\xB0", 8, kGridColour);
    const std::string svg = canvas.svg();

    struct Expected {
        const char* what;
        const char* part;
    };
    for (const Expected& e : {
             Expected{"one path for all markers",
                      "<path fill=\"#000000\" d=\"M10 20h5v3h-5zM11 19h3v5h-3z\"/>"},
             Expected{"a frame inside its rectangle", "x=\"0.5\" y=\"0.5\" width=\"199\" height=\"99\""},
             Expected{"the route", "points=\"1,2 3,4 5,6 \""},
             Expected{"a town", "<circle cx=\"50\" cy=\"60\" r=\"3\" fill=\"#ff0000\"/>"},
             Expected{"text is escaped and keeps its letters", ">M\xFChle &lt;&amp;&gt;</text>"},
             Expected{"text hangs from its top left corner", "dominant-baseline=\"text-before-edge\""},
             Expected{"vertical text turned around its corner",
                      "<g transform=\"translate(30 0) rotate(90)\">"},
             Expected{"the image scales to its container", "viewBox=\"0 0 200 100\" width=\"100%\""},
         }) {
        EXPECT_NE(svg.find(e.part), std::string::npos) << e.what << "\n" << svg;
    }
    EXPECT_EQ(svg.find("<path", svg.find("<path") + 1), std::string::npos) << "an empty batch draws nothing";
    // The rotated text stays inside its group.
    EXPECT_LT(svg.find("10\xB0</text>"), svg.find("</g>"));
}

TEST(SvgMapCanvas, OverviewOfTheKnownCachesOfAList) {
    test::TestHome home;
    RunContext& ctx = home.ctx();
    home.dir.write("Caches.bin", test::encodeDatabase({test::sampleCache("GC100", 49.6, 10.8),
                                                       test::sampleCache("GC200", 49.51, 10.76)}));
    // Without the map's files there is no map (the window would complain about them).
    for (const char* file : {kTownsFileName, kBordersFileName}) removeFile(home.workFile(file));
    EXPECT_EQ(overviewMapSvg(ctx, {"GC100", "GC200"}, 640, 560), "");

    ASSERT_EQ(writeFileAtomic(home.workFile(kTownsFileName), "49.55;10.78;3;Mittendrin\r\n"), 0);
    ASSERT_EQ(writeFileAtomic(home.workFile(kBordersFileName), ""), 0);
    EXPECT_EQ(overviewMapSvg(ctx, {"GCNONE"}, 640, 560), "");
    const std::string svg = overviewMapSvg(ctx, {"GC100", "GC200", "GCNONE"}, 640, 560);
    // Zoomed to the two caches: both named, the town between them shown.
    EXPECT_NE(svg.find(">GC100</text>"), std::string::npos);
    EXPECT_NE(svg.find(">GC200</text>"), std::string::npos);
    EXPECT_EQ(svg.find("GCNONE"), std::string::npos);
    EXPECT_NE(svg.find(">Mittendrin</text>"), std::string::npos);
}

}  // namespace
}  // namespace vellora
