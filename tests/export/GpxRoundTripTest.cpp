// Our own GPX with the shipped cache-extension templates, imported again, gives back the records
// it was written from: every field of TCacheRec that GPX carries, compared as whole records.
//
// What GPX does not carry, and why the comparison sets it aside:
// - HomeDist: not in the file; the import computes it anew from the primary home.
// - Valid: the import marks every record it makes as valid.
// - Reserve: scratch bytes of the program (record number, found date), never part of a cache.
// - The time of day of HiddenDate: written, but the import reads the day only.
// - Positions: the export writes 6 decimals (about 0.1 m); the cases below use such positions.
// - A size "Not chosen" or "Other": the import reads both as no size.
#include <gtest/gtest.h>

#include <map>

#include "ExportTestKit.h"
#include "core/DateUtil.h"
#include "core/Global.h"
#include "export/ListExport.h"
#include "formats/GpxReader.h"
#include "import/GCDBReader.h"
#include "import/GpxImport.h"

namespace vellora::test {
namespace {

TCacheRec roundTripCache(std::string waypoint, std::string name, double lat, double lon, std::string type,
                         std::string size, std::string diff, std::string terr, std::int32_t id,
                         TDateTime hidden, std::int32_t country) {
    TCacheRec r = exportCache(std::move(waypoint), std::move(name), lat, lon, std::move(type),
                              std::move(size), std::move(diff), std::move(terr));
    r.CacheID = id;
    r.HiddenDate = hidden;
    r.CountryID = country;
    return r;
}

// Names as pocket queries give them ("name by owner"), and the ones that are hard to carry.
const std::vector<TCacheRec>& cases() {
    static const std::vector<TCacheRec> kCases = {
        // Umlauts and "&" in name and owner; a country of the table (Germany).
        roundTripCache("GC1A2B3", "M\xFCller & S\xF6hne by \xD6lfinder", 48.123457, 11.5, "Traditional Cache",
                       "Regular", "1.5", "2", 123456, encodeDate(2006, 11, 5), 79),
        // " by " inside the name: the owner is what follows the last one.
        roundTripCache("GC2", "Stand by me by Hans <Mustermann>", -33.868820, 151.209296, "Multi-cache",
                       "Micro", "5", "4.5", 2147483647, encodeDate(2001, 5, 3), 22),
        // No owner at all, no country, the unknown hidden date, no size, no ratings.
        roundTripCache("GC3ZZZ", "Waldweg", 0.000001, -0.000001, "Unknown Cache", "", "", "", 0, 0, 0),
        // Characters beyond Latin-1: typographic quotes, the euro sign, a dash; markup characters.
        roundTripCache("GCABCDE", "\x84Zitat\x93 \x80 \x96 \"<b>\" 'x' by Jos\xE9 & Co", -89.999999,
                       -179.999999, "Earthcache", "Large", "3.5", "1", 7, encodeDate(2019, 2, 28), 75),
        // The longest name a record holds.
        roundTripCache("GCLONG1", std::string(100, 'n') + " by " + std::string(16, 'o'), 51.0, 7.0,
                       "Letterbox Hybrid", "Small", "2", "2.5", 99, encodeDate(2010, 12, 31), 20),
    };
    return kCases;
}

class GpxRoundTrip : public ::testing::TestWithParam<const char*> {
protected:
    // Exports the cases with the shipped template and imports the file as the GPX import does.
    std::map<std::string, TCacheRec> exportAndImport() {
        std::vector<std::string> work;
        for (const auto& r : cases()) work.push_back(r.Waypoint);
        h.writeDatabase(cases());
        h.writeWorkList(work);
        ListExportModel dialog(h.ctx());
        dialog.open();
        dialog.setFormat(kFormatXmlTemplate);
        EXPECT_TRUE(dialog.chooseTemplateByName(GetParam()));
        dialog.exportTo(h.work("own.gpx"));

        std::map<std::string, TCacheRec> imported;
        const GpxReadResult read = readGpxFile(h.work("own.gpx"), [&](const GpxWaypoint& wpt) {
            TCacheRec rec;
            std::string error;
            EXPECT_TRUE(gpxCacheRecord(h.ctx(), wpt, rec, error)) << error;
            imported[rec.Waypoint] = rec;
            return true;
        });
        EXPECT_TRUE(read.ok) << read.errorText;
        return imported;
    }

    ExportHome h;
};

TEST_P(GpxRoundTrip, EveryCarriedFieldComesBackUnchanged) {
    const auto imported = exportAndImport();
    ASSERT_EQ(imported.size(), cases().size()) << h.read("own.gpx");
    for (const TCacheRec& written : cases()) {
        SCOPED_TRACE(written.Waypoint);
        const auto it = imported.find(written.Waypoint);
        ASSERT_NE(it, imported.end());
        TCacheRec expected = written;
        expected.HomeDist = homeDistanceKm(h.ctx(), written.Lat, written.Lon);
        expected.Valid = 1;
        expected.Reserve = {};
        EXPECT_EQ(it->second, expected)
            << "name \"" << it->second.CacheName << "\", hidden " << formatDate(it->second.HiddenDate)
            << ", country " << it->second.CountryID;
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedTemplates, GpxRoundTrip,
                         ::testing::Values("gpx10-cache.xtp", "gpx11-cache.xtp"));

TEST(GpxTemplatePlaceholders, NameOwnerDateAndCountryStandApart) {
    ExportHome h;
    h.writeDatabase({cases()[0], cases()[2]});
    h.writeWorkList({cases()[0].Waypoint, cases()[2].Waypoint});
    h.home.dir.write(
        "t.xtp",
        "name=Teile\r\n[Header]-[/Header][Waypoints]#CACHENAME_NOOWNER#|#OWNER#|#HIDDENDATE#|#COUNTRY#|"
        "#CACHENAME#[/Waypoints][Footer]-[/Footer]");
    ListExportModel dialog(h.ctx());
    dialog.open();
    dialog.setFormat(kFormatXmlTemplate);
    ASSERT_TRUE(dialog.chooseTemplateByName("Teile"));
    dialog.exportTo(h.work("t.txt"));
    // A text template writes values as they are; the country as the site spells it.
    EXPECT_EQ(h.read("t.txt"),
              "-\r\nM\xFCller & S\xF6hne|\xD6lfinder|2006-11-05T00:00:00|Germany|M\xFCller & S\xF6hne by "
              "\xD6lfinder\r\n"
              "Waldweg||1899-12-30T00:00:00||Waldweg\r\n-\r\n");
}

TEST(GpxTemplatePlaceholders, TheGpxWaypointTemplateKnowsThemToo) {
    ExportHome h;
    h.writeDatabase({cases()[0]});
    h.writeWorkList({cases()[0].Waypoint});
    h.home.dir.write("vellora.conf", "");
    h.home.dir.write("WPtpl.txt", "<wpt>#CACHENAME_NOOWNER#|#OWNER#|#HIDDENDATE#|#COUNTRY#</wpt>");
    ListExportModel dialog(h.ctx());
    dialog.open();
    dialog.setFormat(kFormatGpx);
    dialog.opts().GPXHomeExp = false;
    dialog.exportTo(h.work("t.gpx"));
    // Names in the GPX name form: ASCII, "&" as "+".
    EXPECT_NE(h.read("t.gpx").find("<wpt>Mueller + Soehne|Oelfinder|2006-11-05T00:00:00|Germany</wpt>"),
              std::string::npos)
        << h.read("t.gpx");
}

}  // namespace
}  // namespace vellora::test
