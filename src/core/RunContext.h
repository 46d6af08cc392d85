#pragma once
// The run-wide state: settings record, country table, index list, program and working
// directories, debug flag, service addresses, transfer limits and the clock. Operations receive
// it; nothing else is global, so a test builds a fresh context per home and freezes the clock.
#include <functional>
#include <memory>
#include <string>

#include "core/CacheIndexList.h"
#include "core/DateUtil.h"
#include "core/Global.h"
#include "core/IniFile.h"
#include "core/Services.h"
#include "core/Settings.h"

namespace vellora {

class Host;

class RunContext {
public:
    // programDir is the application home (the program directory), with or without trailing "/".
    RunContext(Host& host, std::string programDir);
    RunContext(const RunContext&) = delete;
    RunContext& operator=(const RunContext&) = delete;

    Host& host() const { return *host_; }
    void setHost(Host& host) { host_ = &host; }

    // The program directory without and with its trailing "/".
    const std::string& programDir() const { return programDir_; }
    std::string programDirPath() const { return programDir_ + "/"; }

    // The program file "vellora.conf", open for the whole run.
    IniFile& programConf() { return *programConf_; }

    // WorkDir (or the program directory when it is empty) with a trailing "/".
    std::string workDirPath() const;
    // OutDir (or workDirPath when it is empty) with a trailing "/".
    std::string outDirPath() const;

    TDateTime now() const { return clock ? clock() : localNow(); }

    TProcSettings settings;
    CountryTable countries;
    CacheIndexList cacheIndex;
    ServiceAddresses services = ServiceAddresses::defaults();
    // The limits every HTTP client of an operation starts with.
    THttpLimits httpLimits;
    bool configExisted = false;
    bool debugMode = false;
    // The program's current decimal separator for displays; stored numbers always use ".".
    char decimalSeparator = '.';
    // Replaces the system clock (tests freeze "now").
    std::function<TDateTime()> clock;

private:
    Host* host_;
    std::string programDir_;
    std::unique_ptr<IniFile> programConf_;
};

}  // namespace vellora
