// The simulated counter keeps every block it takes; an image sent as ascending blocks of
// 2040 bytes must cost it time in proportion to its size, so that images of hundreds of
// megabytes still go through. state.range(0): the image size in MiB.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "visa-sim/received_image.hpp"

namespace {

constexpr std::size_t block_bytes = 2040;

void store_ascending_blocks(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0)) * 1024u * 1024u;
    std::vector<std::uint8_t> block(block_bytes);
    for (std::size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    for (auto _ : state) {
        hx4x::visa_sim::ReceivedImage image;
        for (std::size_t at = 0; at < size; at += block_bytes) {
            const std::size_t length = at + block_bytes <= size ? block_bytes : size - at;
            if (!image.store(static_cast<std::uint32_t>(at), block.data(), length)) {
                state.SkipWithError("a block was refused");
                return;
            }
        }
        benchmark::DoNotOptimize(image.byte_count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}

BENCHMARK(store_ascending_blocks)
    ->ArgName("MiB")
    ->Arg(16)
    ->Arg(64)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
