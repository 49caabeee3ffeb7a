#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "version_info_target.hpp"

namespace hx4x {
namespace {

// Every crash the fuzzer ever kept, and every seed, still parses within the invariants.
TEST(VersionInfoFuzzRegression, ReplaysKeptInputs) {
    namespace fs = std::filesystem;
    const fs::path folders[] = {
        fs::path(HX4X_TEST_DATA_DIR) / "fuzz" / "fuzz_version_info",
        fs::path(HX4X_TEST_DATA_DIR) / ".." / ".." / "fuzz" / "seeds" / "fuzz_version_info"};
    std::size_t replayed = 0;
    for (const fs::path& folder : folders) {
        if (!fs::is_directory(folder)) {
            ADD_FAILURE() << "no folder of inputs " << folder;  // a misspelt name replays nothing
            continue;
        }
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                                  std::istreambuf_iterator<char>()};
            SCOPED_TRACE(entry.path().string());
            fuzzing::run_version_info_case(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u);  // the seeds at least
}

}  // namespace
}  // namespace hx4x
