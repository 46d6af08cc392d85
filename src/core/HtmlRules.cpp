#include "core/HtmlRules.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace vellora {
namespace {

template <std::size_t N>
bool listed(const std::string_view (&names)[N], std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

constexpr std::string_view kHarmlessTags[] = {
    "a",
    "abbr",
    "acronym",
    "address",
    "article",
    "aside",
    "b",
    "bdi",
    "bdo",
    "big",
    "blockquote",
    "br",
    "caption",
    "center",
    "cite",
    "code",
    "col",
    "colgroup",
    "dd",
    "del",
    "details",
    "dfn",
    "div",
    "dl",
    "dt",
    "em",
    "figcaption",
    "figure",
    "font",
    "footer",
    "h1",
    "h2",
    "h3",
    "h4",
    "h5",
    "h6",
    "header",
    "hr",
    "i",
    "img",
    "ins",
    "kbd",
    "li",
    "main",
    "mark",
    "nobr",
    "ol",
    "p",
    "pre",
    "q",
    "rp",
    "rt",
    "ruby",
    "s",
    "samp",
    "section",
    "small",
    "span",
    "strike",
    "strong",
    "sub",
    "summary",
    "sup",
    "table",
    "tbody",
    "td",
    "tfoot",
    "th",
    "thead",
    "tr",
    "tt",
    "u",
    "ul",
    "var",
    "wbr",
    // kept when its text passes cssRemoval
    "style",
};

constexpr std::string_view kDropContent[] = {
    "script", "style", "iframe", "noembed", "noframes", "frameset", "frame", "title", "template",
};

constexpr std::string_view kActiveTags[] = {
    "script", "iframe", "frame",  "frameset", "object",   "embed",  "applet",  "param",
    "form",   "input",  "button", "select",   "textarea", "keygen", "isindex", "svg",
    "math",   "video",  "audio",  "source",   "track",    "canvas",
};
constexpr std::string_view kLinkTags[] = {"link", "base", "area", "map", "portal"};
constexpr std::string_view kImageTags[] = {"img", "image", "picture"};

constexpr std::string_view kHarmlessAttributes[] = {
    "abbr",        "align",    "alt",     "axis",    "bgcolor", "border",  "bordercolor", "cellpadding",
    "cellspacing", "char",     "charoff", "class",   "clear",   "color",   "cols",        "colspan",
    "compact",     "datetime", "dir",     "face",    "frame",   "headers", "height",      "hspace",
    "id",          "lang",     "name",    "noshade", "nowrap",  "open",    "rel",         "reversed",
    "rows",        "rowspan",  "rules",   "scope",   "size",    "span",    "start",       "summary",
    "target",      "title",    "type",    "valign",  "value",   "vspace",  "width",
};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The address as a browser reads it: surrounding blanks and controls cut, tabs and line breaks
// inside it dropped, lower-cased (only its form is judged).
std::string normalisedUrl(std::string_view url) {
    std::size_t from = 0, to = url.size();
    while (from < to && static_cast<unsigned char>(url[from]) <= 0x20) ++from;
    while (to > from && static_cast<unsigned char>(url[to - 1]) <= 0x20) --to;
    std::string out;
    for (char c : url.substr(from, to - from))
        if (c != '\t' && c != '\n' && c != '\r') out += lower(c);
    return out;
}

// The scheme before the first ":" that comes before any "/", "?" or "#"; empty when there is none.
std::string_view schemeOf(std::string_view url) {
    const std::size_t colon = url.find(':');
    if (colon == std::string_view::npos) return {};
    const std::size_t path = url.find_first_of("/?#");
    if (path != std::string_view::npos && path < colon) return {};
    return url.substr(0, colon + 1);
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::string withoutCssComments(std::string_view css) {
    std::string out;
    for (std::size_t i = 0; i < css.size();) {
        if (css.compare(i, 2, "/*") == 0) {
            const std::size_t end = css.find("*/", i + 2);
            if (end == std::string_view::npos) break;
            i = end + 2;
            out += ' ';
        } else {
            out += lower(css[i++]);
        }
    }
    return out;
}

// The argument of the url( at from (just behind the parenthesis), without blanks and quotes.
std::string_view urlArgument(std::string_view css, std::size_t from, std::size_t& end) {
    end = css.find(')', from);
    std::string_view arg =
        css.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
    while (!arg.empty() && static_cast<unsigned char>(arg.front()) <= 0x20) arg.remove_prefix(1);
    while (!arg.empty() && static_cast<unsigned char>(arg.back()) <= 0x20) arg.remove_suffix(1);
    if (arg.size() >= 2 && (arg.front() == '"' || arg.front() == '\'') && arg.back() == arg.front())
        arg = arg.substr(1, arg.size() - 2);
    return arg;
}

// A quoted string in style text that names another place ("//host" or a scheme).
bool remoteString(std::string_view css) {
    for (std::size_t i = 0; i < css.size(); ++i) {
        if (css[i] != '"' && css[i] != '\'') continue;
        const std::size_t end = css.find(css[i], i + 1);
        const std::string_view text =
            css.substr(i + 1, end == std::string_view::npos ? std::string_view::npos : end - i - 1);
        if (contains(text, "//") || !schemeOf(normalisedUrl(text)).empty()) return true;
        if (end == std::string_view::npos) break;
        i = end;
    }
    return false;
}

}  // namespace

bool harmlessTag(std::string_view name) {
    return listed(kHarmlessTags, name);
}

bool tagDropsContent(std::string_view name) {
    return listed(kDropContent, name);
}

HtmlRemoval removalOfTag(std::string_view name) {
    if (listed(kActiveTags, name)) return HtmlRemoval::Active;
    if (listed(kLinkTags, name)) return HtmlRemoval::Link;
    if (listed(kImageTags, name)) return HtmlRemoval::Image;
    return HtmlRemoval::None;
}

bool harmlessAttribute(std::string_view name) {
    return listed(kHarmlessAttributes, name);
}

bool safeLinkUrl(std::string_view url) {
    const std::string u = normalisedUrl(url);
    if (contains(u, "\\")) return false;
    const std::string_view scheme = schemeOf(u);
    return scheme.empty() || scheme == "http:" || scheme == "https:" || scheme == "mailto:";
}

bool localResourceUrl(std::string_view url) {
    const std::string u = normalisedUrl(url);
    // A backslash counts as a slash, so "\\host" and "/\host" would name another host.
    if (contains(u, "\\") || u.starts_with("//")) return false;
    return schemeOf(u).empty();
}

HtmlRemoval cssRemoval(std::string_view css) {
    const std::string text = withoutCssComments(css);
    // Escapes could spell any of the words below.
    if (contains(text, "\\") || contains(text, "expression") || contains(text, "javascript:") ||
        contains(text, "vbscript:") || contains(text, "behavior") || contains(text, "binding"))
        return HtmlRemoval::Active;
    if (contains(text, "@import")) return HtmlRemoval::Link;
    for (std::size_t at = text.find("url("); at != std::string::npos; at = text.find("url(", at + 4)) {
        std::size_t end = 0;
        if (!localResourceUrl(urlArgument(text, at + 4, end))) return HtmlRemoval::Image;
    }
    if (remoteString(text)) return HtmlRemoval::Image;
    return HtmlRemoval::None;
}

}  // namespace vellora
