#include "net/LoadURL.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

using Clock = std::chrono::steady_clock;

// Work notifications (and with them the user's events) at most this often during a fast transfer.
constexpr auto kWorkInterval = std::chrono::milliseconds(25);

void ensureCurlInitialised() {
    static const bool initialised = [] { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }();
    if (!initialised) throw EHttpError(EHttpError::Kind::Transport, "libcurl kann nicht gestartet werden");
}

std::string trimLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return std::string(line);
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// The user's text for a failure of the transport; libcurl's own (English) text only as the detail
// of rare cases.
// received: the body bytes that arrived before the failure.
std::string transportErrorText(CURLcode code, CURL* easy, const char* detail, const THttpLimits& limits,
                               std::uint64_t received) {
    const std::string why = detail && detail[0] ? detail : curl_easy_strerror(code);
    char* where = nullptr;
    curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &where);
    const std::string url = where ? where : "";
    switch (code) {
        case CURLE_OPERATION_TIMEDOUT: {
            curl_off_t connected = 0;
            curl_easy_getinfo(easy, CURLINFO_CONNECT_TIME_T, &connected);
            if (connected == 0) {
                return "Zeit\xFC"
                       "berschreitung: keine Verbindung zum Server innerhalb von " +
                       std::to_string(limits.connectTimeoutSeconds) + " Sekunden";
            }
            if (received == 0) {
                return "Zeit\xFC"
                       "berschreitung: der Server hat " +
                       std::to_string(limits.lowSpeedSeconds) + " Sekunden lang (fast) keine Daten gesendet";
            }
            return "Zeit\xFC"
                   "berschreitung: der Server hat " +
                   std::to_string(limits.lowSpeedSeconds) + " Sekunden lang weniger als " +
                   std::to_string(limits.lowSpeedBytes) + " Bytes pro Sekunde gesendet";
        }
        case CURLE_TOO_MANY_REDIRECTS:
            return "Zu viele Weiterleitungen (mehr als " + std::to_string(limits.maxRedirects) + ")";
        case CURLE_UNSUPPORTED_PROTOCOL:
            // Also what libcurl says of an answer without an HTTP status line.
            if (startsWithNoCase(url, "http://") || startsWithNoCase(url, "https://")) {
                return "Die Antwort des Servers ist fehlerhaft (" + why + ")";
            }
            return "Die Adresse " + url + " wird nicht geladen: nur http und https sind erlaubt";
        case CURLE_PARTIAL_FILE:
            return "Die Verbindung wurde vor dem Ende der Antwort getrennt";
        case CURLE_GOT_NOTHING:
            return "Der Server hat die Verbindung ohne Antwort beendet";
        case CURLE_COULDNT_RESOLVE_HOST:
            return "Der Server der Adresse " + url + " ist nicht bekannt";
        case CURLE_COULDNT_RESOLVE_PROXY:
            return "Der Proxy-Server ist nicht bekannt";
        case CURLE_COULDNT_CONNECT:
            return "Keine Verbindung zum Server m\xF6glich (" + why + ")";
        case CURLE_URL_MALFORMAT:
            return "Die Adresse " + url + " ist ung\xFCltig";
        case CURLE_RECV_ERROR:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_BAD_CONTENT_ENCODING:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
            return "Die Antwort des Servers ist fehlerhaft (" + why + ")";
        default:
            return "\xDC"
                   "bertragungsfehler (" +
                   why + ")";
    }
}

}  // namespace

// --- proxy ----------------------------------------------------------------------------------------

std::optional<TProxySetting> parseProxyText(std::string text) {
    if (text.empty()) return std::nullopt;
    if (text.find("http://") != std::string::npos) text.erase(0, 7);
    TProxySetting proxy;
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        proxy.host = text;
        return proxy;
    }
    proxy.host = text.substr(0, colon);
    const std::string portText = text.substr(colon + 1);
    long port = 0;
    bool valid = !portText.empty() && portText.size() <= 5;
    for (char c : portText) {
        if (c < '0' || c > '9') valid = false;
        if (valid) port = port * 10 + (c - '0');
    }
    if (!valid || port > 65535) {
        throw EHttpError(EHttpError::Kind::Config, "'" + portText + "' ist kein g\xFCltiger Integerwert");
    }
    proxy.port = static_cast<int>(port);
    return proxy;
}

// --- progress on the host --------------------------------------------------------------------------

void THostProgress::workBegin(std::int64_t total) {
    host_.beginProgress(text_, total);
}
void THostProgress::work(std::int64_t count) {
    host_.setProgress(count);
}
void THostProgress::workEnd() {
    host_.endProgress();
}

