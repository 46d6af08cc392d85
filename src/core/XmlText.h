#pragma once
// XML text as it stands in a file, turned into the characters it means: the five predefined
// entities and numeric character references (as UTF-8) are decoded once, CDATA sections give
// their content as it is. What is no reference stays as written.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vellora {

std::string decodeXmlText(std::string_view text);
// The number of a character reference's body ("#228", "#xE4"), whatever character it names;
// nothing when the body is no number.
std::optional<std::uint32_t> characterReferenceCode(std::string_view ref);

}  // namespace vellora
