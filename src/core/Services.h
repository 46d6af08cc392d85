#pragma once
// Addresses of every server the program talks to. Each has a default and can be overridden by
// a key of the section "Services" in the program's vellora.conf (tests point them at 127.0.0.1).
// Also the limits of one transfer, which tests shorten.
#include <cstdint>
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

// What one HTTP transfer may cost: size, time and redirects. The run context holds the limits
// every client of the run starts with.
struct THttpLimits {
    // Longest answer getText and postForm keep in memory (a listing page is some 100 KB).
    std::uint64_t maxTextBytes = 32u << 20;
    // Longest answer written to a file (a country database is some 100 MB).
    std::uint64_t maxFileBytes = std::uint64_t{4} << 30;
    long connectTimeoutSeconds = 30;
    // The minimum average rate: a transfer that moves fewer than lowSpeedBytes per second over
    // lowSpeedSeconds ends, whether the server went silent or trickles.
    long lowSpeedBytes = 1024;
    long lowSpeedSeconds = 30;
    long maxRedirects = 10;
    // A transfer slower than this on average overall is given up: the whole transfer may take
    // this many seconds per MiB of its announced length (of its size limit when none is
    // announced), and at least minTotalSeconds (a trickling server would otherwise keep the
    // low-speed limit quiet for days).
    long secondsPerMB = 60;
    long minTotalSeconds = 60;
    // How long the client waits for the network before it lets user events run again.
    int pollMilliseconds = 50;
};

inline constexpr std::string_view kServicesSection = "Services";

// Reads the "Services" section over the defaults.
ServiceAddresses loadServiceAddresses(IniFile& programConf);
// Writes every address into the "Services" section.
void writeServiceAddresses(IniFile& programConf, const ServiceAddresses& addresses);

}  // namespace vellora
