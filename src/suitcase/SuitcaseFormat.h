#pragma once
// The suitcase file that carries one installation's data to another: six sections one after
// another, no header. Integers are 32-bit signed little-endian, dates 64-bit doubles (days since
// 30.12.1899), texts Windows-1252 in fixed-width fields of one length byte and width - 1 bytes.
// The reader never trusts a count or size: each is checked against what is left of the file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileIO.h"

namespace vellora {

inline constexpr std::size_t kSuitcaseShortWidth = 13;  // waypoints and list entries
inline constexpr std::size_t kSuitcaseLongWidth = 256;  // subdirectories and file names
inline constexpr std::size_t kSuitcaseListEntryMax = kSuitcaseShortWidth - 1;

enum class SuitcaseSection { Database, WorkList, Finds, IgnoreList, Notes, Descriptions };
inline constexpr int kSuitcaseSectionCount = 6;

// The section's German name, for messages.
const char* suitcaseSectionName(SuitcaseSection section);

// The smallest number of bytes a description block can take (all names empty, all files absent).
inline constexpr std::uint64_t kMinDescriptionBlock =
    kSuitcaseShortWidth + 8 + kSuitcaseLongWidth + 4 + 4 + kSuitcaseLongWidth + 4 + 4;
inline constexpr std::uint64_t kMinImageEntry = kSuitcaseLongWidth + 4;

void appendInt32(std::string& out, std::int32_t value);
void appendDate(std::string& out, double value);
// Cuts the text to width - 1 bytes and fills the rest of the field with zeros.
void appendShortString(std::string& out, std::string_view text, std::size_t width);

// Writes a suitcase sequentially through the atomic writer, buffering small fields.
class SuitcaseWriter {
public:
    // 0 or errno.
    int open(const std::string& path);
    void int32(std::int32_t value);
    void date(double value);
    void shortString(std::string_view text, std::size_t width);
    void bytes(std::string_view data);
    // The size and the content of the file; a missing file is written as size 0. Returns 0, or
    // the errno of a file that exists but cannot be read (the suitcase must then be abandoned).
    int fileBlock(const std::string& path);
    // Overwrites 4 bytes at an earlier offset (a count known only after its items).
    void patchInt32(std::uint64_t offset, std::int32_t value);
    std::uint64_t offset() const { return offset_; }
    // The first failure of a write (errno), 0 while all went well.
    int error() const { return error_; }
    int commit();

private:
    void flush();

    AtomicFileWriter file_;
    std::string buffer_;
    std::uint64_t offset_ = 0;
    int error_ = 0;
};

// What went wrong while reading: where and why.
struct SuitcaseReadError {
    SuitcaseSection section = SuitcaseSection::Database;
    std::uint64_t offset = 0;
    int code = 0;        // errno of a failed read; 0 for a file that ends early or is malformed
    std::string reason;  // German
};

// Reads a suitcase sequentially. Every read checks the remaining length first; the first failure
// is kept and every later read fails too.
class SuitcaseReader {
public:
    // 0 or errno.
    int open(const std::string& path);
    void close() { fd_.reset(); }
    bool isOpen() const { return fd_.valid(); }

    void setSection(SuitcaseSection section) { section_ = section; }
    SuitcaseSection section() const { return section_; }

    std::uint64_t size() const { return size_; }
    std::uint64_t offset() const { return offset_; }
    std::uint64_t remaining() const { return size_ - offset_; }
    // Seeks to an offset inside the file.
    bool seek(std::uint64_t offset);

    bool int32(std::int32_t& value);
    bool date(double& value);
    bool shortString(std::string& text, std::size_t width);
    // A count of items of at least itemSize bytes each: must be 0 or more and fit in the rest.
    bool count(std::int32_t& value, std::uint64_t itemSize);
    // A size of a file block or text: must be 0 or more and fit in the rest.
    bool size(std::int32_t& value);
    bool bytes(std::string& out, std::size_t n);
    bool skip(std::uint64_t n);
    // Copies n bytes to a descriptor: 0, -1 when reading failed (see error()), or the errno of a
    // failed write.
    int copyTo(int fd, std::uint64_t n);

    bool failed() const { return failed_; }
    const SuitcaseReadError& error() const { return error_; }

private:
    bool fail(int code, std::string reason);
    bool fill(std::size_t n);

    UniqueFd fd_;
    std::uint64_t size_ = 0, offset_ = 0;
    std::vector<char> buf_;
    std::size_t bufPos_ = 0, bufLen_ = 0;
    SuitcaseSection section_ = SuitcaseSection::Database;
    bool failed_ = false;
    SuitcaseReadError error_;
};

}  // namespace vellora
