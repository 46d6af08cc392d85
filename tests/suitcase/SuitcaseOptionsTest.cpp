// The dialog's settings in section "Suitcase" of the working directory's vellora.conf.
#include <gtest/gtest.h>

#include "core/HandBuiltRecords.h"
#include "core/IniFile.h"
#include "suitcase/IndependentSuitcase.h"
#include "suitcase/Suitcase.h"
#include "suitcase/SuitcaseFixture.h"

namespace vellora::test {
namespace {

TEST(SuitcaseOptions, WithoutAFileTheDialogsInitialStates) {
    Installation a;
    TfrmSuitcase dialog(a.ctx());
    dialog.open();
    const SuitcaseOptions& o = dialog.opts;
    EXPECT_FALSE(o.ExpCacheDB || o.ExpWorklist || o.ExpFinds || o.ExpIgnore);
    EXPECT_TRUE(o.ExpDescr && o.ExpDescrSubdir && o.ExpNotes);
    EXPECT_EQ(o.ActiveLoadPage, 4);
    EXPECT_EQ(o.ImpDB, 1);
    EXPECT_EQ(o.DoubleFinds, 1);
    EXPECT_EQ(o.DoubleCache, 1);
    EXPECT_EQ(o.DoubleNotes, 3);
    EXPECT_EQ(o.NewWPFilename, a.work("WPnew.txt"));
    EXPECT_TRUE(dialog.saveSettings);
}

TEST(SuitcaseOptions, MissingKeysOfAnExistingFileReadAsTrueAndPageOne) {
    Installation a;
    Installation::put(a.work("vellora.conf"), "[Suitcase]\r\nExpFinds=0\r\nDoubleNotes=9\r\n");
    TfrmSuitcase dialog(a.ctx());
    dialog.open();
    const SuitcaseOptions& o = dialog.opts;
    EXPECT_TRUE(o.ExpCacheDB && o.ExpWorklist && o.ExpIgnore);
    EXPECT_FALSE(o.ExpFinds);
    EXPECT_EQ(o.ActivePage, 1);
    EXPECT_EQ(o.ActiveLoadPage, 1);
    EXPECT_EQ(o.DoubleNotes, 3);  // out of range: the initial value
}

TEST(SuitcaseOptions, KeysOfEmptySectionsAreNotStoredAndHiddenNotesStoreFalse) {
    Installation a;
    indep::Suitcase s;
    s.work = {"GC1"};
    const std::string file = a.home.dir.file("in.vellora");
    Installation::put(file, indep::write(s));
    TfrmSuitcase dialog(a.ctx());
    dialog.open();
    ASSERT_TRUE(dialog.loadFrom(file));
    EXPECT_FALSE(dialog.sectionAvailable(SuitcaseSection::Database));
    EXPECT_FALSE(dialog.notesVisible());
    dialog.opts.ActiveLoadPage = 2;
    dialog.close();
    IniFile conf(a.work("vellora.conf"));
    EXPECT_EQ(conf.readString("Suitcase", "GetWorkList", "-"), "1");
    EXPECT_EQ(conf.readString("Suitcase", "GetNotes", "-"), "0");
    EXPECT_EQ(conf.readString("Suitcase", "ActiveLoadPage", "-"), "2");
    EXPECT_EQ(conf.readString("Suitcase", "ActivePage", "-"), "1");
    EXPECT_EQ(conf.readString("Suitcase", "ExpDescr", "-"), "1");
    for (const char* key : {"GetDB", "ImpDB", "NewWPFilename", "GetFoundList", "DoubleFinds", "GetIgnoreList",
                            "GetCaches", "DoubleCache", "PostCreateDescr"})
        EXPECT_EQ(conf.readString("Suitcase", key, "-"), "-") << key;
}

TEST(SuitcaseOptions, NotStoredWithoutTheSaveBox) {
    Installation a;
    TfrmSuitcase dialog(a.ctx());
    dialog.open();
    dialog.saveSettings = false;
    dialog.close();
    EXPECT_FALSE(fileExists(a.work("vellora.conf")));
}

}  // namespace
}  // namespace vellora::test
