#include "formats/XmlTemplateWriter.h"

#include <cerrno>

#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "formats/ExportConv.h"

namespace vellora {
namespace {

std::string afterKey(const std::string& line, std::string_view key) {
    return line.substr(key.size());
}

}  // namespace

void writeXmlTemplate(const RunContext& ctx, const XmlTemplate& t, const TCacheList& list, TextOut& out) {
    // A template that starts with markup makes an XML file: its values are escaped for it.
    const bool xml = trimLeadingControl(t.header).starts_with('<');
    const XmlCharset cs = declaredCharset(t.header);
    const auto value = [&](std::string_view v) { return xml ? xmlEscape(v, cs) : std::string(v); };
    const auto literal = [&](std::string_view v) { return xml ? xmlRecode(v, cs) : std::string(v); };
    out.line(literal(t.header));
    const std::string section = literal(t.waypoints);
    for (const auto& e : list.entries()) {
        const TCacheRec& r = e.obj.rec;
        std::string block = section;
        std::string intName = asciiName(r.CacheName);
        replaceAll(intName, "&", "+");
        replaceEach(block, "#WAYPOINT#", value(r.Waypoint));
        replaceEach(block, "#CACHENAME_INT#", value(intName));
        replaceEach(block, "#CACHENAME#", value(r.CacheName));
        replaceEach(block, "#LAT#", fixedCoord(r.Lat));
        replaceEach(block, "#LON#", fixedCoord(r.Lon));
        replaceEach(block, "#CACHETYPE#", value(r.CacheType));
        replaceEach(block, "#CACHESIZE#", value(r.CacheSize));
        replaceEach(block, "#DIFFICULTY#", value(replaceEvery(r.Difficulty, ',', '.')));
        replaceEach(block, "#TERRAIN#", value(replaceEvery(r.Terrain, ',', '.')));
        replaceEach(block, "#DIFFTERR#", value(withoutChars(r.Difficulty + "/" + r.Terrain, ".,")));
        replaceEach(block, "#COMPRESSEDCACHENAME#", compressedName(r.CacheName));
        replaceEach(block, "#CACHETYPESHORT#", std::string(1, typeLetter(r.CacheType)));
        replaceEach(block, "#CACHESIZESHORT#", std::string(1, sizeLetter(r.CacheSize)));
        replaceEach(block, "#CACHE_ID#", std::to_string(r.CacheID));
        // What a pocket query holds apart: our own export reads back as it was.
        const NameAndOwner split = splitOwner(r.CacheName);
        replaceEach(block, "#CACHENAME_NOOWNER#", value(split.name));
        replaceEach(block, "#OWNER#", value(split.owner));
        replaceEach(block, "#HIDDENDATE#", isoDateTime(r.HiddenDate));
        replaceEach(block, "#COUNTRY#", value(siteCountryNameByID(ctx.countries, r.CountryID)));
        out.line(block);
    }
    out.line(literal(t.footer));
}

std::vector<XmlTemplate> findXmlTemplates(const std::string& workDir) {
    std::vector<XmlTemplate> found;
    for (const auto& file : listFiles(workDir, "*.xtp")) {
        const std::string path = joinPath(workDir, file);
        const auto text = readFile(path);
        if (!text) continue;
        for (const auto& line : splitListLines(*text)) {
            if (upperCase(line.substr(0, 5)) != "NAME=") continue;
            const std::string name = afterKey(line, "name=");
            if (!name.empty()) found.push_back({name, path, {}, {}, {}});
            break;
        }
    }
    return found;
}

int loadXmlTemplate(XmlTemplate& tmpl) {
    int err = 0;
    const auto text = readFile(tmpl.path, &err);
    if (!text) return err != 0 ? err : EIO;
    const auto section = [&text](std::string_view open, std::string_view close) {
        std::string rest = *text, piece;
        cutInner(rest, piece, open, close);
        return trimTrailingControl(trimLeadingControl(piece));
    };
    tmpl.header = section("[Header]", "[/Header]");
    tmpl.waypoints = section("[Waypoints]", "[/Waypoints]");
    tmpl.footer = section("[Footer]", "[/Footer]");
    return 0;
}

}  // namespace vellora
