#pragma once
// Addresses of every server the program talks to. Each has a default and can be overridden by
// a key of the section "Services" in the program's vellora.conf (tests point them at 127.0.0.1).
#include <string>
#include <string_view>

namespace vellora {

class IniFile;

struct ServiceAddresses {
    std::string listingSite;      // "ListingSite": scheme and host of the listing site
    std::string imageHost;        // "ImageHost": scheme and host of its image host
    std::string multiMap;         // "MultiMap"
    std::string mapPoint;         // "MapPoint"
    std::string stadtplandienst;  // "Stadtplandienst"
    std::string mapQuest;         // "MapQuest"
    std::string cacheDbServer;    // "CacheDBServer": directory of the country databases, ends in "/"
    std::string archiveList;      // "ArchiveList": the archive-list script velloralist.php
    std::string versionFile;      // "VersionFile": velloraversion.txt
    std::string mapView;          // "MapView": base of the map-service view page

    static ServiceAddresses defaults();
};

inline constexpr std::string_view kServicesSection = "Services";

// Reads the "Services" section over the defaults.
ServiceAddresses loadServiceAddresses(IniFile& programConf);
// Writes every address into the "Services" section.
void writeServiceAddresses(IniFile& programConf, const ServiceAddresses& addresses);

}  // namespace vellora
