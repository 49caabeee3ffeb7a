#include "visa-sim/sim_config.hpp"

#include <gtest/gtest.h>

#include "case_name.hpp"

namespace hx4x::visa_sim {
namespace {

TEST(SimConfig, ReadsGlobalAndCounterKeys) {
    const char* text =
        "# comment\n"
        "   \n"
        "timeouts real\n"
        "rm_status 0xBFFF003E\n"
        "transcript_append /tmp/t.txt\n"
        "fail viWrite 40 VI_ERROR_IO\n"
        "fail viRead 3 -1073807339 0\n"
        "resource USB0::0x5D3C::0x0090::100000::INSTR\n"
        "    idn VALDMORE,HX-40XL,100000,V1.15 30 Jun 2020 07:14  \r\n"
        "    new_version V1.20\n"
        "    burn_ms 2000\n"
        "    image /tmp/a.bin\n"
        "    image_map /tmp/a.map\n"
        "    reject_block 3 2\n"
        "    refuse_reopen 4\n"
        "resource GPIB0::12::INSTR\n"
        "    length_field 1\n"
        "    power_on_clear 1\n"
        "    no_srq\n"
        "    absent\n"
        "    timeout_read 2 3\n"
        "    refuse_reopen 1 VI_ERROR_RSRC_BUSY\n"
        "    drop_after 2 :ABOR; *IDN?\n";
    SimConfig config;
    std::string error;
    ASSERT_TRUE(parse_sim_config(text, &config, &error)) << error;
    EXPECT_TRUE(config.real_timeouts);
    EXPECT_EQ(config.rm_status, visa::VI_ERROR_IO);
    EXPECT_EQ(config.transcript_path, "/tmp/t.txt");
    EXPECT_TRUE(config.transcript_append);
    ASSERT_EQ(config.fail_rules.size(), 2u);
    EXPECT_EQ(config.fail_rules[0].entry, EntryPoint::write);
    EXPECT_EQ(config.fail_rules[0].calls.first, 40u);
    EXPECT_EQ(config.fail_rules[0].calls.count, 1u);
    EXPECT_EQ(config.fail_rules[1].entry, EntryPoint::read);
    EXPECT_EQ(config.fail_rules[1].status, visa::VI_ERROR_TMO);
    EXPECT_TRUE(config.fail_rules[1].calls.contains(1000));
    EXPECT_FALSE(config.fail_rules[1].calls.contains(2));

    ASSERT_EQ(config.resources.size(), 2u);
    const ResourceConfig& usb = config.resources[0];
    EXPECT_EQ(usb.name, "USB0::0x5D3C::0x0090::100000::INSTR");
    EXPECT_EQ(usb.idn, "VALDMORE,HX-40XL,100000,V1.15 30 Jun 2020 07:14");
    EXPECT_EQ(usb.new_version, "V1.20");
    EXPECT_EQ(usb.burn_ms, 2000u);
    EXPECT_EQ(usb.image_path, "/tmp/a.bin");
    EXPECT_EQ(usb.image_map_path, "/tmp/a.map");
    ASSERT_EQ(usb.block_rejections.size(), 1u);
    EXPECT_EQ(usb.block_rejections[0].block, 3u);
    EXPECT_EQ(usb.block_rejections[0].attempts, 2u);
    EXPECT_EQ(usb.refuse_reopen, 4u);
    EXPECT_EQ(usb.refuse_reopen_status, visa::VI_ERROR_RSRC_NFOUND);
    EXPECT_FALSE(usb.no_srq);

    const ResourceConfig& gpib = config.resources[1];
    EXPECT_EQ(gpib.idn, "VALDMORE,HX-40XL,100000,V1.15");
    EXPECT_EQ(gpib.length_field, 1);
    EXPECT_TRUE(gpib.power_on_clear);
    EXPECT_TRUE(gpib.no_srq);
    EXPECT_TRUE(gpib.absent);
    ASSERT_EQ(gpib.read_timeouts.size(), 1u);
    EXPECT_TRUE(gpib.read_timeouts[0].contains(4));
    EXPECT_FALSE(gpib.read_timeouts[0].contains(5));
    EXPECT_EQ(gpib.refuse_reopen_status, visa::VI_ERROR_RSRC_BUSY);
    EXPECT_EQ(gpib.drop_after_count, 2u);
    EXPECT_EQ(gpib.drop_after_text, ":ABOR; *IDN?");
}

TEST(SimConfig, AnEmptyFileGivesTheDefaults) {
    SimConfig config;
    std::string error;
    ASSERT_TRUE(parse_sim_config("", &config, &error));
    EXPECT_EQ(config.rm_status, visa::VI_SUCCESS);
    EXPECT_FALSE(config.real_timeouts);
    EXPECT_TRUE(config.resources.empty());
}

struct BadConfig {
    const char* name;
    const char* text;
    const char* error;
};

class SimConfigRefused : public ::testing::TestWithParam<BadConfig> {};

TEST_P(SimConfigRefused, NamesTheLineAndTheFault) {
    SimConfig config;
    std::string error;
    EXPECT_FALSE(parse_sim_config(GetParam().text, &config, &error));
    EXPECT_EQ(error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimConfigRefused,
    ::testing::Values(
        BadConfig{"UnknownGlobalKey", "colour blue", "line 1: unknown global key 'colour'"},
        BadConfig{"LineNumbersCountBlankLines", "\n\nidn X", "line 3: unknown global key 'idn'"},
        BadConfig{"UnknownCounterKey", "resource A\ncolour blue",
                  "line 2: unknown counter key 'colour'"},
        BadConfig{"BadTimeouts", "timeouts soon",
                  "line 1: timeouts: immediate or real, not 'soon'"},
        BadConfig{"BadRmStatus", "rm_status maybe", "line 1: rm_status: not a status: 'maybe'"},
        BadConfig{"UnknownEntryPoint", "fail viFoo 1 VI_ERROR_IO",
                  "line 1: fail: unknown entry point 'viFoo'"},
        BadConfig{"FailCallZero", "fail viRead 0 VI_ERROR_IO", "line 1: fail: calls count from 1"},
        BadConfig{"FailCallNotANumber", "fail viRead x VI_ERROR_IO",
                  "line 1: fail: not a number: 'x'"},
        BadConfig{"FailExtraWord", "fail viRead 1 VI_ERROR_IO 2 3", "line 1: fail: unexpected '3'"},
        BadConfig{"ResourceWithoutAValue", "resource\n", "line 1: resource needs a value"},
        BadConfig{"ResourceTwiceInAnyCase", "resource A\nresource a",
                  "line 2: resource a given twice"},
        BadConfig{"BadLengthField", "resource A\nlength_field 3",
                  "line 2: length_field: 1 or 2, not '3'"},
        BadConfig{"NegativeBurnMs", "resource A\nburn_ms -5",
                  "line 2: burn_ms: not a number: '-5'"},
        BadConfig{"NoSrqWithAValue", "resource A\nno_srq yes", "line 2: no_srq takes no value"},
        BadConfig{"RejectBlockZero", "resource A\nreject_block 0 1",
                  "line 2: reject_block: blocks count from 1"},
        BadConfig{"DropAfterWithoutAValue", "resource A\ndrop_after 1",
                  "line 2: drop_after needs a value"},
        BadConfig{"TimeoutReadZero", "resource A\ntimeout_read 0",
                  "line 2: timeout_read: calls count from 1"},
        BadConfig{"IdnWithoutAValue", "resource A\nidn", "line 2: idn needs a value"},
        BadConfig{"BadBurnAnswer", "resource A\nburn_answer maybe",
                  "line 2: burn_answer: yes, no or drop, not 'maybe'"},
        BadConfig{"EarlySrqNotANumber", "resource A\nearly_srq soon",
                  "line 2: early_srq: not a number: 'soon'"},
        BadConfig{"StateWithoutAValue", "resource A\nstate", "line 2: state needs a value"}),
    testing_support::CaseName());

TEST(StatusNames, ParseAndPrintAgree) {
    ViStatus status = 0;
    ASSERT_TRUE(parse_status("VI_ERROR_TMO", &status));
    EXPECT_EQ(status, visa::VI_ERROR_TMO);
    EXPECT_EQ(status_name(status), "VI_ERROR_TMO");
    ASSERT_TRUE(parse_status("0x3FFF0080", &status));
    EXPECT_EQ(status_name(status), "VI_SUCCESS_QUEUE_NEMPTY");
    ASSERT_TRUE(parse_status("0xbfff1234", &status));
    EXPECT_EQ(status_name(status), "0xBFFF1234");
    ASSERT_TRUE(parse_status("-1", &status));
    EXPECT_EQ(status_name(status), "0xFFFFFFFF");
    EXPECT_FALSE(parse_status("0x", &status));
    EXPECT_FALSE(parse_status("0x1FFFFFFFF", &status));
    EXPECT_FALSE(parse_status("12abc", &status));
    EXPECT_FALSE(parse_status("", &status));
}

}  // namespace
}  // namespace hx4x::visa_sim
