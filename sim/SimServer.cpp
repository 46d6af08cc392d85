#include "sim/SimServer.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <numbers>
#include <stdexcept>
#include <thread>

#include "core/Cp1252.h"
#include "core/FileUtil.h"
#include "core/IniFile.h"
#include "core/MapTiles.h"
#include "core/NumberText.h"
#include "core/Settings.h"
#include "core/UpperCase.h"
#include "sim/CacheDbFiles.h"
#include "sim/MapServices.h"
#include "sim/Pictures.h"
#include "sim/SitePages.h"

namespace vellora::sim {
namespace {

constexpr const char* kHtml = "text/html; charset=windows-1252";
constexpr std::size_t kMaxLogEntries = 100000;

struct Reply {
    int status = 200;
    std::string contentType = kHtml;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

Reply html(std::string body, int status = 200) {
    return {status, kHtml, std::move(body), {}};
}
Reply image(std::string body, ImageFormat format) {
    return {200, mimeType(format), std::move(body), {}};
}
Reply simplePage(int status, const std::string& title, const std::string& text) {
    return html("<html><head><title>" + title + "</title></head><body><h1>" + title + "</h1><p>" + text +
                    "</p></body></html>\r\n",
                status);
}
Reply notFound() {
    return simplePage(404, "Not Found", "The resource cannot be found.");
}
Reply badRequest(const std::string& why) {
    return simplePage(400, "Bad Request", why);
}

enum class Service { Site, ImageHost, CacheDb, MultiMap, MapPoint, Stadtplan, MapQuest, MapView, Tiles };

struct Prefix {
    std::string_view prefix;
    Service service;
};
constexpr Prefix kPrefixes[] = {
    {"/img", Service::ImageHost},     {"/cachedb", Service::CacheDb},     {"/multimap", Service::MultiMap},
    {"/mappoint", Service::MapPoint}, {"/stadtplan", Service::Stadtplan}, {"/mapquest", Service::MapQuest},
    {"/mapview", Service::MapView},   {"/tiles", Service::Tiles},
};

bool startsWith(std::string_view s, std::string_view p) {
    return s.substr(0, p.size()) == p;
}
bool endsWithNoCase(std::string_view s, std::string_view p) {
    return s.size() >= p.size() && equalsNoCase(s.substr(s.size() - p.size()), p);
}

// What the dispatcher needs of a request, with absolute-form targets taken apart.
struct Call {
    const httplib::Request& req;
    std::string path;   // without scheme and host
    std::string query;  // raw
    std::string host;
    bool absoluteForm = false;
    Service service = Service::Site;
    std::string prefix;  // the service prefix the client used ("" when it addressed the service's own host)
    std::string rest;    // path below the prefix

