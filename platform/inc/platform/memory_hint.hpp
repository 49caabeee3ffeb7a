#pragma once

#include <cstddef>

namespace hx4x::platform {

// Hints that a large block is about to be filled front to back in one go, so the system may
// back it with large pages: tens of thousands of small page faults cost more than the work
// that fills the block. Only a hint; nothing depends on it being taken.
void advise_bulk_fill(void* address, std::size_t size);

}  // namespace hx4x::platform
