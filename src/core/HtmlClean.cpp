#include "core/HtmlClean.h"

#include <gumbo.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Cp1252.h"
#include "core/HtmlRules.h"

namespace vellora {
namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isHtmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// UTF-8 text (as the parser decodes it) escaped for HTML and turned into Windows-1252.
std::string escapedCp1252(std::string_view utf8) {
    std::string escaped;
    escaped.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            default:
                // Controls as references: the parser reads a raw control otherwise than the
                // reference it came from.
                if ((static_cast<unsigned char>(c) < 0x20 && !isHtmlSpace(c)) || c == 0x7F)
                    escaped += "&#" + std::to_string(static_cast<int>(c)) + ";";
                else
                    escaped += c;
        }
    }
    return cp1252FromUtf8Html(escaped);
}

// The parser passes over NUL in text, or not, by where the text stands; a browser shows none.
std::string withoutNul(std::string_view text) {
    std::string out(text);
    out.erase(std::remove(out.begin(), out.end(), '\0'), out.end());
    return out;
}

// "</name>" with optional blanks before ">"; the name (lower-case) and the length, or 0.
std::size_t plainEndTag(std::string_view text, std::string& name) {
    if (text.size() < 4 || text[0] != '<' || text[1] != '/' || !isAsciiLetter(text[2])) return 0;
    std::size_t i = 2;
    name.clear();
    while (i < text.size() && (isAsciiLetter(text[i]) || (text[i] >= '0' && text[i] <= '9')))
        name += lower(text[i++]);
    while (i < text.size() && isHtmlSpace(text[i])) ++i;
    return i < text.size() && text[i] == '>' ? i + 1 : 0;
}

// The end of the tag or markup declaration at from ("<" followed by a letter, "/", "!" or
// "?"), read as the HTML tokenizer reads it (quoted attribute values may hold ">"); npos when
// the text ends inside it.
std::size_t tokenEnd(std::string_view s, std::size_t from, int* attributes = nullptr) {
    const std::size_t n = s.size();
    std::size_t j = from + 1;
    if (s[j] == '!' || s[j] == '?') {
        const std::size_t close = s.find('>', j);
        return close == std::string_view::npos ? close : close + 1;
    }
    if (s[j] == '/') ++j;
    while (j < n && !isHtmlSpace(s[j]) && s[j] != '/' && s[j] != '>') ++j;
    for (;;) {
        while (j < n && (isHtmlSpace(s[j]) || s[j] == '/')) ++j;
        if (j >= n) return std::string_view::npos;
        if (s[j] == '>') return j + 1;
        if (attributes) ++*attributes;
        ++j;
        while (j < n && !isHtmlSpace(s[j]) && s[j] != '/' && s[j] != '>' && s[j] != '=') ++j;
        while (j < n && isHtmlSpace(s[j])) ++j;
        if (j >= n || s[j] != '=') continue;
        ++j;
        while (j < n && isHtmlSpace(s[j])) ++j;
        if (j < n && (s[j] == '"' || s[j] == '\'')) {
            const std::size_t close = s.find(s[j], j + 1);
            if (close == std::string_view::npos) return close;
            j = close + 1;
        } else {
            while (j < n && !isHtmlSpace(s[j]) && s[j] != '>') ++j;
        }
    }
}

// Text with tags in it that the parser passed over: the text stays as written, a "<" that
// opens nothing becomes "&lt;", plain end tags of harmless elements stay, other tags go.
void passedOver(std::string_view text, std::string& out) {
    std::string name;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '<') {
            if (text[i] != '\0') out += text[i];
            ++i;
            continue;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        if (!isAsciiLetter(next) && next != '/' && next != '!' && next != '?') {
            out += "&lt;";
            ++i;
            continue;
        }
        const std::size_t length = plainEndTag(text.substr(i), name);
        if (length > 0 && harmlessTag(name) && name != "style") {
            out.append(text, i, length);
            i += length;
            continue;
        }
        const std::size_t end = tokenEnd(text, i);
        if (end == std::string_view::npos) return;
        i = end;
    }
}

