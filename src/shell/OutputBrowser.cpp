#include "shell/OutputBrowser.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <numeric>
#include <optional>

#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/GCDBParse.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"
#include "core/UpperCase.h"

namespace vellora {

namespace fs = std::filesystem;

namespace {

constexpr const char* kReadErrorText = "Fehler beim Lesen der Datei ";
constexpr const char* kWriteErrorText = "Fehler beim Schreiben der Datei ";

// The waypoint of a converted description or a cache file: the name up to its first "_".
std::string waypointBefore(const std::string& name, char stop) {
    const auto pos = name.find(stop);
    return pos == std::string::npos ? name : name.substr(0, pos);
}

// The files W + "_" + anything with a "." after the "_". Compared by prefix rather than with a
// wildcard mask, so that a waypoint holding "*" or "?" cannot reach other caches' files.
std::vector<std::string> underscoreFiles(const std::string& dir, const std::string& waypoint) {
    std::vector<std::string> out;
    for (auto& name : listFiles(dir)) {
        if (name.size() <= waypoint.size() + 1 || name[waypoint.size()] != '_') continue;
        if (!equalsNoCase(std::string_view(name).substr(0, waypoint.size()), waypoint)) continue;
        if (name.find('.', waypoint.size() + 1) == std::string::npos) continue;
        out.push_back(std::move(name));
    }
    return out;
}

std::optional<fs::file_time_type> modifiedTime(const std::string& path) {
    std::error_code ec;
    const auto t = fs::last_write_time(path, ec);
    if (ec) return std::nullopt;
    return t;
}

bool isSymlink(const std::string& path) {
    std::error_code ec;
    return fs::is_symlink(path, ec);
}

// The subdirectories that belong to the output directory itself: links to directories elsewhere
// are left out, so that no operation of the browser deletes outside the output directory.
std::vector<std::string> ownSubdirs(const std::string& dir) {
    std::vector<std::string> names = listDirs(dir);
    std::erase_if(names, [&](const std::string& name) { return isSymlink(dir + name); });
    return names;
}

}  // namespace

OutputBrowser::OutputBrowser(RunContext& ctx, Host& host) : ctx_(ctx), host_(host) {
    nodes_.push_back({kRootCaption, ctx_.outDirPath()});
}

void OutputBrowser::notifyTree() {
    if (observer_) observer_->treeChanged();
}
void OutputBrowser::notifyList() {
    if (observer_) observer_->listChanged();
}
void OutputBrowser::notifyMarks() {
    if (observer_) observer_->marksChanged();
}
void OutputBrowser::notifyMenu() {
    if (observer_) observer_->menuChanged();
}

const std::string& OutputBrowser::selectedDir() const {
    return nodes_[static_cast<std::size_t>(selected_)].dir;
}

std::string OutputBrowser::treeHint() const {
    return std::string(kTreeHintPrefix) + ctx_.outDirPath();
}

std::string OutputBrowser::dirOfNode(int node) const {
    if (node < 0 || node >= static_cast<int>(nodes_.size())) return {};
    return nodes_[static_cast<std::size_t>(node)].dir;
}

void OutputBrowser::reloadTree() {
    const std::string out = ctx_.outDirPath();
    nodes_.clear();
    nodes_.push_back({kRootCaption, out});
    std::vector<std::string> names = ownSubdirs(out);
    std::stable_sort(names.begin(), names.end(), LessNoCase{});
    for (auto& name : names) nodes_.push_back({name, out + name + "/"});
    selected_ = 0;
    notifyTree();
    rebuildList();
}

void OutputBrowser::tvDirChange(int node) {
    if (node < 0 || node >= static_cast<int>(nodes_.size())) return;
    selected_ = node;
    notifyTree();
    rebuildList();
}

void OutputBrowser::setSelectedHome(double lat, double lon) {
    homeLat_ = lat;
    homeLon_ = lon;
    rebuildList();
}

void OutputBrowser::updateIndexItem() {
    const std::string index = selectedDir() + kIndexFileName;
    const auto indexTime = modifiedTime(index);
    indexExists_ = indexTime.has_value();
    indexOutdated_ = false;
    if (!indexExists_) return;
    for (const auto& name : listFiles(selectedDir(), "*_converted.html")) {
        const auto t = modifiedTime(selectedDir() + name);
        if (t && *t > *indexTime) {
            indexOutdated_ = true;
            break;
        }
    }
}

void OutputBrowser::rebuildList() {
    updateIndexItem();
    entries_.clear();
    focused_ = -1;
    const std::string& dir = selectedDir();
    for (const auto& name : listFiles(dir, "GC*_converted.html")) {
        Entry e;
        e.waypoint = waypointBefore(name, '_');
        TCacheRec rec;
        if (FindCache(ctx_, e.waypoint, rec)) {
            e.icon = CacheTypeCode(rec.CacheType);
            e.name = rec.CacheName;
        } else {
            e.icon = kUnknownTypeIcon;
            e.name = kNotInDbName;
        }
        const auto db = DistanceBearing(rec.Lat, rec.Lon, homeLat_, homeLon_);
        e.distance = db.ok ? formatFixedSignificant(db.distanceKm, 8, 1, ',') : kNoDistance;
        entries_.push_back(std::move(e));
    }
    sortEntries();
    notifyList();
    notifyMenu();
}

std::string OutputBrowser::listCaption() const {
    return std::to_string(entries_.size()) + kListCaptionSuffix;
}

void OutputBrowser::sortEntries() {
    // A stable sort with a proper ordering: entries that compare equal keep the directory order
    // (an ordering that never answers "equal" is no strict weak ordering and breaks std::sort).
    const auto distanceOf = [](const Entry& e) { return parseDouble(e.distance, ',').value_or(0.0); };
    const int column = sortColumn_;
    const bool descending = sortDir_ == 1;
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::vector<double> distances;
    if (column == 2) {
        for (const auto& e : entries_) distances.push_back(distanceOf(e));
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (descending) std::swap(a, b);
        if (column == 2) return distances[a] < distances[b];
        const Entry& x = entries_[a];
        const Entry& y = entries_[b];
        return column == 1 ? compareNoCase(x.name, y.name) < 0 : compareNoCase(x.waypoint, y.waypoint) < 0;
    });
    std::vector<Entry> sorted;
    sorted.reserve(entries_.size());
    int focused = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (static_cast<int>(order[i]) == focused_) focused = static_cast<int>(i);
        sorted.push_back(std::move(entries_[order[i]]));
    }
    entries_ = std::move(sorted);
    focused_ = focused;
}

