#include "visa-usbtmc/usbtmc_control.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "case_name.hpp"

namespace hx4x::visa_usbtmc {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct NotificationCase {
    const char* name;
    Bytes packet;
    NotificationKind kind;
    std::uint8_t tag;
    std::uint8_t status_byte;
};

class InterruptNotification : public ::testing::TestWithParam<NotificationCase> {};

TEST_P(InterruptNotification, OnlyA0x81PacketIsAServiceRequest) {
    const NotificationCase& c = GetParam();
    const Notification n = parse_notification(c.packet);
    EXPECT_EQ(n.kind, c.kind);
    if (c.kind != NotificationKind::other) {
        EXPECT_EQ(n.status_byte, c.status_byte);
    }
    if (c.kind == NotificationKind::status_byte) {
        EXPECT_EQ(n.tag, c.tag);
    }
}

const NotificationCase notification_cases[] = {
    {"ServiceRequest", {0x81, 0x40}, NotificationKind::service_request, 0, 0x40},
    {"ServiceRequestLongPacket", {0x81, 0x60, 0, 0}, NotificationKind::service_request, 0, 0x60},
    {"StatusByteAnswerTag2", {0x82, 0x11}, NotificationKind::status_byte, 2, 0x11},
    {"StatusByteAnswerTag127", {0xFF, 0x50}, NotificationKind::status_byte, 127, 0x50},
    {"VendorSpecific", {0x01, 0x40}, NotificationKind::other, 0, 0},
    {"HighBitWithoutTag", {0x80, 0x40}, NotificationKind::other, 0, 0},
    {"OneByte", {0x81}, NotificationKind::other, 0, 0},
    {"Empty", {}, NotificationKind::other, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, InterruptNotification, ::testing::ValuesIn(notification_cases),
                         testing_support::CaseName());

TEST(UsbtmcControl, StatusTagsRunTwoTo127) {
    std::uint8_t tag = 1;
    for (int i = 0; i < 300; ++i) {
        tag = next_status_tag(tag);
        ASSERT_GE(tag, 2);
        ASSERT_LE(tag, 127);
    }
    EXPECT_EQ(next_status_tag(127), 2);
    EXPECT_EQ(next_status_tag(0), 2);
}

struct StatusReplyCase {
    const char* name;
    Bytes reply;
    bool has_interrupt_in;
    StatusReplyKind kind;
    std::uint8_t status_byte;
};

class StatusByteReply : public ::testing::TestWithParam<StatusReplyCase> {};

TEST_P(StatusByteReply, TakesTheByteFromWhereTheDeviceSendsIt) {
    const StatusReplyCase& c = GetParam();
    const StatusReply r = parse_status_byte_reply(c.reply, 5, c.has_interrupt_in);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.status_byte, c.status_byte);
}

const StatusReplyCase status_reply_cases[] = {
    {"InControlReply", {1, 5, 0x42}, false, StatusReplyKind::value, 0x42},
    {"OnInterruptIn", {1, 5, 0}, true, StatusReplyKind::on_interrupt, 0},
    {"InterruptInBusy", {0x20, 5, 0}, true, StatusReplyKind::busy, 0},
    {"WrongTag", {1, 6, 0x42}, false, StatusReplyKind::bad, 0},
    {"Failed", {0x80, 5, 0x42}, false, StatusReplyKind::bad, 0},
    {"Short", {1, 5}, false, StatusReplyKind::bad, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, StatusByteReply, ::testing::ValuesIn(status_reply_cases),
                         testing_support::CaseName());

TEST(UsbtmcControl, CapabilitiesReadTheUsb488Bits) {
    Bytes reply(capabilities_length, 0);
    reply[0] = control_status::success;
    reply[4] = 0x04;  // indicator pulse
    reply[12] = 0x00;
    reply[13] = 0x01;  // bcdUSB488 1.00
    reply[14] = 0x06;  // 488.2 interface, REN_CONTROL
    reply[15] = 0x0C;  // SCPI, SR1
    Capabilities caps;
    ASSERT_TRUE(parse_capabilities(reply, &caps));
    EXPECT_TRUE(caps.indicator_pulse);
    EXPECT_TRUE(caps.usb488);
    EXPECT_TRUE(caps.ren_control);
    EXPECT_TRUE(caps.service_request);
    EXPECT_FALSE(caps.trigger);

    reply[0] = control_status::failed;
    EXPECT_FALSE(parse_capabilities(reply, &caps));
    EXPECT_FALSE(caps.known);
    EXPECT_FALSE(parse_capabilities(Bytes(10, 1), &caps));
}

TEST(UsbtmcControl, CheckRepliesSayWhetherDataMustBeDropped) {
    const CheckReply in = parse_check_abort_in(Bytes{control_status::pending, 1, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(in.valid);
    EXPECT_EQ(in.status, control_status::pending);
    EXPECT_TRUE(in.data_pending);
    EXPECT_FALSE(parse_check_abort_in(Bytes{1, 0}).valid);
    EXPECT_FALSE(parse_check_abort_out(Bytes{1, 0, 0}).valid);
    const CheckReply clear = parse_check_clear(Bytes{control_status::success, 0});
    EXPECT_TRUE(clear.valid);
    EXPECT_FALSE(clear.data_pending);
}

}  // namespace
}  // namespace hx4x::visa_usbtmc
