#include "suitcase/Suitcase.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <memory>
#include <unordered_map>

#include "core/CacheRec.h"
#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileTime.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/OptionTable.h"
#include "core/PersInfo.h"
#include "core/RunContext.h"
#include "core/SafePath.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "core/Waypoint.h"
#include "suitcase/SuitcaseMerge.h"

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

constexpr const char* kWhere = "frmSuitcase.ProcessCaches";
constexpr const char* kCachesBin = "Caches.bin";

std::string num(std::int64_t n) {
    return std::to_string(n);
}

// Dates from a suitcase may be anything; outside the calendar they count as 30.12.1899.
TDateTime saneDate(double value) {
    return std::isfinite(value) && value > -657434.0 && value < 2958466.0 ? value : 0.0;
}

std::int64_t wholeSeconds(TDateTime t) {
    return std::llround(t * 86400.0);
}

bool hasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 32 || u == 127;
    });
}

// A carried map or image belongs to its description's cache: the waypoint followed by "_" or ".",
// and never a listing page, meta file or converted description (of this cache or another).
bool ownCarriedName(std::string_view wp, std::string_view name) {
    return name.size() > wp.size() + 1 && equalsNoCase(name.substr(0, wp.size()), wp) &&
           (name[wp.size()] == '_' || name[wp.size()] == '.') && !isCachePageName(name) &&
           isSafeFileName(name);
}

// The files of one description block, kept as temporary files until the block has been read whole.
struct BlockFiles {
    std::vector<std::unique_ptr<AtomicFileWriter>> files;
};

}  // namespace

std::optional<std::string> plainFileName(std::string_view carried) {
    if (carried.empty() || hasControl(carried)) return std::nullopt;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= carried.size(); ++i) {
        if (i == carried.size() || carried[i] == '\\' || carried[i] == '/') {
            const std::string_view part = carried.substr(start, i - start);
            if (part == "..") return std::nullopt;
            start = i + 1;
        }
    }
    const std::string name(carried.substr(
        carried.find_last_of("\\/") == std::string_view::npos ? 0 : carried.find_last_of("\\/") + 1));
    if (name.empty() || name == "." || name == "..") return std::nullopt;
    return name;
}

bool readSuitcase(SuitcaseReader& r, SuitcaseContent& c) {
    c = {};
    std::int32_t n = 0;
    r.setSection(SuitcaseSection::Database);
    if (!r.count(n, kCacheRecSize) || !r.bytes(c.dbRecords, std::size_t(n) * kCacheRecSize)) return false;

    auto readList = [&](SuitcaseSection section, std::vector<std::string>& list) {
        r.setSection(section);
        std::int32_t count = 0;
        if (!r.count(count, kSuitcaseShortWidth)) return false;
        list.reserve(std::size_t(count));
        std::string entry;
        for (std::int32_t i = 0; i < count; ++i) {
            if (!r.shortString(entry, kSuitcaseShortWidth)) return false;
            list.push_back(entry);
        }
        return true;
    };
    if (!readList(SuitcaseSection::WorkList, c.workList)) return false;

    r.setSection(SuitcaseSection::Finds);
    std::string bytes;
    if (!r.count(n, TFoundRec::kSize) || !r.bytes(bytes, std::size_t(n) * TFoundRec::kSize)) return false;
    c.finds.reserve(std::size_t(n));
    for (std::int32_t i = 0; i < n; ++i)
        c.finds.push_back(decodeFoundRec(std::string_view(bytes).substr(std::size_t(i) * TFoundRec::kSize)));

    if (!readList(SuitcaseSection::IgnoreList, c.ignoreList)) return false;

    r.setSection(SuitcaseSection::Notes);
    if (!r.size(n) || !r.bytes(bytes, std::size_t(n))) return false;
    c.noteLines = splitListLines(bytes);

    // The blocks stay in the file, but their structure is checked now, so that a broken
    // suitcase is refused before anything is merged.
    r.setSection(SuitcaseSection::Descriptions);
    if (!r.count(c.descrCount, kMinDescriptionBlock)) return false;
    c.descrOffset = r.offset();
    std::string text;
    double date = 0;
    std::int32_t size = 0, images = 0;
    for (std::int32_t i = 0; i < c.descrCount; ++i) {
        if (!r.shortString(text, kSuitcaseShortWidth) || !r.date(date) ||
            !r.shortString(text, kSuitcaseLongWidth))
            return false;
        if (!r.size(size) || !r.skip(std::uint64_t(size)) || !r.size(size) || !r.skip(std::uint64_t(size)))
            return false;
        if (!r.shortString(text, kSuitcaseLongWidth) || !r.size(size) || !r.skip(std::uint64_t(size)))
            return false;
        if (!r.count(images, kMinImageEntry)) return false;
        for (std::int32_t k = 0; k < images; ++k) {
            if (!r.shortString(text, kSuitcaseLongWidth) || !r.size(size) || !r.skip(std::uint64_t(size)))
                return false;
        }
    }
    return true;
}

