#include "core/Services.h"

#include <array>
#include <utility>

#include "core/IniFile.h"

namespace vellora {
namespace {

using Member = std::string ServiceAddresses::*;

constexpr std::array<std::pair<std::string_view, Member>, 10> kKeys = {{
    {"ListingSite", &ServiceAddresses::listingSite},
    {"ImageHost", &ServiceAddresses::imageHost},
    {"MultiMap", &ServiceAddresses::multiMap},
    {"MapPoint", &ServiceAddresses::mapPoint},
    {"Stadtplandienst", &ServiceAddresses::stadtplandienst},
    {"MapQuest", &ServiceAddresses::mapQuest},
    {"CacheDBServer", &ServiceAddresses::cacheDbServer},
    {"ArchiveList", &ServiceAddresses::archiveList},
    {"VersionFile", &ServiceAddresses::versionFile},
    {"MapView", &ServiceAddresses::mapView},
}};

}  // namespace

ServiceAddresses ServiceAddresses::defaults() {
    ServiceAddresses a;
    a.listingSite = "https://www.vellora-listings.example";
    a.imageHost = "https://img.vellora-listings.example";
    a.multiMap = "http://www.multimap.example";
    a.mapPoint = "http://www.mappoint.example";
    a.stadtplandienst = "http://www.stadtplandienst.example";
    a.mapQuest = "http://www.mapquest.example";
    a.cacheDbServer = "https://data.vellora.example/cachedb/";
    a.archiveList = "https://data.vellora.example/velloralist.php";
    a.versionFile = "https://www.vellora.example/velloraversion.txt";
    a.mapView = "https://maps.vellora.example/";
    return a;
}

ServiceAddresses loadServiceAddresses(IniFile& programConf) {
    ServiceAddresses a = ServiceAddresses::defaults();
    for (const auto& [key, member] : kKeys) {
        std::string v = programConf.readString(kServicesSection, key, "");
        if (!v.empty()) a.*member = std::move(v);
    }
    return a;
}

void writeServiceAddresses(IniFile& programConf, const ServiceAddresses& addresses) {
    IniFile::Batch batch(programConf);
    for (const auto& [key, member] : kKeys) programConf.writeString(kServicesSection, key, addresses.*member);
}

}  // namespace vellora
