#include "suitcase/SuitcaseFormat.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

namespace vellora {

namespace {

constexpr std::size_t kWriteBuffer = 1 << 20;
constexpr std::size_t kReadBuffer = 1 << 16;

std::uint32_t readLE32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}

}  // namespace

const char* suitcaseSectionName(SuitcaseSection section) {
    switch (section) {
        case SuitcaseSection::Database:
            return "Cache-Datenbank";
        case SuitcaseSection::WorkList:
            return "Arbeitsliste";
        case SuitcaseSection::Finds:
            return "Eigene Funde";
        case SuitcaseSection::IgnoreList:
            return "Ignoreliste";
        case SuitcaseSection::Notes:
            return "pers\xF6nliche Cachenotizen";
        case SuitcaseSection::Descriptions:
            return "Cachebeschreibungen";
    }
    return "?";
}

void appendInt32(std::string& out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    const char b[4] = {char(u & 0xFF), char(u >> 8 & 0xFF), char(u >> 16 & 0xFF), char(u >> 24 & 0xFF)};
    out.append(b, 4);
}

void appendDate(std::string& out, double value) {
    const auto u = std::bit_cast<std::uint64_t>(value);
    char b[8];
    for (int i = 0; i < 8; ++i) b[i] = char(u >> (8 * i) & 0xFF);
    out.append(b, 8);
}

void appendShortString(std::string& out, std::string_view text, std::size_t width) {
    const std::size_t n = std::min(text.size(), width - 1);
    out.push_back(static_cast<char>(n));
    out.append(text.substr(0, n));
    out.append(width - 1 - n, '\0');
}

// ---- writer

int SuitcaseWriter::open(const std::string& path) {
    buffer_.clear();
    buffer_.reserve(kWriteBuffer);
    offset_ = 0;
    error_ = file_.open(path);
    return error_;
}

void SuitcaseWriter::flush() {
    if (buffer_.empty()) return;
    if (error_ == 0) error_ = file_.write(buffer_);
    buffer_.clear();
}

void SuitcaseWriter::int32(std::int32_t value) {
    appendInt32(buffer_, value);
    offset_ += 4;
    if (buffer_.size() >= kWriteBuffer) flush();
}

void SuitcaseWriter::date(double value) {
    appendDate(buffer_, value);
    offset_ += 8;
    if (buffer_.size() >= kWriteBuffer) flush();
}

void SuitcaseWriter::shortString(std::string_view text, std::size_t width) {
    appendShortString(buffer_, text, width);
    offset_ += width;
    if (buffer_.size() >= kWriteBuffer) flush();
}

void SuitcaseWriter::bytes(std::string_view data) {
    offset_ += data.size();
    if (buffer_.size() + data.size() < kWriteBuffer) {
        buffer_.append(data);
        return;
    }
    flush();
    if (error_ == 0) error_ = file_.write(data);
}

int SuitcaseWriter::fileBlock(const std::string& path) {
    int err = 0;
    UniqueFd in = openFile(path, O_RDONLY, 0, &err);
    struct stat st {};
    if (!in && err != ENOENT && err != ENOTDIR) return err;
    if (!in || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        int32(0);
        return 0;
    }
    // A block holds at most what its 32-bit size can say.
    if (st.st_size > INT32_MAX) return EFBIG;
    const auto size = static_cast<std::int32_t>(st.st_size);
    int32(size);
    flush();
    if (error_ != 0) return 0;
    if (const int code = copyBytes(in.get(), file_.fd(), static_cast<std::uint64_t>(size)); code != 0) {
        error_ = code;
        return code;
    }
    offset_ += static_cast<std::uint64_t>(size);
    return 0;
}

void SuitcaseWriter::patchInt32(std::uint64_t offset, std::int32_t value) {
    if (offset + 4 > offset_) return;
    const std::uint64_t flushed = offset_ - buffer_.size();
    std::string b;
    appendInt32(b, value);
    for (std::size_t i = 0; i < 4; ++i) {
        const std::uint64_t at = offset + i;
        if (at >= flushed) {
            buffer_[static_cast<std::size_t>(at - flushed)] = b[i];
        } else if (error_ == 0) {
            error_ = pwriteAll(file_.fd(), std::string_view(b).substr(i, 1), at);
        }
    }
}

int SuitcaseWriter::commit() {
    flush();
    if (error_ != 0) {
        file_.abort();
        return error_;
    }
    error_ = file_.commit();
    return error_;
}

// ---- reader

int SuitcaseReader::open(const std::string& path) {
    int err = 0;
    fd_ = openFile(path, O_RDONLY, 0, &err);
    if (!fd_) return err;
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) return errno;
    size_ = static_cast<std::uint64_t>(st.st_size);
    offset_ = 0;
    buf_.assign(kReadBuffer, 0);
    bufPos_ = bufLen_ = 0;
    failed_ = false;
    error_ = {};
    return 0;
}

bool SuitcaseReader::fail(int code, std::string reason) {
    if (failed_) return false;
    failed_ = true;
    error_.section = section_;
    error_.offset = offset_;
    error_.code = code;
    error_.reason = std::move(reason);
    return false;
}

