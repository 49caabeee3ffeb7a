// Load time of generated firmware files, from the file and from memory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "firmware/firmware_setup.hpp"
#include "firmware/hex_file_reader.hpp"
#include "hexgen/hex_generator.hpp"

namespace {

std::string make_text(std::int64_t records, std::int64_t length, bool crlf) {
    hx4x::HexGeneratorOptions options;
    options.data_records = static_cast<std::uint32_t>(records);
    options.record_length = static_cast<std::uint32_t>(length);
    options.crlf = crlf;
    return hx4x::generate_hex_text(options);
}

void BM_LoadFile(benchmark::State& state) {
    const std::string text = make_text(state.range(0), state.range(1), state.range(2) != 0);
    const std::string path =
        (std::filesystem::temp_directory_path() / "hx4x_bench_load.hex").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
        state.SkipWithError("could not write the file");
        return;
    }
    std::fclose(file);
    for (auto _ : state) {
        // A fresh reader each time, as an update makes one.
        hx4x::HexFileReader reader;
        hx4x::FirmwareVersion version;
        std::string error;
        if (!hx4x::load_firmware(reader, path, nullptr, nullptr, &version, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        benchmark::DoNotOptimize(reader.records().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
    std::remove(path.c_str());
}

void BM_LoadMemoryReused(benchmark::State& state) {
    const std::string text = make_text(state.range(0), state.range(1), state.range(2) != 0);
    // The same reader again: its reserved room is reused, so this is the parsing alone.
    hx4x::HexFileReader reader;
    hx4x::configure_update_reader(reader);
    for (auto _ : state) {
        auto scanners = hx4x::make_update_scanners();
        if (!reader.load_from_memory(text, "m", scanners)) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(reader.records().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}

}  // namespace

BENCHMARK(BM_LoadFile)
    ->Args({150000, 16, 0})
    ->Args({150000, 16, 1})
    ->Args({75000, 32, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadMemoryReused)
    ->Args({150000, 16, 0})
    ->Args({150000, 16, 1})
    ->Args({75000, 32, 0})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
