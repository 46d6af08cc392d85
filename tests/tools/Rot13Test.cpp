#include <gtest/gtest.h>

#include <string>

#include "tools/Rot13.h"

using vellora::Rot13DialogModel;

namespace {

class Rot13Dialog : public ::testing::Test, public vellora::DialogModel::Observer {
protected:
    Rot13Dialog() { model.setObserver(this); }
    void modelChanged() override { ++changes; }

    Rot13DialogModel model;
    int changes = 0;
};

TEST_F(Rot13Dialog, OpensWithPromptThatTheFirstFocusClears) {
    EXPECT_STREQ(Rot13DialogModel::kCaption, "ROT13 codieren / decodieren");
    EXPECT_EQ(model.text(),
              "Zu codierenden / decodierenden Text hier hineinkopieren und anschlie\xDF"
              "end auf ROT13 klicken.");
    model.textFieldFocused();
    EXPECT_EQ(model.text(), "");
    EXPECT_EQ(changes, 1);

    model.setText("abc");
    model.textFieldFocused();  // later focus changes keep what the user typed
    EXPECT_EQ(model.text(), "abc");
    EXPECT_EQ(changes, 1);
}

TEST_F(Rot13Dialog, ReopeningShowsThePromptAgain) {
    model.textFieldFocused();
    model.setText("abc");
    model.open();
    EXPECT_EQ(model.text(), Rot13DialogModel::kPrompt);
    model.textFieldFocused();
    EXPECT_EQ(model.text(), "");
}

TEST_F(Rot13Dialog, Rot13EncodesAndDecodesTheWholeText) {
    struct Case {
        const char* plain;
        const char* coded;
    };
    const Case cases[] = {
        {"Hint: unter dem Stein", "Uvag: hagre qrz Fgrva"},
        {"\xD6"
         "ffnung 42",
         "\xD6"
         "ssahat 42"},
        {"Zeile 1\r\nZeile 2\r\n\xDF", "Mrvyr 1\r\nMrvyr 2\r\n\xDF"},
        {"", ""},
    };
    model.textFieldFocused();
    for (const auto& c : cases) {
        model.setText(c.plain);
        const int before = changes;
        model.rot13Click();
        EXPECT_EQ(model.text(), c.coded);
        EXPECT_EQ(changes, before + 1);
        model.rot13Click();
        EXPECT_EQ(model.text(), c.plain);
    }
}

}  // namespace
