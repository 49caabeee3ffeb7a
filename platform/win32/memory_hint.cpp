#include "platform/memory_hint.hpp"

namespace hx4x::platform {

// Large pages need a privilege on Windows that an ordinary user does not hold.
void advise_bulk_fill(void*, std::size_t) {}

}  // namespace hx4x::platform
