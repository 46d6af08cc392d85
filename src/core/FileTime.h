#pragma once
// A file's modification time as the program's date value, in local time.
#include <optional>
#include <string>

#include "core/DateUtil.h"

namespace vellora {

// Nothing when the file cannot be read or its time not converted.
std::optional<TDateTime> fileModified(const std::string& path);

}  // namespace vellora
