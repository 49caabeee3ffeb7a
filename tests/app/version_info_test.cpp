#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/version_info.hpp"
#include "app/version_record_writer.hpp"

namespace hx4x {
namespace {

VersionRecordDescription loader_description() {
    VersionRecordDescription d;
    d.file_version = {3, 0, 7, 0};
    d.product_version = {3, 0, 7, 0};
    d.translations = {{0x0409, 0x04B0}};
    d.strings = {{"Comments", "23 Jun 2010 17:28"}, {"CompanyName", "Quillfeather Counter Works"},
                 {"FileVersion", "3, 0, 7, 0"},     {"InternalName", "LTA5x/LMA5x Firmware Loader"},
                 {"LegalTrademarks", ""},           {"OriginalFilename", "LTA5xLMA5xLoader.exe"}};
    return d;
}

std::vector<std::uint8_t> bytes_of(const VersionNode& root) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(serialize_version_node(root, bytes, &error)) << error;
    return bytes;
}

std::uint16_t u16_at(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

VersionInfo parsed(const std::vector<std::uint8_t>& bytes) {
    VersionInfo info;
    EXPECT_TRUE(info.parse(bytes.data(), bytes.size()));
    return info;
}

TEST(VersionRecordWriter, LaysOutTheRootAsTheResourceLayoutWants) {
    const auto b = bytes_of(version_record_tree(loader_description()));
    EXPECT_EQ(u16_at(b, 0), b.size());  // the root spans the record
    EXPECT_EQ(u16_at(b, 2), 52);        // the fixed part, in bytes
    EXPECT_EQ(u16_at(b, 4), 0);         // binary
    EXPECT_EQ(u16_at(b, 6), 'V');
    EXPECT_EQ(u16_at(b, 6 + 2 * 14), 'O');  // last letter of VS_VERSION_INFO
    EXPECT_EQ(u16_at(b, 6 + 2 * 15), 0);
    // Head and key end at byte 38; the fixed part starts at the next 32-bit boundary.
    EXPECT_EQ(u16_at(b, 40), 0x04BD);
    EXPECT_EQ(u16_at(b, 42), 0xFEEF);
    EXPECT_EQ(u16_at(b, 48), 0);  // file version high half: minor 0, major 3
    EXPECT_EQ(u16_at(b, 50), 3);
    // The first child follows the 52 bytes directly (92 is already aligned).
    EXPECT_EQ(u16_at(b, 92 + 6), 'S');
    EXPECT_EQ(u16_at(b, 92 + 4), 1);
}

TEST(VersionRecordWriter, GivesAnEmptyTextValueLengthZeroAndCountsCharactersWithTheNul) {
    const auto b = bytes_of(VersionNode::text_node("Ab", ""));
    EXPECT_EQ(u16_at(b, 2), 0);
    EXPECT_EQ(b.size(), 12u);  // head 6, key 6, no value
    const auto c = bytes_of(VersionNode::text_node("Ab", "xyz"));
    EXPECT_EQ(u16_at(c, 2), 4);
    EXPECT_EQ(c.size(), 20u);  // head 6, key 6, aligned at 12, value 8
}

TEST(VersionRecordWriter, RefusesANodeBeyond65535Bytes) {
    VersionRecordDescription d = loader_description();
    d.strings.emplace_back("Huge", std::string(40000, 'x'));
    std::vector<std::uint8_t> bytes{1, 2, 3};
    std::string error;
    EXPECT_FALSE(serialize_version_node(version_record_tree(d), bytes, &error));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(error, "The node 'Huge' is too long for a version record");
}

TEST(VersionInfo, AnswersTheValuesAndTheFileVersion) {
    const VersionInfo info = parsed(bytes_of(version_record_tree(loader_description())));
    EXPECT_EQ(info.string_value("InternalName"), "LTA5x/LMA5x Firmware Loader");
    EXPECT_EQ(info.string_value("Comments"), "23 Jun 2010 17:28");
    EXPECT_EQ(info.string_value("OriginalFilename"), "LTA5xLMA5xLoader.exe");
    EXPECT_EQ(info.string_value("LegalTrademarks"), "");
    EXPECT_EQ(info.file_version_text(), "3.0.7");
    ASSERT_EQ(info.string_tables().size(), 1u);
    EXPECT_EQ(info.string_tables()[0].key, "040904b0");
    EXPECT_EQ(info.string_tables()[0].entries.size(), 6u);
    const auto& fixed = info.fixed_information();
    EXPECT_EQ(fixed[0], VersionInfo::fixed_signature);
    EXPECT_EQ(fixed[2], 0x00030000u);
    EXPECT_EQ(fixed[3], 0x00070000u);
    EXPECT_EQ(fixed[6], 0x3Fu);
    EXPECT_EQ(fixed[8], 0x4u);
    EXPECT_EQ(fixed[9], 0x1u);
}

TEST(VersionInfo, KeysAreCaseSensitiveAndOnlyTheFirstTableCounts) {
    VersionNode root = version_record_tree(loader_description());
    VersionNode later;
    later.key = "040704b0";
    later.is_text = true;
    later.children.push_back(VersionNode::text_node("ProductName", "Zweite Tabelle"));
    later.children.push_back(VersionNode::text_node("InternalName", "Zweiter Name"));
    root.children[0].children.push_back(later);
    const VersionInfo info = parsed(bytes_of(root));
    ASSERT_EQ(info.string_tables().size(), 2u);
    EXPECT_EQ(info.string_tables()[1].entries.size(), 2u);
    EXPECT_EQ(info.string_value("ProductName"), "");
    EXPECT_EQ(info.string_value("InternalName"), "LTA5x/LMA5x Firmware Loader");
    EXPECT_EQ(info.string_value("internalname"), "");
    EXPECT_EQ(info.string_value("InternalName "), "");
}

TEST(VersionInfo, ReadsStringFileInfoAfterVarFileInfoTheSameWay) {
    VersionNode root = version_record_tree(loader_description());
    std::swap(root.children[0], root.children[1]);
    const VersionInfo info = parsed(bytes_of(root));
    EXPECT_EQ(info.string_value("InternalName"), "LTA5x/LMA5x Firmware Loader");
    EXPECT_EQ(info.string_tables().size(), 1u);
}

TEST(VersionInfo, TheFirstOfTwoEqualKeysWins) {
    VersionRecordDescription d = loader_description();
    d.strings.emplace_back("Comments", "later");
    EXPECT_EQ(parsed(bytes_of(version_record_tree(d))).string_value("Comments"),
              "23 Jun 2010 17:28");
}

TEST(VersionInfo, ConvertsToLatin1AndReplacesEverythingElse) {
    VersionRecordDescription d = loader_description();
    d.strings = {{"Latin", "Caf\xC3\xA9 \xC2\xA9"},  // UTF-8 of e-acute and the copyright sign
                 {"Euro", "5 \xE2\x82\xAC"},
                 {"Emoji",
                  "a\xF0\x9F\x98\x80"
                  "b"}};  // one character beyond the BMP
    const VersionInfo info = parsed(bytes_of(version_record_tree(d)));
    EXPECT_EQ(info.string_value("Latin"), "Caf\xE9 \xA9");
    EXPECT_EQ(info.string_value("Euro"), "5 ?");
    EXPECT_EQ(info.string_value("Emoji"), "a?b");
}

TEST(VersionInfo, ARootWithoutFixedPartLeavesItZeroAndStillReadsTheStrings) {
    VersionNode root = version_record_tree(loader_description());
    root.bytes.clear();
    const VersionInfo info = parsed(bytes_of(root));
    EXPECT_EQ(info.file_version_text(), "0.0.0");
    EXPECT_EQ(info.fixed_information()[0], 0u);
    EXPECT_EQ(info.string_value("Comments"), "23 Jun 2010 17:28");
}

TEST(VersionInfo, NoRecordGivesEmptyValuesAndVersionZero) {
    VersionInfo info;
    EXPECT_FALSE(info.parse(nullptr, 0));
    const std::vector<std::uint8_t> short_head{0x40, 0x00, 0x34, 0x00};
    EXPECT_FALSE(info.parse(short_head.data(), short_head.size()));
    // A length below the six-byte head, and a key without its terminating NUL.
    const std::vector<std::uint8_t> tiny{0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_FALSE(info.parse(tiny.data(), tiny.size()));
    const std::vector<std::uint8_t> open_key{0x0A, 0x00, 0x00, 0x00, 0x00,
                                             0x00, 0x41, 0x00, 0x42, 0x00};
    EXPECT_FALSE(info.parse(open_key.data(), open_key.size()));
    EXPECT_EQ(info.string_value("InternalName"), "");
    EXPECT_EQ(info.file_version_text(), "0.0.0");
}

TEST(VersionInfo, AFailedParseForgetsTheRecordBefore) {
    VersionInfo info = parsed(bytes_of(version_record_tree(loader_description())));
    const std::vector<std::uint8_t> junk{1, 2, 3};
    EXPECT_FALSE(info.parse(junk.data(), junk.size()));
    EXPECT_TRUE(info.string_tables().empty());
    EXPECT_EQ(info.file_version_text(), "0.0.0");
}

TEST(VersionInfo, EveryCutOfARecordIsReadWithinItsBytes) {
    const auto whole = bytes_of(version_record_tree(loader_description()));
    for (std::size_t size = 0; size <= whole.size(); ++size) {
        // An exact-size copy, so that the sanitizers see any read past its end.
        const std::vector<std::uint8_t> cut(whole.begin(),
                                            whole.begin() + static_cast<std::ptrdiff_t>(size));
        VersionInfo info;
        info.parse(cut.empty() ? nullptr : cut.data(), cut.size());
        const std::string name = info.string_value("InternalName");
        EXPECT_TRUE(name.empty() || std::string("LTA5x/LMA5x Firmware Loader").rfind(name, 0) == 0)
            << size;
    }
}

TEST(VersionInfo, AChildClaimingLengthZeroEndsTheWalk) {
    auto b = bytes_of(version_record_tree(loader_description()));
    b[92] = 0;  // StringFileInfo's length
    b[93] = 0;
    const VersionInfo info = parsed(b);
    EXPECT_TRUE(info.string_tables().empty());
    EXPECT_EQ(info.file_version_text(), "3.0.7");
}

TEST(VersionInfo, AValueLongerThanItsNodeStopsAtTheNodeEnd) {
    VersionRecordDescription d = loader_description();
    d.strings = {{"A", "xy"}, {"B", "z"}};
    auto b = bytes_of(version_record_tree(d));
    // Find the string node "A" and claim a value of 200 characters for it.
    for (std::size_t at = 0; at + 8 < b.size(); at += 2) {
        if (u16_at(b, at + 4) == 1 && u16_at(b, at + 6) == 'A' && u16_at(b, at + 8) == 0) {
            b[at + 2] = 200;
        }
    }
    const VersionInfo info = parsed(b);
    EXPECT_EQ(info.string_value("A"), "xy");
    EXPECT_EQ(info.string_value("B"), "z");
}

TEST(VersionInfo, FileVersionTextIsPlainDecimal) {
    VersionRecordDescription d = loader_description();
    d.file_version = {65535, 10, 0, 9};
    d.product_version = {1, 2, 3, 4};
    EXPECT_EQ(parsed(bytes_of(version_record_tree(d))).file_version_text(), "65535.10.0");
}

TEST(VersionInfo, BufferCapacityStartsAt1024AndGrowsInWholeKibibytes) {
    EXPECT_EQ(version_buffer_capacity(0), 1024u);
    EXPECT_EQ(version_buffer_capacity(1024), 1024u);
    EXPECT_EQ(version_buffer_capacity(1025), 3072u);
    EXPECT_EQ(version_buffer_capacity(2048), 3072u);
    EXPECT_EQ(version_buffer_capacity(2049), 4096u);
    EXPECT_EQ(version_buffer_capacity(65535), 66560u);
}

}  // namespace
}  // namespace hx4x
