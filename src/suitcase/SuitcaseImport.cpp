#include "suitcase/Suitcase.h"

#include <fcntl.h>

#include <cerrno>

#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/IniFile.h"
#include "core/PersInfo.h"
#include "core/RunContext.h"
#include "core/Waypoint.h"
#include "suitcase/SuitcaseDescriptions.h"
#include "suitcase/SuitcaseMerge.h"

// The import side of the dialog: the suitcase is read, then each chosen section merged into this
// installation's files.
namespace vellora {

void TfrmSuitcase::btnLoadClick() {
    if (loaded_) return;
    FileDialogOptions chooser;
    chooser.title =
        "Aktenkofferdatei zum Einlesen \xF6"
        "ffnen";
    chooser.filters = {{"Vellora-Datei", "*.vellora"}};
    chooser.startDir = ctx_.workDirPath();
    chooser.defaultName = kDefaultFileName;
    const auto files = ctx_.host().chooseOpenFiles(chooser, false);
    if (files.empty()) return;
    loadFrom(files.front());
}

bool TfrmSuitcase::loadFrom(const std::string& path) {
    if (loaded_) return false;
    Host& host = ctx_.host();
    busy_ = true;
    changed();
    if (const int code = reader_.open(path); code != 0) {
        busy_ = false;
        showErrorCode(host, code,
                      "Fehler beim \xD6"
                      "ffnen der Aktenkofferdatei " +
                          path + ": ");
        changed();
        return false;
    }
    if (!readSuitcase(reader_, content_)) {
        busy_ = false;
        host.message(MsgKind::Error, MsgButtons::Ok, suitcaseReadErrorText(path, reader_.error()));
        reader_.close();
        content_ = {};
        changed();
        return false;
    }
    localCount_ = cacheRecordCount(ctx_);
    suitcasePath_ = path;
    loaded_ = true;
    busy_ = false;
    opts.ActivePage = 1;
    // A section the suitcase holds nothing for cannot be taken over.
    if (!sectionAvailable(SuitcaseSection::Database)) opts.GetDB = false;
    if (!sectionAvailable(SuitcaseSection::WorkList)) opts.GetWorkList = false;
    if (!sectionAvailable(SuitcaseSection::Finds)) opts.GetFoundList = false;
    if (!sectionAvailable(SuitcaseSection::IgnoreList)) opts.GetIgnoreList = false;
    if (!sectionAvailable(SuitcaseSection::Notes)) opts.GetNotes = false;
    if (!sectionAvailable(SuitcaseSection::Descriptions)) opts.GetCaches = false;
    changed();
    return true;
}

void TfrmSuitcase::btnCommitClick() {
    if (!loaded_ || busy_) return;
    busy_ = true;
    setRunning();
    counters_ = {};
    transferred_.clear();
    discarded_.clear();
    rejected_.clear();
    rejectedShown_ = 0;
    summary_.clear();
    findsTaken_ = descrTaken_ = descrError_ = generatorRequested_ = false;
    if (opts.GetDB && sectionAvailable(SuitcaseSection::Database)) mergeDatabase();
    if (opts.GetWorkList && sectionAvailable(SuitcaseSection::WorkList))
        mergeList(kWorkListFileName, content_.workList, counters_.workListNew, counters_.workListPresent);
    if (opts.GetFoundList && sectionAvailable(SuitcaseSection::Finds)) mergeFinds();
    if (opts.GetIgnoreList && sectionAvailable(SuitcaseSection::IgnoreList))
        mergeList(kIgnoreListFileName, content_.ignoreList, counters_.ignoreNew, counters_.ignorePresent);
    if (opts.GetNotes && sectionAvailable(SuitcaseSection::Notes)) mergeNotes();
    if (opts.GetCaches && sectionAvailable(SuitcaseSection::Descriptions)) mergeDescriptions();
    showRejected();
    buildReport();
    setStatus("");
    ctx_.host().message(MsgKind::Information, MsgButtons::Ok, report_);
    generatorRequested_ =
        descrTaken_ && opts.PostCreateDescr && counters_.descrNew + counters_.descrReplaced > 0;
    busy_ = false;
    close();
}

void TfrmSuitcase::mergeList(const char* fileName, const std::vector<std::string>& incoming, int& added,
                             int& present) {
    const std::string path = ctx_.workDirPath() + fileName;
    int err = 0;
    std::vector<std::string> lines = readListFile(path, &err);
    if (err != 0 && err != ENOENT) {
        // Writing back what could be read would lose the rest of the list.
        showErrorCode(ctx_.host(), err, "Fehler beim Lesen der Datei " + path + ": ");
        return;
    }
    // An entry that is not a waypoint (a line break would even add lines of its own) is refused.
    std::vector<std::string> entries;
    for (const auto& entry : incoming) {
        WaypointCheck check = checkWaypoint(entry);
        if (check.ok()) {
            entries.push_back(std::move(check.waypoint));
        } else {
            debugError(ctx_, "frmSuitcase.btnCommitClick", std::string(fileName) + ": refused entry");
            rejected_.push_back(std::move(check.problem));
        }
    }
    int a = 0, p = 0;
    mergeWaypointList(lines, entries, a, p);
    if (const int code = writeListFile(path, lines); code != 0) {
        showErrorCode(ctx_.host(), code, "Fehler beim Schreiben der Datei " + path + ": ");
        return;
    }
    added += a;
    present += p;
}

void TfrmSuitcase::mergeFinds() {
    Host& host = ctx_.host();
    setStatus("Fundliste wird aktualisiert");
    const std::string path = ctx_.workDirPath() + kFoundFileName;
    std::vector<TFoundRec> local;
    if (fileExists(path)) {
        if (const int code = readFoundRecords(path, local); code != 0) {
            host.message(MsgKind::Error, MsgButtons::Ok,
                         "Fehler beim \xD6"
                         "ffnen der Fundliste (Finds.bin): \r\n" +
                             systemErrorText(code));
            return;
        }
    }
    std::vector<TFoundRec> incoming;
    for (const auto& rec : content_.finds) {
        if (const WaypointCheck check = checkWaypoint(rec.Waypoint); check.ok())
            incoming.push_back(rec);
        else
            rejected_.push_back(check.problem);
    }
    int added = 0, updated = 0;
    if (!vellora::mergeFinds(local, incoming, static_cast<DoubleFindsRule>(opts.DoubleFinds), added,
                             updated)) {
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Fehler beim \xD6"
                     "ffnen der Fundliste (Finds.bin).");
        return;
    }
    setStatus("Fundliste wird geschrieben");
    if (const int code = writeFoundRecords(path, local); code != 0) {
        host.message(MsgKind::Error, MsgButtons::Cancel,
                     "Fehler beim Anlegen der Fundliste (Finds.bin): \r\n" + systemErrorText(code));
        return;
    }
    findsTaken_ = true;
    counters_.findsNew += added;
    counters_.findsUpdated += updated;
}

