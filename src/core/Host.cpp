#include "core/Host.h"

namespace vellora {

const char* captionOf(MsgKind kind) {
    switch (kind) {
        case MsgKind::Warning:
            return "Warnung";
        case MsgKind::Error:
            return "Fehler";
        case MsgKind::Information:
            return "Information";
        case MsgKind::Confirmation:
            return "Best\xE4tigung";
    }
    return "";
}

}  // namespace vellora
