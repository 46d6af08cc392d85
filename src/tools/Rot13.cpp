#include "tools/Rot13.h"

#include "core/StrUnit.h"

namespace vellora {

void Rot13DialogModel::open() {
    text_ = kPrompt;
    promptPending_ = true;
    changed();
}

void Rot13DialogModel::textFieldFocused() {
    if (!promptPending_) return;
    promptPending_ = false;
    text_.clear();
    changed();
}

void Rot13DialogModel::rot13Click() {
    rot13Text(text_);
    changed();
}

void Rot13DialogModel::changed() {
    if (onTextChanged) onTextChanged();
}

}  // namespace vellora
