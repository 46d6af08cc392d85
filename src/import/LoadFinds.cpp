#include "import/LoadFinds.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <thread>
#include <unordered_map>

#include "core/CacheRec.h"
#include "core/Cp1252.h"
#include "core/FastStrings.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "listing/Parse.h"

namespace vellora {
namespace {

constexpr std::string_view kWhere = "frmLoadFinds.LoadOnePage";
// The database name a find takes is cut to this length.
constexpr std::size_t kFoundNameLength = 80;

std::string timeText(TDateTime now) {
    const DateParts p = decodeDateTime(now);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    return buf;
}

// The position, name and type of the cache from the database, when it holds the cache.
bool takeFromDatabase(RunContext& ctx, TFoundRec& rec) {
    TCacheRec cache;
    if (!FindCache(ctx, rec.Waypoint, cache)) return false;
    rec.Lat = cache.Lat;
    rec.Lon = cache.Lon;
    rec.CacheName = cache.CacheName.substr(0, kFoundNameLength);
    rec.CacheType = cache.CacheType;
    return true;
}

}  // namespace

TfrmLoadFinds::TfrmLoadFinds(RunContext& ctx)
    : earliestDate(std::floor(ctx.now()) - kDefaultRangeDays), ctx_(ctx), loader_(ctx) {}

std::string TfrmLoadFinds::encodeUserName(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : name) {
        if (c == ' ') {
            out += '+';
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                   c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            // The site reads names as UTF-8 ("\xE4" arrives as %C3%A4). Every other character is
            // escaped too, so that a name with "&", "#" or "%" still names this user.
            for (const char b : utf8FromCp1252(std::string_view(&c, 1))) {
                const auto v = static_cast<unsigned char>(b);
                out += '%';
                out += kHex[v >> 4];
                out += kHex[v & 15];
            }
        }
    }
    return out;
}

std::string TfrmLoadFinds::findsUrl() const {
    return ctx_.services.listingSite + "/seek/nearest.aspx?ul=" + encodeUserName(ctx_.settings.Username) +
           "&submit4=Find";
}

void TfrmLoadFinds::addLine(std::string_view text) {
    protocol_.push_back(timeText(ctx_.now()) + " " + std::string(text));
    changed();
}

void TfrmLoadFinds::btnLoadClick() {
    // "Finds laden" is not offered while a page is on its way or after a finished run.
    if (inPage_ || state_ == State::Finished) return;
    protocol_.clear();
    page_ = totalRecords_ = totalPages_ = 0;
    totalRead_ = false;
    stop_ = cancel_ = false;
    loaded_.clear();
    merged_ = false;
    oldCount_ = newCount_ = 0;
    state_ = State::Loading;
    optionsEnabled_ = loadEnabled_ = closeEnabled_ = false;
    cancelEnabled_ = true;
    changed();

    loader_.verbose = true;
    loader_.initializeHTTP(ctx_.settings.UseProxy ? ctx_.settings.ProxyServer : std::string());
    url_ = findsUrl();
    const int run = ++run_;

    if (!LoadOnePage()) return;
    if (startTimer) {
        scheduleNextPage();
        return;
    }
    do {
        if (!pause()) btnCancelClick();
    } while (run == run_ && LoadOnePage());
}

void TfrmLoadFinds::scheduleNextPage() {
    const int run = run_;
    startTimer(kPagePauseMilliseconds, [this, run] {
        // A timer of an earlier run (cancelled and started again) has nothing more to do.
        if (run != run_) return;
        if (LoadOnePage()) scheduleNextPage();
    });
}

bool TfrmLoadFinds::pause() {
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(kPagePauseMilliseconds);
    Host& host = ctx_.host();
    for (;;) {
        host.processEvents();
        if (host.abortRequested()) return false;
        const auto now = Clock::now();
        if (now >= until) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, std::chrono::milliseconds(20)));
    }
}

void TfrmLoadFinds::btnCancelClick() {
    if (state_ != State::Loading) return;
    cancel_ = true;
    state_ = State::Idle;
    optionsEnabled_ = loadEnabled_ = closeEnabled_ = true;
    cancelEnabled_ = false;
    addLine("*** Abbruch durch Benutzer ***");
}

bool TfrmLoadFinds::LoadOnePage() {
    if (cancel_) {
        closeEnabled_ = true;
        changed();
        return false;
    }
    ++page_;
    addLine("Lade Seite #" + std::to_string(page_));
    inPage_ = true;
    const int r = page_ == 1 ? loader_.GetFirstPage(url_) : loader_.GetNextPage();
    inPage_ = false;

    if (ctx_.debugMode) {
        if (r == 0) {
            const std::string name = "finds" + std::to_string(page_) + ".html";
            debugInfo(ctx_, kWhere, "Saving finds-page as: " + name);
            writeFileAtomic(ctx_.workDirPath() + name, loader_.pageText());
        } else {
            debugError(ctx_, kWhere, "Error loading page #" + std::to_string(page_));
        }
    }

    if (r != 0) {
        // What went wrong with the request (a time-out, a refused answer); the other codes say it.
        if ((page_ == 1 && r == -1) || r == -3) addLine("Fehlermeldung: " + loader_.lastError());
        addLine("Fehler #" + std::to_string(r) + " - Abbruch!");
        cancel_ = true;
        state_ = State::Idle;
        optionsEnabled_ = loadEnabled_ = closeEnabled_ = true;
        cancelEnabled_ = false;
        changed();
        return false;
    }
    // Cancelled while the page was on its way: it is not used.
    if (cancel_) return false;
    if (!parsePage(loader_.pageText())) {
        cancel_ = true;
        state_ = State::Idle;
        optionsEnabled_ = loadEnabled_ = closeEnabled_ = true;
        cancelEnabled_ = false;
        changed();
        return false;
    }
    if (page_ >= totalPages_ || stop_) {
        addLine("Fertig.");
        mergeIntoFindsFile();
        finish();
        return false;
    }
    return true;
}

