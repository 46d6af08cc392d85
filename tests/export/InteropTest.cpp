// Our files read back by independent readers: gpsbabel (GPX, LOC, OziExplorer, CSV) and xmllint
// (every GPX against the schema it declares, the cache extension included). The schemas are the
// published TopoGrafix GPX 1.0/1.1 and geocache extension 1.0/1.0.1 files of the shared schema folder.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "ExportTestKit.h"
#include "core/Cp1252.h"
#include "core/FileUtil.h"
#include "core/StrUnit.h"
#include "export/ListExport.h"
#include "formats/ExportConv.h"
#include "support/SharedFolders.h"

namespace vellora::test {
namespace {

bool haveTool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

struct ReadBack {
    double lat = 0, lon = 0;
    std::string description;  // UTF-8
};

class Interop : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<TCacheRec> recs;
        std::vector<std::string> work;
        static const char* kTypes[] = {"Traditional Cache", "Multi-cache", "Unknown Cache", "Earthcache",
                                       "Cache In Trash Out E"};
        for (int i = 0; i < 1000; ++i) {
            const std::string wp = "GC" + std::to_string(10000 + i);
            std::string name = "Schatz " + std::to_string(i);
            if (i % 3 == 0) name += " am M\xFChlbach";
            if (i % 5 == 0)
                name +=
                    " & <Br\xFC"
                    "cke>";
            if (i % 7 == 0) name += " ]]> \x80 Ende";
            recs.push_back(exportCache(wp, name, -45.0 + (i * 0.0873), -170.0 + i * 0.339, kTypes[i % 5],
                                       "Small", i % 2 ? "1.5" : "3", "2"));
            work.push_back(wp);
        }
        h.writeDatabase(recs);
        h.writeWorkList(work);
        for (const auto& r : recs) caches[r.Waypoint] = r;
        h.ctx().settings.HomeLat = 49.5;
        h.ctx().settings.HomeLong = 10.5;
        h.ctx().settings.AddHomeLat = {"50.00000"};
        h.ctx().settings.AddHomeLon = {"8.00000"};
        h.ctx().settings.AddHomeTxt = {"B\xFCro"};
    }

    std::string exportAs(int format, const std::string& name,
                         const std::function<void(ListExportModel&)>& setup = {}) {
        ListExportModel dialog(h.ctx());
        dialog.open();
        dialog.setFormat(format);
        if (setup) setup(dialog);
        dialog.exportTo(h.work(name));
        return h.work(name);
    }

    // gpsbabel reads the file and writes waypoint, latitude, longitude and description, one a line.
    std::map<std::string, ReadBack> readWithGpsbabel(const std::string& input, const std::string& file) {
        h.home.dir.write("out.style",
                         "ENCODING UTF-8\nFIELD_DELIMITER TAB\nRECORD_DELIMITER NEWLINE\nBADCHARS TAB\n"
                         "OFIELD SHORTNAME, \"\", \"%s\"\nOFIELD LAT_DECIMAL, \"\", \"%.7f\"\n"
                         "OFIELD LON_DECIMAL, \"\", \"%.7f\"\nOFIELD DESCRIPTION, \"\", \"%s\"\n");
        const std::string cmd = "gpsbabel -i " + input + " -f '" + file + "' -o xcsv,style='" +
                                h.work("out.style") + "' -F '" + h.work("back.txt") + "' 2>'" +
                                h.work("babel.err") + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << h.read("babel.err");
        std::map<std::string, ReadBack> result;
        for (const auto& line : splitListLines(h.read("back.txt"))) {
            std::vector<std::string> f;
            std::size_t start = 0;
            for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
                f.push_back(line.substr(start, tab - start));
            f.push_back(line.substr(start));
            if (f.size() < 4) continue;
            result[f[0]] = {std::stod(f[1]), std::stod(f[2]), f[3]};
        }
        return result;
    }

    void expectSameCaches(const std::map<std::string, ReadBack>& back,
                          const std::function<std::string(const TCacheRec&)>& description) {
        int matched = 0;
        for (const auto& [wp, rec] : caches) {
            const auto it = back.find(wp);
            ASSERT_NE(it, back.end()) << wp;
            EXPECT_NEAR(it->second.lat, rec.Lat, 1e-6) << wp;
            EXPECT_NEAR(it->second.lon, rec.Lon, 1e-6) << wp;
            if (description) {
                // Readers drop trailing blanks of a text.
                EXPECT_EQ(it->second.description, trimTrailingControl(description(rec))) << wp;
            }
            ++matched;
        }
        EXPECT_EQ(matched, 1000);
    }

    ExportHome h;
    std::map<std::string, TCacheRec> caches;
};

