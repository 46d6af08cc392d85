#pragma once
// A test home with a small cache database and list files for the export tests.
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/FileProcs.h"
#include "core/GCDBParse.h"
#include "core/RunContext.h"
#include "support/CacheRecords.h"
#include "support/TestHome.h"

namespace vellora::test {

inline TCacheRec exportCache(std::string waypoint, std::string name, double lat, double lon,
                             std::string type = "Traditional Cache", std::string size = "Regular",
                             std::string diff = "1.5", std::string terr = "2") {
    TCacheRec r = sampleCache(std::move(waypoint), lat, lon);
    r.CacheName = std::move(name);
    r.CacheType = std::move(type);
    r.CacheSize = std::move(size);
    r.Difficulty = std::move(diff);
    r.Terrain = std::move(terr);
    r.HiddenDate = encodeDate(2005, 10, 30);
    r.CountryID = 0;  // no country: the exports leave the field empty
    r.HomeDist = 12.34f;
    r.Valid = 1;
    return r;
}

struct ExportHome {
    TestHome home;
    RunContext& ctx() { return home.ctx(); }
    std::string work(std::string_view name) { return home.workFile(name); }

    void writeDatabase(const std::vector<TCacheRec>& recs) {
        home.dir.write("Caches.bin", encodeDatabase(recs));
        RebuildIndex(ctx());
    }
    void writeWorkList(const std::vector<std::string>& lines) { writeListFile(work("WPList.txt"), lines); }
    std::string read(std::string_view name) { return home.dir.read(name); }
};

}  // namespace vellora::test
