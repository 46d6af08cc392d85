#pragma once
// The HTTP fetch service: every network access of the program goes through a THttpClient (libcurl
// underneath). A client sends the Accept header and its user agent, uses the configured proxy,
// follows only http and https (also on redirects), bounds what an answer may make the program hold,
// ends dead connections, reports progress as begin/work/end and lets pending user events run while
// it waits, so that an abort can be pressed during a transfer.
//
// Also here: initializeHTTP and getBinaryToFile of the loader window, and the model of the small URL
// loader window TfrmLoadURL.
#include <csignal>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/DialogModel.h"
#include "core/Services.h"

namespace vellora {

class Host;
class RunContext;

// A failed request. what() is the message the user sees after "Fehlermeldung: ".
class EHttpError : public std::runtime_error {
public:
    enum class Kind {
        Transport,  // no connection, name not resolved, time-out, refused redirect, ...
        Status,     // the server answered with an error status
        TooLong,    // the answer is longer than the client accepts
        Aborted,    // the user aborted the transfer
        File,       // the destination file could not be written
        Config,     // the proxy setting is malformed; no request was made
    };

    EHttpError(Kind kind, const std::string& message, long status = 0)
        : std::runtime_error(message), kind_(kind), status_(status) {}

    Kind kind() const { return kind_; }
    // The HTTP status of a Status error, else 0.
    long status() const { return status_; }
    // The error's class name as the URL loader window reports it.
    const char* className() const { return kind_ == Kind::Config ? "EConvertError" : "EHttpError"; }

private:
    Kind kind_;
    long status_;
};

// The user agents and redirect handling of the program's clients.
struct THttpClientProfile {
    const char* userAgent;
    bool followRedirects;
    long maxHostConnections = 0;  // 0: libcurl's own rule
};
// The loader window's client (listing pages, images, maps, database download, version check).
inline constexpr THttpClientProfile kLoaderClient{"Mozilla/6.0 (compatible; Indy Library)", true};
// The URL loader window's client and the result-list loader's client.
inline constexpr THttpClientProfile kUrlLoaderClient{"Mozilla/3.0 (compatible; Indy Library)", false};

inline constexpr const char* kAcceptHeader = "text/html, */*";
inline constexpr const char* kFormContentType = "application/x-www-form-urlencoded";

struct TProxySetting {
    std::string host;
    int port = 80;
    bool operator==(const TProxySetting&) const = default;
};

// The proxy text rules: an "http://" in it drops its first seven characters; "host:port" or a bare
// host (port 80). Empty text: no proxy. A port that is not a decimal number (0..65535) throws
// EHttpError of kind Config.
std::optional<TProxySetting> parseProxyText(std::string text);

// Receives the progress notifications of a request.
class THttpProgress {
public:
    virtual ~THttpProgress() = default;
    // total: the expected size in bytes, 0 when unknown.
    virtual void workBegin(std::int64_t total) = 0;
    virtual void work(std::int64_t count) = 0;
    virtual void workEnd() = 0;
};

// Shows the notifications on the host's progress display: begin sets its maximum, work its
// position, end takes the display down.
class THostProgress : public THttpProgress {
public:
    THostProgress(Host& host, std::string text) : host_(host), text_(std::move(text)) {}
    void workBegin(std::int64_t total) override;
    void work(std::int64_t count) override;
    void workEnd() override;

private:
    Host& host_;
    std::string text_;
};

// A flag set from a signal handler (Ctrl-C on the console) that ends every running and later
// transfer of the process as aborted; nullptr for none.
void setTransferInterruptFlag(const volatile std::sig_atomic_t* flag);

class THttpClient {
public:
    explicit THttpClient(Host& host, THttpClientProfile profile = kLoaderClient);
    // A client of an operation: the context's host, and its transfer limits to start with.
    explicit THttpClient(const RunContext& ctx, THttpClientProfile profile = kLoaderClient);
    ~THttpClient();
    THttpClient(const THttpClient&) = delete;
    THttpClient& operator=(const THttpClient&) = delete;

    void setProxy(std::optional<TProxySetting> proxy) { proxy_ = std::move(proxy); }
    const std::optional<TProxySetting>& proxy() const { return proxy_; }

    // Where progress goes (nullptr: nowhere). The client processes the host's pending events after
    // each notification and while it waits.
    void setProgress(THttpProgress* progress) { progress_ = progress; }
    THttpProgress* progress() const { return progress_; }

    // What aborts a running transfer, polled while it runs: for example the caller's abort flag,
    // or [&host] { return host.abortRequested(); }. None by default.
    void setAbortCheck(std::function<bool()> check) { abortCheck_ = std::move(check); }

    const THttpClientProfile& profile() const { return profile_; }

