#pragma once
// Follows, from the file-changing calls a tracer sees, which files a program has written since they
// were last flushed to disk, and names every rename that moves such a file into place: after a power
// loss the renamed name could then stand for a file without its data.
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

struct __ptrace_syscall_info;

namespace vellora::test {

class SyncTracker {
public:
    // One system call on entry, by thread tid of the traced program.
    void onCall(pid_t tid, const __ptrace_syscall_info& info);
    // "old -> new" for every rename of a file written but not yet flushed.
    const std::vector<std::string>& unsyncedRenames() const { return unsyncedRenames_; }
    long renamesOfWrittenFiles() const { return renamesOfWrittenFiles_; }

private:
    void written(const std::string& path);
    void synced(const std::string& path);
    void renamed(const std::string& from, const std::string& to);

    std::map<std::string, bool> flushed_;  // every file written in the run: flushed since?
    std::vector<std::string> unsyncedRenames_;
    long renamesOfWrittenFiles_ = 0;
};

}  // namespace vellora::test
