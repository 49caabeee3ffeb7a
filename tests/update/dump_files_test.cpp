#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/emulated_version.hpp"
#include "firmware/hex_file_reader.hpp"
#include "instrument/emulation.hpp"
#include "recording_clock.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x {
namespace {

namespace fs = std::filesystem;

std::string file_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class DumpFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        // Each test case runs as a process of its own, side by side with the others.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        dir = fs::temp_directory_path() / ("hx4x_update_dumps_" + name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy_file(fs::path(HX4X_TEST_DATA_DIR) / "update" / "small.hex", dir / "small.hex");
        std::vector<SignatureScanner> scanners;
        std::string error;
        ASSERT_TRUE(reader.load((dir / "small.hex").string(), scanners, nullptr, nullptr, &error))
            << error;
    }
    void TearDown() override {
        set_emulated_version(0);
        fs::remove_all(dir);
    }

    test::RecordingClock clock;
    fs::path dir;
    HexFileReader reader;
};

TEST_F(DumpFiles, BothDumpsByteForByteInBothWidths) {
    struct Case {
        std::uint32_t version;
        const char* expected_stem;
    };
    const Case cases[] = {{106, "small_width1"}, {107, "small_width2"}};
    for (const Case& c : cases) {
        set_emulated_version(c.version);
        CounterProtocol protocol;
        ASSERT_TRUE(protocol.connect(emulated_resource_name));
        // An old dump of another run is truncated, not appended to.
        std::ofstream(dir / "small.sending") << "stale";
        ASSERT_TRUE(protocol.send_firmware(reader, true, true, nullptr, nullptr));
        const fs::path expected = fs::path(HX4X_TEST_DATA_DIR) / "update";
        EXPECT_EQ(file_bytes(dir / "small.sending"),
                  file_bytes(expected / (std::string(c.expected_stem) + ".sending")));
        EXPECT_EQ(file_bytes(dir / "small.firmware"),
                  file_bytes(expected / (std::string(c.expected_stem) + ".firmware")));
        // With a dump open there is no emulated bus pause.
        EXPECT_TRUE(clock.pauses.empty());
    }
}

TEST_F(DumpFiles, OnlyTheRequestedDumpIsWritten) {
    set_emulated_version(115);
    CounterProtocol protocol;
    ASSERT_TRUE(protocol.connect(emulated_resource_name));
    ASSERT_TRUE(protocol.send_firmware(reader, false, true, nullptr, nullptr));
    EXPECT_FALSE(fs::exists(dir / "small.sending"));
    EXPECT_TRUE(fs::exists(dir / "small.firmware"));
}

TEST_F(DumpFiles, ADumpThatCannotBeOpenedIsSkipped) {
    set_emulated_version(115);
    CounterProtocol protocol;
    ASSERT_TRUE(protocol.connect(emulated_resource_name));
    fs::create_directory(dir / "small.sending");  // a directory cannot be opened for writing
    EXPECT_TRUE(protocol.send_firmware(reader, true, true, nullptr, nullptr));
    EXPECT_TRUE(fs::is_directory(dir / "small.sending"));
    EXPECT_FALSE(file_bytes(dir / "small.firmware").empty());
}

}  // namespace
}  // namespace hx4x