// Elements left open at once, as far as the tags tell (elements a sibling closes and empty ones
// aside), and attributes of one tag. The parser takes time growing with the square of either, so
// a page that nests deeper or piles up more attributes than any listing does is not parsed at all.
constexpr int kMaxNesting = 400;
constexpr int kMaxAttributes = 200;

bool tooHardToParse(std::string_view html) {
    // Empty elements, elements the next sibling closes, a link (a new one closes it) and tags the
    // parser takes only once.
    static constexpr std::string_view kFlat[] = {
        "a",     "area",   "base",  "body",  "br",    "col",   "colgroup", "dd",   "dt",    "embed",  "form",
        "head",  "hr",     "html",  "image", "img",   "input", "li",       "link", "meta",  "option", "p",
        "param", "source", "tbody", "td",    "tfoot", "th",    "thead",    "tr",   "track", "wbr"};
    int depth = 0;
    std::string name;
    for (std::size_t i = html.find('<'); i != std::string_view::npos; i = html.find('<', i)) {
        const char next = i + 1 < html.size() ? html[i + 1] : '\0';
        if (!isAsciiLetter(next) && next != '/' && next != '!' && next != '?') {
            ++i;
            continue;
        }
        if (html.compare(i, 4, "<!--") == 0) {
            const std::size_t close = html.find("-->", i + 4);
            if (close == std::string_view::npos) return false;
            i = close + 3;
            continue;
        }
        int attributes = 0;
        const std::size_t end = tokenEnd(html, i, &attributes);
        if (end == std::string_view::npos) return false;
        if (attributes > kMaxAttributes) return true;
        const bool closing = next == '/';
        name.clear();
        for (std::size_t k = i + (closing ? 2 : 1); k < end && isAsciiLetter(html[k]); ++k)
            name += lower(html[k]);
        i = end;
        if (next == '!' || next == '?' || name.empty() ||
            std::find(std::begin(kFlat), std::end(kFlat), name) != std::end(kFlat))
            continue;
        if (closing)
            depth = std::max(0, depth - 1);
        else if (html[end - 2] != '/' && ++depth > kMaxNesting)
            return true;
    }
    return false;
}

struct Piece {
    std::size_t from, to;  // the input bytes it stands for
    std::string text;
};

struct GumboDeleter {
    void operator()(GumboOutput* output) const { gumbo_destroy_output(&kGumboDefaultOptions, output); }
};

class Cleaner {
public:
    Cleaner(std::string_view input, HtmlRemovals& removed) : input_(input), removed_(removed) {
        utf8_.reserve(input.size() + input.size() / 8);
        toInput_.reserve(input.size() + input.size() / 8 + 1);
        static const std::array<std::string, 256> kUtf8 = [] {
            std::array<std::string, 256> table;
            for (int b = 0; b < 256; ++b) {
                const char c = static_cast<char>(b);
                table[static_cast<std::size_t>(b)] = utf8FromCp1252(std::string_view(&c, 1));
            }
            return table;
        }();
        for (std::size_t i = 0; i < input.size(); ++i) {
            const std::string& bytes = kUtf8[static_cast<unsigned char>(input[i])];
            utf8_ += bytes;
            toInput_.insert(toInput_.end(), bytes.size(), static_cast<std::uint32_t>(i));
        }
        toInput_.push_back(static_cast<std::uint32_t>(input.size()));
    }

    std::string run() {
        GumboOptions options = kGumboDefaultOptions;
        options.fragment_context = GUMBO_TAG_DIV;
        options.fragment_namespace = GUMBO_NAMESPACE_HTML;
        const std::unique_ptr<GumboOutput, GumboDeleter> output(
            gumbo_parse_with_options(&options, utf8_.data(), utf8_.size()));
        if (!output) return {};
        walk(output->root);
        return assemble();
    }

private:
    std::size_t at(const char* p) const { return toInput_[static_cast<std::size_t>(p - utf8_.data())]; }
    std::size_t endOf(const GumboStringPiece& s) const { return at(s.data + s.length); }
    std::string_view inputOf(const GumboStringPiece& s) const {
        return input_.substr(at(s.data), endOf(s) - at(s.data));
    }
    static std::string_view view(const GumboStringPiece& s) { return {s.data, s.length}; }

