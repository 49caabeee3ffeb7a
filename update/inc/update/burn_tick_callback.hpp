#pragma once

namespace hx4x {

// Called by the burn at each waiting step with (context, running count); the result of
// the caller's work is not looked at, and the burn cannot be cancelled through it.
using BurnTickCallback = void (*)(void* context, int count);

}  // namespace hx4x
