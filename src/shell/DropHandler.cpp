#include "shell/DropHandler.h"

#include <unistd.h>

#include <algorithm>

#include "core/FileUtil.h"
#include "core/UpperCase.h"
#include "import/Unzip.h"

namespace vellora {
namespace {

bool endsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A member name that stays inside the target directory when appended to it.
bool staysInside(const std::string& name) {
    if (name.empty() || name.front() == '/') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
        start = end + 1;
    }
    return true;
}

// Removes the folders an archive member brought along, up to the target, once they are empty.
void removeEmptyParents(const std::string& file, const std::string& target) {
    std::string dir = file.substr(0, file.rfind('/'));
    while (dir.size() > target.size() && dir.compare(0, target.size(), target) == 0) {
        if (::rmdir(dir.c_str()) != 0) return;
        dir = dir.substr(0, dir.rfind('/'));
    }
}

}  // namespace

std::vector<std::string> processDroppedFiles(std::vector<std::string> paths, const std::string& tempDir,
                                             const DropHooks& hooks) {
    std::vector<std::string> imported;
    std::vector<std::string> extracted;
    const std::string target = withTrailingSlash(tempDir);
    // The list grows while it is walked: index, not iterators.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string path = paths[i];
        const std::string upper = upperCase(path);
        if (endsWith(upper, "WPTS.GPX")) continue;
        if (endsWith(upper, ".GPX")) {
            if (hooks.importGpx) {
                hooks.importGpx(path);
                imported.push_back(path);
                if (hooks.refreshStatus) hooks.refreshStatus();
            }
            continue;
        }
        if (!endsWith(upper, ".ZIP")) continue;
        std::vector<std::string> members;
        for (const auto& m : ListMembers(path)) {
            if (!m.isDirectory() && upperCase(m.name).find(".GPX") != std::string::npos)
                members.push_back(m.name);
        }
        if (members.empty()) continue;
        TUnzipReport report;
        ExtractMembers(path, target, "*.gpx", report);
        for (const auto& name : members) {
            // Only what was really extracted here: a refused member name must not point the
            // import at some other file.
            if (!staysInside(name) ||
                std::find(report.refused.begin(), report.refused.end(), name) != report.refused.end())
                continue;
            if (!fileExists(target + name)) continue;
            paths.push_back(target + name);
            extracted.push_back(target + name);
        }
    }
    // The import has read them: the temporary folder does not keep copies of every dropped archive.
    for (const std::string& file : extracted) {
        removeFile(file);
        removeEmptyParents(file, target);
    }
    return imported;
}

}  // namespace vellora
