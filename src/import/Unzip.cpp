#include "import/Unzip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <ctime>
#include <optional>
#include <random>

#include "core/Cp1252.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "core/UpperCase.h"
#include "import/Explode.h"
#include "import/Unshrink.h"

namespace vellora {
namespace {

constexpr std::uint32_t kLocalHeaderSig = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSig = 0x02014b50;
constexpr std::uint32_t kEndOfCentralDirSig = 0x06054b50;
constexpr std::uint32_t kZip64EndSig = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSig = 0x07064b50;
constexpr std::uint32_t kDataDescriptorSig = 0x08074b50;

constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndOfCentralDirSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kMaxCommentSize = 65535;
constexpr std::size_t kMaxNameLength = 259;

constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kFlagUtf8 = 0x0800;

std::atomic<bool> gExtracting{false};

std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint64_t le64(const std::uint8_t* p) {
    return le32(p) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

// Code page 437, bytes 0x80..0xFF, the character set of ZIP names without the UTF-8 flag.
constexpr std::array<char16_t, 128> kCp437High = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

std::string cp1252FromCp437(std::string_view raw) {
    std::string utf8;
    utf8.reserve(raw.size() * 2);
    for (char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        const char32_t cp = b < 0x80 ? b : kCp437High[b - 0x80];
        if (cp < 0x80) {
            utf8 += static_cast<char>(cp);
        } else if (cp < 0x800) {
            utf8 += static_cast<char>(0xC0 | (cp >> 6));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | (cp >> 12));
            utf8 += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return cp1252FromUtf8(utf8);
}

std::string memberName(std::string_view raw, std::uint16_t flags) {
    std::string name = (flags & kFlagUtf8) ? cp1252FromUtf8(raw) : cp1252FromCp437(raw);
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

class ArchiveFile {
public:
    ArchiveFile() = default;
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    // 0, kUnzipNotAnArchive or kUnzipCannotOpen.
    int open(const std::string& path) {
        // Downloads and dropped files only: a program file is never taken for an archive.
        if (path.find('.') == std::string::npos || upperCase(path).find(".EXE") != std::string::npos) {
            return kUnzipNotAnArchive;
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return kUnzipCannotOpen;
        if (!S_ISREG(st.st_mode)) return kUnzipNotAnArchive;
        fd_ = openFile(path, O_RDONLY);
        if (!fd_) return kUnzipCannotOpen;
        if (::fstat(fd_.get(), &st) != 0) return kUnzipCannotOpen;
        size_ = static_cast<std::uint64_t>(st.st_size);
        std::uint8_t sig[4];
        if (!readAt(0, sig, sizeof sig) || le32(sig) != kLocalHeaderSig) return kUnzipNotAnArchive;
        return 0;
    }

    std::uint64_t size() const { return size_; }

    bool readAt(std::uint64_t offset, void* buf, std::size_t n) const {
        if (offset > size_ || n > size_ - offset) return false;
        std::size_t got = 0;
        return preadFully(fd_.get(), static_cast<char*>(buf), n, offset, got) == 0 && got == n;
    }

    // Reads up to n bytes at offset; the count, or -1 on a read error.
    std::ptrdiff_t readSome(std::uint64_t offset, std::uint8_t* buf, std::size_t n) const {
        for (;;) {
            const ssize_t got = ::pread(fd_.get(), buf, n, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            return got;
        }
    }

    bool readCentralDirectory(std::vector<TZipMember>& members) const {
        if (size_ < kEndOfCentralDirSize) return false;
        const std::uint64_t tailSize = std::min<std::uint64_t>(size_, kEndOfCentralDirSize + kMaxCommentSize);
        std::vector<std::uint8_t> tail(static_cast<std::size_t>(tailSize));
        if (!readAt(size_ - tailSize, tail.data(), tail.size())) return false;

        // The last end record whose comment fits in the file.
        std::optional<std::size_t> found;
        for (std::size_t i = tail.size() - kEndOfCentralDirSize + 1; i-- > 0;) {
            if (le32(&tail[i]) == kEndOfCentralDirSig &&
                i + kEndOfCentralDirSize + le16(&tail[i + 20]) <= tail.size()) {
                found = i;
                break;
            }
        }
        if (!found) return false;
        const std::uint8_t* end = &tail[*found];
        const std::uint64_t endPos = size_ - tailSize + *found;
        std::uint64_t disk = le16(end + 4), cdDisk = le16(end + 6);
        std::uint64_t entriesOnDisk = le16(end + 8), entries = le16(end + 10);
        std::uint64_t cdSize = le32(end + 12), cdOffset = le32(end + 16);
        std::uint64_t cdLimit = endPos;

        std::uint8_t locator[kZip64LocatorSize];
        if (endPos >= kZip64LocatorSize && readAt(endPos - kZip64LocatorSize, locator, sizeof locator) &&
            le32(locator) == kZip64LocatorSig) {
            const std::uint64_t z64Pos = le64(locator + 8);
            std::uint8_t z64[kZip64EndSize];
            if (le32(locator + 4) != 0 || le32(locator + 16) > 1) return false;
            if (z64Pos > endPos - kZip64LocatorSize || !readAt(z64Pos, z64, sizeof z64) ||
                le32(z64) != kZip64EndSig) {
                return false;
            }
            disk = le32(z64 + 16);
            cdDisk = le32(z64 + 20);
            entriesOnDisk = le64(z64 + 24);
            entries = le64(z64 + 32);
            cdSize = le64(z64 + 40);
            cdOffset = le64(z64 + 48);
            cdLimit = z64Pos;
        }
        // One-volume archives only; the directory must lie before its end record.
        if (disk != 0 || cdDisk != 0 || entriesOnDisk != entries) return false;
        if (cdOffset > cdLimit || cdSize > cdLimit - cdOffset) return false;
        if (entries > cdSize / kCentralHeaderSize) return false;

        std::vector<std::uint8_t> cd(static_cast<std::size_t>(cdSize));
        if (!readAt(cdOffset, cd.data(), cd.size())) return false;
        members.clear();
        members.reserve(static_cast<std::size_t>(entries));
        std::size_t pos = 0;
        for (std::uint64_t k = 0; k < entries; ++k) {
            if (cd.size() - pos < kCentralHeaderSize) return false;
            const std::uint8_t* h = &cd[pos];
            if (le32(h) != kCentralHeaderSig) return false;
            const std::size_t nameLen = le16(h + 28), extraLen = le16(h + 30), commentLen = le16(h + 32);
            if (cd.size() - pos - kCentralHeaderSize < nameLen + extraLen + commentLen) return false;
            if (le16(h + 34) != 0) return false;  // starts on another volume
            TZipMember m;
            m.versionMadeBy = le16(h + 4);
            m.flags = le16(h + 8);
            m.method = le16(h + 10);
            m.dosTime = le16(h + 12);
            m.dosDate = le16(h + 14);
            m.crc32 = le32(h + 16);
            m.compressedSize = le32(h + 20);
            m.uncompressedSize = le32(h + 24);
            m.externalAttributes = le32(h + 38);
            m.localHeaderOffset = le32(h + 42);
            m.name = memberName(
                std::string_view(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLen), m.flags);
            if (!readZip64Extra(h + kCentralHeaderSize + nameLen, extraLen, m)) return false;
            members.push_back(std::move(m));
            pos += kCentralHeaderSize + nameLen + extraLen + commentLen;
        }
        return true;
    }

private:
    // Sizes and offset that do not fit 32 bits stand in the ZIP64 extra field, in this order,
    // each only when its central field holds 0xFFFFFFFF.
    static bool readZip64Extra(const std::uint8_t* extra, std::size_t len, TZipMember& m) {
        const bool needU = m.uncompressedSize == 0xFFFFFFFF;
        const bool needC = m.compressedSize == 0xFFFFFFFF;
        const bool needO = m.localHeaderOffset == 0xFFFFFFFF;
        if (!needU && !needC && !needO) return true;
        std::size_t pos = 0;
        while (len - pos >= 4) {
            const std::uint16_t id = le16(extra + pos), size = le16(extra + pos + 2);
            if (len - pos - 4 < size) return false;
            if (id == 0x0001) {
                const std::uint8_t* p = extra + pos + 4;
                const std::size_t need = 8 * (needU + needC + needO);
                if (size < need) return false;
                if (needU) m.uncompressedSize = le64(p), p += 8;
                if (needC) m.compressedSize = le64(p), p += 8;
                if (needO) m.localHeaderOffset = le64(p);
                return true;
            }
            pos += 4 + size;
        }
        return false;
    }

    UniqueFd fd_;
    std::uint64_t size_ = 0;
};

// The path of a member below the target directory as its components; nothing when the name is
// absolute, climbs out with "..", carries a NUL or is too long.
std::optional<std::vector<std::string>> safeComponents(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return std::nullopt;
    if (name.find('\0') != std::string_view::npos) return std::nullopt;
    if (name.front() == '/') return std::nullopt;
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (name.size() >= 2 && name[1] == ':' && isLetter(name[0])) return std::nullopt;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t slash = name.find('/', start);
        if (slash == std::string_view::npos) slash = name.size();
        const std::string_view part = name.substr(start, slash - start);
        if (part == "..") return std::nullopt;
        if (!part.empty() && part != ".") parts.emplace_back(part);
        start = slash + 1;
    }
    if (parts.empty()) return std::nullopt;
    return parts;
}

bool matchesMemberMask(std::string_view name, std::string_view mask) {
    if (mask.empty() || mask == "*.*") return true;
    std::string m(mask);
    std::replace(m.begin(), m.end(), '\\', '/');
    return matchesMask(name, m);
}

// Opens (creating as needed) the directory below root made of the first n components, one level
// at a time and without following links. -1 on failure.
int openDirectoryChain(int root, const std::vector<std::string>& parts, std::size_t n) {
    int current = ::dup(root);
    if (current < 0) return -1;
    for (std::size_t i = 0; i < n; ++i) {
        if (::mkdirat(current, parts[i].c_str(), 0755) != 0 && errno != EEXIST) {
            ::close(current);
            return -1;
        }
        const int next = ::openat(current, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(current);
        if (next < 0) return -1;
        current = next;
    }
    return current;
}

std::optional<std::time_t> dosToTime(std::uint16_t date, std::uint16_t time) {
    std::tm tm{};
    tm.tm_year = 80 + (date >> 9);
    tm.tm_mon = ((date >> 5) & 0x0F) - 1;
    tm.tm_mday = date & 0x1F;
    tm.tm_hour = time >> 11;
    tm.tm_min = (time >> 5) & 0x3F;
    tm.tm_sec = (time & 0x1F) * 2;
    tm.tm_isdst = -1;
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday == 0) return std::nullopt;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return t;
}

// Permissions for an extracted file: the Unix mode where the archive was made on Unix (without
// set-id and sticky bits, always readable by the owner), else from the DOS read-only attribute.
mode_t fileModeOf(const TZipMember& m) {
    const unsigned host = m.versionMadeBy >> 8;
    const mode_t unixMode = static_cast<mode_t>(m.externalAttributes >> 16);
    const mode_t mode = (host == 3 || host == 19) && (unixMode & 0777) != 0 ? (unixMode & 0777) | S_IRUSR
                        : (m.externalAttributes & 0x01)                     ? 0444
                                                                            : 0644;
    // As for any file the user makes: an archive does not decide who may write it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return (mode & ~mask) | S_IRUSR;
}

std::string temporaryName() {
    static std::mt19937_64 rng{std::random_device{}()};
    static const char* hex = "0123456789abcdef";
    std::uint64_t r = rng();
    std::string name = ".vlr";
    for (int i = 0; i < 12; ++i, r >>= 4) name += hex[r & 0xF];
    return name + ".tmp";
}

ZipDecodeResult copyStored(const ZipSource& source, const ZipSink& sink) {
    std::vector<std::uint8_t> buf(65536);
    for (;;) {
        const std::ptrdiff_t n = source(buf.data(), buf.size());
        if (n < 0) return ZipDecodeResult::ReadError;
        if (n == 0) return ZipDecodeResult::Ok;
        if (!sink(buf.data(), static_cast<std::size_t>(n))) return ZipDecodeResult::SinkRefused;
    }
}

ZipDecodeResult inflateRaw(const ZipSource& source, const ZipSink& sink) {
    z_stream zs{};
    if (inflateInit2(&zs, -MAX_WBITS) != Z_OK) return ZipDecodeResult::BadData;
    std::vector<std::uint8_t> in(65536), out(65536);
    ZipDecodeResult result = ZipDecodeResult::Ok;
    for (;;) {
        if (zs.avail_in == 0) {
            const std::ptrdiff_t n = source(in.data(), in.size());
            if (n < 0) {
                result = ZipDecodeResult::ReadError;
                break;
            }
            if (n == 0) {  // the stream ended before its end block
                result = ZipDecodeResult::BadData;
                break;
            }
            zs.next_in = in.data();
            zs.avail_in = static_cast<uInt>(n);
        }
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const std::size_t produced = out.size() - zs.avail_out;
        if (produced > 0 && !sink(out.data(), produced)) {
            result = ZipDecodeResult::SinkRefused;
            break;
        }
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            result = ZipDecodeResult::BadData;
            break;
        }
    }
    inflateEnd(&zs);
    return result;
}

bool methodSupported(std::uint16_t method) {
    return method == 0 || method == 1 || method == 6 || method == 8;
}

class Extraction {
public:
    Extraction(const ArchiveFile& archive, int root, std::uint64_t maxMemberSize, std::uint64_t maxTotal,
               TUnzipReport& report)
        : archive_(archive),
          root_(root),
          maxMemberSize_(maxMemberSize),
          totalLeft_(maxTotal),
          report_(report) {}

    // Negative: an archive error code ending the whole run. 0: the member failed (report says why).
    // 1: extracted.
    int extract(const TZipMember& m, const std::vector<std::string>& parts) {
        std::uint8_t h[kLocalHeaderSize];
        if (!archive_.readAt(m.localHeaderOffset, h, sizeof h)) return kUnzipReadError;
        if (le32(h) != kLocalHeaderSig) return kUnzipBadLocalHeader;
        const std::uint16_t localFlags = le16(h + 6);
        if (m.isEncrypted() || (localFlags & 0x0001)) return fail(m, TUnzipFailure::Encrypted);
        if (!methodSupported(m.method)) return fail(m, TUnzipFailure::Method);

        if (m.isDirectory()) {
            const int dir = openDirectoryChain(root_, parts, parts.size());
            if (dir < 0) return fail(m, TUnzipFailure::CannotCreate);
            ::close(dir);
            return 1;
        }
        if (m.uncompressedSize > maxMemberSize_ || m.uncompressedSize > totalLeft_)
            return fail(m, TUnzipFailure::TooLarge);
        const std::uint64_t dataStart = m.localHeaderOffset + kLocalHeaderSize + le16(h + 26) + le16(h + 28);
        if (dataStart > archive_.size() || m.compressedSize > archive_.size() - dataStart) {
            return kUnzipReadError;
        }

        UniqueFd dir(openDirectoryChain(root_, parts, parts.size() - 1));
        if (dir.get() < 0) return fail(m, TUnzipFailure::CannotCreate);
        const std::string tmpName = temporaryName();
        UniqueFd out(
            ::openat(dir.get(), tmpName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.get() < 0) return fail(m, TUnzipFailure::CannotCreate);

        const int rc = decodeInto(m, dataStart, out.get());
        if (rc == 1) {
            // Date and time first, then the attributes, as the archive gives them.
            if (const auto t = dosToTime(m.dosDate, m.dosTime)) {
                const timespec times[2] = {{*t, 0}, {*t, 0}};
                ::futimens(out.get(), times);
            }
            const bool modeSet = ::fchmod(out.get(), fileModeOf(m)) == 0;
            const bool closed = out.close() == 0;  // a late write error shows here
            if (!modeSet || !closed) {
                ::unlinkat(dir.get(), tmpName.c_str(), 0);
                return fail(m, TUnzipFailure::CannotCreate);
            }
            // The rename replaces an existing file whatever its permissions, and a link of that name
            // itself rather than its target.
            if (::renameat(dir.get(), tmpName.c_str(), dir.get(), parts.back().c_str()) != 0) {
                ::unlinkat(dir.get(), tmpName.c_str(), 0);
                return fail(m, TUnzipFailure::CannotCreate);
            }
            // The output stays within the declared size, so this is what the member wrote.
            totalLeft_ -= m.uncompressedSize;
            return 1;
        }
        out.reset();
        ::unlinkat(dir.get(), tmpName.c_str(), 0);
        return rc;
    }

private:
    int fail(const TZipMember& m, TUnzipFailure why) {
        report_.failedMember = m.name;
        report_.failure = why;
        return 0;
    }

    int decodeInto(const TZipMember& m, std::uint64_t dataStart, int fd) {
        std::uint64_t readPos = dataStart;
        const std::uint64_t readEnd = dataStart + m.compressedSize;
        const ZipSource source = [&](std::uint8_t* buf, std::size_t max) -> std::ptrdiff_t {
            const std::uint64_t left = readEnd - readPos;
            if (left == 0) return 0;
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, max));
            const std::ptrdiff_t got = archive_.readSome(readPos, buf, n);
            if (got <= 0) return -1;  // the file is shorter than it was when opened
            readPos += static_cast<std::uint64_t>(got);
            return got;
        };
        std::uint64_t produced = 0;
        uLong crc = crc32(0, nullptr, 0);
        bool writeFailed = false;
        const ZipSink sink = [&](const std::uint8_t* data, std::size_t n) {
            // More output than declared: refused, so the declared size bounds what is written.
            if (n > m.uncompressedSize - produced) return false;
            produced += n;
            crc = crc32(crc, data, static_cast<uInt>(n));
            if (writeAll(fd, std::string_view(reinterpret_cast<const char*>(data), n)) != 0) {
                writeFailed = true;
                return false;
            }
            return true;
        };

        ZipDecodeResult r = ZipDecodeResult::BadData;
        switch (m.method) {
            case 0:
                r = copyStored(source, sink);
                break;
            case 1:
                r = unshrink(source, m.uncompressedSize, sink);
                break;
            case 6:
                r = explode(source, m.uncompressedSize, m.flags, sink);
                break;
            case 8:
                r = inflateRaw(source, sink);
                break;
        }
        switch (r) {
            case ZipDecodeResult::ReadError:
                return kUnzipReadError;
            case ZipDecodeResult::BadData:
                return fail(m, TUnzipFailure::BadData);
            case ZipDecodeResult::SinkRefused:
                return fail(m, writeFailed ? TUnzipFailure::CannotCreate : TUnzipFailure::TooLarge);
            case ZipDecodeResult::Ok:
                break;
        }
        if (produced != m.uncompressedSize || crc != m.crc32) return fail(m, TUnzipFailure::Crc);
        if ((m.flags & kFlagDataDescriptor) && !descriptorAgrees(m, readEnd))
            return fail(m, TUnzipFailure::Crc);
        return 1;
    }

    // The data descriptor behind the data (with or without its signature) must carry the CRC-32
    // of the central directory.
    bool descriptorAgrees(const TZipMember& m, std::uint64_t pos) const {
        std::uint8_t d[8];
        if (!archive_.readAt(pos, d, sizeof d)) return false;
        if (le32(d) == m.crc32) return true;
        return le32(d) == kDataDescriptorSig && le32(d + 4) == m.crc32;
    }

    const ArchiveFile& archive_;
    int root_;
    std::uint64_t maxMemberSize_;
    std::uint64_t totalLeft_;
    TUnzipReport& report_;
};

class BusyGuard {
public:
    BusyGuard() : acquired_(!gExtracting.exchange(true)) {}
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    ~BusyGuard() {
        if (acquired_) gExtracting.store(false);
    }
    bool acquired() const { return acquired_; }

private:
    bool acquired_;
};

// Whether the members' bytes (local header, name, extra field and data) lie apart: archives whose
// entries point at the same data would make a small file write its largest member many times.
bool membersApart(const ArchiveFile& archive, const std::vector<TZipMember>& members) {
    struct Extent {
        std::uint64_t from, end;
    };
    std::vector<Extent> extents;
    extents.reserve(members.size());
    for (const TZipMember& m : members) {
        std::uint8_t h[kLocalHeaderSize];
        std::uint64_t end = m.localHeaderOffset + kLocalHeaderSize + m.compressedSize;
        if (archive.readAt(m.localHeaderOffset, h, sizeof h) && le32(h) == kLocalHeaderSig)
            end += le16(h + 26) + le16(h + 28);
        extents.push_back({m.localHeaderOffset, end});
    }
    std::sort(extents.begin(), extents.end(),
              [](const Extent& a, const Extent& b) { return a.from < b.from; });
    for (std::size_t i = 1; i < extents.size(); ++i)
        if (extents[i].from < extents[i - 1].end) return false;
    return true;
}

}  // namespace

std::uint64_t extractionLimit(std::uint64_t archiveSize, std::int32_t capMB) {
    const std::uint64_t cap = static_cast<std::uint64_t>(capMB > 0 ? capMB : kDefaultUnzipMaxTotalMB) << 20;
    const std::uint64_t byArchive = archiveSize > cap / kZipExpansionFactor
                                        ? cap
                                        : std::max(kZipMinimumLimit, archiveSize * kZipExpansionFactor);
    return std::min(cap, byArchive);
}

const char* unzipFailureText(TUnzipFailure failure) {
    switch (failure) {
        case TUnzipFailure::Crc:
            return "CRC-Fehler";
        case TUnzipFailure::BadData:
            return "Daten besch\xE4"
                   "digt";
        case TUnzipFailure::Method:
            return "Kompressionsverfahren nicht unterst\xFCtzt";
        case TUnzipFailure::Encrypted:
            return "verschl\xFCsselt";
        case TUnzipFailure::TooLarge:
            return "zu gro\xDF";
        case TUnzipFailure::CannotCreate:
            return "Zieldatei kann nicht angelegt werden";
        case TUnzipFailure::None:
            break;
    }
    return "";
}

std::string unzipErrorText(int code) {
    switch (code) {
        case kUnzipReadError:
            return "Lesefehler im Archiv (Datei abgeschnitten oder besch\xE4"
                   "digt)";
        case kUnzipBadLocalHeader:
            return "Archiv besch\xE4"
                   "digt (Eintrag ohne g\xFC"
                   "ltigen Kopf)";
        case kUnzipBusy:
            return "Es wird bereits ein Archiv entpackt";
        case kUnzipBadCentralDir:
            return "Archiv besch\xE4"
                   "digt (Inhaltsverzeichnis unlesbar)";
        case kUnzipNotAnArchive:
            return "Die Datei ist kein ZIP-Archiv";
        case kUnzipOverlapping:
            return "Archiv ung\xFC"
                   "ltig (Eintr\xE4"
                   "ge \xFC"
                   "berlappen sich)";
        case kUnzipCannotOpen:
            return "Archiv kann nicht ge\xF6"
                   "ffnet werden";
        case kUnzipEmptyPath:
            return "Kein Archiv oder kein Zielverzeichnis angegeben";
        default:
            return "Fehler " + std::to_string(code);
    }
}

bool TZipMember::isSymlink() const {
    return ((externalAttributes >> 16) & 0170000) == 0120000;
}

std::vector<TZipMember> ListMembers(const std::string& archivePath) {
    std::vector<TZipMember> members;
    ArchiveFile archive;
    if (archivePath.empty() || archive.open(archivePath) != 0) return members;
    if (!archive.readCentralDirectory(members)) members.clear();
    return members;
}

int ExtractMembers(const std::string& archivePath, const std::string& targetDir, std::string_view mask) {
    TUnzipReport report;
    return ExtractMembers(archivePath, targetDir, mask, report);
}

int ExtractMembers(const std::string& archivePath, const std::string& targetDir, std::string_view mask,
                   TUnzipReport& report, std::uint64_t maxMemberSize, std::int32_t maxTotalMB) {
    report = TUnzipReport{};
    auto finish = [&](int result) {
        report.result = result;
        return result;
    };
    if (archivePath.empty() || targetDir.empty()) return finish(kUnzipEmptyPath);
    BusyGuard busy;
    if (!busy.acquired()) return finish(kUnzipBusy);

    ArchiveFile archive;
    if (const int rc = archive.open(archivePath); rc != 0) return finish(rc);
    std::vector<TZipMember> members;
    if (!archive.readCentralDirectory(members)) return finish(kUnzipBadCentralDir);
    if (!membersApart(archive, members)) return finish(kUnzipOverlapping);

    if (!dirExists(targetDir)) makeDirs(targetDir);
    UniqueFd root(::open(targetDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    Extraction extraction(archive, root.get(), maxMemberSize, extractionLimit(archive.size(), maxTotalMB),
                          report);
    int extracted = 0;
    for (const TZipMember& m : members) {
        if (!matchesMemberMask(m.name, mask)) continue;
        auto parts = safeComponents(m.name);
        if (!parts || m.isSymlink()) {
            report.refused.push_back(m.name);
            continue;
        }
        for (std::string& part : *parts) part = utf8FromCp1252(part);
        if (root.get() < 0) {
            report.failedMember = m.name;
            report.failure = TUnzipFailure::CannotCreate;
            break;
        }
        const int rc = extraction.extract(m, *parts);
        if (rc < 0) return finish(rc);
        if (rc == 0) break;
        ++extracted;
    }
    return finish(extracted);
}

}  // namespace vellora