void OutputBrowser::setSort(int column, int direction) {
    sortColumn_ = column >= 0 && column <= 2 ? column : 0;
    sortDir_ = direction == 1 ? 1 : 0;
    lastClicked_ = sortColumn_;
    sortEntries();
    notifyList();
}

void OutputBrowser::lvColumnClick(int column) {
    if (column < 0 || column > 2) return;
    sortDir_ = column == lastClicked_ ? 1 - sortDir_ : 0;
    sortColumn_ = column;
    lastClicked_ = column;
    sortEntries();
    notifyList();
}

std::array<int, 3> OutputBrowser::columnWidths() const {
    const auto& s = ctx_.settings;
    const std::array<int, 3> stored = {s.Main_Col1Width, s.Main_Col2Width, s.Main_Col3Width};
    if (stored[0] + stored[1] + stored[2] > 0) return stored;
    return {73, listClientWidth_ - 153, 60};
}

void OutputBrowser::setColumnWidths(const std::array<int, 3>& widths) {
    auto& s = ctx_.settings;
    s.Main_Col1Width = widths[0];
    s.Main_Col2Width = widths[1];
    s.Main_Col3Width = widths[2];
}

// Marking -----------------------------------------------------------------------------------

void OutputBrowser::setMarked(int index, bool marked) {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return;
    entries_[static_cast<std::size_t>(index)].marked = marked;
}

