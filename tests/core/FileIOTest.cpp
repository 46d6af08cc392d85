#include "core/FileIO.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "core/FileUtil.h"
#include "support/TestHome.h"

namespace vellora {
namespace {

// Every name in the directory: a failed or abandoned write must leave no temporary file behind.
std::vector<std::string> entries(const test::TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(AtomicFileWriter, ReplacesTheWholeFileAndKeepsItsPermissions) {
    test::TempDir dir;
    dir.write("list.txt", "old content, longer than the new one\r\n");
    ::chmod(dir.file("list.txt").c_str(), 0600);
    AtomicFileWriter w(dir.file("list.txt"));
    ASSERT_EQ(w.error(), 0);
    EXPECT_EQ(w.write("new"), 0);
    EXPECT_EQ(w.write("\r\n"), 0);
    // Until the commit the old file stands.
    EXPECT_EQ(dir.read("list.txt"), "old content, longer than the new one\r\n");
    ASSERT_EQ(w.commit(), 0);
    EXPECT_EQ(dir.read("list.txt"), "new\r\n");
    EXPECT_EQ(modeOf(dir.file("list.txt")), 0600u);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"list.txt"});
}

TEST(AtomicFileWriter, DestroyedWithoutCommitLeavesTheTargetAndNoTemporaryFile) {
    test::TempDir dir;
    dir.write("Finds.bin", "old");
    {
        AtomicFileWriter w(dir.file("Finds.bin"));
        EXPECT_EQ(w.write("half of the new"), 0);
        EXPECT_TRUE(std::filesystem::exists(w.tempPath()));
    }
    EXPECT_EQ(dir.read("Finds.bin"), "old");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"Finds.bin"});

    {
        AtomicFileWriter w(dir.file("new.txt"));
        w.abort();
        EXPECT_EQ(w.commit(), EBADF);  // nothing left to commit
    }
    EXPECT_EQ(entries(dir), std::vector<std::string>{"Finds.bin"});
}

// Root passes permission checks, so the failures are made by the file system's structure.
TEST(AtomicFileWriter, FailuresAreReportedWithTheStepAndLeaveNothingBehind) {
    test::TempDir dir;
    dir.write("afile", "x");
    struct Case {
        const char* target;
        int error;
        bool atCreate;
    };
    const Case cases[] = {
        {"missing/dir/out.txt", ENOENT, true},  // the directory does not exist
        {"afile/out.txt", ENOTDIR, true},       // a file where a directory should be
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        AtomicFileWriter w(dir.file(c.target));
        EXPECT_EQ(w.error(), c.error);
        EXPECT_EQ(w.failedAtCreate(), c.atCreate);
        // Later calls repeat the first error.
        EXPECT_EQ(w.write("data"), c.error);
        EXPECT_EQ(w.commit(), c.error);
        EXPECT_EQ(writeFileAtomic(dir.file(c.target), "data"), c.error);
    }
    EXPECT_EQ(entries(dir), std::vector<std::string>{"afile"});
}

TEST(AtomicFileWriter, FailedRenameKeepsTheTargetAndRemovesTheTemporaryFile) {
    test::TempDir dir;
    // A non-empty directory cannot be replaced by a file.
    dir.write("target/inside", "keep");
    AtomicFileWriter w(dir.file("target"));
    ASSERT_EQ(w.error(), 0);
    EXPECT_EQ(w.write("new"), 0);
    const int code = w.commit();
    EXPECT_EQ(code, EISDIR);
    EXPECT_TRUE(w.failedAtCreate());  // the rename counts as making the file
    EXPECT_EQ(dir.read("target/inside"), "keep");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"target"});

    AtomicWriteFailure failure = AtomicWriteFailure::None;
    EXPECT_EQ(writeFileAtomic(dir.file("target"), "new", failure), EISDIR);
    EXPECT_EQ(failure, AtomicWriteFailure::Create);
}

// A file size limit makes the writes fail part-way, as a full disk would.
TEST(AtomicFileWriter, FailedWriteKeepsTheOldFile) {
    test::TempDir dir;
    dir.write("Caches.idx", "old index");
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    AtomicWriteFailure failure = AtomicWriteFailure::None;
    const int code = writeFileAtomic(dir.file("Caches.idx"), std::string(10000, 'x'), failure);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(code, EFBIG);
    EXPECT_EQ(failure, AtomicWriteFailure::Write);
    EXPECT_EQ(dir.read("Caches.idx"), "old index");
    EXPECT_EQ(entries(dir), std::vector<std::string>{"Caches.idx"});
}

