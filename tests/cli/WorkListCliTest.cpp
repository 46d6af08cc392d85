#include <gtest/gtest.h>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/FoundList.h"
#include "support/CacheRecords.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

namespace vellora::test {
namespace {

using Vec = std::vector<std::string>;

TCacheRec cache(const std::string& wp, double lat, const std::string& name,
                const std::string& type = "Traditional Cache") {
    TCacheRec r = sampleCache(wp, lat);
    r.CacheName = name;
    r.CacheType = type;
    r.CacheSize = "Micro";
    r.HiddenDate = encodeDate(2005, 1, 1);
    return r;
}

class WorkListCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(cli.run({"config", "set", "Program", "HomeLat", "49.6"}).code, 0);
        ASSERT_EQ(cli.run({"config", "set", "Program", "HomeLong", "10.8"}).code, 0);
        std::string db;
        // 0.05 degrees of latitude: 5.6 km.
        for (const auto& r : {cache("GC1", 49.6, "Burg"), cache("GC2", 49.65, "M\xFChle"),
                              cache("GC3", 49.7, "Mystery", "Unknown Cache"), cache("GC4", 50.6, "Weit weg")})
            db += encodeCacheRec(r);
        root.write("Caches.bin", db);
    }
    Vec lines(const Vec& words, int expectedCode = 0) {
        const CliResult r = cli.run(words);
        EXPECT_EQ(r.code, expectedCode) << r.err;
        return textLines(r.out);
    }

    TempDir root;
    CliRunner cli{root.path()};
};

TEST_F(WorkListCli, AddMoveShowAndSave) {
    EXPECT_EQ(lines({"worklist", "add", "gc1", "GC2", "GC1"}),
              (Vec{"GC1: schon in der Arbeitsliste", "+ GC1 (Arbeitsliste)", "+ GC2 (Arbeitsliste)",
                   "Arbeitsliste: 2", "Eigene Funde: 0", "Ignore-Liste: 0", "Zwischenablage: 0"}));
    EXPECT_EQ(root.read("WPList.txt"), "GC1\r\nGC2\r\n");
    EXPECT_FALSE(root.exists("WPList.txt.bk"));
    EXPECT_EQ(lines({"worklist", "move", "GC2", "--to", "finds"})[0], "- GC2 (Arbeitsliste)");
    std::vector<TFoundRec> finds;
    ASSERT_EQ(readFoundRecords(root.file("Finds.bin"), finds), 0);
    ASSERT_EQ(finds.size(), 1u);
    EXPECT_EQ(finds[0].Waypoint, "GC2");
    EXPECT_EQ(finds[0].CacheName, "M\xFChle");

    const Vec shown = lines({"worklist", "show", "--list", "finds"});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "Eigene Funde (1 Einträge)");
    EXPECT_EQ(shown[1].substr(0, shown[1].find('\t', 11)), "GC2\tMühle\t5,6");

    // An unknown waypoint: the question is answered by --no / --yes.
    EXPECT_EQ(cli.run({"--no", "worklist", "add", "GC99"}).out, "");
    EXPECT_EQ(lines({"--yes", "worklist", "add", "GC99", "--list", "clipboard"})[0],
              "+ GC99 (Zwischenablage)");
    EXPECT_EQ(lines({"worklist", "clear", "--list", "clipboard"})[0], "- GC99 (Zwischenablage)");
    EXPECT_EQ(root.read("WPclipboard.txt"), "");
}

TEST_F(WorkListCli, RadiusWithFlagsAndStoredOptions) {
    // Every cache is a micro: nothing to add, nothing written.
    EXPECT_EQ(lines({"worklist", "radius", "--radius", "6", "--skip-micros"}), (Vec{}));
    EXPECT_FALSE(root.exists("WPList.txt"));
    const CliResult bad = cli.run({"worklist", "radius", "--radius", "0"});
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("Der eingegebene Radius ist falsch."), std::string::npos);
    EXPECT_EQ(
        lines({"worklist", "radius", "--radius", "12", "--types", "mystery,Traditional", "--skip-micros"}),
        (Vec{}));
    EXPECT_EQ(lines({"worklist", "radius", "--radius", "12", "--types", "Mystery"})[0],
              "+ GC3 (Arbeitsliste)");
    EXPECT_EQ(lines({"worklist", "radius", "--radius", "2", "--center", "50.6,10.8", "--list", "ignore"})[0],
              "+ GC4 (Ignore-Liste)");
    EXPECT_EQ(lines({"worklist", "radius", "--radius", "1", "--since", "01.01.2006"}), (Vec{}));
    // The ignored GC4 stays off the work list.
    EXPECT_EQ(lines({"worklist", "radius", "--radius", "200"}),
              (Vec{"+ GC1 (Arbeitsliste)", "+ GC2 (Arbeitsliste)", "Arbeitsliste: 3", "Eigene Funde: 0",
                   "Ignore-Liste: 1", "Zwischenablage: 0"}));
    EXPECT_EQ(root.read("WPList.txt"), "GC3\r\nGC1\r\nGC2\r\n");
    EXPECT_EQ(cli.run({"worklist", "radius", "--radius", "1", "--types", "Foo"}).code, 2);
    EXPECT_EQ(cli.run({"worklist", "radius"}).code, 2);
}

