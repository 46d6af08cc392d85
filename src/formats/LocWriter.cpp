#include "formats/LocWriter.h"

#include "core/RunContext.h"
#include "formats/ExportConv.h"

namespace vellora {

void writeLoc(const RunContext& ctx, const TCacheList& list, TextOut& out) {
    const XmlCharset cs = XmlCharset::Latin1;
    out.line("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<loc version=\"1.0\" src=\"Vellora\">");
    std::string base = ctx.services.listingSite;
    while (!base.empty() && base.back() == '/') base.pop_back();
    for (const auto& e : list.entries()) {
        const TCacheRec& r = e.obj.rec;
        const std::string wp = xmlEscape(r.Waypoint, cs);
        out << "<waypoint>\r\n  <name id=\"" << wp << "\"><![CDATA[" << cdataSafe(asciiName(r.CacheName))
            << "]]></name>\r\n  <coord lat=\"" << fixedCoord(r.Lat) << "\" lon=\"" << fixedCoord(r.Lon)
            << "\"/>\r\n  <type>Geocache</type>\r\n  <link text=\"Cache Details\">"
            << xmlEscape(base + "/seek/cache_details.aspx?wp=" + r.Waypoint, cs)
            << "</link>\r\n</waypoint>\r\n";
    }
    out.line("</loc>");
}

}  // namespace vellora