    // GET into memory.
    std::string getText(const std::string& url);
    // GET into a file, through a temporary file beside it and a rename: on failure no file of that
    // name is left (an older one is removed, as the download would have replaced it).
    void getToFile(const std::string& url, const std::string& path);
    // GET of binary content into memory, at most maxBytes (and the file size limit), with the
    // answer's caching headers.
    struct CacheHeaders {
        std::string cacheControl, expires, date;
    };
    std::string getBinary(const std::string& url, std::uint64_t maxBytes, CacheHeaders* headers);
    // POST of a form body (already encoded) with the form content type; the answer into memory.
    std::string postForm(const std::string& url, const std::string& body);

    THttpLimits limits;

private:
    struct Transfer;
    void perform(Transfer& t);

    Host& host_;
    THttpClientProfile profile_;
    std::optional<TProxySetting> proxy_;
    THttpProgress* progress_ = nullptr;
    std::function<bool()> abortCheck_;
    void* multi_ = nullptr;  // CURLM*, keeps connections between requests
    bool busy_ = false;
};

// Sets the client's proxy from the settings UseProxy and ProxyServer, with the debug lines.
// A malformed port throws EHttpError of kind Config.
void initializeHTTP(RunContext& ctx, THttpClient& client);

// The parts of the loader window that getBinaryToFile drives; the listing loader's model
// implements it.
class TLoadWindowView {
public:
    virtual ~TLoadWindowView() = default;
    // Switches from the options to the protocol view and clears the protocol.
    virtual void showProtocol() = 0;
    virtual void addProtocolLine(const std::string& line) = 0;
    // The current sub-task ("" clears it); the view shortens it to its width with elideMiddle.
    virtual void setSubTask(const std::string& text) = 0;
    virtual void showStatistics() = 0;
};

// Downloads url into destination with the loader window's client. Not quiet (a stand-alone
// download): the protocol shows when it started and ended. A failure shows the error message
// (not after a user's abort) and gives false; no destination file is left then.
bool getBinaryToFile(RunContext& ctx, THttpClient& client, const std::string& url,
                     const std::string& destination, bool quiet, TLoadWindowView* view);

// Takes two characters at a time out of the middle of text, shown as "...", until fits() accepts it.
std::string elideMiddle(std::string_view text, const std::function<bool(std::string_view)>& fits);

// "hh.nn.ss" as the loader protocol shows times.
std::string formatProtocolTime(double dateTime);

// The URL loader window "Load from URL": fetches one text resource into a file with its own client
// and a small progress display.
class TfrmLoadURL : public DialogModel {
public:
    static constexpr const char* kCaption = "Load from URL";

    explicit TfrmLoadURL(Host& host);

    void setURL(std::string url) { url_ = std::move(url); }
    // The proxy text (rules of parseProxyText, without log lines); "" for none.
    void setProxy(std::string proxyText) { proxyText_ = std::move(proxyText); }
    void setDestination(std::string path) { destination_ = std::move(path); }
    void setKeepInMemoryOnly(bool keep) { keepInMemoryOnly_ = keep; }

    // Shows the window: URL, proxy host, "0" bytes and "Ready"; the view then starts a 250 ms timer
    // and calls timerFired(). A malformed proxy port throws EHttpError of kind Config.
    void show();
    // Fetches, writes the lines unless only kept in memory, and closes the window. A failure throws
    // std::runtime_error whose text is the error's class name, " : " and its message; nothing is
    // written then.
    void timerFired();
    // show() and timerFired() in one, for callers without a view; returns linesWritten().
    int execute();

    // The display.
    const std::string& urlText() const { return url_; }
    const std::string& proxyHostText() const { return proxyHost_; }
    const std::string& bytesText() const { return bytes_; }
    const std::string& statusText() const { return status_; }
    bool closed() const { return closed_; }
    // The transfer as numbers, for a progress bar: bytes so far and the expected total (0: unknown).
    std::int64_t bytesReceived() const { return received_; }
    std::int64_t bytesExpected() const { return expected_; }

    // Results: the text fetched, its lines, and how many were written (0 when only kept in memory).
    const std::string& text() const { return text_; }
    const std::vector<std::string>& lines() const { return lines_; }
    int linesWritten() const { return linesWritten_; }
    THttpClient& client() { return client_; }

private:
    class Progress;

    THttpClient client_;
    std::string url_, proxyText_, destination_;
    bool keepInMemoryOnly_ = false;
    std::string proxyHost_, bytes_ = "0", status_ = "Ready";
    std::optional<TProxySetting> proxy_;
    bool closed_ = false;
    std::int64_t received_ = 0, expected_ = 0;
    std::string text_;
    std::vector<std::string> lines_;
    int linesWritten_ = 0;
};

// Splits text into lines (CR LF, CR and LF each end one); a last line without its end counts.
std::vector<std::string> splitTextLines(std::string_view text);

}  // namespace vellora