TEST_F(Interop, GpsbabelReadsOurGpxLocOziAndCsv) {
    if (!haveTool("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed";
    auto gpx = readWithGpsbabel("gpx", exportAs(kFormatGpx, "a.gpx"));
    EXPECT_EQ(gpx.count("HOME"), 1u);
    EXPECT_EQ(gpx.count("HOME1"), 1u);
    // gpsbabel takes the comment as the description when a waypoint has one.
    expectSameCaches(gpx, [](const TCacheRec& r) {
        std::string diff = r.Difficulty;
        std::erase(diff, '.');
        return diff + "/" + r.Terrain + ":" + compressedName(r.CacheName);
    });
    expectSameCaches(readWithGpsbabel("geo", exportAs(kFormatLoc, "a.loc")),
                     [](const TCacheRec& r) { return asciiName(r.CacheName); });
    expectSameCaches(readWithGpsbabel("ozi", exportAs(kFormatOzi, "a.wpt")), {});
    h.home.dir.write(
        "in.style",
        "ENCODING windows-1252\nFIELD_DELIMITER SEMICOLON\nFIELD_ENCLOSER DOUBLEQUOTE\n"
        "RECORD_DELIMITER NEWLINE\nIFIELD DESCRIPTION, \"\", \"%s\"\nIFIELD LAT_DECIMAL, \"\", \"%f\"\n"
        "IFIELD LON_DECIMAL, \"\", \"%f\"\nIFIELD SHORTNAME, \"\", \"%s\"\n");
    const std::string csv = exportAs(kFormatCsv, "a.csv", [](ListExportModel& d) {
        d.opts() = ListExportOpts{};
        d.setFormat(kFormatCsv);
        auto& o = d.opts();
        o.CSVcbHeadline = false;
        o.CSVcbDecimalSeparator = 1;
        o.CSVcbHiddendate = o.CSVcbCoord = o.CSVcbSize = o.CSVcbType = o.CSVcbDifficulty = o.CSVcbTerrain =
            false;
        o.CSVcbCountry = o.CSVcbHomedist = false;
    });
    expectSameCaches(readWithGpsbabel("xcsv,style='" + h.work("in.style") + "'", csv),
                     [](const TCacheRec& r) { return utf8FromCp1252(r.CacheName); });
}

TEST_F(Interop, GpsbabelReadsWholeUtf8NamesFromGpxAndLoc) {
    if (!haveTool("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed";
    const auto utf8 = [](ListExportModel& d) { d.opts().UTF8Names = true; };
    expectSameCaches(readWithGpsbabel("geo", exportAs(kFormatLoc, "u.loc", utf8)),
                     [](const TCacheRec& r) { return utf8FromCp1252(r.CacheName); });
    // Without a comment gpsbabel takes the description.
    h.home.dir.write("vellora.conf", "");
    h.home.dir.write(
        "WPtpl.txt",
        "<wpt lat=\"#LAT#\" lon=\"#LON#\"><name>#WAYPOINT#</name><desc>#CACHENAME#</desc></wpt>");
    auto gpx = readWithGpsbabel("gpx", exportAs(kFormatGpx, "u.gpx", utf8));
    gpx.erase("HOME");
    gpx.erase("HOME1");
    expectSameCaches(gpx, [](const TCacheRec& r) { return utf8FromCp1252(r.CacheName); });
}

class Validation : public Interop {
protected:
    void expectValid(const std::string& file, const std::string& schema) {
        const std::string cmd =
            "xmllint --noout --schema '" + schema + "' '" + file + "' >'" + h.work("lint.txt") + "' 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << h.read("lint.txt");
    }
    // A schema that imports GPX and the cache extension, for files that carry both.
    std::string wrapper(const std::string& gpx, const char* gpxNs, const std::string& cache,
                        const char* cacheNs) {
        h.home.dir.write(
            "wrapper.xsd",
            "<xsd:schema xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" elementFormDefault=\"qualified\">\n"
            "  <xsd:import namespace=\"" +
                std::string(gpxNs) + "\" schemaLocation=\"" + gpx +
                "\"/>\n"
                "  <xsd:import namespace=\"" +
                cacheNs + "\" schemaLocation=\"" + cache +
                "\"/>\n"
                "</xsd:schema>\n");
        return h.work("wrapper.xsd");
    }
};

TEST_F(Validation, EveryGpxWeWriteMatchesItsSchema) {
    if (!haveTool("xmllint")) GTEST_SKIP() << "xmllint is not installed";
    const std::string dir = sharedFolder("schema");
    VELLORA_REQUIRE_SHARED_FOLDER(dir);
    expectValid(exportAs(kFormatGpx, "a.gpx"), dir + "gpx11.xsd");
    // Without any point the file has no bounds.
    h.writeWorkList({});
    expectValid(exportAs(kFormatGpx, "empty.gpx", [](ListExportModel& d) { d.opts().GPXHomeExp = false; }),
                dir + "gpx11.xsd");
    h.writeWorkList({"GC10000", "GC10035"});
    const std::string gpx11 = exportAs(kFormatXmlTemplate, "c11.gpx", [](ListExportModel& d) {
        ASSERT_TRUE(d.chooseTemplateByName("gpx11-cache.xtp"));
    });
    expectValid(gpx11, wrapper(dir + "gpx11.xsd", "http://www.topografix.com/GPX/1/1", dir + "cache101.xsd",
                               "http://www.groundspeak.com/cache/1/0/1"));
    const std::string gpx10 = exportAs(kFormatXmlTemplate, "c10.gpx", [](ListExportModel& d) {
        ASSERT_TRUE(d.chooseTemplateByName("gpx10-cache.xtp"));
    });
    expectValid(gpx10, wrapper(dir + "gpx10.xsd", "http://www.topografix.com/GPX/1/0", dir + "cache10.xsd",
                               "http://www.groundspeak.com/cache/1/0"));
    EXPECT_NE(
        h.read("c10.gpx").find("<groundspeak:name>Schatz 35 &amp; &lt;Br&#252;cke&gt; ]]&gt; &#8364; Ende"),
        std::string::npos);
}

TEST_F(Validation, LocAndKmlAreWellFormed) {
    if (!haveTool("xmllint")) GTEST_SKIP() << "xmllint is not installed";
    for (const std::string& file :
         {exportAs(kFormatLoc, "a.loc"), exportAs(kFormatXmlTemplate, "a.kml", [](ListExportModel& d) {
              ASSERT_TRUE(d.chooseTemplateByName("kml22.xtp"));
          })}) {
        const std::string cmd = "xmllint --noout '" + file + "' >'" + h.work("lint.txt") + "' 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << h.read("lint.txt");
    }
}

}  // namespace
}  // namespace vellora::test
