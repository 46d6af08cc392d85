#include <gtest/gtest.h>

#include "ExportTestKit.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "export/DbCsvExport.h"
#include "export/MapView.h"

namespace vellora::test {
namespace {

class DbCsvTest : public ::testing::Test {
protected:
    void SetUp() override {
        TCacheRec r = exportCache("GC1234", "Der \"Stein\"", 48.1234567, 11.5);
        r.HiddenDate = encodeDate(2005, 10, 30) + 0.5;
        h.writeDatabase({r, exportCache("GC2000", "Zwei", 49.25, 10.75, "Multi-cache", "Micro", "3", "4.5")});
    }
    std::string run(const std::function<void(DbCsvOptions&)>& setup = {}) {
        DbCsvExportModel dialog(h.ctx());
        dialog.open();
        if (setup) setup(dialog.options());
        h.home.host.answerNextSave(h.work("GCrecords.csv"));
        EXPECT_TRUE(dialog.exportRun());
        return h.read("GCrecords.csv");
    }
    ExportHome h;
};

TEST_F(DbCsvTest, DefaultColumnsQuotedExceptTheDistance) {
    EXPECT_EQ(
        run(),
        "\"Cachename\";\"Versteckdatum\";\"Koordinaten\";\"Gr\xF6\xDF"
        "e\";\"Typ\";\"Waypoint\";\"Diff.\";"
        "\"Terrain\";\"Land\";\"km von Home\"\r\n"
        "\"Der \"\"Stein\"\"\";\"30.10.2005 12:00:00\";\"N 48\xB0 7.407 E 011\xB0 30.000\";\"Regular\";"
        "\"Traditional Cache\";\"GC1234\";\"1,5\";\"2\";\"0\";12,34\r\n"
        "\"Zwei\";\"30.10.2005\";\"N 49\xB0 15.000 E 010\xB0 45.000\";\"Micro\";\"Multi-cache\";\"GC2000\";"
        "\"3\";\"4,5\";\"0\";12,34\r\n");
    ASSERT_FALSE(h.home.host.dialogs.empty());
    EXPECT_EQ(h.home.host.dialogs.back().defaultName, "GCrecords.csv");
}

TEST_F(DbCsvTest, ColumnChoices) {
    EXPECT_EQ(run([](DbCsvOptions& o) {
                  o.columns.fill(false);
                  o.columns[kDbCsvID] = true;
                  o.headline = false;
              }),
              "4711\r\n4711\r\n");
    EXPECT_EQ(run([](DbCsvOptions& o) { o.columns.fill(false); }), "\r\n");
}

TEST_F(DbCsvTest, NoDatabaseWritesNothingAndSaysNothing) {
    removeFile(h.work("Caches.bin"));
    DbCsvExportModel dialog(h.ctx());
    dialog.open();
    EXPECT_TRUE(dialog.exportTo(h.work("x.csv")));
    EXPECT_FALSE(h.home.dir.exists("x.csv"));
    EXPECT_TRUE(h.home.host.messages.empty());
}

TEST(MapViewRules, ZoomIconsAndNames) {
    struct Case {
        float s, t;
        int zoom;
    };
    for (const Case& c :
         {Case{0, 0, 13}, Case{180, 0, 6}, Case{320, 0, 6}, Case{320.5f, 0, 5}, Case{0, 361, 5},
          Case{2.5f, 3, 13}, Case{2.6f, 0, 12}, Case{0, 5.6f, 11}, Case{21, 0, 9}}) {
        EXPECT_EQ(mapZoomFactor(c.s, c.t), c.zoom) << c.s << " " << c.t;
    }
    EXPECT_EQ(mapIconNumber("Locationless Cache"), 3);
    EXPECT_EQ(mapIconNumber("Earthcache"), 9);
    EXPECT_EQ(mapIconNumber("Wherigo"), 1);
    EXPECT_EQ(markerName("M\xFCller's \"H\xF6hle\" & Co"), "M&#252;ller's &quot;H&#246;hle&quot; &amp; Co");
    EXPECT_EQ(markerName("a\tb\xE9<c \x80"), "a b&#233;&lt;c &#8364;");
}

class MapViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.writeDatabase({exportCache("GC1234", "Eins", 48.0, 11.0),
                         exportCache("GC2000", "Zwei", 51.0, 11.5, "Webcam Cache", "Small", "2.5", "3")});
        h.home.dir.write(
            "gmtemplate.html",
            "#CENTERLAT#,#CENTERLONG#,#ZOOMFACTOR#,#MAPWIDTH#x#MAPHEIGHT#,#LISTCOMMENT#,#CENTERLAT#");
    }
    ExportHome h;
};