    std::string base() const { return "http://" + host; }
    std::string serviceBase() const { return base() + prefix; }
    std::string param(const char* name) const { return req.has_param(name) ? req.get_param_value(name) : ""; }
    std::optional<double> number(const char* name) const { return parseDouble(param(name)); }
};

void classify(Call& c) {
    for (const auto& p : kPrefixes) {
        if (c.path == p.prefix || startsWith(c.path, std::string(p.prefix) + "/")) {
            c.service = p.service;
            c.prefix = std::string(p.prefix);
            c.rest = c.path.substr(p.prefix.size());
            if (c.rest.empty()) c.rest = "/";
            return;
        }
    }
    c.rest = c.path;
    // A client that gives each service its own host name (through the proxy) sends bare paths.
    const std::string& r = c.rest;
    if (r == "/map/browse.cgi" || r == "/map/image.cgi")
        c.service = Service::MultiMap;
    else if (r == "/pub/agent.dll")
        c.service = Service::MapPoint;
    else if (r == "/home.asp" || r == "/map.asp" || r == "/mappaint.asp")
        c.service = Service::Stadtplan;
    else if (startsWith(r, "/mq/") || r == "/maps/map.adp")
        c.service = Service::MapQuest;
    else if (startsWith(r, "/cache/"))
        c.service = Service::ImageHost;
}

std::optional<ImageFormat> formatFromExtension(std::string_view path) {
    if (endsWithNoCase(path, ".gif")) return ImageFormat::Gif;
    if (endsWithNoCase(path, ".png")) return ImageFormat::Png;
    if (endsWithNoCase(path, ".jpg") || endsWithNoCase(path, ".jpeg")) return ImageFormat::Jpeg;
    return std::nullopt;
}

std::int32_t toE6(double v) {
    return static_cast<std::int32_t>(std::lround(v * 1e6));
}

bool isLoopback(const std::string& address) {
    return address == "localhost" || address == "::1" || startsWith(address, "127.");
}

}  // namespace

std::optional<FaultKind> parseFaultKind(std::string_view text) {
    const std::string t = upperCase(text);
    if (t == "404") return FaultKind::NotFound;
    if (t == "500") return FaultKind::ServerError;
    if (t == "SLOW") return FaultKind::Slow;
    if (t == "DELAY") return FaultKind::Delay;
    if (t == "CLOSE") return FaultKind::Close;
    if (t == "EMPTY") return FaultKind::Empty;
    return std::nullopt;
}

const char* faultKindName(FaultKind kind) {
    switch (kind) {
        case FaultKind::NotFound:
            return "404";
        case FaultKind::ServerError:
            return "500";
        case FaultKind::Slow:
            return "slow";
        case FaultKind::Delay:
            return "delay";
        case FaultKind::Close:
            return "close";
        case FaultKind::Empty:
            return "empty";
    }
    return "?";
}

std::optional<FaultRule> parseFaultOption(std::string_view text) {
    const auto eq = text.rfind('=');
    if (eq == std::string_view::npos || eq == 0) return std::nullopt;
    const auto kind = parseFaultKind(text.substr(eq + 1));
    if (!kind) return std::nullopt;
    FaultRule rule;
    rule.path = std::string(text.substr(0, eq));
    rule.kind = *kind;
    return rule;
}

ServiceAddresses serviceAddressesFor(const std::string& baseUrl) {
    ServiceAddresses a;
    a.listingSite = baseUrl;
    a.imageHost = baseUrl + "/img";
    a.multiMap = baseUrl + "/multimap";
    a.mapPoint = baseUrl + "/mappoint";
    a.stadtplandienst = baseUrl + "/stadtplan";
    a.mapQuest = baseUrl + "/mapquest";
    a.cacheDbServer = baseUrl + "/cachedb/";
    a.archiveList = baseUrl + "/velloralist.php";
    a.versionFile = baseUrl + "/velloraversion.txt";
    a.mapView = baseUrl + "/mapview/";
    return a;
}

void writeHomeConfig(const std::string& dir, const std::string& baseUrl) {
    if (const int rc = makeDirs(dir); rc != 0)
        throw std::runtime_error("cannot create " + dir + ": " + systemErrorText(rc));
    IniFile conf(joinPath(dir, "vellora.conf"));
    IniFile::Batch batch(conf);
    const ServiceAddresses a = serviceAddressesFor(baseUrl);
    writeServiceAddresses(conf, a);
    writeMapTilesAddress(conf, baseUrl + "/tiles/{z}/{x}/{y}.png");
    conf.writeString(kProgramSection, "CacheDBUrl", a.cacheDbServer);
    conf.writeString(kProgramSection, "ArchiveUrl", a.archiveList);
    conf.writeString(kProgramSection, "UpdateURL", a.versionFile);
}

// ---------------------------------------------------------------------------------------------

struct SimServer::Impl {
    std::shared_ptr<const World> world;
    ServerOptions options;
    httplib::Server http;
    std::thread thread;
    int port = 0;
    bool running = false;

    mutable std::mutex mutex;  // guards everything below
    std::vector<FaultRule> faults;
    std::deque<RequestRecord> log;
    std::string versionText, versionDate;
    std::map<std::string, std::shared_ptr<const std::string>> fileCache;

    std::mutex stopMutex;
    std::condition_variable stopCv;
    bool stopping = false;

    Impl(std::shared_ptr<const World> w, ServerOptions o)
        : world(std::move(w)),
          options(std::move(o)),
          faults(options.faults),
          versionText(options.versionText),
          versionDate(options.versionDate) {}

    // Sleeps up to ms, less when the server stops.
    void pause(int ms) {
        std::unique_lock<std::mutex> lock(stopMutex);
        stopCv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping; });
    }
    bool isStopping() {
        std::lock_guard<std::mutex> lock(stopMutex);
        return stopping;
    }

