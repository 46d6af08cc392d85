#pragma once
// Files dropped onto the main window: GPX files go to the GPX import, ZIP archives give up their
// GPX members (extracted into a temporary directory), everything else is ignored.
#include <functional>
#include <string>
#include <vector>

namespace vellora {

struct DropHooks {
    // Opens the GPX import with one file; unset while the import is not available.
    std::function<void(const std::string& path)> importGpx;
    std::function<void()> refreshStatus;
};

// Processes the paths in order; the GPX members of a dropped archive are appended to the end
// and processed like dropped files. tempDir receives the extracted members, which are removed
// again once every dropped file is processed. Returns the paths handed to the GPX import.
std::vector<std::string> processDroppedFiles(std::vector<std::string> paths, const std::string& tempDir,
                                             const DropHooks& hooks);

}  // namespace vellora
