#include <gtest/gtest.h>

#include <string>

#include "case_name.hpp"
#include "environment.hpp"
#include "instrument/discovery.hpp"
#include "instrument/visa_library.hpp"
#include "visa_sim_fixture.hpp"

namespace hx4x {
namespace {

using testing_support::VisaSimTest;
using testing_support::write_file;

constexpr const char* three_counters =
    "resource USB0::0x5D3C::0x0090::100000::INSTR\n"
    "resource GPIB0::12::INSTR\n"
    "    idn DWERN,RV2260,123456,V1.05\n"
    "resource USB0::0x5D3C::0x0090::200000::INSTR\n"
    "resource GPIB1::3::INSTR\n"
    "    absent\n";

using SimBinding = VisaSimTest;

TEST_F(SimBinding, AvailableWithTheResourceManagerOpen) {
    std::string error;
    ASSERT_TRUE(load_sim("", &error)) << error;
    VisaLibrary& library = VisaLibrary::instance();
    EXPECT_TRUE(library.is_bound());
    EXPECT_TRUE(library.is_available());
    EXPECT_NE(library.default_rm(), 0u);
    EXPECT_NE(library.entry_points().viFlush, nullptr);
    const std::string rm = "rm=" + std::to_string(library.default_rm());
    EXPECT_EQ(calls_of("viOpenDefaultRM"),
              std::vector<std::string>{"viOpenDefaultRM -> VI_SUCCESS " + rm});

    library.unload();
    EXPECT_TRUE(library.is_bound()) << "unload leaves the bound flag";
    EXPECT_FALSE(library.is_available());
    EXPECT_EQ(library.default_rm(), 0u);
    EXPECT_EQ(calls_of("viClose"), std::vector<std::string>{"viClose " + rm + " -> VI_SUCCESS"});
}

TEST_F(SimBinding, BoundButNotAvailableWhenTheResourceManagerIsRefused) {
    ASSERT_FALSE(load_sim("rm_status VI_ERROR_SYSTEM_ERROR\n"));
    VisaLibrary& library = VisaLibrary::instance();
    EXPECT_TRUE(library.is_bound());
    EXPECT_FALSE(library.is_available());
    EXPECT_FALSE(find_counters(""));
    EXPECT_TRUE(calls_of("viFindRsrc").empty());
}

TEST_F(SimBinding, ACompletionCodeFromTheResourceManagerIsNoSuccess) {
    ASSERT_FALSE(load_sim("rm_status VI_SUCCESS_QUEUE_EMPTY\n"));
    EXPECT_TRUE(VisaLibrary::instance().is_bound());
    EXPECT_FALSE(VisaLibrary::instance().is_available());
}

TEST_F(SimBinding, TheEnvironmentVariableChoosesTheLibrary) {
    write_file(dir_.file("sim.cfg"), "resource GPIB0::1::INSTR\n");
    testing_support::set_environment("HX4X_VISA_SIM_CONFIG", dir_.file("sim.cfg"));
    testing_support::set_environment(VisaLibrary::library_variable, HX4X_VISA_SIM_LIBRARY);
    const bool loaded = VisaLibrary::instance().load();
    testing_support::unset_environment(VisaLibrary::library_variable);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(find_resources(""));
    EXPECT_EQ(resource_list(), std::vector<std::string>{"GPIB0::1::INSTR"});
}

TEST_F(SimBinding, LoadsAgainInOneProcess) {
    ASSERT_TRUE(load_sim("resource GPIB0::1::INSTR\n"));
    ASSERT_TRUE(find_resources(""));
    EXPECT_EQ(resource_list(), std::vector<std::string>{"GPIB0::1::INSTR"});
    ASSERT_TRUE(load_sim("resource GPIB0::2::INSTR\n"));
    ASSERT_TRUE(find_resources(""));
    EXPECT_EQ(resource_list(), std::vector<std::string>{"GPIB0::2::INSTR"});
}

struct MaskCase {
    const char* name;
    const char* mask;
    std::vector<std::string> expected;
};

class SimDiscovery : public VisaSimTest, public ::testing::WithParamInterface<MaskCase> {};

TEST_P(SimDiscovery, FindsTheMatchingNamesInBusOrder) {
    ASSERT_TRUE(load_sim(three_counters));
    const MaskCase& c = GetParam();
    EXPECT_EQ(find_counters(c.mask), !c.expected.empty());
    EXPECT_EQ(resource_list(), c.expected);
    ASSERT_EQ(counter_list().size(), c.expected.size());
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        CounterIdentity only_name;
        only_name.resource_name = c.expected[i];
        EXPECT_EQ(counter_list()[i], only_name);
    }
    const auto finds = calls_of("viFindRsrc");
    ASSERT_EQ(finds.size(), 1u);
    const std::string mask = *c.mask != '\0' ? c.mask : "?*::INSTR";
    const std::string rm = "rm=" + std::to_string(VisaLibrary::instance().default_rm());
    EXPECT_EQ(finds[0].rfind("viFindRsrc " + rm + " " + mask + " -> ", 0), 0u) << finds[0];
    // Every match is followed by one step; the search list is closed once found.
    EXPECT_EQ(calls_of("viFindNext").size(), c.expected.size());
    EXPECT_EQ(calls_of("viClose").size(), c.expected.empty() ? 0u : 1u);
}

const std::string usb1 = "USB0::0x5D3C::0x0090::100000::INSTR";
const std::string usb2 = "USB0::0x5D3C::0x0090::200000::INSTR";
const std::string gpib = "GPIB0::12::INSTR";

INSTANTIATE_TEST_SUITE_P(
    Masks, SimDiscovery,
    ::testing::Values(MaskCase{"EmptyMaskFindsAll", "", {usb1, gpib, usb2}},
                      MaskCase{"AnyInstrument", "?*::INSTR", {usb1, gpib, usb2}},
                      MaskCase{"UsbOrGpib", "(USB|GPIB)?*::INSTR", {usb1, gpib, usb2}},
                      MaskCase{"LowerCaseUsb", "usb?*", {usb1, usb2}},
                      MaskCase{"GpibBoardSet", "GPIB[0-9]::12::INSTR", {gpib}},
                      MaskCase{"SerialNumberInside", "?*200000?*", {usb2}},
                      MaskCase{"NoTcpip", "TCPIP?*", {}},
                      MaskCase{"NoSuchGpibAddress", "GPIB1::3::INSTR", {}}),
    testing_support::CaseName());

TEST_F(SimDiscovery, RefusesAMaskThatDoesNotFitTheSearchBuffer) {
    ASSERT_TRUE(load_sim(three_counters));
    const std::string longest = "?*" + std::string(253, '?');
    EXPECT_FALSE(find_resources(longest + "?"));
    EXPECT_TRUE(calls_of("viFindRsrc").empty());
    find_resources(longest);
    EXPECT_EQ(calls_of("viFindRsrc").size(), 1u) << "255 characters go to the library";
}

TEST_F(SimDiscovery, ABadExpressionFindsNothing) {
    ASSERT_TRUE(load_sim(three_counters));
    EXPECT_FALSE(find_counters("(USB"));
    EXPECT_TRUE(resource_list().empty());
    EXPECT_TRUE(counter_list().empty());
}

TEST_F(SimDiscovery, AFailedStepEndsTheListWithoutRepeatingAName) {
    ASSERT_TRUE(load_sim(std::string("fail viFindNext 1 VI_ERROR_IO\n") + three_counters));
    EXPECT_TRUE(find_resources(""));
    EXPECT_EQ(resource_list(), std::vector<std::string>{usb1});
    EXPECT_EQ(calls_of("viClose").size(), 1u) << "the search list is still closed";
}

TEST_F(SimDiscovery, ANewSearchReplacesTheLists) {
    ASSERT_TRUE(load_sim(three_counters));
    ASSERT_TRUE(find_counters(""));
    EXPECT_FALSE(find_counters("TCPIP?*"));
    EXPECT_TRUE(resource_list().empty());
    EXPECT_TRUE(counter_list().empty());
}

}  // namespace
}  // namespace hx4x
