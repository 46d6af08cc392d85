#include "formats/LocWriter.h"

#include "core/Cp1252.h"
#include "core/RunContext.h"
#include "formats/ExportConv.h"

namespace vellora {
namespace {

// The whole name for a CDATA section in UTF-8; control characters, which XML cannot carry, as blanks.
std::string wholeName(std::string name) {
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return utf8FromCp1252(cdataSafe(name));
}

}  // namespace

void writeLoc(const RunContext& ctx, bool utf8Names, const TCacheList& list, TextOut& out) {
    const XmlCharset cs = utf8Names ? XmlCharset::Utf8 : XmlCharset::Latin1;
    out.line(
        utf8Names
            ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<loc version=\"1.0\" src=\"Vellora\">"
            : "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<loc version=\"1.0\" src=\"Vellora\">");
    std::string base = ctx.services.listingSite;
    while (!base.empty() && base.back() == '/') base.pop_back();
    for (const auto& e : list.entries()) {
        const TCacheRec& r = e.obj.rec;
        const std::string wp = xmlEscape(r.Waypoint, cs);
        out << "<waypoint>\r\n  <name id=\"" << wp << "\"><![CDATA["
            << (utf8Names ? wholeName(r.CacheName) : cdataSafe(asciiName(r.CacheName)))
            << "]]></name>\r\n  <coord lat=\"" << fixedCoord(r.Lat) << "\" lon=\"" << fixedCoord(r.Lon)
            << "\"/>\r\n  <type>Geocache</type>\r\n  <link text=\"Cache Details\">"
            << xmlEscape(base + "/seek/cache_details.aspx?wp=" + r.Waypoint, cs)
            << "</link>\r\n</waypoint>\r\n";
    }
    out.line("</loc>");
}

}  // namespace vellora
