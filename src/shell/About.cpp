#include "shell/About.h"

#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/RunContext.h"
#include "shell/MainWindow.h"

namespace vellora {

std::array<AboutLink, 5> aboutLinks(const RunContext& ctx) {
    return {{
        {"Vellora im Internet", kMakerSite},
        {"Tovaro (Listing-Seite)", ctx.services.listingSite + "/"},
        {"Geocaching-Portal", "https://www.geocaching.de/"},
        {"Opencaching", "https://www.opencaching.de/"},
        {"Diskussionsforum", kForum},
    }};
}

std::string aboutVersionText(const RunContext& ctx) {
    const auto lines = readListFile(ctx.workDirPath() + kDeveloperMarkerFile);
    if (lines.size() >= 2 && !lines[0].empty() && !lines[1].empty()) {
        return "Version " + lines[0] + " vom " + lines[1];
    }
    return std::string("Version ") + kProgramVersion + " vom " + kProgramVersionDate;
}

bool developerMode(const RunContext& ctx) {
    return fileExists(ctx.workDirPath() + kDeveloperMarkerFile);
}

}  // namespace vellora
