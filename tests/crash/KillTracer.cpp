#include "crash/KillTracer.h"

#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "crash/SyncTracker.h"

extern char** environ;

namespace vellora::test {

namespace {

// Calls that can change a file or a directory entry. mmap'ed writes are not seen; the program
// writes through descriptors.
const std::vector<int>& tracedCalls() {
    static const std::vector<int> calls = {
        SYS_write,     SYS_pwrite64,        SYS_writev,    SYS_pwritev,   SYS_pwritev2,
        SYS_openat,    SYS_openat2,         SYS_renameat,  SYS_renameat2, SYS_unlinkat,
        SYS_fsync,     SYS_fdatasync,       SYS_ftruncate, SYS_truncate,  SYS_linkat,
        SYS_fallocate, SYS_copy_file_range, SYS_sendfile,  SYS_mkdirat,   SYS_sync_file_range,
        SYS_syncfs,
#ifdef SYS_open
        SYS_open,      SYS_creat,           SYS_rename,    SYS_unlink,    SYS_link,
        SYS_mkdir,     SYS_rmdir,
#endif
    };
    return calls;
}

bool isRename(long nr) {
#ifdef SYS_rename
    if (nr == SYS_rename) return true;
#endif
    return nr == SYS_renameat || nr == SYS_renameat2;
}

// The filter stops every traced call; the tracer drops what leaves files alone (reading opens,
// writes to the standard streams).
bool changesFiles(const __ptrace_syscall_info& info) {
    const auto nr = static_cast<long>(info.seccomp.nr);
    const auto* a = info.seccomp.args;
    constexpr unsigned long kWriting = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC;
    switch (nr) {
        case SYS_write:
        case SYS_pwrite64:
        case SYS_writev:
        case SYS_pwritev:
        case SYS_pwritev2:
            return a[0] > 2;
        case SYS_openat:
            return (a[2] & kWriting) != 0;
        case SYS_openat2:
            return true;
        case SYS_syncfs:
            return false;  // only flushes; seen for the sync bookkeeping
#ifdef SYS_open
        case SYS_open:
            return (a[1] & kWriting) != 0;
#endif
        default:
            return true;
    }
}

std::vector<sock_filter> buildFilter() {
    std::vector<sock_filter> f;
    f.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
    for (const int nr : tracedCalls()) {
        f.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(nr), 0, 1));
        f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_TRACE));
    }
    f.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    return f;
}

// The environment for the child; the leak checker stops the threads with ptrace, which a traced
// process cannot do.
std::vector<std::string> childEnvironment() {
    std::vector<std::string> env;
    std::string asan = "ASAN_OPTIONS=detect_leaks=0";
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("ASAN_OPTIONS=", 0) == 0)
            asan = entry + ":detect_leaks=0";
        else
            env.push_back(entry);
    }
    env.push_back(asan);
    return env;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (auto& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Everything the child needs is prepared before fork: it only calls async-signal-safe functions.
[[noreturn]] void childMain(const char* in, const char* out, const sock_fprog& filter, char** argv,
                            char** envp) {
    const int inFd = ::open(in, O_RDONLY);
    const int outFd = ::open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (inFd < 0 || outFd < 0 || ::dup2(inFd, 0) < 0 || ::dup2(outFd, 1) < 0 || ::dup2(outFd, 2) < 0)
        ::_exit(125);
    if (::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) ::_exit(126);
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) ::_exit(126);
    if (::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) != 0) ::_exit(126);
    ::execve(argv[0], argv, envp);
    ::_exit(127);
}

pid_t waitAny(int& status) {
    for (;;) {
        const pid_t who = ::waitpid(-1, &status, __WALL);
        if (who >= 0 || errno != EINTR) return who;
    }
}

