#include "shell/AddInfo.h"

#include <gtest/gtest.h>

#include "core/IniFile.h"
#include "core/PersInfo.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using Lines = std::vector<std::string>;

TEST(AddInfoEditor, SplitsLines) {
    struct Case {
        const char* text;
        Lines lines;
    } cases[] = {{"", {}},
                 {"a", {"a"}},
                 {"a\n", {"a"}},
                 {"a\r\nb", {"a", "b"}},
                 {"a\n\nc", {"a", "", "c"}},
                 {"a\rb\n", {"a", "b"}},
                 {"\n", {""}}};
    for (const auto& c : cases) EXPECT_EQ(splitEditorLines(c.text), c.lines) << c.text;
}

class AddInfo : public ::testing::Test {
protected:
    test::TestHome home;
};

TEST_F(AddInfo, ReadsNoteAndOption) {
    WriteNote(home.ctx(), "GC1", {"erste", "", "dritte"});
    home.ctx().programConf().writeBool("AddInfo", "LineBreak", false);
    TfrmAddInfo dlg(home.ctx(), "GC1");
    dlg.open();
    EXPECT_EQ(dlg.caption(), "Pers\xF6nliche Cache-Zusatzinformationen zu GC1");
    EXPECT_EQ(dlg.lines(), (Lines{"erste", "", "dritte"}));
    EXPECT_FALSE(dlg.lineBreak());
}

TEST_F(AddInfo, SaveWritesNoteAndOptionEraseRemoves) {
    TfrmAddInfo dlg(home.ctx(), "GC2");
    dlg.open();
    EXPECT_TRUE(dlg.lineBreak());
    dlg.setLineBreak(false);
    ASSERT_TRUE(dlg.save({"  Stift", "Leiter"}));
    EXPECT_EQ(ReadNote(home.ctx(), "GC2"), (Lines{"Stift", "Leiter"}));
    IniFile conf(home.workFile("vellora.conf"));
    EXPECT_EQ(conf.readString("AddInfo", "LineBreak", ""), "0");

    ASSERT_TRUE(dlg.erase());
    EXPECT_FALSE(HasNote(home.ctx(), "GC2"));
    EXPECT_TRUE(dlg.lines().empty());
}

TEST_F(AddInfo, WithoutWorkingDirectoryFileTheBoxKeepsItsDefault) {
    home.ctx().settings.WorkDir = home.dir.file("work");
    home.dir.write("work/Persinfo.txt", "[GC3]\r\nZ0=x\r\n");
    TfrmAddInfo dlg(home.ctx(), "GC3");
    dlg.open();
    EXPECT_TRUE(dlg.lineBreak());
    EXPECT_EQ(dlg.lines(), Lines{"x"});
}

TEST_F(AddInfo, UnwritableNotesAreReportedAndKept) {
    home.dir.write("Persinfo.txt/blocker", "a directory where the notes file should be");
    TfrmAddInfo dlg(home.ctx(), "GC4");
    dlg.open();
    EXPECT_FALSE(dlg.save({"wichtig"}));
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
}

}  // namespace
}  // namespace vellora
