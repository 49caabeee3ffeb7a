#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "instrument/identification.hpp"

namespace hx4x {
namespace {

// Every input the fuzzer once crashed on goes through the same entry point again.
TEST(FuzzRegression, IdentificationInputsParseWithoutFault) {
    const std::filesystem::path folder =
        std::filesystem::path(HX4X_TEST_DATA_DIR) / "fuzz" / "fuzz_identify";
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << "no saved fuzz inputs";
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        CounterIdentity identity;
        if (parse_identification("fuzz", data, identity)) {
            EXPECT_EQ(identity.serial_number.size(), 6u) << entry.path();
        }
        parse_version_number(data);
    }
}

}  // namespace
}  // namespace hx4x