    std::shared_ptr<const std::string> cached(const std::string& key,
                                              const std::function<std::string()>& make) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (auto it = fileCache.find(key); it != fileCache.end()) return it->second;
        }
        auto made = std::make_shared<const std::string>(make());
        std::lock_guard<std::mutex> lock(mutex);
        return fileCache.emplace(key, std::move(made)).first->second;
    }

    std::optional<FaultRule> takeFault(const Call& c) {
        std::lock_guard<std::mutex> lock(mutex);
        for (auto it = faults.begin(); it != faults.end(); ++it) {
            if (!startsWith(c.path, it->path)) continue;
            if (!it->query.empty() && c.query.find(it->query) == std::string::npos) continue;
            FaultRule hit = *it;
            if (it->times > 0 && --it->times == 0) faults.erase(it);
            return hit;
        }
        return std::nullopt;
    }

    void record(const Call& c, int status, const char* fault) {
        RequestRecord r;
        r.method = c.req.method;
        r.target = c.req.target;
        r.path = c.path;
        r.query = c.query;
        r.host = c.host;
        r.userAgent = c.req.get_header_value("User-Agent");
        if (c.req.method == "POST") r.body = c.req.body.substr(0, 4096);
        r.absoluteForm = c.absoluteForm;
        r.status = status;
        r.fault = fault ? fault : "";
        std::lock_guard<std::mutex> lock(mutex);
        log.push_back(std::move(r));
        if (log.size() > kMaxLogEntries) log.pop_front();
    }

    void handle(const httplib::Request& req, httplib::Response& res);
    Reply dispatch(const Call& c);
    Reply control(const Call& c);
    Reply site(const Call& c);
    Reply imageHost(const Call& c);
    Reply cacheDb(const Call& c);
    Reply multiMap(const Call& c);
    Reply mapPoint(const Call& c);
    Reply stadtplan(const Call& c);
    Reply mapQuest(const Call& c);
    Reply mapView(const Call& c);
    Reply tiles(const Call& c);
    Reply finds(const Call& c);
    Reply indexPage(const Call& c);
};

void SimServer::Impl::handle(const httplib::Request& req, httplib::Response& res) {
    Call c{req, {}, {}, {}, false, Service::Site, {}, {}};
    std::string target = req.target;
    if (startsWith(target, "http://") || startsWith(target, "HTTP://")) {
        // Absolute form: the client takes this server for its proxy.
        // Pages name the host as the client wrote it in its Host header, else as in the target.
        c.absoluteForm = true;
        const auto slash = target.find('/', 7);
        c.host = req.get_header_value("Host");
        if (c.host.empty())
            c.host = target.substr(7, slash == std::string::npos ? std::string::npos : slash - 7);
        target = slash == std::string::npos ? "/" : target.substr(slash);
    } else {
        c.host = req.get_header_value("Host");
    }
    if (c.host.empty()) c.host = options.bind + ":" + std::to_string(port);
    const auto qm = target.find('?');
    c.query = qm == std::string::npos ? "" : target.substr(qm + 1);
    // httplib has decoded the path; an absolute-form path still starts with scheme and host.
    c.path = req.path;
    if (c.absoluteForm) {
        const auto slash = c.path.find('/', 7);
        c.path = slash == std::string::npos ? "/" : c.path.substr(slash);
    }
    classify(c);

    if (startsWith(c.path, "/_control/")) {
        const Reply r = control(c);
        res.status = r.status;
        res.set_content(r.body, r.contentType.c_str());
        return;
    }

    const std::optional<FaultRule> fault = takeFault(c);
    Reply r;
    if (fault && fault->kind == FaultKind::NotFound)
        r = notFound();
    else if (fault && fault->kind == FaultKind::ServerError)
        r = simplePage(500, "Internal Server Error", "The server encountered an error.");
    else if (fault && fault->kind == FaultKind::Empty)
        r = Reply{200, kHtml, {}, {}};
    else
        r = dispatch(c);
    record(c, r.status, fault ? faultKindName(fault->kind) : nullptr);

    res.status = r.status;
    for (const auto& [k, v] : r.headers) res.set_header(k.c_str(), v);
    if (fault && fault->kind == FaultKind::Delay) pause(fault->ms);
    if (fault && (fault->kind == FaultKind::Slow || fault->kind == FaultKind::Close)) {
        auto body = std::make_shared<const std::string>(std::move(r.body));
        const bool close = fault->kind == FaultKind::Close;
        const int ms = fault->ms;
        const std::size_t piece = std::max<std::size_t>(1, (body->size() + 9) / 10);
        res.set_content_provider(
            body->size(), r.contentType.c_str(),
            [this, body, close, ms, piece](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (close) {
                    const std::size_t half = body->size() / 2;
                    if (offset >= half) return false;  // drops the connection mid-body
                    return sink.write(body->data() + offset, std::min(length, half - offset));
                }
                if (isStopping()) return false;
                pause(ms / 10);
                return sink.write(body->data() + offset, std::min({length, piece, body->size() - offset}));
            });
        return;
    }
    res.set_content(r.body, r.contentType.c_str());
}

