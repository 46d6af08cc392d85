#include "core/AppHome.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "core/FileUtil.h"

#ifndef VELLORA_SOURCE_DATA_DIR
#define VELLORA_SOURCE_DATA_DIR ""
#endif
#ifndef VELLORA_LEAFLET_DIR
#define VELLORA_LEAFLET_DIR "/usr/share/javascript/leaflet"
#endif

namespace vellora {
namespace {

std::string envOr(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

bool holdsShippedData(const std::string& dir) {
    return !dir.empty() && fileExists(joinPath(dir, "CacheDB.conf"));
}

// The map library the page template gmtemplate.html loads from beside itself: from the
// installation when it carries a copy, else from the system's package.
void seedMapScripts(const std::string& home, const std::string& dataDir, std::vector<std::string>& copied) {
    static constexpr const char* kFiles[] = {
        "leaflet.js",
        "leaflet.css",
        "images/marker-icon.png",
        "images/marker-icon-2x.png",
        "images/marker-shadow.png",
    };
    for (const char* name : kFiles) {
        const std::string target = joinPath(home, name);
        if (fileExists(target)) continue;
        std::string source = joinPath(dataDir, name);
        if (!fileExists(source)) source = joinPath(VELLORA_LEAFLET_DIR, name);
        auto data = readFile(source);
        if (!data || makeDirs(extractFilePath(target)) != 0) continue;
        if (writeFileAtomic(target, *data) == 0) copied.push_back(name);
    }
}

// The home is stored in the configuration (WorkDir, OutDir): a relative one would mean another
// folder as soon as the program is started from elsewhere.
std::string absoluteDir(const std::string& dir) {
    std::string path = withoutTrailingSlash(dir);
    if (!path.empty() && path.front() == '/') return path;
    char buf[4096];
    if (::getcwd(buf, sizeof buf) == nullptr) return path;
    std::string cwd(buf);
    if (path.empty() || path == ".") return cwd;
    if (path.rfind("./", 0) == 0) path.erase(0, 2);
    return joinPath(cwd, path);
}

}  // namespace

std::string executableDir() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    return extractFilePath(std::string(buf, static_cast<std::size_t>(n)));
}

std::string resolveAppHome(const std::optional<std::string>& homeArgument) {
    if (homeArgument && !homeArgument->empty()) return absoluteDir(*homeArgument);
    if (std::string v = envOr("VELLORA_HOME"); !v.empty()) return absoluteDir(v);
    if (std::string xdg = envOr("XDG_DATA_HOME"); !xdg.empty()) return absoluteDir(joinPath(xdg, "vellora"));
    return absoluteDir(joinPath(envOr("HOME"), ".local/share/vellora"));
}

std::optional<std::string> findDataDir() {
    const std::string candidates[] = {
        envOr("VELLORA_DATA_DIR"),
        executableDir().empty() ? std::string() : executableDir() + "../share/vellora",
        VELLORA_SOURCE_DATA_DIR,
    };
    for (const auto& dir : candidates) {
        if (holdsShippedData(dir)) return withoutTrailingSlash(dir);
    }
    return std::nullopt;
}

std::vector<std::string> prepareAppHome(const std::string& home, const std::optional<std::string>& dataDir) {
    if (int err = makeDirs(home); err != 0) {
        throw std::runtime_error("Das Programmverzeichnis " + home +
                                 " kann nicht angelegt werden: " + systemErrorText(err));
    }
    std::vector<std::string> copied;
    if (!dataDir) return copied;
    for (const auto& name : listFiles(*dataDir)) {
        const std::string target = joinPath(home, name);
        if (fileExists(target)) continue;
        auto data = readFile(joinPath(*dataDir, name));
        if (data && writeFileAtomic(target, *data) == 0) copied.push_back(name);
    }
    if (fileExists(joinPath(*dataDir, "gmtemplate.html"))) seedMapScripts(home, *dataDir, copied);
    return copied;
}

std::string homeRelativePath(const std::string& home, const std::string& path) {
    if (home.empty() || path.empty() || path.front() != '/') return path;
    const std::filesystem::path rel = std::filesystem::path(path).lexically_normal().lexically_relative(
        std::filesystem::path(home).lexically_normal());
    if (rel.empty() || *rel.begin() == "..") return path;
    std::string text = rel.string();
    // "a/b/" and "a/b/." both name the folder; keep the trailing "/" the caller gave.
    if (text.size() > 2 && text.ends_with("/.")) text.resize(text.size() - 1);
    if (path.back() == '/' && text != "." && !text.ends_with('/')) text += '/';
    return text;
}

std::string resolveHomePath(const std::string& home, const std::string& stored) {
    if (stored.empty() || stored.front() == '/') return stored;
    if (stored == "." || stored == "./") return withoutTrailingSlash(home) + (stored == "./" ? "/" : "");
    return withTrailingSlash(home) + stored;
}

}  // namespace vellora