std::string suitcaseReadErrorText(const std::string& path, const SuitcaseReadError& e) {
    std::string text = "Die Aktenkofferdatei " + path +
                       " ist unvollst\xE4ndig oder besch\xE4"
                       "digt.\r\nAbschnitt: " +
                       suitcaseSectionName(e.section) + ", Position " + num(std::int64_t(e.offset)) + ": " +
                       e.reason;
    if (e.code != 0) text += " (" + systemErrorText(e.code) + ")";
    return text;
}

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
            return !content_.dbRecords.empty();
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
            if (c.dbRecords.empty()) return {"Im Aktenkoffer sind keine Datenbankeintr\xE4ge enthalten."};
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

// ---- export

void TfrmSuitcase::btnSaveClick() {
    FileDialogOptions chooser;
    chooser.title = "Aktenkofferdatei sichern";
    chooser.filters = {{"Vellora-Datei", "*.vellora"}};
    chooser.startDir = ctx_.workDirPath();
    chooser.defaultName = kDefaultFileName;
    chooser.defaultExtension = "vellora";
    const auto target = ctx_.host().chooseSaveFile(chooser);
    if (!target) return;
    if (exportTo(*target)) close();
}

bool TfrmSuitcase::exportTo(const std::string& path) {
    Host& host = ctx_.host();
    busy_ = true;
    setRunning();
    exportSummary_.clear();
    const std::string work = ctx_.workDirPath();
    SuitcaseWriter w;
    std::string failedPath = path;
    int code = w.open(path);

    auto listSection = [&](bool on, const char* fileName, const char* status, const char* what) {
        const std::string listPath = work + fileName;
        if (!on || !fileExists(listPath)) {
            w.int32(0);
            return;
        }
        setStatus(status);
        int err = 0;
        const std::vector<std::string> lines = readListFile(listPath, &err);
        if (err != 0) {
            code = err;
            failedPath = listPath;
            return;
        }
        w.int32(static_cast<std::int32_t>(lines.size()));
        for (const auto& line : lines) w.shortString(line, kSuitcaseShortWidth);
        exportSummary_ += num(std::int64_t(lines.size())) + what + "\r\n";
    };

    // Section 1: the records are copied as they are; a read error ends them, the count follows.
    if (code == 0) {
        const std::string dbPath = work + kCachesBin;
        UniqueFd db;
        if (opts.ExpCacheDB && fileExists(dbPath)) db = openFile(dbPath, O_RDONLY);
        if (!db) {
            w.int32(0);
        } else {
            setStatus("Schreibe Cache-Datenbank");
            const std::uint64_t countAt = w.offset();
            w.int32(0);
            std::string chunk(kCacheRecSize * 4096, '\0');
            std::int64_t records = 0;
            for (;;) {
                std::size_t got = 0;
                const int err = readFully(db.get(), chunk.data(), chunk.size(), got);
                const std::size_t whole = got / kCacheRecSize;
                w.bytes(std::string_view(chunk.data(), whole * kCacheRecSize));
                records += std::int64_t(whole);
                if (err != 0)
                    debugError(ctx_, "frmSuitcase.btnSaveClick", dbPath + ": " + systemErrorText(err));
                if (err != 0 || got < chunk.size()) break;
            }
            w.patchInt32(countAt, static_cast<std::int32_t>(records));
            exportSummary_ += num(records) + " Datens\xE4tze aus Cache-Datenbank\r\n";
        }
    }
    if (code == 0)
        listSection(opts.ExpWorklist, kWorkListFileName, "Schreibe Arbeitsliste",
                    " Arbeitslisten-Eintr\xE4ge");
    if (code == 0) {
        const std::string findsPath = work + kFoundFileName;
        if (opts.ExpFinds && fileExists(findsPath)) {
            setStatus("Schreibe Fundliste");
            std::vector<TFoundRec> finds;
            if (const int err = readFoundRecords(findsPath, finds); err != 0) {
                code = err;
                failedPath = findsPath;
            } else {
                w.int32(static_cast<std::int32_t>(finds.size()));
                std::string bytes;
                for (const auto& rec : finds) encodeFoundRec(rec, bytes);
                w.bytes(bytes);
                exportSummary_ += num(std::int64_t(finds.size())) + " Fundlisten-Eintr\xE4ge\r\n";
            }
        } else {
            w.int32(0);
        }
    }
    if (code == 0)
        listSection(opts.ExpIgnore, kIgnoreListFileName, "Schreibe Ignoreliste", " Ignorelisten-Eintr\xE4ge");
    if (code == 0) {
        const std::string notesPath = work + kNotesFileName;
        if (opts.ExpNotes && fileExists(notesPath)) {
            int err = 0;
            const std::vector<std::string> lines = readListFile(notesPath, &err);
            if (err != 0) {
                code = err;
                failedPath = notesPath;
            } else {
                std::string text;
                for (const auto& line : lines) text += line + "\r\n";
                w.int32(static_cast<std::int32_t>(text.size()));
                w.bytes(text);
                exportSummary_ +=
                    num(std::int64_t(text.size())) + " Zeichen aus pers\xF6nlichen Cachenotizen\r\n";
            }
        } else {
            w.int32(0);
        }
    }
    if (code == 0) {
        if (!opts.ExpDescr) {
            w.int32(0);
        } else {
            const std::string out = ctx_.outDirPath();
            struct Page {
                std::string sub, name;
            };
            std::vector<Page> pages;
            auto collect = [&](const std::string& sub) {
                const std::string dir = sub.empty() ? out : out + sub + "/";
                for (auto& name : listFiles(dir, "GC*.html"))
                    if (upperCase(name).find("_CONVERTED") == std::string::npos) pages.push_back({sub, name});
            };
            if (dirExists(out)) {
                collect("");
                if (opts.ExpDescrSubdir)
                    for (const auto& sub : listDirs(out))
                        if (!sub.empty() && sub[0] != '.') collect(sub);
            }
            w.int32(static_cast<std::int32_t>(pages.size()));
            std::int64_t images = 0;
            for (const Page& page : pages) {
                if (code != 0 || w.error() != 0) break;
                const std::string dir = page.sub.empty() ? out : out + page.sub + "/";
                const std::string prefix = page.sub.empty() ? "" : page.sub + "\\";
                const std::string wp = waypointFromFileName(page.name).substr(0, kSuitcaseListEntryMax);
                setStatus("Schreibe Cache: " + prefix + wp);
                w.shortString(wp, kSuitcaseShortWidth);
                w.date(fileModified(dir + page.name).value_or(ctx_.now()));
                w.shortString(page.sub, kSuitcaseLongWidth);
                std::string metaName = page.name;
                replaceAll(metaName, ".html", ".meta");
                auto block = [&](const std::string& file) {
                    if (code != 0) return;
                    if (const int err = w.fileBlock(file); err != 0) {
                        code = err;
                        failedPath = file;
                    }
                };
                block(dir + page.name);
                block(dir + metaName);
                const std::vector<std::string> maps = listFiles(dir, wp + "_map.*");
                if (maps.empty()) {
                    w.shortString("", kSuitcaseLongWidth);
                    w.int32(0);
                } else {
                    w.shortString(prefix + maps.front(), kSuitcaseLongWidth);
                    block(dir + maps.front());
                }
                const std::string metaPath = dir + wp + ".meta";
                const std::vector<std::string> lines =
                    fileExists(metaPath) ? readListFile(metaPath) : std::vector<std::string>{};
                const std::size_t m = !lines.empty() && lines.size() % 3 == 0 ? lines.size() / 3 : 0;
                w.int32(static_cast<std::int32_t>(m));
                for (std::size_t i = 0; i < m; ++i) {
                    std::string name = lines[3 * i].substr(std::min<std::size_t>(2, lines[3 * i].size()));
                    const std::size_t sep = name.find_last_of("\\/");
                    if (sep != std::string::npos) name.erase(0, sep + 1);
                    w.shortString(prefix + name, kSuitcaseLongWidth);
                    block(dir + name);
                }
                images += std::int64_t(m);
            }
            if (code == 0)
                exportSummary_ += num(std::int64_t(pages.size())) + " Cachebeschreibungen mit insgesamt " +
                                  num(images) + " Cache-Images\r\n";
        }
    }
    if (code == 0) {
        code = w.commit();
        failedPath = path;
    }
    busy_ = false;
    if (code != 0) {
        setStatus("");
        showErrorCode(host, code,
                      "Fehler beim Schreiben der Aktenkofferdatei " + path + " (" + failedPath + "): ");
        return false;
    }
    setStatus("Fertig.");
    if (!exportSummary_.empty())
        host.message(MsgKind::Information, MsgButtons::Ok,
                     "Folgende Daten wurden in die Aktenkofferdatei \xFC"
                     "bertragen:\r\n\r\n" +
                         exportSummary_);
    changed();
    return true;
}