// --- client ----------------------------------------------------------------------------------------

struct THttpClient::Transfer {
    std::string url;
    std::uint64_t limit = 0;
    std::string* memory = nullptr;  // the body goes here, or to fd
    int fd = -1;
    std::string fileName;
    const std::string* postBody = nullptr;
    bool followRedirects = false;
    CacheHeaders* cacheHeaders = nullptr;

    CURL* easy = nullptr;
    std::uint64_t received = 0;
    std::int64_t total = 0;
    std::string statusLine;
    std::string contentEncoding;
    bool locationSeen = false;
    bool headersDone = false;  // the headers of the final answer are in
    std::optional<EHttpError> failure;

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self) {
        auto& t = *static_cast<Transfer*>(self);
        const std::size_t n = size * count;
        const std::string_view line(data, n);
        if (startsWithNoCase(line, "HTTP/")) {
            t.statusLine = trimLineEnd(line);
            t.contentEncoding.clear();
            t.locationSeen = false;
            t.headersDone = false;
            if (t.cacheHeaders) *t.cacheHeaders = {};
        } else if (t.cacheHeaders && startsWithNoCase(line, "Cache-Control:")) {
            t.cacheHeaders->cacheControl = trimControl(line.substr(14));
        } else if (t.cacheHeaders && startsWithNoCase(line, "Expires:")) {
            t.cacheHeaders->expires = trimControl(line.substr(8));
        } else if (t.cacheHeaders && startsWithNoCase(line, "Date:")) {
            t.cacheHeaders->date = trimControl(line.substr(5));
        } else if (startsWithNoCase(line, "Location:")) {
            t.locationSeen = true;
        } else if (startsWithNoCase(line, "Content-Encoding:")) {
            t.contentEncoding = trimControl(line.substr(17));
        } else if (line == "\r\n" || line == "\n") {
            long code = 0;
            curl_easy_getinfo(t.easy, CURLINFO_RESPONSE_CODE, &code);
            // 0: a proxy's answer to CONNECT, which libcurl judges itself.
            if (code == 0 || (code >= 100 && code < 200)) return n;
            if (t.followRedirects && code >= 300 && code < 400 && t.locationSeen) return n;  // followed
            if (code < 200 || code >= 300) {
                t.failure.emplace(EHttpError::Kind::Status, t.statusLine, code);
                return 0;
            }
            // Only the plain body was asked for: a compressed one would be taken as the content
            // itself (and a small one may inflate to gigabytes).
            if (!t.contentEncoding.empty() && !equalsNoCase(t.contentEncoding, "identity")) {
                t.failure.emplace(EHttpError::Kind::Transport,
                                  "Der Server sendet die Antwort in einer nicht angeforderten Kodierung (" +
                                      t.contentEncoding + ")");
                return 0;
            }
            curl_off_t length = -1;
            curl_easy_getinfo(t.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            if (length > 0 && static_cast<std::uint64_t>(length) > t.limit) {
                t.failTooLong();
                return 0;
            }
            t.total = length > 0 ? length : 0;
            t.headersDone = true;
        }
        return n;
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self) {
        auto& t = *static_cast<Transfer*>(self);
        const std::size_t n = size * count;
        if (t.failure) return 0;
        if (!t.headersDone) return n;  // the body of a redirect being followed
        if (n > t.limit - t.received) {
            t.failTooLong();
            return 0;
        }
        if (t.memory) {
            t.memory->append(data, n);
        } else {
            if (const int code = writeAll(t.fd, std::string_view(data, n)); code != 0) {
                t.failure.emplace(
                    EHttpError::Kind::File,
                    "Die Datei " + t.fileName + " kann nicht geschrieben werden: " + systemErrorText(code));
                return 0;
            }
        }
        t.received += n;
        return n;
    }

    void failTooLong() {
        failure.emplace(EHttpError::Kind::TooLong,
                        "Die Antwort des Servers ist l\xE4nger als " + std::to_string(limit) + " Bytes");
    }
};

namespace {
const volatile std::sig_atomic_t* gInterrupt = nullptr;
}  // namespace

void setTransferInterruptFlag(const volatile std::sig_atomic_t* flag) {
    gInterrupt = flag;
}

