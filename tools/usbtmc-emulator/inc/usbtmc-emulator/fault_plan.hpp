#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hx4x::usbtmc_emulator {

// One injected fault (`--fault`), counted on each emulated device on its own:
//   stall:in:N       the N-th bulk-IN URB completes -EPIPE; the endpoint stays halted
//   stall:out:N      the same on bulk-OUT (the message it carried is lost)
//   withhold:in:N    the N-th bulk-IN URB is never completed (the host must time out)
//   unplug:out:N     the device vanishes when the N-th bulk-OUT URB arrives
//   unplug:cmd:N:TEXT  the device vanishes when the N-th message containing TEXT arrives
// A URB that meets an unplug completes -ENODEV and its message is not executed.
struct Fault {
    enum class Kind { stall, withhold, unplug };
    enum class Where { bulk_in, bulk_out, command };
    Kind kind = Kind::stall;
    Where where = Where::bulk_in;
    std::uint32_t count = 1;
    std::string text;
};

// False with the reason in `error`.
bool parse_fault(std::string_view spec, Fault* fault, std::string* error);

}  // namespace hx4x::usbtmc_emulator
