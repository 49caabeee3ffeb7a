#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "app/emulated_version.hpp"
#include "environment.hpp"
#include "instrument/visa_library.hpp"
#include "temp_dir.hpp"

namespace hx4x::testing_support {

// Binds the real VisaLibrary to the simulated-counter library with a configuration
// written by the test, and keeps its transcript.
class VisaSimTest : public ::testing::Test {
  protected:
    void TearDown() override {
        VisaLibrary::instance().unload();
        testing_support::unset_environment("HX4X_VISA_SIM_CONFIG");
        set_emulated_version(0);
    }

    // Writes the configuration (a transcript line is added) and loads the simulation.
    bool load_sim(const std::string& config, std::string* error = nullptr) {
        write_file(dir_.file("sim.cfg"), "transcript " + transcript_path() + "\n" + config);
        testing_support::set_environment("HX4X_VISA_SIM_CONFIG", dir_.file("sim.cfg"));
        return VisaLibrary::instance().load(std::string(HX4X_VISA_SIM_LIBRARY), error);
    }

    std::string transcript_path() const { return dir_.file("transcript.txt"); }

    std::vector<std::string> transcript() const {
        std::vector<std::string> lines;
        std::istringstream text(read_file(transcript_path()));
        for (std::string line; std::getline(text, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    // The transcript lines that start with the entry point's name and a blank.
    std::vector<std::string> calls_of(const std::string& entry) const {
        std::vector<std::string> lines;
        for (const std::string& line : transcript()) {
            if (line.rfind(entry + " ", 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    TempDir dir_;
};

}  // namespace hx4x::testing_support
