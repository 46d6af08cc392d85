#pragma once
// Low-level file access shared by every layer: a descriptor holder, loops that read and write
// everything (retrying on EINTR and short transfers), a copy, and the one atomic writer through
// which every whole file of the program is written. Paths are byte strings; errors are errno values.
#include <cstdint>
#include <string>
#include <string_view>

namespace vellora {

// Owns a file descriptor and closes it once.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }
    int release();
    void reset(int fd = -1);
    // Closes now and reports a failed close (which can mean lost data on some file systems).
    int close();

private:
    int fd_ = -1;
};

// Opens with O_CLOEXEC added; the descriptor is invalid and errorCode set on failure.
UniqueFd openFile(const std::string& path, int flags, unsigned mode = 0644, int* errorCode = nullptr);

// Writes all bytes, continuing after EINTR and short writes. 0 or errno.
int writeAll(int fd, std::string_view data);
// Reads until end of file and appends to out. 0 or errno.
int readAll(int fd, std::string& out);
// Reads up to size bytes, fewer only at end of file. 0 or errno; got receives the count.
int readFully(int fd, char* buffer, std::size_t size, std::size_t& got);
// Positioned variants (pread/pwrite), with the same retry rules.
int preadFully(int fd, char* buffer, std::size_t size, std::uint64_t offset, std::size_t& got);
int pwriteAll(int fd, std::string_view data, std::uint64_t offset);

// Copies source to target through the atomic writer (the target is the old or the new file).
int copyFileAtomic(const std::string& source, const std::string& target);
// Copies count bytes from one descriptor to another from their current positions. 0 or errno
// (EIO when the source ends early).
int copyBytes(int from, int to, std::uint64_t count);

// Writes a whole file so that it is always either the old or the new content: the data goes into
// a temporary file in the same directory, is flushed to disk and renamed over the target; on any
// failure, or when the writer is destroyed without commit(), the temporary file is removed.
// The target keeps the permissions of the file it replaces (a new file gets 0644 less the umask).
class AtomicFileWriter {
public:
    // Suffix of every temporary file the writer makes; a start-up clean-up may remove leftovers.
    static constexpr const char* kTempMarker = ".vtmp";

    AtomicFileWriter() = default;
    explicit AtomicFileWriter(std::string path) { open(std::move(path)); }
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;
    ~AtomicFileWriter();

    // Creates the temporary file. 0 or errno (also stored in error()).
    int open(std::string path);
    // Appends data; after the first failure every call returns that error.
    int write(std::string_view data);
    // The temporary file's descriptor, for writers that seek or copy into it.
    int fd() const { return fd_.get(); }
    // Flushes, renames over the target and flushes the directory. 0 or errno.
    int commit();
    // For many files written together: flushSynced() once for all of them (one file-system flush
    // instead of one per file), then commitFlushed() on each, then syncParentDir() once per directory.
    static int flushSynced(const AtomicFileWriter& any);
    int commitFlushed();
    // Removes the temporary file; the target stays as it was.
    void abort();

    int error() const { return error_; }
    // Which step failed: creating the temporary file or renaming it (Create), or writing (Write).
    bool failedAtCreate() const { return failedAtCreate_; }
    const std::string& path() const { return path_; }
    const std::string& tempPath() const { return temp_; }

private:
    int fail(int code, bool atCreate);

    std::string path_, temp_;
    UniqueFd fd_;
    int error_ = 0;
    bool failedAtCreate_ = false;
    bool committed_ = false;
};

// Starts writing the given range of a file to disk without waiting, so that a later fsync finds
// less to do while the writer goes on working. A hint: errors show at the fsync.
void startWriteback(int fd, std::uint64_t offset, std::uint64_t length);

// A file of no name in dir for scratch data (read and write), gone when closed or after a crash.
// Invalid with errorCode set when dir takes no files.
UniqueFd openScratchFile(const std::string& dir, int* errorCode = nullptr);

// Fsyncs the directory that holds path, so that a rename in it survives a crash.
int syncParentDir(const std::string& path);

}  // namespace vellora
