#include "suitcase/SuitcaseContent.h"

#include <algorithm>

#include "core/CacheRec.h"
#include "core/FileProcs.h"
#include "core/FileUtil.h"
#include "core/StrUnit.h"

namespace vellora {

namespace {

bool hasControl(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 32 || u == 127;
    });
}

bool readList(SuitcaseReader& r, SuitcaseSection section, std::vector<std::string>& list) {
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
}

bool readFinds(SuitcaseReader& r, std::vector<TFoundRec>& finds) {
    r.setSection(SuitcaseSection::Finds);
    std::int32_t n = 0;
    std::string bytes;
    if (!r.count(n, TFoundRec::kSize) || !r.bytes(bytes, std::size_t(n) * TFoundRec::kSize)) return false;
    finds.reserve(std::size_t(n));
    for (std::int32_t i = 0; i < n; ++i)
        finds.push_back(decodeFoundRec(std::string_view(bytes).substr(std::size_t(i) * TFoundRec::kSize)));
    return true;
}

bool readNotes(SuitcaseReader& r, std::vector<std::string>& lines) {
    r.setSection(SuitcaseSection::Notes);
    std::int32_t n = 0;
    std::string bytes;
    if (!r.size(n) || !r.bytes(bytes, std::size_t(n))) return false;
    lines = splitListLines(bytes);
    return true;
}

// A carried file: its name and its size, the bytes skipped.
bool skipNamedFile(SuitcaseReader& r) {
    std::string name;
    std::int32_t size = 0;
    return r.shortString(name, kSuitcaseLongWidth) && r.size(size) && r.skip(std::uint64_t(size));
}

bool skipDescriptionBlock(SuitcaseReader& r) {
    std::string text;
    double date = 0;
    std::int32_t size = 0, images = 0;
    if (!r.shortString(text, kSuitcaseShortWidth) || !r.date(date) ||
        !r.shortString(text, kSuitcaseLongWidth))
        return false;
    if (!r.size(size) || !r.skip(std::uint64_t(size)) || !r.size(size) || !r.skip(std::uint64_t(size)))
        return false;
    if (!skipNamedFile(r) || !r.count(images, kMinImageEntry)) return false;
    for (std::int32_t k = 0; k < images; ++k)
        if (!skipNamedFile(r)) return false;
    return true;
}

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
    r.setSection(SuitcaseSection::Database);
    if (!r.count(c.dbRecordCount, kCacheRecSize)) return false;
    c.dbOffset = r.offset();
    if (!r.skip(std::uint64_t(c.dbRecordCount) * kCacheRecSize)) return false;
    if (!readList(r, SuitcaseSection::WorkList, c.workList) || !readFinds(r, c.finds) ||
        !readList(r, SuitcaseSection::IgnoreList, c.ignoreList) || !readNotes(r, c.noteLines))
        return false;
    // The blocks stay in the file, but their structure is checked now, so that a broken
    // suitcase is refused before anything is merged.
    r.setSection(SuitcaseSection::Descriptions);
    if (!r.count(c.descrCount, kMinDescriptionBlock)) return false;
    c.descrOffset = r.offset();
    for (std::int32_t i = 0; i < c.descrCount; ++i)
        if (!skipDescriptionBlock(r)) return false;
    return true;
}

std::string suitcaseReadErrorText(const std::string& path, const SuitcaseReadError& e) {
    std::string text = "Die Aktenkofferdatei " + path +
                       " ist unvollst\xE4ndig oder besch\xE4"
                       "digt.\r\nAbschnitt: " +
                       suitcaseSectionName(e.section) + ", Position " + std::to_string(e.offset) + ": " +
                       e.reason;
    if (e.code != 0) text += " (" + systemErrorText(e.code) + ")";
    return text;
}

}  // namespace vellora