    void count(HtmlRemoval removal) {
        if (removal == HtmlRemoval::Image) ++removed_.images;
        if (removal == HtmlRemoval::Link) ++removed_.links;
        if (removal == HtmlRemoval::Active) ++removed_.active;
    }

    void add(const GumboStringPiece& s, std::string text) {
        if (s.data && s.length > 0) pieces_.push_back({at(s.data), endOf(s), std::move(text)});
    }

    // The tag's lower-case name: the parser's for known tags, else from its source.
    static std::string nameOf(const GumboElement& e) {
        if (e.tag != GUMBO_TAG_UNKNOWN) return gumbo_normalized_tagname(e.tag);
        GumboStringPiece piece = e.original_tag;
        gumbo_tag_from_original_text(&piece);
        std::string name;
        for (char c : view(piece)) name += lower(c);
        return name;
    }

    void walk(const GumboNode* root) {
        // Iterative: a page may nest elements deeper than the stack would take.
        std::vector<const GumboNode*> todo{root};
        while (!todo.empty()) {
            const GumboNode* node = todo.back();
            todo.pop_back();
            switch (node->type) {
                case GUMBO_NODE_DOCUMENT:
                case GUMBO_NODE_ELEMENT:
                case GUMBO_NODE_TEMPLATE:
                    if (element(node)) pushChildren(node->v.element.children, todo);
                    break;
                case GUMBO_NODE_TEXT:
                case GUMBO_NODE_WHITESPACE:
                case GUMBO_NODE_CDATA:
                    text(node);
                    break;
                case GUMBO_NODE_COMMENT:
                    comment(node->v.text);
                    break;
            }
        }
    }

    static void pushChildren(const GumboVector& children, std::vector<const GumboNode*>& todo) {
        for (unsigned i = children.length; i > 0; --i)
            todo.push_back(static_cast<const GumboNode*>(children.data[i - 1]));
    }

    void text(const GumboNode* node) {
        const GumboText& t = node->v.text;
        const std::string_view source = view(t.original_text);
        if (source.find('<') == std::string_view::npos) {
            add(t.original_text, withoutNul(inputOf(t.original_text)));
        } else if (node->parent && node->parent->type == GUMBO_NODE_ELEMENT &&
                   literalTextElement(node->parent->v.element.tag)) {
            add(t.original_text, escapedCp1252(t.text));
        } else {
            // A text run spans the tags the parser passed over.
            std::string out;
            passedOver(inputOf(t.original_text), out);
            add(t.original_text, std::move(out));
        }
    }

    static bool literalTextElement(GumboTag tag) {
        return tag == GUMBO_TAG_TEXTAREA || tag == GUMBO_TAG_XMP || tag == GUMBO_TAG_PLAINTEXT ||
               tag == GUMBO_TAG_NOSCRIPT || tag == GUMBO_TAG_TITLE || tag == GUMBO_TAG_NOEMBED ||
               tag == GUMBO_TAG_NOFRAMES || tag == GUMBO_TAG_IFRAME;
    }

    void comment(const GumboText& t) {
        const std::string_view source = view(t.original_text);
        const std::string_view body = t.text;
        // Only a plain comment, and none holding the start of another (a template placeholder).
        if (source.size() == body.size() + 7 && source.starts_with("<!--") && source.ends_with("-->") &&
            source.substr(4, body.size()) == body && body.find("<!--") == std::string_view::npos)
            add(t.original_text, std::string(inputOf(t.original_text)));
    }

    // Decides an element; true when its children are to be walked.
    bool element(const GumboNode* node) {
        if (node->type == GUMBO_NODE_DOCUMENT) return true;
        const GumboElement& e = node->v.element;
        const std::string name = nameOf(e);
        if (e.tag_namespace != GUMBO_NAMESPACE_HTML) {
            count(removalOfTag(name));
            return !tagDropsContent(name);
        }
        if (name == "style") return style(e);
        if (tagDropsContent(name)) {
            count(removalOfTag(name));
            return false;
        }
        if (name == "meta") {
            for (unsigned i = 0; i < e.attributes.length; ++i) {
                const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
                std::string value;
                for (char c : std::string_view(a->value)) value += lower(c);
                if (std::string_view(a->name) == "http-equiv" && value.find("refresh") != std::string::npos)
                    count(HtmlRemoval::Link);
            }
            return false;
        }
        if (!harmlessTag(name)) {
            count(removalOfTag(name));
            return true;
        }
        keep(e, name);
        return true;
    }

