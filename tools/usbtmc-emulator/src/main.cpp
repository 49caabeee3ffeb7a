// usbtmc-emulator [--config SIM_CONFIG] [--fault SPEC]... [--trace FILE] [--kernel-driver]
//                 -- COMMAND [ARG...]
// Runs COMMAND against emulated USB488 counters (see README.md).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "usbtmc-emulator/emulator.hpp"

namespace {

constexpr const char* preloaded_marker = "HX4X_USBTMC_EMULATOR_PRELOADED";

// The testbed's hotplug events look the device up through libudev in this process, which
// finds the emulated /sys only under umockdev's preload: the program runs itself again with
// it (once; the marker stops a loop).
void run_under_preload(char** argv) {
    if (std::getenv(preloaded_marker) != nullptr) {
        return;
    }
    setenv(preloaded_marker, "1", 1);
    const char* preload = std::getenv("LD_PRELOAD");
    std::string preloads = "libumockdev-preload.so.0";
    if (preload != nullptr && preload[0] != '\0') {
        preloads += std::string(":") + preload;
    }
    setenv("LD_PRELOAD", preloads.c_str(), 1);
    const char* asan = std::getenv("ASAN_OPTIONS");
    if (asan == nullptr || std::string(asan).find("verify_asan_link_order") == std::string::npos) {
        const std::string options = asan != nullptr && asan[0] != '\0'
                                        ? std::string(asan) + ":verify_asan_link_order=0"
                                        : std::string("verify_asan_link_order=0");
        setenv("ASAN_OPTIONS", options.c_str(), 1);
    }
    execv("/proc/self/exe", argv);
    std::fprintf(stderr, "usbtmc-emulator: cannot run under the preload; no hotplug events\n");
}

}  // namespace

int main(int argc, char** argv) {
    using namespace hx4x::usbtmc_emulator;
    Options options;
    std::string error;
    if (!parse_options(argc, argv, &options, &error)) {
        std::fprintf(stderr, "usbtmc-emulator: %s\n", error.c_str());
        std::fprintf(stderr,
                     "usage: usbtmc-emulator [--config SIM_CONFIG] [--fault SPEC]... "
                     "[--trace FILE] [--kernel-driver] -- COMMAND [ARG...]\n");
        return 2;
    }
    run_under_preload(argv);
    Emulator emulator(std::move(options));
    return emulator.run();
}
