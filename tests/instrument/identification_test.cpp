#include "instrument/identification.hpp"

#include <gtest/gtest.h>

#include <string>

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
                                           ModelCase{"QUORVELAN", "LTA5120", "Quorvelan"}));

class Refused : public ::testing::TestWithParam<const char*> {};

TEST_P(Refused, LeavesTheIdentityAlone) {
    CounterIdentity identity;
    identity.model = "before";
    EXPECT_FALSE(parse_identification(usb_name, GetParam(), identity));
    EXPECT_EQ(identity.model, "before");
}

INSTANTIATE_TEST_SUITE_P(Replies, Refused,
                         ::testing::Values("", " ,\n\t", "VALDMORE", "VALDMORE,HX-40",
                                           "VALDMORE,HX-40,123456",           // ends after serial
                                           "VALDMORE,RV2260,123456,V1.11",    // another row's model
                                           "Valdmore,HX-40,123456,V1.11",     // mixed case word
                                           "VALDMORE,hx-40,123456,V1.11",     // model case
                                           "VALDMORE,HX-40,12345,V1.11",      // five characters
                                           "VALDMORE,HX-40,1234567,V1.11",    // seven characters
                                           "VALDMORE,HX-40XLX,123456,V1.11",  // longer model
                                           "ACME,HX-40,123456,V1.11",         // unknown maker
                                           "VALDMORE;HX-40;123456;V1.11",     // not a separator
                                           "VALDMORE,HX-40,\0"
                                           "123456,V1.11"  // cut at the zero
                                           ));

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
    const char* text;
    int expected;
};

class VersionNumber : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionNumber, IsExactDecimal) {
    EXPECT_EQ(parse_version_number(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VersionNumber,
    ::testing::Values(VersionCase{"V1.15", 115}, VersionCase{"V1.07", 107},
                      VersionCase{"V1.11", 111}, VersionCase{"V1.00", 100},
                      VersionCase{"V1.01", 101}, VersionCase{"V1.10", 110},
                      VersionCase{"V0.99", 99}, VersionCase{"V1.29", 129},
                      VersionCase{"V1.5", 150},    // a missing digit counts as 0
                      VersionCase{"V1.119", 111},  // further digits ignored
                      VersionCase{"V1.", 100}, VersionCase{"V2", 200},
                      VersionCase{"X1.15abc", 115},  // stops at the first other character
                      VersionCase{"11.15", 115},  // the first character is skipped whatever it is
                      VersionCase{"V.5", 50}, VersionCase{"V-1.15", -115},
                      VersionCase{"V+2.01", 201}, VersionCase{"V", 0}, VersionCase{"", 0},
                      VersionCase{"Vx1.15", 0}, VersionCase{"V.", 0}, VersionCase{"V-", 0},
                      VersionCase{"V 1.15", 0}, VersionCase{"V21474836.47", 2147483647},
                      VersionCase{"V21474836.48", 2147483647},
                      VersionCase{"V99999999999999999999999.99", 2147483647}));

}  // namespace
}  // namespace hx4x