// ---- import

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

void TfrmSuitcase::loadLocalDatabase() {
    if (localDbLoaded_) return;
    localDbLoaded_ = true;
    localDb_.clear();
    localDbComplete_ = true;
    const std::string path = ctx_.workDirPath() + kCachesBin;
    if (!fileExists(path)) return;
    int err = 0;
    UniqueFd fd = openFile(path, O_RDONLY, 0, &err);
    if (fd) err = readAll(fd.get(), localDb_);
    localDb_.resize(localDb_.size() / kCacheRecSize * kCacheRecSize);
    localCount_ = std::int64_t(localDb_.size() / kCacheRecSize);
    if (err != 0) {
        localDbComplete_ = false;
        showErrorCode(ctx_.host(), err, "Fehler beim Lesen der Datei " + path);
    }
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
    loadLocalDatabase();
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

void TfrmSuitcase::mergeDatabase() {
    Host& host = ctx_.host();
    setStatus("Datenbank wird upgedated");
    if (!localDbComplete_) {
        // Rewriting from a partly read database would lose the records behind the failure.
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Die lokale Cache-Datenbank konnte nicht vollst\xE4ndig gelesen werden und wird nicht "
                     "ver\xE4ndert.");
        return;
    }
    const std::int64_t total = std::int64_t((localDb_.size() + content_.dbRecords.size()) / kCacheRecSize);
    host.beginProgress("Datenbank wird upgedated", total);
    std::int64_t lastEvents = 0;
    // A carried record whose waypoint breaks the rule is refused; the others are merged.
    std::string incoming;
    incoming.reserve(content_.dbRecords.size());
    for (std::size_t off = 0; off + kCacheRecSize <= content_.dbRecords.size(); off += kCacheRecSize) {
        const WaypointCheck check = checkWaypoint(cacheRecWaypoint(content_.dbRecords.data() + off));
        if (check.ok())
            incoming.append(content_.dbRecords, off, kCacheRecSize);
        else
            rejected_.push_back(check.problem);
    }
    DbMergeResult r = vellora::mergeDatabase(localDb_, incoming, opts.ImpDB == 0, [&](std::int64_t n) {
        host.setProgress(n);
        if (n - lastEvents >= 4096) {
            lastEvents = n;
            host.processEvents();
        }
    });
    host.endProgress();
    if (r.added + r.changed == 0) {
        counters_.dbDiscarded = r.discarded;
        return;
    }
    setStatus("Datenbank wird geschrieben");
    if (opts.AddNewDBRecsToCliplist) {
        if (const int code = writeListFile(opts.NewWPFilename, r.newWaypoints); code != 0)
            showErrorCode(host, code, "Fehler beim Schreiben der Datei " + opts.NewWPFilename + ": ");
    }
    setStatus("Cache-Datenbank wird geschrieben");
    if (const int code = writeFileAtomic(ctx_.workDirPath() + kCachesBin, r.records); code != 0) {
        showErrorCode(host, code, "Fehler beim Schreiben der Cache-Datenbank Caches.bin");
        return;
    }
    counters_.dbNew = r.added;
    counters_.dbChanged = r.changed;
    counters_.dbDiscarded = r.discarded;
    localDb_ = std::move(r.records);
    localCount_ = std::int64_t(localDb_.size() / kCacheRecSize);
    RebuildIndex(ctx_);
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

std::string TfrmSuitcase::cacheName(const std::string& waypoint) {
    const auto names = cacheNames({waypoint});
    return names.begin()->second;
}

std::map<std::string, std::string> TfrmSuitcase::cacheNames(const std::vector<std::string>& waypoints) const {
    // One pass over the database for all names; "?" for a cache it does not hold.
    std::map<std::string, std::string> names;
    for (const auto& wp : waypoints) names.emplace(upperCase(wp), "?");
    std::size_t open = names.size();
    for (std::size_t off = 0; open > 0 && off + kCacheRecSize <= localDb_.size(); off += kCacheRecSize) {
        const auto it = names.find(upperCase(cacheRecWaypoint(localDb_.data() + off)));
        if (it == names.end() || it->second != "?") continue;
        it->second = decodeCacheRec(localDb_.data() + off).CacheName;
        --open;
    }
    return names;
}

void TfrmSuitcase::mergeDescriptions() {
    Host& host = ctx_.host();
    descrTaken_ = true;
    setStatus("Verarbeite Cachebeschreibungen");
    const std::int32_t n = content_.descrCount;
    host.beginProgress("Verarbeite Cachebeschreibungen", n);
    auto log = [this](const std::string& text) { debugInfo(ctx_, kWhere, text); };
    log("Number of caches = " + num(n));
    const std::string out = ctx_.outDirPath();
    SuitcaseReader& r = reader_;
    r.setSection(SuitcaseSection::Descriptions);
    r.seek(content_.descrOffset);

    std::string kind, failedPath, failure;
    std::uint64_t blockBytes = 0;
    auto readFailed = [&] {
        kind = "EReadError";
        failedPath = suitcasePath_;
        failure = suitcaseReadErrorText(suitcasePath_, r.error());
        return false;
    };
    // Creates a file of the block; the bytes go into a temporary file until the block is complete.
    auto copyFile = [&](BlockFiles& files, const std::string& path, std::int32_t size) {
        auto file = std::make_unique<AtomicFileWriter>();
        if (const int code = file->open(path); code != 0) {
            kind = "EFCreateError";
            failedPath = path;
            failure = systemErrorText(code);
            return false;
        }
        const int code = r.copyTo(file->fd(), std::uint64_t(size));
        if (code < 0) return readFailed();
        if (code > 0) {
            kind = "EWriteError";
            failedPath = path;
            failure = systemErrorText(code);
            return false;
        }
        files.files.push_back(std::move(file));
        blockBytes += std::uint64_t(size);
        return true;
    };
    // Finished blocks wait here, so that one flush of the file system serves many files.
    std::vector<std::unique_ptr<AtomicFileWriter>> pending;
    std::uint64_t pendingBytes = 0;
    auto flushPending = [&] {
        if (pending.empty()) return true;
        int code = AtomicFileWriter::flushSynced(*pending.front());
        for (auto& file : pending) {
            if (code == 0) code = file->commitFlushed();
            if (code != 0) {
                kind = file->failedAtCreate() ? "EFCreateError" : "EWriteError";
                failedPath = file->path();
                failure = systemErrorText(code);
                break;
            }
        }
        pending.clear();
        pendingBytes = 0;
        syncParentDir(out);
        return code == 0;
    };
    // Only names that passed their rule are written; a refused one is only named in the log.
    auto outPath = [&](const std::string& name) {
        return safeJoin(out, name).value_or(out + escapedValue(name));
    };
    auto refuse = [&](const std::string& wp, const std::string& name) {
        rejected_.push_back(wp + ": " + name);
        debugError(ctx_, kWhere, "Refused file name: " + name);
    };

    bool ok = true;
    for (std::int32_t i = 0; i < n && ok; ++i) {
        host.setProgress(i);
        host.processEvents();
        BlockFiles files;
        blockBytes = 0;
        std::string wp, sub, mapName, imageName;
        double time = 0;
        std::int32_t pageSize = 0, size = 0, images = 0;
        if (!r.shortString(wp, kSuitcaseShortWidth)) {
            ok = readFailed();
            break;
        }
        log("Processing waypoint " + escapedValue(wp));
        const WaypointCheck check = checkWaypoint(wp);
        const bool gc = check.ok() && check.waypoint.compare(0, 2, "GC") == 0;
        bool skip = !gc;
        if (skip) {
            log("Invalid waypoint: " + escapedValue(wp) + " - skipping");
            if (!check.ok()) rejected_.push_back(check.problem);
        } else {
            wp = check.waypoint;
        }
        if (!r.date(time) || !r.shortString(sub, kSuitcaseLongWidth) || !r.size(pageSize)) {
            ok = readFailed();
            break;
        }
        time = saneDate(time);
        log("Cache loaded on " + formatDateTime(time));
        log("Outdir was: " + (sub.empty() ? std::string("[ROOT]") : sub));
        log("Cache description length = " + num(pageSize) + " bytes");
        if (pageSize < 1) skip = true;
        const std::string pagePath = outPath(wp + ".html");
        bool replaced = false;
        if (!skip && fileExists(pagePath)) {
            if (opts.DoubleCache == 2)
                skip = true;
            else if (opts.DoubleCache == 1 &&
                     wholeSeconds(fileModified(pagePath).value_or(0)) > wholeSeconds(time))
                skip = true;
            else
                replaced = true;
        }
        if (skip) log("Cache will be skipped due to user options");
        // The block is read on whether or not it is written; sizes were checked when the file was read.
        auto take = [&](const std::string& path, std::int32_t bytes, bool write) {
            return write ? copyFile(files, path, bytes) : (r.skip(std::uint64_t(bytes)) || readFailed());
        };
        log(skip ? "Skipping: " + wp : "Creating cache description file: " + pagePath);
        if (pageSize > 0 && !take(pagePath, pageSize, !skip)) {
            ok = false;
            break;
        }
        if (!r.size(size)) {
            ok = readFailed();
            break;
        }
        log("Meta file length = " + num(size) + " bytes");
        if (size > 0) {
            const std::string metaPath = outPath(wp + ".meta");
            log((skip ? "Skipping meta file: " : "Creating meta file: ") + metaPath);
            if (!take(metaPath, size, !skip)) {
                ok = false;
                break;
            }
        } else {
            log("No meta file available");
        }
        // A map or image name must be a plain name of this cache's files: nothing that climbs out of
        // the output directory or replaces another cache's or the program's files.
        auto checkedName = [&](const std::string& carried) -> std::optional<std::string> {
            auto name = plainFileName(carried);
            if (!name || !ownCarriedName(wp, *name)) {
                refuse(wp, escapedValue(carried));
                return std::nullopt;
            }
            return name;
        };
        if (!r.shortString(mapName, kSuitcaseLongWidth) || !r.size(size)) {
            ok = readFailed();
            break;
        }
        log("Map name is: " + extractFileName(mapName));
        log("Map size = " + num(size) + " bytes");
        if (size > 0) {
            const auto name = skip ? plainFileName(mapName) : checkedName(mapName);
            const std::string path = name ? outPath(*name) : out + escapedValue(extractFileName(mapName));
            log(((skip || !name) ? "Skipping map file: " : "Creating map file: ") + path);
            if (!take(path, size, !skip && name)) {
                ok = false;
                break;
            }
        } else {
            log("No map file available");
        }
        if (!r.count(images, kMinImageEntry)) {
            ok = readFailed();
            break;
        }
        log("Cache has " + num(images) + " images");
        for (std::int32_t k = 0; k < images && ok; ++k) {
            log("Processing image #" + num(k + 1));
            if (!r.shortString(imageName, kSuitcaseLongWidth) || !r.size(size)) {
                ok = readFailed();
                break;
            }
            log("Image name: " + imageName);
            log("Image size = " + num(size) + " bytes");
            if (size <= 0) continue;
            const auto name = skip ? plainFileName(imageName) : checkedName(imageName);
            const std::string path = name ? outPath(*name) : out + escapedValue(extractFileName(imageName));
            log(((skip || !name) ? "Skipping image: " : "Creating image: ") + path);
            if (!take(path, size, !skip && name)) ok = false;
        }
        if (!ok) break;
        for (auto& file : files.files) pending.push_back(std::move(file));
        pendingBytes += blockBytes;
        if (pending.size() >= 256 || pendingBytes >= (64u << 20)) ok = flushPending();
        if (!ok) break;
        if (skip) {
            discarded_.push_back(wp);
            ++counters_.descrDiscarded;
        } else {
            transferred_.push_back(wp);
            ++(replaced ? counters_.descrReplaced : counters_.descrNew);
        }
        log("Cache " + wp + " processed successfully");
    }
    // The blocks read whole are kept, also when a later one broke.
    if (!flushPending()) ok = false;
    host.endProgress();
    if (!ok) {
        descrError_ = true;
        showRejected();
        host.message(MsgKind::Error, MsgButtons::Ok,
                     "Streamingfehler \"" + (kind.empty() ? std::string("(unknown)") : kind) +
                         "\" aufgetreten.\r\n" + "Dateiname: " + failedPath + "\r\n" +
                         "Exception: " + (failure.empty() ? std::string("(nicht vorhanden)") : failure));
        return;
    }
    log("All cache processed successfully");
    showRejected();
    if (opts.ShowCacheSummary) {
        setStatus("Zusammenfassung wird erstellt");
        std::vector<std::string> all = transferred_;
        all.insert(all.end(), discarded_.begin(), discarded_.end());
        const auto names = cacheNames(all);
        auto named = [&](const std::string& wp) { return wp + ": " + names.at(upperCase(wp)); };
        if (transferred_.empty()) summary_.push_back(kNoDescriptionsTransferred);
        for (const auto& wp : transferred_) summary_.push_back(named(wp));
        if (!discarded_.empty()) {
            summary_.push_back(kDiscardedHeading);
            for (const auto& wp : discarded_) summary_.push_back(named(wp));
        }
        if (showSummary) showSummary(kSummaryHeading, summary_);
    }
    if (opts.InsertWorkList) adjustWorkList();
}

void TfrmSuitcase::showRejected() {
    if (rejected_.empty() || rejectedShown_ == rejected_.size()) return;
    rejectedShown_ = rejected_.size();
    std::string text =
        "Folgende Eintr\xE4ge aus dem Aktenkoffer wurden zur\xFC"
        "ckgewiesen und nicht \xFC"
        "bernommen:\r\n";
    for (const auto& line : rejected_) text += line + "\r\n";
    ctx_.host().message(MsgKind::Warning, MsgButtons::Ok, text);
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

void TfrmSuitcase::buildReport() {
    const SuitcaseCounters& c = counters_;
    auto line = [](const char* label, bool changedSomething, const std::string& text) {
        return std::string(label) + (changedSomething ? text : std::string("keine \xC4nderung")) + "\r\n";
    };
    report_ = "Folgende \xC4nderungen wurden auf dieser Vellora-Instanz durchgef\xFChrt:\r\n\r\n";
    report_ += line(
        "Arbeitsliste: ", c.workListNew > 0,
        num(c.workListNew) + " neue Eintr\xE4ge, " + num(c.workListPresent) + " waren bereits vorhanden");
    report_ +=
        line("Ignoreliste: ", c.ignoreNew > 0,
             num(c.ignoreNew) + " neue Eintr\xE4ge, " + num(c.ignorePresent) + " waren bereits vorhanden");
    report_ += line("Cache-Datenbank: ", c.dbNew + c.dbChanged > 0,
                    num(c.dbNew) + " neue Eintr\xE4ge, " + num(c.dbChanged) + " ge\xE4nderte Eintr\xE4ge, " +
                        num(c.dbDiscarded) + " Datens\xE4tze verworfen");
    report_ +=
        line("Eigene Funde: ", findsTaken_ && c.findsNew + c.findsUpdated > 0,
             num(c.findsNew) + " neue Eintr\xE4ge, " + num(c.findsUpdated) + " aktualisierte Eintr\xE4ge.");
    report_ += line("Cache-Beschreibungen: ", descrTaken_ && c.descrNew + c.descrReplaced > 0,
                    num(c.descrNew) + " neue, " + num(c.descrReplaced) + " ersetzte, " +
                        num(c.descrDiscarded) + " verworfene Beschreibungen.");
}

}  // namespace vellora