void OutputBrowser::setAllMarks(const std::vector<bool>& marks) {
    for (std::size_t i = 0; i < entries_.size(); ++i) entries_[i].marked = i < marks.size() && marks[i];
}

int OutputBrowser::markedCount() const {
    return static_cast<int>(
        std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.marked; }));
}

std::vector<std::string> OutputBrowser::markedWaypoints() const {
    std::vector<std::string> out;
    for (const auto& e : entries_) {
        if (e.marked) out.push_back(e.waypoint);
    }
    return out;
}

int OutputBrowser::currentEntry() const {
    if (focused_ >= 0) return focused_;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].marked) return static_cast<int>(i);
    }
    return -1;
}

void OutputBrowser::MarkAllClick() {
    for (auto& e : entries_) e.marked = true;
    notifyMarks();
}

void OutputBrowser::MarkNoneClick() {
    for (auto& e : entries_) e.marked = false;
    notifyMarks();
}

void OutputBrowser::MarkInvertClick() {
    for (auto& e : entries_) e.marked = !e.marked;
    notifyMarks();
}

void OutputBrowser::MarkWorkListClick() {
    for (auto& e : entries_) e.marked = false;
    const std::string path = ctx_.workDirPath() + kWorkListFileName;
    int code = 0;
    const auto lines = readListFile(path, &code);
    if (code != 0) {
        notifyMarks();
        showErrorCode(host_, code, kReadErrorText + path);
        return;
    }
    for (const auto& line : lines) {
        if (line.size() < 2 || upperCase(line.substr(0, 2)) != "GC") continue;
        for (auto& e : entries_) {
            if (e.waypoint == line) e.marked = true;
        }
    }
    notifyMarks();
}

void OutputBrowser::MarkExcludeListClick() {
    std::vector<std::string> found;
    const int code = LoadFoundWaypoints(ctx_, found);
    host_.beginProgress(kReadingFindsText, static_cast<std::int64_t>(found.size()));
    for (auto& e : entries_) e.marked = false;
    notifyMarks();
    for (std::size_t i = 0; i < found.size(); ++i) {
        // Indexed afresh each time: pending events may have rebuilt the list.
        for (auto& e : entries_) {
            if (e.waypoint == found[i]) e.marked = true;
        }
        host_.setProgress(static_cast<std::int64_t>(i + 1));
        host_.processEvents();
    }
    const std::string ignorePath = ctx_.workDirPath() + kIgnoreListFileName;
    if (fileExists(ignorePath)) {
        for (const auto& line : readListFile(ignorePath)) {
            for (auto& e : entries_) {
                if (equalsNoCase(e.waypoint, line)) e.marked = true;
            }
        }
    }
    host_.endProgress();
    notifyMarks();
    showErrorCode(host_, code, kReadErrorText + ctx_.workDirPath() + kFoundFileName);
}

// List operations ---------------------------------------------------------------------------

void OutputBrowser::ShowInBrowserClick() {
    const int i = currentEntry();
    if (i < 0) return;
    host_.openWithSystem(selectedDir() + entries_[static_cast<std::size_t>(i)].waypoint + "_converted.html");
}

void OutputBrowser::Dateipfadkopieren1Click() {
    const int i = currentEntry();
    if (i < 0) return;
    host_.setClipboardText(selectedDir() + entries_[static_cast<std::size_t>(i)].waypoint +
                           "_converted.html");
}

void OutputBrowser::EditLongDescrClick() {
    if (!editLongDescrEnabled()) return;
    const int i = currentEntry();
    if (i < 0) return;
    actions_.editLongDescription(selectedDir(), entries_[static_cast<std::size_t>(i)].waypoint);
}

