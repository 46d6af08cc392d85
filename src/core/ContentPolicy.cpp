#include "core/ContentPolicy.h"

#include <gumbo.h>

#include <memory>

#include "core/UpperCase.h"

namespace vellora {
namespace {

struct GumboDeleter {
    void operator()(GumboOutput* output) const { gumbo_destroy_output(&kGumboDefaultOptions, output); }
};

const GumboNode* childElement(const GumboNode* parent, GumboTag tag) {
    const GumboVector& children = parent->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == tag) return child;
    }
    return nullptr;
}

// Where the element's start tag ends in the page, when the page wrote one.
std::size_t behindStartTag(const GumboNode* node, std::string_view page) {
    if (!node) return std::string_view::npos;
    const GumboStringPiece& tag = node->v.element.original_tag;
    if (!tag.data || tag.length == 0) return std::string_view::npos;
    return static_cast<std::size_t>(tag.data - page.data()) + tag.length;
}

std::size_t behindDoctype(std::string_view page) {
    std::size_t i = 0;
    while (i < page.size() && (page[i] == ' ' || page[i] == '\t' || page[i] == '\r' || page[i] == '\n')) ++i;
    constexpr std::string_view kDoctype = "<!doctype";
    if (!equalsNoCase(page.substr(i, kDoctype.size()), kDoctype)) return 0;
    const std::size_t close = page.find('>', i);
    return close == std::string_view::npos ? 0 : close + 1;
}

}  // namespace

std::string contentSecurityPolicyMeta() {
    return "<meta http-equiv=\"Content-Security-Policy\" content=\"" + std::string(kContentSecurityPolicy) +
           "\">";
}

std::string withContentSecurityPolicy(std::string_view page) {
    // Only tags and positions are looked at, so the Windows-1252 bytes can go to the parser as they are.
    const std::unique_ptr<GumboOutput, GumboDeleter> output(
        gumbo_parse_with_options(&kGumboDefaultOptions, page.data(), page.size()));
    std::size_t at = std::string_view::npos;
    if (output && output->root->type == GUMBO_NODE_ELEMENT) {
        at = behindStartTag(childElement(output->root, GUMBO_TAG_HEAD), page);
        if (at == std::string_view::npos) at = behindStartTag(output->root, page);
    }
    if (at == std::string_view::npos || at > page.size()) at = behindDoctype(page);
    std::string out;
    out.reserve(page.size() + kContentSecurityPolicy.size() + 64);
    out.append(page.substr(0, at));
    out += contentSecurityPolicyMeta();
    out.append(page.substr(at));
    return out;
}

}  // namespace vellora
