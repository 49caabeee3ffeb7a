#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "rtf_reader_target.hpp"

namespace hx4x {
namespace {

// Every input the fuzzer ever kept, and every seed, still holds the reader's invariants.
TEST(RtfReaderFuzzRegression, ReplaysKeptInputs) {
    namespace fs = std::filesystem;
    const fs::path folders[] = {
        fs::path(HX4X_TEST_DATA_DIR) / "fuzz" / "fuzz_rtf_reader",
        fs::path(HX4X_TEST_DATA_DIR) / ".." / ".." / "fuzz" / "seeds" / "fuzz_rtf_reader"};
    std::size_t replayed = 0;
    for (const fs::path& folder : folders) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') {
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                                  std::istreambuf_iterator<char>()};
            SCOPED_TRACE(entry.path().string());
            fuzzing::run_rtf_reader_case(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0u);  // the seeds at least
}

}  // namespace
}  // namespace hx4x
