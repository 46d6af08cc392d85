#include "support/TestHome.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/AppHome.h"
#include "core/FileUtil.h"
#include "core/Settings.h"

namespace vellora::test {

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "vellora-test-XXXXXX").string();
    char* made = ::mkdtemp(templ.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    path_ = made;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(std::string_view name) const {
    return joinPath(path_, name);
}

void TempDir::write(std::string_view name, std::string_view content) const {
    const std::string p = file(name);
    makeDirs(extractFilePath(p));
    ASSERT_EQ(writeFileAtomic(p, content), 0) << p;
}

std::string TempDir::read(std::string_view name) const {
    auto data = readFile(file(name));
    EXPECT_TRUE(data.has_value()) << "cannot read " << file(name);
    return data.value_or("");
}

bool TempDir::exists(std::string_view name) const {
    return fileExists(file(name));
}

TDateTime frozenNow() {
    return encodeDateTime(DateParts{2006, 12, 8, 21, 4, 5});
}

TestHome::TestHome(Start start, bool withShippedData) {
    if (withShippedData) prepareAppHome(dir.path(), std::string(VELLORA_TEST_DATA_DIR));
    restart(start);
}

void TestHome::start() {
    startConfiguration(*ctx_);
    loadSettings(*ctx_, 600);
}

void TestHome::restart(Start start) {
    ctx_.reset();
    ctx_ = std::make_unique<RunContext>(host, dir.path());
    ctx_->clock = frozenNow;
    if (start == Start::Configured || start == Start::Loaded) startConfiguration(*ctx_);
    if (start == Start::Loaded) loadSettings(*ctx_, 600);
}

}  // namespace vellora::test
