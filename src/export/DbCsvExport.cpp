#include "export/DbCsvExport.h"

#include <fcntl.h>

#include <cmath>

#include "core/CacheRecordReader.h"
#include "core/CsvCell.h"
#include "core/DateUtil.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/Global.h"
#include "core/Host.h"
#include "core/Koord.h"
#include "core/NumberText.h"
#include "core/RunContext.h"

namespace vellora {

namespace {

struct ColumnInfo {
    const char* caption;
    const char* header;
    bool quoted;
};

constexpr ColumnInfo kColumns[kDbCsvColumnCount] = {
    {"Cache-ID bei Tovaro", "ID", false},
    {"Cachename", "Cachename", true},
    {"Versteckdatum", "Versteckdatum", true},
    {"Koordinaten (Lage)", "Koordinaten", true},
    {"Cachegr\xF6\xDF"
     "e",
     "Gr\xF6\xDF"
     "e",
     true},
    {"Cachetyp", "Typ", true},
    {"Waypoint", "Waypoint", true},
    {"Difficulty", "Diff.", true},
    {"Terrain", "Terrain", true},
    {"Land", "Land", true},
    {"Home-Entfernung", "km von Home", false},
};

std::string firstDotToComma(std::string text) {
    const auto pos = text.find('.');
    if (pos != std::string::npos) text[pos] = ',';
    return text;
}

std::string columnValue(const RunContext& ctx, const TCacheRec& r, int column) {
    switch (column) {
        case kDbCsvID:
            return std::to_string(r.CacheID);
        case kDbCsvName:
            return r.CacheName;
        case kDbCsvHiddenDate:
            return r.HiddenDate != std::trunc(r.HiddenDate) ? formatDateTime(r.HiddenDate)
                                                            : formatDate(r.HiddenDate);
        case kDbCsvCoord:
            return FormatLatLon(r.Lat, r.Lon);
        case kDbCsvSize:
            return r.CacheSize;
        case kDbCsvType:
            return r.CacheType;
        case kDbCsvWaypoint:
            return r.Waypoint;
        case kDbCsvDifficulty:
            return firstDotToComma(r.Difficulty);
        case kDbCsvTerrain:
            return firstDotToComma(r.Terrain);
        case kDbCsvCountry:
            return countryNameByID(ctx.countries, r.CountryID);
        case kDbCsvHomeDist:
            return formatFixedSignificant(r.HomeDist, 8, 2, ',');
        default:
            return {};
    }
}

void endLine(std::string& out, std::size_t lineStart) {
    if (out.size() > lineStart) {
        out.pop_back();
        out += "\r\n";
    }
}

}  // namespace

const char* dbCsvColumnCaption(int column) {
    return column >= 0 && column < kDbCsvColumnCount ? kColumns[column].caption : "";
}

int writeDbCsv(RunContext& ctx, const DbCsvOptions& options, const std::string& fileName) {
    UniqueFd db = openFile(ctx.workDirPath() + "Caches.bin", O_RDONLY);
    if (!db) return 0;
    // What an export killed in this folder left behind.
    removeStaleTempFilesBeside(fileName);
    AtomicFileWriter writer;
    if (writer.open(fileName) != 0) return 0;
    std::string out;
    if (options.headline) {
        // The header line is written even when no column is chosen (then it is empty).
        for (int c = 0; c < kDbCsvColumnCount; ++c) {
            if (options.columns[static_cast<std::size_t>(c)])
                out += csvCell(kColumns[c].header, ';', true) + ';';
        }
        if (!out.empty()) out.pop_back();
        out += "\r\n";
    }
    int count = 0;
    CacheRecordReader reader(db.get());
    while (const char* bytes = reader.next()) {
        const TCacheRec r = decodeCacheRec(bytes);
        const std::size_t start = out.size();
        for (int c = 0; c < kDbCsvColumnCount; ++c) {
            if (!options.columns[static_cast<std::size_t>(c)]) continue;
            out += csvCell(columnValue(ctx, r, c), ';', kColumns[c].quoted);
            out += ';';
        }
        endLine(out, start);
        ++count;
        if (out.size() > (1u << 20)) {
            if (writer.write(out) != 0) break;
            out.clear();
        }
    }
    writer.write(out);
    // A write error keeps the previous file; a read error keeps the lines read so far.
    if (writer.commit() != 0) return 0;
    return count;
}

bool DbCsvExportModel::exportRun() {
    FileDialogOptions chooser;
    chooser.title = "CSV-Export";
    chooser.startDir = ctx_.workDirPath();
    chooser.defaultName = "GCrecords.csv";
    chooser.defaultExtension = "csv";
    chooser.filters = {{"CSV-Dateien (*.csv)", "*.csv"}, {"Alle Dateien (*.*)", "*"}};
    const auto file = ctx_.host().chooseSaveFile(chooser);
    if (!file) return false;
    return exportTo(*file);
}

bool DbCsvExportModel::exportTo(const std::string& fileName) {
    setRunning();
    writeDbCsv(ctx_, options_, fileName);
    close();
    return true;
}

}  // namespace vellora
