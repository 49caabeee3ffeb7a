#pragma once

#include <cstdio>
#include <cstdlib>

namespace hx4x::fuzzing {

// Stops the run on a broken property, naming it, so the fuzzer keeps the input.
inline void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

}  // namespace hx4x::fuzzing
