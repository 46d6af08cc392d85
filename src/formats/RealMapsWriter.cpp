#include "formats/RealMapsWriter.h"

#include "formats/ExportConv.h"

namespace vellora {

void writeRealMaps(int info, const TCacheList& list, TextOut& out) {
    for (const auto& e : list.entries()) {
        const TCacheRec& r = e.obj.rec;
        std::string text;
        if (info == 1)
            text = r.Waypoint;
        else if (info == 2)
            text = (r.Waypoint + " " + r.CacheName).substr(0, 137);
        else
            text = r.CacheName;
        out << fixedCoord(r.Lat, ',') << '\t' << fixedCoord(r.Lon, ',') << '\t';
        out.line(text);
    }
}

}  // namespace vellora
