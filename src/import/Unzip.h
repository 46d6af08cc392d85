#pragma once
// Reading ZIP archives: the member list from the central directory and the extraction of the
// members that match a mask. Methods 0 (stored), 1 (shrunk), 6 (imploded) and 8 (deflated);
// sizes from data descriptors and ZIP64 records are taken from the central directory.
//
// Member names are Windows-1252 (UTF-8 names, general purpose flag bit 11, are converted; other
// names are read as code page 437) with "/" as the separator, also where the archive used "\".
// Extraction never writes outside the target directory: absolute names, names that climb out with
// "..", and symbolic links are passed over, and no link on the way is followed. On disk the names
// are UTF-8, as Linux file names are; the permissions of the archive are cut by the user's umask.
// Archives whose members share bytes are refused, and the output of one run is bounded.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vellora {

struct TZipMember {
    std::string name;
    std::uint16_t versionMadeBy = 0;
    std::uint16_t flags = 0;  // general purpose bit flag
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0, dosDate = 0;
    std::uint32_t crc32 = 0;
    std::uint64_t compressedSize = 0, uncompressedSize = 0;
    std::uint32_t externalAttributes = 0;
    std::uint64_t localHeaderOffset = 0;

    bool isDirectory() const { return !name.empty() && name.back() == '/'; }
    bool isEncrypted() const { return (flags & 0x0001) != 0; }
    bool isSymlink() const;
};

// Result codes of ExtractMembers (a count of extracted members is >= 0).
inline constexpr int kUnzipReadError = -3;
inline constexpr int kUnzipBadLocalHeader = -4;
inline constexpr int kUnzipBusy = -8;
inline constexpr int kUnzipBadCentralDir = -9;
inline constexpr int kUnzipNotAnArchive = -12;
inline constexpr int kUnzipOverlapping = -13;
inline constexpr int kUnzipCannotOpen = -14;
inline constexpr int kUnzipEmptyPath = -500;

// The largest member extraction writes; a member declaring or producing more is refused.
inline constexpr std::uint64_t kMaxZipMemberSize = std::uint64_t{4} << 30;
// What one extraction writes at most: this many times the archive's size (but 16 MiB for any
// archive), and never more than the cap (the setting UnzipMaxTotalMB, by default 8 GiB).
inline constexpr std::uint64_t kZipExpansionFactor = 100;
inline constexpr std::uint64_t kZipMinimumLimit = std::uint64_t{16} << 20;
inline constexpr std::int32_t kDefaultUnzipMaxTotalMB = 8192;
std::uint64_t extractionLimit(std::uint64_t archiveSize, std::int32_t capMB = kDefaultUnzipMaxTotalMB);

// A German text for a negative result of ExtractMembers.
std::string unzipErrorText(int code);

// Why extraction stopped at a member (the result is then the count extracted before it).
enum class TUnzipFailure {
    None,
    Crc,        // CRC-32 or output length differ from the central directory
    BadData,    // the compressed data could not be decoded
    Method,     // compression method not supported
    Encrypted,  // encrypted member
    TooLarge,   // declared size above the bound, more output than declared, or the run's output bound reached
    CannotCreate,  // output file or directory could not be created or written
};

// A German text for why a member failed.
const char* unzipFailureText(TUnzipFailure failure);

struct TUnzipReport {
    int result = 0;                    // what ExtractMembers returns
    std::vector<std::string> refused;  // members passed over: unsafe name or symbolic link
    std::string failedMember;          // the member extraction stopped at
    TUnzipFailure failure = TUnzipFailure::None;
};

// The archive's members in central-directory order; empty when the file is not a ZIP archive or
// its central directory cannot be read.
std::vector<TZipMember> ListMembers(const std::string& archivePath);

// Extracts the members matching mask ("*" and "?", without regard to case; "" and "*.*" match
// all) into targetDir. Returns the number extracted or a negative code above. Stops at the first
// member that fails; unsafe members are passed over and extraction goes on.
int ExtractMembers(const std::string& archivePath, const std::string& targetDir, std::string_view mask);
int ExtractMembers(const std::string& archivePath, const std::string& targetDir, std::string_view mask,
                   TUnzipReport& report, std::uint64_t maxMemberSize = kMaxZipMemberSize,
                   std::int32_t maxTotalMB = kDefaultUnzipMaxTotalMB);

}  // namespace vellora