void TfrmSuitcase::mergeNotes() {
    setStatus("Notizen werden upgedated");
    const std::string path = notesFilePath(ctx_.workDirPath());
    const std::string failText = "Fehler beim Schreiben der Pers\xF6nlichen Informationen in Datei " + path;
    int err = 0;
    if (fileExists(path) && !readFile(path, &err)) {
        showErrorCode(ctx_.host(), err, failText + ": ");
        return;
    }
    std::vector<LocalNote> local;
    {
        IniFile notes(path);
        for (const auto& name : notes.sectionNames()) local.push_back({name, ReadNote(notes, name)});
    }
    auto edit = [this](const std::string& wp, const std::vector<std::string>& note) {
        return editNote ? editNote(wp, cacheName(wp), note) : note;
    };
    const std::vector<std::string> lines =
        vellora::mergeNotes(local, content_.noteLines, static_cast<DoubleNotesRule>(opts.DoubleNotes), edit);
    if (writeListFile(path, lines) != 0) ctx_.host().message(MsgKind::Error, MsgButtons::Ok, failText);
}

void TfrmSuitcase::adjustWorkList() {
    setStatus("Arbeitsliste wird upgedated");
    const std::string path = ctx_.workDirPath() + kWorkListFileName;
    int err = 0;
    std::vector<std::string> lines = readListFile(path, &err);
    if (err != 0 && err != ENOENT) {
        showErrorCode(ctx_.host(), err, "Fehler beim Lesen der Datei " + path + ": ");
        return;
    }
    int added = 0, present = 0;
    mergeWaypointList(lines, transferred_, added, present);
    if (const int code = writeListFile(path, lines); code != 0)
        showErrorCode(ctx_.host(), code, "Fehler beim Schreiben der Datei " + path + ": ");
}

void TfrmSuitcase::mergeDescriptions() {
    Host& host = ctx_.host();
    descrTaken_ = true;
    setStatus("Verarbeite Cachebeschreibungen");
    host.beginProgress("Verarbeite Cachebeschreibungen", content_.descrCount);
    DescriptionImport import(ctx_, reader_, suitcasePath_, opts.DoubleCache,
                             {transferred_, discarded_, rejected_, counters_.descrNew,
                              counters_.descrReplaced, counters_.descrDiscarded});
    const bool ok = import.run(content_.descrOffset, content_.descrCount);
    host.endProgress();
    if (!ok) {
        const DescriptionFailure& f = import.failure();
        descrError_ = true;
        showRejected();
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Streamingfehler \"" + (f.kind.empty() ? std::string("(unknown)") : f.kind) +
                         "\" aufgetreten.\r\n" + "Dateiname: " + f.path + "\r\n" +
                         "Exception: " + (f.text.empty() ? std::string("(nicht vorhanden)") : f.text));
        return;
    }
    debugInfo(ctx_, "frmSuitcase.ProcessCaches", "All cache processed successfully");
    showRejected();
    if (opts.ShowCacheSummary) showCacheSummary();
    if (opts.InsertWorkList) adjustWorkList();
}

}  // namespace vellora
