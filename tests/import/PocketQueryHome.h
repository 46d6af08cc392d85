#pragma once
// A home at 49.5 / 11 for importing pocket queries with both passes, and the pocket-query fixtures
// (fixtures/pq: one pocket query of three caches, each variant with one defect, and its "-wpts").
#include <filesystem>
#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Settings.h"
#include "import/GpxImport.h"
#include "support/TestHome.h"

namespace vellora::test {

inline std::string pqFixture(const std::string& name) {
    const auto path = std::filesystem::path(VELLORA_TEST_SOURCE_DIR) / "import" / "fixtures" / "pq" / name;
    const auto text = readFile(path.string());
    EXPECT_TRUE(text.has_value()) << path;
    return text.value_or("");
}

// A home at 49.5 / 11 that imports pocket queries with both passes, pages written for every new
// cache.
struct PqHome {
    PqHome() {
        ctx().settings.HomeLat = 49.5;
        ctx().settings.HomeLong = 11.0;
        ctx().settings.ShowMessages = false;
    }
    RunContext& ctx() { return home.ctx(); }

    void import(const std::string& name, const std::string& bytes) {
        home.dir.write(name, bytes);
        importFile(home.dir.file(name));
    }
    void importFile(const std::string& path) {
        dialog.setFile(path);
        dialog.open();
        dialog.options.RadSrch = true;
        dialog.options.GetDescr = true;
        dialog.setRadiusText("100");
        dialog.btnStartClick();
        listed.clear();
        for (const auto& e : dialog.pending()) listed.push_back(e.rec.Waypoint);
        if (dialog.workEnabled()) dialog.btnWorkClick();
        if (dialog.isOpen()) dialog.close();
    }
    std::vector<std::string> databaseWaypoints() {
        std::vector<std::string> wps;
        const TCacheList list = LoadAllCaches(ctx());
        for (int i = 0; i < list.count(); ++i) wps.push_back(list.at(i).Waypoint);
        return wps;
    }
    std::string warnings() const {
        std::string all;
        for (const std::string& t : home.host.textsOf(MsgKind::Warning)) all += t;
        return all;
    }
    std::vector<std::string> errors() const { return home.host.textsOf(MsgKind::Error); }

    TestHome home;
    TfrmGPXImp dialog{home.ctx()};
    std::vector<std::string> listed;  // what pass 1 put into the pending list
};

}  // namespace vellora::test
