#include "update/counter_protocol.hpp"

#include <array>

#include "app/emulated_version.hpp"
#include "instrument/emulation.hpp"
#include "instrument/identification.hpp"
#include "update/protocol_timing.hpp"
#include "update/reply_parsing.hpp"

namespace hx4x {

bool CounterProtocol::send(ProtocolCommand command) {
    return session_.write(command_text(command));
}

bool CounterProtocol::connect(std::string_view resource_name) {
    if (!session_.open(resource_name)) {
        session_.close();
        return false;
    }
    if (!identify()) {
        session_.close();
        return false;
    }
    if (emulation_on()) {
        return true;
    }
    session_.set_timeout(connected_timeout_ms);
    if (session_.is_usb() && identity_.version_number < full_preparation_from_version) {
        // Older USB firmware loses commands that follow each other too closely.
        session_.set_io_delay(usb_io_delay_ms);
    }
    return true;
}

void CounterProtocol::disconnect() {
    session_.close();
    identity_ = CounterIdentity{};
}

bool CounterProtocol::identify() {
    CounterIdentity identity;
    if (emulation_on()) {
        identity = emulated_identity(session_.resource_name());
    } else {
        std::array<char, reply_capacity + 1> reply{};
        if (!send(ProtocolCommand::identify) ||
            !session_.read(reply.data(), static_cast<int>(reply_capacity))) {
            return false;
        }
        if (!parse_identification(session_.resource_name(), reply.data(), identity)) {
            return false;
        }
    }
    identity_ = identity;
    return true;
}

bool CounterProtocol::reset() {
    return send(ProtocolCommand::reset);
}

bool CounterProtocol::check_error_queue() {
    if (emulation_on()) {
        return true;
    }
    std::array<char, reply_capacity + 1> reply{};
    if (!send(ProtocolCommand::error_query) ||
        !session_.read(reply.data(), static_cast<int>(reply_capacity))) {
        return false;
    }
    return reply_reports_no_error(reply.data());
}

bool CounterProtocol::burn(BurnTickCallback tick, void* context) {
    if (identity_.version_number > polling_burn_up_to_version) {
        return burn_by_service_request(tick, context);
    }
    return burn_by_polling(tick, context);
}

}  // namespace hx4x
