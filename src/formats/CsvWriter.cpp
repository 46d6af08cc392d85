#include "formats/CsvWriter.h"

#include <cmath>

#include "core/CsvCell.h"
#include "core/DateUtil.h"
#include "core/Global.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "formats/ExportConv.h"

namespace vellora {
namespace {

// Degrees, minutes and seconds packed as ddmmss.ss; the seconds are cut to hundredths.
double packedDms(double x) {
    const double d = std::trunc(x);
    const double m = std::trunc((x - d) * 60);
    const double s = std::trunc(((x - d) * 60 - m) * 60 * 100) / 100;
    return d * 10000 + m * 100 + s;
}

}  // namespace

void writeCsv(const RunContext& ctx, const CsvColumns& o, const TCacheList& list, TextOut& out) {
    const char sep = o.CSVcbDecimalSeparator == 1 ? '.' : ',';
    const bool withFoundDate = o.CSVcbFounddate;
    double homeLat = ctx.settings.HomeLat, homeLon = ctx.settings.HomeLong;
    if (o.CSVcbHome > 0 && o.CSVcbHome <= static_cast<int>(ctx.settings.AddHomeLat.size()) &&
        o.CSVcbHome <= static_cast<int>(ctx.settings.AddHomeLon.size())) {
        homeLat = parseDouble(ctx.settings.AddHomeLat[o.CSVcbHome - 1]).value_or(0);
        homeLon = parseDouble(ctx.settings.AddHomeLon[o.CSVcbHome - 1]).value_or(0);
    }
    std::string line;
    const auto text = [&line](std::string_view value) {
        line += csvCell(value, ';', true);
        line += ';';
    };
    const auto number = [&line, &o](std::string_view value) {
        line += csvCell(value, ';', o.CSVcbQuoteNums);
        line += ';';
    };
    const auto flush = [&out, &line]() {
        if (line.empty()) return;
        line.pop_back();
        out.line(line);
        line.clear();
    };
    if (o.CSVcbHeadline) {
        if (o.CSVcbID) text("ID");
        if (o.CSVcbName) text("Cachename");
        if (o.CSVcbHiddendate) text("Versteckdatum");
        if (o.CSVcbCoord) text("Koordinaten");
        if (o.CSVcbLatLon) {
            text("Breite");
            text("L\xE4nge");
        }
        if (o.CSVcbMerkatorCoord) {
            text("Merkator-Breite");
            text("Merkator-L\xE4nge");
        }
        if (o.CSVcbSize)
            text(
                "Gr\xF6\xDF"
                "e");
        if (o.CSVcbType) text("Typ");
        if (o.CSVcbWaypoint) text("Waypoint");
        if (o.CSVcbDifficulty) text("Diff.");
        if (o.CSVcbTerrain) text("Terrain");
        if (o.CSVcbCountry) text("Land");
        if (o.CSVcbHomedist) text("km von Home");
        if (withFoundDate) text("Gefunden am");
        flush();
    }
    const auto rating = [sep](const std::string& value) {
        return sep == ',' ? replaceFirst(value, '.', ',') : replaceFirst(value, ',', '.');
    };
    for (const auto& e : list.entries()) {
        const TCacheRec& r = e.obj.rec;
        if (o.CSVcbID) number(std::to_string(r.CacheID));
        if (o.CSVcbName) text(r.CacheName);
        if (o.CSVcbHiddendate) {
            text(r.HiddenDate != std::trunc(r.HiddenDate) ? formatDateTime(r.HiddenDate)
                                                          : formatDate(r.HiddenDate));
        }
        if (o.CSVcbCoord) text(FormatLatLon(r.Lat, r.Lon));
        if (o.CSVcbLatLon) {
            number(fixedCoord(r.Lat, sep));
            number(fixedCoord(r.Lon, sep));
        }
        if (o.CSVcbMerkatorCoord) {
            number(formatFixed(packedDms(r.Lat), 6, sep));
            number(formatFixed(packedDms(r.Lon), 6, sep));
        }
        if (o.CSVcbSize) text(r.CacheSize);
        if (o.CSVcbType) text(r.CacheType);
        if (o.CSVcbWaypoint) text(r.Waypoint);
        if (o.CSVcbDifficulty) number(rating(r.Difficulty));
        if (o.CSVcbTerrain) number(rating(r.Terrain));
        if (o.CSVcbCountry) text(countryNameByID(ctx.countries, r.CountryID));
        if (o.CSVcbHomedist) {
            const auto d = DistanceBearing(homeLat, homeLon, r.Lat, r.Lon);
            number(formatFixed(d.ok ? d.distanceKm : static_cast<double>(r.HomeDist), 2, sep));
        }
        if (withFoundDate) text(formatDate(r.foundDate()));
        flush();
    }
}

}  // namespace vellora
