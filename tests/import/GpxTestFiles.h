#pragma once
// Pocket queries put together for the GPX tests: GPX 1.0 with the cache extension 1.0, CR LF.
#include <string>
#include <vector>

namespace vellora::test {

struct GpxCache {
    std::string waypoint = "GC1000";
    std::string lat = "49.5", lon = "11";
    std::string name = "Weiher";
    std::string owner = "Hans";
    std::string type = "Traditional Cache";
    std::string container = "Small";
    std::string difficulty = "2", terrain = "1.5";
    std::string country = "Germany";
    std::string time = "2006-11-05T00:00:00";
    std::string id = "4711";
};

inline std::string gpxWpt(const GpxCache& c) {
    return "  <wpt lat=\"" + c.lat + "\" lon=\"" + c.lon + "\">\r\n    <time>" + c.time +
           "</time>\r\n    <name>" + c.waypoint + "</name>\r\n    <urlname>" + c.name +
           "</urlname>\r\n    <type>Geocache|" + c.type + "</type>\r\n    <groundspeak:cache id=\"" + c.id +
           "\" available=\"True\" archived=\"False\" "
           "xmlns:groundspeak=\"http://www.groundspeak.com/cache/1/0\">\r\n"
           "      <groundspeak:name>" +
           c.name + "</groundspeak:name>\r\n      <groundspeak:placed_by>" + c.owner +
           "</groundspeak:placed_by>\r\n      <groundspeak:type>" + c.type +
           "</groundspeak:type>\r\n      <groundspeak:container>" + c.container +
           "</groundspeak:container>\r\n      <groundspeak:difficulty>" + c.difficulty +
           "</groundspeak:difficulty>\r\n      <groundspeak:terrain>" + c.terrain +
           "</groundspeak:terrain>\r\n      <groundspeak:country>" + c.country +
           "</groundspeak:country>\r\n      <groundspeak:long_description "
           "html=\"True\">&lt;p&gt;Beschreibung " +
           c.waypoint +
           "&lt;/p&gt;</groundspeak:long_description>\r\n"
           "    </groundspeak:cache>\r\n  </wpt>\r\n";
}

inline std::string gpxFile(const std::vector<GpxCache>& caches, const std::string& title = "Meine Abfrage") {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<gpx version=\"1.0\" creator=\"Pocket Query\" "
        "xmlns=\"http://www.topografix.com/GPX/1/0\">\r\n  <name>" +
        title + "</name>\r\n";
    for (const GpxCache& c : caches) out += gpxWpt(c);
    return out + "</gpx>\r\n";
}

}  // namespace vellora::test
