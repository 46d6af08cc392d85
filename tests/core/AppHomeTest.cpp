#include "core/AppHome.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "core/FileUtil.h"
#include "support/TestHome.h"

using namespace vellora;
using vellora::test::TempDir;

namespace {

struct EnvGuard {
    const char* name;
    std::string old;
    bool had;
    explicit EnvGuard(const char* n) : name(n), had(std::getenv(n) != nullptr) {
        if (had) old = std::getenv(n);
    }
    ~EnvGuard() {
        if (had) {
            ::setenv(name, old.c_str(), 1);
        } else {
            ::unsetenv(name);
        }
    }
};

TEST(AppHome, ArgumentThenEnvironmentThenXdg) {
    EnvGuard a("VELLORA_HOME"), b("XDG_DATA_HOME"), c("HOME");
    ::setenv("VELLORA_HOME", "/v/home/", 1);
    ::setenv("XDG_DATA_HOME", "/xdg", 1);
    ::setenv("HOME", "/home/user", 1);
    EXPECT_EQ(resolveAppHome(std::string("/arg")), "/arg");
    EXPECT_EQ(resolveAppHome(std::nullopt), "/v/home");
    ::unsetenv("VELLORA_HOME");
    EXPECT_EQ(resolveAppHome(std::nullopt), "/xdg/vellora");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(resolveAppHome(std::nullopt), "/home/user/.local/share/vellora");
}

TEST(AppHome, SeedsOnlyMissingFiles) {
    TempDir data, root;
    data.write("CacheDB.conf", "[CacheDB]\r\n");
    data.write("template.html", "<html></html>");
    const std::string home = root.file("new/home");
    auto copied = prepareAppHome(home, data.path());
    EXPECT_EQ(copied, (std::vector<std::string>{"CacheDB.conf", "template.html"}));
    root.write("new/home/template.html", "mine");
    copied = prepareAppHome(home, data.path());
    EXPECT_TRUE(copied.empty());
    EXPECT_EQ(root.read("new/home/template.html"), "mine");
}

TEST(AppHome, ShippedDataIsFoundInTheSourceTree) {
    auto dir = findDataDir();
    ASSERT_TRUE(dir.has_value());
    EXPECT_TRUE(fileExists(*dir + "/CacheDB.conf"));
}

}  // namespace

TEST(AppHome, PathsInsideTheHomeAreStoredRelative) {
    const struct {
        const char *path, *stored;
    } cases[] = {
        {"/h/v", "."},
        {"/h/v/", "."},
        {"/h/v/ausgabe", "ausgabe"},
        {"/h/v/ausgabe/", "ausgabe/"},
        {"/h/v/a/../template.html", "template.html"},
        {"/h/vx/out", "/h/vx/out"},  // a sibling whose name starts alike is outside
        {"/h/out", "/h/out"},
        {"/h/v/../w", "/h/v/../w"},
        {"/", "/"},
        {"", ""},
        {"rel/already", "rel/already"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(homeRelativePath("/h/v", c.path), c.stored) << c.path;
        EXPECT_EQ(homeRelativePath("/h/v/", c.path), c.stored) << c.path;
    }
    const struct {
        const char *stored, *path;
    } resolved[] = {
        {".", "/h/v"}, {"ausgabe", "/h/v/ausgabe"}, {"ausgabe/", "/h/v/ausgabe/"}, {"/abs/x", "/abs/x"},
        {"", ""},
    };
    for (const auto& r : resolved) EXPECT_EQ(resolveHomePath("/h/v", r.stored), r.path) << r.stored;
}