void OutputBrowser::mnuShowGoogleMapsClick() {
    if (!actions_.showOnMap) return;
    const auto it = std::find_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.marked; });
    if (it == entries_.end()) {
        host_.message(MsgKind::Warning, MsgButtons::Ok, "Bitte zuerst einen Cache markieren.");
        return;
    }
    TCacheRec rec;
    if (!FindCache(ctx_, it->waypoint, rec)) {
        host_.message(MsgKind::Error, MsgButtons::Ok, "Zugeh\xF6riger Cache nicht in Datenbank gefunden.");
        return;
    }
    actions_.showOnMap(rec.Lat, rec.Lon);
}

void OutputBrowser::lvDblClick(int index) {
    if (index < 0 || index >= static_cast<int>(entries_.size()) || !actions_.showDetails) return;
    TCacheRec rec;
    if (!FindCache(ctx_, entries_[static_cast<std::size_t>(index)].waypoint, rec)) return;
    actions_.showDetails(rec, selectedDir());
}

void OutputBrowser::CreateIndexFromDir() {
    if (!actions_.createIndex) return;
    const std::string dir = selectedDir();
    actions_.createIndex(dir);
    updateIndexItem();
    notifyMenu();
}

void OutputBrowser::Indexdateianzeigen1Click() {
    const std::string index = selectedDir() + kIndexFileName;
    if (!fileExists(index)) return;
    host_.openWithSystem(index);
}

void OutputBrowser::CSVExportdiesesVerzeichnisses1Click() {
    if (!actions_.exportDirectory) return;
    std::vector<std::string> lines;
    for (const auto& e : entries_) lines.push_back(e.waypoint);
    const std::string path = ctx_.workDirPath() + kDirListFileName;
    if (const int code = writeListFile(path, lines); code != 0) {
        showErrorCode(host_, code, kWriteErrorText + path);
        return;
    }
    actions_.exportDirectory(path);
}

void OutputBrowser::DeleteMarkedClick() {
    const MsgResult answer =
        host_.message(MsgKind::Warning, MsgButtons::YesNoDefaultNo,
                      "Achtung! Alle Dateien zu den markierten Caches werden unwiderruflich "
                      "gel\xF6scht!\r\n\r\nMarkierte Caches wirklich l\xF6schen?");
    if (answer == MsgResult::No) return;
    const std::string dir = selectedDir();
    const auto waypoints = markedWaypoints();
    std::size_t files = 0;
    for (const auto& w : waypoints) {
        removeFile(dir + w + ".html");
        removeFile(dir + w + ".meta");
        files += 2;
        for (const auto& name : underscoreFiles(dir, w)) {
            removeFile(dir + name);
            ++files;
        }
    }
    rebuildList();
    if (ctx_.settings.ShowMessages) {
        host_.message(MsgKind::Information, MsgButtons::Ok,
                      std::to_string(waypoints.size()) +
                          (waypoints.size() == 1 ? " Cache gel\xF6scht (" : " Caches gel\xF6scht (") +
                          std::to_string(files) + " Dateien insgesamt)");
    }
}

void OutputBrowser::ReloadMarkedClick() {
    if (!actions_.reloadListings) return;
    const auto waypoints = markedWaypoints();
    // An empty explicit list would make the loader fall back to the whole work list.
    if (waypoints.empty()) return;
    const MsgResult answer =
        host_.message(MsgKind::Confirmation, MsgButtons::YesNoCancel,
                      std::to_string(waypoints.size()) + " Cachebeschreibungen werden erneut geladen." +
                          "\r\n\r\n" + "Sollen die Wegpunkte dieser Caches der Arbeitsliste " +
                          "hinzugef\xFCgt werden, um nach dem erneuten Laden eine einfachere " +
                          "Erzeugung der konvertierten Beschreibungen zu erm\xF6glichen?");
    if (answer == MsgResult::Cancel) return;
    const bool addToWorkList = answer == MsgResult::Yes;
    const std::string path = ctx_.workDirPath() + kWorkListFileName;
    std::vector<std::string> list;
    if (addToWorkList) {
        list = readListFile(path);
        for (const auto& w : waypoints) {
            const bool known = std::any_of(list.begin(), list.end(),
                                           [&](const std::string& l) { return equalsNoCase(l, w); });
            if (!known) list.push_back(w);
        }
    }
    actions_.reloadListings(waypoints);
    if (addToWorkList) {
        if (const int code = writeListFile(path, list); code != 0)
            showErrorCode(host_, code, kWriteErrorText + path);
    }
}