THttpClient::THttpClient(Host& host, THttpClientProfile profile) : host_(host), profile_(profile) {
    ensureCurlInitialised();
    multi_ = curl_multi_init();
    if (!multi_) throw EHttpError(EHttpError::Kind::Transport, "libcurl kann nicht gestartet werden");
    if (profile_.maxHostConnections > 0) {
        curl_multi_setopt(static_cast<CURLM*>(multi_), CURLMOPT_MAX_HOST_CONNECTIONS,
                          profile_.maxHostConnections);
        curl_multi_setopt(static_cast<CURLM*>(multi_), CURLMOPT_MAXCONNECTS, profile_.maxHostConnections);
    }
}

THttpClient::THttpClient(const RunContext& ctx, THttpClientProfile profile)
    : THttpClient(ctx.host(), profile) {
    limits = ctx.httpLimits;
}

THttpClient::~THttpClient() {
    curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

std::string THttpClient::getText(const std::string& url) {
    std::string body;
    Transfer t;
    t.url = url;
    t.limit = limits.maxTextBytes;
    t.memory = &body;
    perform(t);
    return body;
}

std::string THttpClient::getBinary(const std::string& url, std::uint64_t maxBytes, CacheHeaders* headers) {
    std::string body;
    Transfer t;
    t.url = url;
    t.limit = std::min(maxBytes, limits.maxFileBytes);
    t.memory = &body;
    t.cacheHeaders = headers;
    perform(t);
    return body;
}

std::string THttpClient::postForm(const std::string& url, const std::string& body) {
    std::string answer;
    Transfer t;
    t.url = url;
    t.limit = limits.maxTextBytes;
    t.memory = &answer;
    t.postBody = &body;
    perform(t);
    return answer;
}

void THttpClient::getToFile(const std::string& url, const std::string& path) {
    // The body goes to a temporary file that becomes the destination only when it is complete.
    AtomicFileWriter out;
    if (const int code = out.open(path); code != 0) {
        throw EHttpError(EHttpError::Kind::File,
                         "Die Datei " + path + " kann nicht angelegt werden: " + systemErrorText(code));
    }
    Transfer t;
    t.url = url;
    t.limit = limits.maxFileBytes;
    t.fd = out.fd();
    t.fileName = path;
    try {
        perform(t);
    } catch (...) {
        out.abort();
        ::unlink(path.c_str());
        throw;
    }
    if (const int code = out.commit(); code != 0) {
        ::unlink(path.c_str());
        throw EHttpError(EHttpError::Kind::File,
                         "Die Datei " + path + " kann nicht geschrieben werden: " + systemErrorText(code));
    }
}

void THttpClient::perform(Transfer& t) {
    if (busy_) throw EHttpError(EHttpError::Kind::Transport, "Es l\xE4uft bereits eine Anfrage");
    struct BusyFlag {
        bool& flag;
        explicit BusyFlag(bool& f) : flag(f) { flag = true; }
        ~BusyFlag() { flag = false; }
    } busy(busy_);

    CURL* easy = curl_easy_init();
    if (!easy) throw EHttpError(EHttpError::Kind::Transport, "libcurl kann nicht gestartet werden");
    t.easy = easy;
    t.followRedirects = profile_.followRedirects;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_slist* headers = curl_slist_append(nullptr, (std::string("Accept: ") + kAcceptHeader).c_str());
    headers = curl_slist_append(headers, "Accept-Encoding: identity");
    if (t.postBody) {
        headers = curl_slist_append(headers, (std::string("Content-Type: ") + kFormContentType).c_str());
        headers = curl_slist_append(headers, "Expect:");
    }

    curl_easy_setopt(easy, CURLOPT_URL, t.url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, profile_.followRedirects ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, profile_.userAgent);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytes);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedSeconds);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &t);
    if (proxy_) {
        curl_easy_setopt(easy, CURLOPT_PROXY, proxy_->host.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYPORT, static_cast<long>(proxy_->port));
        curl_easy_setopt(easy, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    } else {
        curl_easy_setopt(easy, CURLOPT_PROXY, "");  // and no proxy from the environment either
    }
    if (t.postBody) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(t.postBody->size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, t.postBody->data());
    }

    // The transfer runs in steps so that the user's events are processed (and an abort noticed)
    // while it waits, not only when data arrives.
    auto* multi = static_cast<CURLM*>(multi_);
    curl_multi_add_handle(multi, easy);
    bool begun = false, aborted = false, overtime = false;
    std::uint64_t notified = 0;
    Clock::time_point lastEvents = Clock::now(), lastWork = lastEvents;
    const Clock::time_point started = lastEvents;
    const auto allowedFor = [this](std::uint64_t bytes) {
        // Every MiB begun counts.
        const std::uint64_t perMiB = (bytes >> 20) + ((bytes & 0xFFFFF) != 0 ? 1 : 0);
        const auto mebibytes = static_cast<long>(std::clamp<std::uint64_t>(perMiB, 1, 1u << 20));
        return std::max(limits.minTotalSeconds, mebibytes * limits.secondsPerMB);
    };
    long allowedSeconds = allowedFor(t.limit);
    Clock::time_point deadline = started + std::chrono::seconds(allowedSeconds);
    const auto events = [&] {
        host_.processEvents();
        lastEvents = Clock::now();
    };
    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_OUT_OF_MEMORY;
            break;
        }
        if (!begun && t.headersDone && !t.failure) {
            begun = true;
            // An announced length sets the pace: a server that trickles a small answer does not
            // get the time of the largest one.
            if (t.total > 0 && allowedFor(static_cast<std::uint64_t>(t.total)) < allowedSeconds) {
                allowedSeconds = allowedFor(static_cast<std::uint64_t>(t.total));
                deadline = started + std::chrono::seconds(allowedSeconds);
            }
            if (progress_) progress_->workBegin(t.total);
            events();
        }
        const auto now = Clock::now();
        if (begun && t.received != notified && (now - lastWork >= kWorkInterval || !running)) {
            notified = t.received;
            lastWork = now;
            if (progress_) progress_->work(static_cast<std::int64_t>(notified));
            events();
        } else if (now - lastEvents >= std::chrono::milliseconds(limits.pollMilliseconds)) {
            events();
        }
        if ((abortCheck_ && abortCheck_()) || (gInterrupt && *gInterrupt)) {
            aborted = true;
            break;
        }
        if (Clock::now() >= deadline) {
            overtime = true;
            break;
        }
        if (!running) {
            int queued = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
                if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) result = msg->data.result;
            }
            break;
        }
        curl_multi_poll(multi, nullptr, 0, limits.pollMilliseconds, nullptr);
    }
    curl_multi_remove_handle(multi, easy);

    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    std::optional<EHttpError> failure;
    if (aborted) {
        failure.emplace(EHttpError::Kind::Aborted, "Ladevorgang abgebrochen");
    } else if (overtime) {
        failure.emplace(EHttpError::Kind::Transport,
                        "Zeit\xFC"
                        "berschreitung: die \xDC"
                        "bertragung dauerte l\xE4"
                        "nger als " +
                            std::to_string(allowedSeconds) + " Sekunden");
    } else if (t.failure) {
        failure = t.failure;
    } else if (result != CURLE_OK) {
        failure.emplace(EHttpError::Kind::Transport,
                        transportErrorText(result, easy, errorBuffer, limits, t.received));
    } else if (status < 200 || status >= 300) {
        failure.emplace(EHttpError::Kind::Status,
                        t.statusLine.empty() ? "HTTP " + std::to_string(status) : t.statusLine, status);
    }
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);

    if (!failure && !begun) {  // an answer without body reports its (empty) progress too
        begun = true;
        if (progress_) progress_->workBegin(t.total);
        events();
    }
    if (begun) {
        if (t.received != notified && progress_) progress_->work(static_cast<std::int64_t>(t.received));
        if (progress_) progress_->workEnd();
        events();
    }
    if (failure) throw *failure;
}

