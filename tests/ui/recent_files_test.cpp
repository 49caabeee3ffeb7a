// The file box's list: loading, remembering a file, saving.
#include "ui/recent_files.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "temp_dir.hpp"

namespace hx4x {
namespace {

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
using Names = std::vector<std::string>;

std::string saved_list(const Names& names) {
    std::string text = "[HX4xLoader]\r\n";
    for (std::size_t n = 0; n < names.size(); ++n) {
        text += "hex_file_name_" + std::to_string(n) + "=" + names[n] + "\r\n";
    }
    return text;
}

TEST(RecentFiles, AddedEntriesAreSortedInAndInsertedOnesStay) {
    RecentFiles files(true);
    EXPECT_EQ(files.add("c:\\b.hex"), 0u);
    EXPECT_EQ(files.add("C:\\A.hex"), 0u);
    EXPECT_EQ(files.add("c:\\c.hex"), 2u);
    files.insert(3, "a.hex");
    EXPECT_EQ(files.entries(), (Names{"C:\\A.hex", "c:\\b.hex", "c:\\c.hex", "a.hex"}));
}

struct LoadCase {
    const char* name;
    bool ignore_case;
    Names saved;  // hex_file_name_0, 1, ...; no file at all when empty
    std::string last_used;
    Names expected;
};

class RecentFilesLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(RecentFilesLoad, ListsMostRecentFirst) {
    const LoadCase& c = GetParam();
    TempDir dir;
    const LoaderSettings settings(dir.file("loader.ini"));
    if (!c.saved.empty()) {
        write_file(settings.path(), saved_list(c.saved));
    }
    RecentFiles files(c.ignore_case);
    files.load(settings, c.last_used);
    EXPECT_EQ(files.entries(), c.expected);
    EXPECT_EQ(files.selected_text(), c.expected.empty() ? "" : c.expected.front());
}

Names numbered(int count) {
    Names names;
    for (int n = 0; n < count; ++n) {
        names.push_back("f" + std::to_string(10 + n));
    }
    return names;
}

Names with_first(std::string first, Names rest) {
    rest.insert(rest.begin(), std::move(first));
    return rest;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, RecentFilesLoad,
    ::testing::Values(LoadCase{"NoSettingsFile", true, {}, "", {}},
                      LoadCase{"LastUsedMovesToTop",
                               true,
                               {"c:\\b.hex", "c:\\a.hex"},
                               "c:\\b.hex",
                               {"c:\\b.hex", "c:\\a.hex"}},
                      LoadCase{
                          "EmptyLastUsedEmptiesTheList", true, {"c:\\b.hex", "c:\\a.hex"}, "", {}},
                      LoadCase{"ListEndsAtFirstEmptyValue", true, {"a", "", "c"}, "a", {"a"}},
                      // A name that only begins another entry is another file (the .bak stays, the
                      // name is not listed twice).
                      LoadCase{"WholeNameKeepsLongerEntry",
                               true,
                               {"c:\\fw.hex", "c:\\fw.hex.bak"},
                               "c:\\fw.hex",
                               {"c:\\fw.hex", "c:\\fw.hex.bak"}},
                      LoadCase{"RememberingKeepsEntryItBegins",
                               true,
                               {"c:\\FW.HEX.bak"},
                               "c:\\fw.hex",
                               {"c:\\fw.hex", "c:\\FW.HEX.bak"}},
                      LoadCase{"CaseIgnoredWhereNamesIgnoreIt",
                               true,
                               {"c:\\FW.HEX", "c:\\a.hex"},
                               "c:\\fw.hex",
                               {"c:\\fw.hex", "c:\\a.hex"}},
                      LoadCase{"CaseKeptWhereNamesKeepIt",
                               false,
                               {"/lab/FW.hex", "/lab/a.hex"},
                               "/lab/fw.hex",
                               {"/lab/fw.hex", "/lab/a.hex", "/lab/FW.hex"}},
                      LoadCase{"ExactNameMatchesWhereNamesKeepCase",
                               false,
                               {"/lab/fw.hex", "/lab/a.hex"},
                               "/lab/fw.hex",
                               {"/lab/fw.hex", "/lab/a.hex"}},
                      LoadCase{"ElevenLoadedThenANewNameMakeTwelve", true, numbered(13), "new",
                               with_first("new", numbered(11))}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(RecentFiles, ANewNamePushesTheLastEntryOutOfAFullList) {
    RecentFiles files(true);
    const Names ten = numbered(10);
    for (std::size_t n = 0; n < ten.size(); ++n) {
        files.insert(n, ten[n]);
    }
    files.remember_file("new");
    EXPECT_EQ(files.entries(), with_first("new", numbered(9)));
}

TEST(RecentFiles, SearchRunsFromTheSecondEntryThenTheFirst) {
    RecentFiles files(true);
    for (const char* name : {"a", "b", "A"}) {
        files.insert(files.entries().size(), name);
    }
    files.remember_file("a");  // drops the third entry, not the first
    EXPECT_EQ(files.entries(), (Names{"a", "a", "b"}));
    EXPECT_EQ(files.selected(), 0u);
}

TEST(RecentFiles, LastUsedFillsOnlyWhatTheCommandLineLeftEmpty) {
    TempDir dir;
    const LoaderSettings settings(dir.file("loader.ini"));
    write_file(settings.path(),
               "[HX4xLoader]\nlast_used_instrument=USB0::1\nlast_used_hex_file=/lab/fw.hex\n");
    std::string address = "GPIB0::3::INSTR";
    std::string firmware;
    load_last_used(settings, address, firmware);
    EXPECT_EQ(address, "GPIB0::3::INSTR");
    EXPECT_EQ(firmware, "/lab/fw.hex");
}

TEST(RecentFilesSave, WritesTheListAnEmptyEndThenTheLastUsedKeys) {
    TempDir dir;
    LoaderSettings settings(dir.file("loader.ini"));
    RecentFiles files(false);
    files.load(settings, "");
    EXPECT_TRUE(save_loader_settings(settings, files, "", ""));
    EXPECT_EQ(read_file(settings.path()),
              "[HX4xLoader]\r\nhex_file_name_0=\r\nlast_used_hex_file=\r\n"
              "last_used_instrument=\r\n");

    files.remember_file("/lab/a.hex");
    files.remember_file("/lab/b.hex");
    EXPECT_TRUE(save_loader_settings(settings, files, "/lab/b.hex", "GPIB0::3::INSTR"));
    EXPECT_EQ(read_file(settings.path()),
              "[HX4xLoader]\r\nhex_file_name_0=/lab/b.hex\r\nlast_used_hex_file=/lab/b.hex\r\n"
              "last_used_instrument=GPIB0::3::INSTR\r\nhex_file_name_1=/lab/a.hex\r\n"
              "hex_file_name_2=\r\n");
}

TEST(RecentFilesSave, OlderHigherKeysStayInTheFileUnread) {
    TempDir dir;
    LoaderSettings settings(dir.file("loader.ini"));
    write_file(settings.path(), saved_list({"a", "b", "c", "d"}));
    RecentFiles files(false);
    files.remember_file("z");
    save_loader_settings(settings, files, "z", "");
    EXPECT_NE(read_file(settings.path()).find("hex_file_name_3=d\r\n"), std::string::npos);
    files.load(settings, "z");
    EXPECT_EQ(files.entries(), (Names{"z"}));
}

// A key that cannot be written fails the save, which still keeps every other key; a file
// whose folder is missing fails it whoever runs it.
TEST(RecentFilesSave, FailsWhenAnyKeyIsNotWritten) {
    TempDir dir;
    LoaderSettings settings(dir.file("loader.ini"));
    RecentFiles files(false);
    files.remember_file("/lab/a.hex");
    EXPECT_FALSE(save_loader_settings(settings, files, "/lab/a\nb.hex", "GPIB0::3::INSTR"));
    EXPECT_EQ(read_file(settings.path()),
              "[HX4xLoader]\r\nhex_file_name_0=/lab/a.hex\r\nhex_file_name_1=\r\n"
              "last_used_instrument=GPIB0::3::INSTR\r\n");

    LoaderSettings nowhere(dir.file("missing folder/loader.ini"));
    EXPECT_FALSE(save_loader_settings(nowhere, files, "/lab/a.hex", ""));
}

}  // namespace
}  // namespace hx4x
