#include "tools/Rot13.h"

#include "core/StrUnit.h"

namespace vellora {

void Rot13DialogModel::onOpen() {
    text_ = kPrompt;
    promptPending_ = true;
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

}  // namespace vellora
