#include "instrument/identification.hpp"

#include <gtest/gtest.h>

#include <string>

#include "case_name.hpp"

namespace hx4x {
namespace {

constexpr std::string_view usb_name = "USB0::0x5D3C::0x0090::100000::INSTR";

TEST(IdentificationTable, HoldsTheThreeMakersInOrder) {
    const auto makers = counter_makers();
    ASSERT_EQ(makers.size(), 3u);
    EXPECT_EQ(makers[0].reply_word, "VALDMORE");
    EXPECT_EQ(makers[0].name, "Valdmore Instruments");
    EXPECT_EQ(makers[1].reply_word, "DWERN");
    EXPECT_EQ(makers[1].name, "Dwern");
    EXPECT_EQ(makers[2].reply_word, "QUORVELAN");
    EXPECT_EQ(makers[2].name, "Quorvelan");
    EXPECT_EQ(makers[0].models.size(), 3u);
    EXPECT_EQ(makers[1].models.size(), 2u);
    EXPECT_EQ(makers[2].models.size(), 10u);
    EXPECT_EQ(makers[2].models.back(), "LTA5120");
}

struct ModelCase {
    const char* word;
    const char* model;
    const char* manufacturer;
};

class EveryModel : public ::testing::TestWithParam<ModelCase> {};

TEST_P(EveryModel, IsIdentified) {
    const ModelCase& c = GetParam();
    const std::string reply = std::string(c.word) + "," + c.model + ",123456,V1.11\n";
    CounterIdentity identity;
    ASSERT_TRUE(parse_identification(usb_name, reply, identity));
    EXPECT_EQ(identity.resource_name, usb_name);
    EXPECT_EQ(identity.manufacturer, c.manufacturer);
    EXPECT_EQ(identity.model, c.model);
    EXPECT_EQ(identity.serial_number, "123456");
    EXPECT_EQ(identity.firmware_version, "V1.11");
    EXPECT_EQ(identity.version_number, 111);
}

INSTANTIATE_TEST_SUITE_P(Table, EveryModel,
                         ::testing::Values(ModelCase{"VALDMORE", "HX-40", "Valdmore Instruments"},
                                           ModelCase{"VALDMORE", "HX-40XL", "Valdmore Instruments"},
                                           ModelCase{"VALDMORE", "HX-41", "Valdmore Instruments"},
                                           ModelCase{"DWERN", "RV2260", "Dwern"},
                                           ModelCase{"DWERN", "RV2261", "Dwern"},
                                           ModelCase{"QUORVELAN", "LTA5000", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LTA5003", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LTA5020", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LMA5027", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LMA5040", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LMA5046", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LMA5060", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LTA5100", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LTA5103", "Quorvelan"},
                                           ModelCase{"QUORVELAN", "LTA5120", "Quorvelan"}),
                         // The model, less its hyphen, names the row.
                         [](const ::testing::TestParamInfo<ModelCase>& param) {
                             std::string name;
                             for (const char* c = param.param.model; *c != '\0'; ++c) {
                                 if (*c != '-') {
                                     name += *c;
                                 }
                             }
                             return name;
                         });

struct RefusedCase {
    const char* name;
    const char* reply;
};

class Refused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, LeavesTheIdentityAlone) {
    CounterIdentity identity;
    identity.model = "before";
    EXPECT_FALSE(parse_identification(usb_name, GetParam().reply, identity));
    EXPECT_EQ(identity.model, "before");
}

INSTANTIATE_TEST_SUITE_P(
    Replies, Refused,
    ::testing::Values(RefusedCase{"Empty", ""}, RefusedCase{"BlanksAndACommaOnly", " ,\n\t"},
                      RefusedCase{"MakerOnly", "VALDMORE"},
                      RefusedCase{"NoSerial", "VALDMORE,HX-40"},
                      RefusedCase{"EndsAfterTheSerial", "VALDMORE,HX-40,123456"},
                      RefusedCase{"AnotherRowsModel", "VALDMORE,RV2260,123456,V1.11"},
                      RefusedCase{"MixedCaseMaker", "Valdmore,HX-40,123456,V1.11"},
                      RefusedCase{"LowerCaseModel", "VALDMORE,hx-40,123456,V1.11"},
                      RefusedCase{"FiveCharacterSerial", "VALDMORE,HX-40,12345,V1.11"},
                      RefusedCase{"SevenCharacterSerial", "VALDMORE,HX-40,1234567,V1.11"},
                      RefusedCase{"LongerModel", "VALDMORE,HX-40XLX,123456,V1.11"},
                      RefusedCase{"UnknownMaker", "ACME,HX-40,123456,V1.11"},
                      RefusedCase{"SemicolonIsNoSeparator", "VALDMORE;HX-40;123456;V1.11"},
                      RefusedCase{"CutAtTheZeroByte",
                                  "VALDMORE,HX-40,\0"
                                  "123456,V1.11"}),
    testing_support::CaseName());

TEST(Identification, JoinsTheRestOfTheReplyWithSingleBlanks) {
    CounterIdentity identity;
    ASSERT_TRUE(parse_identification(
        "GPIB0::12::INSTR", "\n\t ,VALDMORE, HX-41,,654321 ,\tV1.07  30 Jun\t2011,,07:14\n",
        identity));
    EXPECT_EQ(identity.resource_name, "GPIB0::12::INSTR");
    EXPECT_EQ(identity.model, "HX-41");
    EXPECT_EQ(identity.serial_number, "654321");
    EXPECT_EQ(identity.firmware_version, "V1.07 30 Jun 2011 07:14");
    EXPECT_EQ(identity.version_number, 107);
}

TEST(Identification, IgnoresTextAfterAZeroByte) {
    using namespace std::string_literals;
    CounterIdentity identity;
    ASSERT_TRUE(parse_identification("r", "DWERN,RV2261,000001,V2.00\0 garbage"s, identity));
    EXPECT_EQ(identity.firmware_version, "V2.00");
    EXPECT_EQ(identity.version_number, 200);
}

TEST(Identification, AnUnreadableVersionStillIdentifies) {
    CounterIdentity identity;
    ASSERT_TRUE(parse_identification("r", "DWERN RV2260 ABCDEF beta", identity));
    EXPECT_EQ(identity.firmware_version, "beta");
    EXPECT_EQ(identity.version_number, 0);
}

struct VersionCase {
    const char* name;
    const char* text;
    int expected;
};

class VersionNumber : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionNumber, IsExactDecimal) {
    EXPECT_EQ(parse_version_number(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VersionNumber,
    ::testing::Values(
        VersionCase{"Plain", "V1.15", 115}, VersionCase{"LeadingZeroMinor", "V1.07", 107},
        VersionCase{"Minor11", "V1.11", 111}, VersionCase{"ZeroMinor", "V1.00", 100},
        VersionCase{"Minor01", "V1.01", 101}, VersionCase{"Minor10", "V1.10", 110},
        VersionCase{"ZeroMajor", "V0.99", 99}, VersionCase{"Minor29", "V1.29", 129},
        VersionCase{"OneMinorDigit", "V1.5", 150},             // a missing digit counts as 0
        VersionCase{"ThirdMinorDigitIgnored", "V1.119", 111},  // further digits ignored
        VersionCase{"NoMinor", "V1.", 100}, VersionCase{"NoDot", "V2", 200},
        VersionCase{"StopsAtALetter", "X1.15abc", 115},  // stops at the first other character
        VersionCase{"FirstCharacterSkipped", "11.15",
                    115},  // the first character is skipped whatever it is
        VersionCase{"NoMajor", "V.5", 50}, VersionCase{"Negative", "V-1.15", -115},
        VersionCase{"PlusSign", "V+2.01", 201}, VersionCase{"PrefixOnly", "V", 0},
        VersionCase{"Empty", "", 0}, VersionCase{"LetterAfterThePrefix", "Vx1.15", 0},
        VersionCase{"DotOnly", "V.", 0}, VersionCase{"SignOnly", "V-", 0},
        VersionCase{"BlankAfterThePrefix", "V 1.15", 0},
        VersionCase{"Int32Max", "V21474836.47", 2147483647},
        VersionCase{"JustOverTheLimit", "V21474836.48", 2147483647},
        VersionCase{"FarOverTheLimit", "V99999999999999999999999.99", 2147483647}),
    testing_support::CaseName());

}  // namespace
}  // namespace hx4x
