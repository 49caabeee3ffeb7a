#pragma once

#include <map>
#include <string>
#include <vector>

#include "temp_dir.hpp"

// The simulated-counter library as the bus of a program run by a test.
#ifdef HX4X_VISA_SIM_PATH
namespace hx4x::testing_support {

inline const std::string usb_a = "USB0::0x5D3C::0x0090::100001::INSTR";
inline const std::string usb_b = "USB0::0x5D3C::0x0090::100002::INSTR";

// The simulated bus, one counter section per entry.
class SimulatedBus {
  public:
    explicit SimulatedBus(const std::string& counters) {
        write_file(config(), "transcript " + dir_.file("transcript.txt") + "\n" + counters);
    }
    std::string config() const { return dir_.file("sim.cfg"); }
    std::map<std::string, std::string> environment() const {
        // The claims on counters live in the runtime folder: tests running at the same time
        // use the same counter names on buses of their own.
        return {{"HX4X_VISA_LIBRARY", HX4X_VISA_SIM_PATH},
                {"HX4X_VISA_SIM_CONFIG", config()},
                {"XDG_RUNTIME_DIR", dir_.path().string()}};
    }
    std::vector<std::string> writes() const {
        std::vector<std::string> lines;
        const std::string text = read_file(dir_.file("transcript.txt"));
        std::size_t begin = 0;
        while (begin < text.size()) {
            const std::size_t end = text.find('\n', begin);
            const std::string line = text.substr(begin, end - begin);
            if (line.rfind("viWrite ", 0) == 0) {
                lines.push_back(line);
            }
            begin = end == std::string::npos ? text.size() : end + 1;
        }
        return lines;
    }
    std::string file(const std::string& name) const { return dir_.file(name); }

  private:
    TempDir dir_;
};

// A counter section of the configuration: an HX-40XL at version 1.10, 1.20 after the burn,
// its serial number the one in its name.
inline std::string counter(const std::string& name, const std::string& extra = {}) {
    return "resource " + name + "\n    idn VALDMORE,HX-40XL," + name.substr(22, 6) +
           ",V1.10\n    new_version V1.20\n" + extra;
}

}  // namespace hx4x::testing_support
#endif
