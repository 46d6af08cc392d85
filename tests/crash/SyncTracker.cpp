#include "crash/SyncTracker.h"

#include <fcntl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <climits>

namespace vellora::test {

namespace {

constexpr auto kCwd = static_cast<unsigned long long>(AT_FDCWD);

std::string linkTarget(const std::string& link) {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string pathOfFd(pid_t tid, unsigned long long fd) {
    return linkTarget("/proc/" + std::to_string(tid) + "/fd/" + std::to_string(fd));
}

// A NUL-terminated string of the traced program, read a page piece at a time (a read must not
// run into an unmapped page behind the string).
std::string stringAt(pid_t tid, unsigned long long address) {
    std::string out;
    const unsigned long long page = static_cast<unsigned long long>(::sysconf(_SC_PAGESIZE));
    while (out.size() < PATH_MAX) {
        char chunk[256];
        const unsigned long long room = page - address % page;
        const std::size_t want = room < sizeof chunk ? static_cast<std::size_t>(room) : sizeof chunk;
        const iovec local{chunk, want};
        const iovec remote{reinterpret_cast<void*>(address), want};
        const ssize_t got = ::process_vm_readv(tid, &local, 1, &remote, 1, 0);
        if (got <= 0) break;
        for (ssize_t i = 0; i < got; ++i) {
            if (chunk[i] == '\0') return out;
            out += chunk[i];
        }
        address += static_cast<unsigned long long>(got);
    }
    return out;
}

// The absolute path a (dirfd, path) pair of the *at calls names.
std::string pathAt(pid_t tid, unsigned long long dirfd, unsigned long long address) {
    const std::string path = stringAt(tid, address);
    if (path.empty() || path.front() == '/') return path;
    const std::string base = static_cast<int>(dirfd) == AT_FDCWD
                                 ? linkTarget("/proc/" + std::to_string(tid) + "/cwd")
                                 : pathOfFd(tid, dirfd);
    return base + "/" + path;
}

}  // namespace

void SyncTracker::written(const std::string& path) {
    if (!path.empty()) flushed_[path] = false;
}

void SyncTracker::synced(const std::string& path) {
    const auto it = flushed_.find(path);
    if (it != flushed_.end()) it->second = true;
}

void SyncTracker::renamed(const std::string& from, const std::string& to) {
    const auto it = flushed_.find(from);
    if (it == flushed_.end()) return;  // not written in this run
    ++renamesOfWrittenFiles_;
    const bool flushed = it->second;
    if (!flushed) unsyncedRenames_.push_back(from + " -> " + to);
    flushed_.erase(it);
    flushed_[to] = flushed;
}

void SyncTracker::onCall(pid_t tid, const __ptrace_syscall_info& info) {
    const auto nr = static_cast<long>(info.seccomp.nr);
    const auto* a = info.seccomp.args;
    constexpr unsigned long long kWriting = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC;
    switch (nr) {
        case SYS_write:
        case SYS_pwrite64:
        case SYS_writev:
        case SYS_pwritev:
        case SYS_pwritev2:
        case SYS_ftruncate:
        case SYS_fallocate:
            if (a[0] > 2) written(pathOfFd(tid, a[0]));
            break;
        case SYS_sendfile:
            written(pathOfFd(tid, a[0]));
            break;
        case SYS_copy_file_range:
            written(pathOfFd(tid, a[2]));
            break;
        case SYS_openat:
            if (a[2] & kWriting) written(pathAt(tid, a[0], a[1]));
            break;
        case SYS_truncate:
            written(pathAt(tid, kCwd, a[0]));
            break;
        case SYS_fsync:
        case SYS_fdatasync:
            synced(pathOfFd(tid, a[0]));
            break;
        case SYS_syncfs:
            for (auto& [path, flushed] : flushed_) flushed = true;
            break;
        case SYS_renameat:
        case SYS_renameat2:
            renamed(pathAt(tid, a[0], a[1]), pathAt(tid, a[2], a[3]));
            break;
#ifdef SYS_open
        case SYS_open:
            if (a[1] & kWriting) written(pathAt(tid, kCwd, a[0]));
            break;
        case SYS_creat:
            written(pathAt(tid, kCwd, a[0]));
            break;
        case SYS_rename:
            renamed(pathAt(tid, kCwd, a[0]), pathAt(tid, kCwd, a[1]));
            break;
#endif
        default:
            break;
    }
}

}  // namespace vellora::test
