#include "FuzzHome.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "core/AppHome.h"
#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/Settings.h"

namespace vellora::fuzz {
namespace fs = std::filesystem;

namespace {

std::string scratchRoot() {
    // Memory-backed when the machine has it: the targets write a file per input.
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
    return fs::temp_directory_path().string();
}

std::string homeDir;

void removeHome() {
    std::error_code ec;
    if (!homeDir.empty()) fs::remove_all(homeDir, ec);
}

}  // namespace

FuzzHome& FuzzHome::instance() {
    static FuzzHome home;
    return home;
}

FuzzHome::FuzzHome() {
    std::string templ = scratchRoot() + "/vellora-fuzz-XXXXXX";
    if (!::mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = templ;
    homeDir = dir_;
    std::atexit(removeHome);
    prepareAppHome(dir_, std::string(VELLORA_FUZZ_DATA_DIR));
    ctx_ = std::make_unique<RunContext>(host_, dir_);
    ctx_->clock = [] { return encodeDateTime(DateParts{2006, 12, 8, 21, 4, 5}); };
    startConfiguration(*ctx_);
    loadSettings(*ctx_, 600);
    for (const auto& entry : fs::directory_iterator(dir_))
        seeded_.push_back(entry.path().filename().string());
}

std::string FuzzHome::workFile(std::string_view name) const {
    return ctx_->workDirPath() + std::string(name);
}

std::string FuzzHome::put(std::string_view name, std::string_view content) const {
    const std::string path = workFile(name);
    makeDirs(extractFilePath(path));
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.valid() || writeAll(fd.get(), content) != 0) throw std::runtime_error("cannot write " + path);
    return path;
}

void FuzzHome::clean() const {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir_, ec)) {
        const std::string name = entry.path().filename().string();
        if (std::find(seeded_.begin(), seeded_.end(), name) == seeded_.end())
            fs::remove_all(entry.path(), ec);
    }
}

MemoryFile::MemoryFile(std::string_view content) : fd_(::memfd_create("fuzz-input", MFD_CLOEXEC)) {
    if (fd_ < 0 || writeAll(fd_, content) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
        throw std::runtime_error("memfd_create failed");
}

MemoryFile::~MemoryFile() {
    ::close(fd_);
}

std::pair<std::string_view, std::string_view> splitAtNul(std::string_view input) {
    const std::size_t nul = input.find('\0');
    if (nul == std::string_view::npos) return {input, {}};
    return {input.substr(0, nul), input.substr(nul + 1)};
}

}  // namespace vellora::fuzz
