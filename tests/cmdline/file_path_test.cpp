#include "cmdline/file_path.hpp"

#include <gtest/gtest.h>

namespace hx4x {
namespace {

TEST(FilePath, SplitsAtLastSeparatorAndDot) {
    FilePath path;
    ASSERT_TRUE(path.assign("C:\\Tools\\loader.exe"));
    EXPECT_EQ(path.directory, "C:\\Tools");
    EXPECT_EQ(path.name, "loader");
    EXPECT_EQ(path.extension, "exe");
    EXPECT_EQ(path.full_path(), "C:\\Tools\\loader.exe");
}

}  // namespace
}  // namespace hx4x
