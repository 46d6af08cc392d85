#include "suitcase/SuitcaseDescriptions.h"

#include <cmath>

#include "core/DateUtil.h"
#include "core/FileProcs.h"
#include "core/FileTime.h"
#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "core/SafePath.h"
#include "core/StrUnit.h"
#include "core/Waypoint.h"
#include "suitcase/SuitcaseContent.h"

namespace vellora {

namespace {

constexpr const char* kWhere = "frmSuitcase.ProcessCaches";
// Finished blocks wait for one flush of the file system that serves many files.
constexpr std::size_t kPendingFiles = 256;
constexpr std::uint64_t kPendingBytes = 64u << 20;

using std::to_string;

// Dates from a suitcase may be anything; outside the calendar they count as 30.12.1899.
TDateTime saneDate(double value) {
    return std::isfinite(value) && value > -657434.0 && value < 2958466.0 ? value : 0.0;
}

std::int64_t wholeSeconds(TDateTime t) {
    return std::llround(t * 86400.0);
}

// A carried map or image belongs to its description's cache: the waypoint followed by "_" or ".",
// and never a listing page, meta file or converted description (of this cache or another).
bool ownCarriedName(std::string_view wp, std::string_view name) {
    return name.size() > wp.size() + 1 && equalsNoCase(name.substr(0, wp.size()), wp) &&
           (name[wp.size()] == '_' || name[wp.size()] == '.') && !isCachePageName(name) &&
           isSafeFileName(name);
}

}  // namespace

struct DescriptionImport::Block {
    std::string wp;
    bool skip = false, replaced = false;
};

DescriptionImport::DescriptionImport(RunContext& ctx, SuitcaseReader& reader, std::string suitcasePath,
                                     int doubleCache, DescriptionOutcome outcome)
    : ctx_(ctx),
      r_(reader),
      suitcasePath_(std::move(suitcasePath)),
      out_(ctx.outDirPath()),
      doubleCache_(doubleCache),
      outcome_(outcome) {}

void DescriptionImport::log(const std::string& text) {
    debugInfo(ctx_, kWhere, text);
}

bool DescriptionImport::readFailed() {
    failure_ = {"EReadError", suitcasePath_, suitcaseReadErrorText(suitcasePath_, r_.error())};
    return false;
}

bool DescriptionImport::writeFailed(const char* kind, const std::string& path, int code) {
    failure_ = {kind, path, systemErrorText(code)};
    return false;
}

// Only names that passed their rule are written; a refused one is only named in the log.
std::string DescriptionImport::outPath(const std::string& name) const {
    return safeJoin(out_, name).value_or(out_ + escapedValue(name));
}

// A map or image name must be a plain name of this cache's files: nothing that climbs out of the
// output directory or replaces another cache's or the program's files.
std::optional<std::string> DescriptionImport::checkedName(const std::string& wp, const std::string& carried) {
    auto name = plainFileName(carried);
    if (!name || !ownCarriedName(wp, *name)) {
        const std::string shown = escapedValue(carried);
        outcome_.rejected.push_back(wp + ": " + shown);
        debugError(ctx_, kWhere, "Refused file name: " + shown);
        return std::nullopt;
    }
    return name;
}

bool DescriptionImport::copyFile(const std::string& path, std::int32_t size) {
    auto file = std::make_unique<AtomicFileWriter>();
    if (const int code = file->open(path); code != 0) return writeFailed("EFCreateError", path, code);
    const int code = r_.copyTo(file->fd(), std::uint64_t(size));
    if (code < 0) return readFailed();
    if (code > 0) return writeFailed("EWriteError", path, code);
    blockFiles_.push_back(std::move(file));
    blockBytes_ += std::uint64_t(size);
    return true;
}

// The block is read on whether or not it is written; sizes were checked when the file was read.
bool DescriptionImport::take(const std::string& path, std::int32_t bytes, bool write) {
    return write ? copyFile(path, bytes) : (r_.skip(std::uint64_t(bytes)) || readFailed());
}

bool DescriptionImport::flushPending() {
    if (pending_.empty()) return true;
    int code = AtomicFileWriter::flushSynced(*pending_.front());
    for (auto& file : pending_) {
        if (code == 0) code = file->commitFlushed();
        if (code != 0) {
            writeFailed(file->failedAtCreate() ? "EFCreateError" : "EWriteError", file->path(), code);
            break;
        }
    }
    pending_.clear();
    pendingBytes_ = 0;
    syncParentDir(out_);
    return code == 0;
}

bool DescriptionImport::run(std::uint64_t offset, std::int32_t count) {
    Host& host = ctx_.host();
    log("Number of caches = " + to_string(count));
    r_.setSection(SuitcaseSection::Descriptions);
    r_.seek(offset);
    bool ok = true;
    for (std::int32_t i = 0; i < count && ok; ++i) {
        host.setProgress(i);
        host.processEvents();
        Block b;
        blockFiles_.clear();
        blockBytes_ = 0;
        ok = importBlock(b);
        if (!ok) break;
        for (auto& file : blockFiles_) pending_.push_back(std::move(file));
        pendingBytes_ += blockBytes_;
        if (pending_.size() >= kPendingFiles || pendingBytes_ >= kPendingBytes) ok = flushPending();
        if (!ok) break;
        if (b.skip) {
            outcome_.discarded.push_back(b.wp);
            ++outcome_.skipped;
        } else {
            outcome_.transferred.push_back(b.wp);
            ++(b.replaced ? outcome_.replaced : outcome_.added);
        }
        log("Cache " + b.wp + " processed successfully");
    }
    blockFiles_.clear();  // a broken block's files are dropped before the finished ones are kept
    if (!flushPending()) ok = false;
    return ok;
}

// The waypoint, date, subdirectory and page of a block; decides whether the block is skipped.
bool DescriptionImport::readHead(Block& b) {
    std::string sub;
    double time = 0;
    std::int32_t pageSize = 0;
    if (!r_.shortString(b.wp, kSuitcaseShortWidth)) return readFailed();
    log("Processing waypoint " + escapedValue(b.wp));
    const WaypointCheck check = checkWaypoint(b.wp);
    b.skip = !(check.ok() && check.waypoint.compare(0, 2, "GC") == 0);
    if (b.skip) {
        log("Invalid waypoint: " + escapedValue(b.wp) + " - skipping");
        if (!check.ok()) outcome_.rejected.push_back(check.problem);
    } else {
        b.wp = check.waypoint;
    }
    if (!r_.date(time) || !r_.shortString(sub, kSuitcaseLongWidth) || !r_.size(pageSize)) return readFailed();
    time = saneDate(time);
    log("Cache loaded on " + formatDateTime(time));
    log("Outdir was: " + (sub.empty() ? std::string("[ROOT]") : sub));
    log("Cache description length = " + to_string(pageSize) + " bytes");
    if (pageSize < 1) b.skip = true;
    const std::string pagePath = outPath(b.wp + ".html");
    if (!b.skip && fileExists(pagePath)) {
        if (doubleCache_ == 2)
            b.skip = true;
        else if (doubleCache_ == 1 && wholeSeconds(fileModified(pagePath).value_or(0)) > wholeSeconds(time))
            b.skip = true;
        else
            b.replaced = true;
    }
    if (b.skip) log("Cache will be skipped due to user options");
    log(b.skip ? "Skipping: " + b.wp : "Creating cache description file: " + pagePath);
    return pageSize <= 0 || take(pagePath, pageSize, !b.skip);
}

bool DescriptionImport::importBlock(Block& b) {
    if (!readHead(b)) return false;
    std::int32_t size = 0;
    if (!r_.size(size)) return readFailed();
    log("Meta file length = " + to_string(size) + " bytes");
    if (size > 0) {
        const std::string metaPath = outPath(b.wp + ".meta");
        log((b.skip ? "Skipping meta file: " : "Creating meta file: ") + metaPath);
        if (!take(metaPath, size, !b.skip)) return false;
    } else {
        log("No meta file available");
    }
    return takeMap(b) && takeImages(b);
}

bool DescriptionImport::takeMap(Block& b) {
    std::string mapName;
    std::int32_t size = 0;
    if (!r_.shortString(mapName, kSuitcaseLongWidth) || !r_.size(size)) return readFailed();
    log("Map name is: " + extractFileName(mapName));
    log("Map size = " + to_string(size) + " bytes");
    if (size <= 0) {
        log("No map file available");
        return true;
    }
    const auto name = b.skip ? plainFileName(mapName) : checkedName(b.wp, mapName);
    const std::string path = name ? outPath(*name) : out_ + escapedValue(extractFileName(mapName));
    log(((b.skip || !name) ? "Skipping map file: " : "Creating map file: ") + path);
    return take(path, size, !b.skip && name);
}

bool DescriptionImport::takeImages(Block& b) {
    std::int32_t images = 0, size = 0;
    if (!r_.count(images, kMinImageEntry)) return readFailed();
    log("Cache has " + to_string(images) + " images");
    std::string imageName;
    for (std::int32_t k = 0; k < images; ++k) {
        log("Processing image #" + to_string(k + 1));
        if (!r_.shortString(imageName, kSuitcaseLongWidth) || !r_.size(size)) return readFailed();
        log("Image name: " + imageName);
        log("Image size = " + to_string(size) + " bytes");
        if (size <= 0) continue;
        const auto name = b.skip ? plainFileName(imageName) : checkedName(b.wp, imageName);
        const std::string path = name ? outPath(*name) : out_ + escapedValue(extractFileName(imageName));
        log(((b.skip || !name) ? "Skipping image: " : "Creating image: ") + path);
        if (!take(path, size, !b.skip && name)) return false;
    }
    return true;
}

}  // namespace vellora
