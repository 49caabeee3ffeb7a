// The settings file: the initialisation-file rules on bytes, then LoaderSettings on real
// files, hostile ones included.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_corpus.hpp"
#include "platform/profile_text.hpp"
#include "settings_reader_target.hpp"
#include "special_files.hpp"
#include "temp_dir.hpp"
#include "ui/loader_settings.hpp"

namespace hx4x {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

struct ReadCase {
    const char* name;
    std::string_view text;
    const char* key;  // in section "s"
    std::optional<std::string> expected;
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, FindsWhatTheSystemReaderFinds) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(platform::find_profile_value(c.text, "s", c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileRead,
    ::testing::Values(
        ReadCase{"Lf", "[s]\nk=GPIB0::3::INSTR\n", "k", "GPIB0::3::INSTR"},
        ReadCase{"CrLf", "[s]\r\nk=v\r\nj=w\r\n", "k", "v"},
        ReadCase{"MixedLineEnds", "[s]\r\nk=1\nj=2\r\n", "j", "2"},
        ReadCase{"BlanksAroundNamesAndValue", " [ s ] \r\n \t k \t= \t v w \t\r\n", "k", "v w"},
        ReadCase{"NamesIgnoreCase", "[S]\nK=x\n", "k", "x"},
        ReadCase{"DoubleQuotesDropped", "[s]\nk= \" a \" \n", "k", " a "},
        ReadCase{"SingleQuotesDropped", "[s]\nk='b'\n", "k", "b"},
        ReadCase{"OnlyOnePairDropped", "[s]\nk=\"\"d\"\"\n", "k", "\"d\""},
        ReadCase{"UnmatchedQuotesKept", "[s]\nk=\"c'\n", "k", "\"c'"},
        ReadCase{"LoneQuoteKept", "[s]\nk=\"\n", "k", "\""},
        ReadCase{"EmptyValue", "[s]\nk=\n", "k", ""},
        ReadCase{"ValueKeepsEqualsSemicolonBackslash", "[s]\nk=a=b ;c\\d\n", "k", "a=b ;c\\d"},
        ReadCase{"KeyOfOtherSection", "[t]\nk=1\n[s]\nj=2\n", "k", std::nullopt},
        ReadCase{"KeyAboveAnySection", "k=1\n[s]\n", "k", std::nullopt},
        ReadCase{"CommentedKey", "[s]\n ;k=1\n", "k", std::nullopt},
        ReadCase{"LineWithoutEquals", "[s]\nk\n", "k", std::nullopt},
        ReadCase{"BracketWithoutCloseIsJunk", "[s]\n[t\nk=1\n", "k", "1"},
        ReadCase{"TextAfterHeaderIgnored", "[s] ; note\nk=1\n", "k", "1"},
        ReadCase{"FirstOfTwoSectionsCounts", "[s]\nj=1\n[s]\nk=2\n", "k", std::nullopt},
        ReadCase{"FirstOfTwoKeysCounts", "[s]\nk=1\nK=2\n", "k", "1"},
        ReadCase{"NoFinalLineEnd", "[s]\nk=last", "k", "last"},
        ReadCase{"Utf8MarkSkipped", "\xEF\xBB\xBF[s]\nk=1\n", "k", "1"},
        ReadCase{"KeyAfterNulByte", "[s]\nk=a\0b\nj=2\n"sv, "j", "2"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

struct WriteCase {
    const char* name;
    std::string_view before;
    const char* section;
    const char* key;
    std::string_view value;
    std::optional<std::string_view> after;
};

class ProfileWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ProfileWrite, ChangesOnlyTheKeysLine) {
    const WriteCase& c = GetParam();
    const std::optional<std::string> after =
        platform::with_profile_value(c.before, c.section, c.key, c.value);
    ASSERT_EQ(after.has_value(), c.after.has_value());
    if (after) {
        EXPECT_EQ(*after, *c.after);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileWrite,
    ::testing::Values(
        WriteCase{"ReplacesInPlace", "; c\n[s]\n  K = old \nj=1\n[t]\nk=x\n", "s", "k", "new",
                  "; c\n[s]\nk=new\nj=1\n[t]\nk=x\n"},
        WriteCase{"ReplacesKeepingCrLf", "[s]\r\nk=old\r\nj=1\r\n", "S", "k", "new",
                  "[s]\r\nk=new\r\nj=1\r\n"},
        WriteCase{"AddsBelowLastKeyOfSection", "[s]\nj=1\n; about t\n\n[t]\n", "s", "k", "v",
                  "[s]\nj=1\nk=v\n; about t\n\n[t]\n"},
        WriteCase{"AddsBelowHeaderOfEmptySection", "[t]\nk=1\n[S]\n\n", "s", "k", "v",
                  "[t]\nk=1\n[S]\nk=v\n\n"},
        WriteCase{"AddsAfterLastLineWithoutEnd", "[s]\r\nj=1", "s", "k", "v",
                  "[s]\r\nj=1\r\nk=v\r\n"},
        WriteCase{"AddsMissingSectionAtEnd", "[t]\nk=1\n", "s", "k", "v", "[t]\nk=1\n\n[s]\nk=v\n"},
        WriteCase{"AddsSectionAfterBlankLine", "[t]\nk=1\n\n", "s", "k", "v",
                  "[t]\nk=1\n\n[s]\nk=v\n"},
        WriteCase{"AddsSectionToFileWithoutEnd", "[t]\r\nk=1", "s", "k", "v",
                  "[t]\r\nk=1\r\n\r\n[s]\r\nk=v\r\n"},
        WriteCase{"NewFileGetsCrLf", "", "s", "k", "v", "[s]\r\nk=v\r\n"},
        WriteCase{"EmptyValueKeepsKey", "[s]\nk=old\n", "s", "k", "", "[s]\nk=\n"},
        WriteCase{"ValueByteForByte", "", "s", "k", "C:\\fw=1;2 \"\xE9.hex",
                  "[s]\r\nk=C:\\fw=1;2 \"\xE9.hex\r\n"},
        WriteCase{"KeepsUtf8Mark", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "v",
                  "\xEF\xBB\xBF[s]\nk=v\n"},
        WriteCase{"RefusesLineBreakInValue", "", "s", "k", "a\nb", std::nullopt},
        WriteCase{"RefusesNulInValue", "", "s", "k", "a\0b"sv, std::nullopt},
        WriteCase{"RefusesEqualsInKey", "", "s", "a=b", "v", std::nullopt},
        WriteCase{"RefusesBlankEdgedSection", "", " s", "k", "v", std::nullopt},
        WriteCase{"RefusesUtf16File", "\xFF\xFE[\0s\0]\0"sv, "s", "k", "v", std::nullopt}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

class SettingsFile : public ::testing::Test {
  protected:
    TempDir dir_;
    std::string path_ = dir_.file("loader.ini");
    LoaderSettings settings_{path_};
};

TEST_F(SettingsFile, EmptyPathReadsEmptyAndWritesNothing) {
    LoaderSettings nowhere;
    EXPECT_EQ(nowhere.read("HX4xLoader", "k", "default"), "");
    EXPECT_FALSE(nowhere.write("HX4xLoader", "k", "v"));
}

TEST_F(SettingsFile, MissingFileOrKeyGivesTheDefault) {
    EXPECT_EQ(settings_.read("HX4xLoader", "k", "default"), "default");
    ASSERT_TRUE(settings_.write("HX4xLoader", "j", "v"));
    EXPECT_EQ(settings_.read("HX4xLoader", "k", "default"), "default");
}

TEST_F(SettingsFile, ReadsAreCutTo1039BytesAndAtNul) {
    const std::string long_value(2000, 'x');
    ASSERT_TRUE(settings_.write_indexed(12, "hex_file_name", "HX4xLoader", long_value));
    EXPECT_NE(read_file(path_).find("hex_file_name_12=" + long_value + "\r\n"), std::string::npos);
    EXPECT_EQ(settings_.read_indexed(12, "hex_file_name", "HX4xLoader", ""),
              std::string(LoaderSettings::longest_value, 'x'));
    write_file(path_, "[HX4xLoader]\r\nk=GP\0IB\r\n"s);
    EXPECT_EQ(settings_.read("HX4xLoader", "k", ""), "GP");
}

// POSIX only from here to the fuzz replay: the rules of this system's own writer and its
// reader's defences. On Windows the system's profile calls read and write the file, and
// the profile comparison test holds them to the same values.
#ifndef _WIN32
TEST_F(SettingsFile, WritesKeepOtherBytesAndThePermissions) {
    const std::string before =
        "; station 4\r\n[Other]\r\nlast_used_hex_file=keep\r\n\r\n[hx4xloader]\r\n"
        "  Last_Used_Hex_File = \"c:\\old.hex\"\r\nx=1\r\n";
    write_file(path_, before);
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(settings_.write("HX4xLoader", "last_used_hex_file", "/lab/fw.hex"));
    ASSERT_TRUE(settings_.write("HX4xLoader", "last_used_instrument", ""));
    EXPECT_EQ(read_file(path_),
              "; station 4\r\n[Other]\r\nlast_used_hex_file=keep\r\n\r\n[hx4xloader]\r\n"
              "last_used_hex_file=/lab/fw.hex\r\nx=1\r\nlast_used_instrument=\r\n");
    EXPECT_EQ(fs::status(path_).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// Something the reader must survive at the settings path, and whether a write may replace it.
struct HostileCase {
    const char* name;
    void (*make)(const std::string& path);
    const char* expected;  // of last_used_instrument, "default" when unreadable
    bool writable;
};

class HostileSettingsFile : public SettingsFile,
                            public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileSettingsFile, GivesDefaultsOrReadableKeys) {
    const HostileCase& c = GetParam();
    c.make(path_);
    const auto type = fs::symlink_status(path_).type();
    const auto size = type == fs::file_type::regular ? fs::file_size(path_) : 0;

    EXPECT_EQ(settings_.read("HX4xLoader", "last_used_instrument", "default"), c.expected);
    EXPECT_EQ(settings_.write("HX4xLoader", "last_used_hex_file", "/lab/fw.hex"), c.writable);
    if (c.writable) {
        EXPECT_EQ(settings_.read("HX4xLoader", "last_used_hex_file", ""), "/lab/fw.hex");
        EXPECT_EQ(settings_.read("HX4xLoader", "last_used_instrument", "default"), c.expected);
    } else {
        EXPECT_EQ(fs::symlink_status(path_).type(), type);
        EXPECT_EQ(type == fs::file_type::regular ? fs::file_size(path_) : 0, size);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileSettingsFile,
    ::testing::Values(
        HostileCase{"NulByte",
                    [](const std::string& p) {
                        write_file(p, "[HX4xLoader]\nx=\0\0\nlast_used_instrument=USB0\n"s);
                    },
                    "USB0", true},
        HostileCase{"MegabyteLine",
                    [](const std::string& p) {
                        write_file(p, "[HX4xLoader]\n" + std::string(1 << 20, 'j') +
                                          "\nlast_used_instrument=USB0\n");
                    },
                    "USB0", true},
        HostileCase{
            "NoFinalLineEnd",
            [](const std::string& p) { write_file(p, "[HX4xLoader]\nlast_used_instrument=USB0"); },
            "USB0", true},
        HostileCase{"HundredMegabytes",
                    [](const std::string& p) {
                        write_file(p, "[HX4xLoader]\nlast_used_instrument=USB0\n");
                        fs::resize_file(p, 100u << 20);  // sparse: cheap to make
                    },
                    "default", false},
        HostileCase{"Directory", [](const std::string& p) { fs::create_directory(p); }, "default",
                    false},
        HostileCase{"Fifo",
                    [](const std::string& p) { ASSERT_TRUE(testing_support::make_fifo(p)); },
                    "default", false}),
    [](const auto& param_info) { return std::string(param_info.param.name); });
#endif

TEST(SettingsReaderFuzzRegression, KeptInputsAndSeedsHoldTheInvariants) {
    auto inputs = testing_support::fuzz_regression_inputs("fuzz_settings_reader");
    const fs::path seeds = fs::path(HX4X_TEST_DATA_DIR).parent_path().parent_path() /
                           "fuzz/seeds/fuzz_settings_reader";
    std::size_t seed_count = 0;
    for (const auto& entry : fs::directory_iterator(seeds)) {
        inputs.push_back(read_file(entry.path().string()));
        ++seed_count;
    }
    EXPECT_GT(seed_count, 0u);
    for (const std::string& input : inputs) {
        fuzzing::run_settings_reader_case(input);  // aborts on a broken invariant
    }
}

}  // namespace
}  // namespace hx4x
