#include "platform/performance_counter.hpp"

#include <windows.h>

namespace hx4x::platform {

std::int64_t performance_count() {
    LARGE_INTEGER count{};
    return QueryPerformanceCounter(&count) != 0 ? count.QuadPart : 0;
}

std::int64_t performance_frequency() {
    LARGE_INTEGER frequency{};
    return QueryPerformanceFrequency(&frequency) != 0 ? frequency.QuadPart : 0;
}

}  // namespace hx4x::platform