TEST(FileIO, ReadAndWriteLoopsTakeEverything) {
    test::TempDir dir;
    // More than one buffer and more than a pipe holds.
    std::string data;
    for (int i = 0; i < 200000; ++i) data += static_cast<char>('a' + i % 26);
    ASSERT_EQ(writeFileAtomic(dir.file("big"), data), 0);

    int err = 0;
    UniqueFd in = openFile(dir.file("big"), O_RDONLY, 0, &err);
    ASSERT_TRUE(in) << err;
    std::string all = "prefix:";
    ASSERT_EQ(readAll(in.get(), all), 0);
    EXPECT_EQ(all, "prefix:" + data);

    std::string part(100, '\0');
    std::size_t got = 0;
    ASSERT_EQ(preadFully(in.get(), part.data(), part.size(), data.size() - 40, got), 0);
    EXPECT_EQ(got, 40u);  // fewer only at the end of the file
    EXPECT_EQ(part.substr(0, 40), data.substr(data.size() - 40));

    UniqueFd out = openFile(dir.file("copy"), O_WRONLY | O_CREAT | O_TRUNC);
    ASSERT_TRUE(out);
    ASSERT_EQ(::lseek(in.get(), 0, SEEK_SET), 0);
    EXPECT_EQ(copyBytes(in.get(), out.get(), data.size()), 0);
    EXPECT_EQ(pwriteAll(out.get(), "ZZ", 0), 0);
    EXPECT_EQ(out.close(), 0);
    EXPECT_FALSE(out.valid());
    EXPECT_EQ(dir.read("copy"), "ZZ" + data.substr(2));

    // The source ends before the count: EIO, not a silent short copy.
    ASSERT_EQ(::lseek(in.get(), 0, SEEK_SET), 0);
    UniqueFd sink = openFile("/dev/null", O_WRONLY);
    EXPECT_EQ(copyBytes(in.get(), sink.get(), data.size() + 1), EIO);

    EXPECT_FALSE(openFile(dir.file("nothing"), O_RDONLY, 0, &err));
    EXPECT_EQ(err, ENOENT);
}

TEST(FileIO, CopyFileAtomic) {
    test::TempDir dir;
    dir.write("src.html", "<html>\r\n");
    dir.write("dst.html", "old");
    EXPECT_EQ(copyFileAtomic(dir.file("src.html"), dir.file("dst.html")), 0);
    EXPECT_EQ(dir.read("dst.html"), "<html>\r\n");
    EXPECT_EQ(copyFileAtomic(dir.file("none.html"), dir.file("dst.html")), ENOENT);
    EXPECT_EQ(dir.read("dst.html"), "<html>\r\n");
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"dst.html", "src.html"}));
}

// Only the writer's own leftovers of a process that is gone are removed: the folder may be any
// folder of the user's, and another run may be writing beside them.
TEST(AtomicFileWriter, StaleTemporaryFilesOfDeadProcessesAreRemoved) {
    test::TempDir dir;
    const std::string own = "a.csv.vtmp" + std::to_string(::getpid()) + "_7";
    for (const std::string& name :
         {std::string("a.csv"), std::string("a.csv.vtmp2147483000_12"), own, std::string("a.csv.vtmp1_3"),
          std::string("b.vtmp"), std::string("c.vtmpX_1"), std::string("d.vtmp99_"),
          std::string("e.vtmp2147483000_1x"), std::string(".vtmp2147483000_1")})
        dir.write(name, "x");
    EXPECT_TRUE(removeStaleTempFilesBeside(dir.file("a.csv")));
    std::vector<std::string> kept{
        ".vtmp2147483000_1",  "a.csv", own, "a.csv.vtmp1_3", "b.vtmp", "c.vtmpX_1", "d.vtmp99_",
        "e.vtmp2147483000_1x"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(entries(dir), kept);
    EXPECT_FALSE(removeStaleTempFiles(dir.path()));
}

TEST(FileIO, UniqueFdClosesOnceAndMoves) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    UniqueFd readEnd(fds[0]);
    {
        UniqueFd writeEnd(fds[1]);
        UniqueFd moved = std::move(writeEnd);
        EXPECT_FALSE(writeEnd.valid());
        EXPECT_EQ(writeAll(moved.get(), "abc"), 0);
    }
    // The write end is closed: the reader sees the end of the data.
    std::string got;
    EXPECT_EQ(readAll(readEnd.get(), got), 0);
    EXPECT_EQ(got, "abc");
    const int raw = readEnd.release();
    EXPECT_FALSE(readEnd.valid());
    EXPECT_EQ(::close(raw), 0);
}

}  // namespace
}  // namespace vellora
