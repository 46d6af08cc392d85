// The update check against the stand-in's version file.
#if __has_include("sim/SimFixture.h")
#include <gtest/gtest.h>

#include "core/FileUtil.h"
#include "import/GCDBReader.h"
#include "net/LoadURL.h"
#include "shell/UpdateCheck.h"
#include "sim/SimFixture.h"
#include "support/RecordingLoadWindow.h"
#include "support/SimSuite.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using sim::FaultKind;
using test::TestHome;

const std::string kOutdated =
    "Die eingesetzte Version des Vellora ist veraltet!\r\n\r\nEingesetzte Version: V5.0.1 vom 13.12.2006\r\n"
    "Aktuell verf\xFCgbare Version: V5.0.2 vom 05.01.2007\r\n\r\n"
    "Um auf dem aktuellen Stand des Vellora zu sein, wird ein Update empfohlen.";
const std::string kCannotCheck =
    "Die Updateverf\xFCgbarkeit konnte leider nicht \xFC"
    "berpr\xFC"
    "ft werden.";

std::string newerText(const std::string& version, const std::string& date) {
    return "Die eingesetzte Version des Vellora ist neuer als \r\ndie momentan online verf\xFCgbare. Wenn Du "
           "nicht "
           "Harlof oder \r\nMirtel bist, hast Du diese Version wahrscheinlich geklaut.\r\nSetz' Dich in die "
           "n\xE4"
           "chste Ecke und sch\xE4m Dich! :-)\r\n\r\nEingesetzte Version: V5.0.1 vom 13.12.2006\r\nAktuell "
           "verf\xFCgbare Version: " +
           version + " vom " + date;
}

using test::RecordingLoadWindow;

TEST(UpdateCheckKey, DateKeyIsYearMonthDay) {
    struct Case {
        std::string date;
        int key;
    } const cases[] = {{"13.12.2006", 20061213}, {"05.01.2007", 20070105},      {"5.1.2007", 0}, {"", 0},
                       {"aa.bb.cccc", 0},        {"13.12.2006 extra", 20061213}};
    for (const auto& c : cases) EXPECT_EQ(versionDateKey(c.date), c.key) << c.date;
}

sim::SimFixture::Options updateCheckWorld() {
    sim::SimFixture::Options o;
    o.caches = 20;
    return o;
}

class UpdateCheck : public ::vellora::test::SimSuite<UpdateCheck, updateCheckWorld> {
protected:
    void SetUp() override {
        SimSuite::SetUp();
        sim().server().setVersion("V5.0.1", "13.12.2006");
        sim().applyTo(home.ctx());
    }

    TestHome home;
};

