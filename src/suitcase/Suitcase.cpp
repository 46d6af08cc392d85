#include "suitcase/Suitcase.h"

#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Host.h"
#include "core/IniFile.h"
#include "core/OptionTable.h"
#include "core/RunContext.h"

namespace vellora {

namespace {

using O = SuitcaseOptions;

const OptionTable<O> kExportTable = {
    boolOption("ExpCacheDB", &O::ExpCacheDB), boolOption("ExpWorklist", &O::ExpWorklist),
    boolOption("ExpFinds", &O::ExpFinds),     boolOption("ExpIgnore", &O::ExpIgnore),
    boolOption("ExpDescr", &O::ExpDescr),     boolOption("ExpDescrSubdir", &O::ExpDescrSubdir),
    boolOption("ExpNotes", &O::ExpNotes),     intOption("ActivePage", &O::ActivePage, 0, 1),
};
const OptionTable<O> kDbTable = {
    boolOption("GetDB", &O::GetDB),
    intOption("ImpDB", &O::ImpDB, 0, 1),
    boolOption("AddNewDBRecsToCliplist", &O::AddNewDBRecsToCliplist),
    stringOption("NewWPFilename", &O::NewWPFilename),
};
const OptionTable<O> kWorkListTable = {boolOption("GetWorkList", &O::GetWorkList)};
const OptionTable<O> kFindsTable = {boolOption("GetFoundList", &O::GetFoundList),
                                    intOption("DoubleFinds", &O::DoubleFinds, 0, 2)};
const OptionTable<O> kIgnoreTable = {boolOption("GetIgnoreList", &O::GetIgnoreList)};
const OptionTable<O> kCachesTable = {
    boolOption("GetCaches", &O::GetCaches),
    intOption("DoubleCache", &O::DoubleCache, 0, 2),
    boolOption("ShowCacheSummary", &O::ShowCacheSummary),
    boolOption("InsertWorkList", &O::InsertWorkList),
    boolOption("PostCreateDescr", &O::PostCreateDescr),
};
const OptionTable<O> kNotesTable = {boolOption("GetNotes", &O::GetNotes),
                                    intOption("DoubleNotes", &O::DoubleNotes, 0, 3)};
const OptionTable<O> kPageTable = {intOption("ActiveLoadPage", &O::ActiveLoadPage, 0, 5)};

std::string num(std::int64_t n) {
    return std::to_string(n);
}

}  // namespace

TfrmSuitcase::TfrmSuitcase(RunContext& ctx) : ctx_(ctx) {}
TfrmSuitcase::~TfrmSuitcase() = default;

std::string TfrmSuitcase::confPath() const {
    return ctx_.workDirPath() + "vellora.conf";
}

void TfrmSuitcase::setStatus(const std::string& text) {
    status_ = text;
    changed();
    ctx_.host().processEvents();
}

void TfrmSuitcase::onOpen() {
    saveSettings = true;
    opts = SuitcaseOptions{};
    const std::string path = confPath();
    if (fileExists(path)) {
        // Keys missing from an existing file read as true, the pages as the import tab.
        opts.ExpCacheDB = opts.ExpWorklist = opts.ExpFinds = opts.ExpIgnore = true;
        opts.ActivePage = 1;
        opts.ActiveLoadPage = 1;
        IniFile conf(path);
        for (const auto* table : {&kExportTable, &kDbTable, &kWorkListTable, &kFindsTable, &kIgnoreTable,
                                  &kCachesTable, &kNotesTable, &kPageTable})
            loadOptions(conf, kSection, *table, opts);
    }
    if (opts.NewWPFilename.empty()) opts.NewWPFilename = ctx_.workDirPath() + kDefaultNewWPFileName;
    localCount_ = cacheRecordCount(ctx_);
}

void TfrmSuitcase::onClose() {
    reader_.close();
    if (!saveSettings) return;
    IniFile conf(confPath());
    IniFile::Batch batch(conf);
    saveOptions(conf, kSection, kExportTable, opts);
    saveOptions(conf, kSection, kPageTable, opts);
    if (sectionAvailable(SuitcaseSection::Database)) saveOptions(conf, kSection, kDbTable, opts);
    if (sectionAvailable(SuitcaseSection::WorkList)) saveOptions(conf, kSection, kWorkListTable, opts);
    if (sectionAvailable(SuitcaseSection::Finds)) saveOptions(conf, kSection, kFindsTable, opts);
    if (sectionAvailable(SuitcaseSection::IgnoreList)) saveOptions(conf, kSection, kIgnoreTable, opts);
    if (sectionAvailable(SuitcaseSection::Descriptions)) saveOptions(conf, kSection, kCachesTable, opts);
    saveOptions(conf, kSection, kNotesTable, opts);
}

bool TfrmSuitcase::sectionAvailable(SuitcaseSection section) const {
    if (!loaded_) return true;
    switch (section) {
        case SuitcaseSection::Database:
            return content_.dbCount() > 0;
        case SuitcaseSection::WorkList:
            return !content_.workList.empty();
        case SuitcaseSection::Finds:
            return !content_.finds.empty();
        case SuitcaseSection::IgnoreList:
            return !content_.ignoreList.empty();
        case SuitcaseSection::Notes:
            return !content_.noteLines.empty();
        case SuitcaseSection::Descriptions:
            return content_.descrCount > 0;
    }
    return false;
}

bool TfrmSuitcase::sectionOptionsEnabled(SuitcaseSection section) const {
    if (!sectionAvailable(section)) return false;
    switch (section) {
        case SuitcaseSection::Database:
            return opts.GetDB;
        case SuitcaseSection::WorkList:
            return opts.GetWorkList;
        case SuitcaseSection::Finds:
            return opts.GetFoundList;
        case SuitcaseSection::IgnoreList:
            return opts.GetIgnoreList;
        case SuitcaseSection::Notes:
            return opts.GetNotes;
        case SuitcaseSection::Descriptions:
            return opts.GetCaches;
    }
    return false;
}

void TfrmSuitcase::btnChangeNewWPClick() {
    FileDialogOptions chooser;
    chooser.title = "Wegpunktliste speichern";
    chooser.filters = {{"Textdateien", "*.txt"}};
    chooser.startDir = extractFilePath(opts.NewWPFilename);
    chooser.defaultName = extractFileName(opts.NewWPFilename);
    chooser.defaultExtension = "txt";
    if (const auto file = ctx_.host().chooseSaveFile(chooser)) {
        opts.NewWPFilename = *file;
        changed();
    }
}

std::vector<std::string> TfrmSuitcase::sectionTexts(SuitcaseSection section) const {
    if (!loaded_) return {};
    const SuitcaseContent& c = content_;
    switch (section) {
        case SuitcaseSection::Database:
            if (c.dbCount() == 0) return {"Im Aktenkoffer sind keine Datenbankeintr\xE4ge enthalten."};
            return {"Die lokale Cache-Datenbank enth\xE4lt " + num(localCount_) + " Eintr\xE4ge.",
                    "Die Datenbank im Aktenkoffer enth\xE4lt " + num(c.dbCount()) + " Eintr\xE4ge."};
        case SuitcaseSection::WorkList:
            if (c.workList.empty()) return {"Der Aktenkoffer enth\xE4lt keine Arbeitslisten-Eintr\xE4ge."};
            return {"Im Aktenkoffer sind " + num(std::int64_t(c.workList.size())) +
                    " Arbeitslisten-Eintr\xE4ge gespeichert."};
        case SuitcaseSection::Finds:
            if (c.finds.empty()) return {"Der Aktenkoffer enth\xE4lt keine Fundlisten-Eintr\xE4ge."};
            return {"Im Aktenkoffer sind " + num(std::int64_t(c.finds.size())) +
                    " Fundlisten-Eintr\xE4ge gespeichert."};
        case SuitcaseSection::IgnoreList:
            if (c.ignoreList.empty()) return {"Der Aktenkoffer enth\xE4lt keine Ignorelisten-Eintr\xE4ge."};
            return {"Im Aktenkoffer sind " + num(std::int64_t(c.ignoreList.size())) +
                    " Ignorelisten-Eintr\xE4ge gespeichert."};
        case SuitcaseSection::Notes:
            if (c.noteLines.empty()) return {"Der Aktenkoffer enth\xE4lt keine Notizen."};
            return {"Der Aktenkoffer enth\xE4lt " + num(std::int64_t(c.noteLines.size())) +
                    " Zeilen Notizen."};
        case SuitcaseSection::Descriptions:
            if (c.descrCount == 0) return {"Der Aktenkoffer enth\xE4lt keine Cachebeschreibungen."};
            return {"Der Aktenkoffer enth\xE4lt " + num(c.descrCount) + " Cachebeschreibungen."};
    }
    return {};
}

}  // namespace vellora