TEST_F(WorkListCli, FromFileRemoveFindsAndArchived) {
    root.write("a.gpx",
               "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><wpt><name>GC1</name></wpt>"
               "<wpt><name>GC3</name></wpt><wpt><name>GC2</name></wpt></gpx>");
    root.write("b.txt", "GC4;Weit\r\n");
    root.write("WParchived.txt", "x;GC3\r\n");
    ASSERT_EQ(writeFoundRecords(root.file("Finds.bin"), {TFoundRec{0, 0, "GC1", "", "", "01.01.2006"}}), 0);
    // The found GC1 is refused by the stored "Finds & Ignores verwerfen".
    EXPECT_EQ(lines({"worklist", "from-file", "gpx", root.file("a.gpx")}).size(), 6u);
    EXPECT_EQ(lines({"worklist", "from-file", "txt", root.file("b.txt"), "--list", "clipboard"})[0],
              "+ GC4 (Zwischenablage)");
    EXPECT_EQ(root.read("WPList.txt"), "GC3\r\nGC2\r\n");
    EXPECT_EQ(lines({"worklist", "remove-archived"})[0], "- GC3 (Arbeitsliste)");
    ASSERT_EQ(cli.run({"worklist", "add", "GC1", "--list", "clipboard"}).code, 0);
    EXPECT_EQ(lines({"worklist", "remove-finds", "--list", "clipboard"})[0], "- GC1 (Zwischenablage)");
    EXPECT_EQ(lines({"worklist", "remove-finds", "--list", "finds"}, 1)[0],
              "Nur in der Arbeitsliste und der Zwischenablage m\xC3\xB6glich");
    EXPECT_EQ(cli.run({"worklist", "from-file", "kml", "x"}).code, 2);
}

// A file that cannot be read fails the command; the waypoints of the readable files are kept.
TEST_F(WorkListCli, FromFileWithABrokenFileFails) {
    root.write("good.txt", "GC2\r\n");
    root.write("broken.gpx", "<gpx><wpt><name>GC1</name></wpt>");
    root.write("broken.loc", "<loc><waypoint><name id=\"GC3\">");
    for (const char* format : {"gpx", "loc"}) {
        SCOPED_TRACE(format);
        const CliResult r =
            cli.run({"worklist", "from-file", format, root.file(std::string("broken.") + format)});
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("Fehler beim Lesen der Datei " + root.file(std::string("broken.") + format)),
                  std::string::npos)
            << r.err;
    }
    EXPECT_EQ(cli.run({"worklist", "from-file", "txt", root.file("missing.txt")}).code, 1);
    const CliResult mixed =
        cli.run({"worklist", "from-file", "txt", root.file("good.txt"), root.file("missing.txt")});
    EXPECT_EQ(mixed.code, 1);
    EXPECT_EQ(textLines(mixed.out)[0], "+ GC2 (Arbeitsliste)");
    // The waypoints read before a file broke are kept, as the window keeps them.
    EXPECT_EQ(root.read("WPList.txt"), "GC1\r\nGC3\r\nGC2\r\n");
}

TEST_F(WorkListCli, NameSearch) {
    EXPECT_EQ(lines({"namesearch", "urg"}), (Vec{"Burg [GC1]", "1 Caches gefunden"}));
    EXPECT_EQ(lines({"namesearch",
                     "m\xC3\xbc"
                     "hle"}),
              (Vec{"M\xC3\xBChle [GC2]", "1 Caches gefunden"}));
    EXPECT_EQ(lines({"namesearch", "xyz"}, 1), (Vec{"0 Caches gefunden"}));
    EXPECT_EQ(cli.run({"namesearch", "ab"}).code, 2);
}

}  // namespace
}  // namespace vellora::test
