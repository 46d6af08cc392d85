#pragma once
// Reading the records of an open record file of TCacheRec (Caches.bin and its temporary copies).
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileIO.h"

namespace vellora {

// The records of an open record file in file order, read in large chunks. An incomplete record at
// the end counts as the end of the file.
class CacheRecordReader {
public:
    explicit CacheRecordReader(int fd) : fd_(fd), buf_(kChunkRecords * kCacheRecSize) {}

    // The next record's bytes, or nullptr at the end or after a read error (see error()).
    const char* next() {
        if (len_ - pos_ < kCacheRecSize) refill();
        if (len_ - pos_ < kCacheRecSize) return nullptr;
        const char* rec = buf_.data() + pos_;
        pos_ += kCacheRecSize;
        return rec;
    }
    // The records that follow as the buffer holds them (count of them, at least one), for callers
    // that work on many at a time; nullptr with count 0 at the end or after a read error.
    const char* nextRecords(std::size_t& count) {
        if (len_ - pos_ < kCacheRecSize) refill();
        count = (len_ - pos_) / kCacheRecSize;
        if (count == 0) return nullptr;
        const char* first = buf_.data() + pos_;
        pos_ += count * kCacheRecSize;
        return first;
    }
    int error() const { return error_; }

private:
    static constexpr std::size_t kChunkRecords = 1024;

    void refill() {
        if (eof_ || error_ != 0) return;
        const std::size_t rest = len_ - pos_;
        std::memmove(buf_.data(), buf_.data() + pos_, rest);
        len_ = rest;
        pos_ = 0;
        std::size_t got = 0;
        error_ = readFully(fd_, buf_.data() + len_, buf_.size() - len_, got);
        len_ += got;
        if (error_ == 0 && len_ < buf_.size()) eof_ = true;
    }

    int fd_;
    std::vector<char> buf_;
    std::size_t pos_ = 0, len_ = 0;
    int error_ = 0;
    bool eof_ = false;
};

}  // namespace vellora
