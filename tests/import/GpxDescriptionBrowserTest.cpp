// The converted description of a pocket-query cache opened in headless Chromium: the owner's HTML
// (a table with attributes, &nbsp;, "&") as the listing site shows it, and the additional
// waypoints of the "-wpts" file listed. The browser reaches no address at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/FileUtil.h"
#include "import/PocketQueryHome.h"
#include "listing/CreateDescr.h"
#include "support/HeadlessBrowser.h"

namespace vellora {
namespace {

class GpxDescriptionBrowser : public test::HeadlessBrowserTest {
protected:
    std::string browse(const std::string& file, const std::string& action) {
        return HeadlessBrowserTest::browse(pq.home.dir.path(), file, action);
    }

    test::PqHome pq;
};

TEST_F(GpxDescriptionBrowser, OwnersHtmlAndAdditionalWaypointsAsOnTheSite) {
    pq.home.dir.write("12345-wpts.gpx", test::pqFixture("whole-wpts.gpx"));
    pq.import("12345.gpx", test::pqFixture("whole.gpx"));
    TCreateDescr generator(pq.ctx());
    generator.options.RmBGColor = false;  // the owner's colours, as the site shows them
    generator.prepareRun();
    ASSERT_TRUE(generator.loadTemplate());  // the shipped template
    ASSERT_EQ(generator.convertCache("GC1A001"), 0);
    const std::string converted = pq.home.dir.path() + "/GC1A001_converted.html";

    const std::string dom = browse(converted, "--dump-dom");
    // The owner's table is a table with its attributes; its references are characters, not text.
    EXPECT_NE(dom.find("<table bgcolor=\"#EEEEEE\" border=\"1\">"), std::string::npos) << dom;
    EXPECT_NE(dom.find("<td>Start&nbsp;&nbsp;am Parkplatz</td>"), std::string::npos) << dom;
    EXPECT_NE(dom.find("<b>Lang &amp; breit</b>"), std::string::npos) << dom;
    EXPECT_EQ(dom.find("&amp;nbsp;"), std::string::npos) << dom;
    EXPECT_EQ(dom.find("&lt;table"), std::string::npos) << dom;
    EXPECT_NE(dom.find("<i>am Weiher</i>"), std::string::npos) << dom;
    // The plain short description keeps its line break.
    EXPECT_EQ(dom.find("Spaziergang.Am"), std::string::npos) << dom;
    // The additional waypoints, with coordinates and comments.
    for (const char* text :
         {"Zus\xC3\xA4tzliche Wegpunkte", "Parkplatz (P)", "N 49\xC2\xB0 29.910 E 011\xC2\xB0 02.880",
          "Note: Kostenlos &amp; schattig", "Station 1 (SOM)", "Note: Z\xC3\xA4hle die Fenster: A"})
        EXPECT_NE(dom.find(text), std::string::npos) << text;

    const std::string shot = pq.home.dir.path() + "/GC1A001_converted.png";
    browse(converted, "--screenshot=" + test::shellQuoted(shot));
    const auto png = readFile(shot);
    ASSERT_TRUE(png && png->starts_with("\x89PNG")) << shot;
    if (const char* dir = std::getenv("VELLORA_SCREENSHOT_DIR"))
        std::filesystem::copy_file(shot, std::string(dir) + "/converted-description-pocket-query.png",
                                   std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
}  // namespace vellora
