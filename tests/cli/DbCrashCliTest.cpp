// A conversion killed at any moment leaves the database whole: Caches.bin is the old or the new
// file, and the next command finds every cache it holds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "core/FileUtil.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

#ifdef VELLORA_CLI_PATH

using vellora::test::CliRunner;
using vellora::test::TempDir;

namespace {

std::string countryFile(int first, int count) {
    std::string text;
    for (int i = first; i < first + count; ++i) {
        const std::string wp = "GC" + std::to_string(i);
        text += std::to_string(i) + " \"Cache " + wp +
                "\" 2005 06 07 49.6 10.85 \"Traditional Cache\" \"Small\" " + wp + " 1 2\n";
    }
    return text;
}

pid_t startCli(const std::string& home) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execl(VELLORA_CLI_PATH, VELLORA_CLI_PATH, "--home", home.c_str(), "--no", "db", "convert",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

TEST(CliDbCrash, KilledMergeLeavesTheOldOrTheNewDatabase) {
    TempDir root;
    const CliRunner cli(root.path());
    ASSERT_EQ(cli.run({"init"}).code, 0);
    root.write("gc_germany.txt", countryFile(0, 2000));
    ASSERT_EQ(cli.run({"db", "convert"}).code, 0);
    const std::string oldBin = root.read("Caches.bin"), oldIdx = root.read("Caches.idx");
    // Half of the records are new: the merge appends 1000.
    root.write("gc_germany.txt", countryFile(1000, 2000));

    const auto started = std::chrono::steady_clock::now();
    const pid_t clean = startCli(root.path());
    int status = 0;
    ASSERT_EQ(::waitpid(clean, &status, 0), clean);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto runTime = std::chrono::steady_clock::now() - started;
    const std::string newBin = root.read("Caches.bin"), newIdx = root.read("Caches.idx");
    ASSERT_EQ(newBin.size(), 3000u * 296);

    std::mt19937 rng(12);
    const auto window = std::chrono::duration_cast<std::chrono::microseconds>(runTime).count();
    int killed = 0, sawOld = 0, sawNew = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (int round = 0; round < 60 && std::chrono::steady_clock::now() < deadline; ++round) {
        root.write("Caches.bin", oldBin);
        root.write("Caches.idx", oldIdx);
        const pid_t pid = startCli(root.path());
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % static_cast<unsigned>(window + 1)));
        ::kill(pid, SIGKILL);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        if (WIFSIGNALED(status)) ++killed;

        const std::string bin = root.read("Caches.bin");
        ASSERT_TRUE(bin == oldBin || bin == newBin) << "round " << round << ": " << bin.size() << " bytes";
        const bool isNew = bin == newBin;
        ++(isNew ? sawNew : sawOld);
        // The next command repairs what the kill left and finds every cache.
        const auto first = cli.run({"db", "find", "GC0"});
        EXPECT_EQ(first.code, 0) << first.err;
        EXPECT_EQ(root.read("Caches.idx"), isNew ? newIdx : oldIdx) << "round " << round;
        EXPECT_EQ(cli.run({"db", "find", isNew ? "GC2999" : "GC1999"}).code, 0);
        EXPECT_EQ(cli.run({"db", "find", "GC2999"}).code, isNew ? 0 : 1);
        EXPECT_TRUE(vellora::listFiles(root.path(), "*.vtmp*").empty()) << "round " << round;
    }
    EXPECT_GT(killed, 0);
    EXPECT_GT(sawOld, 0);
    std::cout << "kills: " << killed << ", old: " << sawOld << ", new: " << sawNew << "\n";
}

}  // namespace

#endif
