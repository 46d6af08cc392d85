#pragma once
// "CSV-Export der Cache-Datenbank": every record of Caches.bin as one semicolon-separated line
// (Windows-1252, CR LF), with a choice of columns that is not stored.
#include <array>
#include <string>

#include "core/DialogModel.h"

namespace vellora {

class RunContext;

enum DbCsvColumn {
    kDbCsvID,
    kDbCsvName,
    kDbCsvHiddenDate,
    kDbCsvCoord,
    kDbCsvSize,
    kDbCsvType,
    kDbCsvWaypoint,
    kDbCsvDifficulty,
    kDbCsvTerrain,
    kDbCsvCountry,
    kDbCsvHomeDist,
    kDbCsvColumnCount
};

struct DbCsvOptions {
    std::array<bool, kDbCsvColumnCount> columns = {false, true, true, true, true, true,
                                                   true,  true, true, true, true};
    bool headline = true;
};

// The switch caption of a column.
const char* dbCsvColumnCaption(int column);

// Writes the file (through a temporary file). Nothing is reported: an unreadable database gives
// no file; a read error ends the lines at that record. Returns the number of records written.
int writeDbCsv(RunContext& ctx, const DbCsvOptions& options, const std::string& fileName);

class DbCsvExportModel : public DialogModel {
public:
    explicit DbCsvExportModel(RunContext& ctx) : ctx_(ctx) {}
    DbCsvOptions& options() { return options_; }
    // "CSV-Export": asks for the file and writes it; true when the dialog closed.
    bool exportRun();
    bool exportTo(const std::string& fileName);

protected:
    void onOpen() override { options_ = DbCsvOptions{}; }

private:
    RunContext& ctx_;
    DbCsvOptions options_;
};

}  // namespace vellora
