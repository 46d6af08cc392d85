#include "formats/OziWriter.h"

#include "core/CsvCell.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"
#include "formats/ExportConv.h"

namespace vellora {
namespace {

int oziGroup(std::string_view cacheType) {
    const std::string t = upperCase(cacheType);
    if (t == "TRADITIONAL CACHE") return 0;
    if (t == "MULTI-CACHE") return 1;
    if (t == "UNKNOWN CACHE") return 2;
    return 3;
}

// Every text field: a comma would shift the fields after it, a line break split the line.
std::string oziField(std::string_view text) {
    return plainField(text, ',', ';');
}

}  // namespace

void writeOzi(const RunContext& ctx, const OziOptions& o, const TCacheList& list, TextOut& out) {
    out.line("OziExplorer Waypoint File Version 1.1");
    out.line("WGS 84");
    out.line("Reserved 2");
    out.line("garmin");
    const std::string today = formatFixedSignificant(ctx.now(), 11, 6);
    for (int i = 0; i < list.count(); ++i) {
        const TCacheRec& r = list.at(i);
        const std::string name = oziField(upperAscii(r.CacheName)).substr(0, 40);
        const std::string waypoint = oziField(r.Waypoint);
        const int g = oziGroup(r.CacheType);
        std::string line = o.OziNumber == 1 ? "-1" : std::to_string(i + 1);
        line += ',';
        line += o.OziSwap ? name : waypoint;
        line += ',' + formatFixedSignificant(r.Lat, 11, 6) + ',' + formatFixedSignificant(r.Lon, 11, 6) + ',';
        line += o.OziDate == 1 ? today : formatFixedSignificant(r.HiddenDate, 11, 6);
        line += ',' + oziField(o.OziSym[static_cast<std::size_t>(g)]) + ",1,4," +
                std::to_string(o.colours.foreground[g]) + ',' + std::to_string(o.colours.background[g]) + ',';
        line += o.OziSwap ? waypoint : name;
        line += ",0,0,0,-777," + oziField(o.OziFontsize) + ',' + (o.OziBold ? "1" : "0") + ',' +
                oziField(o.OziSymSize) + ",0,,,,,";
        out.line(line);
    }
}

}  // namespace vellora
