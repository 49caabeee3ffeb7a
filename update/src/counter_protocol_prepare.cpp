#include "instrument/performance_timer.hpp"
#include "update/counter_protocol.hpp"
#include "update/protocol_timing.hpp"

namespace hx4x {

namespace {

bool report(ProgressCallback progress, void* context, std::uint32_t step) {
    return progress == nullptr || progress(context, step, preparation_total_steps);
}

}  // namespace

bool CounterProtocol::prepare(ProgressCallback progress, void* context) {
    if (identity_.version_number >= full_preparation_from_version) {
        if (!send(ProtocolCommand::preset)) {
            return false;
        }
        wait_ms(preparation_step_ms);
        if (!report(progress, context, 1)) {
            return false;
        }
        if (!send(ProtocolCommand::delete_user_memory)) {
            return false;
        }
        wait_ms(preparation_step_ms);
        if (!report(progress, context, 2)) {
            return false;
        }
        if (!send(ProtocolCommand::unprotect_and_save)) {
            return false;
        }
        // Saving takes the counter about two seconds; these steps run with or without a
        // callback.
        for (std::uint32_t step = 3; step < 3 + preparation_save_steps; ++step) {
            wait_ms(preparation_step_ms);
            if (!report(progress, context, step)) {
                return false;
            }
        }
        if (!send(ProtocolCommand::reset)) {
            return false;
        }
        wait_ms(preparation_step_ms);
        if (!report(progress, context, preparation_total_steps)) {
            return false;
        }
    }
    if (!send(ProtocolCommand::prepare_firmware)) {
        return false;
    }
    wait_ms(preparation_final_ms);
    return true;
}

}  // namespace hx4x
