#include "suitcase/Suitcase.h"

#include <fcntl.h>

#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/RunContext.h"
#include "core/Waypoint.h"
#include "suitcase/SuitcaseDbMerge.h"

// The database section of the import: the carried records merged into Caches.bin.
namespace vellora {

namespace {

constexpr const char* kCachesBin = "Caches.bin";

}  // namespace

// One side of the database merge: its open file, its run of records and their keys.
struct DbMergeSide {
    UniqueFd fd;
    RecordRun run;
    MergeKeys keys;
};

// Both databases are read twice, never held whole: once for their keys, once in merge order for
// the records written.
void TfrmSuitcase::mergeDatabase() {
    Host& host = ctx_.host();
    setStatus("Datenbank wird upgedated");
    DbMergeSide local, incoming;
    if (!readMergeKeys(local, incoming)) return;
    const DbMergeCounts counts = planDatabaseMerge(local.keys, incoming.keys, opts.ImpDB == 0);
    if (counts.added + counts.changed == 0) {
        host.endProgress();
        counters_.dbDiscarded = counts.discarded;
        return;
    }
    if (!writeMergedDatabase(local, incoming)) return;
    counters_.dbNew = counts.added;
    counters_.dbChanged = counts.changed;
    counters_.dbDiscarded = counts.discarded;
    localCount_ = std::int64_t(local.keys.size()) + counts.added;
    RebuildIndex(ctx_);
}

bool TfrmSuitcase::readMergeKeys(DbMergeSide& local, DbMergeSide& incoming) {
    Host& host = ctx_.host();
    const std::string path = ctx_.workDirPath() + kCachesBin;
    int err = 0;
    if (fileExists(path)) {
        local.fd = openFile(path, O_RDONLY, 0, &err);
        if (local.fd)
            local.run = {local.fd.get(), 0, std::int64_t(fileSize(path).value_or(0) / kCacheRecSize)};
        if (local.fd) err = local.keys.read(local.run);
    }
    if (err != 0) {
        // Rewriting from a partly read database would lose the records behind the failure.
        showErrorCode(host, err, "Fehler beim Lesen der Datei " + path);
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Die lokale Cache-Datenbank konnte nicht vollst\xE4ndig gelesen werden und wird nicht "
                     "ver\xE4ndert.");
        return false;
    }
    host.beginProgress("Datenbank wird upgedated", std::int64_t(local.run.count) + content_.dbCount());
    incoming.fd = openFile(suitcasePath_, O_RDONLY, 0, &err);
    incoming.run = {incoming.fd.get(), content_.dbOffset, content_.dbCount()};
    // A carried record whose waypoint breaks the rule is refused; the others are merged.
    if (incoming.fd)
        err = incoming.keys.read(incoming.run, [this](std::string_view wp) {
            const WaypointCheck check = checkWaypoint(wp);
            if (!check.ok()) rejected_.push_back(check.problem);
            return check.ok();
        });
    if (err != 0) {
        host.endProgress();
        showErrorCode(host, err, "Fehler beim Lesen der Datei " + suitcasePath_ + ": ");
        return false;
    }
    return true;
}

bool TfrmSuitcase::writeMergedDatabase(DbMergeSide& local, DbMergeSide& incoming) {
    Host& host = ctx_.host();
    const std::string path = ctx_.workDirPath() + kCachesBin;
    AtomicFileWriter out;
    std::vector<std::string> newWaypoints;
    std::int64_t lastEvents = 0;
    DbMergeIo io{out.open(path), nullptr};
    if (io.code == 0)
        io = writeDatabaseMerge(local.run, local.keys, incoming.run, incoming.keys, opts.ImpDB == 0, out,
                                newWaypoints, [&](std::int64_t n) {
                                    host.setProgress(n);
                                    if (n - lastEvents >= 4096) {
                                        lastEvents = n;
                                        host.processEvents();
                                    }
                                });
    host.endProgress();
    if (io.unreadable) {
        out.abort();
        showErrorCode(host, io.code,
                      "Fehler beim Lesen der Datei " + (io.unreadable == &local.run ? path : suitcasePath_));
        return false;
    }
    setStatus("Datenbank wird geschrieben");
    if (opts.AddNewDBRecsToCliplist) {
        if (const int code = writeListFile(opts.NewWPFilename, newWaypoints); code != 0)
            showErrorCode(host, code, "Fehler beim Schreiben der Datei " + opts.NewWPFilename + ": ");
    }
    setStatus("Cache-Datenbank wird geschrieben");
    if (io.code == 0) io.code = out.commit();
    if (io.code != 0) {
        out.abort();
        showErrorCode(host, io.code, "Fehler beim Schreiben der Cache-Datenbank Caches.bin");
        return false;
    }
    return true;
}

}  // namespace vellora