// Waits until the program itself (not only one of its threads) is gone.
int reap(pid_t pid) {
    int status = 0;
    for (;;) {
        const pid_t who = waitAny(status);
        if (who < 0) return status;
        if (who == pid && (WIFEXITED(status) || WIFSIGNALED(status))) return status;
    }
}

}  // namespace

bool TraceOutcome::exitedCleanly() const {
    return !killed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool tracingAvailable(std::string& whyNot) {
    const TraceOutcome probe = runTraced({{"/bin/true"}, {}, {}}, -1);
    if (probe.exitedCleanly()) return true;
    whyNot = WIFEXITED(probe.status) && WEXITSTATUS(probe.status) == 126
                 ? "ptrace or seccomp is not permitted here"
                 : "a traced /bin/true did not run";
    return false;
}

TraceOutcome runTraced(const TracedProgram& program, long killAt) {
    TraceOutcome outcome;
    std::vector<sock_filter> filterCode = buildFilter();
    const sock_fprog filter{static_cast<unsigned short>(filterCode.size()), filterCode.data()};
    std::vector<std::string> args = program.argv, env = childEnvironment();
    std::vector<char*> argv = pointers(args), envp = pointers(env);
    const std::string in = program.stdinPath.empty() ? "/dev/null" : program.stdinPath;
    const std::string out = program.outputPath.empty() ? "/dev/null" : program.outputPath;

    const pid_t pid = ::fork();
    if (pid < 0) {
        outcome.status = W_EXITCODE(124, 0);
        return outcome;
    }
    if (pid == 0) childMain(in.c_str(), out.c_str(), filter, argv.data(), envp.data());

    // The first stop is the one after execve; a child that failed before it has exited.
    int status = 0;
    if (::waitpid(pid, &status, __WALL) != pid || !WIFSTOPPED(status)) {
        outcome.status = status;
        return outcome;
    }
    ::ptrace(PTRACE_SETOPTIONS, pid, nullptr,
             PTRACE_O_TRACESECCOMP | PTRACE_O_EXITKILL | PTRACE_O_TRACECLONE);
    pid_t resume = pid;
    int deliver = 0;
    SyncTracker syncs;
    for (;;) {
        if (resume > 0) ::ptrace(PTRACE_CONT, resume, nullptr, deliver);
        resume = -1;
        deliver = 0;
        const pid_t who = waitAny(status);
        if (who < 0) break;
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            // The leader is reported after all its threads.
            if (who != pid) continue;
            outcome.status = status;
            outcome.unsyncedRenames = syncs.unsyncedRenames();
            outcome.renamesOfWrittenFiles = syncs.renamesOfWrittenFiles();
            return outcome;
        }
        if (!WIFSTOPPED(status)) continue;
        resume = who;
        const int event = status >> 16;
        if (event == PTRACE_EVENT_SECCOMP) {
            __ptrace_syscall_info info{};
            const bool known = ::ptrace(PTRACE_GET_SYSCALL_INFO, resume, sizeof info, &info) > 0 &&
                               info.op == PTRACE_SYSCALL_INFO_SECCOMP;
            if (known) syncs.onCall(who, info);
            if (known && changesFiles(info)) {
                if (outcome.fileCalls == killAt) {
                    ::kill(pid, SIGKILL);
                    outcome.killed = true;
                    outcome.status = reap(pid);
                    return outcome;
                }
                if (isRename(static_cast<long>(info.seccomp.nr)))
                    outcome.renames.push_back(outcome.fileCalls);
                ++outcome.fileCalls;
            }
        } else if (event == 0) {
            const int sig = WSTOPSIG(status);
            // A new thread starts with SIGSTOP; everything else goes on to the program.
            if (sig != SIGSTOP && sig != SIGTRAP) deliver = sig;
        }
    }
    outcome.status = reap(pid);
    outcome.unsyncedRenames = syncs.unsyncedRenames();
    outcome.renamesOfWrittenFiles = syncs.renamesOfWrittenFiles();
    return outcome;
}

}  // namespace vellora::test
