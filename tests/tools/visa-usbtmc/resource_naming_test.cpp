#include "visa-usbtmc/resource_naming.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "case_name.hpp"

namespace hx4x::visa_usbtmc {
namespace {

// A string descriptor holding the given UTF-16 code units.
std::vector<std::uint8_t> descriptor(const std::vector<unsigned>& units) {
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(2 + 2 * units.size()), 3};
    for (const unsigned u : units) {
        bytes.push_back(static_cast<std::uint8_t>(u));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return bytes;
}

struct SerialCase {
    const char* name;
    std::vector<unsigned> units;
    const char* text;
};

class SerialText : public ::testing::TestWithParam<SerialCase> {};

TEST_P(SerialText, KeepsPlainTextAndEscapesTheRest) {
    EXPECT_EQ(serial_from_descriptor(descriptor(GetParam().units)), GetParam().text);
}

const SerialCase serial_cases[] = {
    {"Plain", {'1', '0', '0', '0', '0', '0'}, "100000"},
    {"Colon", {'A', ':', ':', 'B'}, "A%3A%3AB"},
    {"PercentItself", {'5', '%'}, "5%25"},
    {"ControlAndSpace", {'A', '\n', ' ', 0x7F}, "A%0A%20%7F"},
    {"NonAscii", {0xE9, 0x263A}, "%E9%u263A"},
    {"Empty", {}, ""},
};

INSTANTIATE_TEST_SUITE_P(Table, SerialText, ::testing::ValuesIn(serial_cases),
                         testing_support::CaseName());

TEST(ResourceNaming, HostileDescriptorsGiveNoSerial) {
    EXPECT_EQ(serial_from_descriptor(std::vector<std::uint8_t>{}), "");
    EXPECT_EQ(serial_from_descriptor(std::vector<std::uint8_t>{4, 2, 'A', 0}),
              "");  // not a string descriptor
    EXPECT_EQ(serial_from_descriptor(std::vector<std::uint8_t>{40, 3, 'A', 0}),
              "");  // bLength past the bytes
    // Text that would escape past the limit is no serial rather than a cut one.
    EXPECT_EQ(serial_from_descriptor(descriptor(std::vector<unsigned>(60, 1))), "");
    EXPECT_EQ(serial_from_descriptor(descriptor(std::vector<unsigned>(120, 'x'))),
              std::string(120, 'x'));
}

TEST(ResourceNaming, PortSerialStandsInForAMissingOne) {
    const std::vector<std::uint8_t> ports{2, 1};
    EXPECT_EQ(serial_from_port(3, ports), "NOSERIAL-3-2.1");
    EXPECT_EQ(format_resource_name({0, 0x5D3C, 0x90, serial_from_port(3, ports), 0}),
              "USB0::0x5D3C::0x0090::NOSERIAL-3-2.1::INSTR");
}

TEST(ResourceNaming, FormatsAsVisaWritesUsbNames) {
    EXPECT_EQ(format_resource_name({0, 0x5D3C, 0x0090, "100000", 0}),
              "USB0::0x5D3C::0x0090::100000::INSTR");
    EXPECT_EQ(format_resource_name({0, 0xabcd, 0x1, "s", 2}), "USB0::0xABCD::0x0001::s::2::INSTR");
}

struct ParseCase {
    const char* name;
    const char* text;
    NameKind kind;
    const char* canonical;  // for usb_instr
};

class ResourceNameParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ResourceNameParse, ReadsUsbInstrNamesOnly) {
    const ParseCase& c = GetParam();
    UsbAddress address;
    EXPECT_EQ(parse_resource_name(c.text, &address), c.kind);
    if (c.kind == NameKind::usb_instr) {
        EXPECT_EQ(format_resource_name(address), c.canonical);
    }
}

const ParseCase parse_cases[] = {
    {"Canonical", "USB0::0x5D3C::0x0090::100000::INSTR", NameKind::usb_instr,
     "USB0::0x5D3C::0x0090::100000::INSTR"},
    {"LowerCaseAndDecimal", "usb::23868::144::abc::instr", NameKind::usb_instr,
     "USB0::0x5D3C::0x0090::abc::INSTR"},
    {"WithoutInstr", "USB0::0x1::0x2::S", NameKind::usb_instr, "USB0::0x0001::0x0002::S::INSTR"},
    {"InterfaceNumber", "USB0::0x1::0x2::S::3::INSTR", NameKind::usb_instr,
     "USB0::0x0001::0x0002::S::3::INSTR"},
    {"InterfaceZeroIsPlain", "USB0::0x1::0x2::S::0::INSTR", NameKind::usb_instr,
     "USB0::0x0001::0x0002::S::INSTR"},
    {"OtherBoard", "USB1::0x1::0x2::S::INSTR", NameKind::usb_instr,
     "USB1::0x0001::0x0002::S::INSTR"},
    {"Gpib", "GPIB0::12::INSTR", NameKind::other, ""},
    {"UsbRaw", "USB0::0x1::0x2::S::RAW", NameKind::other, ""},
    {"NoSerial", "USB0::0x1::0x2::INSTR", NameKind::malformed, ""},
    {"EmptySerial", "USB0::0x1::0x2::::INSTR", NameKind::malformed, ""},
    {"VendorTooLarge", "USB0::0x10000::0x2::S::INSTR", NameKind::malformed, ""},
    {"VendorNotANumber", "USB0::0xZZ::0x2::S::INSTR", NameKind::malformed, ""},
    {"BoardNotANumber", "USBx::0x1::0x2::S::INSTR", NameKind::malformed, ""},
    {"InterfaceNotDecimal", "USB0::0x1::0x2::S::0x3::INSTR", NameKind::malformed, ""},
    {"TooManyParts", "USB0::0x1::0x2::S::3::4::INSTR", NameKind::malformed, ""},
    {"ControlInSerial", "USB0::0x1::0x2::A\tB::INSTR", NameKind::malformed, ""},
    {"Empty", "", NameKind::malformed, ""},
};

INSTANTIATE_TEST_SUITE_P(Table, ResourceNameParse, ::testing::ValuesIn(parse_cases),
                         testing_support::CaseName());

}  // namespace
}  // namespace hx4x::visa_usbtmc
