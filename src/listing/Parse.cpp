#include "listing/Parse.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/FastStrings.h"
#include "core/NumberText.h"
#include "core/Services.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"

namespace vellora {

const std::array<const char*, kLogCounterCount> kLogCounterNames = {
    "LOGANZ_FOUND",      "LOGANZ_REVIEWNOTE", "LOGANZ_NOTE",
    "LOGANZ_DNF",        "LOGANZ_DISABLED",   "LOGANZ_ENABLED",
    "LOGANZ_WILLATTEND", "LOGANZ_ATTENDED",   "LOGANZ_NEEDSMAINTENANCE",
    "LOGANZ_MAINTAINED"};

namespace {

struct IconRow {
    const char* file;
    const char* marker;  // appended to kLogMarker
    int counter;         // LogCounter, or -1
    bool firstForm;      // also matched without the icons folder
};

constexpr IconRow kIconRows[] = {
    {"icon_smile.gif", ":-)&nbsp;", kLogFound, true},
    {"icon_camera.gif", ":-)&nbsp;", kLogFound, true},
    {"big_smile.gif", ":-]&nbsp;", kLogReviewNote, true},
    {"icon_note.gif", "(N)&nbsp;", kLogNote, true},
    {"icon_sad.gif", ":-(&nbsp;", kLogDnf, true},
    {"icon_greenlight.gif", "(enabled)&nbsp;", kLogEnabled, true},
    {"icon_redlight.gif", "(disabled)&nbsp;", kLogDisabled, true},
    {"icon_disabled.gif", "(disabled)&nbsp;", kLogDisabled, true},
    {"icon_enabled.gif", "(enabled)&nbsp;", kLogEnabled, true},
    {"icon_rsvp.gif", "[komme]&nbsp;", kLogWillAttend, true},
    {"icon_attended.gif", "[war da]&nbsp;", kLogAttended, true},
    {"icon_needsmaint.gif", "? + ?&nbsp;", kLogNeedsMaintenance, false},
    {"icon_maint.gif", "! + !&nbsp;", kLogMaintained, false},
    {"coord_update.gif", "[&uarr;&darr;]", -1, false},
};
constexpr int kIconRowCount = static_cast<int>(std::size(kIconRows));
constexpr int kCommonRows = 11;  // the rows matched in both site forms

std::string iconForm1(std::string_view address, const IconRow& row, char q) {
    return "<IMG SRC=" + std::string(1, q) + std::string(address) + "/images/" + row.file + q + ">";
}

std::string iconForm2(std::string_view address, const IconRow& row, char q) {
    const std::string Q(1, q);
    return "<IMG SRC=" + Q + std::string(address) + "/images/icons/" + row.file + Q + " align=" + Q +
           "absmiddle" + Q + ">";
}

// Pages written from GPX files name the icons folder without the align attribute, on the image host.
std::string iconForm3(std::string_view address, const IconRow& row, char q) {
    return "<IMG SRC=" + std::string(1, q) + std::string(address) + "/images/icons/" + row.file + q + ">";
}

bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// "month/day/year", locale-independent; a two-digit year lies in 2000-2099.
std::optional<DateParts> parseMonthDayYear(std::string_view text) {
    std::string_view parts[3];
    for (int k = 0; k < 3; ++k) {
        const std::size_t slash = text.find('/');
        if ((k < 2) == (slash == std::string_view::npos)) return std::nullopt;
        parts[k] = trimBlanks(text.substr(0, slash));
        text = k < 2 ? text.substr(slash + 1) : std::string_view{};
    }
    if (!allDigits(parts[0]) || !allDigits(parts[1]) || !allDigits(parts[2])) return std::nullopt;
    if (parts[0].size() > 2 || parts[1].size() > 2 || parts[2].size() > 4) return std::nullopt;
    DateParts d;
    d.month = std::stoi(std::string(parts[0]));
    d.day = std::stoi(std::string(parts[1]));
    d.year = std::stoi(std::string(parts[2]));
    if (parts[2].size() <= 2) d.year += 2000;
    if (!isValidDate(d.year, d.month, d.day)) return std::nullopt;
    return d;
}

void cleanRating(std::string& content) {
    const std::string original = content;
    const int stars = removeAll(content, "*");
    const int halves = removeAll(content, "1/2");
    content = formatFixed(stars + 0.5 * halves, 1);
    if (content != "0.0") return;
    std::string alt = original;
    std::string piece;
    if (!cutSpan(alt, piece, "alt=\"", " out of 5")) return;
    if (piece.size() > 5) piece.erase(0, 5);
    const std::size_t blank = piece.find(' ');
    if (blank != std::string::npos) piece.erase(blank);
    content = piece;
}

void cleanLatLon(std::string& content) {
    removeAll(content, "<strong>");
    removeAll(content, "</strong>");
    removeAll(content, "</font>");
    removeAll(content, "\xC2");  // folds with 0xE2 as well
    removeFirstSpan(content, "<font", ">");
    removeFirstSpan(content, "<br", ">");
    removeAll(content, "<br>");
    std::size_t at = content.find('E');
    if (at == std::string::npos) at = content.find('W');
    if (at != std::string::npos) content.insert(at, "/ ");
}

void cleanLogs(std::string& content, const ListingSite& site, LogCounters& counters) {
    replaceAllNoCase(content, "90%", "100%");
    removeEverySpan(content, "[<A", "]");
    counters.fill(0);
    site.replaceIconTags(content, counters);
    removeEverySpan(content, "<A NAME=", ">");
    removeEverySpan(content, "<A href", ">");
    removeEverySpan(content, "<img", ">");
    removeAll(content, "</a>");
    removeAll(content, "<strong>");
    removeAll(content, "</strong>");
}

// The text before the next "<", deleted from the front of text (all of it without a "<").
std::string takeBeforeTag(std::string& text) {
    const std::size_t lt = text.find('<');
    std::string piece = text.substr(0, lt);
    text.erase(0, lt == std::string::npos ? text.size() : lt);
    return piece;
}

// The image-host address in the tag up to the value's end, or empty.
std::string hostUrlIn(std::string_view tag, std::string_view imageHost) {
    if (imageHost.empty()) return {};
    const int at = fastPosNoCase(tag, imageHost);
    if (at < 1) return {};
    std::size_t end = static_cast<std::size_t>(at) - 1;
    while (end < tag.size() && tag[end] != '"' && tag[end] != '\'' && tag[end] != '>' &&
           static_cast<unsigned char>(tag[end]) > 32)
        ++end;
    return std::string(
        tag.substr(static_cast<std::size_t>(at) - 1, end - (static_cast<std::size_t>(at) - 1)));
}

// A title or description lands on a line of the image list: no line breaks around or inside it.
std::string oneLine(std::string text) {
    text = trimTrailingControl(trimLeadingControl(text));
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// The first four cells behind the start of every row but the white ones are dropped, searching
// from the row's start in the text as the drops leave it (so a short row takes cells of the next).
// Done in place, one erase per cell.
void dropRowCellsInPlace(std::string& table) {
    for (int p = fastPos(table, "<tr"); p > 0; p = fastPos(table, "<tr", p + 1)) {
        if (upperCase(table.substr(static_cast<std::size_t>(p) - 1, 22)) == "<TR BGCOLOR=\"#FFFFFF\">")
            continue;
        for (int k = 0; k < 4; ++k) {
            const int a = fastPosNoCase(table, "<td", p);
            if (a < 1) break;
            const int b = fastPosNoCase(table, "</td>", a + 1);
            if (b < 1) break;
            table.erase(static_cast<std::size_t>(a) - 1, static_cast<std::size_t>(b + 5 - a));
        }
    }
}

// Whether a pattern occurs in text across position cut (starting before it, ending behind it).
bool straddles(std::string_view text, std::size_t cut, std::string_view pattern, bool ignoreCase) {
    for (std::size_t i = cut >= pattern.size() ? cut - pattern.size() + 1 : 0; i < cut; ++i) {
        if (i + pattern.size() > text.size()) break;
        const std::string_view piece = text.substr(i, pattern.size());
        if (ignoreCase ? equalsNoCase(piece, pattern) : piece == pattern) return true;
    }
    return false;
}

// The same as dropRowCellsInPlace in one pass: the cells to drop are found in the original text
// (between a row's start and the last drop there is no cell left, and behind the last drop the
// text is the original), rows and the white-row test skip what was dropped. False, with the table
// unchanged, when a drop joins text into a new tag; the caller then takes the in-place way.
bool dropRowCells(std::string& table) {
    constexpr std::size_t npos = std::string::npos;
    struct Span {
        std::size_t from, end;
    };
    std::vector<Span> dropped;
    std::string out;  // the table up to the last drop
    std::size_t copied = 0;
    ForwardFinder cellOpen(table, "<td"), cellClose(table, "</td>");
    // n characters of the text as the drops leave it, from original position q (not inside a drop).
    const auto keptText = [&](std::size_t q, std::size_t n) {
        std::string text;
        auto it = std::lower_bound(dropped.begin(), dropped.end(), q,
                                   [](const Span& d, std::size_t pos) { return d.end <= pos; });
        while (text.size() < n && q < table.size()) {
            if (it != dropped.end() && q >= it->from) {
                q = it->end;
                ++it;
                continue;
            }
            const std::size_t stop = it != dropped.end() ? it->from : table.size();
            const std::size_t take = std::min(n - text.size(), stop - q);
            text.append(table, q, take);
            q += take;
        }
        return text;
    };
    // The next row start at or behind q that the drops left whole.
    const auto nextRow = [&](std::size_t q) {
        for (q = table.find("<tr", q); q != npos; q = table.find("<tr", q + 1)) {
            const auto it = std::lower_bound(dropped.begin(), dropped.end(), q,
                                             [](const Span& d, std::size_t pos) { return d.end <= pos; });
            if (it == dropped.end() || it->from >= q + 3) return q;
        }
        return npos;
    };
    std::size_t lastEnd = 0;
    for (std::size_t p = nextRow(0); p != npos; p = nextRow(p + 1)) {
        if (upperCase(keptText(p, 22)) == "<TR BGCOLOR=\"#FFFFFF\">") continue;
        for (int k = 0; k < 4; ++k) {
            const std::size_t a = cellOpen.find(std::max(p, lastEnd));
            if (a == npos) break;
            const std::size_t b = cellClose.find(a + 1);
            if (b == npos) break;
            out.append(table, copied, a - copied);
            copied = lastEnd = b + 5;
            dropped.push_back({a, lastEnd});
            const std::size_t keep = std::min<std::size_t>(out.size(), 4);
            const std::string seam = out.substr(out.size() - keep) + table.substr(lastEnd, 4);
            if (straddles(seam, keep, "<td", true) || straddles(seam, keep, "</td>", true) ||
                straddles(seam, keep, "<tr", false))
                return false;
        }
    }
    if (dropped.empty()) return true;
    out.append(table, copied);
    table.swap(out);
    return true;
}

}  // namespace

ListingSite::ListingSite(std::string base, std::string imageHost)
    : base_(std::move(base)), imageHost_(std::move(imageHost)) {
    const auto add = [this](std::string pattern, int row) {
        passes_.push_back({std::move(pattern), std::string(kLogMarker) + kIconRows[row].marker, row});
    };
    for (const char q : {'\'', '"'}) {
        for (int r = 0; r < kCommonRows; ++r) add(iconForm1(base_, kIconRows[r], q), r);
        for (int r = 0; r < kCommonRows; ++r) add(iconForm2(base_, kIconRows[r], q), r);
    }
    for (int r = kCommonRows; r < kIconRowCount; ++r) {
        add(iconForm2(base_, kIconRows[r], '\''), r);
        add(iconForm2(base_, kIconRows[r], '"'), r);
    }
    for (const std::string* address : {&imageHost_, &base_}) {
        if (address->empty() || (address == &base_ && equalsNoCase(base_, imageHost_))) continue;
        for (const char q : {'\'', '"'})
            for (int r = 0; r < kCommonRows; ++r) add(iconForm3(*address, kIconRows[r], q), r);
    }
    for (std::size_t i = 0; i < passes_.size(); ++i) {
        const std::string& p = passes_[i].pattern;
        // An address with ">" or a pattern twice would break the one-pass lookup: keep the passes then.
        if (p.find('>') != p.size() - 1 || !byTag_.emplace(upperCase(p), i).second) onePass_ = false;
    }
}

void ListingSite::replaceIconTags(std::string& text, LogCounters& counters) const {
    const auto count = [&counters](const IconPass& pass, int n) {
        const int counter = kIconRows[pass.row].counter;
        if (counter >= 0) counters[static_cast<std::size_t>(counter)] += n;
    };
    if (!onePass_) {
        for (const auto& pass : passes_) count(pass, replaceAllNoCase(text, pass.pattern, pass.replacement));
        return;
    }
    std::string out;
    std::size_t read = 0;
    int from = 1;
    for (int at; (at = fastPosNoCase(text, "<IMG SRC=", from)) > 0;) {
        const std::size_t start = static_cast<std::size_t>(at) - 1;
        const std::size_t end = text.find('>', start);
        if (end == std::string::npos) break;
        const auto hit = byTag_.find(upperCase(std::string_view(text).substr(start, end + 1 - start)));
        if (hit == byTag_.end()) {
            from = at + 1;
            continue;
        }
        const IconPass& pass = passes_[hit->second];
        out.append(text, read, start - read);
        out += pass.replacement;
        count(pass, 1);
        read = end + 1;
        from = static_cast<int>(read) + 1;
    }
    if (read == 0) return;
    out.append(text, read);
    text.swap(out);
}

ListingSite::ListingSite(const ServiceAddresses& services)
    : ListingSite(services.listingSite, services.imageHost) {}

int removeEverySpan(std::string& text, std::string_view open, std::string_view close) {
    // One pass into a second buffer. Text before the first open holds no open, so after a removal a
    // new open can only straddle the junction; that rare case restarts on the joined text there.
    std::string out;
    std::size_t read = 0;  // text[read..] is not copied yet
    std::size_t from = 0;  // where the next open is searched
    int count = 0;
    for (;;) {
        const int a = fastPosNoCase(text, open, static_cast<int>(from) + 1);
        if (a < 1) break;
        const int b = fastPosNoCase(text, close, a + 1);
        if (b < 1) break;
        out.append(text, read, static_cast<std::size_t>(a) - 1 - read);
        read = static_cast<std::size_t>(b) - 1 + close.size();
        from = read;
        ++count;
        const std::size_t keep = std::min(out.size(), open.size() - 1);
        if (keep == 0 || read >= text.size()) continue;
        std::string seam = out.substr(out.size() - keep);
        seam.append(text, read, open.size() - 1);
        const int j = fastPosNoCase(seam, open);
        if (j >= 1 && static_cast<std::size_t>(j) - 1 < keep) {
            from = out.size() - keep + static_cast<std::size_t>(j) - 1;
            out.append(text, read);
            text.swap(out);
            out.clear();
            read = 0;
        }
    }
    if (count > 0) {
        out.append(text, read);
        text.swap(out);
    }
    return count;
}

std::string joinPageLines(std::string_view raw) {
    std::string out;
    out.reserve(raw.size() + raw.size() / 16 + 2);
    std::size_t i = 0;
    while (i < raw.size()) {
        const std::size_t end = raw.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            out.append(raw, i);
            out += "\r\n";
            break;
        }
        out.append(raw, i, end - i);
        out += "\r\n";
        i = end + 1;
        if (raw[end] == '\r' && i < raw.size() && raw[i] == '\n') ++i;
    }
    return out;
}

std::size_t ForwardFinder::find(std::size_t from) {
    if (searched_ && from >= from_ && (hit_ == std::string_view::npos || hit_ >= from)) return hit_;
    searched_ = true;
    from_ = from;
    hit_ = std::string_view::npos;
    if (from >= text_.size()) return hit_;
    const int start = static_cast<int>(from) + 1;
    const int at = ignoreCase_ ? fastPosNoCase(text_, pattern_, start) : fastPos(text_, pattern_, start);
    if (at >= 1) hit_ = static_cast<std::size_t>(at) - 1;
    return hit_;
}

SpanFieldReader::SpanFieldReader(std::string_view page)
    : page_(page),
      spanId_(page, "<SPAN ID="),
      hints_(page, "<STRONG>ADDITIONAL HINTS"),
      quoteEnd_(page, "</SPAN></BLOCKQUOTE>"),
      spanOpen_(page, "<SPAN"),
      spanClose_(page, "</SPAN") {}

bool SpanFieldReader::next(std::string& id, std::string& content) {
    constexpr std::size_t npos = std::string_view::npos;
    content.clear();
    id.clear();
    const std::size_t at = spanId_.find(pos_);
    if (at == npos) return false;
    // Through the "=" of "<SPAN ID=" and the opening quote.
    pos_ = std::min(page_.size(), at + 10);
    const std::size_t gt = page_.find('>', pos_);
    if (gt == npos) return false;
    id = page_.substr(pos_, gt - pos_);
    if (!id.empty()) id.pop_back();  // the closing quote
    pos_ = gt + 1;

    if (equalsNoCase(id, "LONGDESCRIPTION")) {
        // Not consumed: the next search starts inside the long description.
        std::size_t end = hints_.find(pos_);
        // Pages written from GPX files carry no hint heading; their description ends with its span.
        if (end == npos) end = quoteEnd_.find(pos_);
        if (end != npos) content = page_.substr(pos_, end - pos_);
        return true;
    }

    // The closing tag, skipping nested spans.
    std::size_t start = pos_;
    std::size_t s = spanOpen_.find(start);
    std::size_t e = spanClose_.find(start);
    while (s != npos && e != npos && s <= e) {
        start = e + 7;
        if (start >= page_.size()) {
            // The page ends with a nested span's closing tag: the field itself is never closed.
            e = npos;
            break;
        }
        s = spanOpen_.find(start);
        e = spanClose_.find(start);
    }
    if (e == npos) e = quoteEnd_.find(pos_);
    if (e == npos) return false;
    content = page_.substr(pos_, e - pos_);
    pos_ = e + 1;
    const std::size_t close = page_.find('>', pos_);
    if (close != npos) pos_ = close + 1;
    return true;
}

bool getNextSpanField(std::string& page, std::string& id, std::string& content) {
    SpanFieldReader reader(page);
    const bool taken = reader.next(id, content);
    page.erase(0, reader.position());
    return taken;
}

bool cleanField(std::string& id, std::string& content, const ListingSite& site, LogCounters& counters) {
    while (!content.empty() && (content.back() == '\r' || content.back() == '\n')) content.pop_back();
    const std::string key = upperCase(id);

    if (key == "CACHENAME" || key == "LOCATION" || key == "WAYPOINTNAME" || key == "LONGDESCRIPTION") {
        // taken as they are
    } else if (key == "LNKDETAILS") {
        std::string box;
        if (!cutSpan(content, box, "<STRONG>", "watching this cache.")) return false;
        if (!cutSpan(box, content, "<strong>", "</strong>")) return false;
        content = upperCase(content);
        removeAll(content, "<STRONG>");
        removeAll(content, "</STRONG>");
        if (!content.empty()) content += " Beobachter";
    } else if (key == "ERRORTEXT") {
        removeEverySpan(content, "<font", ">");
        removeAll(content, "</font>");
        removeEverySpan(content, "<strong>", "</strong>");
        for (const char* tag : {"<ul>", "<li>", "</ul>", "</li>"}) removeAll(content, tag);
    } else if (key == "CACHEOWNER") {
        removeAll(content, "<b>");
        removeAll(content, "</b>");
        removeFirstSpan(content, "<font", ">");
        removeFirstSpan(content, "[", "]");
        removeAll(content, "</font>");
    } else if (key == "LATLON") {
        cleanLatLon(content);
    } else if (key == "UTMFORMAT") {
        removeAll(content, "<br>");
        removeFirstSpan(content, "<font", ">");
        removeAll(content, "</font>");
        removeAll(content, "UTM: ");
    } else if (key == "DATEHIDDEN") {
        const auto d = parseMonthDayYear(content);
        if (d) {
            char year[16];
            std::snprintf(year, sizeof year, "%04d", d->year);
            content = twoDigits(d->day) + ". " + twoDigits(d->month) + ". " + year;
        } else {
            content = "unbekannt";
        }
    } else if (key == "DIFFICULTY" || key == "TERRAIN") {
        cleanRating(content);
    } else if (key == "SHORTDESCRIPTION") {
        removeAll(content, "<P>");
        removeAll(content, "</P>");
    } else if (key == "HINTS\" CLASS=\"DISPLAYME" || key == "HINTS") {
        // The plain ID is the hint span of pages written from GPX files.
        id = "HINTS";
        removeAll(content, "<br>");
        if (content.empty())
            content = "n/a";
        else
            rot13Text(content);
        return true;
    } else if (key == "IMAGES") {
        removeFirstSpan(content, "<font", ">");
        removeAll(content, "</font>");
        removeAll(content, "&nbsp;");
        removeAll(content, "<br>");
        removeEverySpan(content, "<img", "camera.gif\">");
    } else if (key == "NUMVISITS") {
        removeAll(content, "<b>");
        removeAll(content, "</b>");
        removeFirstSpan(content, "<a", "/a>");
        removeFirstSpan(content, "<font", ">");
        removeAll(content, "</font>");
    } else if (key == "CACHELOGS") {
        cleanLogs(content, site, counters);
    } else {
        return false;
    }
    id = key;
    return true;
}

bool cutFirstTag(std::string& text, std::string& tag) {
    const std::size_t lt = text.find('<');
    if (lt == std::string::npos) return false;
    int depth = 1;
    for (std::size_t i = lt + 1; i < text.size(); ++i) {
        if (text[i] == '<')
            ++depth;
        else if (text[i] == '>')
            --depth;
        if (depth == 0) {
            tag = text.substr(lt, i - lt + 1);
            text.erase(lt, i - lt + 1);
            return true;
        }
    }
    return false;
}

bool getImageEntry(std::string& images, std::string& url, std::string& title, std::string& description,
                   std::string_view imageHost) {
    url.clear();
    title.clear();
    description.clear();
    removeEverySpan(images, "<font", ">");
    removeAll(images, "</font>");
    for (;;) {
        std::string tag;
        if (!cutFirstTag(images, tag)) return false;
        bool result = true;
        if (upperCase(tag).find("ONMOUSE") != std::string::npos) {
            // A preview link comes first; the image link is the third tag behind it.
            for (int k = 0; k < 3; ++k) {
                std::string next;
                result = cutFirstTag(images, next);
                if (!result) break;
                tag = std::move(next);
            }
        }
        std::string found = hostUrlIn(tag, imageHost);
        std::string entryTitle = takeBeforeTag(images);
        if (result) {
            std::string closing;
            result = cutFirstTag(images, closing);
        }
        std::string entryDescription = takeBeforeTag(images);
        std::size_t keep = 0;
        while (keep < images.size() && !(keep + 1 < images.size() && images[keep] == '<' &&
                                         (images[keep + 1] == 'A' || images[keep + 1] == 'a')))
            ++keep;
        images.erase(0, keep);
        if (!found.empty()) {
            url = std::move(found);
            title = oneLine(std::move(entryTitle));
            description = oneLine(std::move(entryDescription));
            return result;
        }
        // Not an image of the image host: no address to fetch, so the entry is passed over.
        if (!result) return false;
    }
}

std::string finishLogBlock(std::string logs) {
    removeEverySpan(logs, "<font", ">");
    removeAll(logs, "</font>");
    removeEverySpan(logs, "<td", ">");
    removeAll(logs, "</td>");
    removeEverySpan(logs, "<table", ">");
    removeAll(logs, "</table>");
    removeEverySpan(logs, "<br cl", ">");
    replaceAllNoCase(logs, "<p>", "<BR>");
    removeEverySpan(logs, "<a", ">");
    removeAll(logs, "</a>");
    removeAll(logs, "<b>");
    removeAll(logs, "</b>");
    removeAll(logs, "</p>");
    replaceAllNoCase(logs, "<tr>", "<P>");
    replaceAllNoCase(logs, "</tr>", "</P>");
    replaceAllNoCase(logs, "<BR>", "[[BR]]\r\n");
    replaceAll(logs, "[[BR]]", "</B><BR>");
    return logs;
}

std::string getTravelBugs(std::string_view page) {
    const int f = fastPosNoCase(page, "<SPAN ID=\"LNKTRAVELBUGS\">");
    if (f < 1) return {};
    const int g = fastPosNoCase(page, "<SPAN ID=", f + 20);
    if (g < 1) return {};
    const std::string_view section =
        page.substr(static_cast<std::size_t>(f) - 1, static_cast<std::size_t>(g - f));
    std::string list;
    for (std::size_t from = 0;;) {
        const std::size_t link = section.find("/track/detail", from);
        if (link == std::string_view::npos) break;
        const std::size_t gt = section.find('>', link);
        if (gt == std::string_view::npos) break;
        const std::size_t lt = section.find('<', gt + 1);
        const std::string_view name =
            section.substr(gt + 1, lt == std::string_view::npos ? std::string_view::npos : lt - gt - 1);
        from = lt == std::string_view::npos ? section.size() : lt + 1;
        if (!list.empty()) list += "; ";
        list.append("&quot;").append(name).append("&quot;");
    }
    return list.empty() ? std::string() : "Momentane(r) Travelbug(s) im Cache: " + list;
}

std::string getAdditionalWaypoints(std::string_view page) {
    const int h = fastPosNoCase(page, "ADDITIONAL WAYPOINTS");
    if (h < 1) return {};
    const int t = fastPosNoCase(page, "<TABLE", h + 20);
    if (t < 1) return {};
    const int e = fastPosNoCase(page, "</TABLE>", h);
    if (e < t) return {};
    std::string table(page.substr(static_cast<std::size_t>(t) - 1, static_cast<std::size_t>(e + 8 - t)));

    removeEverySpan(table, "<img", ">");
    removeEverySpan(table, "<a", ">");
    removeAll(table, "</a>");
    removeAll(table, "\xC2");
    replaceAll(table, "\xB0", "&deg;");
    removeAll(table, "width=\"100%\"");
    replaceAll(table, "border=\"0\"", "border=\"1\"");
    removeFirstSpan(table, "<tr", "</tr>");

    if (!dropRowCells(table)) dropRowCellsInPlace(table);

    replaceAll(table, "Parking Area", "P");
    replaceAll(table, "Stages of a Multicache", "SOM");
    replaceAll(table, "Question to answer", "QTA");
    replaceAll(table, "\r\n", "");
    replaceAll(table, "\t", "");
    replaceAll(table, "<tr", "\r\n<tr");
    replaceAll(table, "<td", "\r\n  <td");
    replaceAll(table, "<table", "<table style=\"float: left; margin-right: 10px; margin-bottom: 10px;\"");
    removeAll(table, "<td valign=\"top\" align=\"left\"></td>");
    replaceAll(table, "colspan=\"6\"", "colspan=\"2\"");
    const std::size_t firstRow = table.find("<tr");
    if (firstRow != std::string::npos)
        table.insert(firstRow, "<tr><td colspan=\"2\"><center>Zus&auml;tzliche Wegpunkte</center></td></tr>");
    return table;
}

std::optional<TDateTime> parseListingDate(std::string_view text, TDateTime now) {
    const std::string s = upperCase(trimBlanks(trimLeadingControl(trimTrailingControl(text))));
    const TDateTime today = std::floor(now);
    if (s.find("TODAY") != std::string::npos) return today;
    if (s.find("YESTERDAY") != std::string::npos) return today - 1;
    const std::size_t ago = s.find("DAYS AGO");
    if (ago != std::string::npos) {
        const auto n = parseInt32(trimBlanks(std::string_view(s).substr(0, ago)));
        if (!n) return std::nullopt;
        return today - *n;
    }
    std::size_t digits = 0;
    while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') ++digits;
    std::string day = s.substr(0, digits);
    if (day.size() == 1) day = "0" + day;
    std::string rest(trimBlanks(std::string_view(s).substr(digits)));
    static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const std::string monthName = rest.substr(0, 3);
    rest.erase(0, std::min<std::size_t>(3, rest.size()));
    const std::string year = "20" + std::string(trimBlanks(rest)).substr(0, 2);
    int month = 0;
    for (int m = 0; m < 12; ++m)
        if (monthName == kMonths[m]) month = m + 1;
    if (day.size() != 2 || !allDigits(day) || month == 0 || year.size() != 4 || !allDigits(year))
        return today + 1;
    const int y = std::stoi(year), d = std::stoi(day);
    if (!isValidDate(y, month, d)) return today + 1;
    return encodeDate(y, month, d);
}

}  // namespace vellora
