#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "AuxLib/Handle"
#include "AuxLib/logger.hpp"
#include "special_files.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

using testing_support::read_file;
using testing_support::TempDir;

TEST(FileHandle, ClosesOnResetAndDestruction) {
    TempDir dir;
    const std::string a = dir.file("a.txt");
    const std::string b = dir.file("b.txt");
    {
        FileHandle handle(std::fopen(a.c_str(), "wb"));
        ASSERT_TRUE(handle);
        std::fputs("first", handle.get());
        handle.reset(std::fopen(b.c_str(), "wb"));
        EXPECT_EQ(read_file(a), "first") << "reset closed and flushed the old stream";
        std::fputs("second", handle.get());
    }
    EXPECT_EQ(read_file(b), "second");
}

TEST(FileHandle, FailedCloseLeavesOneLogEntryAndAnEmptyHandle) {
    TempDir dir;
    const std::string log = dir.file("loader.log");
    Logger::instance().set_log_file(log, true);
    {
        // Writing past what /dev/full takes fails at the final flush inside fclose.
        FileHandle handle(testing_support::open_full_device());
        if (!handle) {
            GTEST_SKIP() << "POSIX only: no device that refuses every write";
        }
        std::setvbuf(handle.get(), nullptr, _IOFBF, 4096);
        std::fputs("lost", handle.get());
        TempDir other;
        const std::string next = other.file("next.txt");
        handle.reset(std::fopen(next.c_str(), "wb"));
        EXPECT_TRUE(handle) << "the new stream is taken after the failed close";
        handle.reset();
        EXPECT_FALSE(handle);
    }
    Logger::instance().close();
    const std::string text = read_file(log);
    EXPECT_EQ(text.find("SOURCE: AuxLib/Handle("), 22u);
    EXPECT_NE(text.find("\nERROR: [28] "), std::string::npos);  // ENOSPC
    EXPECT_NE(text.find("\nMESSAGE: Failed condition is (res == 0)\n===================="),
              std::string::npos);
    EXPECT_EQ(text.find("SOURCE:", 30), std::string::npos) << "exactly one entry";
}

}  // namespace
}  // namespace hx4x
