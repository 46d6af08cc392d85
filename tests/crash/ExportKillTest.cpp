// An export killed while it writes leaves its temporary file beside the target (the atomic writer
// never got to remove it); the next export into that folder removes it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/CacheRec.h"
#include "core/FileIO.h"
#include "core/FileUtil.h"
#include "crash/KillTracer.h"
#include "support/CliRunner.h"
#include "support/TestHome.h"

#ifdef VELLORA_CLI_PATH

namespace vellora::test {
namespace {

bool holdsWriterTemp(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (name.find(AtomicFileWriter::kTempMarker) != std::string::npos) return true;
    return false;
}

TEST(ExportKill, TheNextExportIntoTheFolderRemovesTheKilledOnesTemporaryFile) {
    std::string why;
    if (!tracingAvailable(why)) GTEST_SKIP() << why;
    TempDir home;
    const CliRunner cli(home.path());
    ASSERT_EQ(cli.run({"init"}).code, 0);
    TCacheRec r;
    r.Waypoint = "GC1234";
    r.CacheName = "Schatz";
    r.Lat = 48.5;
    r.Lon = 11.5;
    home.write("Caches.bin", encodeCacheRec(r));
    ASSERT_EQ(makeDirs(home.file("out")), 0);
    const std::string target = home.file("out/list.csv");

    TracedProgram program;
    program.argv = {VELLORA_CLI_PATH, "--home", home.path(), "--no", "export", "--format", "csv",
                    "--source",       "db",     "-o",        target};
    // A first run settles the home (the index of the new database), so that every traced run makes
    // the same calls.
    ASSERT_EQ(cli.run(std::vector<std::string>(program.argv.begin() + 4, program.argv.end())).code, 0);
    removeFile(target);
    const TraceOutcome full = runTraced(program, -1);
    ASSERT_TRUE(full.exitedCleanly()) << full.status;
    ASSERT_FALSE(full.renames.empty());

    // Killed right before one of its renames: the export's own leaves its temporary file in out/.
    bool left = false;
    for (auto it = full.renames.rbegin(); it != full.renames.rend() && !left; ++it) {
        removeFile(target);
        ASSERT_TRUE(runTraced(program, *it).killed);
        left = holdsWriterTemp(listFiles(home.file("out")));
    }
    ASSERT_TRUE(left) << "no kill left the export's temporary file";
    EXPECT_FALSE(fileExists(target));

    const CliResult again = cli.run({"export", "--format", "csv", "--source", "db", "-o", target});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(listFiles(home.file("out")), std::vector<std::string>{"list.csv"});
}

}  // namespace
}  // namespace vellora::test

#endif
