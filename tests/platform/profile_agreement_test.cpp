// The settings reader and writer of this project against the system's profile calls
// (GetPrivateProfileStringA and WritePrivateProfileStringA, here Wine's independent reading
// of them): one table of files, the same values read directly and read back after a write.
// The system rewrites a file in its own layout, so values are compared, never bytes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "case_name.hpp"
#include "platform/profile_file.hpp"
#include "platform/profile_text.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

using namespace std::string_view_literals;

using Key = std::pair<std::string, std::string>;  // section, key

struct Write {
    std::string section;
    std::string key;
    std::string value;
};

struct AgreementCase {
    const char* name;
    std::string text;
    std::vector<Key> keys;
    std::vector<Write> writes;
};

constexpr char absent[] = "\x01(absent)";
constexpr std::size_t cut = platform::profile_value_capacity - 1;

// This project's reading of the bytes, cut as every read through the system's buffer is.
std::string own_value(std::string_view text, const Key& key) {
    const std::optional<std::string> value =
        platform::find_profile_value(text, key.first, key.second);
    return value ? value->substr(0, cut) : absent;
}

std::string system_value(const std::string& path, const Key& key) {
    return platform::read_profile_string(path, key.first, key.second, absent);
}

class ProfileAgreement : public ::testing::TestWithParam<AgreementCase> {
  protected:
    testing_support::TempDir dir_;
};

TEST_P(ProfileAgreement, SameValuesReadDirectlyAndAfterWrites) {
    const AgreementCase& c = GetParam();
    const std::string path = dir_.file("settings.ini");
    testing_support::write_file(path, c.text);
    std::vector<Key> keys = c.keys;
    for (const Key& key : c.keys) {
        EXPECT_EQ(own_value(c.text, key), system_value(path, key))
            << "[" << key.first << "] " << key.second;
    }

    std::string own_text = c.text;
    for (const Write& write : c.writes) {
        const std::optional<std::string> written =
            platform::with_profile_value(own_text, write.section, write.key, write.value);
        ASSERT_TRUE(written.has_value()) << write.key;
        own_text = *written;
        ASSERT_TRUE(platform::write_profile_string(path, write.section, write.key, write.value))
            << write.key;
        keys.push_back({write.section, write.key});
    }
    for (const Key& key : keys) {
        EXPECT_EQ(own_value(own_text, key), system_value(path, key))
            << "after the writes: [" << key.first << "] " << key.second << "\nown file:\n"
            << own_text << "\nsystem's file:\n"
            << testing_support::read_file(path);
    }
}

const std::string long_value(1500, 'L');
const std::string cut_value(cut, 'C');

INSTANTIATE_TEST_SUITE_P(
    Table, ProfileAgreement,
    ::testing::Values(
        AgreementCase{
            "PlainCrLf",
            "[HX4xLoader]\r\nlast_used_hex_file=C:\\fw\\a.hex\r\n"
            "last_used_instrument=GPIB0::3::INSTR\r\n",
            {{"HX4xLoader", "last_used_hex_file"}, {"HX4xLoader", "last_used_instrument"}},
            {{"HX4xLoader", "last_used_hex_file", "D:\\new\\b.hex"},
             {"HX4xLoader", "hex_file_name_1", "C:\\fw\\a.hex"}}},
        AgreementCase{"LineFeedsOnly",
                      "[HX4xLoader]\nlast_used_hex_file=C:\\a.hex\nhex_file_name_1=C:\\b.hex\n",
                      {{"HX4xLoader", "last_used_hex_file"}, {"HX4xLoader", "hex_file_name_1"}},
                      {{"HX4xLoader", "hex_file_name_2", "C:\\c.hex"}}},
        AgreementCase{"OddSpacing",
                      "  [ HX4xLoader ]  \r\n\t last_used_hex_file \t=  C:\\fw\\a b.hex  \r\n"
                      "k  =  v  w  \r\n",
                      {{"HX4xLoader", "last_used_hex_file"}, {"HX4xLoader", "k"}},
                      {{"HX4xLoader", "k", "x"}}},
        AgreementCase{"Quotes",
                      "[s]\r\nd=\"quoted value\"\r\nq='single'\r\nu=\"unmatched\r\n"
                      "two=\"\"inner\"\"\r\nsp=\" spaced \"\r\nmid=a\"b\"c\r\n",
                      {{"s", "d"}, {"s", "q"}, {"s", "u"}, {"s", "two"}, {"s", "sp"}, {"s", "mid"}},
                      {{"s", "d", "C:\\new \"x\".hex"}}},
        AgreementCase{"LetterCase",
                      "[hx4xloader]\r\nLAST_USED_HEX_FILE=C:\\Fw.HEX\r\n",
                      {{"HX4xLoader", "last_used_hex_file"}, {"HX4XLOADER", "Last_Used_Hex_File"}},
                      {{"HX4xLoader", "last_used_hex_file", "C:\\lower.hex"},
                       {"HX4XLOADER", "NEW_KEY", "v"}}},
        AgreementCase{"Comments",
                      "; station 4\r\n[s]\r\n;k=1\r\nk2=2 ; not a comment\r\nk3=3\r\n",
                      {{"s", "k"}, {"s", "k2"}, {"s", "k3"}},
                      {{"s", "k3", "33"}}},
        AgreementCase{"OtherSections",
                      "[a]\r\nk=1\r\n[HX4xLoader]\r\nk=2\r\n[b]\r\nk=3\r\n",
                      {{"a", "k"}, {"HX4xLoader", "k"}, {"b", "k"}, {"c", "k"}},
                      {{"HX4xLoader", "k", "22"}, {"c", "k", "4"}, {"b", "j", "5"}}},
        AgreementCase{"LongValues",
                      "[s]\r\nlong=" + long_value + "\r\nexact=" + cut_value + "\r\n",
                      {{"s", "long"}, {"s", "exact"}},
                      {{"s", "long", cut_value}, {"s", "longer", long_value}}},
        AgreementCase{"EmptyValuesAndJunk",
                      "[s]\r\nempty=\r\nno equals sign\r\n=novalue\r\nk=v\r\n",
                      {{"s", "empty"}, {"s", "no equals sign"}, {"s", "k"}},
                      {{"s", "empty", "now"}, {"s", "k", ""}}},
        AgreementCase{"KeyAboveAnySection",
                      "k=top\r\n[s]\r\nj=1\r\n",
                      {{"s", "k"}, {"s", "j"}},
                      {{"s", "k", "inside"}}},
        AgreementCase{
            "TextAfterTheHeader", "[s] ; note\r\nk=1\r\n", {{"s", "k"}}, {{"s", "k", "2"}}},
        AgreementCase{
            "NewFile",
            "",
            {{"HX4xLoader", "k"}},
            {{"HX4xLoader", "last_used_hex_file", "C:\\fw\\a.hex"},
             {"HX4xLoader", "last_used_instrument", "USB0::0x1AB1::0x0588::SN1::INSTR"}}}),
    testing_support::CaseName());

}  // namespace
}  // namespace hx4x
