#pragma once
// A suitcase read into structures: sections 2 to 5 as they are carried; the database records and
// the description blocks are checked and left in the file for the import to stream. Texts are Windows-1252.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FoundList.h"
#include "suitcase/SuitcaseFormat.h"

namespace vellora {

// What the suitcase holds besides the description blocks, which stay in the file.
struct SuitcaseContent {
    // The database's records stay in the file: dbCount whole 296-byte records from dbOffset.
    std::uint64_t dbOffset = 0;
    std::int32_t dbRecordCount = 0;
    std::vector<std::string> workList, ignoreList;
    std::vector<TFoundRec> finds;
    std::vector<std::string> noteLines;
    std::int32_t descrCount = 0;
    std::uint64_t descrOffset = 0;  // the first description block
    std::int64_t dbCount() const { return dbRecordCount; }
};

// Reads sections 1 to 5 and checks the structure of every description block. On failure the
// error says which section and offset; content is then incomplete and must not be merged.
bool readSuitcase(SuitcaseReader& reader, SuitcaseContent& content);
// The message for a failed read.
std::string suitcaseReadErrorText(const std::string& path, const SuitcaseReadError& error);

// A name carried in the suitcase as a plain file name for the output directory: the part after the
// last "\\" or "/". Nothing for names that climb ("..") or are empty or hold control characters.
std::optional<std::string> plainFileName(std::string_view carried);

}  // namespace vellora
