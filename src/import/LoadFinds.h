#pragma once
// The dialog "Eigene Finds einlesen": walks the listing site's list of the user's finds page by
// page (a second apart), collects waypoint and date of each find, stops at the last page or at
// the chosen earliest date, and merges the result into Finds.bin, writing a protocol.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateUtil.h"
#include "core/DialogModel.h"
#include "core/FoundList.h"
#include "import/LoadGCLists.h"

namespace vellora {

class RunContext;

class TfrmLoadFinds : public DialogModel {
public:
    static constexpr const char* kCaption = "Eigene Finds einlesen";
    static constexpr const char* kCompleteBox = "meine Finds komplett laden";
    static constexpr const char* kRangeLabel = "zu ladender Zeitbereich:  vom";
    static constexpr const char* kRangeEnd = "bis heute";
    static constexpr const char* kLoadButton = "Finds laden";
    static constexpr const char* kCancelButton = "Abbrechen";
    static constexpr int kRowsPerPage = 20;
    static constexpr int kPagePauseMilliseconds = 1000;
    // The date a new dialog proposes: today minus this many days.
    static constexpr int kDefaultRangeDays = 30;
    static constexpr const char* kNotInDatabase = "*** nicht in Datenbank gefunden ***";

    enum class State { Idle, Loading, Finished };

    explicit TfrmLoadFinds(RunContext& ctx);

    // "meine Finds komplett laden"; when off, finds before earliestDate end the loading.
    bool loadComplete = true;
    TDateTime earliestDate;

    // "Finds laden": starts the run. Without a timer of the view's, the pauses between pages are
    // waited here (the host's events keep running, its abort request cancels) and the call
    // returns when the run has ended.
    void btnLoadClick();
    // "Abbrechen": the page in progress finishes, no further page is requested, nothing is merged.
    void btnCancelClick();

    // The view's timer: calls fire once, ms milliseconds later. When set, btnLoadClick returns
    // after each page and the run goes on from the timer.
    std::function<void(int ms, std::function<void()> fire)> startTimer;

    // Reads one result page into the loaded list (total, rows, stop date), with its protocol lines.
    // Returns false when the total is not a number (the run must end; the error was shown).
    bool parsePage(std::string page);
    // Merges the loaded finds into Finds.bin with the protocol of the old and the new finds.
    void mergeIntoFindsFile();

    // The user name as the finds address carries it.
    static std::string encodeUserName(std::string_view name);
    // The address of the first page for the configured user.
    std::string findsUrl() const;

    State state() const { return state_; }
    bool optionsEnabled() const { return optionsEnabled_; }
    bool dateEnabled() const { return optionsEnabled_ && !loadComplete; }
    bool loadEnabled() const { return loadEnabled_; }
    bool cancelEnabled() const { return cancelEnabled_; }
    bool closeEnabled() const { return closeEnabled_; }
    // The busy animation runs.
    bool busy() const { return state_ == State::Loading; }

    const std::vector<std::string>& protocol() const { return protocol_; }
    int pageNumber() const { return page_; }
    int totalRecords() const { return totalRecords_; }
    int totalPages() const { return totalPages_; }
    bool stopReached() const { return stop_; }
    bool cancelled() const { return cancel_; }
    const TFoundList& loadedFinds() const { return loaded_; }
    // After a merge: the finds that were in Finds.bin, and the new ones.
    bool merged() const { return merged_; }
    int oldCount() const { return oldCount_; }
    int newCount() const { return newCount_; }

    TListLoader& loader() { return loader_; }

private:
    // One page; true when the next page is due.
    bool LoadOnePage();
    void scheduleNextPage();
    // Waits the pause between pages; false when the host asked to stop meanwhile.
    bool pause();
    void addLine(std::string_view text);
    void finish();

    RunContext& ctx_;
    TListLoader loader_;
    State state_ = State::Idle;
    bool optionsEnabled_ = true, loadEnabled_ = true, cancelEnabled_ = false, closeEnabled_ = true;
    bool inPage_ = false;
    int run_ = 0;
    std::string url_;
    std::vector<std::string> protocol_;
    int page_ = 0, totalRecords_ = 0, totalPages_ = 0;
    bool totalRead_ = false;
    bool stop_ = false, cancel_ = false;
    TFoundList loaded_;
    bool merged_ = false;
    int oldCount_ = 0, newCount_ = 0;
};

}  // namespace vellora
