#include "core/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>
#include <utility>

namespace vellora {
namespace {

std::string joinDir(const std::string& dir) {
    if (dir.empty()) return "./";
    return dir.back() == '/' ? dir : dir + "/";
}

}  // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
}

int UniqueFd::release() {
    return std::exchange(fd_, -1);
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

int UniqueFd::close() {
    if (fd_ < 0) return 0;
    const int result = ::close(std::exchange(fd_, -1));
    return result == 0 ? 0 : errno;
}

UniqueFd openFile(const std::string& path, int flags, unsigned mode, int* errorCode) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    if (errorCode) *errorCode = fd < 0 ? errno : 0;
    return UniqueFd(fd);
}

int writeAll(int fd, std::string_view data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int pwriteAll(int fd, std::string_view data, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n =
            ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

int readFully(int fd, char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer + got, size - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return 0;
}

int preadFully(int fd, char* buffer, std::size_t size, std::uint64_t offset, std::size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, buffer + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return 0;
}

int readAll(int fd, std::string& out) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        out.reserve(out.size() + static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return 0;
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

int copyBytes(int from, int to, std::uint64_t count) {
    // In the kernel where it can, which spares a copy through user memory; the loop below takes
    // over where it cannot (other file systems, pipes, old kernels).
    while (count > 0) {
        const std::size_t want = count < (1u << 30) ? static_cast<std::size_t>(count) : (1u << 30);
        const ssize_t done = ::copy_file_range(from, nullptr, to, nullptr, want, 0);
        if (done > 0) {
            count -= static_cast<std::uint64_t>(done);
            continue;
        }
        if (done == 0) return EIO;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP || errno == EBADF)
            break;
        return errno;
    }
    char buffer[1 << 16];
    while (count > 0) {
        const std::size_t want = count < sizeof buffer ? static_cast<std::size_t>(count) : sizeof buffer;
        std::size_t got = 0;
        if (const int err = readFully(from, buffer, want, got)) return err;
        if (got == 0) return EIO;
        if (const int err = writeAll(to, std::string_view(buffer, got))) return err;
        count -= got;
    }
    return 0;
}

int copyFileAtomic(const std::string& source, const std::string& target) {
    int err = 0;
    UniqueFd in = openFile(source, O_RDONLY, 0, &err);
    if (!in) return err;
    AtomicFileWriter out(target);
    if (out.error()) return out.error();
    char buffer[1 << 16];
    for (;;) {
        std::size_t got = 0;
        if ((err = readFully(in.get(), buffer, sizeof buffer, got)) != 0) return err;
        if (got == 0) break;
        if ((err = out.write(std::string_view(buffer, got))) != 0) return err;
    }
    return out.commit();
}

int syncParentDir(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int err = 0;
    UniqueFd fd = openFile(dir, O_RDONLY | O_DIRECTORY, 0, &err);
    if (!fd) return err;
    return ::fsync(fd.get()) == 0 ? 0 : errno;
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_) abort();
}

int AtomicFileWriter::fail(int code, bool atCreate) {
    if (error_ == 0) {
        error_ = code;
        failedAtCreate_ = atCreate;
    }
    abort();
    return error_;
}

int AtomicFileWriter::open(std::string path) {
    abort();
    path_ = std::move(path);
    error_ = 0;
    failedAtCreate_ = false;
    committed_ = false;
    static thread_local std::mt19937 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp_ = path_ + kTempMarker + std::to_string(::getpid()) + "_" + std::to_string(rng() % 1000000);
        int err = 0;
        fd_ = openFile(temp_, O_WRONLY | O_CREAT | O_EXCL, 0666, &err);
        if (fd_) break;
        temp_.clear();
        if (err != EEXIST) return fail(err, true);
    }
    if (!fd_) return fail(EEXIST, true);
    // A replaced file keeps its permissions; a new one gets 0666 less the umask from open().
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(fd_.get(), st.st_mode & 07777);
    return 0;
}

int AtomicFileWriter::write(std::string_view data) {
    if (error_) return error_;
    if (!fd_) return fail(EBADF, false);
    if (const int err = writeAll(fd_.get(), data)) return fail(err, false);
    return 0;
}

int AtomicFileWriter::commit() {
    if (error_) return error_;
    if (!fd_) return fail(EBADF, true);
    if (::fsync(fd_.get()) != 0) return fail(errno, false);
    if (const int err = fd_.close()) return fail(err, false);
    if (::rename(temp_.c_str(), path_.c_str()) != 0) return fail(errno, true);
    committed_ = true;
    temp_.clear();
    syncParentDir(path_);
    return 0;
}

int AtomicFileWriter::flushSynced(const AtomicFileWriter& any) {
    if (!any.fd_) return EBADF;
    return ::syncfs(any.fd_.get()) == 0 ? 0 : errno;
}

int AtomicFileWriter::commitFlushed() {
    if (error_) return error_;
    if (!fd_) return fail(EBADF, true);
    if (const int err = fd_.close()) return fail(err, false);
    if (::rename(temp_.c_str(), path_.c_str()) != 0) return fail(errno, true);
    committed_ = true;
    temp_.clear();
    return 0;
}

void startWriteback(int fd, std::uint64_t offset, std::uint64_t length) {
    ::sync_file_range(fd, static_cast<off64_t>(offset), static_cast<off64_t>(length), SYNC_FILE_RANGE_WRITE);
}

UniqueFd openScratchFile(const std::string& dir, int* errorCode) {
    int err = 0;
    UniqueFd fd = openFile(dir.empty() ? "." : dir, O_RDWR | O_TMPFILE, 0600, &err);
    if (fd) return fd;
    // Without unnamed files the name carries the writer's marker, so that a crash between
    // creating and unlinking leaves nothing the start-up clean-up misses.
    static thread_local std::mt19937 rng{std::random_device{}()};
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string name = joinDir(dir) + "scratch" + AtomicFileWriter::kTempMarker +
                                 std::to_string(::getpid()) + "_" + std::to_string(rng() % 1000000);
        fd = openFile(name, O_RDWR | O_CREAT | O_EXCL, 0600, &err);
        if (fd) {
            ::unlink(name.c_str());
            return fd;
        }
        if (err != EEXIST) break;
    }
    if (errorCode) *errorCode = err;
    return fd;
}

void AtomicFileWriter::abort() {
    fd_.reset();
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

}  // namespace vellora
