#pragma once
// The stand-in HTTP server: the listing site, its image host, the cache-database server, the
// archive list, the version file and the four map services, all on one loopback port and told
// apart by path prefix (see serviceAddressesFor). It also answers absolute-form request targets
// ("GET http://host/path HTTP/1.1"), so it can stand in as a proxy; pages then name the host the
// client asked for. Faults can be switched on per path, and every request is logged.
//
// Control endpoints (neither logged nor faulted):
//   GET|POST /_control/fault?path=P&kind=K[&query=Q][&times=N][&ms=M]  add a fault rule
//   GET|POST /_control/faults/clear                                      remove all rules
//   GET      /_control/log                                               the request log, one line each
//   GET|POST /_control/log/clear                                         empty the log
//   GET|POST /_control/version?text=V5.0.2&date=05.01.2007               the version file's lines
//   GET      /_control/status                                            seed, size, base address
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Services.h"
#include "sim/World.h"

namespace vellora::sim {

enum class FaultKind {
    NotFound,     // "404": status 404 with a short page
    ServerError,  // "500": status 500 with a short page
    Slow,         // "slow": the body trickles out in ten pieces over ms milliseconds
    Delay,        // "delay": nothing for ms milliseconds, then the normal answer
    Close,        // "close": the full length announced, half the body sent, connection closed
    Empty,        // "empty": status 200 with an empty body
};

std::optional<FaultKind> parseFaultKind(std::string_view text);
const char* faultKindName(FaultKind kind);

struct FaultRule {
    std::string path;   // prefix of the request path as sent (without scheme and host)
    std::string query;  // substring the query string must contain; empty matches every query
    FaultKind kind = FaultKind::NotFound;
    int times = -1;  // number of requests to hit; -1 for all
    int ms = 2000;   // duration of "slow" and "delay"
};

// Parses "PATH=KIND" as given to the command line (KIND as in parseFaultKind).
std::optional<FaultRule> parseFaultOption(std::string_view text);

struct RequestRecord {
    std::string method;
    std::string target;  // as received
    std::string path;    // without scheme and host, without query
    std::string query;
    std::string host;  // the host the client addressed
    std::string userAgent;
    std::string body;           // form bodies of POST requests (first 4 KB)
    bool absoluteForm = false;  // the request came as to a proxy
    int status = 0;
    std::string fault;  // name of the applied fault, empty when none
};

struct ServerOptions {
    std::string bind = "127.0.0.1";  // loopback addresses only
    int port = 0;                    // 0 picks a free port
    std::string versionText = "V5.0.1";
    std::string versionDate = "13.12.2006";
    int threads = 8;
    std::vector<FaultRule> faults;
};

// Every service address the program uses, on a server with this base address
// ("http://127.0.0.1:PORT"): ListingSite = base, ImageHost = base + "/img", MultiMap = base +
// "/multimap", MapPoint = base + "/mappoint", Stadtplandienst = base + "/stadtplan", MapQuest =
// base + "/mapquest", CacheDBServer = base + "/cachedb/", ArchiveList = base + "/velloralist.php",
// VersionFile = base + "/velloraversion.txt", MapView = base + "/mapview/".
ServiceAddresses serviceAddressesFor(const std::string& baseUrl);

// Writes the "Services" keys and "CacheDBUrl", "ArchiveUrl", "UpdateURL" of section "Program"
// for a server at baseUrl into dir/vellora.conf (created when missing).
void writeHomeConfig(const std::string& dir, const std::string& baseUrl);

class SimServer {
public:
    SimServer(std::shared_ptr<const World> world, ServerOptions options);
    ~SimServer();
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Binds and serves on background threads. Throws std::runtime_error when the address is not
    // a loopback address or cannot be bound.
    void start();
    void stop();

    int port() const;
    std::string baseUrl() const;  // "http://127.0.0.1:PORT"
    const World& world() const;

    void addFault(FaultRule rule);
    void clearFaults();
    std::vector<RequestRecord> requests() const;
    void clearRequests();
    void setVersion(std::string text, std::string date);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace vellora::sim
