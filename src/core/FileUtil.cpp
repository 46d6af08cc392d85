#include "core/FileUtil.h"

#include "core/FileIO.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <random>

#include "core/UpperCase.h"

namespace vellora {

namespace fs = std::filesystem;

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool dirExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::string> readFile(const std::string& path, int* errorCode) {
    int err = 0;
    const UniqueFd fd = openFile(path, O_RDONLY, 0, &err);
    std::string data;
    if (fd) err = readAll(fd.get(), data);
    if (errorCode) *errorCode = err;
    if (err != 0) return std::nullopt;
    return data;
}

int writeFileAtomic(const std::string& path, std::string_view data) {
    AtomicWriteFailure failure;
    return writeFileAtomic(path, data, failure);
}

int writeFileAtomic(const std::string& path, std::string_view data, AtomicWriteFailure& failure) {
    AtomicFileWriter writer(path);
    if (writer.write(data) == 0) writer.commit();
    failure = writer.error() == 0       ? AtomicWriteFailure::None
              : writer.failedAtCreate() ? AtomicWriteFailure::Create
                                        : AtomicWriteFailure::Write;
    return writer.error();
}

int makeDirs(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec) return ec.value();
    return dirExists(path) ? 0 : ENOTDIR;
}

int removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

namespace {

// "NAME.vtmpPID_N" of a process that is gone. Other names are not the writer's and stay.
bool isStaleTempFile(std::string_view name) {
    const std::size_t at = name.rfind(AtomicFileWriter::kTempMarker);
    if (at == std::string_view::npos || at == 0) return false;
    const std::string_view rest = name.substr(at + std::strlen(AtomicFileWriter::kTempMarker));
    const char* end = rest.data() + rest.size();
    long pid = 0, serial = 0;
    const auto p = std::from_chars(rest.data(), end, pid);
    if (p.ec != std::errc() || pid <= 0 || p.ptr == end || *p.ptr != '_') return false;
    const auto n = std::from_chars(p.ptr + 1, end, serial);
    if (n.ec != std::errc() || n.ptr != end) return false;
    // Another run of the program may be writing at this moment.
    return pid != static_cast<long>(::getpid()) && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

bool removeStaleTempFiles(const std::string& dir) {
    bool stale = false;
    for (const std::string& name : listFiles(dir, std::string("*") + AtomicFileWriter::kTempMarker + "*")) {
        if (!isStaleTempFile(name)) continue;
        removeFile(joinPath(dir, name));
        stale = true;
    }
    return stale;
}

bool removeStaleTempFilesBeside(const std::string& path) {
    const std::string dir = extractFilePath(path);
    return removeStaleTempFiles(dir.empty() ? "./" : dir);
}

bool matchesMask(std::string_view name, std::string_view mask) {
    // Iterative wildcard match with backtracking to the last "*".
    std::size_t n = 0, m = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || upperChar(mask[m]) == upperChar(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

namespace {

std::vector<std::string> listEntries(const std::string& dir, bool wantDirs, std::string_view mask) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code sec;
        const bool isDir = it->is_directory(sec);
        const bool isFile = it->is_regular_file(sec);
        if (wantDirs ? !isDir : !isFile) continue;
        std::string name = it->path().filename().string();
        if (matchesMask(name, mask)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

std::vector<std::string> listFiles(const std::string& dir, std::string_view mask) {
    return listEntries(dir, false, mask);
}

std::vector<std::string> listDirs(const std::string& dir) {
    return listEntries(dir, true, "*");
}

std::string joinPath(std::string_view dir, std::string_view name) {
    if (dir.empty()) return std::string(name);
    std::string out(dir);
    if (out.back() != '/') out += '/';
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    out += name;
    return out;
}

std::string extractFilePath(std::string_view path) {
    const auto pos = path.find_last_of("/\\");
    if (pos == std::string_view::npos) return {};
    return std::string(path.substr(0, pos + 1));
}

std::string extractFileName(std::string_view path) {
    const auto pos = path.find_last_of("/\\");
    if (pos == std::string_view::npos) return std::string(path);
    return std::string(path.substr(pos + 1));
}

std::string withTrailingSlash(std::string_view path) {
    std::string out(path);
    if (out.empty() || (out.back() != '/' && out.back() != '\\')) out += '/';
    return out;
}

std::string withoutTrailingSlash(std::string_view path) {
    std::string out(path);
    while (out.size() > 1 && (out.back() == '/' || out.back() == '\\')) out.pop_back();
    return out;
}

int probeWritableDir(const std::string& dir) {
    if (const int error = makeDirs(dir); error != 0) return error;
    const std::string probe = withTrailingSlash(dir) + ".vellora-write-test";
    int error = 0;
    {
        int openError = 0;
        UniqueFd fd = openFile(probe, O_WRONLY | O_CREAT | O_TRUNC, 0644, &openError);
        if (!fd) return openError != 0 ? openError : EACCES;
        error = writeAll(fd.get(), "test");
        if (const int closeError = fd.close(); error == 0) error = closeError;
    }
    if (const int removeError = removeFile(probe); error == 0) error = removeError;
    return error;
}

std::string systemErrorText(int code) {
    char buf[256];
    // GNU strerror_r returns the message pointer, which may not be buf.
    const char* msg = ::strerror_r(code, buf, sizeof buf);
    return msg ? std::string(msg) : std::string();
}

}  // namespace vellora
