#pragma once
// The one join of a target directory and a file name built from outside data (a waypoint, a name
// carried in a file). The name must stay a plain name in that directory: no "..", no directory
// part, no backslash, no control character, nothing empty; anything else is refused, so a name
// can never reach a file outside the directory it is meant for.
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

inline constexpr std::size_t kSafeNameMax = 255;

// Whether name can be a file directly inside a directory.
bool isSafeFileName(std::string_view name);

// dir (with or without its trailing "/") joined with name, or nothing when name is not safe.
std::optional<std::string> safeJoin(std::string_view dir, std::string_view name);

}  // namespace vellora
