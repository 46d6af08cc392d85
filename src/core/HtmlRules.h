#pragma once
// What HTML from strangers may keep when it is shown in a browser from a local folder: the
// harmless tags and attributes, the addresses a link or an image may name and the style text that
// loads nothing. Values are as the browser reads them (entities decoded, UTF-8).
#include <string_view>

namespace vellora {

// Why a piece of HTML was taken out, as the removal warning counts it.
enum class HtmlRemoval {
    None,
    Image,   // would load an image (or other resource) from elsewhere
    Link,    // a link, redirect, base or stylesheet pointing elsewhere, or a link that runs code
    Active,  // script, frame, object, form, event attribute, style code
};

// Formatting, tables, lists, headings, links and images; lower-case names as the parser gives them.
bool harmlessTag(std::string_view name);
// Elements removed with everything inside them (their content is code, or not shown by a browser).
bool tagDropsContent(std::string_view name);
// What removing an element (one not kept) takes away; None for harmless tags that are only unwrapped.
HtmlRemoval removalOfTag(std::string_view name);

// Attributes kept without looking at their value.
bool harmlessAttribute(std::string_view name);

// A link target: http, https, mailto or a relative address (no other scheme, no backslash).
bool safeLinkUrl(std::string_view url);
// An image or background: a relative or absolute path of the same place, never another host.
bool localResourceUrl(std::string_view url);

// Style text (attribute value or style element) that loads nothing from elsewhere and runs no code;
// otherwise what it would do.
HtmlRemoval cssRemoval(std::string_view css);

}  // namespace vellora