TEST_F(MapViewTest, OneCacheIsTheCentreAtZoom13) {
    h.writeWorkList({"GC1234"});
    EXPECT_EQ(showCaches(h.ctx(), kMapSourceWorkList, 1), 1);
    EXPECT_EQ(
        h.read("caches.xml"),
        "<markers>\r\n<marker lat=\"48.00000\" lng=\"11.00000\" wpt=\"[b]GC1234[/b][br]Eins\" icon=\"1\" "
        "diff=\"1.5\" terr=\"2\" size=\"Regular\"/>\r\n</markers>\r\n");
    EXPECT_EQ(h.read("gmshow.html"),
              "48.000,11.000,13,800x600,Folgende 1 Caches befinden sich in der Arbeitsliste:,48.000");
    EXPECT_EQ(h.home.host.opened, std::vector<std::string>{h.work("gmshow.html")});
}

TEST_F(MapViewTest, ThreeDegreesOfLatitudeGiveZoom6AndTheMiddle) {
    writeListFile(h.work("dirlist.txt"), {"GC2000", "GC0001", "GC1234"});
    EXPECT_EQ(showCaches(h.ctx(), kMapSourceDirectory, 2), 2);
    EXPECT_EQ(h.read("gmshow.html"),
              "49.500,11.250,6,1024x768,Folgende 2 Caches befinden sich im gew&auml;hlten "
              "Ausgabeverzeichnis::,49.500");
    EXPECT_NE(h.read("caches.xml").find("icon=\"7\" diff=\"2.5\" terr=\"3\" size=\"Small\""),
              std::string::npos);
}

TEST_F(MapViewTest, FindsAndMissingCaches) {
    writeFoundRecords(h.work("Finds.bin"), {{51.0, 11.5, "GC2000", "Zwei", "Webcam Cache", "01.01.2006"}});
    EXPECT_EQ(showCaches(h.ctx(), kMapSourceFinds, 0), 1);
    EXPECT_NE(h.read("gmshow.html").find("640x480,Folgende 1 Caches hast Du bereits gefunden::"),
              std::string::npos);

    removeFile(h.work("caches.xml"));
    removeFile(h.work("gmshow.html"));
    h.home.host.opened.clear();
    h.writeWorkList({"GC0001", "GC0002"});
    EXPECT_EQ(showCaches(h.ctx(), kMapSourceWorkList, 0), 0);
    EXPECT_FALSE(h.home.dir.exists("caches.xml"));
    EXPECT_FALSE(h.home.dir.exists("gmshow.html"));
    EXPECT_TRUE(h.home.host.opened.empty());
    EXPECT_TRUE(h.home.host.messages.empty());
}

TEST_F(MapViewTest, MissingTemplateIsAnInputOutputError) {
    h.writeWorkList({"GC1234"});
    removeFile(h.work("gmtemplate.html"));
    EXPECT_EQ(showCaches(h.ctx(), kMapSourceWorkList, 0), -1);
    EXPECT_EQ(h.home.host.textsOf(MsgKind::Error).size(), 1u);
    EXPECT_FALSE(h.home.dir.exists("gmshow.html"));
    EXPECT_TRUE(h.home.host.opened.empty());
}

TEST_F(MapViewTest, OneCacheAddress) {
    h.ctx().services.mapView = "http://127.0.0.1:9/";
    ShowOneCacheModel dialog(h.ctx());
    dialog.setPosition(48.5, 11.25);
    dialog.display = 1;
    dialog.zoom = 3;
    EXPECT_EQ(dialog.address(),
              "http://127.0.0.1:9/"
              "maps?f=q&hl=de&q=48.500000+11.250000&ie=UTF8&om=1&z=10&t=k&ll=48.500000,11.250000");
    dialog.display = 2;
    dialog.zoom = 2;
    EXPECT_NE(dialog.address().find("&z=13&t=h&ll="), std::string::npos);
    dialog.display = 0;
    EXPECT_NE(dialog.address().find("&z=14&ll="), std::string::npos);
    dialog.zoom = 0;
    dialog.ok();
    EXPECT_EQ(h.home.host.opened.size(), 1u);
    EXPECT_NE(h.home.host.opened[0].find("&z=17&ll="), std::string::npos);
}

TEST_F(MapViewTest, ShippedPageGetsTheMarkersEmbedded) {
    const auto shipped = readFile(std::string(VELLORA_TEST_DATA_DIR) + "/gmtemplate.html");
    ASSERT_TRUE(shipped.has_value());
    h.home.dir.write("gmtemplate.html", *shipped);
    h.writeWorkList({"GC1234"});
    ASSERT_EQ(showCaches(h.ctx(), kMapSourceWorkList, 0), 1);
    const std::string page = h.read("gmshow.html");
    EXPECT_EQ(page.find('#' + std::string("CENTERLAT#")), std::string::npos);
    EXPECT_NE(page.find("var embeddedMarkers = \"\\x3Cmarkers>\\n\\x3Cmarker lat=\\\"48.00000\\\""),
              std::string::npos);
    EXPECT_NE(page.find("setView([48.000, 11.000], 13)"), std::string::npos);
}

}  // namespace
}  // namespace vellora::test
