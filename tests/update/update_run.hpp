#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "firmware/hex_record.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x::test {

struct ProgressLog {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;
    std::size_t cancel_at = 0;  // the call (from 1) that answers false; 0 never

    static bool callback(void* context, std::uint32_t done, std::uint32_t total) {
        auto* log = static_cast<ProgressLog*>(context);
        log->calls.emplace_back(done, total);
        return log->calls.size() != log->cancel_at;
    }
};

struct TickLog {
    std::vector<int> ticks;
    static void callback(void* context, int count) {
        static_cast<TickLog*>(context)->ticks.push_back(count);
    }
};

// The protocol steps of one update in the controller's order, up to the first failure.
// The controller's own reset after a failure is left out, so that every reset in a
// transcript comes from the protocol itself.
struct UpdateRun {
    std::string failed_step;  // empty when every step succeeded
    ProgressLog preparation;
    ProgressLog transfer;
    TickLog burn;
};

inline UpdateRun run_update(CounterProtocol& protocol, const std::string& resource,
                            std::span<const HexRecord> records) {
    UpdateRun run;
    if (!protocol.connect(resource)) {
        run.failed_step = "connect";
    } else if (!protocol.prepare(ProgressLog::callback, &run.preparation)) {
        run.failed_step = "prepare";
    } else if (!protocol.send_firmware("image.hex", records, false, false, ProgressLog::callback,
                                       &run.transfer)) {
        run.failed_step = "send";
    } else if (!protocol.burn(TickLog::callback, &run.burn)) {
        run.failed_step = "burn";
    }
    return run;
}

}  // namespace hx4x::test