    void keep(const GumboElement& e, const std::string& name) {
        std::vector<const GumboAttribute*> kept;
        bool rebuild = false;
        for (unsigned i = 0; i < e.attributes.length; ++i) {
            const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
            const HtmlRemoval removal = attributeRemoval(name, a->name, a->value);
            if (removal == HtmlRemoval::None && (harmlessAttribute(a->name) || urlAttribute(a->name))) {
                kept.push_back(a);
                if (std::string_view(a->value).find_first_of("<>") != std::string_view::npos) rebuild = true;
                if (view(a->original_value).find('\0') != std::string_view::npos) rebuild = true;
                continue;
            }
            // An image that may not load is no image at all.
            if (name == "img" && std::string_view(a->name) == "src") {
                count(HtmlRemoval::Image);
                return;
            }
            count(removal);
            rebuild = true;
        }
        const GumboStringPiece& tag = e.original_tag;
        if (tag.data && tag.length > 0) {
            if (rebuild || !attributesMakeTheTag(e)) {
                std::string out = "<" + name;
                for (const GumboAttribute* a : kept)
                    out += std::string(" ") + a->name + "=\"" + escapedCp1252(a->value) + "\"";
                add(tag, out + ">");
            } else {
                add(tag, std::string(inputOf(tag)));
            }
        }
        endTag(e, name);
    }

    // The end tag as written when it is a plain one of this element; one with attributes is
    // written plain; one the parser took for another element (closed by it) is that element's.
    void endTag(const GumboElement& e, const std::string& name) {
        const std::string_view source = view(e.original_end_tag);
        std::string endName;
        if (source.empty()) return;
        if (plainEndTag(source, endName) > 0) {
            if (endName == name) add(e.original_end_tag, std::string(inputOf(e.original_end_tag)));
            return;
        }
        const std::size_t after = 2 + name.size();
        const bool ownName = source.size() > after && source.starts_with("</") &&
                             std::equal(name.begin(), name.end(), source.begin() + 2,
                                        [](char a, char b) { return a == lower(b); });
        if (ownName && (isHtmlSpace(source[after]) || source[after] == '/'))
            add(e.original_end_tag, "</" + name + ">");
    }

    // Whether the start tag holds nothing but its name and the parsed attributes: a repeated
    // attribute (which the parser drops) would otherwise be written on.
    static bool attributesMakeTheTag(const GumboElement& e) {
        const std::string_view tag = view(e.original_tag);
        std::size_t pos = 1;
        while (pos < tag.size() && !isHtmlSpace(tag[pos]) && tag[pos] != '/' && tag[pos] != '>') ++pos;
        const auto skip = [&tag, &pos] {
            while (pos < tag.size() && (isHtmlSpace(tag[pos]) || tag[pos] == '/')) ++pos;
        };
        for (unsigned i = 0; i < e.attributes.length; ++i) {
            const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
            skip();
            if (a->original_name.data != tag.data() + pos) return false;
            const GumboStringPiece& last =
                a->original_value.length > 0 ? a->original_value : a->original_name;
            pos = static_cast<std::size_t>(last.data - tag.data()) + last.length;
        }
        skip();
        return pos + 1 == tag.size() && tag[pos] == '>';
    }

    static bool urlAttribute(std::string_view name) {
        return name == "href" || name == "src" || name == "background" || name == "style";
    }

    static HtmlRemoval attributeRemoval(const std::string& tag, std::string_view name,
                                        std::string_view value) {
        if (name.starts_with("on")) return HtmlRemoval::Active;
        if (name == "href") return tag == "a" && safeLinkUrl(value) ? HtmlRemoval::None : HtmlRemoval::Link;
        if (name == "src")
            return tag == "img" && localResourceUrl(value) ? HtmlRemoval::None : HtmlRemoval::Image;
        if (name == "background") return localResourceUrl(value) ? HtmlRemoval::None : HtmlRemoval::Image;
        if (name == "style") return cssRemoval(value);
        if (name == "srcset" || name == "lowsrc" || name == "dynsrc" || name == "poster")
            return HtmlRemoval::Image;
        if (name == "ping" || name == "action" || name == "formaction") return HtmlRemoval::Link;
        return HtmlRemoval::None;
    }

