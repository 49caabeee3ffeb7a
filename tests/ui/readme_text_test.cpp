// The readme's placeholders, the product text that replaces the first and the composed page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/version_info.hpp"
#include "app/version_record_writer.hpp"
#include "ui/placeholder_replacement.hpp"
#include "ui/product_text.hpp"
#include "ui/readme_page.hpp"
#include "ui/rtf_reader.hpp"

namespace hx4x {
namespace {

const std::string placeholder = file_name_placeholder;

RichTextDocument document_of(const std::string& rtf) {
    std::optional<RichTextDocument> document = read_rtf(rtf);
    EXPECT_TRUE(document.has_value()) << rtf;
    return document.value_or(RichTextDocument{});
}

struct ReplaceCase {
    const char* name;
    std::string rtf_body;
    std::string replacement;
    std::string text;  // after the replacement
    std::size_t replaced;
};

std::vector<ReplaceCase> replace_cases() {
    const std::string& p = placeholder;
    return {
        {"Alone", p, "R", "R\n", 1},
        {"EveryOccurrenceInEveryParagraph", p + " and " + p + "\\par " + p, "R", "R and R\nR\n", 3},
        {"CaseSensitive", "here_will_be_exe_file_name", "R", "here_will_be_exe_file_name\n", 0},
        {"NotInsideLongerWords", "X" + p + " " + p + "X " + p + "_2 _" + p + " " + p + "9", "R",
         "X" + p + " " + p + "X " + p + "_2 _" + p + " " + p + "9\n", 0},
        {"NextToPunctuation", "(" + p + ") " + p + ". \"" + p + "\"", "R", "(R) R. \"R\"\n", 3},
        {"NextToNonAsciiLetter", "\\'e9" + p, "R", "\u00E9" + p + "\n", 0},
        {"SpanningRuns", "{\\b HERE_WILL}_BE_EXE_FILE_NAME!", "R", "R!\n", 1},
        {"LineBreaksInTheReplacement", "[" + p + "]", "a\nb", "[a\nb]\n", 1},
        // Searching from the start after each replacement would never end here.
        {"ReplacementHoldingThePlaceholder", p + " " + p, "<" + p + ">",
         "<" + p + "> <" + p + ">\n", 2},
        {"ReplacementIsThePlaceholder", p, p, p + "\n", 1},
        {"EmptyReplacement", "a " + p + " b", "", "a  b\n", 1},
    };
}

class PlaceholderReplacement : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(PlaceholderReplacement, ReplacesEveryWholeWordOccurrence) {
    const ReplaceCase& c = GetParam();
    RichTextDocument document = document_of("{\\rtf1 " + c.rtf_body + "}");
    EXPECT_EQ(replace_placeholder(document, placeholder, c.replacement), c.replaced);
    EXPECT_EQ(document.plain_text(), c.text);
}

INSTANTIATE_TEST_SUITE_P(Readme, PlaceholderReplacement, ::testing::ValuesIn(replace_cases()),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(PlaceholderReplacement, TakesTheFormatWhereTheOccurrenceBegins) {
    RichTextDocument document = document_of("{\\rtf1 a {\\b HERE_WILL_BE}{\\i _EXE_FILE_NAME b}}");
    replace_placeholder(document, placeholder, "R");
    const std::vector<TextRun>& runs = document.paragraphs.at(0).runs;
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[1].text, "R");
    EXPECT_TRUE(runs[1].format.bold);
    EXPECT_EQ(runs[2].text, " b");
    EXPECT_TRUE(runs[2].format.italic);
}

VersionInfo version_info(std::vector<std::pair<std::string, std::string>> strings) {
    VersionRecordDescription d;
    d.file_version = {3, 0, 7, 9};
    d.strings = std::move(strings);
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(serialize_version_node(version_record_tree(d), bytes, nullptr));
    VersionInfo info;
    EXPECT_TRUE(info.parse(bytes.data(), bytes.size()));
    return info;
}

struct ProductCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> strings;
    std::string text;
};

class ProductText : public ::testing::TestWithParam<ProductCase> {};

TEST_P(ProductText, ComesFromTheVersionRecord) {
    EXPECT_EQ(product_text(version_info(GetParam().strings)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Readme, ProductText,
    ::testing::Values(
        ProductCase{"Everything",
                    {{"Comments", "23 Jun 2010 17:28"},
                     {"InternalName", "LTA5x/LMA5x Firmware Loader"},
                     {"Company", "Quillfeather Counter Works"}},
                    "LTA5x/LMA5x Firmware Loader\nVersion: 3.0.7 Build date: 23 Jun 2010 "
                    "17:28\nQuillfeather Counter Works"},
        ProductCase{"NoBuildDate",
                    {{"Comments", ""}, {"InternalName", "N"}, {"Company", "C"}},
                    "N\nVersion: 3.0.7\nC"},
        // CompanyName is another key: only Company ends the text.
        ProductCase{"NoCompany",
                    {{"Comments", "D"}, {"InternalName", "N"}, {"CompanyName", "C"}},
                    "N\nVersion: 3.0.7 Build date: D\n"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(ProductText, WithoutARecordIsOnlyTheVersionLine) {
    EXPECT_EQ(product_text(VersionInfo{}), "\nVersion: 0.0.0\n");
}

TEST(ReadmePage, ReplacesBothPlaceholdersOfOurReadme) {
    const VersionInfo info = version_info({{"Comments", "23 Jun 2010 17:28"},
                                           {"InternalName", "RV226x Firmware Loader"},
                                           {"OriginalFilename", "RV226xLoader"},
                                           {"Company", "Quillfeather Counter Works"}});
    const RichTextDocument page = program_readme(info);
    ASSERT_FALSE(page.paragraphs.empty());
    EXPECT_EQ(page.paragraphs[0].plain_text(),
              "RV226x Firmware Loader\nVersion: 3.0.7 Build date: 23 Jun 2010 17:28\n"
              "Quillfeather Counter Works");
    const std::string text = page.plain_text();
    EXPECT_EQ(text.find("HERE_WILL_BE_"), std::string::npos);
    std::size_t named = 0;
    for (std::size_t at = text.find("RV226xLoader "); at != std::string::npos;
         at = text.find("RV226xLoader ", at + 1)) {
        ++named;
    }
    EXPECT_EQ(named, 3u);
}

TEST(ReadmePage, IsEmptyForAMissingOrUnreadableDocument) {
    EXPECT_TRUE(readme_document({}, "p", "f").paragraphs.empty());
    const std::string plain = "HERE_WILL_BE_EXE_FILE_NAME";
    EXPECT_TRUE(
        readme_document(
            std::span(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()), "p", "f")
            .paragraphs.empty());
}

}  // namespace
}  // namespace hx4x