// Moving ------------------------------------------------------------------------------------

void OutputBrowser::moveMarkedTo(int node) {
    const std::string target = dirOfNode(node);
    if (target.empty()) return;
    const std::string source = selectedDir();
    if (target == source) {
        host_.message(
            MsgKind::Error, MsgButtons::Ok,
            "Caches k\xF6nnen nicht in das Verzeichnis verschoben werden, in dem sie bereits liegen.");
        return;
    }
    const auto waypoints = markedWaypoints();
    if (waypoints.empty()) return;
    if (observer_) observer_->busyChanged(true, true);
    host_.beginProgress(kMovingText, static_cast<std::int64_t>(waypoints.size()));
    std::size_t moved = 0, failed = 0;
    std::int64_t step = 0;
    for (const auto& w : waypoints) {
        std::vector<std::pair<std::string, bool>> files;  // name, counted
        files.emplace_back(w + ".html", true);
        files.emplace_back(w + ".meta", false);
        for (auto& name : underscoreFiles(source, w)) files.emplace_back(std::move(name), true);
        for (const auto& [name, counted] : files) {
            // Only files that exist belong to the cache; after a clean-up W.html and W.meta are gone.
            if (!fileExists(source + name)) continue;
            const bool ok = copyFileAtomic(source + name, target + name) == 0;
            if (ok) removeFile(source + name);
            if (counted) ++(ok ? moved : failed);
        }
        host_.setProgress(++step);
        host_.processEvents();
    }
    host_.endProgress();
    if (observer_) observer_->busyChanged(false, false);
    rebuildList();
    if (ctx_.settings.ShowMessages) {
        std::string text = std::to_string(moved) + " Dateien aus " + std::to_string(waypoints.size()) +
                           " Caches erfolgreich von " + source + " nach " + target + " verschoben.";
        if (failed > 0) {
            text += "\r\n\r\n" + std::to_string(failed) + " Dateien konnten nicht " +
                    "verschoben werden und wurden im urspr\xFCnglichen Verzeichnis belassen.";
        }
        host_.message(MsgKind::Information, MsgButtons::Ok, text);
    }
}

// Tree operations ---------------------------------------------------------------------------

bool OutputBrowser::isDirNameKey(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32) return true;
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return c == ' ' || c == '!' || c == '-' || c == '.' || c == '_';
}

bool OutputBrowser::CreateNewDirClick(const std::string& name) {
    // The key filter keeps typed names clean; a pasted text is checked here, and "." and ".."
    // would name the output directory or its parent.
    const bool valid =
        !name.empty() && name != "." && name != ".." && std::all_of(name.begin(), name.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 32 && isDirNameKey(c);
        });
    int code = EINVAL;
    if (valid) code = ::mkdir((ctx_.outDirPath() + name).c_str(), 0777) == 0 ? 0 : errno;
    if (code != 0) {
        showErrorCode(host_, code, "Fehler beim Anlegen des Verzeichnisses");
        return false;
    }
    reloadTree();
    return true;
}

bool OutputBrowser::confirmErase(const std::string& dir) {
    const MsgResult answer =
        host_.message(MsgKind::Warning, MsgButtons::YesNoDefaultNo,
                      "Achtung! Alle Caches im Verzeichnis\r\n\r\n" + dir + "\r\n\r\n" +
                          "werden unwiderruflich gel\xF6scht! Verzeichnis wirklich l\xF6schen?");
    return answer != MsgResult::No;
}

void OutputBrowser::eraseCaches(const std::string& dir) {
    for (const auto& name : listFiles(dir, "GC*.*")) removeFile(dir + name);
    removeFile(dir + kIndexFileName);
}