bool TfrmLoadFinds::parsePage(std::string page) {
    if (!totalRead_) {
        const std::size_t total = upperCase(page).find("TOTAL RECORDS");
        if (total == std::string::npos) return true;
        page.erase(0, total);
        std::string piece;
        if (!cutSpan(page, piece, "<b>", "</b>")) return true;
        removeAll(piece, "<B>");
        removeAll(piece, "</B>");
        const auto count = parseInt32(piece);
        if (!count) {
            ctx_.host().message(MsgKind::Error, MsgButtons::Ok,
                                "'" + piece + "' ist kein g\xFCltiger Integerwert");
            return false;
        }
        totalRead_ = true;
        totalRecords_ = *count;
        totalPages_ = totalRecords_ / kRowsPerPage + (totalRecords_ % kRowsPerPage != 0 ? 1 : 0);
        addLine("Found-Datens\xE4tze: " + std::to_string(totalRecords_));
        addLine("Seiten gesamt: " + std::to_string(totalPages_));
    }

    const TDateTime earliest = std::floor(earliestDate);
    // The rows are read with a cursor: cutting each row off the front would copy the rest of the
    // page once per row.
    std::size_t at = 0;
    const auto skipPast = [&page, &at](std::string_view marker) {
        if (at >= page.size()) return false;
        const int pos = fastPosNoCase(page, marker, static_cast<int>(at) + 1);
        if (pos < 1) return false;
        at = static_cast<std::size_t>(pos) - 1 + marker.size();
        return true;
    };
    while (skipPast("seek/cache_details") && skipPast(">") && skipPast(">") && skipPast("(GC")) {
        // The whole code up to ")", and one character beyond the longest waypoint, so that a longer
        // code is refused by the waypoint rule rather than cut into the code of another cache.
        std::string waypoint = "GC";
        std::size_t k = at;
        while (k < page.size() && page[k] != ')' && waypoint.size() <= TFoundRec::kWaypointMax)
            waypoint += page[k++];
        at = std::min(k + 1, page.size());
        if (!skipPast("/TD>") || !skipPast(">")) break;
        const std::size_t tag = page.find('<', at);
        const std::string dateText = page.substr(
            at, std::min<std::size_t>(tag == std::string::npos ? page.size() - at : tag - at, 20));
        const auto date = parseListingDate(dateText, ctx_.now());
        if (!date) {
            addLine("Fehlerhaftes Datumsformat: " + dateText);
            continue;
        }
        if (!loadComplete && *date < earliest) {
            stop_ = true;
            addLine("Minimaldatum erreicht, Ladevorgang wird beendet.");
            break;
        }
        WaypointCheck check = checkWaypoint(waypoint);
        if (!check.ok()) {
            addLine(check.problem);
            continue;
        }
        TFoundRec find;
        find.Waypoint = std::move(check.waypoint);
        find.FoundDate = formatDate(*date);
        loaded_.add(find);
    }
    return true;
}

void TfrmLoadFinds::mergeIntoFindsFile() {
    const std::string path = ctx_.workDirPath() + kFoundFileName;
    std::vector<TFoundRec> records;
    if (const int error = readFoundRecords(path, records); error != 0 && error != ENOENT) {
        // Rewriting from what could be read would lose the rest of the user's finds.
        showErrorCode(ctx_.host(), error, "Fehler beim Lesen der Datei " + path);
        return;
    }

    // The loaded finds not yet consumed, per waypoint in loading order.
    std::unordered_map<std::string, std::deque<int>> open;
    for (int pos = 0; pos < loaded_.count(); ++pos) open[loaded_.get(pos).Waypoint].push_back(pos);
    for (TFoundRec& rec : records) {
        const auto it = open.find(rec.Waypoint);
        if (it == open.end() || it->second.empty()) continue;
        const int pos = it->second.front();
        it->second.pop_front();
        rec.FoundDate = loaded_.get(pos).FoundDate;
        takeFromDatabase(ctx_, rec);
        loaded_.consume(pos);
    }
    oldCount_ = static_cast<int>(records.size());

    addLine("---------- Alte Liste: ----------");
    for (const TFoundRec& rec : records) addLine(rec.Waypoint + ": " + rec.CacheName);
    addLine("---------- Hinzu kommen: ----------");
    newCount_ = 0;
    for (int pos = 0; pos < loaded_.count(); ++pos) {
        if (loaded_.isConsumed(pos)) continue;
        TFoundRec rec = loaded_.get(pos);
        if (!takeFromDatabase(ctx_, rec)) rec.CacheName = kNotInDatabase;
        addLine(rec.Waypoint + ": " + rec.CacheName);
        records.push_back(std::move(rec));
        ++newCount_;
    }
    if (const int error = writeFoundRecords(path, records); error != 0) {
        showErrorCode(ctx_.host(), error, "Fehler beim Schreiben der Datei " + path);
    } else {
        merged_ = true;
    }
    addLine("-------------------------------------------------");
    addLine("Bereits vorhanden waren " + std::to_string(oldCount_) + " Finds");
    addLine("Neu gefunden wurden " + std::to_string(newCount_) + " Finds");
}

void TfrmLoadFinds::finish() {
    state_ = State::Finished;
    optionsEnabled_ = loadEnabled_ = cancelEnabled_ = false;
    closeEnabled_ = true;
    changed();
}

}  // namespace vellora
