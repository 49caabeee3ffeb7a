#include "platform/memory_hint.hpp"

#include <sys/mman.h>

#include <cstdint>

namespace hx4x::platform {

void advise_bulk_fill(void* address, std::size_t size) {
#if defined(MADV_HUGEPAGE)
    // Only whole large pages inside the block can be advised.
    constexpr std::uintptr_t large_page = 2u * 1024u * 1024u;
    const auto begin = reinterpret_cast<std::uintptr_t>(address);
    const std::uintptr_t first = (begin + large_page - 1) & ~(large_page - 1);
    const std::uintptr_t end = (begin + size) & ~(large_page - 1);
    if (address == nullptr || end <= first) {
        return;
    }
    madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)address;
    (void)size;
#endif
}

}  // namespace hx4x::platform
