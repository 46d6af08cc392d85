#pragma once
// Test fixture: a stand-in server started in this process on a free loopback port, stopped when
// the fixture is destroyed. Network tests point a test home at it:
//
//   vellora::sim::SimFixture sim;                 // 500 caches, seed 1, today 08.12.2006
//   sim.applyTo(home.ctx());                      // Services keys, CacheDBUrl, ArchiveUrl, UpdateURL
//   ... run the operation ...
//   EXPECT_EQ(sim.requests().back().path, "/seek/cache_details.aspx");
//   sim.addFault("/seek/cache_details.aspx", FaultKind::ServerError, 1);
//
// A suite that shares one server keeps the fixture in a static (SetUpTestSuite/TearDownTestSuite)
// and calls clearRequests()/clearFaults() between tests.
#include <memory>
#include <string>
#include <vector>

#include "core/DateUtil.h"
#include "core/Services.h"
#include "sim/SimServer.h"
#include "sim/World.h"

namespace vellora {
class RunContext;
}

namespace vellora::sim {

class SimFixture {
public:
    struct Options {
        std::uint64_t seed = 1;
        int caches = 500;
        TDateTime today = encodeDate(2006, 12, 8);  // the frozen "now" of test homes
        std::string countriesPath;                  // empty: the shipped CacheDB.conf
        std::string versionText = "V5.0.1";
        std::string versionDate = "13.12.2006";
    };

    SimFixture();
    explicit SimFixture(const Options& options);
    ~SimFixture();
    SimFixture(const SimFixture&) = delete;
    SimFixture& operator=(const SimFixture&) = delete;

    const World& world() const { return *world_; }
    SimServer& server() { return *server_; }
    const SimServer& server() const { return *server_; }
    std::string baseUrl() const { return server_->baseUrl(); }
    // All service addresses pointing at this server.
    ServiceAddresses services() const { return serviceAddressesFor(baseUrl()); }

    // Writes the "Services" keys and CacheDBUrl, ArchiveUrl, UpdateURL into homeDir/vellora.conf.
    void writeHome(const std::string& homeDir) const;
    // The same through the context's open configuration file, and into ctx.services and
    // ctx.settings, so a running context uses the server at once.
    void applyTo(RunContext& ctx) const;

    std::vector<RequestRecord> requests() const { return server_->requests(); }
    void clearRequests() { server_->clearRequests(); }
    // Requests whose path starts with the prefix.
    std::vector<RequestRecord> requestsTo(const std::string& pathPrefix) const;

    void addFault(const std::string& pathPrefix, FaultKind kind, int times = -1, int ms = 2000);
    void clearFaults() { server_->clearFaults(); }

private:
    std::shared_ptr<const World> world_;
    std::unique_ptr<SimServer> server_;
};

}  // namespace vellora::sim
