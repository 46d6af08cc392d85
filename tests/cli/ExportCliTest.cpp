#include <gtest/gtest.h>

#include "../export/ExportTestKit.h"
#include "support/CliRunner.h"

namespace vellora::test {
namespace {

class ExportCli : public ::testing::Test {
protected:
    void SetUp() override {
        h.writeDatabase(
            {exportCache("GC1234", "Eins", 48.0, 11.0), exportCache("GC2000", "Zwei", 49.0, 11.5)});
        h.writeWorkList({"GC2000"});
    }
    ExportHome h;
    CliRunner cli{h.home.dir.path()};
};

TEST_F(ExportCli, FormatsAndSources) {
    auto r = cli.run({"export", "--format", "realmaps", "--source", "db", "-o", h.work("all")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "2 Datens\xC3\xA4tze geschrieben.\n");
    EXPECT_EQ(h.read("all.txt"), "48,000000\t11,000000\tEins\r\n49,000000\t11,500000\tZwei\r\n");

    r = cli.run({"export", "--format", "gpx", "--source", "work", "-o", h.work("w.gpx")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(h.read("w.gpx").find("<name>GC2000</name>"), std::string::npos);

    r = cli.run({"export", "--format", "xml", "--template", "KML 2.2 f\xC3\xBCr Globus-Ansicht", "--source",
                 "work", "-o", h.work("w.kml")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(h.read("w.kml").find("<coordinates>11.500000,49.000000,0</coordinates>"), std::string::npos);

    h.home.dir.write("out/GC1234_converted.html", "x");
    h.home.dir.write("out/GC1234_map.gif", "x");
    r = cli.run({"export", "--format", "loc", "--source", "dir:" + h.work("out"), "-o", h.work("d.loc")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(h.read("dirlist.txt"), "GC1234\r\n");
    EXPECT_NE(h.read("d.loc").find("<name id=\"GC1234\">"), std::string::npos);
}

TEST_F(ExportCli, Utf8NamesOnlyWhenAsked) {
    auto r = cli.run({"export", "--format", "loc", "--source", "db", "-o", h.work("a.loc")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(h.read("a.loc").starts_with("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"));
    r = cli.run({"export", "--format", "loc", "--utf8-names", "--source", "db", "-o", h.work("u.loc")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(h.read("u.loc").starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
}

TEST_F(ExportCli, UsageErrors) {
    EXPECT_EQ(cli.run({"export", "--format", "kml", "--source", "db", "-o", h.work("x")}).code, 2);
    EXPECT_EQ(cli.run({"export", "--format", "gpx", "--source", "db"}).code, 2);
    EXPECT_EQ(
        cli.run({"export", "--format", "xml", "--template", "nix", "--source", "db", "-o", h.work("x")}).code,
        1);
    EXPECT_EQ(cli.run({"mapview", "--source", "work", "--size", "5"}).code, 2);
}

TEST_F(ExportCli, DatabaseCsvAndMapView) {
    auto r = cli.run({"export", "db-csv", h.work("db.csv")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(textLines(h.read("db.csv")).size(), 3u);

    r = cli.run({"mapview", "--source", "work", "--size", "1"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE((r.out + r.err).find("gmshow.html"), std::string::npos);
    EXPECT_NE(h.read("gmshow.html").find("#map { width: 800px; height: 600px;"), std::string::npos);
    EXPECT_TRUE(h.home.dir.exists("leaflet.js"));
    EXPECT_TRUE(h.home.dir.exists("images/marker-icon.png"));
}

}  // namespace
}  // namespace vellora::test
