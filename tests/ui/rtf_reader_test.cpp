// The RTF reader on the readme the program carries and on damaged and hostile input.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host_system.hpp"
#include "platform/program_resource.hpp"
#include "ui/readme_page.hpp"
#include "ui/rtf_reader.hpp"

namespace hx4x {
namespace {

std::string_view as_text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The first run whose text holds the given text.
const TextRun* run_with(const RichTextDocument& document, std::string_view text) {
    for (const RichParagraph& paragraph : document.paragraphs) {
        for (const TextRun& run : paragraph.runs) {
            if (run.text.find(text) != std::string::npos) {
                return &run;
            }
        }
    }
    return nullptr;
}

TEST(EmbeddedReadme, IsFoundByItsNameAndTypeOnly) {
    const auto readme = platform::program_resource("Readme", "RTF_DOCUMENT");
    EXPECT_TRUE(as_text(readme).starts_with("{\\rtf1"));
    EXPECT_TRUE(platform::program_resource("Readme", "BITMAP").empty());
    // Windows looks resource names up without regard to case; the embedded table does not.
    EXPECT_EQ(platform::program_resource("readme", "RTF_DOCUMENT").empty(),
              !testing_support::host_is_windows);
    EXPECT_FALSE(platform::program_resource("VALDMORE_LOGO", "BITMAP").empty());
}

TEST(RtfReader, ReadsOurReadmeWithTheFormattingItUses) {
    const auto document =
        read_rtf(platform::program_resource(readme_resource_name, platform::rtf_document_type));
    ASSERT_TRUE(document.has_value());
    const std::string text = document->plain_text();

    ASSERT_FALSE(document->paragraphs.empty());
    ASSERT_EQ(document->paragraphs[0].runs.size(), 1u);
    const TextRun& title = document->paragraphs[0].runs[0];
    EXPECT_EQ(title.text, product_placeholder);
    EXPECT_TRUE(title.format.bold);
    EXPECT_EQ(title.format.half_points, 22);

    // The warning stands out in red, its "do not" also underlined.
    const TextRun* warning = run_with(*document, "Do not switch the counter off");
    ASSERT_NE(warning, nullptr);
    EXPECT_TRUE(warning->format.bold);
    EXPECT_EQ(warning->format.colour, (Rgb{176, 32, 32}));
    const TextRun* do_not = run_with(*document, "do not");
    ASSERT_NE(do_not, nullptr);
    EXPECT_TRUE(do_not->format.bold && do_not->format.underline);
    EXPECT_EQ(do_not->format.colour, (Rgb{176, 32, 32}));

    const TextRun* message = run_with(*document, "No connected instruments found");
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->format.italic);
    EXPECT_EQ(message->format.half_points, 18);
    EXPECT_FALSE(message->format.colour.has_value());

