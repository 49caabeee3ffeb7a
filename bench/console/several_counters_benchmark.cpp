// The time of one update run of four USB counters against that of one counter: the real
// hx4x-update program on the simulated bus with real time-outs, the counters' flash taking
// its time. The counters are updated at the same time, so four should take little longer
// than one; run.sh prints the ratio.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "hexgen/hex_generator.hpp"

namespace {

namespace fs = std::filesystem;

std::string usb(int n) {
    return "USB0::0x5D3C::0x0090::10000" + std::to_string(n) + "::INSTR";
}

// The bus of four counters and a firmware file of about 32 KiB, made once.
const fs::path& bench_dir() {
    static const fs::path dir = [] {
        const fs::path made = fs::temp_directory_path() / "hx4x_several_counters_bench";
        fs::create_directories(made);
        std::ofstream config(made / "sim.cfg");
        config << "timeouts real\n";
        for (int n = 1; n <= 4; ++n) {
            config << "resource " << usb(n) << "\n    idn VALDMORE,HX-40XL,10000" << n
                   << ",V1.10\n    new_version V1.20\n    burn_ms 2000\n";
        }
        hx4x::HexGeneratorOptions options;
        options.data_records = 2000;
        std::ofstream(made / "fw.hex") << hx4x::generate_hex_text(options);
        return made;
    }();
    return dir;
}

// One run of the program; false when it did not end with status 0.
bool run_update(const std::string& counters) {
    const fs::path& dir = bench_dir();
    const pid_t child = fork();
    if (child == 0) {
        setenv("HX4X_VISA_LIBRARY", HX4X_VISA_SIM_PATH, 1);
        setenv("HX4X_VISA_SIM_CONFIG", (dir / "sim.cfg").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        const std::string counter = "counter=" + counters;
        const std::string file = (dir / "fw.hex").string();
        if (std::freopen("/dev/null", "w", stdout) == nullptr ||
            std::freopen("/dev/null", "w", stderr) == nullptr) {
            _exit(127);
        }
        execl(HX4X_UPDATE_BINARY, HX4X_UPDATE_BINARY, counter.c_str(), "yes", file.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void update_counters(benchmark::State& state, const std::string& counters) {
    for (auto _ : state) {
        if (!run_update(counters)) {
            state.SkipWithError("the update did not succeed");
            return;
        }
    }
}

void BM_OneUsbCounter(benchmark::State& state) {
    update_counters(state, usb(1));
}

void BM_FourUsbCounters(benchmark::State& state) {
    update_counters(state, "all");
}

BENCHMARK(BM_OneUsbCounter)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_FourUsbCounters)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
