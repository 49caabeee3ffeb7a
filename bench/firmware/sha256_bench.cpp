// SHA-256 of a firmware-sized file as an update record takes it, and of the same bytes in
// memory (the hash alone, without reading).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "firmware/sha256.hpp"

namespace {

std::string bytes_of(std::int64_t size) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>((i * 131 + 17) & 0xFF);
    }
    return bytes;
}

void BM_FileSha256(benchmark::State& state) {
    const std::string bytes = bytes_of(state.range(0));
    const std::string path =
        (std::filesystem::temp_directory_path() / "hx4x_bench_sha256.bin").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        state.SkipWithError("could not write the file");
        return;
    }
    std::fclose(file);
    for (auto _ : state) {
        std::string hex;
        std::uint64_t size = 0;
        if (!hx4x::file_sha256(path, hex, size)) {
            state.SkipWithError("could not hash the file");
            break;
        }
        benchmark::DoNotOptimize(hex.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    std::remove(path.c_str());
}

void BM_MemorySha256(benchmark::State& state) {
    const std::string bytes = bytes_of(state.range(0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(hx4x::sha256_hex(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

}  // namespace

BENCHMARK(BM_FileSha256)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemorySha256)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