Reply SimServer::Impl::dispatch(const Call& c) {
    switch (c.service) {
        case Service::Site:
            return site(c);
        case Service::ImageHost:
            return imageHost(c);
        case Service::CacheDb:
            return cacheDb(c);
        case Service::MultiMap:
            return multiMap(c);
        case Service::MapPoint:
            return mapPoint(c);
        case Service::Stadtplan:
            return stadtplan(c);
        case Service::MapQuest:
            return mapQuest(c);
        case Service::MapView:
            return mapView(c);
        case Service::Tiles:
            return tiles(c);
    }
    return notFound();
}

Reply SimServer::Impl::control(const Call& c) {
    Reply r{200, "text/plain; charset=windows-1252", "ok\n", {}};
    const std::string& p = c.path;
    if (p == "/_control/fault") {
        const auto kind = parseFaultKind(c.param("kind"));
        if (!kind || c.param("path").empty()) return {400, "text/plain", "need path and kind\n", {}};
        FaultRule rule;
        rule.path = c.param("path");
        rule.query = c.param("query");
        rule.kind = *kind;
        if (const auto t = parseInt32(c.param("times"))) rule.times = *t;
        if (const auto ms = parseInt32(c.param("ms"))) rule.ms = std::max(0, *ms);
        std::lock_guard<std::mutex> lock(mutex);
        faults.push_back(std::move(rule));
    } else if (p == "/_control/faults/clear") {
        std::lock_guard<std::mutex> lock(mutex);
        faults.clear();
    } else if (p == "/_control/log") {
        std::string out;
        std::lock_guard<std::mutex> lock(mutex);
        for (const auto& e : log)
            out += e.method + "\t" + e.target + "\t" + std::to_string(e.status) + "\t" +
                   (e.fault.empty() ? "-" : e.fault) + "\t" + e.host + "\t" +
                   (e.absoluteForm ? "proxy" : "direct") + "\n";
        r.body = out;
    } else if (p == "/_control/log/clear") {
        std::lock_guard<std::mutex> lock(mutex);
        log.clear();
    } else if (p == "/_control/version") {
        std::lock_guard<std::mutex> lock(mutex);
        if (c.req.has_param("text")) versionText = c.param("text");
        if (c.req.has_param("date")) versionDate = c.param("date");
    } else if (p == "/_control/status") {
        r.body = "seed " + std::to_string(world->params().seed) + "\ncaches " +
                 std::to_string(world->size()) + "\nbase http://" + options.bind + ":" +
                 std::to_string(port) + "\n";
    } else {
        return {404, "text/plain", "unknown control\n", {}};
    }
    return r;
}

Reply SimServer::Impl::indexPage(const Call& c) {
    const ServiceAddresses a = serviceAddressesFor(c.base());
    std::string o = "<html><head><title>vellora-sim</title></head><body><h1>vellora-sim</h1>\r\n<ul>\r\n";
    const auto item = [&o](const std::string& label, const std::string& url) {
        o += "<li>" + label + ": <a href=\"" + url + "\">" + url + "</a></li>\r\n";
    };
    if (world->size() > 0)
        item("Listing",
             a.listingSite + "/seek/cache_details.aspx?wp=" + world->waypoint(0) + "&Submit6=Find&log=y");
    item("Finds", a.listingSite + "/seek/nearest.aspx?ul=Vuva&submit4=Find");
    item("Cache databases", a.cacheDbServer);
    item("Archive list", a.archiveList);
    item("Version file", a.versionFile);
    item("Stadtplandienst", a.stadtplandienst + "/home.asp");
    o += "</ul>\r\n<p>" + std::to_string(world->size()) + " caches, seed " +
         std::to_string(world->params().seed) + "</p></body></html>\r\n";
    return html(o);
}

