#pragma once
// pdfinfo and pdftotext (poppler-utils) read a printed PDF back, as an outside reader sees it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/FileUtil.h"
#include "support/HeadlessBrowser.h"

namespace vellora::test {

// Whether the tools are there; in CI (CI=true) their absence fails the test (scripts/test.sh
// installs them), elsewhere the caller skips.
inline bool pdfToolsPresent() {
    if (fileExists("/usr/bin/pdftotext") && fileExists("/usr/bin/pdfinfo")) return true;
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") ADD_FAILURE() << "poppler-utils is not installed";
    return false;
}

inline std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

inline std::string pdfInfo(const std::string& pdf) {
    return commandOutput("pdfinfo " + shellQuoted(pdf) + " 2>&1");
}

// The text of one page (from 1), or of all pages when page is 0; UTF-8.
inline std::string pdfText(const std::string& pdf, int page = 0) {
    const std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
    return commandOutput("pdftotext -layout" + range + " " + shellQuoted(pdf) + " - 2>/dev/null");
}

inline int pdfPageCount(const std::string& pdf) {
    const std::string info = pdfInfo(pdf);
    const auto at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
}

}  // namespace vellora::test