bool SuitcaseReader::fill(std::size_t n) {
    if (bufLen_ - bufPos_ >= n) return true;
    std::memmove(buf_.data(), buf_.data() + bufPos_, bufLen_ - bufPos_);
    bufLen_ -= bufPos_;
    bufPos_ = 0;
    while (bufLen_ < n) {
        std::size_t got = 0;
        if (const int code = readFully(fd_.get(), buf_.data() + bufLen_, buf_.size() - bufLen_, got);
            code != 0)
            return fail(code, "Lesefehler");
        if (got == 0) return fail(0, "Datei endet vorzeitig");
        bufLen_ += got;
    }
    return true;
}

bool SuitcaseReader::seek(std::uint64_t offset) {
    if (failed_) return false;
    if (offset > size_) return fail(0, "Datei endet vorzeitig");
    if (::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_SET) < 0) return fail(errno, "Lesefehler");
    offset_ = offset;
    bufPos_ = bufLen_ = 0;
    return true;
}

bool SuitcaseReader::int32(std::int32_t& value) {
    if (failed_) return false;
    if (remaining() < 4) return fail(0, "Datei endet vorzeitig");
    if (!fill(4)) return false;
    value = static_cast<std::int32_t>(readLE32(buf_.data() + bufPos_));
    bufPos_ += 4;
    offset_ += 4;
    return true;
}

bool SuitcaseReader::date(double& value) {
    if (failed_) return false;
    if (remaining() < 8) return fail(0, "Datei endet vorzeitig");
    if (!fill(8)) return false;
    const std::uint64_t u = std::uint64_t(readLE32(buf_.data() + bufPos_)) |
                            std::uint64_t(readLE32(buf_.data() + bufPos_ + 4)) << 32;
    value = std::bit_cast<double>(u);
    bufPos_ += 8;
    offset_ += 8;
    return true;
}

bool SuitcaseReader::shortString(std::string& text, std::size_t width) {
    if (failed_) return false;
    if (remaining() < width) return fail(0, "Datei endet vorzeitig");
    if (!fill(width)) return false;
    const auto len = static_cast<unsigned char>(buf_[bufPos_]);
    if (len > width - 1) return fail(0, "ung\xFCltige Textl\xE4nge " + std::to_string(len));
    text.assign(buf_.data() + bufPos_ + 1, len);
    bufPos_ += width;
    offset_ += width;
    return true;
}

bool SuitcaseReader::count(std::int32_t& value, std::uint64_t itemSize) {
    const std::uint64_t at = offset_;
    if (!int32(value)) return false;
    if (value < 0 || static_cast<std::uint64_t>(value) * itemSize > remaining()) {
        offset_ = at;  // the message names the count itself
        const bool r = fail(0, "unm\xF6gliche Anzahl " + std::to_string(value));
        offset_ = at + 4;
        return r;
    }
    return true;
}

bool SuitcaseReader::size(std::int32_t& value) {
    return count(value, 1);
}

bool SuitcaseReader::bytes(std::string& out, std::size_t n) {
    if (failed_) return false;
    if (remaining() < n) return fail(0, "Datei endet vorzeitig");
    out.resize(n);
    const std::size_t fromBuf = std::min(n, bufLen_ - bufPos_);
    std::memcpy(out.data(), buf_.data() + bufPos_, fromBuf);
    bufPos_ += fromBuf;
    std::size_t done = fromBuf;
    if (done < n) {
        std::size_t got = 0;
        if (const int code = readFully(fd_.get(), out.data() + done, n - done, got); code != 0) {
            offset_ += done;
            return fail(code, "Lesefehler");
        }
        if (got < n - done) {
            offset_ += done + got;
            return fail(0, "Datei endet vorzeitig");
        }
    }
    offset_ += n;
    return true;
}

bool SuitcaseReader::skip(std::uint64_t n) {
    if (failed_) return false;
    if (remaining() < n) return fail(0, "Datei endet vorzeitig");
    if (n <= bufLen_ - bufPos_) {
        bufPos_ += static_cast<std::size_t>(n);
        offset_ += n;
        return true;
    }
    return seek(offset_ + n);
}

int SuitcaseReader::copyTo(int fd, std::uint64_t n) {
    if (failed_) return -1;
    if (remaining() < n) return fail(0, "Datei endet vorzeitig"), -1;
    const std::size_t fromBuf = static_cast<std::size_t>(std::min<std::uint64_t>(n, bufLen_ - bufPos_));
    if (fromBuf > 0) {
        bufPos_ += fromBuf;
        offset_ += fromBuf;
        if (const int code = writeAll(fd, std::string_view(buf_.data() + bufPos_ - fromBuf, fromBuf));
            code != 0)
            return code;
    }
    // The rest comes straight from the descriptor, whose position is where the buffer ends.
    char chunk[1 << 16];
    std::uint64_t left = n - fromBuf;
    while (left > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof chunk));
        std::size_t got = 0;
        if (const int code = readFully(fd_.get(), chunk, want, got); code != 0)
            return fail(code, "Lesefehler"), -1;
        if (got == 0) return fail(0, "Datei endet vorzeitig"), -1;
        bufPos_ = bufLen_ = 0;
        offset_ += got;
        left -= got;
        if (const int code = writeAll(fd, std::string_view(chunk, got)); code != 0) return code;
    }
    return 0;
}

}  // namespace vellora
