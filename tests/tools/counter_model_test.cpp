#include "visa-sim/counter_model.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "block_builder.hpp"
#include "case_name.hpp"

namespace hx4x::visa_sim {
namespace {

using testing_support::data_command;
using testing_support::firmware_block;

ResourceConfig counter_config(const std::string& idn = "VALDMORE,HX-40XL,100000,V1.15") {
    ResourceConfig config;
    config.name = "GPIB0::12::INSTR";
    config.idn = idn;
    config.burn_ms = 500;
    return config;
}

std::string reply_of(CounterModel& model) {
    bool complete = false;
    return model.take_reply(4096, &complete);
}

std::string query(CounterModel& model, const std::string& command, std::uint64_t now = 0) {
    model.receive(command, now);
    return reply_of(model);
}

TEST(VersionNumber, ReadsTheDecimalTextExactly) {
    EXPECT_EQ(version_number_of("V1.15"), 115);
    EXPECT_EQ(version_number_of("V1.07"), 107);
    EXPECT_EQ(version_number_of("V1.1"), 110);
    EXPECT_EQ(version_number_of("X1.119"), 111);
    EXPECT_EQ(version_number_of("V2"), 200);
    EXPECT_EQ(version_number_of("V1."), 100);
    EXPECT_EQ(version_number_of("Vx.15"), 0);
    EXPECT_EQ(version_number_of("V"), 0);
    EXPECT_EQ(version_number_of(""), 0);
}

TEST(CounterModel, TakesTheLengthFieldWidthFromTheVersion) {
    EXPECT_EQ(CounterModel(counter_config("VALDMORE,HX-40,123456,V1.06")).length_field(), 1);
    EXPECT_EQ(CounterModel(counter_config("VALDMORE,HX-40,123456,V1.07 1 Jan")).length_field(), 2);
    ResourceConfig forced = counter_config();
    forced.length_field = 1;
    EXPECT_EQ(CounterModel(forced).length_field(), 1);
}

TEST(CounterModel, AcceptsEveryCommandOfTheUpdateSequenceWithoutError) {
    CounterModel model(counter_config());
    for (const char* command :
         {":ABOR; *rst; *PSC 0; *CLS", ":SYST:PRES", ":SYST:MEM:DEL:ZUBNORAQ", ":SYST:UNPR;*SAV 0",
          "*ESE 128;:*SRE 32;:*PSC 0", "*CLS", "*ESE 1;:*SRE 32", "*ESE 0;:*SRE 0", "*WAI",
          ":system:firmware:prepare", "SYSTEM:PRESET", ":ABORT"}) {
        model.receive(command, 0);
        EXPECT_TRUE(model.errors().empty()) << command;
        EXPECT_FALSE(model.has_reply()) << command;
    }
    EXPECT_EQ(query(model, ":ABOR; *IDN?"), "VALDMORE,HX-40XL,100000,V1.15\n");
    EXPECT_EQ(query(model, "SYST:ERR?"), "0,\"No error\"\n");
    EXPECT_EQ(query(model, "SYST:ERR:NEXT?"), "0,\"No error\"\n");
    EXPECT_EQ(query(model, "*OPC?"), "1\n");
    EXPECT_EQ(query(model, "*TST?;*ESE?;*SRE?;*PSC?"), "0;0;0;0\n");
}

struct ErrorCase {
    const char* name;
    const char* command;
    const char* error;
    int esr;
};

class CounterModelError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CounterModelError, QueuesTheErrorAndItsEventBit) {
    CounterModel model(counter_config());
    model.receive("*CLS", 0);
    model.receive(GetParam().command, 0);
    EXPECT_EQ(model.event_status(), GetParam().esr) << GetParam().command;
    EXPECT_EQ(query(model, "SYST:ERR?"), std::string(GetParam().error) + "\n");
    EXPECT_EQ(query(model, "SYST:ERR?"), "0,\"No error\"\n");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CounterModelError,
    ::testing::Values(
        ErrorCase{"UnknownLongHeader", "SYST:FIRM:UPDATE:NOW", "-113,\"Undefined header\"", 0x20},
        ErrorCase{"MisspeltHeader", "SYSTE:PRES", "-113,\"Undefined header\"", 0x20},
        ErrorCase{"QueryWithoutQuestionMark", "*IDN", "-113,\"Undefined header\"", 0x20},
        ErrorCase{"ClsWithAParameter", "*CLS 1", "-108,\"Parameter not allowed\"", 0x20},
        ErrorCase{"EseWithoutAParameter", "*ESE", "-109,\"Missing parameter\"", 0x20},
        ErrorCase{"EseNotANumber", "*ESE x", "-104,\"Data type error\"", 0x20},
        ErrorCase{"EseOutOfRange", "*ESE 256", "-222,\"Data out of range\"", 0x10},
        ErrorCase{"SavOutOfRange", "*SAV 10", "-222,\"Data out of range\"", 0x10},
        ErrorCase{"DataWithoutABlock", "SYST:FIRM:DATA", "-109,\"Missing parameter\"", 0x20},
        ErrorCase{"DataNotABlock", "SYST:FIRM:DATA 12", "-104,\"Data type error\"", 0x20},
        ErrorCase{"BlockHashOnly", "SYST:FIRM:DATA #", "-161,\"Invalid block data\"", 0x20},
        ErrorCase{"BlockWithZeroDigits", "SYST:FIRM:DATA #0abc", "-161,\"Invalid block data\"",
                  0x20},
        ErrorCase{"BlockDigitsMissing", "SYST:FIRM:DATA #3", "-161,\"Invalid block data\"", 0x20},
        ErrorCase{"BlockLengthNotADigit", "SYST:FIRM:DATA #2x1abc", "-161,\"Invalid block data\"",
                  0x20},
        ErrorCase{"BlockShorterThanItsLength", "SYST:FIRM:DATA #15abc",
                  "-161,\"Invalid block data\"", 0x20},
        ErrorCase{"UpdateBeforeAnyData", "SYST:FIRM:UPD", "-221,\"Settings conflict\"", 0x10}),
    testing_support::CaseName());

TEST(CounterModel, ErrorQueueKeepsOrderAndMarksOverflow) {
    CounterModel model(counter_config());
    for (int i = 0; i < 20; ++i) {
        model.receive(i == 0 ? "*ESE 999" : "BOGUS", 0);
    }
    EXPECT_EQ(model.errors().size(), ErrorQueue::capacity);
    EXPECT_EQ(query(model, "SYST:ERR?"), "-222,\"Data out of range\"\n");
    for (std::size_t i = 1; i + 1 < ErrorQueue::capacity; ++i) {
        EXPECT_EQ(query(model, "SYST:ERR?"), "-113,\"Undefined header\"\n");
    }
    EXPECT_EQ(query(model, "SYST:ERR?"), "-350,\"Queue overflow\"\n");
    EXPECT_EQ(query(model, "SYST:ERR?"), "0,\"No error\"\n");
}

TEST(CounterModel, AnUnreadReplyIsInterruptedAndAnEmptyReadIsUnterminated) {
    CounterModel model(counter_config());
    model.receive("*CLS", 0);
    model.receive("*IDN?", 0);
    model.receive("*CLS", 0);  // clears the queue before its own execution ends
    EXPECT_FALSE(model.has_reply());
    model.receive("*IDN?", 0);
    model.receive("*ESE 4", 0);
    model.read_found_nothing();
    EXPECT_EQ(model.event_status(), esr_query_error);
    EXPECT_EQ(query(model, "SYST:ERR?"), "-410,\"Query INTERRUPTED\"\n");
    EXPECT_EQ(query(model, "SYST:ERR?"), "-420,\"Query UNTERMINATED\"\n");
}

TEST(CounterModel, GivesAReplyInPartsUpToTheCapacity) {
    CounterModel model(counter_config());
    model.receive("*IDN?", 0);
    bool complete = true;
    EXPECT_EQ(model.take_reply(8, &complete), "VALDMORE");
    EXPECT_FALSE(complete);
    EXPECT_EQ(model.take_reply(1000, &complete), ",HX-40XL,100000,V1.15\n");
    EXPECT_TRUE(complete);
    EXPECT_FALSE(model.has_reply());
}

TEST(CounterModel, EventStatusRegisterIsReadAndCleared) {
    CounterModel model(counter_config());
    EXPECT_EQ(query(model, "*ESR?"), "128\n");  // power on
    EXPECT_EQ(query(model, "*ESR?"), "0\n");
    model.receive("*OPC", 0);
    model.receive("BOGUS", 0);
    EXPECT_EQ(query(model, "*ESR?"), "33\n");
    EXPECT_EQ(query(model, "*STB?"), "4\n");  // error queue not empty
    model.receive("*CLS", 0);
    EXPECT_EQ(query(model, "*STB?"), "0\n");
}

class CounterModelBlocks : public ::testing::Test {
  protected:
    CounterModelBlocks() : model(counter_config()) { model.receive(":SYSTEM:FIRMWARE:PREPARE", 0); }