Reply SimServer::Impl::site(const Call& c) {
    const std::string& r = c.rest;
    const SiteAddresses addrs{c.base(), c.base() + "/img"};
    if (r == "/") return indexPage(c);
    if (equalsNoCase(r, "/seek/cache_details.aspx")) {
        std::optional<int> idx;
        if (c.req.has_param("wp")) {
            idx = world->find(c.param("wp"));
        } else if (const std::string guid = c.param("guid"); guid.size() >= 8) {
            if (const auto id = parseInt("0x" + guid.substr(0, 8)))
                idx = world->find(waypointFromId(static_cast<std::uint32_t>(*id)));
        }
        if (!idx) {
            Reply red = simplePage(302, "Object moved", "Object moved.");
            red.headers.emplace_back("Location",
                                     c.base() + "/error/error.aspx?aspxerrorpath=/seek/cache_details.aspx");
            return red;
        }
        return html(renderListingPage(*world, *idx, addrs, equalsNoCase(c.param("log"), "y"),
                                      equalsNoCase(c.param("pf"), "y")));
    }
    if (equalsNoCase(r, "/error/error.aspx")) return html(renderErrorPage(addrs));
    if (equalsNoCase(r, "/seek/nearest.aspx")) return finds(c);
    if (startsWith(r, "/images/")) {
        const auto fmt = formatFromExtension(r);
        if (!fmt) return notFound();
        return image(iconImage(r, *fmt), *fmt);
    }
    if (startsWith(r, "/ext/")) {
        const auto slash = r.rfind('/');
        if (endsWithNoCase(r, ".mid")) {
            // The background sound some long descriptions carry: one note.
            static const std::string kMidi(
                "MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x0C\0\x90\x3C\x40\x60\x80\x3C\x40\0\xFF\x2F\0", 34);
            return {200, "audio/midi", kMidi, {}};
        }
        const auto picture = world->remoteImage(r.substr(slash + 1));
        if (!picture || slash <= 5) return notFound();
        return image(encodeImage(drawPhoto(picture->width, picture->height, picture->seed), picture->format),
                     picture->format);
    }
    if (r == "/velloralist.php")
        return {200,
                "text/plain; charset=windows-1252",
                *cached("archive", [this] { return archiveListText(*world); }),
                {}};
    if (r == "/velloraversion.txt") {
        std::lock_guard<std::mutex> lock(mutex);
        return {200, "text/plain", versionFileText(versionText, versionDate), {}};
    }
    if (r == "/css/main.css") return {200, "text/css", "body { font-family: Verdana, sans-serif; }\r\n", {}};
    static constexpr std::string_view kPlainPages[] = {
        "/profile/",      "/track/",        "/track/details.aspx", "/track/faq.aspx",    "/seek/",
        "/seek/log.aspx", "/seek/wpt.aspx", "/map/default.aspx",   "/my/watchlist.aspx", "/login/"};
    for (auto p : kPlainPages)
        if (equalsNoCase(r, p))
            return simplePage(200, "Listing Site", "This page is not part of the stand-in.");
    return notFound();
}

Reply SimServer::Impl::finds(const Call& c) {
    const SiteAddresses addrs{c.base(), c.base() + "/img"};
    const std::string user = cp1252FromUtf8(c.param("ul"));
    int page = 1;
    if (c.req.method == "POST") {
        const auto next = findsPostBackPage(*world, user, c.param("__VIEWSTATE"), c.param("__EVENTTARGET"));
        if (!next) return html(renderViewStateErrorPage(), 500);
        page = *next;
    }
    return html(renderFindsPage(*world, user, page, addrs));
}

Reply SimServer::Impl::imageHost(const Call& c) {
    const std::string& r = c.rest;
    if (startsWith(r, "/images/")) {
        const auto fmt = formatFromExtension(r);
        if (!fmt) return notFound();
        return image(iconImage(r, *fmt), *fmt);
    }
    const bool thumb = startsWith(r, "/cache/thumb/");
    if (!thumb && !startsWith(r, "/cache/")) return notFound();
    const auto picture = world->cacheImage(r.substr(thumb ? 13 : 7));
    if (!picture) return notFound();
    int w = picture->width, h = picture->height;
    if (thumb) {
        h = std::max(1, h * 100 / w);
        w = 100;
    }
    return image(encodeImage(drawPhoto(w, h, picture->seed), picture->format), picture->format);
}

