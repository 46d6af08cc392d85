#pragma once
// The folders of ../shared the tests read in place (ZIP fixtures, published schemas). Outside CI a
// missing folder skips what needs it, with a message; in CI (CI=true) it is a failure, so that a
// checkout without them cannot pass by skipping.
#include <gtest/gtest.h>

#include <string>

#include "core/FileUtil.h"

namespace vellora::test {

// VELLORA_SHARED_DIR + "/" + name + "/", e.g. sharedFolder("fixtures/zip").
std::string sharedFolder(const std::string& name);
bool runningInCi();
// Whether the folder is there; when not, a failure in CI and a note on standard output elsewhere.
// For a test that can do part of its work without it.
bool sharedFolderPresent(const std::string& dir);

}  // namespace vellora::test

// Ends the test when the folder is missing: failed in CI, skipped elsewhere.
#define VELLORA_REQUIRE_SHARED_FOLDER(dir)                                                          \
    do {                                                                                            \
        if (!::vellora::dirExists(dir)) {                                                           \
            if (::vellora::test::runningInCi()) FAIL() << "shared folder missing in CI: " << (dir); \
            GTEST_SKIP() << "shared folder missing: " << (dir);                                     \
        }                                                                                           \
    } while (false)
