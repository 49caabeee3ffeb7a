#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/emulated_version.hpp"
#include "environment.hpp"
#include "fake_clock.hpp"
#include "hex_text.hpp"
#include "instrument/clock.hpp"
#include "instrument/emulation.hpp"
#include "instrument/visa_library.hpp"
#include "recording_view.hpp"
#include "temp_dir.hpp"
#include "ui/update_controller.hpp"

namespace hx4x::testing_support {

// A controller on a recording view against the emulated counter, on a fake clock so the
// protocol's pauses cost nothing, with a firmware file ready in the file box.
class EmulatedControllerTest : public ::testing::Test {
  protected:
    EmulatedControllerTest() : scoped_clock(clock), controller(view) {
        view.attach(controller);
        set_emulated_version(112);
        firmware = dir.file("fw.hex");
        write_file(firmware, firmware_hex_text("1.15"));
        view.file_box = firmware;
    }
    ~EmulatedControllerTest() override { set_emulated_version(0); }

    // The VISA library made unavailable: nothing is found without emulation.
    static void without_visa() {
        testing_support::set_environment(VisaLibrary::library_variable,
                                         "/nonexistent/libvisa-none.so");
        VisaLibrary::instance().load();
        testing_support::unset_environment(VisaLibrary::library_variable);
    }

    std::string last_message() const {
        return view.messages.empty() ? std::string() : view.messages.back().text;
    }

    FakeClock clock;
    ScopedClock scoped_clock;
    RecordingView view;
    UpdateController controller;
    TempDir dir;
    std::string firmware;
};

}  // namespace hx4x::testing_support
