#pragma once
// A test home with a cache database and list files for the collector's tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "support/CacheRecords.h"
#include "support/TestHome.h"
#include "worklist/WPCol.h"

namespace vellora::test {

// Home at N 49° 36' E 10° 48'; one degree of latitude is about 111.19 km.
inline constexpr double kHomeLat = 49.6, kHomeLon = 10.8;

inline TCacheRec wlCache(const std::string& waypoint, double lat = kHomeLat, double lon = kHomeLon,
                         const std::string& name = "") {
    TCacheRec r = sampleCache(waypoint, lat, lon);
    if (!name.empty()) r.CacheName = name;
    return r;
}

class WorkListTest : public ::testing::Test {
protected:
    WorkListTest() {
        home.ctx().settings.HomeLat = kHomeLat;
        home.ctx().settings.HomeLong = kHomeLon;
        home.ctx().settings.Radius = 15;
    }

    void writeDb(const std::vector<TCacheRec>& recs) { home.dir.write("Caches.bin", encodeDatabase(recs)); }
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