Reply SimServer::Impl::cacheDb(const Call& c) {
    const std::string name = c.rest.substr(1);
    const auto& entries = world->countries().entries;
    if (name.empty()) {
        std::string o = "<html><head><title>Cache-Datenbanken</title></head><body><ul>\r\n";
        for (const auto& e : entries)
            o += "<li><a href=\"" + e.DB_Filename + "\">" + e.DB_Filename + "</a> (<a href=\"" +
                 e.DB_Filename + ".zip\">zip</a>) " + e.DB_CNameDE + "</li>\r\n";
        return html(o + "</ul></body></html>\r\n");
    }
    for (int e = 0; e < static_cast<int>(entries.size()); ++e) {
        const std::string& file = entries[static_cast<std::size_t>(e)].DB_Filename;
        if (equalsNoCase(name, file)) {
            const auto text =
                cached("db:" + std::to_string(e), [this, e] { return countryFileText(*world, e); });
            return {200, "text/plain; charset=windows-1252", *text, {}};
        }
        if (equalsNoCase(name, file + ".zip")) {
            const auto zip = cached("zip:" + std::to_string(e), [this, e, &file] {
                const auto text =
                    cached("db:" + std::to_string(e), [this, e] { return countryFileText(*world, e); });
                return zipSingleMember(file, *text, world->today());
            });
            return {200, "application/zip", *zip, {}};
        }
    }
    return notFound();
}

Reply SimServer::Impl::multiMap(const Call& c) {
    const auto lat = c.number("lat"), lon = c.number("lon");
    if (!lat || !lon) return badRequest("lat and lon are needed");
    const std::string scale = c.param("scale").empty() ? "50000" : c.param("scale");
    const auto s = parseDouble(scale);
    if (!s || *s <= 0) return badRequest("bad scale");
    if (c.rest == "/map/browse.cgi") return html(multimapPage(*lat, *lon, scale, c.serviceBase()));
    if (c.rest == "/map/image.cgi")
        return image(encodeGif(drawMap(*lat, *lon, *s * 0.00028, kMultimapWidth, kMultimapHeight,
                                       MapStyle::MultiMap, -kMultimapWidth / 2, -kMultimapHeight / 2, true)),
                     ImageFormat::Gif);
    return notFound();
}

Reply SimServer::Impl::mapPoint(const Call& c) {
    if (c.rest != "/pub/agent.dll") return notFound();
    const std::string cen = c.param("CenP"), size = c.param("Size");
    const auto comma = cen.find(','), sc = size.find(',');
    if (comma == std::string::npos || sc == std::string::npos) return badRequest("CenP and Size are needed");
    const auto lat = parseDouble(cen.substr(0, comma)), lon = parseDouble(cen.substr(comma + 1));
    const auto w = parseInt32(size.substr(0, sc)), h = parseInt32(size.substr(sc + 1));
    const auto alti = parseDouble(c.param("Alti"));
    if (!lat || !lon || !w || !h || !alti || *w < 16 || *h < 16 || *w > 2000 || *h > 2000 || *alti <= 0)
        return badRequest("bad map parameters");
    return image(
        encodeGif(drawMap(*lat, *lon, *alti * 6.0, *w, *h, MapStyle::MapPoint, -*w / 2, -*h / 2, true)),
        ImageFormat::Gif);
}

Reply SimServer::Impl::stadtplan(const Call& c) {
    const std::string sid = world->mapSessionId();
    if (c.rest == "/home.asp") return html(stadtplanHomePage(sid));
    if (c.rest == "/map.asp") {
        if (c.param("sid") != sid) return html(stadtplanExpiredPage());
        const auto part = [&c](const char* name) { return parseInt32(c.param(name)); };
        const auto xd = part("CoordXDeg"), xm = part("CoordXMin"), xs = part("CoordXSec");
        const auto yd = part("CoordYDeg"), ym = part("CoordYMin"), ys = part("CoordYSec");
        const std::string grid = c.param("grid");
        if (!xd || !xm || !xs || !yd || !ym || !ys || !stadtplanScale(grid))
            return badRequest("bad map parameters");
        const auto value = [](int d, int m, int s) {
            const double v = std::abs(d) + m / 60.0 + s / 3600.0;
            return d < 0 ? -v : v;
        };
        const int side = c.param("size") == "2x2" ? 2 : 3;
        return html(stadtplanMapPage(value(*yd, *ym, *ys), value(*xd, *xm, *xs), grid, side, sid));
    }
    if (c.rest == "/mappaint.asp") {
        if (c.param("sid") != sid) return notFound();
        const auto lat = c.number("lat"), lon = c.number("lon");
        const auto tx = parseInt32(c.param("tx")), ty = parseInt32(c.param("ty")),
                   n = parseInt32(c.param("n"));
        const std::string grid = c.param("grid");
        const auto mpp = stadtplanScale(grid);
        if (!lat || !lon || !tx || !ty || !n || !mpp || *n < 1 || *n > 5)
            return badRequest("bad tile parameters");
        const bool aerial = stadtplanAerial(grid);
        const int half = *n * kTileSize / 2;
        const Canvas tile = drawMap(*lat, *lon, *mpp, kTileSize, kTileSize,
                                    aerial ? MapStyle::AerialTile : MapStyle::StreetTile,
                                    *tx * kTileSize - half, *ty * kTileSize - half, true);
        const ImageFormat fmt = aerial ? ImageFormat::Jpeg : ImageFormat::Png;
        return image(encodeImage(tile, fmt), fmt);
    }
    return notFound();
}

