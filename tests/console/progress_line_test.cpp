#include <gtest/gtest.h>

#include "console/progress_line.hpp"

namespace hx4x {
namespace {

TEST(ProgressLineTest, PercentAndBarsAtTheirBoundaries) {
    EXPECT_EQ(progress_percent(0, 1024), 0u);
    EXPECT_EQ(progress_percent(1023, 1024), 99u);
    EXPECT_EQ(progress_percent(1024, 1024), 100u);
    EXPECT_EQ(progress_percent(5000, 1024), 100u);
    EXPECT_EQ(progress_percent(0, 0), 100u);
    EXPECT_EQ(progress_percent(0xFFFFFFFFu, 0xFFFFFFFFu), 100u);
    EXPECT_EQ(progress_percent(0xFFFFFFFEu, 0xFFFFFFFFu), 99u);

    EXPECT_EQ(progress_bar(0, 10, 12), "[..........]");
    EXPECT_EQ(progress_bar(5, 10, 12), "[#####.....]");
    EXPECT_EQ(progress_bar(10, 10, 12), "[##########]");
    EXPECT_EQ(progress_bar(11, 10, 12), "[##########]");
    EXPECT_EQ(sweeping_bar(0, 8), "[<=>   ]");
    EXPECT_EQ(sweeping_bar(100, 8), "[   <=>]");
    EXPECT_EQ(sweeping_bar(250, 8), "[   <=>]");
    EXPECT_EQ(clock_text(0), "00:00");
    EXPECT_EQ(clock_text(125), "02:05");
    EXPECT_EQ(clock_text(6000), "100:00");
}

TEST(ProgressLineTest, SendingShowsRecordsRateAndTimeLeft) {
    ProgressSnapshot s;
    s.caption = "Firmware sending...";
    s.max = 400;
    s.position = 100;
    s.elapsed_seconds = 2.0;
    s.show_records = true;
    s.bytes_known = true;
    s.bytes_done = 4096;
    EXPECT_EQ(terminal_progress_line(s, 200),
              "Firmware sending... [#####...............]  25%  100/400 records  2.0 kB/s  "
              "00:06 left");
    s.position = 0;
    s.bytes_known = false;
    EXPECT_EQ(terminal_progress_line(s, 200),
              "Firmware sending... [....................]   0%  0/400 records  --:-- left");
}

TEST(ProgressLineTest, BurnShowsASweepAndTheElapsedTime) {
    ProgressSnapshot s;
    s.caption = "Flash updating (DO NOT INTERRUPT!)...";
    s.burning = true;
    s.position = 50;
    s.elapsed_seconds = 61.7;
    EXPECT_EQ(terminal_progress_line(s, 200),
              "Flash updating (DO NOT INTERRUPT!)... [        <=>         ]  01:01");
}

TEST(ProgressLineTest, NeverWiderThanTheTerminalAllows) {
    ProgressSnapshot s;
    s.caption = "Preparing counter...";
    s.max = 1024;
    s.position = 512;
    const std::string line = terminal_progress_line(s, 30);
    EXPECT_EQ(line.size(), 29u);
    EXPECT_EQ(line, "Preparing counter... [#######");
}

}  // namespace
}  // namespace hx4x
