#pragma once
// A throw-away application home for one test, with a run context on it whose clock is frozen
// at 08.12.2006 21:04:05.
#include <memory>
#include <string>
#include <string_view>

#include "core/RunContext.h"
#include "support/ScriptedHost.h"

namespace vellora::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(std::string_view name) const;
    void write(std::string_view name, std::string_view content) const;
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;

private:
    std::string path_;
};

// The frozen "now" of test contexts: 08.12.2006 21:04:05.
TDateTime frozenNow();

struct TestHome {
    enum class Start { None, Configured, Loaded };

    // withShippedData copies CacheDB.conf (and the other shipped files) into the home.
    explicit TestHome(Start start = Start::Loaded, bool withShippedData = true);

    // Runs the configuration start-up and loads the settings (list width 600).
    void start();
    // A fresh context on the same home, as a new run of the program would have.
    void restart(Start start = Start::Loaded);

    RunContext& ctx() { return *ctx_; }
    std::string workFile(std::string_view name) const { return ctx_->workDirPath() + std::string(name); }

    ScriptedHost host;
    TempDir dir;

private:
    std::unique_ptr<RunContext> ctx_;
};

}  // namespace vellora::test
