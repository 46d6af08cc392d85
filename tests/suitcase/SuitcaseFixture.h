#pragma once
// One installation for suitcase tests: a test home with its own working and output directory.
#include <sys/stat.h>
#include <sys/time.h>

#include <ctime>
#include <string>

#include "core/DateUtil.h"
#include "core/FileUtil.h"
#include "support/TestHome.h"

namespace vellora::test {

struct Installation {
    TestHome home;

    Installation() {
        home.ctx().settings.WorkDir = home.dir.path() + "/work";
        home.ctx().settings.OutDir = home.dir.path() + "/work/out";
        makeDirs(home.ctx().outDirPath());
    }
    RunContext& ctx() { return home.ctx(); }
    ScriptedHost& host() { return home.host; }
    std::string work(const std::string& name = "") { return ctx().workDirPath() + name; }
    std::string out(const std::string& name = "") { return ctx().outDirPath() + name; }
    static void put(const std::string& path, std::string_view content) {
        makeDirs(extractFilePath(path));
        writeFileAtomic(path, content);
    }
    static std::string get(const std::string& path) { return readFile(path).value_or("<missing>"); }
};

// Sets a file's modification time (seconds since the epoch).
inline void setFileTime(const std::string& path, std::time_t t) {
    const timeval times[2] = {{t, 0}, {t, 0}};
    ::utimes(path.c_str(), times);
}

// The local date and time of seconds since the epoch, as the program's dates have it.
inline TDateTime localDate(std::time_t t) {
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return encodeDateTime({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec});
}

}  // namespace vellora::test
