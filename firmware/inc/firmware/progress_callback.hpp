#pragma once

#include <cstdint>

namespace hx4x {

// Called by long operations with (context, done, total); returning false asks the
// operation to stop at once and report a cancel.
using ProgressCallback = bool (*)(void* context, std::uint32_t done, std::uint32_t total);

}  // namespace hx4x