// --- loader window ---------------------------------------------------------------------------------

void initializeHTTP(RunContext& ctx, THttpClient& client) {
    constexpr std::string_view where = "frmLoadHTML.initializeHTTP";
    debugInfo(ctx, where, "startproc");
    const auto proxy = parseProxyText(ctx.settings.UseProxy ? ctx.settings.ProxyServer : std::string());
    client.setProxy(proxy);
    if (ctx.settings.TransferSecondsPerMB > 0) client.limits.secondsPerMB = ctx.settings.TransferSecondsPerMB;
    if (proxy) {
        debugInfo(ctx, where, "proxy required: " + proxy->host + ", Port:" + std::to_string(proxy->port));
    } else {
        debugInfo(ctx, where, "no proxy required");
    }
}

std::string formatProtocolTime(double dateTime) {
    const DateParts p = decodeDateTime(dateTime);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d.%02d", p.hour, p.minute, p.second);
    return buf;
}

bool getBinaryToFile(RunContext& ctx, THttpClient& client, const std::string& url,
                     const std::string& destination, bool quiet, TLoadWindowView* view) {
    constexpr std::string_view where = "frmLoadHTML.getBinaryToFile";
    debugInfo(ctx, where, "Src=" + url + ", Dest=" + destination);
    if (!quiet && view) {
        view->showProtocol();
        view->addProtocolLine("Ladevorgang gestartet um " + formatProtocolTime(ctx.now()));
    }
    bool ok = false;
    try {
        initializeHTTP(ctx, client);
        if (view) view->setSubTask("Binary: " + url);
        THostProgress progress(ctx.host(), "Binary: " + url);
        THttpProgress* previous = client.progress();
        client.setProgress(&progress);
        try {
            client.getToFile(url, destination);
        } catch (...) {
            client.setProgress(previous);
            throw;
        }
        client.setProgress(previous);
        debugInfo(ctx, where, "done loading from internet successfully");
        ok = true;
    } catch (const EHttpError& e) {
        debugError(ctx, where, std::string("exception in idHTTP.get: ") + e.what());
        if (e.kind() != EHttpError::Kind::Aborted) {
            ctx.host().message(MsgKind::Error, MsgButtons::Ok,
                               "Folgende Ladeoperation vom Internet ist fehlgeschlagen:\r\nQuelle: " + url +
                                   "\r\nZiel: " + destination + "\r\nFehlermeldung: " + e.what() +
                                   "\r\n\r\nM\xF6gliche Fehlerursachen: Keine Internetverbindung oder falsch "
                                   "konfigurierte Proxyeinstellungen.");
        }
    }
    if (view) {
        if (!quiet) view->addProtocolLine("Ladevorgang beendet um " + formatProtocolTime(ctx.now()));
        view->setSubTask("");
        view->showStatistics();
    }
    return ok;
}

