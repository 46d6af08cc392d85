#pragma once
// What the fuzz targets share: the input as text, a scratch application home for readers that take
// a path or a run context, and in-memory files for readers that take a descriptor.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/NullHost.h"
#include "core/RunContext.h"

namespace vellora::fuzz {

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// One application home per fuzzing process, seeded with the shipped data files and removed at exit.
// Its run context answers every question with "no" and runs on a fixed clock, so that a finding
// replays the same way.
class FuzzHome {
public:
    static FuzzHome& instance();

    RunContext& ctx() { return *ctx_; }
    const std::string& dir() const { return dir_; }
    // A file of the working directory (the home itself).
    std::string workFile(std::string_view name) const;
    // Writes a file of the working directory (plain write: the fuzzed reader is what matters).
    std::string put(std::string_view name, std::string_view content) const;
    // Removes everything from the working directory that the shipped seed did not put there.
    void clean() const;

private:
    FuzzHome();
    std::string dir_;
    std::vector<std::string> seeded_;
    NullHost host_;
    std::unique_ptr<RunContext> ctx_;
};

// An anonymous in-memory file holding content, positioned at its start; closed by the destructor.
class MemoryFile {
public:
    explicit MemoryFile(std::string_view content);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

// The input split at its first NUL byte: the part before it and the rest (empty without one).
std::pair<std::string_view, std::string_view> splitAtNul(std::string_view input);

}  // namespace vellora::fuzz
