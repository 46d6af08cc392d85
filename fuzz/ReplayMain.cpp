// The driver of a fuzz target in a build without libFuzzer: runs the target once over each file
// named, or over every file of each folder named, so that the test suite replays the seeds and
// every input a fuzzer ever found. Folders after "--shared" come from ../shared: one that is missing
// is noted and skipped, and in CI (CI=true) it fails the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/FileUtil.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    const char* ci = std::getenv("CI");
    const bool inCi = ci && std::string(ci) == "true";
    bool shared = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--shared") {
            shared = true;
            continue;
        }
        std::error_code ec;
        if (!fs::exists(argv[i], ec)) {
            // A folder of found inputs not made yet holds none.
            if (!shared) continue;
            std::fprintf(stderr, "shared folder missing: %s\n", argv[i]);
            if (inCi) return 1;
            continue;
        }
        if (fs::is_directory(argv[i], ec)) {
            for (const auto& entry : fs::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        } else {
            inputs.emplace_back(argv[i]);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        const auto content = vellora::readFile(input.string());
        if (!content) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(content->data()), content->size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
