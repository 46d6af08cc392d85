#include "core/SafePath.h"

#include <algorithm>

namespace vellora {

bool isSafeFileName(std::string_view name) {
    if (name.empty() || name.size() > kSafeNameMax || name == "." || name == "..") return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F || c == '/' || c == '\\';
    });
}

std::optional<std::string> safeJoin(std::string_view dir, std::string_view name) {
    if (dir.empty() || !isSafeFileName(name)) return std::nullopt;
    std::string path(dir);
    if (path.back() != '/') path += '/';
    path += name;
    return path;
}

}  // namespace vellora
