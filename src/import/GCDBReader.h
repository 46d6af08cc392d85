#pragma once
// Country cache databases: download from the database server, conversion of the line format into
// cache records, and the merge into Caches.bin that keeps every record already there.
//
// The country file is Windows-1252 text, one cache per line, read byte by byte: a byte below 32
// ends a line (a TAB counts as a blank), a line ends at its 513th character, and fields are
// separated by runs of blanks. The conversion streams: it holds one line and one output buffer,
// and the merge holds the waypoints of the existing database, never the records of the input.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/CacheRec.h"
#include "core/DialogModel.h"

namespace vellora {

class RunContext;
class TLoadWindowView;
class TMergeBase;

// Longest line of a country file; a longer physical line goes on as the next line.
inline constexpr std::size_t kCacheDBMaxLine = 513;

// Result codes of ConverteHTTP besides a count.
inline constexpr int kConvertCannotOpenSource = -1;
inline constexpr int kConvertCannotCreateTarget = -2;
inline constexpr int kConvertReadError = -3;
inline constexpr int kConvertWriteError = -4;

// ParseCacheDBLine results.
inline constexpr int kLineComplete = 0;
inline constexpr int kLineIncomplete = 1;  // difficulty and/or terrain missing, stored as "0.0"
inline constexpr int kLineMalformed = -1;

// Cuts an open country file into lines as the converter reads it, through a buffer of fixed size.
class TCacheDBLineReader {
public:
    enum class Status { Line, End, Error };

    explicit TCacheDBLineReader(int fd);
    // The next line into line (cleared first): Line, End when the file is done, or Error (errno in
    // error()). A read error in the middle of a line gives Error, not the part read.
    Status next(std::string& line);
    // The same as a view, valid until the next call: into the read buffer where the line lies
    // whole in it and holds no TAB, which is nearly every line.
    Status next(std::string_view& line);
    int error() const { return error_; }

private:
    bool fill();

    int fd_;
    std::unique_ptr<char[]> buf_;
    std::size_t pos_ = 0, len_ = 0;
    int error_ = 0;
    bool eof_ = false;
    std::string joined_;  // a line that spans two reads or holds a TAB
};

// Fills rec (cleared first) from one line. Besides the field rules of the format, a line is
// malformed when its waypoint is missing or breaks the waypoint rule (the reason then goes to
// waypointProblem) or its coordinates are not finite or out of range.
int ParseCacheDBLine(std::string_view line, TCacheRec& rec, std::string* waypointProblem = nullptr);

// ParseCacheDBLine for a stream of lines: its scratch texts and those of rec keep their buffers
// from line to line, so a conversion does not allocate per field.
class TCacheDBLineParser {
public:
    int parse(std::string_view line, TCacheRec& rec, std::string* waypointProblem = nullptr);

private:
    // A line whose quoted texts stand elsewhere than at the front of their fields.
    int parseGeneral(std::string_view afterId, std::int32_t id, TCacheRec& rec, std::string* waypointProblem);
    // The fields from the waypoint on, and the record.
    int finish(std::int32_t id, double hidden, double lat, double lon, std::string_view type,
               std::string_view size, std::string_view view, TCacheRec& rec, std::string* waypointProblem);

    std::string rest_, name_, type_, size_;
};

// DB_CountryID of the (last) country entry whose DB_Filename is the file name part of the path,
// compared without regard to case; 0 when none.
std::int32_t CountryIDFromFileName(const RunContext& ctx, std::string_view path);

// The distance in km from the primary home, as HomeDist keeps it (0 where it is undefined).
float homeDistanceKm(const RunContext& ctx, double lat, double lon);

struct TConvertCounters {
    int converted = 0;
    int incomplete = 0;
    int malformed = 0;
    int newRecords = 0;                         // added by the merge; 0 when no merge ran
    std::vector<std::string> refusedWaypoints;  // the reasons of the first lines refused for their waypoint
};

// The progress window of a conversion ("Cache-DB einlesen / konvertieren") and the operations
// that drive it. Its texts mirror onto the host's progress display while it is shown.
class TfrmGCDBReader : public DialogModel {
public:
    static constexpr const char* kCaption = "Cache-DB einlesen / konvertieren";
    static constexpr const char* kConvertHeading = "Cache-Datenbank wird eingelesen.";
    static constexpr const char* kMergeHeading =
        "Cache-Datenbanken werden zusammengef\xFC"
        "hrt.";
    static constexpr const char* kSourceGroup = "Quelldatei";
    static constexpr const char* kTargetGroup = "Zieldatei";
    static constexpr const char* kCountLabel =
        "Anzahl verarbeiteter Datens\xE4"
        "tze:";

    explicit TfrmGCDBReader(RunContext& ctx) : ctx_(ctx) {}

