#pragma once
// The field extractor of saved listing pages. A page (Windows-1252, never decoded here) is cut into
// its span fields, each field is cleaned by the rule of its ID, and the log-type icons of the log
// block become fixed text markers that the description generator counts, limits and emboldens.
// All searches are case-insensitive unless a comment says otherwise; positions are 1-based.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/DateUtil.h"

namespace vellora {

struct ServiceAddresses;

// The ten LogCounters in the order of their placeholders.
enum LogCounter {
    kLogFound,
    kLogReviewNote,
    kLogNote,
    kLogDnf,
    kLogDisabled,
    kLogEnabled,
    kLogWillAttend,
    kLogAttended,
    kLogNeedsMaintenance,
    kLogMaintained,
    kLogCounterCount
};
using LogCounters = std::array<int, kLogCounterCount>;
// "LOGANZ_FOUND", "LOGANZ_REVIEWNOTE", ... in LogCounter order.
extern const std::array<const char*, kLogCounterCount> kLogCounterNames;

// The two addresses of the listing site the extractor matches, with the log-icon replacement passes
// built from them once.
class ListingSite {
public:
    // Scheme and host of the listing site and of its image host, without trailing "/".
    ListingSite(std::string base, std::string imageHost);
    explicit ListingSite(const ServiceAddresses& services);

    const std::string& base() const { return base_; }
    const std::string& imageHost() const { return imageHost_; }

    struct IconPass {
        std::string pattern;
        std::string replacement;  // the log marker with the row's text
        int row;                  // index into the icon table
    };
    // Every icon tag form to replace, in the order the replacements run.
    const std::vector<IconPass>& iconPasses() const { return passes_; }
    // Replaces every icon tag by its marker and adds the replacements to the counters; the same
    // result as the passes one after the other, in one pass over the text.
    void replaceIconTags(std::string& text, LogCounters& counters) const;

private:
    std::string base_, imageHost_;
    std::vector<IconPass> passes_;
    // Upper-cased pattern -> pass. Every pattern starts with "<IMG SRC=" and ends at its only ">",
    // so a tag matches at most one pattern and the markers never form a tag.
    std::unordered_map<std::string, std::size_t> byTag_;
    bool onePass_ = true;
};

// Every log entry starts with this marker once the log block is cleaned.
inline constexpr std::string_view kLogMarker = "<!-- [[LOG]] -->";

// A saved page as the extractor reads it: its lines (ended by CR LF, LF or CR) joined with CR LF,
// with a CR LF after the last line too.
std::string joinPageLines(std::string_view raw);

// The next hit of a pattern at or behind a position that only grows, remembered so that the text is
// searched once however often the same hit is asked for.
class ForwardFinder {
public:
    ForwardFinder(std::string_view text, std::string_view pattern, bool ignoreCase = true)
        : text_(text), pattern_(pattern), ignoreCase_(ignoreCase) {}
    // 0-based position of the first hit at or behind from, or npos.
    std::size_t find(std::size_t from);

private:
    std::string_view text_, pattern_;
    bool ignoreCase_;
    bool searched_ = false;
    std::size_t from_ = 0, hit_ = std::string_view::npos;
};

// Reads the span fields of a page one after the other without changing it; the same fields as
// getNextSpanField in a loop, in time linear in the page's size. The page must outlive the reader.
class SpanFieldReader {
public:
    explicit SpanFieldReader(std::string_view page);
    // False when no further field can be taken.
    bool next(std::string& id, std::string& content);
    // How much of the page the fields taken so far have consumed.
    std::size_t position() const { return pos_; }

private:
    std::string_view page_;
    std::size_t pos_ = 0;
    ForwardFinder spanId_, hints_, quoteEnd_, spanOpen_, spanClose_;
};

// Takes the next span field from the front of the page and deletes what it consumed; false when no
// further field can be taken. (Loops over a whole page use SpanFieldReader.)
bool getNextSpanField(std::string& page, std::string& id, std::string& content);

// Cleans the content by the rule of its ID. True when the ID is accepted: id is then the field's
// upper-case name ("HINTS" for the hint span) and content the cleaned value. The log block's clean-up
// zeroes and fills the counters; other fields leave them alone.
bool cleanField(std::string& id, std::string& content, const ListingSite& site, LogCounters& counters);

// Reads the next entry of the cleaned IMAGES content and consumes it. Entries whose tag names no
// image-host address are passed over; false when no entry is left.
bool getImageEntry(std::string& images, std::string& url, std::string& title, std::string& description,
                   std::string_view imageHost);

// Cuts the first complete tag (nested "<" ">" counted) out of the text; false and the text unchanged
// when there is none.
bool cutFirstTag(std::string& text, std::string& tag);

// Turns the cleaned log block into one paragraph per log with "</B><BR>" line breaks.
std::string finishLogBlock(std::string logs);

// "Momentane(r) Travelbug(s) im Cache: ..." from the travel-bug box of the whole page, or empty.
std::string getTravelBugs(std::string_view page);
// The additional-waypoints table of the whole page, reshaped for the description, or empty.
std::string getAdditionalWaypoints(std::string_view page);

// A date of the site's result lists ("Today", "Yesterday", "3 days ago", "5 Nov 06"). An unreadable
// text gives today + 1; nothing when a "days ago" count is not a number.
std::optional<TDateTime> parseListingDate(std::string_view text, TDateTime now);

// Removes the first span from open to the next close behind it, both included, until there is none;
// returns the number of removals.
int removeEverySpan(std::string& text, std::string_view open, std::string_view close);

}  // namespace vellora
