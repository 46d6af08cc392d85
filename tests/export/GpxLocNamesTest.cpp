// Cache names in GPX and LOC: their ASCII form for older devices (base letters, German spelled
// out), or whole in UTF-8 when the export is asked to.
#include <gtest/gtest.h>

#include "ExportTestKit.h"
#include "core/Settings.h"
#include "export/ListExport.h"

namespace vellora::test {
namespace {

class GpxLocNames : public ::testing::Test {
protected:
    void SetUp() override {
        h.writeDatabase({
            exportCache("GC1",
                        "Points g\xE9od\xE9siques du Qu\xE9"
                        "bec",
                        46.8, -71.2),
            exportCache("GC2",
                        "\x84M\xFCller\x93 \x96 S\xF8n & \x8C"
                        "uvre <1>",
                        48.1, 11.5),
        });
        h.writeWorkList({"GC1", "GC2"});
        h.home.dir.write(
            "WPtpl.txt",
            "<wpt lat=\"#LAT#\" lon=\"#LON#\"><name>#WAYPOINT#</name><desc>#CACHENAME#</desc></wpt>");
    }

    std::string run(int format, bool utf8Names) {
        ListExportModel dialog(h.ctx());
        dialog.open();
        dialog.setFormat(format);
        dialog.opts().GPXHomeExp = false;
        dialog.opts().UTF8Names = utf8Names;
        dialog.exportTo(h.work("out"));
        return h.read(format == kFormatGpx ? "out.gpx" : "out.loc");
    }

    ExportHome h;
};

TEST_F(GpxLocNames, AsciiNamesKeepTheBaseLetters) {
    const std::string gpx = run(kFormatGpx, false);
    EXPECT_NE(gpx.find("<desc>Points geodesiques du Quebec</desc>"), std::string::npos) << gpx;
    EXPECT_NE(gpx.find("<desc>&quot;Mueller&quot; - Son + OEuvre &lt;1&gt;</desc>"), std::string::npos)
        << gpx;
    const std::string loc = run(kFormatLoc, false);
    EXPECT_TRUE(loc.starts_with("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>")) << loc;
    EXPECT_NE(loc.find("<![CDATA[Points geodesiques du Quebec]]>"), std::string::npos) << loc;
    EXPECT_NE(loc.find("<![CDATA[\"Mueller\" - Son & OEuvre <1>]]>"), std::string::npos) << loc;
}

TEST_F(GpxLocNames, Utf8OptionWritesTheWholeName) {
    const std::string gpx = run(kFormatGpx, true);
    EXPECT_NE(gpx.find("<desc>Points g\xC3\xA9od\xC3\xA9siques du Qu\xC3\xA9"
                       "bec</desc>"),
              std::string::npos)
        << gpx;
    EXPECT_NE(
        gpx.find("<desc>\xE2\x80\x9EM\xC3\xBCller\xE2\x80\x9C \xE2\x80\x93 S\xC3\xB8n &amp; \xC5\x92uvre "
                 "&lt;1&gt;</desc>"),
        std::string::npos)
        << gpx;
    const std::string loc = run(kFormatLoc, true);
    EXPECT_TRUE(loc.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<loc")) << loc;
    EXPECT_NE(
        loc.find(
            "<![CDATA[\xE2\x80\x9EM\xC3\xBCller\xE2\x80\x9C \xE2\x80\x93 S\xC3\xB8n & \xC5\x92uvre <1>]]>"),
        std::string::npos)
        << loc;
}

TEST_F(GpxLocNames, Utf8OptionFollowsTheEncodingTheGpxDeclares) {
    h.ctx().settings.GPX_XMLInit = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
    const std::string gpx = run(kFormatGpx, true);
    // Latin-1 letters as bytes, the rest as references: still the whole name.
    EXPECT_NE(gpx.find("<desc>&#8222;M\xFCller&#8220; &#8211; S\xF8n &amp; &#338;uvre &lt;1&gt;</desc>"),
              std::string::npos)
        << gpx;
}

TEST_F(GpxLocNames, TheChoiceIsStoredWithTheOtherOptions) {
    ListExportModel dialog(h.ctx());
    h.home.dir.write("vellora.conf", "");
    dialog.open();
    dialog.opts().UTF8Names = true;
    dialog.setSaveOptions(true);
    dialog.exportTo(h.work("stored.gpx"));
    ListExportModel again(h.ctx());
    again.open();
    EXPECT_TRUE(again.opts().UTF8Names);
}

}  // namespace
}  // namespace vellora::test
