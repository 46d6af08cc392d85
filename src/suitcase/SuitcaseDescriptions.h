#pragma once
// The import of the description blocks: each carried page, meta file, map and image is copied into
// the output directory under a checked name, or skipped by the rule for pages already there.
// Files of a block stay temporary until the block has been read whole.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/FileIO.h"
#include "suitcase/SuitcaseFormat.h"

namespace vellora {

class RunContext;

// Where the import of the descriptions ended.
struct DescriptionOutcome {
    std::vector<std::string>& transferred;
    std::vector<std::string>& discarded;
    std::vector<std::string>& rejected;  // names and waypoints refused
    int& added;
    int& replaced;
    int& skipped;
};

// The failure that ended the import: the kind of stream error, the file and the reason.
struct DescriptionFailure {
    std::string kind, path, text;
};

class DescriptionImport {
public:
    // doubleCache: 0 replace a page already there, 1 replace when the carried one is newer, 2 keep it.
    DescriptionImport(RunContext& ctx, SuitcaseReader& reader, std::string suitcasePath, int doubleCache,
                      DescriptionOutcome outcome);
    // Reads count blocks from offset. The blocks read whole are kept, also when a later one broke.
    bool run(std::uint64_t offset, std::int32_t count);
    const DescriptionFailure& failure() const { return failure_; }

private:
    struct Block;
    bool importBlock(Block& b);
    bool readHead(Block& b);
    bool takeMap(Block& b);
    bool takeImages(Block& b);
    // The block's bytes of one file: copied into a temporary file when write, else skipped.
    bool take(const std::string& path, std::int32_t bytes, bool write);
    bool copyFile(const std::string& path, std::int32_t size);
    bool flushPending();
    bool readFailed();
    bool writeFailed(const char* kind, const std::string& path, int code);
    std::string outPath(const std::string& name) const;
    std::optional<std::string> checkedName(const std::string& wp, const std::string& carried);
    void log(const std::string& text);

    RunContext& ctx_;
    SuitcaseReader& r_;
    std::string suitcasePath_, out_;
    int doubleCache_;
    DescriptionOutcome outcome_;
    DescriptionFailure failure_;
    std::vector<std::unique_ptr<AtomicFileWriter>> blockFiles_, pending_;
    std::uint64_t blockBytes_ = 0, pendingBytes_ = 0;
};

}  // namespace vellora