Reply SimServer::Impl::mapQuest(const Call& c) {
    if (c.rest == "/mq/maps/latlong.do") {
        const auto lat = c.number("txtLatitude"), lon = c.number("txtLongitude");
        if (!lat || !lon) return badRequest("txtLatitude and txtLongitude are needed");
        return html(
            mapQuestResultPage(*lat, *lon, mapQuestFields(world->params().seed, toE6(*lat), toE6(*lon))));
    }
    if (c.rest == "/mq/maps/zoomMap.do") {
        const auto lat = c.number("hdnOriginLatitude"), lon = c.number("hdnOriginLongitude");
        const auto zoom = parseInt32(c.param("hdnCurrentZoomLevel"));
        if (!lat || !lon || !zoom) return html(mapQuestZoomAnswer("<!-- no map -->"));
        const MapQuestFields f = mapQuestFields(world->params().seed, toE6(*lat), toE6(*lon));
        if (c.param("sessionid") != f.sessionId || c.param("mapurl") != f.mapUrl ||
            c.param("hdnMapURL") != f.hdnMapUrl)
            return html(mapQuestZoomAnswer("<!-- session expired -->"));
        return html(mapQuestZoomAnswer(c.serviceBase() + "/mq/mapgen.gif?lat=" + decimalDegrees(toE6(*lat)) +
                                       "&lon=" + decimalDegrees(toE6(*lon)) +
                                       "&zoom=" + std::to_string(*zoom)));
    }
    if (c.rest == "/mq/mapgen.gif") {
        const auto lat = c.number("lat"), lon = c.number("lon");
        const auto zoom = parseInt32(c.param("zoom"));
        if (!lat || !lon || !zoom || *zoom < 1 || *zoom > 16) return badRequest("bad map parameters");
        const double mpp = 20000.0 / static_cast<double>(1 << *zoom);
        return image(encodeGif(drawMap(*lat, *lon, mpp, kMapQuestWidth, kMapQuestHeight, MapStyle::MapQuest,
                                       -kMapQuestWidth / 2, -kMapQuestHeight / 2, true)),
                     ImageFormat::Gif);
    }
    if (c.rest == "/maps/map.adp") {
        const auto lat = c.number("latitude"), lon = c.number("longitude");
        if (!lat || !lon) return badRequest("latitude and longitude are needed");
        return html(mapViewPage(*lat, *lon,
                                c.serviceBase() + "/mq/mapgen.gif?lat=" + decimalDegrees(toE6(*lat)) +
                                    "&lon=" + decimalDegrees(toE6(*lon)) + "&zoom=6"));
    }
    return notFound();
}

Reply SimServer::Impl::mapView(const Call& c) {
    auto lat = c.number("lat"), lon = c.number("lng");
    if (!lat) lat = world->params().homeLat;
    if (!lon) lon = world->params().homeLon;
    return html(mapViewPage(*lat, *lon,
                            c.base() + "/mapquest/mq/mapgen.gif?lat=" + decimalDegrees(toE6(*lat)) +
                                "&lon=" + decimalDegrees(toE6(*lon)) + "&zoom=8"));
}

