#include "import/LoadGCLists.h"

#include <cstdio>

#include "core/FastStrings.h"
#include "core/Global.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {
namespace {

// 0-based position of pattern at or after from, without regard to case; npos when absent.
std::size_t findNoCase(std::string_view text, std::string_view pattern, std::size_t from = 0) {
    if (from >= text.size()) return std::string_view::npos;
    const int p = fastPosNoCase(text, pattern, static_cast<int>(from) + 1);
    return p > 0 ? static_cast<std::size_t>(p - 1) : std::string_view::npos;
}

bool isFormSafe(unsigned char c) {
    return c == '*' || c == '-' || c == '.' || c == '@' || c == '_' || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

}  // namespace

// Traces the start of each answer and lets the client keep the interface alive.
class TListLoader::Progress : public THttpProgress {
public:
    explicit Progress(TListLoader& loader) : loader_(loader) {}
    void workBegin(std::int64_t total) override {
        loader_.log("INF: TListLoader.HTTPWorkBegin: have to load " + std::to_string(total) + " bytes");
    }
    void work(std::int64_t) override {}
    void workEnd() override {}

private:
    TListLoader& loader_;
};

TListLoader::TListLoader(RunContext& ctx)
    : ctx_(ctx), client_(ctx, kUrlLoaderClient), progress_(std::make_unique<Progress>(*this)) {
    client_.setProgress(progress_.get());
}

TListLoader::~TListLoader() = default;

void TListLoader::log(std::string_view line) const {
    if (verbose) debugLog(ctx_, line);
}

std::optional<TProxySetting> TListLoader::parseProxy(std::string text, bool& portError) {
    portError = false;
    if (text.empty()) return std::nullopt;
    if (text.size() >= 7 && equalsNoCase(std::string_view(text).substr(0, 7), "HTTP://")) text.erase(0, 7);
    TProxySetting proxy;
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) {
        proxy.host = text;
        return proxy;
    }
    proxy.host = text.substr(0, colon);
    const std::string portText = text.substr(colon + 1);
    const bool digitsOnly =
        !portText.empty() && portText.find_first_not_of("0123456789") == std::string::npos;
    const auto port = digitsOnly ? parseInt(portText) : std::nullopt;
    if (port && *port >= 0 && *port <= 65535) {
        proxy.port = static_cast<int>(*port);
    } else {
        portError = true;
    }
    return proxy;
}

void TListLoader::initializeHTTP(const std::string& proxyText) {
    log("INF: TListLoader.initializeHTTP: startproc");
    bool portError = false;
    const auto proxy = parseProxy(proxyText, portError);
    if (portError) log("ERR: TListLoader.initializeHTTP: Wrong proxy port: \"" + proxyText + "\"");
    client_.setProxy(proxy);
    if (proxy) {
        log("INF: TListLoader.initializeHTTP: proxy set: " + proxy->host +
            ", Port: " + std::to_string(proxy->port));
    } else {
        log("INF: TListLoader.initializeHTTP: no proxy required");
    }
}

int TListLoader::GetFirstPage(const std::string& url) {
    url_ = url;
    log("INF: TListLoader.GetFirstPage: Get \"" + url + "\"");
    try {
        pageText_ = client_.getText(url);
    } catch (const EHttpError& e) {
        lastError_ = e.what();
        pageText_.clear();
        readPageState();
        log("ERR: TListLoader.GetFirstPage: " + lastError_);
        return -1;
    }
    log("INF: TListLoader.GetFirstPage: loaded successfully");
    readPageState();
    return 0;
}

int TListLoader::GetNextPage() {
    if (viewState_.empty()) return -1;
    if (!nextAvailable()) return -2;
    const std::string body = "__EVENTTARGET=ResultsPager:_ctl" + std::to_string(nextControl_) +
                             "&__EVENTARGUMENT=&__VIEWSTATE=" + viewState_;
    try {
        pageText_ = client_.postForm(url_, body);
    } catch (const EHttpError& e) {
        lastError_ = e.what();
        // The line names GetFirstPage: the debug logs of the program have always read so.
        log("ERR: TListLoader.GetFirstPage: " + lastError_);
        return -3;
    }
    ++pagesPosted_;
    readPageState();
    return 0;
}

void TListLoader::readPageState() {
    const auto state = readViewState(pageText_);
    viewState_ = state ? formEncode(*state) : std::string();
    nextControl_ = findNextControl(pageText_);
}

std::string TListLoader::formEncode(std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(value.size() + value.size() / 4);
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (isFormSafe(u)) {
            out += c;
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::optional<std::string> TListLoader::readViewState(std::string_view page) {
    const std::size_t field = findNoCase(page, "\"__VIEWSTATE\"");
    if (field == std::string_view::npos) return std::nullopt;
    const std::size_t value = findNoCase(page, "VALUE=", field);
    if (value == std::string_view::npos) return std::nullopt;
    const std::size_t open = page.find('"', value + 6);
    if (open == std::string_view::npos) return std::nullopt;
    const std::size_t close = page.find('"', open + 1);
    if (close == std::string_view::npos) return std::nullopt;
    return std::string(page.substr(open + 1, close - open - 1));
}

int TListLoader::findNextControl(std::string_view page) {
    static constexpr std::string_view kCellStart = "<td class=\"paging\"";
    for (std::size_t start = findNoCase(page, kCellStart); start != std::string_view::npos;
         start = findNoCase(page, kCellStart, start + kCellStart.size())) {
        const std::size_t end = findNoCase(page, "</td>", start + kCellStart.size());
        const std::string_view cell =
            page.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        const std::size_t next = cell.find("Next");
        if (next == std::string_view::npos) continue;
        if (next < 30) return -1;
        const std::string before = upperCase(cell.substr(next - 30, 30));
        const std::size_t ctl = before.find("$_CTL");
        if (ctl == std::string::npos) return -1;
        std::size_t k = ctl + 5;
        while (k < before.size() && before[k] >= '0' && before[k] <= '9') ++k;
        const auto n = parseInt32(std::string_view(before).substr(ctl + 5, k - ctl - 5));
        return n && *n >= 0 ? *n : -1;
    }
    return -1;
}

}  // namespace vellora
