// The HTML cleaner over any bytes. Its output must be clean already: cleaning it again removes
// nothing and changes no byte (a difference means the browser would read the output otherwise
// than the cleaner judged it). The policy insertion must take any page too.
#include <cstdlib>

#include "FuzzHome.h"
#include "core/ContentPolicy.h"
#include "core/HtmlClean.h"

using namespace vellora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input = fuzz::asText(data, size);
    HtmlRemovals removed;
    const std::string once = cleanHtml(input, removed);
    HtmlRemovals again;
    const std::string twice = cleanHtml(once, again);
    if (again.any() || twice != once) std::abort();
    (void)withContentSecurityPolicy(input);
    return 0;
}
