#include "suitcase/SuitcaseExport.h"

#include <fcntl.h>

#include <algorithm>

#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileTime.h"
#include "core/FileUtil.h"
#include "core/FoundList.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/MapTiles.h"
#include "core/RunContext.h"
#include "core/StrUnit.h"
#include "core/UpperCase.h"
#include "suitcase/Suitcase.h"

namespace vellora {

namespace {

using std::to_string;

}  // namespace

SuitcaseExport::SuitcaseExport(RunContext& ctx, const SuitcaseOptions& opts, StatusFn status)
    : ctx_(ctx), opts_(opts), status_(std::move(status)) {}

void SuitcaseExport::fail(int code, const std::string& path) {
    code_ = code;
    failedPath_ = path;
}

int SuitcaseExport::writeTo(const std::string& path) {
    summary_.clear();
    failedPath_ = path;
    code_ = w_.open(path);
    if (code_ == 0) databaseSection();
    if (code_ == 0)
        listSection(opts_.ExpWorklist, kWorkListFileName, "Schreibe Arbeitsliste",
                    " Arbeitslisten-Eintr\xE4ge");
    if (code_ == 0) findsSection();
    if (code_ == 0)
        listSection(opts_.ExpIgnore, kIgnoreListFileName, "Schreibe Ignoreliste",
                    " Ignorelisten-Eintr\xE4ge");
    if (code_ == 0) notesSection();
    if (code_ == 0) descriptionsSection();
    if (code_ == 0) fail(w_.commit(), path);
    return code_;
}

void SuitcaseExport::listSection(bool on, const char* fileName, const char* status, const char* what) {
    const std::string listPath = ctx_.workDirPath() + fileName;
    if (!on || !fileExists(listPath)) {
        w_.int32(0);
        return;
    }
    status_(status);
    int err = 0;
    const std::vector<std::string> lines = readListFile(listPath, &err);
    if (err != 0) return fail(err, listPath);
    w_.int32(static_cast<std::int32_t>(lines.size()));
    for (const auto& line : lines) w_.shortString(line, kSuitcaseShortWidth);
    summary_ += to_string(lines.size()) + what + "\r\n";
}

// The records are copied as they are; a read error ends them, the count follows.
void SuitcaseExport::databaseSection() {
    const std::string dbPath = ctx_.workDirPath() + "Caches.bin";
    UniqueFd db;
    if (opts_.ExpCacheDB && fileExists(dbPath)) db = openFile(dbPath, O_RDONLY);
    if (!db) {
        w_.int32(0);
        return;
    }
    status_("Schreibe Cache-Datenbank");
    const std::uint64_t countAt = w_.offset();
    w_.int32(0);
    std::string chunk(kCacheRecSize * 4096, '\0');
    std::int64_t records = 0;
    for (;;) {
        std::size_t got = 0;
        const int err = readFully(db.get(), chunk.data(), chunk.size(), got);
        const std::size_t whole = got / kCacheRecSize;
        w_.bytes(std::string_view(chunk.data(), whole * kCacheRecSize));
        records += std::int64_t(whole);
        if (err != 0) debugError(ctx_, "frmSuitcase.btnSaveClick", dbPath + ": " + systemErrorText(err));
        if (err != 0 || got < chunk.size()) break;
    }
    w_.patchInt32(countAt, static_cast<std::int32_t>(records));
    summary_ += to_string(records) + " Datens\xE4tze aus Cache-Datenbank\r\n";
}

void SuitcaseExport::findsSection() {
    const std::string findsPath = ctx_.workDirPath() + kFoundFileName;
    if (!opts_.ExpFinds || !fileExists(findsPath)) {
        w_.int32(0);
        return;
    }
    status_("Schreibe Fundliste");
    std::vector<TFoundRec> finds;
    if (const int err = readFoundRecords(findsPath, finds); err != 0) return fail(err, findsPath);
    w_.int32(static_cast<std::int32_t>(finds.size()));
    std::string bytes;
    for (const auto& rec : finds) encodeFoundRec(rec, bytes);
    w_.bytes(bytes);
    summary_ += to_string(finds.size()) + " Fundlisten-Eintr\xE4ge\r\n";
}

void SuitcaseExport::notesSection() {
    const std::string notesPath = ctx_.workDirPath() + kNotesFileName;
    if (!opts_.ExpNotes || !fileExists(notesPath)) {
        w_.int32(0);
        return;
    }
    int err = 0;
    const std::vector<std::string> lines = readListFile(notesPath, &err);
    if (err != 0) return fail(err, notesPath);
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    w_.int32(static_cast<std::int32_t>(text.size()));
    w_.bytes(text);
    summary_ += to_string(text.size()) + " Zeichen aus pers\xF6nlichen Cachenotizen\r\n";
}

std::vector<SuitcaseExport::Page> SuitcaseExport::collectPages() const {
    const std::string out = ctx_.outDirPath();
    std::vector<Page> pages;
    auto collect = [&](const std::string& sub) {
        const std::string dir = sub.empty() ? out : out + sub + "/";
        for (auto& name : listFiles(dir, "GC*.html"))
            if (upperCase(name).find("_CONVERTED") == std::string::npos) pages.push_back({sub, name});
    };
    if (dirExists(out)) {
        collect("");
        if (opts_.ExpDescrSubdir)
            for (const auto& sub : listDirs(out))
                if (!sub.empty() && sub[0] != '.') collect(sub);
    }
    return pages;
}

void SuitcaseExport::descriptionsSection() {
    if (!opts_.ExpDescr) {
        w_.int32(0);
        return;
    }
    const std::vector<Page> pages = collectPages();
    w_.int32(static_cast<std::int32_t>(pages.size()));
    std::size_t images = 0;
    for (const Page& page : pages) {
        if (code_ != 0 || w_.error() != 0) break;
        images += pageBlock(page);
    }
    if (code_ == 0)
        summary_ += to_string(pages.size()) + " Cachebeschreibungen mit insgesamt " + to_string(images) +
                    " Cache-Images\r\n";
}

void SuitcaseExport::fileBlock(const std::string& file) {
    if (code_ != 0) return;
    if (const int err = w_.fileBlock(file); err != 0) fail(err, file);
}

std::size_t SuitcaseExport::pageBlock(const Page& page) {
    const std::string out = ctx_.outDirPath();
    const std::string dir = page.sub.empty() ? out : out + page.sub + "/";
    const std::string prefix = page.sub.empty() ? "" : page.sub + "\\";
    const std::string wp = waypointFromFileName(page.name).substr(0, kSuitcaseListEntryMax);
    status_("Schreibe Cache: " + prefix + wp);
    w_.shortString(wp, kSuitcaseShortWidth);
    w_.date(fileModified(dir + page.name).value_or(ctx_.now()));
    w_.shortString(page.sub, kSuitcaseLongWidth);
    std::string metaName = page.name;
    replaceAll(metaName, ".html", ".meta");
    fileBlock(dir + page.name);
    fileBlock(dir + metaName);
    // One map travels with a page: the classic one, else the OpenStreetMap map.
    std::vector<std::string> maps = listFiles(dir, wp + "_map.*");
    if (maps.empty()) maps = listFiles(dir, wp + kOsmMapSuffix);
    if (maps.empty()) {
        w_.shortString("", kSuitcaseLongWidth);
        w_.int32(0);
    } else {
        w_.shortString(prefix + maps.front(), kSuitcaseLongWidth);
        fileBlock(dir + maps.front());
    }
    const std::string metaPath = dir + wp + ".meta";
    const std::vector<std::string> lines =
        fileExists(metaPath) ? readListFile(metaPath) : std::vector<std::string>{};
    const std::size_t m = !lines.empty() && lines.size() % 3 == 0 ? lines.size() / 3 : 0;
    w_.int32(static_cast<std::int32_t>(m));
    for (std::size_t i = 0; i < m; ++i) {
        std::string name = lines[3 * i].substr(std::min<std::size_t>(2, lines[3 * i].size()));
        const std::size_t sep = name.find_last_of("\\/");
        if (sep != std::string::npos) name.erase(0, sep + 1);
        w_.shortString(prefix + name, kSuitcaseLongWidth);
        fileBlock(dir + name);
    }
    return m;
}

// ---- the dialog's side

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
    SuitcaseExport writer(ctx_, opts, [this](const std::string& text) { setStatus(text); });
    const int code = writer.writeTo(path);
    exportSummary_ = writer.summary();
    busy_ = false;
    if (code != 0) {
        setStatus("");
        showErrorCode(
            host, code,
            "Fehler beim Schreiben der Aktenkofferdatei " + path + " (" + writer.failedPath() + "): ");
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

}  // namespace vellora
