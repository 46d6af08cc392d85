#include "sim/SimFixture.h"

#include "core/MapTiles.h"
#include "core/RunContext.h"
#include "core/Settings.h"

namespace vellora::sim {

SimFixture::SimFixture() : SimFixture(Options{}) {}

SimFixture::SimFixture(const Options& options) {
    WorldParams params;
    params.seed = options.seed;
    params.caches = options.caches;
    params.today = options.today;
    params.countriesPath = options.countriesPath;
    world_ = std::make_shared<const World>(params);
    ServerOptions so;
    so.versionText = options.versionText;
    so.versionDate = options.versionDate;
    so.threads = 4;
    server_ = std::make_unique<SimServer>(world_, so);
    server_->start();
}

SimFixture::~SimFixture() {
    server_->stop();
}

void SimFixture::writeHome(const std::string& homeDir) const {
    writeHomeConfig(homeDir, baseUrl());
}

void SimFixture::applyTo(RunContext& ctx) const {
    const ServiceAddresses a = services();
    IniFile& conf = ctx.programConf();
    IniFile::Batch batch(conf);
    writeServiceAddresses(conf, a);
    writeMapTilesAddress(conf, baseUrl() + "/tiles/{z}/{x}/{y}.png");
    conf.writeString(kProgramSection, "CacheDBUrl", a.cacheDbServer);
    conf.writeString(kProgramSection, "ArchiveUrl", a.archiveList);
    conf.writeString(kProgramSection, "UpdateURL", a.versionFile);
    ctx.services = a;
    ctx.settings.CacheDBUrl = a.cacheDbServer;
    ctx.settings.ArchiveUrl = a.archiveList;
    ctx.settings.UpdateURL = a.versionFile;
}

std::vector<RequestRecord> SimFixture::requestsTo(const std::string& pathPrefix) const {
    std::vector<RequestRecord> out;
    for (auto& r : server_->requests())
        if (r.path.compare(0, pathPrefix.size(), pathPrefix) == 0) out.push_back(std::move(r));
    return out;
}

void SimFixture::addFault(const std::string& pathPrefix, FaultKind kind, int times, int ms) {
    FaultRule rule;
    rule.path = pathPrefix;
    rule.kind = kind;
    rule.times = times;
    rule.ms = ms;
    server_->addFault(std::move(rule));
}

}  // namespace vellora::sim
