// Sends the generator's 150,000-record image to a simulated counter that answers at once,
// through the real VISA binding, with the pauses on a fake clock: what is left is the
// host's own cost per block (plus the simulated counter's, which checks every block).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/emulated_version.hpp"
#include "fake_clock.hpp"
#include "firmware/hex_file_reader.hpp"
#include "hexgen/hex_generator.hpp"
#include "instrument/emulation.hpp"
#include "instrument/visa_library.hpp"
#include "update/counter_protocol.hpp"
#include "update/fill_block.hpp"

namespace {

namespace fs = std::filesystem;
using hx4x::CounterProtocol;
using hx4x::HexFileReader;

const char* const resource = "GPIB0::12::INSTR";

struct Image {
    fs::path dir;
    HexFileReader reader;
    std::string path;
};

Image& image() {
    static Image* loaded = [] {
        auto* result = new Image;
        result->dir = fs::temp_directory_path() / "hx4x_update_bench";
        fs::create_directories(result->dir);
        hx4x::HexGeneratorOptions options;
        options.data_records = 150000;
        const std::string text = hx4x::generate_hex_text(options);
        std::vector<hx4x::SignatureScanner> scanners;
        if (!result->reader.load_from_memory(text, (result->dir / "image.hex").string(),
                                             scanners)) {
            std::abort();
        }
        result->path = (result->dir / "image.hex").string();
        return result;
    }();
    return *loaded;
}

std::size_t block_count(std::uint8_t width) {
    const auto& records = image().reader.records();
    hx4x::FirmwareBlock block(width);
    std::uint32_t upper = 0;
    std::size_t blocks = 0;
    for (std::size_t index = 0; index < records.size();) {
        index = hx4x::fill_block(records, index, block, upper);
        blocks += block.empty() ? 0u : 1u;
    }
    return blocks;
}

// state.range(0): the counter's version (width 1 below 107); state.range(1): dumps on.
void transfer(benchmark::State& state) {
    const auto version = state.range(0);
    const bool dumps = state.range(1) != 0;
    Image& loaded = image();
    const auto& records = loaded.reader.records();
    hx4x::FakeClock clock;
    hx4x::ScopedClock scoped(clock);

    const fs::path config = loaded.dir / "counter.cfg";
    std::ofstream(config) << "timeouts immediate\nresource " << resource << "\n"
                          << "idn DWERN,RV2260,123456,V" << version / 100 << "."
                          << (version % 100 < 10 ? "0" : "") << version % 100 << "\n";
    setenv("HX4X_VISA_SIM_CONFIG", config.c_str(), 1);
    if (!hx4x::VisaLibrary::instance().load(HX4X_VISA_SIM_PATH)) {
        state.SkipWithError("the simulated counter did not load");
        return;
    }
    CounterProtocol protocol;
    if (!protocol.connect(resource)) {
        state.SkipWithError("no counter");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        protocol.prepare(nullptr, nullptr);
        state.ResumeTiming();
        if (!protocol.send_firmware(loaded.path, records, dumps, dumps, nullptr, nullptr)) {
            state.SkipWithError("transfer failed");
            break;
        }
    }
    protocol.disconnect();
    hx4x::VisaLibrary::instance().unload();

    const auto blocks = static_cast<double>(block_count(version < 107 ? 1 : 2));
    state.counters["blocks"] = blocks;
    state.counters["blocks_per_second"] =
        benchmark::Counter(blocks, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["seconds_per_block"] = benchmark::Counter(
        blocks, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The protocol alone: the emulated counter takes every command without any I/O.
void transfer_emulated(benchmark::State& state) {
    const auto version = state.range(0);
    const bool dumps = state.range(1) != 0;
    Image& loaded = image();
    hx4x::FakeClock clock;
    hx4x::ScopedClock scoped(clock);
    hx4x::set_emulated_version(static_cast<std::uint32_t>(version));
    CounterProtocol protocol;
    protocol.connect(hx4x::emulated_resource_name);
    for (auto _ : state) {
        if (!protocol.send_firmware(loaded.reader, dumps, dumps, nullptr, nullptr)) {
            state.SkipWithError("transfer failed");
            break;
        }
    }
    hx4x::set_emulated_version(0);
    const auto blocks = static_cast<double>(block_count(version < 107 ? 1 : 2));
    state.counters["blocks"] = blocks;
    state.counters["blocks_per_second"] =
        benchmark::Counter(blocks, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["seconds_per_block"] = benchmark::Counter(
        blocks, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(transfer_emulated)
    ->ArgNames({"version", "dumps"})
    ->Args({115, 0})
    ->Args({115, 1})
    ->Args({105, 0})
    ->Args({105, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK(transfer)
    ->ArgNames({"version", "dumps"})
    ->Args({115, 0})
    ->Args({115, 1})
    ->Args({105, 0})
    ->Args({105, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
