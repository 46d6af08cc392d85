#include "core/MapTiles.h"

#include "core/IniFile.h"
#include "core/Services.h"

namespace vellora {

std::string loadMapTilesAddress(IniFile& programConf) {
    std::string address = programConf.readString(kServicesSection, kMapTilesKey, "");
    return address.empty() ? std::string(kDefaultMapTiles) : address;
}

void writeMapTilesAddress(IniFile& programConf, const std::string& address) {
    programConf.writeString(kServicesSection, kMapTilesKey, address);
}

}  // namespace vellora
