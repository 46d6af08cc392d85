#pragma once
// The dialog "ROT13 codieren / decodieren" as a model: one multi-line text that starts as a prompt,
// is emptied the first time the text field gets the focus, and is encoded or decoded by "ROT13".
#include <string>
#include <utility>

#include "core/DialogModel.h"

namespace vellora {

class Rot13DialogModel : public DialogModel {
public:
    static constexpr const char* kCaption = "ROT13 codieren / decodieren";
    static constexpr const char* kPrompt =
        "Zu codierenden / decodierenden Text hier hineinkopieren und anschlie\xDF"
        "end auf ROT13 klicken.";
    static constexpr const char* kRot13Button = "ROT13";

    Rot13DialogModel() { open(); }

    // Opening the dialog (open()): the prompt is shown again and the next focus empties it.

    const std::string& text() const { return text_; }
    // The user edited the text field.
    void setText(std::string text) { text_ = std::move(text); }

    // The text field received the input focus; only the first time after opening clears it.
    void textFieldFocused();

    // "ROT13": encodes or decodes the whole text in place.
    void rot13Click();

private:
    void onOpen() override;

    std::string text_;
    bool promptPending_ = true;
};

}  // namespace vellora
