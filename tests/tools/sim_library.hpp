#pragma once

// The simulated-counter library loaded as the loader loads it, and the fixture its tests
// share: configuration, sessions, reads and writes, and the transcript.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "block_builder.hpp"
#include "environment.hpp"
#include "instrument/visa_types.hpp"
#include "platform/shared_library.hpp"
#include "temp_dir.hpp"
#include "visa-sim/status_names.hpp"

namespace hx4x::visa_sim::sim_test {

using namespace hx4x::visa;
using testing_support::read_file;
using testing_support::write_file;

inline const char* const usb = "USB0::0x5D3C::0x0090::100000::INSTR";
inline const char* const gpib = "GPIB0::12::INSTR";
// A counter beside the one under test, for let_time_pass.
inline const char* const bystander = "GPIB0::1::INSTR";

template <typename F>
inline F bind(platform::LibraryHandle library, const char* name) {
    return reinterpret_cast<F>(platform::library_symbol(library, name));
}

struct Api {
    viOpenDefaultRM_t open_rm = nullptr;
    viOpen_t open = nullptr;
    viClose_t close = nullptr;
    viFindRsrc_t find = nullptr;
    viFindNext_t find_next = nullptr;
    viGpibControlREN_t ren = nullptr;
    viGetAttribute_t get_attribute = nullptr;
    viSetAttribute_t set_attribute = nullptr;
    viWrite_t write = nullptr;
    viRead_t read = nullptr;
    viEnableEvent_t enable_event = nullptr;
    viWaitOnEvent_t wait_on_event = nullptr;
    viReadSTB_t read_stb = nullptr;
    viStatusDesc_t status_desc = nullptr;
    viFlush_t flush = nullptr;
    void (*reset)() = nullptr;
};

class SimLibrary : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        std::string error;
        library_ = platform::load_library(HX4X_VISA_SIM_PATH, &error);
        ASSERT_NE(library_, nullptr) << error;
        api_.open_rm = bind<viOpenDefaultRM_t>(library_, "viOpenDefaultRM");
        api_.open = bind<viOpen_t>(library_, "viOpen");
        api_.close = bind<viClose_t>(library_, "viClose");
        api_.find = bind<viFindRsrc_t>(library_, "viFindRsrc");
        api_.find_next = bind<viFindNext_t>(library_, "viFindNext");
        api_.ren = bind<viGpibControlREN_t>(library_, "viGpibControlREN");
        api_.get_attribute = bind<viGetAttribute_t>(library_, "viGetAttribute");
        api_.set_attribute = bind<viSetAttribute_t>(library_, "viSetAttribute");
        api_.write = bind<viWrite_t>(library_, "viWrite");
        api_.read = bind<viRead_t>(library_, "viRead");
        api_.enable_event = bind<viEnableEvent_t>(library_, "viEnableEvent");
        api_.wait_on_event = bind<viWaitOnEvent_t>(library_, "viWaitOnEvent");
        api_.read_stb = bind<viReadSTB_t>(library_, "viReadSTB");
        api_.status_desc = bind<viStatusDesc_t>(library_, "viStatusDesc");
        api_.flush = bind<viFlush_t>(library_, "viFlush");
        api_.reset = bind<void (*)()>(library_, "hx4x_visa_sim_reset");
    }
    static void TearDownTestSuite() {
        if (library_ != nullptr) {
            platform::free_library(library_);
            library_ = nullptr;
        }
    }
    void SetUp() override { ASSERT_NE(api_.reset, nullptr); }
    void TearDown() override {
        api_.reset();
        testing_support::unset_environment("HX4X_VISA_SIM_CONFIG");
    }

    void configure(const std::string& text) {
        write_file(dir_.file("sim.cfg"), "transcript " + dir_.file("transcript.txt") + "\n" + text);
        testing_support::set_environment("HX4X_VISA_SIM_CONFIG", dir_.file("sim.cfg"));
    }

    ViSession open_rm() {
        ViSession rm = 0;
        EXPECT_EQ(api_.open_rm(&rm), VI_SUCCESS);
        return rm;
    }

    ViSession open(ViSession rm, const char* name) {
        ViSession vi = 0;
        EXPECT_EQ(api_.open(rm, name, VI_NO_LOCK, 0, &vi), VI_SUCCESS) << name;
        return vi;
    }

    ViStatus write(ViSession vi, const std::string& text) {
        ViUInt32 written = 0;
        const ViStatus status = api_.write(vi, reinterpret_cast<const unsigned char*>(text.data()),
                                           static_cast<ViUInt32>(text.size()), &written);
        if (status == VI_SUCCESS) {
            EXPECT_EQ(written, text.size());
        }
        return status;
    }

    std::string read(ViSession vi, ViStatus* status = nullptr, ViUInt32 capacity = 4096) {
        std::vector<unsigned char> buffer(capacity + 1, 0);
        ViUInt32 count = 12345;
        const ViStatus result = api_.read(vi, buffer.data(), capacity, &count);
        if (status != nullptr) {
            *status = result;
        }
        return std::string(reinterpret_cast<const char*>(buffer.data()), count);
    }

    std::string query(ViSession vi, const std::string& text) {
        EXPECT_EQ(write(vi, text), VI_SUCCESS);
        ViStatus status = 0;
        std::string reply = read(vi, &status);
        EXPECT_EQ(status, VI_SUCCESS) << text;
        return reply;
    }

    std::vector<std::string> transcript(const std::string& prefix = {},
                                        const std::string& file = {}) {
        std::istringstream lines(read_file(file.empty() ? dir_.file("transcript.txt") : file));
        std::vector<std::string> result;
        for (std::string line; std::getline(lines, line);) {
            if (line.compare(0, prefix.size(), prefix) == 0) {
                result.push_back(line);
            }
        }
        return result;
    }

    // What was written to the resource, as the transcript shows it: marks included, the
    // status left out.
    std::vector<std::string> commands(const std::string& name, const std::string& file = {}) {
        const std::string prefix = "viWrite " + name + " ";
        std::istringstream lines(read_file(file.empty() ? dir_.file("transcript.txt") : file));
        std::vector<std::string> result;
        for (std::string line; std::getline(lines, line);) {
            if (line.compare(0, prefix.size(), prefix) == 0) {
                result.push_back(line.substr(prefix.size(), line.find(" -> ") - prefix.size()));
            }
        }
        return result;
    }

    // Firmware mode and one stored block, ready for the burn order.
    void load_image(ViSession vi) {
        ASSERT_EQ(write(vi, ":SYSTEM:FIRMWARE:PREPARE"), VI_SUCCESS);
        ASSERT_EQ(
            write(vi, testing_support::data_command(testing_support::firmware_block(0, {1}, 2))),
            VI_SUCCESS);
    }

    // Lets simulated time pass without touching the counter under test: a read on the
    // bystander counter (which the configuration must have) runs into its time-out, and
    // the clock is one for the whole bus.
    void let_time_pass(ViSession rm, ViUInt32 ms) {
        const ViSession vi = open(rm, bystander);
        ASSERT_EQ(api_.set_attribute(vi, VI_ATTR_TMO_VALUE, ms), VI_SUCCESS);
        ViStatus status = 0;
        read(vi, &status);
        EXPECT_EQ(status, VI_ERROR_TMO);
        EXPECT_EQ(api_.close(vi), VI_SUCCESS);
    }

    // Walks a search to its end; the names in order.
    std::vector<std::string> find_all(ViSession rm, const char* mask, ViStatus* status) {
        ViFindList list = 0;
        ViUInt32 count = 0;
        char name[VI_FIND_BUFLEN] = {};
        *status = api_.find(rm, mask, &list, &count, name);
        std::vector<std::string> names;
        if (*status != VI_SUCCESS) {
            EXPECT_EQ(count, 0u);
            EXPECT_EQ(list, 0u);
            return names;
        }
        names.emplace_back(name);
        for (ViUInt32 i = 1; i < count; ++i) {
            EXPECT_EQ(api_.find_next(list, name), VI_SUCCESS);
            names.emplace_back(name);
        }
        EXPECT_EQ(api_.find_next(list, name), VI_ERROR_RSRC_NFOUND);
        EXPECT_EQ(api_.close(list), VI_SUCCESS);
        return names;
    }

    static inline platform::LibraryHandle library_ = nullptr;
    static inline Api api_;
    testing_support::TempDir dir_;
};

}  // namespace hx4x::visa_sim::sim_test
