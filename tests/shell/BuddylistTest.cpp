#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/Buddylist.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

using Lines = std::vector<std::string>;

struct Recorder : DialogModel::Observer {
    void modelChanged() override { calls.push_back("changed"); }
    void modelClosed() override {
        calls.push_back(dlg->result() == TfrmBuddylist::Result::Ok ? "closed ok" : "closed cancel");
    }
    bool saw(const std::string& what) const {
        return std::find(calls.begin(), calls.end(), what) != calls.end();
    }
    const TfrmBuddylist* dlg = nullptr;
    std::vector<std::string> calls;
};

class Buddylist : public ::testing::Test {
protected:
    void show(const std::string& content) {
        home.dir.write("Buddies.txt", content);
        dlg.open();
    }
    void add(const std::string& name) {
        dlg.edNewEntryClick();
        dlg.edNewEntryChange(name);
        dlg.btnAddClick();
    }
    test::TestHome home;
    TfrmBuddylist dlg{home.ctx()};
};

TEST_F(Buddylist, Texts) {
    EXPECT_STREQ(TfrmBuddylist::kCaption, "Buddy-Liste verwalten");
    EXPECT_STREQ(TfrmBuddylist::kListLabel, "Aktuelle Buddy-Liste:");
    EXPECT_STREQ(TfrmBuddylist::kNewEntryLabel, "Neuen Eintrag hinzuf\xFCgen:");
    EXPECT_STREQ(TfrmBuddylist::kAddButton, "Hinzuf\xFCgen");
    EXPECT_STREQ(TfrmBuddylist::kRemoveButton, "Entfernen");
    EXPECT_STREQ(TfrmBuddylist::kOkButton, "OK");
    EXPECT_STREQ(TfrmBuddylist::kCancelButton, "Abbrechen");
}

TEST_F(Buddylist, ShowsTheFileSortedWithoutRegardToCase) {
    show("zora\r\nAnton\nberta\r\n\xC4rger\r\n");
    EXPECT_EQ(dlg.entries(), (Lines{"Anton", "berta", "zora", "\xC4rger"}));
    EXPECT_FALSE(dlg.addEnabled());
    EXPECT_FALSE(dlg.removeEnabled());
    EXPECT_FALSE(dlg.addIsDefault());
    EXPECT_EQ(dlg.selectedIndex(), -1);
}

TEST_F(Buddylist, MissingFileGivesAnEmptyListSilently) {
    dlg.open();
    EXPECT_TRUE(dlg.entries().empty());
    EXPECT_TRUE(home.host.messages.empty());
}

TEST_F(Buddylist, AddRulesAndRepeatsAreKept) {
    show("Cesar\r\nanton\r\n");
    dlg.edNewEntryChange("Bert");
    EXPECT_TRUE(dlg.addEnabled());
    EXPECT_FALSE(dlg.addIsDefault());
    dlg.edNewEntryClick();
    EXPECT_TRUE(dlg.addIsDefault());
    dlg.edNewEntryChange("");
    EXPECT_FALSE(dlg.addEnabled());
    dlg.btnAddClick();  // nothing to add
    EXPECT_EQ(dlg.entries().size(), 2u);

    add("bert");
    EXPECT_EQ(dlg.newEntryText(), "");
    EXPECT_FALSE(dlg.addEnabled());
    add("bert");
    add(" Dora ");
    EXPECT_EQ(dlg.entries(), (Lines{" Dora ", "anton", "bert", "bert", "Cesar"}));

    EXPECT_TRUE(dlg.btnOKClick());
    EXPECT_EQ(dlg.result(), TfrmBuddylist::Result::Ok);
    EXPECT_EQ(home.dir.read("Buddies.txt"), " Dora \r\nanton\r\nbert\r\nbert\r\nCesar\r\n");
}

TEST_F(Buddylist, SelectionEnablesRemoveAndSurvivesAnAdd) {
    show("Bert\r\nDora\r\n");
    dlg.lbBuddiesClick(1);
    EXPECT_TRUE(dlg.removeEnabled());
    add("Anna");  // sorts in before the selected entry
    ASSERT_EQ(dlg.selectedIndex(), 2);
    EXPECT_EQ(dlg.entries()[2], "Dora");
    dlg.btnRemoveClick();
    EXPECT_EQ(dlg.entries(), (Lines{"Anna", "Bert"}));
    EXPECT_FALSE(dlg.removeEnabled());
    dlg.btnRemoveClick();  // nothing selected: nothing happens
    EXPECT_EQ(dlg.entries().size(), 2u);

    dlg.lbBuddiesClick(0);
    dlg.lbBuddiesDblClick();
    EXPECT_EQ(dlg.entries(), Lines{"Bert"});
    EXPECT_FALSE(dlg.removeEnabled());

    dlg.lbBuddiesClick(5);  // outside the list: no selection
    EXPECT_FALSE(dlg.removeEnabled());
}

TEST_F(Buddylist, CancelWritesNothing) {
    const std::string original = "Bert\r\nanna\r\n";
    show(original);
    add("Zeta");
    dlg.lbBuddiesClick(0);
    dlg.btnRemoveClick();
    dlg.btnCancelClick();
    EXPECT_EQ(dlg.result(), TfrmBuddylist::Result::Cancel);
    EXPECT_EQ(home.dir.read("Buddies.txt"), original);
}

TEST_F(Buddylist, OkWithoutFileCreatesIt) {
    dlg.open();
    add("Anna");
    EXPECT_TRUE(dlg.btnOKClick());
    EXPECT_EQ(home.dir.read("Buddies.txt"), "Anna\r\n");
}

TEST_F(Buddylist, FailedWriteIsReportedAndKeepsTheDialogOpen) {
    dlg.open();
    add("Anna");
    home.dir.write("Buddies.txt/blocker", "");  // a directory where the file should go
    EXPECT_FALSE(dlg.btnOKClick());
    EXPECT_EQ(dlg.result(), TfrmBuddylist::Result::Open);
    ASSERT_EQ(home.host.messages.size(), 1u);
    EXPECT_EQ(home.host.messages[0].kind, MsgKind::Error);
    EXPECT_EQ(home.host.messages[0].text.rfind(
                  "Fehler beim Schreiben der Datei " + home.workFile("Buddies.txt"), 0),
              0u);
    EXPECT_EQ(dlg.entries(), Lines{"Anna"});
}

TEST_F(Buddylist, ObserverHearsEveryChange) {
    Recorder rec;
    rec.dlg = &dlg;
    dlg.setObserver(&rec);
    show("Bert\r\n");
    EXPECT_EQ(rec.calls, Lines{"changed"});
    rec.calls.clear();
    dlg.edNewEntryChange("x");
    EXPECT_EQ(rec.calls, Lines{"changed"});
    rec.calls.clear();
    dlg.edNewEntryChange("x");  // no change, no redraw
    EXPECT_TRUE(rec.calls.empty());
    dlg.btnAddClick();
    EXPECT_EQ(rec.calls, Lines{"changed"});
    rec.calls.clear();
    dlg.lbBuddiesClick(0);
    EXPECT_EQ(rec.calls, Lines{"changed"});
    rec.calls.clear();
    dlg.btnRemoveClick();
    EXPECT_EQ(rec.calls, Lines{"changed"});
    rec.calls.clear();
    dlg.btnOKClick();
    EXPECT_EQ(rec.calls, Lines{"closed ok"});
}

}  // namespace
}  // namespace vellora
