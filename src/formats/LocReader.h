#pragma once
// Reading LOC files: the waypoint codes, taken as the first attribute (the "id") of every start
// tag named "name" (any case, without a prefix), streamed through expat in constant memory.
#include <functional>
#include <string>
#include <string_view>

namespace vellora {

// 0, an errno of a failed read, or -1 when the file is not well-formed (error then says what and
// in which line). Values are handed over as UTF-8.
int readLocNameIds(const std::string& path, const std::function<void(std::string_view)>& onId,
                   std::string* error = nullptr);

}  // namespace vellora
