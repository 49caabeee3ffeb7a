#pragma once

namespace hx4x::testing_support {

// The system the tests were built for, where an expectation is the system's own (its
// libraries, its error texts, its resource rules).
#ifdef _WIN32
inline constexpr bool host_is_windows = true;
#else
inline constexpr bool host_is_windows = false;
#endif

}  // namespace hx4x::testing_support
