#pragma once
// The CSV list export for spreadsheets: chosen columns, ";" between cells, every text cell
// through csvCell.
#include <cstdint>

#include "core/CacheRec.h"
#include "formats/TextOut.h"

namespace vellora {

class RunContext;

// The column switches carry the names of the export options they come from.
struct CsvColumns {
    bool CSVcbID = false, CSVcbName = true, CSVcbHiddendate = true, CSVcbCoord = true, CSVcbLatLon = true,
         CSVcbMerkatorCoord = false, CSVcbSize = true, CSVcbType = true, CSVcbWaypoint = true,
         CSVcbDifficulty = true, CSVcbTerrain = true, CSVcbCountry = true, CSVcbHomedist = true;
    bool CSVcbFounddate = false;  // only where the list has found dates (own finds)
    bool CSVcbQuoteNums = false, CSVcbHeadline = true;
    std::int32_t CSVcbDecimalSeparator = 0;  // 0 comma, 1 point
    std::int32_t CSVcbHome = 0;              // 0 the primary home, n additional home n
};

void writeCsv(const RunContext& ctx, const CsvColumns& columns, const TCacheList& list, TextOut& out);

}  // namespace vellora
