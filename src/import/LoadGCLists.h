#pragma once
// TListLoader: walks the listing site's result lists. Those are server-side forms: the first page
// comes by GET, every further one by posting the form back with the page's hidden view state and
// the pager control that leads to the next page.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "net/LoadURL.h"

namespace vellora {

class RunContext;

class TListLoader {
public:
    explicit TListLoader(RunContext& ctx);
    ~TListLoader();
    TListLoader(const TListLoader&) = delete;
    TListLoader& operator=(const TListLoader&) = delete;

    // When set, the loader writes its log lines to debug.log whatever the debug mode says.
    bool verbose = false;

    // The proxy of the client: "" for none, else "host:port" or a bare host (port 80), optionally
    // after "http://". A port that is not a number gives port 80.
    void initializeHTTP(const std::string& proxyText);

    // Fetches the first page with GET and reads its view state and next link. 0, or -1 when the
    // request fails.
    int GetFirstPage(const std::string& url);
    // Posts the form back for the next page. 0; -1 no view state; -2 the last page had no next
    // link; -3 the request failed.
    int GetNextPage();

    const std::string& url() const { return url_; }
    const std::string& pageText() const { return pageText_; }
    // The page's "__VIEWSTATE" value, form-encoded; empty when the page had none.
    const std::string& viewState() const { return viewState_; }
    int nextControl() const { return nextControl_; }
    bool nextAvailable() const { return nextControl_ >= 0; }
    int pagesPosted() const { return pagesPosted_; }
    const std::string& lastError() const { return lastError_; }

    THttpClient& client() { return client_; }

    // Form encoding of a value: "*-.@_" and ASCII letters stay, a blank becomes "+", every other
    // byte (digits too) "%" and two lower-case hex digits.
    static std::string formEncode(std::string_view value);
    // The raw "__VIEWSTATE" value of a page, if it has one.
    static std::optional<std::string> readViewState(std::string_view page);
    // The number N of the "$_ctlN" pager control in front of the first "Next" of a paging cell;
    // -1 when the page offers no next page.
    static int findNextControl(std::string_view page);
    // The proxy as initializeHTTP reads it; portError tells that the port was not a number.
    static std::optional<TProxySetting> parseProxy(std::string text, bool& portError);

private:
    class Progress;
    void log(std::string_view line) const;
    void readPageState();

    RunContext& ctx_;
    THttpClient client_;
    std::unique_ptr<Progress> progress_;
    std::string url_, pageText_, viewState_, lastError_;
    int nextControl_ = -1;
    int pagesPosted_ = 0;
};

}  // namespace vellora
