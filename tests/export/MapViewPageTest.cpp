#include <gtest/gtest.h>

#include "ExportTestKit.h"
#include "core/FileUtil.h"
#include "core/IniFile.h"
#include "core/MapTiles.h"
#include "export/MapView.h"

namespace vellora::test {
namespace {

// The shipped page filled for a work list: tile address, marker bounds and names as written.
class MapViewPage : public ::testing::Test {
protected:
    void SetUp() override {
        const auto shipped = readFile(std::string(VELLORA_TEST_DATA_DIR) + "/gmtemplate.html");
        ASSERT_TRUE(shipped.has_value());
        h.home.dir.write("gmtemplate.html", *shipped);
    }
    std::string show(const std::vector<TCacheRec>& caches) {
        h.writeDatabase(caches);
        std::vector<std::string> waypoints;
        for (const TCacheRec& r : caches) waypoints.push_back(r.Waypoint);
        h.writeWorkList(waypoints);
        EXPECT_EQ(showCaches(h.ctx(), kMapSourceWorkList, 0), static_cast<int>(caches.size()));
        return h.read("gmshow.html");
    }
    ExportHome h;
};

TEST_F(MapViewPage, TilesComeFromTheServicesSection) {
    const std::string standard = show({exportCache("GC1234", "Eins", 48.0, 11.0)});
    EXPECT_NE(standard.find("var tileAddress = \"https://tile.openstreetmap.org/{z}/{x}/{y}.png\";"),
              std::string::npos);
    EXPECT_NE(standard.find("OpenStreetMap</a>-Mitwirkende"), std::string::npos);
    EXPECT_EQ(standard.find("L.tileLayer(\"http"), std::string::npos);

    writeMapTilesAddress(h.ctx().programConf(), "http://127.0.0.1:9/tiles/{z}/{x}/{y}.png");
    const std::string configured = show({exportCache("GC1234", "Eins", 48.0, 11.0)});
    EXPECT_NE(configured.find("var tileAddress = \"http://127.0.0.1:9/tiles/{z}/{x}/{y}.png\";"),
              std::string::npos);
    EXPECT_EQ(configured.find("tile.openstreetmap.org"), std::string::npos);
    // An address that would end the script's string stays inside it.
    writeMapTilesAddress(h.ctx().programConf(), "http://127.0.0.1:9/\"</script>{z}");
    const std::string hostile = show({exportCache("GC1234", "Eins", 48.0, 11.0)});
    EXPECT_NE(hostile.find("var tileAddress = \"http://127.0.0.1:9/\\\"\\x3C/script>{z}\";"),
              std::string::npos);
}

// A cluster with one far cache: the view is fitted to the bounds of all markers, not centred on
// the middle of the box at a fixed zoom.
TEST_F(MapViewPage, TheViewFitsTheBoundsOfAllMarkers) {
    const std::string page =
        show({exportCache("GC1000", "Nord", 49.61, 10.82), exportCache("GC1001", "Mitte", 49.58, 10.79),
              exportCache("GC1002", "Weit weg", 38.72, -27.22)});
    EXPECT_NE(page.find("var markerBounds = [[38.72000, -27.22000], [49.61000, 10.82000]];"),
              std::string::npos);
    EXPECT_NE(page.find("map.fitBounds(markerBounds"), std::string::npos);
}

// Names keep every character: the page is Windows-1252, the marker file ASCII with references.
TEST_F(MapViewPage, NamesKeepEveryCharacter) {
    const std::string page = show({exportCache("GC1000",
                                               "Caf\xE9 am Gro\xDF"
                                               "en Teich \x80 & \"Ufer\"",
                                               49.6, 10.8)});
    EXPECT_NE(page.find("<meta charset=\"windows-1252\">"), std::string::npos);
    const std::string markers = h.read("caches.xml");
    for (const unsigned char c : markers) EXPECT_LT(c, 0x80);
    EXPECT_NE(markers.find(
                  "wpt=\"[b]GC1000[/b][br]Caf&#233; am Gro&#223;en Teich &#8364; &amp; &quot;Ufer&quot;\""),
              std::string::npos);
    EXPECT_NE(page.find("Caf&#233; am Gro&#223;en Teich &#8364; &amp; &quot;Ufer&quot;"), std::string::npos);
}

}  // namespace
}  // namespace vellora::test
