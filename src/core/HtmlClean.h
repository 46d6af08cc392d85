#pragma once
// The one rule for HTML from strangers that a browser shows from a local folder (converted
// descriptions, the index): the text is parsed as a browser parses it (gumbo) and only harmless
// tags and attributes (core/HtmlRules) stay; all text stays. Harmless markup comes out byte for
// byte as it went in (stray end tags and misnesting included; a bare "<" in text becomes "&lt;"),
// so the descriptions look as they always did.
//
// What comes out never has "<" in text or attribute values, so that a placeholder of a template
// cannot hide inside a tag and no later text substitution can open a tag.
#include <string>
#include <string_view>

namespace vellora {

struct HtmlRemovals {
    int images = 0;  // images, backgrounds and styles that would load from elsewhere
    int links = 0;   // links that run code, redirects, bases, stylesheets
    int active = 0;  // scripts, frames, objects, forms, event attributes, style code
    bool any() const { return images > 0 || links > 0 || active > 0; }
};

// Cleans a piece of HTML (Windows-1252, as it stands inside a body) and adds what it removed.
std::string cleanHtml(std::string_view html, HtmlRemovals& removed);
std::string cleanHtml(std::string_view html);

// Text (Windows-1252) for HTML text or a quoted attribute value: "&", "<", ">" and '"' become
// character references.
std::string htmlEscape(std::string_view text);

}  // namespace vellora
