#pragma once
// The listing loader's tests against the stand-in server: one server for the suite, a fresh home per
// test pointed at it, with every cache of the stand-in's world in its database.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "sim/SimFixture.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora::test {

class LoadSimTest : public ::vellora::test::SimSuite<LoadSimTest> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        sim().applyTo(home.ctx());
        std::string db;
        for (int i = 0; i < world().size(); ++i) db += encodeCacheRec(world().record(i));
        home.dir.write("Caches.bin", db);
    }

    static const sim::World& world() { return sim().world(); }
    static std::string wp(int i) { return world().waypoint(i); }
    RunContext& ctx() { return home.ctx(); }
    std::string out(const std::string& name) { return ctx().outDirPath() + name; }
    bool outExists(const std::string& name) { return fileExists(out(name)); }

    void writeWorkList(const std::vector<std::string>& waypoints) {
        std::string text;
        for (const auto& w : waypoints) text += w + "\r\n";
        home.dir.write("WPList.txt", text);
    }
    // Waypoints of the world's caches first..first+count-1.
    static std::vector<std::string> waypoints(int first, int count) {
        std::vector<std::string> list;
        for (int i = first; i < first + count; ++i) list.push_back(wp(i));
        return list;
    }
    // Requests to a path (prefix) whose query names the text.
    static int requestsWith(const std::string& path, const std::string& queryPart = "") {
        int n = 0;
        for (const auto& r : sim().requestsTo(path))
            if (queryPart.empty() || r.query.find(queryPart) != std::string::npos) ++n;
        return n;
    }
    // The first cache of the world that satisfies the test, or -1.
    template <class Pred>
    static int firstCache(Pred pred, int from = 0) {
        for (int i = from; i < world().size(); ++i)
            if (pred(i)) return i;
        return -1;
    }
    void addFault(const std::string& path, const std::string& query, sim::FaultKind kind, int times = -1,
                  int ms = 2000) {
        sim::FaultRule rule;
        rule.path = path;
        rule.query = query;
        rule.kind = kind;
        rule.times = times;
        rule.ms = ms;
        sim().server().addFault(rule);
    }

    TestHome home;
};

// The first bytes of the image formats the map services deliver.
inline bool isGif(const std::string& data) {
    return data.rfind("GIF8", 0) == 0;
}
inline bool isPng(const std::string& data) {
    return data.rfind("\x89PNG", 0) == 0;
}
inline bool isJpeg(const std::string& data) {
    return data.rfind("\xFF\xD8", 0) == 0;
}

}  // namespace vellora::test