    EXPECT_NE(text.find("1.\tPick the firmware file.\nClick Next > twice"), std::string::npos);
    // \u8211 with its fallback, and a source line end that is no space in the page.
    EXPECT_NE(text.find("steps 1\u2013"
                        "5 once before you start."),
              std::string::npos);
    EXPECT_NE(text.find("\u201CFlash updating (DO NOT INTERRUPT!)...\u201D"), std::string::npos);
    EXPECT_NE(text.find("\u00A9 2010 Quillfeather Counter Works"), std::string::npos);  // \'a9
    // The font table, the generator and the information group show nothing.
    for (const char* hidden : {"Tahoma", "Courier", "Firmware update instructions"}) {
        EXPECT_EQ(text.find(hidden), std::string::npos) << hidden;
    }
}

struct RtfCase {
    const char* name;
    std::string input;
    std::optional<std::string> text;  // the document's plain text; none: no document
};

std::string nested(std::size_t depth, const std::string& inside) {
    return "{\\rtf1 " + std::string(depth, '{') + inside + std::string(depth, '}') + "}";
}

std::vector<RtfCase> rtf_cases() {
    return {
        {"Empty", "", std::nullopt},
        {"NotRtf", "Hello", std::nullopt},
        {"LeadingBlank", " {\\rtf1 A}", std::nullopt},
        {"OnlyTheMagic", "{\\rtf", "\n"},
        {"Paragraphs", "{\\rtf1 A\\par B\\par}", "A\nB\n"},
        {"EmptyParagraphKept", "{\\rtf1 A\\par\\par B}", "A\n\nB\n"},
        {"LineAndTab", "{\\rtf1 A\\line B\\tab C\tD}", "A\nB\tC\tD\n"},
        {"SourceLineEndsIgnored", "{\\rtf1 A\r\nB\nC}", "ABC\n"},
        {"BackslashLineEndIsParagraph", "{\\rtf1 A\\\nB}", "A\nB\n"},
        {"ControlWordEatsOneBlank", "{\\rtf1\\b  A}", " A\n"},
        {"EscapedSymbols", "{\\rtf1 \\\\\\{\\}\\~x}", "\\{}\u00A0x\n"},
        {"Cp1252Escapes", "{\\rtf1 \\'80\\'e9\\'E9\\'93q\\'94}",
         "\u20AC\u00E9\u00E9\u201Cq\u201D\n"},
        {"UndefinedCp1252", "{\\rtf1 \\'81}", "\uFFFD\n"},
        {"TruncatedHexEscape", "{\\rtf1 A\\'4", "A\n"},
        {"BadHexEscape", "{\\rtf1 A\\'zzB}", "AzzB\n"},
        {"TrailingBackslash", "{\\rtf1 A\\", "A\n"},
        {"UnicodeSkipsOneFallback", "{\\rtf1 \\u233?x}", "\u00E9x\n"},
        {"UnicodeNegative", "{\\rtf1 \\u-3913?}", "\uF0B7\n"},
        {"UcTwo", "{\\rtf1\\uc2 \\u233\\'e9?x}", "\u00E9x\n"},
        {"UcZero", "{\\rtf1\\uc0 \\u233 x}", "\u00E9x\n"},
        {"UcEndsWithGroup", "{\\rtf1 {\\uc1 \\u233}x}", "\u00E9x\n"},
        {"SurrogatePair", "{\\rtf1 \\u-10179?\\u-8704?}", "\U0001F600\n"},
        {"LoneHighSurrogate", "{\\rtf1 \\u55357?x}", "\uFFFDx\n"},
        {"HighSurrogateEndsTheDocument", "{\\rtf1 \\u55357?}", "\uFFFD\n"},
        {"HighSurrogateAtTheEndOfInput", "{\\rtf1 \\u55357", "\uFFFD\n"},
        {"LoneLowSurrogate", "{\\rtf1 \\u56832?x}", "\uFFFDx\n"},
        {"HugeUnicode", "{\\rtf1 \\u99999999999999999999?x}", "\uFFFDx\n"},
        {"HugeNegativeUnicode", "{\\rtf1 \\u-99999999999?x}", "\uFFFDx\n"},
        {"HugeUc", "{\\rtf1\\uc99999999999 \\u233 abc}", "\u00E9\n"},
        {"HugeFontSize", "{\\rtf1\\fs999999999999999999999 A}", "A\n"},
        {"LongControlWord", "{\\rtf1\\" + std::string(100, 'b') + " A}", "A\n"},
        {"StarGroupSkipped", "{\\rtf1 A{\\*\\anything B{C}D}E}", "AE\n"},
        {"FontTableSkipped", "{\\rtf1{\\fonttbl{\\f0 Tahoma;}}A}", "A\n"},
        {"InfoSkipped", "{\\rtf1{\\info{\\title T}}A}", "A\n"},
        {"ParInSkippedGroup", "{\\rtf1 A{\\*\\x\\par}B}", "AB\n"},
        {"BinaryDataSkipped", "{\\rtf1{\\pict\\bin3 }}}}A}", "A\n"},
        {"BinaryPastTheEnd", "{\\rtf1 A\\bin999999999 xyz", "A\n"},
        {"TextAfterTheDocumentIgnored", "{\\rtf1 A}B}}{C", "A\n"},
        {"UnclosedGroupsKeepTheText", "{\\rtf1 A{\\b B{\\i C", "ABC\n"},
        {"DeepButAllowed", nested(rtf_max_group_depth - 1, "A"), "A\n"},
        {"TooDeep", nested(rtf_max_group_depth, "A"), std::nullopt},
        {"HundredThousandGroups", nested(100'000, "A"), std::nullopt},
        {"HundredThousandUnclosed", "{\\rtf1 " + std::string(100'000, '{'), std::nullopt},
        {"TooLarge", "{\\rtf1 " + std::string(rtf_max_bytes, 'x') + "}", std::nullopt},
    };
}

class RtfReaderCases : public ::testing::TestWithParam<RtfCase> {};

TEST_P(RtfReaderCases, GiveTheirTextOrNoDocument) {
    const RtfCase& c = GetParam();
    const std::optional<RichTextDocument> document = read_rtf(c.input);
    ASSERT_EQ(document.has_value(), c.text.has_value());
    if (document) {
        EXPECT_EQ(document->plain_text(), *c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(Reader, RtfReaderCases, ::testing::ValuesIn(rtf_cases()),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(RtfReader, FormatsFollowGroupsAndTheColourTable) {
    const auto document = read_rtf(
        "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;;\\blue300;}"
        "\\cf1 r{\\b\\i\\ul\\fs40 x}\\cf2 a\\cf3 b\\cf99 c\\b n\\b0\\i o\\plain p\\fs-5 q\\fs z}");
    ASSERT_TRUE(document.has_value());
    const std::vector<TextRun>& runs = document->paragraphs.at(0).runs;
    ASSERT_EQ(runs.size(), 10u);
    EXPECT_EQ(runs[0].format.colour, (Rgb{255, 0, 0}));
    EXPECT_TRUE(runs[1].format.bold && runs[1].format.italic && runs[1].format.underline);
    EXPECT_EQ(runs[1].format.half_points, 40);
    EXPECT_EQ(runs[1].format.colour, (Rgb{255, 0, 0}));  // inherited from the outer group
    EXPECT_FALSE(runs[2].format.bold);                   // the group's end restored it
    EXPECT_FALSE(runs[2].format.colour.has_value());     // an empty entry is the default
    EXPECT_EQ(runs[3].format.colour, (Rgb{0, 0, 255}));  // channels are cut to 255
    EXPECT_FALSE(runs[4].format.colour.has_value());     // beyond the table
    EXPECT_TRUE(runs[5].format.bold);
    EXPECT_FALSE(runs[6].format.bold);
    EXPECT_TRUE(runs[6].format.italic);
    EXPECT_EQ(runs[7].format, TextFormat{});  // \plain
    EXPECT_EQ(runs[8].format.half_points, 1);
    EXPECT_EQ(runs[9].format.half_points, TextFormat::default_half_points);
}

}  // namespace
}  // namespace hx4x
