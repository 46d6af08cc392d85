#pragma once
// The views of the database acquisition against the stand-in server: one server per suite, a fresh
// home per test, and a scripted host that lets Qt's events run (so that timers and clicks take
// effect during a run, as in the program) and tells the test about each message as it is shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "core/RunContext.h"
#include "sim/SimFixture.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora::test {

class ImportViewHost : public ScriptedHost {
public:
    MsgResult message(MsgKind kind, MsgButtons buttons, const std::string& text) override {
        if (onMessage) onMessage(kind, text);
        return ScriptedHost::message(kind, buttons, text);
    }
    void processEvents() override {
        ScriptedHost::processEvents();
        QApplication::processEvents();
    }
    std::function<void(MsgKind, const std::string&)> onMessage;
};

class ImportViewTest : public ::vellora::test::SimSuite<ImportViewTest> {
protected:
    void SetUp() override {
        home.ctx().setHost(host);
        SimSuite::SetUp();
        sim().applyTo(ctx());
        ctx().settings.ShowMessages = true;
    }
    void TearDown() override { host.expectScriptUsed(); }

    RunContext& ctx() { return home.ctx(); }
    static const sim::World& world() { return sim().world(); }

    // Runs fn on the modal window that is open ms milliseconds from now (for dialogs run with exec).
    static void onModal(int ms, std::function<void(QWidget*)> fn) {
        QTimer::singleShot(ms, [fn = std::move(fn)] { fn(QApplication::activeModalWidget()); });
    }

    TestHome home;
    ImportViewHost host;
};

}  // namespace vellora::test
