#include "visa-usbtmc/usbtmc_framing.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "case_name.hpp"

namespace hx4x::visa_usbtmc {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(UsbtmcFraming, OutTransferCarriesHeaderPayloadAndPadding) {
    const Bytes payload{'*', 'I', 'D', 'N', '?'};
    const Bytes transfer = encode_dev_dep_out(0x7E, payload, true);
    const Bytes expected{1, 0x7E, 0x81, 0,   5,   0,   0,   0, 1, 0,
                         0, 0,    '*',  'I', 'D', 'N', '?', 0, 0, 0};
    EXPECT_EQ(transfer, expected);
    const Bytes middle = encode_dev_dep_out(3, Bytes(4, 'x'), false);
    EXPECT_EQ(middle.size(), 16u);
    EXPECT_EQ(middle[8], 0);  // no EOM before the last transfer
}

TEST(UsbtmcFraming, RequestInAsksTheSizeLittleEndian) {
    const BulkHeader h = encode_request_dev_dep_in(255, 0x01020304);
    const BulkHeader expected{2, 255, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0};
    EXPECT_EQ(h, expected);
}

TEST(UsbtmcFraming, TagsRunOneTo255AndNeverZero) {
    std::uint8_t tag = 0;
    for (int i = 0; i < 600; ++i) {
        const std::uint8_t next = next_bulk_tag(tag);
        ASSERT_NE(next, 0);
        ASSERT_EQ(next, tag == 255 ? 1 : tag + 1);
        tag = next;
    }
}

TEST(UsbtmcFraming, SplitsLargeWritesWithEomOnlyOnTheLast) {
    const Bytes payload(10, 'a');
    WriteSplitter splitter(payload, 4);
    std::vector<std::size_t> sizes;
    std::vector<bool> eoms;
    while (!splitter.done()) {
        bool eom = false;
        sizes.push_back(splitter.next(&eom).size());
        eoms.push_back(eom);
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{4, 4, 2}));
    EXPECT_EQ(eoms, (std::vector<bool>{false, false, true}));

    WriteSplitter empty(Bytes{}, 4);
    bool eom = false;
    ASSERT_FALSE(empty.done());
    EXPECT_TRUE(empty.next(&eom).empty());
    EXPECT_TRUE(eom);
    EXPECT_TRUE(empty.done());
}

Bytes reply_bytes(std::uint8_t tag, std::uint8_t inverse, std::uint32_t size,
                  std::uint8_t attributes, std::size_t body) {
    Bytes bytes{2,
                tag,
                inverse,
                0,
                static_cast<std::uint8_t>(size),
                static_cast<std::uint8_t>(size >> 8),
                static_cast<std::uint8_t>(size >> 16),
                static_cast<std::uint8_t>(size >> 24),
                attributes,
                0,
                0,
                0};
    bytes.resize(bytes.size() + body, 'r');
    return bytes;
}

struct ReplyCase {
    const char* name;
    Bytes received;
    std::uint32_t asked;
    ReplyFault fault;
    std::uint32_t size;
    bool eom;
};

class DevDepInReplyCheck : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(DevDepInReplyCheck, AcceptsOnlyWellFormedRepliesToTheRequest) {
    const ReplyCase& c = GetParam();
    const DevDepInReply reply = check_dev_dep_in(c.received, 9, c.asked);
    EXPECT_EQ(reply.fault, c.fault);
    if (c.fault == ReplyFault::none) {
        EXPECT_EQ(reply.size, c.size);
        EXPECT_EQ(reply.end_of_message, c.eom);
    }
}

Bytes with_byte(Bytes bytes, std::size_t at, std::uint8_t value) {
    bytes[at] = value;
    return bytes;
}

const ReplyCase reply_cases[] = {
    {"WholeReplyWithEom", reply_bytes(9, 0xF6, 5, 1, 8), 100, ReplyFault::none, 5, true},
    {"PartWithoutEom", reply_bytes(9, 0xF6, 4, 0, 4), 4, ReplyFault::none, 4, false},
    {"EmptyReplyWithEom", reply_bytes(9, 0xF6, 0, 1, 0), 10, ReplyFault::none, 0, true},
    {"TermCharBitIsNotEom", reply_bytes(9, 0xF6, 2, 2, 4), 10, ReplyFault::none, 2, false},
    {"ShorterThanAHeader", Bytes{2, 9, 0xF6, 0}, 10, ReplyFault::too_short, 0, false},
    {"WrongMessageId", with_byte(reply_bytes(9, 0xF6, 1, 1, 4), 0, 1), 10,
     ReplyFault::wrong_message, 0, false},
    {"WrongTag", reply_bytes(8, 0xF7, 1, 1, 4), 10, ReplyFault::wrong_tag, 0, false},
    {"WrongInverseTag", reply_bytes(9, 0xF5, 1, 1, 4), 10, ReplyFault::wrong_tag, 0, false},
    {"ReservedByteSet", with_byte(reply_bytes(9, 0xF6, 1, 1, 4), 10, 7), 10,
     ReplyFault::reserved_set, 0, false},
    {"MoreThanAsked", reply_bytes(9, 0xF6, 11, 1, 12), 10, ReplyFault::over_asked, 0, false},
    {"MoreThanArrived", reply_bytes(9, 0xF6, 8, 1, 5), 10, ReplyFault::over_received, 0, false},
    {"HugeSizeClaimed", reply_bytes(9, 0xF6, 0xFFFFFFFF, 1, 4), 0xFFFFFFFF,
     ReplyFault::over_received, 0, false},
    {"BytesPastTheAlignment", reply_bytes(9, 0xF6, 1, 1, 8), 10, ReplyFault::trailing_bytes, 0,
     false},
};

INSTANTIATE_TEST_SUITE_P(Table, DevDepInReplyCheck, ::testing::ValuesIn(reply_cases),
                         testing_support::CaseName());

TEST(UsbtmcFraming, ReplyBufferHoldsTheWholeReplyInWholePackets) {
    EXPECT_EQ(reply_buffer_length(5, 64), 64u);
    EXPECT_EQ(reply_buffer_length(52, 64), 64u);
    EXPECT_EQ(reply_buffer_length(53, 64), 128u);  // 12 + 53 = 65, padded to 68
    EXPECT_EQ(reply_buffer_length(max_transfer_payload, 512) % 512, 0u);
    EXPECT_GE(reply_buffer_length(max_transfer_payload, 512),
              bulk_header_size + max_transfer_payload);
}

TEST(UsbtmcFraming, TimeOutsAreNeverUnlimitedForLibusb) {
    EXPECT_EQ(transfer_timeout_ms(0), 1u);  // libusb's 0 would wait for ever
    EXPECT_EQ(transfer_timeout_ms(2000), 2000u);
    EXPECT_EQ(transfer_timeout_ms(0xFFFFFFFFu), max_transfer_timeout_ms);
}

}  // namespace
}  // namespace hx4x::visa_usbtmc
