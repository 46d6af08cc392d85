#pragma once
// Runs a program under ptrace with a seccomp filter that stops it only at the system calls that
// change files. Counting those calls gives kill points that are the same in every run: "kill right
// before the k-th file-changing call" hits the same stage of a write, whatever the machine's load.
#include <string>
#include <vector>

namespace vellora::test {

struct TracedProgram {
    std::vector<std::string> argv;  // argv[0] is the executable's path
    std::string stdinPath;          // empty: /dev/null
    std::string outputPath;         // standard output and error; empty: /dev/null
};

struct TraceOutcome {
    long fileCalls = 0;         // file-changing calls let through
    std::vector<long> renames;  // their indices that were renames
    // Renames of a file the program wrote and had not flushed to disk ("old -> new"); a program
    // killed by a power loss right after one could leave the new name without the data.
    std::vector<std::string> unsyncedRenames;
    long renamesOfWrittenFiles = 0;  // the renames that check looked at
    bool killed = false;
    int status = 0;  // waitpid status of the program
    bool exitedCleanly() const;
};

// Whether this system lets a process trace its child with a seccomp filter; why not in whyNot.
bool tracingAvailable(std::string& whyNot);

// killAt < 0 runs the program to its end; otherwise it is killed with SIGKILL on entry to its
// file-changing call number killAt (counted from 0), so that call never happens.
TraceOutcome runTraced(const TracedProgram& program, long killAt);

}  // namespace vellora::test
