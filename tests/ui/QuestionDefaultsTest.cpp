// Which answer Enter gives in a question box: Yes for ordinary questions, No where Yes would
// discard work.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/QtHost.h"

namespace vellora {
namespace {

TEST(QuestionDefaults, EnterKeepsWorkWhereYesWouldDiscardIt) {
    const struct {
        MsgButtons buttons;
        const char* defaultText;
        MsgResult enterAnswer;
    } cases[] = {
        {MsgButtons::YesNo, "&Ja", MsgResult::Yes},
        {MsgButtons::YesNoDefaultNo, "&Nein", MsgResult::No},
        {MsgButtons::YesNoCancel, "&Ja", MsgResult::Yes},
    };
    for (const auto& c : cases) {
        QtHost host;
        QString defaultText;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            if (box->defaultButton()) defaultText = box->defaultButton()->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(host.message(MsgKind::Warning, c.buttons, "Wirklich abbrechen ohne zu speichern?"),
                  c.enterAnswer)
            << c.defaultText;
        EXPECT_EQ(defaultText, QString::fromLatin1(c.defaultText));
    }
}

}  // namespace
}  // namespace vellora
