#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/emulated_version.hpp"
#include "environment.hpp"
#include "instrument/visa_library.hpp"

namespace hx4x::test {

// One simulated counter on the bus, reached through the real VISA binding. The
// configuration is written to a file of its own; every call lands in a transcript.
class SimCounter {
  public:
    SimCounter(std::string resource, std::string counter_keys, std::string global_keys = "")
        : resource_(std::move(resource)) {
        set_emulated_version(0);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() / "hx4x_update_sim" /
               (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::ofstream config(dir_ / "counter.cfg");
        config << "timeouts immediate\n"
               << "transcript " << transcript_path().string() << "\n"
               << global_keys << "\nresource " << resource_ << "\n"
               << "image " << image_path().string() << "\n"
               << counter_keys << "\n";
        config.close();
        testing_support::set_environment("HX4X_VISA_SIM_CONFIG", (dir_ / "counter.cfg").string());
        std::string error;
        available_ = VisaLibrary::instance().load(HX4X_VISA_SIM_PATH, &error);
        EXPECT_TRUE(available_) << error;
    }

    ~SimCounter() {
        VisaLibrary::instance().unload();
        testing_support::unset_environment("HX4X_VISA_SIM_CONFIG");
    }

    SimCounter(const SimCounter&) = delete;
    SimCounter& operator=(const SimCounter&) = delete;

    bool available() const { return available_; }
    const std::string& resource() const { return resource_; }
    std::filesystem::path dir() const { return dir_; }
    std::filesystem::path transcript_path() const { return dir_ / "transcript.txt"; }
    std::filesystem::path image_path() const { return dir_ / "image.bin"; }

    std::vector<std::string> lines() const {
        std::ifstream in(transcript_path());
        std::vector<std::string> result;
        for (std::string line; std::getline(in, line);) {
            result.push_back(line);
        }
        return result;
    }

    // Lines of one entry point, without the entry point's name.
    std::vector<std::string> calls(const std::string& entry) const {
        std::vector<std::string> result;
        for (const std::string& line : lines()) {
            if (line.rfind(entry + " ", 0) == 0) {
                result.push_back(line.substr(entry.size() + 1));
            }
        }
        return result;
    }

    // What each write sent: the text between the resource name and " -> ".
    std::vector<std::string> writes() const {
        std::vector<std::string> result;
        for (const std::string& call : calls("viWrite")) {
            const std::size_t start = call.find(' ') + 1;
            result.push_back(call.substr(start, call.find(" -> ") - start));
        }
        return result;
    }

    std::vector<std::string> timeouts() const {
        std::vector<std::string> result;
        for (const std::string& call : calls("viSetAttribute")) {
            const std::size_t start = call.find("VI_ATTR_TMO_VALUE=") + 18;
            result.push_back(call.substr(start, call.find(" -> ") - start));
        }
        return result;
    }

    std::vector<std::uint8_t> received_image() const {
        std::ifstream in(image_path(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

  private:
    std::string resource_;
    std::filesystem::path dir_;
    bool available_ = false;
};

}  // namespace hx4x::test
