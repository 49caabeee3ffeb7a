#include "usbtmc-emulator/usbtmc_function.hpp"

#include <algorithm>
#include <cerrno>

namespace hx4x::usbtmc_emulator {

namespace {

// USBTMC and USB488 class requests and their status values.
enum : std::uint8_t {
    initiate_abort_bulk_out = 1,
    check_abort_bulk_out_status = 2,
    initiate_abort_bulk_in = 3,
    check_abort_bulk_in_status = 4,
    initiate_clear = 5,
    check_clear_status = 6,
    get_capabilities = 7,
    indicator_pulse = 64,
    read_status_byte = 128,
    ren_control = 160,
    go_to_local = 161,
    local_lockout = 162,
};
enum : std::uint8_t {
    status_success = 0x01,
    status_pending = 0x02,
    status_failed = 0x80,
    status_transfer_not_in_progress = 0x81,
};
enum : std::uint8_t { dev_dep_msg_out = 1, request_dev_dep_msg_in = 2 };

constexpr std::size_t header_size = 12;
constexpr std::size_t max_message = 1u << 20;  // a program message longer than this is refused
constexpr std::size_t max_notifications = 16;
constexpr std::uint8_t srq_notification = 0x81;

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

std::string hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

}  // namespace

UsbtmcFunction::UsbtmcFunction(CounterLink& link, DeviceIdentity identity,
                               std::vector<Fault> faults, Trace& trace, std::string trace_name)
    : link_(link),
      identity_(std::move(identity)),
      faults_(std::move(faults)),
      trace_(trace),
      trace_name_(std::move(trace_name)),
      command_matches_(faults_.size(), 0) {}

bool UsbtmcFunction::fault_hits(Fault::Kind kind, Fault::Where where, std::uint32_t count) const {
    return std::any_of(faults_.begin(), faults_.end(), [&](const Fault& f) {
        return f.kind == kind && f.where == where && f.count == count;
    });
}

bool UsbtmcFunction::halted(std::uint8_t endpoint) const {
    switch (endpoint) {
        case bulk_out_endpoint:
            return out_halted_;
        case bulk_in_endpoint:
            return in_halted_;
        case interrupt_in_endpoint:
            return interrupt_halted_;
        default:
            return false;
    }
}

void UsbtmcFunction::clear_halt(std::uint8_t endpoint) {
    log("clear_halt ep=" + hex(endpoint));
    switch (endpoint) {
        case bulk_out_endpoint:
            out_halted_ = false;
            break;
        case bulk_in_endpoint:
            in_halted_ = false;
            break;
        case interrupt_in_endpoint:
            interrupt_halted_ = false;
            break;
        default:
            break;
    }
}

void UsbtmcFunction::detach_kernel_driver() {
    kernel_driver_ = false;
    log("kernel driver usbtmc detached");
}

void UsbtmcFunction::attach_kernel_driver() {
    kernel_driver_ = true;
    log("kernel driver usbtmc attached");
}

void UsbtmcFunction::reset() {
    log("reset");
    out_halted_ = in_halted_ = interrupt_halted_ = false;
    message_.clear();
    request_.reset();
    in_transfer_tag_ = 0;
    owe_short_packet_ = false;
    notifications_.clear();
}

int UsbtmcFunction::halt_out(const std::string& why) {
    log("bulk_out -> stall (" + why + ")");
    out_halted_ = true;
    message_.clear();
    return -EPIPE;
}

int UsbtmcFunction::bulk_out(const std::uint8_t* data, std::size_t length) {
    ++bulk_out_urbs_;
    if (fault_hits(Fault::Kind::unplug, Fault::Where::bulk_out, bulk_out_urbs_)) {
        log("bulk_out -> unplug (fault)");
        unplugged_ = true;
        return -ENODEV;
    }
    if (fault_hits(Fault::Kind::stall, Fault::Where::bulk_out, bulk_out_urbs_)) {
        return halt_out("fault");
    }
    if (out_halted_) {
        log("bulk_out -> stall (halted)");
        return -EPIPE;
    }
    if (length < header_size) {
        return halt_out("short header");
    }
    const std::uint8_t id = data[0];
    const std::uint8_t tag = data[1];
    if (tag == 0 || static_cast<std::uint8_t>(~tag) != data[2]) {
        return halt_out("bad bTag");
    }
    const std::uint32_t size = le32(data + 4);
    const std::uint8_t attributes = data[8];
    if (id == request_dev_dep_msg_in) {
        // No TermChar is offered, so a request for it is refused.
        if (size == 0 || (attributes & 0x02) != 0) {
            return halt_out("bad REQUEST_DEV_DEP_MSG_IN");
        }
        log("bulk_out REQUEST_DEV_DEP_MSG_IN tag=" + std::to_string(tag) +
            " max=" + std::to_string(size));
        request_ = InRequest{tag, size, false};
        in_transfer_tag_ = tag;
        return 0;
    }
    if (id != dev_dep_msg_out) {
        return halt_out("MsgID " + std::to_string(id));
    }
    if (size > length - header_size) {
        return halt_out("TransferSize past the end");
    }
    if (message_.size() + size > max_message) {
        return halt_out("message too long");
    }
    last_out_tag_ = tag;
    out_bytes_ = size;
    message_.append(reinterpret_cast<const char*>(data + header_size), size);
    const bool end = (attributes & 0x01) != 0;
    log("bulk_out DEV_DEP_MSG_OUT tag=" + std::to_string(tag) + " size=" + std::to_string(size) +
        " eom=" + (end ? "1" : "0") + " " +
        shown_bytes(std::string(reinterpret_cast<const char*>(data + header_size), size)));
    if (!end) {
        return 0;
    }
    std::string message;
    message.swap(message_);
    for (std::size_t i = 0; i < faults_.size(); ++i) {
        const Fault& f = faults_[i];
        if (f.kind == Fault::Kind::unplug && f.where == Fault::Where::command &&
            message.find(f.text) != std::string::npos && ++command_matches_[i] == f.count) {
            log("bulk_out -> unplug (fault)");
            unplugged_ = true;
            return -ENODEV;
        }
    }
    // A new message ends whatever reply was asked for before it.
    request_.reset();
    in_transfer_tag_ = 0;
    link_.write(message);
    collect_service_requests();
    // The message was taken even when the counter then leaves the bus (a burn with reboot).
    return 0;
}

UsbtmcFunction::InPlan UsbtmcFunction::bulk_in_submitted() {
    ++bulk_in_urbs_;
    if (fault_hits(Fault::Kind::withhold, Fault::Where::bulk_in, bulk_in_urbs_)) {
        log("bulk_in -> withheld (fault)");
        return InPlan::withhold;
    }
    if (fault_hits(Fault::Kind::stall, Fault::Where::bulk_in, bulk_in_urbs_)) {
        log("bulk_in -> stall (fault)");
        in_halted_ = true;
        return InPlan::stall;
    }
    return InPlan::normal;
}

UsbtmcFunction::InStatus UsbtmcFunction::take_bulk_in(std::size_t capacity, std::string* data) {
    data->clear();
    if (in_halted_) {
        log("bulk_in -> stall (halted)");
        return InStatus::stall;
    }
    if (owe_short_packet_) {
        owe_short_packet_ = false;
        log("bulk_in -> short packet (abort)");
        return InStatus::ready;
    }
    if (!request_ || request_->nothing) {
        return InStatus::wait;
    }
    if (capacity <= header_size) {
        log("bulk_in -> overflow (buffer of " + std::to_string(capacity) + ")");
        return InStatus::overflow;
    }
    const std::size_t room = std::min<std::size_t>(capacity - header_size, max_message);
    const auto max = static_cast<std::uint32_t>(std::min<std::size_t>(request_->max, room));
    const CounterLink::ReadResult result = link_.read(max);
    collect_service_requests();
    if (result.outcome == CounterLink::ReadOutcome::nothing) {
        request_->nothing = true;
        log("bulk_in -> no reply (query unterminated)");
        return InStatus::wait;
    }
    if (result.outcome != CounterLink::ReadOutcome::data) {
        return InStatus::wait;
    }
    const auto size = static_cast<std::uint32_t>(result.data.size());
    std::vector<std::uint8_t> header = {request_dev_dep_msg_in, request_->tag,
                                        static_cast<std::uint8_t>(~request_->tag), 0};
    put32(header, size);
    header.insert(header.end(), {static_cast<std::uint8_t>(result.complete ? 1 : 0), 0, 0, 0});
    data->assign(header.begin(), header.end());
    *data += result.data;
    // The transfer is padded to four bytes when the buffer allows.
    while (data->size() % 4 != 0 && data->size() < capacity) {
        data->push_back('\0');
    }
    log("bulk_in DEV_DEP_MSG_IN tag=" + std::to_string(request_->tag) +
        " size=" + std::to_string(size) + " eom=" + (result.complete ? "1 " : "0 ") +
        shown_bytes(result.data));
    in_bytes_ = size;
    request_.reset();
    in_transfer_tag_ = 0;
    return InStatus::ready;
}

std::optional<std::array<std::uint8_t, 2>> UsbtmcFunction::take_notification() {
    if (notifications_.empty() || interrupt_halted_) {
        return std::nullopt;
    }
    const auto front = notifications_.front();
    notifications_.pop_front();
    log("interrupt_in " + hex(front[0]) + " " + hex(front[1]));
    return front;
}

void UsbtmcFunction::collect_service_requests() {
    const std::uint32_t requests = link_.take_service_requests();
    for (std::uint32_t i = 0; i < requests; ++i) {
        // The notification carries the status byte of a serial poll, which clears the
        // request flag as a poll by the host would.
        const std::optional<std::uint8_t> stb = link_.serial_poll();
        if (!stb) {
            break;
        }
        if (notifications_.size() >= max_notifications) {
            notifications_.pop_front();
        }
        notifications_.push_back({srq_notification, *stb});
        log("srq stb=" + std::to_string(*stb));
    }
}

bool UsbtmcFunction::control(const ControlSetup& setup, const std::vector<std::uint8_t>& out,
                             std::vector<std::uint8_t>* in) {
    (void)out;
    in->clear();
    const unsigned type = (setup.request_type >> 5) & 0x03;
    bool ok = false;
    if (type == 0) {
        ok = standard_request(setup, in);
    } else if (type == 1) {
        ok = class_request(setup, in);
    }
    if (in->size() > setup.length) {
        in->resize(setup.length);
    }
    log("control type=" + hex(setup.request_type) + " request=" + std::to_string(setup.request) +
        " value=" + std::to_string(setup.value) + " index=" + std::to_string(setup.index) +
        " length=" + std::to_string(setup.length) +
        (ok ? " -> ok " + std::to_string(in->size()) : std::string(" -> stall")));
    return ok;
}

bool UsbtmcFunction::standard_request(const ControlSetup& setup, std::vector<std::uint8_t>* in) {
    const bool device_in = setup.request_type == 0x80;
    switch (setup.request) {
        case 6:  // GET_DESCRIPTOR
            if (!device_in) {
                return false;
            }
            switch (setup.value >> 8) {
                case 1:
                    *in = device_descriptor(identity_);
                    return true;
                case 2:
                    if ((setup.value & 0xFF) != 0) {
                        return false;
                    }
                    *in = configuration_descriptor();
                    return true;
                case 3:
                    *in =
                        string_descriptor(static_cast<std::uint8_t>(setup.value & 0xFF), identity_);
                    return !in->empty();
                default:
                    return false;
            }
        case 0:  // GET_STATUS
            if ((setup.request_type & 0x80) == 0) {
                return false;
            }
            *in = {static_cast<std::uint8_t>((setup.request_type & 0x1F) == 2 &&
                                             halted(static_cast<std::uint8_t>(setup.index))),
                   0};
            return true;
        case 8:  // GET_CONFIGURATION
            *in = {1};
            return device_in;
        case 9:  // SET_CONFIGURATION
            return setup.request_type == 0x00 && setup.value <= 1;
        case 10:  // GET_INTERFACE
            *in = {0};
            return setup.request_type == 0x81 && setup.index == 0;
        case 11:  // SET_INTERFACE
            return setup.request_type == 0x01 && setup.index == 0 && setup.value == 0;
        case 1:  // CLEAR_FEATURE(ENDPOINT_HALT)
        case 3:  // SET_FEATURE(ENDPOINT_HALT)
        {
            const auto endpoint = static_cast<std::uint8_t>(setup.index);
            if (setup.request_type != 0x02 || setup.value != 0 ||
                (endpoint != bulk_out_endpoint && endpoint != bulk_in_endpoint &&
                 endpoint != interrupt_in_endpoint)) {
                return false;
            }
            if (setup.request == 1) {
                clear_halt(endpoint);
            } else {
                out_halted_ = out_halted_ || endpoint == bulk_out_endpoint;
                in_halted_ = in_halted_ || endpoint == bulk_in_endpoint;
                interrupt_halted_ = interrupt_halted_ || endpoint == interrupt_in_endpoint;
            }
            return true;
        }
        default:
            return false;
    }
}

bool UsbtmcFunction::class_request(const ControlSetup& setup, std::vector<std::uint8_t>* in) {
    const unsigned recipient = setup.request_type & 0x1F;
    const bool to_interface = recipient == 1 && setup.index == 0;
    const auto tag = static_cast<std::uint8_t>(setup.value & 0xFF);
    // Every class request reads its answer.
    if ((setup.request_type & 0x80) == 0) {
        return false;
    }
    switch (setup.request) {
        case initiate_abort_bulk_out:
            if (recipient != 2 || setup.index != bulk_out_endpoint) {
                return false;
            }
            if (message_.empty()) {
                *in = {status_failed, tag};
            } else if (tag != last_out_tag_) {
                *in = {status_transfer_not_in_progress, tag};
            } else {
                message_.clear();
                *in = {status_success, tag};
            }
            return true;
        case check_abort_bulk_out_status:
            if (recipient != 2 || setup.index != bulk_out_endpoint) {
                return false;
            }
            *in = {status_success, 0, 0, 0};
            put32(*in, out_bytes_);
            return true;
        case initiate_abort_bulk_in:
            if (recipient != 2 || setup.index != bulk_in_endpoint) {
                return false;
            }
            if (in_transfer_tag_ == 0) {
                *in = {status_failed, tag};
            } else if (tag != in_transfer_tag_) {
                *in = {status_transfer_not_in_progress, tag};
            } else {
                request_.reset();
                in_transfer_tag_ = 0;
                link_.discard_reply();
                owe_short_packet_ = true;
                in_bytes_ = 0;
                *in = {status_success, tag};
            }
            return true;
        case check_abort_bulk_in_status:
            if (recipient != 2 || setup.index != bulk_in_endpoint) {
                return false;
            }
            // Pending, with data still queued, until the short packet has been read.
            *in = {owe_short_packet_ ? status_pending : status_success,
                   static_cast<std::uint8_t>(owe_short_packet_ ? 1 : 0), 0, 0};
            put32(*in, in_bytes_);
            return true;
        case initiate_clear:
            if (!to_interface) {
                return false;
            }
            message_.clear();
            request_.reset();
            in_transfer_tag_ = 0;
            owe_short_packet_ = false;
            link_.discard_reply();
            *in = {status_success};
            return true;
        case check_clear_status:
            if (!to_interface) {
                return false;
            }
            *in = {status_success, 0};
            return true;
        case get_capabilities:
            if (!to_interface) {
                return false;
            }
            // USBTMC 1.00, no indicator, no TermChar; USB488 1.00 with the 488.2 interface,
            // REN/GTL/LLO, and a SCPI device with SR1 and RL1 (no trigger).
            *in = {status_success, 0,    0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0,
                   0x00,           0x01, 0x06, 0x0E, 0, 0, 0, 0, 0, 0, 0, 0};
            return true;
        case indicator_pulse:
            if (!to_interface) {
                return false;
            }
            *in = {status_failed};
            return true;
        case read_status_byte: {
            if (!to_interface) {
                return false;
            }
            const std::optional<std::uint8_t> stb =
                tag >= 2 && tag <= 127 ? link_.serial_poll() : std::nullopt;
            if (!stb) {
                *in = {status_failed, tag, 0};
                return true;
            }
            // With an interrupt endpoint the byte itself comes as a notification.
            if (notifications_.size() >= max_notifications) {
                notifications_.pop_front();
            }
            notifications_.push_back({static_cast<std::uint8_t>(0x80 | tag), *stb});
            *in = {status_success, tag, 0};
            return true;
        }
        case ren_control:
            if (!to_interface) {
                return false;
            }
            link_.remote_enable((setup.value & 1) != 0);
            *in = {status_success};
            return true;
        case go_to_local:
        case local_lockout:
            if (!to_interface) {
                return false;
            }
            *in = {status_success};
            return true;
        default:
            return false;
    }
}

}  // namespace hx4x::usbtmc_emulator
