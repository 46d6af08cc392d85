#pragma once
// XML text as it stands in a file, turned into the characters it means: the five predefined
// entities and numeric character references (as UTF-8) are decoded once, CDATA sections give
// their content as it is. What is no reference stays as written.
#include <string>
#include <string_view>

namespace vellora {

std::string decodeXmlText(std::string_view text);

}  // namespace vellora