void OutputBrowser::EraseDirClick() {
    const std::string dir = selectedDir();
    if (!confirmErase(dir)) return;
    if (observer_) observer_->busyChanged(true, false);
    eraseCaches(dir);
    if (observer_) observer_->busyChanged(false, false);
    reloadTree();
}

void OutputBrowser::EraseAllDirsClick() {
    const std::string out = ctx_.outDirPath();
    if (!confirmErase(out)) return;
    if (observer_) observer_->busyChanged(true, false);
    eraseCaches(out);
    for (const auto& name : ownSubdirs(out)) {
        eraseCaches(out + name + "/");
        ::rmdir((out + name).c_str());  // stays when not empty
    }
    if (observer_) observer_->busyChanged(false, false);
    reloadTree();
}

void OutputBrowser::gewhltesVerzeichnisaufrumen1Click() {
    const std::string dir = selectedDir();
    const MsgResult answer = host_.message(
        MsgKind::Confirmation, MsgButtons::YesNoDefaultNo,
        "Die Aufr\xE4umfunktion entfernt aus dem gew\xE4hlten Verzeichnis alle Originalbeschreibungen und "
        "Meta-Dateien.\r\n\r\nDie Funktion ist nach dem Konvertieren der Beschreibungen sinnvoll, um "
        "Speicherplatz "
        "auf der Festplatte freizugeben, da die Originalbeschreibungen und Meta-Dateien nach dem "
        "konvertieren nicht "
        "mehr ben\xF6tigt werden.\r\n\r\nSoll das gew\xE4hlte Verzeichnis " +
            dir + " aufger\xE4umt werden?");
    if (answer == MsgResult::No) return;
    std::size_t count = 0;
    for (const char* mask : {"GC????.htm*", "GC?????.htm*", "*.meta"}) {
        for (const auto& name : listFiles(dir, mask)) {
            removeFile(dir + name);
            ++count;
        }
    }
    if (ctx_.settings.ShowMessages) {
        host_.message(MsgKind::Information, MsgButtons::Ok,
                      std::to_string(count) + " Dateien wurden aus dem Verzeichnis " + "\r\n" + dir + "\r\n" +
                          "gel\xF6scht.");
    }
}

void OutputBrowser::OriginalbeschreibungeninArbeitsliste1Click() {
    if (!savedPagesToWorkListEnabled()) return;
    const MsgResult answer = host_.message(
        MsgKind::Confirmation, MsgButtons::YesNoCancel,
        "Diese Funktion durchsucht das gew\xE4hlte Verzeichnis nach Originalbeschreibungen und nimmt die "
        "entsprechenden Wegpunkte in in die Arbeitsliste auf.\r\n\r\nSollen die in der Arbeitsliste "
        "eventuell schon "
        "gespeicherten Wegpunkte beibehalten werden?");
    if (answer == MsgResult::Cancel) return;
    const std::string path = ctx_.workDirPath() + kWorkListFileName;
    std::vector<std::string> list;
    if (answer == MsgResult::Yes) list = readListFile(path);
    const std::size_t start = list.size();
    const std::string dir = selectedDir();
    for (const auto& name : listFiles(dir, "GC*.html")) {
        if (name.find('_') != std::string::npos) continue;
        const std::string w = waypointBefore(name, '.');
        TCacheRec rec;
        if (!FindCache(ctx_, w, rec)) continue;
        const bool known =
            std::any_of(list.begin(), list.end(), [&](const std::string& l) { return equalsNoCase(l, w); });
        if (!known) list.push_back(w);
    }
    if (const int code = writeListFile(path, list); code != 0) {
        showErrorCode(host_, code, kWriteErrorText + path);
        return;
    }
    if (ctx_.settings.ShowMessages) {
        host_.message(
            MsgKind::Information, MsgButtons::Ok,
            std::to_string(list.size() - start) + " Wegpunkte wurden in die Arbeitsliste aufgenommen.");
    }
}

}  // namespace vellora
