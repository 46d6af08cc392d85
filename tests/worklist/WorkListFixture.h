#pragma once
// A test home with a cache database and list files for the collector's tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "support/TestHome.h"
#include "worklist/WPCol.h"

namespace vellora::test {

// Home at N 49° 36' E 10° 48'; one degree of latitude is about 111.19 km.
inline constexpr double kHomeLat = 49.6, kHomeLon = 10.8;

inline TCacheRec wlCache(const std::string& waypoint, double lat = kHomeLat, double lon = kHomeLon,
                         const std::string& name = "") {
    TCacheRec r;
    r.Waypoint = waypoint;
    r.CacheName = name.empty() ? "Cache " + waypoint : name;
    r.Lat = lat;
    r.Lon = lon;
    r.CacheType = "Traditional Cache";
    r.CacheSize = "Regular";
    r.Difficulty = "1.5";
    r.Terrain = "2";
    r.CountryID = 79;
    r.HiddenDate = encodeDate(2005, 6, 1);
    return r;
}

class WorkListTest : public ::testing::Test {
protected:
    WorkListTest() {
        home.ctx().settings.HomeLat = kHomeLat;
        home.ctx().settings.HomeLong = kHomeLon;
        home.ctx().settings.Radius = 15;
    }

    void writeDb(const std::vector<TCacheRec>& recs) {
        std::string bytes;
        for (const auto& r : recs) bytes += encodeCacheRec(r);
        home.dir.write("Caches.bin", bytes);
    }
    std::string work(const std::string& name) const { return home.workFile(name); }
    std::string read(const std::string& name) { return home.dir.read(name); }

    // The waypoints of list n in list order.
    static std::vector<std::string> waypoints(const TWPCollector& c, int n) {
        std::vector<std::string> out;
        for (const auto& r : c.list(n).records()) out.push_back(r.Waypoint);
        return out;
    }
    // The view's column in row order.
    static std::vector<std::string> column(const TWPCollector& c, int col) {
        std::vector<std::string> out;
        for (int row = 0; row < c.rowCount(); ++row) out.push_back(c.cellText(row, col));
        return out;
    }
    static std::vector<int> allRows(const TWPCollector& c) {
        std::vector<int> rows;
        for (int i = 0; i < c.rowCount(); ++i) rows.push_back(i);
        return rows;
    }

    TestHome home;
};

}  // namespace vellora::test
