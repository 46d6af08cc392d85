#include "ui/EditorDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>

#include "core/FileUtil.h"
#include "core/StrUnit.h"
#include "listing/Editor.h"
#include "support/TestHome.h"
#include "ui/Screenshots.h"

namespace vellora {
namespace {

class EditorView : public ::testing::Test {
protected:
    void SetUp() override {
        home.ctx().settings.ShowMessages = true;
        home.dir.write("GC1ABC_converted.html", kPage);
    }
    std::string dir() { return home.ctx().outDirPath(); }
    void click(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(std::min(8, b->width() / 2), b->height() / 2));
    }

    static constexpr const char* kPage =
        "<html><body>\r\n<h1>Kopf</h1>\r\n<!-- Langbeschreibung Start -->\r\n"
        "<p>Ein sehr langer Absatz der Langbeschreibung, der weit \xFC"
        "ber den Rand des Textfelds hinaus geht, damit man den Umbruch sieht.</p>\r\n"
        "<!-- Langbeschreibung Ende -->\r\n<p>Logs</p>\r\n</body></html>\r\n";
    test::TestHome home;
};

TEST_F(EditorView, ShowsTheLongDescriptionWrapsOnRequestAndSaves) {
    TfrmEditor model(home.ctx());
    ASSERT_TRUE(model.Edit(dir(), "GC1ABC"));
    EditorDialog d(home.ctx(), model);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Editor"));
    EXPECT_TRUE(d.editor()->toPlainText().contains(QString::fromUtf8("weit über den Rand")));
    EXPECT_TRUE(d.editor()->toPlainText().startsWith(QStringLiteral("\n<p>")));
    EXPECT_EQ(d.wordWrapBox()->text(), QStringLiteral("Automatischer Zeilenumbruch"));
    EXPECT_FALSE(d.wordWrapBox()->isChecked());
    EXPECT_EQ(d.editor()->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(d.editor()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(d.previewButton()->text(), QStringLiteral("Vorschau im Browser"));
    EXPECT_EQ(d.saveButton()->text(), QStringLiteral("Speichern"));
    EXPECT_EQ(d.discardButton()->text(), QStringLiteral("Verwerfen"));
    test::screenshot(&d, "editor");

    click(d.wordWrapBox());
    EXPECT_TRUE(model.wordWrap);
    EXPECT_EQ(d.editor()->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(d.editor()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(d.editor()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    d.editor()->setPlainText(QString::fromUtf8("\n<p>Kürzer.</p>\n"));
    click(d.previewButton());
    const auto preview = readFile(home.workFile("tmpdescr.html"));
    ASSERT_TRUE(preview);
    EXPECT_NE(preview->find("<p>K\xFCrzer.</p>"), std::string::npos);
    EXPECT_EQ(home.host.opened, (std::vector<std::string>{toFileUrl(home.workFile("tmpdescr.html"))}));
    EXPECT_EQ(home.dir.read("GC1ABC_converted.html"), kPage);  // the preview leaves it alone

    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    click(d.saveButton());
    EXPECT_EQ(home.dir.read("GC1ABC_converted.html"),
              "<html><body>\r\n<h1>Kopf</h1>\r\n<!-- Langbeschreibung Start -->\r\n<p>K\xFCrzer.</p>\r\n"
              "<!-- Langbeschreibung Ende -->\r\n<p>Logs</p>\r\n</body></html>\r\n");
    EXPECT_EQ(home.host.textsOf(MsgKind::Information),
              (std::vector<std::string>{"Die \xC4nderungen wurden gespeichert."}));
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

TEST_F(EditorView, VerwerfenAndClosingLeaveTheFileAsItWas) {
    for (bool viaButton : {true, false}) {
        TfrmEditor model(home.ctx());
        ASSERT_TRUE(model.Edit(dir(), "GC1ABC"));
        EditorDialog d(home.ctx(), model);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        d.editor()->setPlainText(QStringLiteral("weg damit"));
        if (viaButton) {
            click(d.discardButton());
        } else {
            d.close();
        }
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(model.isOpen());
        EXPECT_EQ(home.dir.read("GC1ABC_converted.html"), kPage);
    }
}

TEST_F(EditorView, ADescriptionWithoutTheMarkersOpensNoEditor) {
    home.dir.write("GC2_converted.html", "<html><body>alt</body></html>\r\n");
    EXPECT_FALSE(editLongDescription(home.ctx(), dir(), "GC2", nullptr));
    EXPECT_EQ(home.host.textsOf(MsgKind::Error), (std::vector<std::string>{TfrmEditor::kMarkerMessage}));
}

}  // namespace
}  // namespace vellora