TEST_F(UpdateCheck, ThreeOutcomes) {
    struct Case {
        std::string version, date;
        UpdateCheckResult result;
        MsgKind kind;
        std::string text;
    } const cases[] = {
        {"V5.0.1", "13.12.2006", UpdateCheckResult::Current, MsgKind::Information,
         "Die eingesetzte Version des Vellora ist auf dem aktuellen Stand:\r\n\r\nVersion V5.0.1 vom "
         "13.12.2006"},
        {"V5.0.2", "05.01.2007", UpdateCheckResult::Outdated, MsgKind::Warning, kOutdated},
        // Same date, another version text.
        {"V5.0.2", "13.12.2006", UpdateCheckResult::Newer, MsgKind::Warning,
         newerText("V5.0.2", "13.12.2006")},
        {"V5.0.0", "01.12.2006", UpdateCheckResult::Newer, MsgKind::Warning,
         newerText("V5.0.0", "01.12.2006")},
        // A date that does not read as one compares as 0.
        {"V6", "2007-01-05", UpdateCheckResult::Newer, MsgKind::Warning, newerText("V6", "2007-01-05")},
        // Both lines must match exactly.
        {"v5.0.1", "13.12.2006", UpdateCheckResult::Newer, MsgKind::Warning,
         newerText("v5.0.1", "13.12.2006")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version + " " + c.date);
        home.host.messages.clear();
        sim().server().setVersion(c.version, c.date);
        EXPECT_EQ(CheckForUpdate(home.ctx()), c.result);
        ASSERT_EQ(home.host.messages.size(), 1u);
        EXPECT_EQ(home.host.messages[0].kind, c.kind);
        EXPECT_EQ(home.host.messages[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(home.host.messages[0].text, c.text);
        // The version file stays in the working directory.
        EXPECT_EQ(home.dir.read("velloraversion.txt"), c.version + "\r\n" + c.date + "\r\n");
    }
    const auto requests = sim().requestsTo("/velloraversion.txt");
    ASSERT_EQ(requests.size(), std::size(cases));
    EXPECT_EQ(requests[0].userAgent, "Mozilla/6.0 (compatible; Indy Library)");
}

TEST_F(UpdateCheck, DownloadWindowShowsTheTask) {
    RecordingLoadWindow window;
    sim().server().setVersion("V5.0.2", "05.01.2007");
    EXPECT_EQ(CheckForUpdate(home.ctx(), &window), UpdateCheckResult::Outdated);
    EXPECT_EQ(window.opened, (std::vector<std::string>{"Updateverf\xFCgbarkeit|Pr\xFC"
                                                       "fe Updateverf\xFCgbarkeit...|abort"}));
    EXPECT_FALSE(window.isOpen);
    ASSERT_EQ(window.protocol.size(), 2u);
    EXPECT_EQ(window.protocol[0].rfind("Ladevorgang gestartet um ", 0), 0u);
    EXPECT_EQ(home.host.textsOf(MsgKind::Warning), (std::vector<std::string>{kOutdated}));
}

TEST_F(UpdateCheck, FailuresEndWithOneErrorAfterTheDownloadsOwn) {
    // No address.
    home.ctx().settings.UpdateURL.clear();
    EXPECT_EQ(CheckForUpdate(home.ctx()), UpdateCheckResult::NoUrl);
    EXPECT_EQ(home.host.textsOf(MsgKind::Error),
              (std::vector<std::string>{
                  "Es ist keine URL f\xFCr die Updatepr\xFC"
                  "fung hinterlegt.\r\n(Men\xFC: Datei / Grundeinstellungen / Proxy / URL f\xFCr "
                  "Updateverf\xFCgbarkeit)\r\n\r\nDie Updatepr\xFC"
                  "fung kann nicht durchgef\xFChrt werden."}));
    EXPECT_TRUE(sim().requests().empty());

    // A file of one line (the stand-in's style sheet has exactly one).
    home.host.messages.clear();
    home.ctx().settings.UpdateURL = sim().baseUrl() + "/css/main.css";
    EXPECT_EQ(CheckForUpdate(home.ctx()), UpdateCheckResult::Failed);
    EXPECT_EQ(home.host.textsOf(MsgKind::Error), (std::vector<std::string>{kCannotCheck}));

    // Failed transfers: the download's message, then the check's.
    sim().applyTo(home.ctx());
    for (const FaultKind kind : {FaultKind::NotFound, FaultKind::Close, FaultKind::Empty}) {
        home.host.messages.clear();
        sim().addFault("/velloraversion.txt", kind, 1);
        EXPECT_EQ(CheckForUpdate(home.ctx()), UpdateCheckResult::Failed);
        const auto errors = home.host.textsOf(MsgKind::Error);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.back(), kCannotCheck);
        if (kind == FaultKind::Empty) {
            EXPECT_EQ(errors.size(), 1u);
        } else {
            ASSERT_EQ(errors.size(), 2u);
            EXPECT_EQ(errors[0].rfind("Folgende Ladeoperation vom Internet ist fehlgeschlagen:\r\nQuelle: " +
                                          sim().baseUrl() + "/velloraversion.txt\r\n",
                                      0),
                      0u);
        }
    }
}

TEST_F(UpdateCheck, ProxySettingIsUsed) {
    home.ctx().settings.UseProxy = true;
    home.ctx().settings.ProxyServer = "127.0.0.1:" + std::to_string(sim().server().port());
    EXPECT_EQ(CheckForUpdate(home.ctx()), UpdateCheckResult::Current);
    const auto requests = sim().requestsTo("/velloraversion.txt");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].absoluteForm);
}

}  // namespace
}  // namespace vellora
#endif
