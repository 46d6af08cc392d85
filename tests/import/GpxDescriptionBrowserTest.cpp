// The converted description of a pocket-query cache opened in headless Chromium: the owner's HTML
// (a table with attributes, &nbsp;, "&") as the listing site shows it, and the additional
// waypoints of the "-wpts" file listed. The browser reaches no address at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/FileUtil.h"
#include "import/PocketQueryHome.h"
#include "listing/CreateDescr.h"

namespace vellora {
namespace {

constexpr const char* kChromium = "/usr/bin/chromium";

std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class GpxDescriptionBrowser : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fileExists(kChromium)) {
            const char* ci = std::getenv("CI");
            if (ci && std::string(ci) == "true") FAIL() << "chromium is not installed";
            GTEST_SKIP() << "chromium is not installed (scripts/test.sh installs it)";
        }
    }

    // Runs the browser on a local file with one action (--dump-dom, --screenshot=...); its output.
    std::string browse(const std::string& file, const std::string& action) {
        const std::string dir = pq.home.dir.path();
        const std::string command =
            std::string("timeout 90 ") + kChromium +
            " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
            " --disable-background-networking --disable-component-update --disable-sync"
            " --disable-default-apps --disable-extensions --user-data-dir=" +
            shellQuoted(dir + "/profile") + " --host-resolver-rules=" + shellQuoted("MAP * ~NOTFOUND") +
            " --virtual-time-budget=3000 --window-size=900,1400 " + action + " " +
            shellQuoted("file://" + file) + " >" + shellQuoted(dir + "/browser.out") + " 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return readFile(dir + "/browser.out").value_or("");
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
    browse(converted, "--screenshot=" + shellQuoted(shot));
    const auto png = readFile(shot);
    ASSERT_TRUE(png && png->starts_with("\x89PNG")) << shot;
    if (const char* dir = std::getenv("VELLORA_SCREENSHOT_DIR"))
        std::filesystem::copy_file(shot, std::string(dir) + "/converted-description-pocket-query.png",
                                   std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
}  // namespace vellora