std::string elideMiddle(std::string_view text, const std::function<bool(std::string_view)>& fits) {
    std::string shown(text);
    std::string rest(text);
    while (!fits(shown) && rest.size() >= 2) {
        const std::size_t middle = rest.size() / 2;
        rest.erase(middle - 1, 2);
        shown = rest.substr(0, middle - 1) + "..." + rest.substr(middle - 1);
    }
    return shown;
}

std::vector<std::string> splitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

// --- URL loader window ----------------------------------------------------------------------------

class TfrmLoadURL::Progress : public THttpProgress {
public:
    explicit Progress(TfrmLoadURL& window) : w_(window) {}
    void workBegin(std::int64_t total) override {
        total_ = total;
        w_.received_ = 0;
        w_.expected_ = total;
        w_.status_ = "Begin download";
        w_.bytes_ = "0";
        w_.changed();
    }
    void work(std::int64_t count) override {
        w_.received_ = count;
        w_.bytes_ = std::to_string(count) + " / " + std::to_string(total_);
        w_.status_ = "Downloading";
        w_.changed();
    }
    void workEnd() override {
        w_.status_ = "Ready";
        w_.changed();
    }

private:
    TfrmLoadURL& w_;
    std::int64_t total_ = 0;
};

TfrmLoadURL::TfrmLoadURL(Host& host) : client_(host, kUrlLoaderClient) {}

void TfrmLoadURL::show() {
    proxy_ = parseProxyText(proxyText_);
    client_.setProxy(proxy_);
    proxyHost_ = proxy_ ? proxy_->host : std::string();
    bytes_ = "0";
    status_ = "Ready";
    received_ = expected_ = 0;
    closed_ = false;
    open();
}

void TfrmLoadURL::timerFired() {
    setRunning();
    Progress progress(*this);
    client_.setProgress(&progress);
    text_.clear();
    lines_.clear();
    linesWritten_ = 0;
    try {
        text_ = client_.getText(url_);
    } catch (const EHttpError& e) {
        client_.setProgress(nullptr);
        closed_ = true;
        changed();
        close();
        throw std::runtime_error(std::string(e.className()) + " : " + e.what());
    }
    client_.setProgress(nullptr);
    lines_ = splitTextLines(text_);
    if (!keepInMemoryOnly_) {
        std::string data;
        data.reserve(text_.size() + lines_.size());
        for (const std::string& line : lines_) data.append(line).append("\r\n");
        if (const int error = writeFileAtomic(destination_, data); error != 0) {
            closed_ = true;
            changed();
            close();
            throw std::runtime_error("EFCreateError : Die Datei " + destination_ +
                                     " kann nicht angelegt werden: " + systemErrorText(error));
        }
        linesWritten_ = static_cast<int>(lines_.size());
    }
    closed_ = true;
    changed();
    close();
}

int TfrmLoadURL::execute() {
    show();
    timerFired();
    return linesWritten_;
}

}  // namespace vellora
