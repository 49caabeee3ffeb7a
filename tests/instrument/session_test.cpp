#include "instrument/instrument_session.hpp"

#include <gtest/gtest.h>

#include "app/emulated_version.hpp"
#include "instrument/discovery.hpp"
#include "instrument/visa_library.hpp"

namespace hx4x {
namespace {

// Sessions without any VISA library: every operation fails without a call.
class SessionWithoutLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        set_emulated_version(0);
        VisaLibrary::instance().unload();
    }
};

TEST_F(SessionWithoutLibrary, OpenFailsAndTheSessionStaysClosed) {
    InstrumentSession session;
    EXPECT_FALSE(session.open("USB0::1::2::3::INSTR"));
    EXPECT_FALSE(session.is_open());
    EXPECT_EQ(session.handle(), 0u);
    EXPECT_EQ(session.resource_name(), "");
    EXPECT_FALSE(session.is_usb());
}

TEST_F(SessionWithoutLibrary, InstrumentOperationsNeedAnOpenSession) {
    InstrumentSession session;
    EXPECT_FALSE(session.write("*IDN?"));
    EXPECT_FALSE(session.write(""));
    const std::uint8_t data[] = {1};
    EXPECT_FALSE(session.write_bytes(data, 1));
    EXPECT_FALSE(session.set_timeout(1000));
    EXPECT_FALSE(session.enable_service_request());
    EXPECT_FALSE(session.wait_service_request(0));
    char reply[4] = {'a', 'b', 'c', 0};
    std::uint32_t count = 7;
    EXPECT_FALSE(session.query("*IDN?", reply, 3, &count));
    EXPECT_EQ(count, 0u);
}

TEST_F(SessionWithoutLibrary, ReadClearsItsOutputsBeforeAnyCheck) {
    InstrumentSession session;
    std::uint32_t count = 7;
    EXPECT_FALSE(session.read(nullptr, 10, &count));
    EXPECT_EQ(count, 0u);

    char reply[4] = {'a', 'b', 'c', 0};
    count = 7;
    EXPECT_FALSE(session.read(reply, 0, &count));
    EXPECT_EQ(reply[0], '\0') << "the first byte is cleared even for capacity 0";
    EXPECT_EQ(count, 0u);
    reply[0] = 'a';
    EXPECT_FALSE(session.read(reply, -1, nullptr));
    EXPECT_EQ(reply[0], '\0');
}

TEST_F(SessionWithoutLibrary, IoDelayIsStoredOnly) {
    InstrumentSession session;
    EXPECT_EQ(session.io_delay(), 0u);
    session.set_io_delay(200);
    EXPECT_EQ(session.io_delay(), 200u);
    session.close();
    EXPECT_EQ(session.io_delay(), 200u);
}

TEST_F(SessionWithoutLibrary, SearchFailsWithEmptyLists) {
    EXPECT_FALSE(find_resources(""));
    EXPECT_TRUE(resource_list().empty());
    EXPECT_FALSE(find_counters("?*::INSTR"));
    EXPECT_TRUE(counter_list().empty());
}

}  // namespace
}  // namespace hx4x