    // Converts WorkDirPath + fileName into Caches.bin (merging when it exists) with the window
    // shown and the messages given; returns the number of new records the merge added.
    int ConvertCacheDB(const std::string& fileName, bool offerNearest, bool report);
    // One file into target (or target + ".tmp" and a merge when target exists). Returns the
    // number of complete records or a negative kConvert... code; counters() holds the rest.
    int ConverteHTTP(const std::string& sourcePath, const std::string& targetPath, bool offerNearest);
    // Appends the records of newRecordsPath whose waypoint the database did not hold before
    // (without regard to case) and rebuilds the index; returns how many were appended. The database
    // is rewritten whole through a temporary file: after a failure or a crash it is the old file.
    int MergeCacheDB(const std::string& newRecordsPath, const std::string& databasePath, bool offerNearest);

    const TConvertCounters& counters() const { return counters_; }
    // Whether the last ConverteHTTP left Caches.idx of the working directory describing Caches.bin
    // (it writes the index from the records it writes when it makes or merges that database).
    bool indexCurrent() const { return indexCurrent_; }
    // What the last ConvertCacheDB got from ConverteHTTP (kConvertCannotOpenSource when the file
    // was missing).
    int lastResult() const { return lastResult_; }

    // Shows the details of the nearest new cache and returns when the view is closed. Unset:
    // the question is still asked, a yes shows nothing.
    std::function<void(const TCacheRec&)> showCacheDetails;

    bool visible() const { return visible_; }
    const std::string& heading() const { return heading_; }
    const std::string& sourceText() const { return source_; }
    const std::string& targetText() const { return target_; }
    const std::string& countText() const { return count_; }

private:
    void show();
    void hide();
    void setHeading(std::string text);
    void setPaths(const std::string& source, const std::string& target);
    void setCount(std::int64_t n);
    void offerNearestCache(const TCacheRec& nearest, int keptCount);
    // MergeCacheDB against a database read before the new records were written.
    int mergeNewRecords(const std::string& newRecordsPath, const std::string& databasePath, bool offerNearest,
                        TMergeBase& base);

    RunContext& ctx_;
    TConvertCounters counters_;
    int lastResult_ = 0;
    bool indexCurrent_ = false;
    bool visible_ = false;
    std::string heading_ = kConvertHeading, source_, target_, count_ = "0";
};

// The load window as the database download drives it: the protocol view of the listing loader's
// window with a task text, a content text and the abort button.
class TCacheDBLoadWindow {
public:
    virtual ~TCacheDBLoadWindow() = default;
    // Opens the window with its protocol shown and its options hidden.
    virtual void open(const std::string& task, const std::string& content, bool abortVisible) = 0;
    virtual void close() = 0;
    // What getBinaryToFile writes its protocol and sub-task to.
    virtual TLoadWindowView& view() = 0;
};

// What the four database commands of the main window need from it.
struct TCacheDBCommandHooks {
    // The download window; nullptr downloads without one.
    TCacheDBLoadWindow* loadWindow = nullptr;
    // The database status line of the main window.
    std::function<void()> refreshStatusLine;
    // The details view for the nearest new cache (see TfrmGCDBReader).
    std::function<void(const TCacheRec&)> showCacheDetails;
    // Each conversion's window before it runs, when a view wants to show it.
    std::function<void(TfrmGCDBReader&)> attachConverter;
    // Each conversion after it ran: the file name and its window with the result and counters.
    std::function<void(const std::string&, const TfrmGCDBReader&)> converted;
};

inline constexpr const char* kDownloadTask = "Lade Cache-DB";
inline constexpr const char* kDownloadContent = "Die Cache-Datenbank wird vom Internet geladen...";

// The main window's commands for the country databases.
class TCacheDBCommands {
public:
    explicit TCacheDBCommands(RunContext& ctx, TCacheDBCommandHooks hooks = {})
        : ctx_(ctx), hooks_(std::move(hooks)) {}

    // "&Primäre Cache-DB laden und konvertieren". Returns whether the database was fetched and
    // converted (the conversion may still have reported errors).
    bool mnuReadCacheDBClick();
    // "&Weitere Cache-DBs laden und konvertieren": returns how many databases were fetched.
    int mnuReadAdditionalCacheDBsClick();
    // "&Lokale primäre Cache-DB konvertieren": returns the new records of the merge.
    int lokaleCacheDBkonvertieren1Click();
    // "W&eitere lokale Cache-DBs konvertieren": returns the new records of all merges.
    int convertAdditionalCacheDBsClick();

private:
    enum class FetchResult { Ok, DownloadFailed, CopyFailed, ExtractFailed };
    FetchResult fetchCountryFile(const std::string& fileName, bool abortVisible);
    int convert(const std::string& fileName, bool offerNearest, bool report);
    void afterConversion();

    RunContext& ctx_;
    TCacheDBCommandHooks hooks_;
    // Some conversion since the last afterConversion left Caches.idx behind Caches.bin.
    bool indexStale_ = false;
};

}  // namespace vellora