    // A style element stays when its text loads nothing and runs nothing. Its text must hold no
    // "<": the comment brackets old pages put around it are dropped.
    bool style(const GumboElement& e) {
        std::string css;
        std::vector<GumboStringPiece> spans;
        for (unsigned i = 0; i < e.children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(e.children.data[i]);
            if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE) {
                spans.push_back(child->v.text.original_text);
                css += child->v.text.text;
            }
        }
        const std::size_t before = css.size();
        for (const std::string_view bracket : {std::string_view("<!--"), std::string_view("-->")})
            for (std::size_t at = css.find(bracket); at != std::string::npos; at = css.find(bracket, at))
                css.erase(at, bracket.size());
        HtmlRemoval removal = css.find('<') != std::string::npos ? HtmlRemoval::Active : cssRemoval(css);
        bool plainTag = true;
        for (unsigned i = 0; i < e.attributes.length; ++i) {
            const auto* a = static_cast<const GumboAttribute*>(e.attributes.data[i]);
            const std::string_view attribute = a->name;
            if (attribute != "type" && attribute != "media") plainTag = false;
            if (std::string_view(a->value).find_first_of("<>") != std::string_view::npos) plainTag = false;
        }
        const GumboStringPiece& tag = e.original_tag;
        if (removal != HtmlRemoval::None || !tag.data || tag.length == 0) {
            count(removal);
            return false;
        }
        std::string out = plainTag ? std::string(inputOf(tag)) : "<style>";
        if (css.size() == before && spans.size() == 1)
            out += inputOf(spans.front());
        else
            out += cp1252FromUtf8Html(css);
        std::string endName;
        const std::string_view end = view(e.original_end_tag);
        out += plainEndTag(end, endName) > 0 && endName == "style" ? std::string(inputOf(e.original_end_tag))
                                                                   : std::string("</style>");
        add(tag, std::move(out));
        for (const GumboStringPiece& span : spans) add(span, "");
        add(e.original_end_tag, "");
        return false;
    }

    // Bytes no node stands for are tokens the parser passed over (or content of removed
    // elements): blanks and plain end tags of harmless elements stay, the rest goes.
    void gap(std::string_view bytes, std::string& out) const {
        std::string name;
        for (std::size_t i = 0; i < bytes.size();) {
            if (isHtmlSpace(bytes[i])) {
                out += bytes[i++];
                continue;
            }
            const std::size_t length = plainEndTag(bytes.substr(i), name);
            if (length == 0 || !harmlessTag(name) || name == "style") return;
            out.append(bytes, i, length);
            i += length;
        }
    }

    std::string assemble() {
        std::stable_sort(pieces_.begin(), pieces_.end(),
                         [](const Piece& a, const Piece& b) { return a.from < b.from; });
        std::string out;
        out.reserve(input_.size());
        std::size_t done = 0;
        for (const Piece& p : pieces_) {
            // The same source twice (a tag the parser cloned, an end tag closing two elements).
            if (p.from < done) continue;
            gap(input_.substr(done, p.from - done), out);
            out += p.text;
            done = std::max(p.to, p.from);
        }
        gap(input_.substr(done), out);
        return out;
    }

    std::string_view input_;
    HtmlRemovals& removed_;
    std::string utf8_;
    std::vector<std::uint32_t> toInput_;
    std::vector<Piece> pieces_;
};

}  // namespace

std::string cleanHtml(std::string_view html, HtmlRemovals& removed) {
    if (html.empty()) return {};
    if (tooHardToParse(html)) {
        // Only its text is kept (see tooHardToParse).
        ++removed.active;
        std::string out;
        passedOver(html, out);
        return out;
    }
    return Cleaner(html, removed).run();
}

std::string cleanHtml(std::string_view html) {
    HtmlRemovals removed;
    return cleanHtml(html, removed);
}

std::string htmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace vellora
