#pragma once
// The views of the listing pipeline against the stand-in server: one server for the suite, a fresh
// home per test with every cache of the stand-in's world in its database, and a scripted host that
// lets Qt's events run, so that timers and button clicks take effect during a run as they do in
// the program.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "sim/SimFixture.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora::test {

class EventHost : public ScriptedHost {
public:
    void processEvents() override {
        ScriptedHost::processEvents();
        QApplication::processEvents();
    }
};

class ListingViewTest : public ::vellora::test::SimSuite<ListingViewTest> {
protected:
    void SetUp() override {
        home.ctx().setHost(host);
        SimSuite::SetUp();
        sim().applyTo(ctx());
        std::string db;
        for (int i = 0; i < world().size(); ++i) db += encodeCacheRec(world().record(i));
        home.dir.write("Caches.bin", db);
        ctx().settings.ShowMessages = true;
    }
    void TearDown() override { host.expectScriptUsed(); }

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
    // Waypoints of caches of the world that are not archived, from the first on.
    static std::vector<std::string> activeWaypoints(int count, int from = 0) {
        std::vector<std::string> list;
        for (int i = from; i < world().size() && static_cast<int>(list.size()) < count; ++i)
            if (!world().archived(i)) list.push_back(wp(i));
        return list;
    }
    void addFault(const std::string& path, const std::string& query, sim::FaultKind kind, int ms = 2000) {
        sim::FaultRule rule;
        rule.path = path;
        rule.query = query;
        rule.kind = kind;
        rule.ms = ms;
        sim().server().addFault(rule);
    }
    // Clicks near the left edge, where check boxes and radio buttons take clicks however wide they are.
    static void click(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(std::min(8, b->width() / 2), b->height() / 2));
    }
    // Shows a window and waits until it can take clicks.
    static void showWindow(QWidget* w) {
        w->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    static int requestsTo(const std::string& path) { return static_cast<int>(sim().requestsTo(path).size()); }

    TestHome home;
    EventHost host;
};

}  // namespace vellora::test
