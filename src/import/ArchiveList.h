#pragma once
// "Archivliste laden": fetches the list of archived waypoints from the archive server into
// WParchived.txt in the working directory (as received, one line each, CR LF), where the listing
// loader and the waypoint collector read it to leave archived caches out.
#include <functional>

namespace vellora {

class RunContext;
class TfrmLoadURL;

struct TArchiveListHooks {
    // Shows the URL loader window until it has fetched and closed itself (the view runs its
    // timer); returns the lines written. Without it the window's model runs on its own.
    std::function<int(TfrmLoadURL&)> showLoadWindow;
    // The database status line of the main window.
    std::function<void()> refreshStatusLine;
};

inline constexpr const char* kArchiveLoadedText = " Waypoints archivierter Caches geladen.";

// mnuGetArchiveListClick: returns the number of lines written, -1 when the fetch failed (it was
// reported; WParchived.txt is left as it was).
int GetArchiveList(RunContext& ctx, const TArchiveListHooks& hooks = {});

}  // namespace vellora
