// An export killed while writing leaves its temporary file beside the target; the next export into
// that folder removes it. A failed export leaves none.
#include <gtest/gtest.h>

#include "ExportTestKit.h"
#include "core/FileUtil.h"
#include "export/DbCsvExport.h"
#include "export/ListExport.h"

namespace vellora::test {
namespace {

class ExportLeftovers : public ::testing::Test {
protected:
    void SetUp() override {
        h.writeDatabase({exportCache("GC1234", "Schatz", 48.5, 11.5)});
        ASSERT_EQ(makeDirs(h.work("out")), 0);
        // Temporary files of writers that are gone (no process has such a number), and a file
        // that only looks alike.
        for (const char* name :
             {"out/list.csv.vtmp2147483000_5", "out/GCrecords.csv.vtmp2147483001_77", "out/notes.vtmp"})
            h.home.dir.write(name, "half");
    }
    ExportHome h;
};

TEST_F(ExportLeftovers, TheNextExportIntoTheFolderRemovesThem) {
    for (const bool database : {false, true}) {
        SCOPED_TRACE(database ? "database CSV" : "list export");
        h.home.dir.write("out/old.csv.vtmp2147483002_1", "half");
        if (database) {
            EXPECT_EQ(writeDbCsv(h.ctx(), DbCsvOptions{}, h.work("out/GCrecords.csv")), 1);
        } else {
            ListExportModel dialog(h.ctx());
            dialog.open();
            dialog.setFormat(kFormatCsv);
            dialog.setSource(kSourceDatabase);
            dialog.exportTo(h.work("out/list.csv"));
            EXPECT_EQ(dialog.lastOutcome().error, 0);
        }
        const std::vector<std::string> expected =
            database ? std::vector<std::string>{"GCrecords.csv", "list.csv", "notes.vtmp"}
                     : std::vector<std::string>{"list.csv", "notes.vtmp"};
        EXPECT_EQ(listFiles(h.work("out")), expected);
    }
}

TEST_F(ExportLeftovers, AFailedExportLeavesNoTemporaryFile) {
    ASSERT_EQ(makeDirs(h.work("out/taken.csv")), 0);  // the rename over a directory fails
    ListExportModel dialog(h.ctx());
    dialog.open();
    dialog.setFormat(kFormatCsv);
    dialog.setSource(kSourceDatabase);
    dialog.exportTo(h.work("out/taken.csv"));
    EXPECT_NE(dialog.lastOutcome().error, 0);
    EXPECT_EQ(writeDbCsv(h.ctx(), DbCsvOptions{}, h.work("out/taken.csv")), 0);
    EXPECT_EQ(listFiles(h.work("out")), std::vector<std::string>{"notes.vtmp"});
}

}  // namespace
}  // namespace vellora::test