// Slippy-map tiles "/tiles/Z/X/Y.png" for the map-service view and the loader's OpenStreetMap maps.
Reply SimServer::Impl::tiles(const Call& c) {
    const std::string& r = c.rest;
    if (r.size() < 5 || !endsWithNoCase(r, ".png")) return notFound();
    std::vector<std::int32_t> zxy;
    std::string_view rest = std::string_view(r).substr(1, r.size() - 5);
    while (!rest.empty()) {
        const auto slash = rest.find('/');
        const auto v = parseInt32(rest.substr(0, slash));
        if (!v) return notFound();
        zxy.push_back(*v);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    if (zxy.size() != 3 || zxy[0] < 0 || zxy[0] > 19) return notFound();
    const double n = std::ldexp(1.0, zxy[0]);
    if (zxy[1] < 0 || zxy[2] < 0 || zxy[1] >= n || zxy[2] >= n) return notFound();
    Reply reply = image(encodePng(drawSlippyTile(*world, zxy[0], zxy[1], zxy[2])), ImageFormat::Png);
    // A week, as the real tile servers allow.
    reply.headers.emplace_back("Cache-Control", "max-age=604800");
    return reply;
}

// ---------------------------------------------------------------------------------------------

SimServer::SimServer(std::shared_ptr<const World> world, ServerOptions options)
    : impl_(std::make_unique<Impl>(std::move(world), std::move(options))) {}

SimServer::~SimServer() {
    stop();
}

void SimServer::start() {
    Impl& m = *impl_;
    if (m.running) return;
    if (!isLoopback(m.options.bind))
        throw std::runtime_error("vellora-sim answers on loopback addresses only, not on \"" +
                                 m.options.bind + "\"");
    const int threads = std::max(1, m.options.threads);
    m.http.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
    m.http.set_keep_alive_max_count(1000);
    // Headers and body go out in separate writes; without this, delayed acknowledgements cost 40 ms.
    m.http.set_tcp_nodelay(true);
    m.http.set_payload_max_length(1 << 20);
    const auto handler = [&m](const httplib::Request& req, httplib::Response& res) { m.handle(req, res); };
    m.http.Get(".*", handler);
    m.http.Post(".*", handler);
    m.http.set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr ep) {
        std::string what = "unknown error";
        try {
            std::rethrow_exception(ep);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        res.status = 500;
        res.set_content(
            "<html><body><h1>Internal Server Error</h1><p>" + htmlEscape(what) + "</p></body></html>\r\n",
            kHtml);
    });
    if (m.options.port == 0) {
        m.port = m.http.bind_to_any_port(m.options.bind);
        if (m.port <= 0) throw std::runtime_error("cannot bind to " + m.options.bind);
    } else {
        if (!m.http.bind_to_port(m.options.bind, m.options.port))
            throw std::runtime_error("cannot bind to " + m.options.bind + ":" +
                                     std::to_string(m.options.port));
        m.port = m.options.port;
    }
    {
        std::lock_guard<std::mutex> lock(m.stopMutex);
        m.stopping = false;
    }
    m.thread = std::thread([&m] { m.http.listen_after_bind(); });
    m.running = true;
    // A stop() before the listening loop runs would be lost, and its join would wait for ever.
    for (int k = 0; k < 5000 && !m.http.is_running(); ++k)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

void SimServer::stop() {
    Impl& m = *impl_;
    if (!m.running) return;
    {
        std::lock_guard<std::mutex> lock(m.stopMutex);
        m.stopping = true;
    }
    m.stopCv.notify_all();
    m.http.stop();
    if (m.thread.joinable()) m.thread.join();
    m.running = false;
}

int SimServer::port() const {
    return impl_->port;
}

std::string SimServer::baseUrl() const {
    const std::string& bind = impl_->options.bind;
    const std::string host = bind == "::1" ? "[::1]" : bind == "localhost" ? "127.0.0.1" : bind;
    return "http://" + host + ":" + std::to_string(impl_->port);
}

const World& SimServer::world() const {
    return *impl_->world;
}

void SimServer::addFault(FaultRule rule) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->faults.push_back(std::move(rule));
}

void SimServer::clearFaults() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->faults.clear();
}

std::vector<RequestRecord> SimServer::requests() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return {impl_->log.begin(), impl_->log.end()};
}

void SimServer::clearRequests() {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->log.clear();
}

void SimServer::setVersion(std::string text, std::string date) {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->versionText = std::move(text);
    impl_->versionDate = std::move(date);
}

}  // namespace vellora::sim
