#include "instrument/emulation.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "app/emulated_version.hpp"
#include "fake_clock.hpp"
#include "instrument/discovery.hpp"
#include "instrument/instrument_session.hpp"
#include "instrument/visa_library.hpp"

namespace hx4x {
namespace {

class Emulation : public ::testing::Test {
  protected:
    void SetUp() override {
        // Emulation must not depend on any VISA library being there.
        VisaLibrary::instance().unload();
        set_emulated_version(115);
    }
    void TearDown() override { set_emulated_version(0); }

    FakeClock clock_;
    ScopedClock scoped_clock_{clock_};
};

TEST(EmulatedIdentity, FormatsTheVersionText) {
    EXPECT_EQ(emulated_firmware_version(115), "X1.15 30 Jun 1908 07:14");
    EXPECT_EQ(emulated_firmware_version(105), "X1.05 30 Jun 1908 07:14");
    EXPECT_EQ(emulated_firmware_version(100), "X1.00 30 Jun 1908 07:14");
    EXPECT_EQ(emulated_firmware_version(1000), "X10.00 30 Jun 1908 07:14");
    EXPECT_EQ(emulated_firmware_version(999), "X9.99 30 Jun 1908 07:14");
}

TEST_F(Emulation, IdentityCarriesTheSessionNameAndTheEmulatedVersion) {
    set_emulated_version(107);
    const CounterIdentity identity = emulated_identity("GPIB0::3::INSTR");
    EXPECT_EQ(identity.resource_name, "GPIB0::3::INSTR");
    EXPECT_EQ(identity.manufacturer, "Valdmore Instruments");
    EXPECT_EQ(identity.model, "HX-40XL-Emulated");
    EXPECT_EQ(identity.serial_number, "777777");
    EXPECT_EQ(identity.firmware_version, "X1.07 30 Jun 1908 07:14");
    EXPECT_EQ(identity.version_number, 107);
}

TEST_F(Emulation, SearchYieldsTheOneAddressWithoutALibrary) {
    ASSERT_FALSE(VisaLibrary::instance().is_available());
    EXPECT_TRUE(find_resources("GPIB?*::INSTR"));
    ASSERT_EQ(resource_list().size(), 1u);
    EXPECT_EQ(resource_list()[0], "USB0::0x5D3C::0x0090::100000::INSTR");
    EXPECT_TRUE(find_counters(""));
    ASSERT_EQ(counter_list().size(), 1u);
    CounterIdentity expected;
    expected.resource_name = emulated_resource_name;
    EXPECT_EQ(counter_list()[0], expected);
}

TEST_F(Emulation, EverySessionOperationSucceedsWithoutVisa) {
    InstrumentSession session;
    EXPECT_FALSE(session.write("*IDN?")) << "a closed session sends nothing, even emulated";
    ASSERT_TRUE(session.open(emulated_resource_name));
    EXPECT_EQ(session.handle(), 1u);
    EXPECT_EQ(session.resource_name(), emulated_resource_name);
    EXPECT_TRUE(session.is_usb());
    EXPECT_TRUE(session.write(":ABOR; *IDN?"));
    const std::uint8_t block[] = {0, 1, 2};
    EXPECT_TRUE(session.write_bytes(block, sizeof block));
    char reply[8];
    std::memset(reply, 'x', sizeof reply);
    std::uint32_t count = 99;
    EXPECT_TRUE(session.read(reply, 7, &count));
    EXPECT_EQ(count, 0u);
    EXPECT_STREQ(reply, "");
    EXPECT_TRUE(session.query("*OPC?", reply, 7, &count));
    EXPECT_TRUE(session.set_timeout(1000));
    EXPECT_TRUE(session.enable_service_request());
    EXPECT_TRUE(session.wait_service_request(100000));
    EXPECT_EQ(clock_.slept(), 0) << "nothing waits in emulation without an I/O delay";
    session.close();
    EXPECT_FALSE(session.is_open());
    EXPECT_EQ(session.resource_name(), "");
    EXPECT_FALSE(session.is_usb());
}

TEST_F(Emulation, AcceptsAnyNameAndTakesTheIoDelayOnWritesOnly) {
    InstrumentSession session;
    ASSERT_TRUE(session.open(std::string(300, 'G')));
    EXPECT_FALSE(session.is_usb());
    session.set_io_delay(200);
    EXPECT_TRUE(session.write("*CLS"));
    EXPECT_TRUE(session.write_bytes(nullptr, 0));
    EXPECT_EQ(clock_.slept(), 400);
    char reply[4];
    EXPECT_TRUE(session.read(reply, 3));
    EXPECT_EQ(clock_.slept(), 400) << "an empty read takes no delay";
    session.close();
    EXPECT_EQ(session.io_delay(), 200u) << "the delay survives close";
}

TEST(EmulatedVersion, OffAtZero) {
    set_emulated_version(0);
    EXPECT_FALSE(emulation_on());
    set_emulated_version(100);
    EXPECT_TRUE(emulation_on());
    set_emulated_version(0);
}

}  // namespace
}  // namespace hx4x
