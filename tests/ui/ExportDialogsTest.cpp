#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "../export/ExportTestKit.h"
#include "core/FileProcs.h"
#include "ui/DbCsvExportDialog.h"
#include "ui/ExportDialog.h"
#include "ui/MapViewDialogs.h"
#include "ui/QtText.h"
#include "ui/Screenshots.h"

namespace vellora::test {
namespace {

class ExportViews : public ::testing::Test {
protected:
    void SetUp() override {
        h.writeDatabase(
            {exportCache("GC1234", "Eins", 48.5, 11.25), exportCache("GC2000", "Zwei", 49.0, 11.5)});
        h.writeWorkList({"GC2000"});
    }
    template <class W>
    W* child(QWidget& w, const char* name) {
        W* c = w.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    ExportHome h;
};

TEST_F(ExportViews, FormatPagesDriveTheExportAndDirectoryModeHidesTheSource) {
    ListExportModel model(h.ctx());
    {
        ExportDialog dialog(h.ctx(), model, nullptr);
        auto* format = child<QComboBox>(dialog, "cbFormat");
        format->setCurrentIndex(kFormatRealMaps);
        test::screenshot(&dialog, "export_realmaps");
        child<QComboBox>(dialog, "PsionInfo")->setCurrentIndex(2);
        format->setCurrentIndex(kFormatCsv);
        test::screenshot(&dialog, "export_csv");
        // "Funddatum" only for own finds.
        EXPECT_FALSE(child<QCheckBox>(dialog, "Funddatum")->isEnabled());
        child<QComboBox>(dialog, "cbExpList")->setCurrentIndex(kSourceFinds);
        EXPECT_TRUE(child<QCheckBox>(dialog, "Funddatum")->isEnabled());
        child<QComboBox>(dialog, "cbExpList")->setCurrentIndex(kSourceWorkList);
        format->setCurrentIndex(kFormatOzi);
        test::screenshot(&dialog, "export_ozi");
        format->setCurrentIndex(kFormatGpx);
        test::screenshot(&dialog, "export_gpx");
        format->setCurrentIndex(kFormatRealMaps);
        h.home.host.answerNextSave(h.work("liste"));
        QTest::mouseClick(child<QPushButton>(dialog, "btnExport"), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(h.read("liste.txt"), "49,000000\t11,500000\tGC2000 Zwei\r\n");

    writeListFile(h.work("dirlist.txt"), {"GC1234"});
    model.setDirListFile(h.work("dirlist.txt"));
    {
        ExportDialog dialog(h.ctx(), model, nullptr);
        dialog.show();
        EXPECT_FALSE(child<QComboBox>(dialog, "cbExpList")->isVisible());
        EXPECT_TRUE(child<QLabel>(dialog, "lblDirMode")->isVisible());
        EXPECT_EQ(child<QComboBox>(dialog, "cbFormat")->currentIndex(), kFormatRealMaps);
        h.home.host.answerNextSave(h.work("dir.txt"));
        QTest::mouseClick(child<QPushButton>(dialog, "btnExport"), Qt::LeftButton);
    }
    EXPECT_EQ(h.read("dir.txt"), "48,500000\t11,250000\tGC1234 Eins\r\n");
    EXPECT_FALSE(model.directoryMode());
}

TEST_F(ExportViews, TemplateChoiceAndSavedOptions) {
    ListExportModel model(h.ctx());
    {
        ExportDialog dialog(h.ctx(), model, nullptr);
        child<QComboBox>(dialog, "cbFormat")->setCurrentIndex(kFormatXmlTemplate);
        auto* templates = child<QComboBox>(dialog, "cbXMLTemplate");
        EXPECT_EQ(templates->itemText(0), qs("bitte w\xE4hlen"));
        const int kml = templates->findText(qs("KML 2.2 f\xFCr Globus-Ansicht"));
        ASSERT_GT(kml, 0);
        templates->setCurrentIndex(kml);
        emit templates->activated(kml);
        test::screenshot(&dialog, "export_xml");
        child<QCheckBox>(dialog, "cbSaveOpts")->setChecked(true);
        dialog.reject();
    }
    ListExportModel fresh(h.ctx());
    fresh.open();
    EXPECT_EQ(fresh.opts().Format, kFormatXmlTemplate);
    EXPECT_EQ(fresh.templates()[static_cast<std::size_t>(fresh.chosenTemplate())].name,
              "KML 2.2 f\xFCr Globus-Ansicht");
}

TEST_F(ExportViews, Utf8NamesIsOneChoiceOnTheGpxAndLocPages) {
    ListExportModel model(h.ctx());
    ExportDialog dialog(h.ctx(), model, nullptr);
    dialog.show();
    auto* format = child<QComboBox>(dialog, "cbFormat");
    format->setCurrentIndex(kFormatGpx);
    auto* onGpx = child<QCheckBox>(dialog, "UTF8Names");
    auto* onLoc = child<QCheckBox>(dialog, "UTF8NamesLoc");
    ASSERT_TRUE(onGpx && onLoc);
    EXPECT_EQ(onGpx->text(), qs(kUtf8NamesCaption));
    EXPECT_TRUE(onGpx->isVisible());
    onGpx->setChecked(true);
    EXPECT_TRUE(model.opts().UTF8Names);
    format->setCurrentIndex(kFormatLoc);
    EXPECT_TRUE(onLoc->isVisible());
    EXPECT_TRUE(onLoc->isChecked());
    onLoc->setChecked(false);
    EXPECT_FALSE(model.opts().UTF8Names);
}

TEST_F(ExportViews, DatabaseCsvDialogWritesTheChosenColumns) {
    DbCsvExportDialog dialog(h.ctx(), nullptr);
    test::screenshot(&dialog, "export_db_csv");
    for (int c = 2; c <= 11; ++c)
        child<QCheckBox>(dialog, ("cbColumn" + std::to_string(c)).c_str())->setChecked(false);
    child<QCheckBox>(dialog, "cbColumn7")->setChecked(true);
    h.home.host.answerNextSave(h.work("db.csv"));
    QTest::mouseClick(child<QPushButton>(dialog, "btnExport"), Qt::LeftButton);
    EXPECT_EQ(h.read("db.csv"), "\"Waypoint\"\r\n\"GC1234\"\r\n\"GC2000\"\r\n");
}

TEST_F(ExportViews, MapDialogsOpenThePageAndTheAddress) {
    MapViewModel map(h.ctx());
    {
        MapViewDialog dialog(map, nullptr);
        test::screenshot(&dialog, "map_view");
        child<QComboBox>(dialog, "rgSize")->setCurrentIndex(2);
        QTest::mouseClick(child<QPushButton>(dialog, "btnOK"), Qt::LeftButton);
    }
    EXPECT_EQ(map.sizeChoice, 2);
    EXPECT_NE(h.read("gmshow.html").find("#map { width: 1024px; height: 768px;"), std::string::npos);
    ShowOneCacheModel one(h.ctx());
    one.setPosition(48.5, 11.25);
    {
        ShowOneCacheDialog dialog(one, nullptr);
        child<QComboBox>(dialog, "rgDisplay")->setCurrentIndex(2);
        QTest::mouseClick(child<QPushButton>(dialog, "btnOK"), Qt::LeftButton);
    }
    ASSERT_EQ(h.home.host.opened.size(), 2u);
    EXPECT_NE(h.home.host.opened[1].find("&z=16&t=h&ll=48.500000,11.250000"), std::string::npos);
}

}  // namespace
}  // namespace vellora::test