    std::string send(const std::string& block) { return model.receive(data_command(block), 0); }
    std::string error() { return query(model, "SYST:ERR?"); }

    CounterModel model;
};

TEST_F(CounterModelBlocks, StoresAValidBlockAndSummarisesIt) {
    const std::string block = firmware_block(0x1000, {1, 2, 3}, 2);
    EXPECT_EQ(send(block), "SYST:FIRM:DATA #210 [block addr=0x00001000 len=3 ok]");
    EXPECT_EQ(error(), "0,\"No error\"\n");
    ASSERT_EQ(model.image().runs().size(), 1u);
    EXPECT_EQ(model.image().runs().begin()->first, 0x1000u);
}

TEST_F(CounterModelBlocks, ABlockWhoseLastBytesAreALineEndIsStoredWhole) {
    // The checksum byte comes out as 0x0A: a data command then ends in a line feed that is
    // block data, not the message's terminator.
    std::vector<std::uint8_t> data{0x0D, 0x00};
    for (std::uint8_t filler = 0; filler < 255; ++filler) {
        data[1] = filler;
        const std::string block = firmware_block(0x2000, data, 2);
        if (block.back() == '\n') {
            break;
        }
    }
    const std::string block = firmware_block(0x2000, data, 2);
    ASSERT_EQ(block.back(), '\n');
    EXPECT_EQ(send(block), "SYST:FIRM:DATA #19 [block addr=0x00002000 len=2 ok]");
    EXPECT_EQ(error(), "0,\"No error\"\n");
    // A real line end after the block still ends the message (and is shown as sent).
    EXPECT_EQ(model.receive(data_command(block) + "\r\n", 0),
              "SYST:FIRM:DATA #19 [block addr=0x00002000 len=2 ok]\\r\\n");
    EXPECT_EQ(error(), "0,\"No error\"\n");
}

TEST_F(CounterModelBlocks, TakesSemicolonsInsideTheBlockAndCommandsAfterIt) {
    const std::string block = firmware_block(0, {';', ';', '\n'}, 2);
    const std::string shown = model.receive(data_command(block) + ";*OPC", 0);
    EXPECT_EQ(shown, "SYST:FIRM:DATA #210 [block addr=0x00000000 len=3 ok];*OPC");
    EXPECT_EQ(error(), "0,\"No error\"\n");
    EXPECT_EQ(model.event_status() & esr_operation_complete, esr_operation_complete);
}

struct BadBlock {
    const char* name;
    std::string block;
    const char* summary;
    const char* error;
};

class CounterModelBadBlock : public CounterModelBlocks,
                             public ::testing::WithParamInterface<BadBlock> {};

TEST_P(CounterModelBadBlock, RefusesAndStoresNothing) {
    EXPECT_EQ(send(GetParam().block), GetParam().summary) << GetParam().name;
    EXPECT_EQ(error(), std::string(GetParam().error) + "\n");
    EXPECT_TRUE(model.image().empty());
}

std::string with_byte(std::string block, std::size_t index, char value) {
    block[index] = value;
    return block;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CounterModelBadBlock,
    ::testing::Values(BadBlock{"Checksum", with_byte(firmware_block(0, {1, 2}, 2), 8, 9),
                               "SYST:FIRM:DATA #19 [block addr=0x00000000 len=2 error=-220]",
                               "-220,\"Parameter error;checksum\""},
                      BadBlock{"LengthField", with_byte(firmware_block(0, {1, 2}, 2), 4, 3),
                               "SYST:FIRM:DATA #19 [block addr=0x00000000 len=3 error=-222]",
                               "-222,\"Data out of range\""},
                      BadBlock{"EmptyPayload", firmware_block(0, {}, 2),
                               "SYST:FIRM:DATA #17 [block addr=0x00000000 len=0 error=-222]",
                               "-222,\"Data out of range\""},
                      BadBlock{"OneByteWidth", firmware_block(0, {1, 2}, 1),
                               "SYST:FIRM:DATA #18 [block addr=0x00000000 len=258 error=-222]",
                               "-222,\"Data out of range\""},
                      BadBlock{"TooShort", std::string("\x01\x02\x03", 3),
                               "SYST:FIRM:DATA #13 [block bytes=3 error=-222]",
                               "-222,\"Data out of range\""},
                      BadBlock{"Past4GiB", firmware_block(0xFFFFFFFFu, {1, 2}, 2),
                               "SYST:FIRM:DATA #19 [block addr=0xFFFFFFFF len=2 error=-222]",
                               "-222,\"Data out of range\""}),
    testing_support::CaseName());

TEST_F(CounterModelBlocks, ShowsAShortBlockAsMalformed) {
    const std::string command = "SYST:FIRM:DATA #3255" + std::string(100, 'x');
    EXPECT_EQ(model.receive(command, 0), "SYST:FIRM:DATA #3255 [block bytes=100 malformed]");
    EXPECT_EQ(error(), "-161,\"Invalid block data\"\n");
}

TEST_F(CounterModelBlocks, RefusesBlocksOutsideFirmwareModeAndAfterAReset) {
    model.receive("*RST", 0);
    EXPECT_FALSE(model.firmware_mode());
    EXPECT_EQ(send(firmware_block(0, {1}, 2)),
              "SYST:FIRM:DATA #18 [block addr=0x00000000 len=1 error=-221]");
    EXPECT_EQ(error(), "-221,\"Settings conflict\"\n");
}

TEST_F(CounterModelBlocks, AcceptsAResentBlockButNotDifferentBytesAtTheSameAddress) {
    const std::string block = firmware_block(0x20, {1, 2, 3, 4}, 2);
    send(block);
    send(block);
    EXPECT_EQ(error(), "0,\"No error\"\n");
    send(firmware_block(0x22, {3, 5}, 2));
    EXPECT_EQ(error(), "-222,\"Data out of range\"\n");
    EXPECT_EQ(model.image().byte_count(), 4u);
}

TEST(CounterModel, RejectsTheConfiguredBlockForItsFirstAttempts) {
    ResourceConfig config = counter_config();
    config.block_rejections.push_back({2, 2});
    CounterModel model(config);
    model.receive(":SYSTEM:FIRMWARE:PREPARE", 0);
    const std::string first = data_command(firmware_block(0, {1}, 2));
    const std::string second = data_command(firmware_block(1, {2}, 2));
    model.receive(first, 0);
    EXPECT_EQ(query(model, "SYST:ERR?"), "0,\"No error\"\n");
    for (int attempt = 1; attempt <= 2; ++attempt) {
        EXPECT_EQ(model.receive(second, 0),
                  "SYST:FIRM:DATA #18 [block addr=0x00000001 len=1 error=-300]");
        EXPECT_EQ(query(model, "SYST:ERR?"), "-300,\"Device-specific error;block rejected\"\n");
    }
    model.receive(second, 0);
    EXPECT_EQ(query(model, "SYST:ERR?"), "0,\"No error\"\n");
    EXPECT_EQ(model.image().byte_count(), 2u);
}

class CounterModelBurn : public ::testing::Test {
  protected:
    void load(CounterModel& model) {
        model.receive(":ABOR; *rst; *PSC 0; *CLS", 0);
        model.receive(":SYSTEM:FIRMWARE:PREPARE", 0);
        model.receive(data_command(firmware_block(0, {1, 2, 3}, model.length_field())), 0);
        ASSERT_EQ(query(model, "SYST:ERR?"), "0,\"No error\"\n");
    }
};

TEST_F(CounterModelBurn, GpibRequestsServiceByPowerOn) {
    ResourceConfig config = counter_config();
    config.new_version = "V1.20 01 Feb 2021";
    CounterModel model(config);
    load(model);
    model.receive("*ESE 128;:*SRE 32;:*PSC 0", 0);
    model.receive("*CLS", 0);
    model.receive("SYST:FIRM:UPD", 1000);
    EXPECT_EQ(model.burn_due_ms(), 1500u);
    model.advance(1499);
    EXPECT_EQ(model.take_service_requests(), 0u);
    EXPECT_EQ(model.reboots(), 0u);
    model.advance(1500);
    EXPECT_EQ(model.reboots(), 1u);
    EXPECT_EQ(model.take_service_requests(), 1u);
    EXPECT_EQ(model.serial_poll(), stb_request_service | stb_event_summary);
    EXPECT_EQ(model.serial_poll(), stb_event_summary);  // the flag goes with the poll
    EXPECT_EQ(query(model, "*ESR?", 2000), "128\n");
    EXPECT_EQ(model.version_number(), 120);
    EXPECT_EQ(query(model, "*IDN?", 2000), "VALDMORE,HX-40XL,100000,V1.20 01 Feb 2021\n");
    EXPECT_FALSE(model.firmware_mode());
}

TEST_F(CounterModelBurn, UsbRequestsServiceByOperationComplete) {
    CounterModel model(counter_config());
    load(model);
    model.receive("*CLS", 0);
    model.receive("*ESE 1;:*SRE 32", 0);
    model.receive("SYST:FIRM:UPD;:*OPC", 0);
    model.receive("*OPC", 0);
    EXPECT_EQ(model.event_status() & esr_operation_complete, 0);
    model.advance(500);
    EXPECT_EQ(model.take_service_requests(), 1u);
    EXPECT_EQ(query(model, "*ESR?", 600), "129\n");
    model.receive("*ESE 0;:*SRE 0", 600);
    EXPECT_EQ(query(model, "SYST:ERR?", 600), "0,\"No error\"\n");
}

TEST_F(CounterModelBurn, PollingGetsTheOperationCompleteReplyAfterTheBurn) {
    CounterModel model(counter_config("VALDMORE,HX-40,100000,V1.00"));
    load(model);
    model.receive("SYST:FIRM:UPD;*OPC", 0);
    model.receive("*OPC?", 0);
    EXPECT_FALSE(model.has_reply());
    EXPECT_TRUE(model.reply_deferred());
    model.advance(500);
    EXPECT_EQ(reply_of(model), "1\n");
    EXPECT_EQ(query(model, "SYST:ERR?", 500), "0,\"No error\"\n");
}

TEST_F(CounterModelBurn, PowerOnClearDropsTheEnablesSoNoRequestComes) {
    ResourceConfig config = counter_config();
    config.power_on_clear = true;
    CounterModel model(config);
    model.receive(":SYSTEM:FIRMWARE:PREPARE", 0);
    model.receive(data_command(firmware_block(0, {1}, 2)), 0);
    model.receive("*ESE 128;:*SRE 32", 0);
    EXPECT_EQ(model.take_service_requests(), 1u);  // the power-on bit of the first start
    model.receive("*CLS", 0);
    model.receive("SYST:FIRM:UPD", 0);
    model.advance(500);
    EXPECT_EQ(model.reboots(), 1u);
    EXPECT_EQ(model.take_service_requests(), 0u);
    EXPECT_EQ(query(model, "*ESE?;*SRE?;*ESR?", 500), "0;0;128\n");
}

TEST_F(CounterModelBurn, NoSrqCompletesTheBurnWithoutARequest) {
    ResourceConfig config = counter_config();
    config.no_srq = true;
    CounterModel model(config);
    load(model);
    model.receive("*ESE 128;:*SRE 32;:*PSC 0", 0);
    model.receive("SYST:FIRM:UPD", 0);
    model.advance(10000);
    EXPECT_EQ(model.reboots(), 1u);
    EXPECT_EQ(model.take_service_requests(), 0u);
    EXPECT_EQ(model.serial_poll() & stb_request_service, 0);
}

TEST_F(CounterModelBurn, RefusesABurnWithoutImageOrASecondOrder) {
    CounterModel model(counter_config());
    model.receive(":SYSTEM:FIRMWARE:PREPARE", 0);
    model.receive("SYST:FIRM:UPD", 0);
    EXPECT_EQ(query(model, "SYST:ERR?"), "-221,\"Settings conflict\"\n");
    load(model);
    model.receive("SYST:FIRM:UPD", 0);
    model.receive("SYST:FIRM:UPD", 0);
    EXPECT_EQ(query(model, "SYST:ERR?"), "-221,\"Settings conflict\"\n");
}

TEST(ProgramMessage, SplitsUnitsAndDropsTheTerminator) {
    const auto units = parse_program_message(":ABOR; *rst;*PSC  0 ;\t*CLS\r\n");
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units[0].header, "ABOR");
    EXPECT_EQ(units[1].header, "*RST");
    EXPECT_EQ(units[2].header, "*PSC");
    EXPECT_EQ(units[2].parameter, "0");
    EXPECT_EQ(units[3].header, "*CLS");
    EXPECT_TRUE(parse_program_message("").empty());
    EXPECT_TRUE(parse_program_message("  \n").empty());
    EXPECT_EQ(parse_program_message("*CLS;;").size(), 1u);
}

}  // namespace
}  // namespace hx4x::visa_sim
