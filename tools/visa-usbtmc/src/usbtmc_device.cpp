#include "usbtmc_device.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <span>
#include <thread>

#include "visa-usbtmc/usbtmc_framing.hpp"

namespace hx4x::visa_usbtmc {

namespace {

// Class requests are short: they get a fixed time of their own, not the session's.
constexpr unsigned control_timeout_ms = 1000;
// CHECK_*_STATUS is asked again while the device says PENDING, this often and this far apart.
constexpr int max_status_polls = 20;
constexpr auto status_poll_pause = std::chrono::milliseconds(50);
// Reads that drop what the device still sends after an abort.
constexpr int max_drain_reads = 8;
constexpr unsigned drain_timeout_ms = 100;
// Empty replies without EOM in a row before a read is given up as going nowhere.
constexpr int max_empty_replies = 3;
constexpr std::size_t max_queued_requests = 16;
constexpr std::size_t max_queued_answers = 8;

constexpr std::uint8_t recipient_interface = LIBUSB_RECIPIENT_INTERFACE;
constexpr std::uint8_t recipient_endpoint = LIBUSB_RECIPIENT_ENDPOINT;

}  // namespace

// What the interrupt-IN transfer fills. It lives apart from the device so that a transfer
// that will not finish cancelling can be left behind without pointing at freed memory.
struct InterruptListener {
    libusb_transfer* transfer = nullptr;
    std::array<std::uint8_t, 64> buffer{};
    bool active = false;     // submitted and not yet called back
    bool failed = false;     // ended with an error; the next use starts it again
    bool stalled = false;    // ended with a stall: clear the halt before starting again
    bool gone = false;       // the device disappeared
    bool accepting = false;  // service requests are queued only once enabled
    bool new_notification = false;
    std::deque<std::uint8_t> requests;
    std::deque<std::pair<std::uint8_t, std::uint8_t>> answers;  // READ_STATUS_BYTE tag, byte
};

namespace {

void LIBUSB_CALL interrupt_done(libusb_transfer* transfer) {
    auto* listener = static_cast<InterruptListener*>(transfer->user_data);
    listener->active = false;
    switch (transfer->status) {
        case LIBUSB_TRANSFER_COMPLETED: {
            const std::size_t length = std::min<std::size_t>(
                static_cast<std::size_t>(std::max(transfer->actual_length, 0)),
                listener->buffer.size());
            const Notification n =
                parse_notification(std::span<const std::uint8_t>(listener->buffer.data(), length));
            if (n.kind == NotificationKind::service_request && listener->accepting &&
                listener->requests.size() < max_queued_requests) {
                listener->requests.push_back(n.status_byte);
            } else if (n.kind == NotificationKind::status_byte) {
                if (listener->answers.size() >= max_queued_answers) {
                    listener->answers.pop_front();
                }
                listener->answers.emplace_back(n.tag, n.status_byte);
            }
            listener->new_notification = true;
            listener->active = libusb_submit_transfer(transfer) == 0;
            listener->failed = !listener->active;
            break;
        }
        case LIBUSB_TRANSFER_NO_DEVICE:
            listener->gone = true;
            break;
        case LIBUSB_TRANSFER_CANCELLED:
            break;
        case LIBUSB_TRANSFER_STALL:
            listener->stalled = true;
            listener->failed = true;
            break;
        default:
            listener->failed = true;
            break;
    }
    listener->new_notification = true;
}

}  // namespace

UsbtmcDevice::UsbtmcDevice(libusb_context* context, libusb_device_handle* handle,
                           const InterfaceEndpoints& endpoints)
    : context_(context), handle_(handle), endpoints_(endpoints) {}

ViStatus UsbtmcDevice::open(libusb_context* context, libusb_device* device,
                            const InterfaceEndpoints& endpoints,
                            std::unique_ptr<UsbtmcDevice>* out) {
    libusb_device_handle* handle = nullptr;
    int r = libusb_open(device, &handle);
    if (r != 0) {
        return r == LIBUSB_ERROR_ACCESS      ? VI_ERROR_NPERMISSION
               : r == LIBUSB_ERROR_NO_DEVICE ? VI_ERROR_RSRC_NFOUND
                                             : VI_ERROR_IO;
    }
    // The kernel's own usbtmc driver may hold the interface; it gets it back on release.
    libusb_set_auto_detach_kernel_driver(handle, 1);
    r = libusb_claim_interface(handle, endpoints.interface_number);
    if (r != 0) {
        libusb_close(handle);
        return r == LIBUSB_ERROR_BUSY        ? VI_ERROR_RSRC_BUSY
               : r == LIBUSB_ERROR_NO_DEVICE ? VI_ERROR_RSRC_NFOUND
               : r == LIBUSB_ERROR_ACCESS    ? VI_ERROR_NPERMISSION
                                             : VI_ERROR_IO;
    }
    std::unique_ptr<UsbtmcDevice> opened(new UsbtmcDevice(context, handle, endpoints));
    std::array<std::uint8_t, capabilities_length> caps{};
    r = opened->control_in(recipient_interface, request::get_capabilities, 0,
                           endpoints.interface_number, caps.data(), caps.size());
    if (r == LIBUSB_ERROR_NO_DEVICE) {
        return VI_ERROR_RSRC_NFOUND;
    }
    // A device that does not answer is used without the optional requests.
    if (r > 0) {
        parse_capabilities(std::span<const std::uint8_t>(caps.data(), static_cast<std::size_t>(r)),
                           &opened->capabilities_);
    }
    *out = std::move(opened);
    return VI_SUCCESS;
}

UsbtmcDevice::~UsbtmcDevice() {
    if (listener_ != nullptr) {
        if (listener_->active) {
            libusb_cancel_transfer(listener_->transfer);
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
            while (listener_->active && std::chrono::steady_clock::now() < until) {
                timeval tv{0, 50000};
                libusb_handle_events_timeout(context_, &tv);
            }
        }
        if (listener_->active) {
            // Left behind rather than freed while libusb may still write into it.
            listener_ = nullptr;
        } else {
            libusb_free_transfer(listener_->transfer);
            delete listener_;
        }
    }
    if (!lost_) {
        libusb_release_interface(handle_, endpoints_.interface_number);
    }
    libusb_close(handle_);
}

ViStatus UsbtmcDevice::failure(int error, std::uint8_t endpoint) {
    if (error == LIBUSB_ERROR_NO_DEVICE) {
        lost_ = true;
        return VI_ERROR_CONN_LOST;
    }
    if (error == LIBUSB_ERROR_PIPE) {
        libusb_clear_halt(handle_, endpoint);
        return VI_ERROR_IO;
    }
    // An unplugged device often shows first as a plain I/O error.
    int configuration = 0;
    if (libusb_get_configuration(handle_, &configuration) == LIBUSB_ERROR_NO_DEVICE) {
        lost_ = true;
        return VI_ERROR_CONN_LOST;
    }
    return error == LIBUSB_ERROR_NO_MEM ? VI_ERROR_ALLOC : VI_ERROR_IO;
}

int UsbtmcDevice::control_in(std::uint8_t recipient, std::uint8_t request, std::uint16_t value,
                             std::uint16_t index, std::uint8_t* data, std::uint16_t length) {
    const auto type =
        static_cast<std::uint8_t>(static_cast<unsigned>(LIBUSB_ENDPOINT_IN) |
                                  static_cast<unsigned>(LIBUSB_REQUEST_TYPE_CLASS) | recipient);
    const int r = libusb_control_transfer(handle_, type, request, value, index, data, length,
                                          control_timeout_ms);
    if (r == LIBUSB_ERROR_NO_DEVICE) {
        lost_ = true;
    }
    return r;
}

ViStatus UsbtmcDevice::write(const unsigned char* data, ViUInt32 count, ViUInt32* written,
                             unsigned timeout_ms) {
    *written = 0;
    if (lost_) {
        return VI_ERROR_CONN_LOST;
    }
    WriteSplitter splitter(std::span<const std::uint8_t>(data, count), max_transfer_payload);
    while (!splitter.done()) {
        bool end_of_message = false;
        const auto piece = splitter.next(&end_of_message);
        bulk_tag_ = next_bulk_tag(bulk_tag_);
        std::vector<std::uint8_t> transfer = encode_dev_dep_out(bulk_tag_, piece, end_of_message);
        int sent = 0;
        const int r = libusb_bulk_transfer(handle_, endpoints_.bulk_out, transfer.data(),
                                           static_cast<int>(transfer.size()), &sent, timeout_ms);
        if (r == LIBUSB_ERROR_TIMEOUT) {
            abort_bulk_out(bulk_tag_);
            return lost_ ? VI_ERROR_CONN_LOST : VI_ERROR_TMO;
        }
        if (r != 0) {
            return failure(r, endpoints_.bulk_out);
        }
        if (static_cast<std::size_t>(sent) != transfer.size()) {
            abort_bulk_out(bulk_tag_);
            return lost_ ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
        }
        *written += static_cast<ViUInt32>(piece.size());
    }
    return VI_SUCCESS;
}

ViStatus UsbtmcDevice::read(unsigned char* buffer, ViUInt32 count, ViUInt32* received,
                            unsigned timeout_ms) {
    *received = 0;
    if (lost_) {
        return VI_ERROR_CONN_LOST;
    }
    int empty_replies = 0;
    while (*received < count) {
        const auto asked = static_cast<std::uint32_t>(
            std::min<std::size_t>(count - *received, max_transfer_payload));
        bulk_tag_ = next_bulk_tag(bulk_tag_);
        BulkHeader request = encode_request_dev_dep_in(bulk_tag_, asked);
        int done = 0;
        int r = libusb_bulk_transfer(handle_, endpoints_.bulk_out, request.data(),
                                     static_cast<int>(request.size()), &done, timeout_ms);
        if (r == LIBUSB_ERROR_TIMEOUT) {
            abort_bulk_out(bulk_tag_);
            return lost_ ? VI_ERROR_CONN_LOST : VI_ERROR_TMO;
        }
        if (r != 0) {
            return failure(r, endpoints_.bulk_out);
        }
        reply_.assign(reply_buffer_length(asked, endpoints_.bulk_in_packet), 0);
        // A zero-length packet may close the device's previous transfer: read past it.
        for (int attempt = 0; attempt < 3; ++attempt) {
            r = libusb_bulk_transfer(handle_, endpoints_.bulk_in, reply_.data(),
                                     static_cast<int>(reply_.size()), &done, timeout_ms);
            if (r != 0 || done != 0) {
                break;
            }
        }
        if (r == LIBUSB_ERROR_TIMEOUT) {
            abort_bulk_in(bulk_tag_);
            return lost_ ? VI_ERROR_CONN_LOST : VI_ERROR_TMO;
        }
        if (r != 0) {
            const ViStatus status = failure(r, endpoints_.bulk_in);
            if (r == LIBUSB_ERROR_OVERFLOW && !lost_) {
                abort_bulk_in(bulk_tag_);
            }
            return status;
        }
        const DevDepInReply reply = check_dev_dep_in(
            std::span<const std::uint8_t>(reply_.data(), static_cast<std::size_t>(done)), bulk_tag_,
            asked);
        if (reply.fault != ReplyFault::none) {
            abort_bulk_in(bulk_tag_);
            return lost_ ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
        }
        std::copy_n(reply_.begin() + static_cast<std::ptrdiff_t>(bulk_header_size), reply.size,
                    buffer + *received);
        *received += reply.size;
        if (reply.end_of_message) {
            return VI_SUCCESS;
        }
        empty_replies = reply.size == 0 ? empty_replies + 1 : 0;
        if (empty_replies >= max_empty_replies) {
            return VI_ERROR_IO;
        }
    }
    return VI_SUCCESS_MAX_CNT;
}

void UsbtmcDevice::abort_bulk_out(std::uint8_t tag) {
    std::array<std::uint8_t, check_abort_length> reply{};
    int r = control_in(recipient_endpoint, request::initiate_abort_bulk_out, tag,
                       endpoints_.bulk_out, reply.data(), 2);
    if (r == 2 && reply[0] == control_status::success) {
        for (int poll = 0; poll < max_status_polls && !lost_; ++poll) {
            r = control_in(recipient_endpoint, request::check_abort_bulk_out_status, 0,
                           endpoints_.bulk_out, reply.data(), reply.size());
            const CheckReply check = parse_check_abort_out(std::span<const std::uint8_t>(
                reply.data(), r > 0 ? static_cast<std::size_t>(r) : 0));
            if (!check.valid || check.status != control_status::pending) {
                break;
            }
            std::this_thread::sleep_for(status_poll_pause);
        }
    }
    if (!lost_) {
        libusb_clear_halt(handle_, endpoints_.bulk_out);
    }
}

void UsbtmcDevice::drain_bulk_in() {
    std::vector<std::uint8_t> scratch(
        reply_buffer_length(max_transfer_payload, endpoints_.bulk_in_packet));
    for (int i = 0; i < max_drain_reads && !lost_; ++i) {
        int done = 0;
        const int r =
            libusb_bulk_transfer(handle_, endpoints_.bulk_in, scratch.data(),
                                 static_cast<int>(scratch.size()), &done, drain_timeout_ms);
        if (r == LIBUSB_ERROR_NO_DEVICE) {
            lost_ = true;
        }
        // A short packet ends what the device had queued.
        if (r != 0 || done % std::max<int>(endpoints_.bulk_in_packet, 1) != 0 || done == 0) {
            break;
        }
    }
}

void UsbtmcDevice::abort_bulk_in(std::uint8_t tag) {
    std::array<std::uint8_t, check_abort_length> reply{};
    int r = control_in(recipient_endpoint, request::initiate_abort_bulk_in, tag, endpoints_.bulk_in,
                       reply.data(), 2);
    if (r == 2 && reply[0] == control_status::success) {
        drain_bulk_in();
        for (int poll = 0; poll < max_status_polls && !lost_; ++poll) {
            r = control_in(recipient_endpoint, request::check_abort_bulk_in_status, 0,
                           endpoints_.bulk_in, reply.data(), reply.size());
            const CheckReply check = parse_check_abort_in(std::span<const std::uint8_t>(
                reply.data(), r > 0 ? static_cast<std::size_t>(r) : 0));
            if (!check.valid || check.status != control_status::pending) {
                break;
            }
            if (check.data_pending) {
                drain_bulk_in();
            } else {
                std::this_thread::sleep_for(status_poll_pause);
            }
        }
    }
    if (!lost_) {
        libusb_clear_halt(handle_, endpoints_.bulk_in);
    }
}

ViStatus UsbtmcDevice::clear(unsigned /*timeout_ms*/) {
    if (lost_) {
        return VI_ERROR_CONN_LOST;
    }
    std::array<std::uint8_t, check_clear_length> reply{};
    int r = control_in(recipient_interface, request::initiate_clear, 0, endpoints_.interface_number,
                       reply.data(), 1);
    if (r != 1 || reply[0] != control_status::success) {
        return lost_ ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
    }
    bool cleared = false;
    for (int poll = 0; poll < max_status_polls && !lost_; ++poll) {
        r = control_in(recipient_interface, request::check_clear_status, 0,
                       endpoints_.interface_number, reply.data(), reply.size());
        const CheckReply check = parse_check_clear(
            std::span<const std::uint8_t>(reply.data(), r > 0 ? static_cast<std::size_t>(r) : 0));
        if (!check.valid || check.status != control_status::pending) {
            cleared = check.valid && check.status == control_status::success;
            break;
        }
        if (check.data_pending) {
            drain_bulk_in();
        } else {
            std::this_thread::sleep_for(status_poll_pause);
        }
    }
    if (lost_) {
        return VI_ERROR_CONN_LOST;
    }
    libusb_clear_halt(handle_, endpoints_.bulk_out);
    return cleared ? VI_SUCCESS : VI_ERROR_IO;
}

ViStatus UsbtmcDevice::control_ren(ViUInt16 mode, unsigned /*timeout_ms*/) {
    if (lost_) {
        return VI_ERROR_CONN_LOST;
    }
    if (!capabilities_.ren_control) {
        return VI_ERROR_NSUP_OPER;
    }
    // Each VISA mode as the USB488 requests that make it up, in order.
    struct Step {
        std::uint8_t request;
        std::uint16_t value;
    };
    std::vector<Step> steps;
    switch (mode) {
        case 0:
            steps = {{request::ren_control, 0}};
            break;  // deassert
        case 1:
        case 3:
            steps = {{request::ren_control, 1}};
            break;  // assert
        case 2:
            steps = {{request::go_to_local, 0}, {request::ren_control, 0}};
            break;  // + GTL
        case 4:
        case 5:
            steps = {{request::ren_control, 1}, {request::local_lockout, 0}};
            break;
        case 6:
            steps = {{request::go_to_local, 0}};
            break;  // GTL
        default:
            return VI_ERROR_INV_MODE;
    }
    for (const Step& step : steps) {
        std::uint8_t reply = 0;
        const int r = control_in(recipient_interface, step.request, step.value,
                                 endpoints_.interface_number, &reply, 1);
        if (lost_) {
            return VI_ERROR_CONN_LOST;
        }
        if (r != 1 || reply != control_status::success) {
            return VI_ERROR_IO;
        }
    }
    return VI_SUCCESS;
}

ViStatus UsbtmcDevice::start_listener() {
    if (!has_interrupt_in()) {
        return VI_ERROR_NSUP_OPER;
    }
    if (listener_ == nullptr) {
        listener_ = new InterruptListener;
        listener_->transfer = libusb_alloc_transfer(0);
        if (listener_->transfer == nullptr) {
            delete listener_;
            listener_ = nullptr;
            return VI_ERROR_ALLOC;
        }
        const int length = std::clamp<int>(endpoints_.interrupt_packet, 2,
                                           static_cast<int>(listener_->buffer.size()));
        libusb_fill_interrupt_transfer(listener_->transfer, handle_, endpoints_.interrupt_in,
                                       listener_->buffer.data(), length, interrupt_done, listener_,
                                       0);
    }
    if (listener_->gone) {
        lost_ = true;
    }
    if (lost_) {
        return VI_ERROR_CONN_LOST;
    }
    if (listener_->active) {
        return VI_SUCCESS;
    }
    if (listener_->stalled) {
        libusb_clear_halt(handle_, endpoints_.interrupt_in);
        listener_->stalled = false;
    }
    const int r = libusb_submit_transfer(listener_->transfer);
    if (r != 0) {
        return failure(r, endpoints_.interrupt_in);
    }
    listener_->active = true;
    listener_->failed = false;
    return VI_SUCCESS;
}

void UsbtmcDevice::pump(unsigned timeout_ms) {
    if (listener_ == nullptr) {
        return;
    }
    listener_->new_notification = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int completed = 0;
    do {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            until - std::chrono::steady_clock::now());
        const long long micros = std::max<long long>(left.count(), 0);
        timeval tv{static_cast<time_t>(micros / 1000000),
                   static_cast<suseconds_t>(micros % 1000000)};
        completed = 0;
        libusb_handle_events_timeout_completed(context_, &tv, &completed);
    } while (!listener_->new_notification && std::chrono::steady_clock::now() < until);
    if (listener_->gone) {
        lost_ = true;
    } else if (listener_->failed) {
        // An error that is not plainly an unplug: ask the device whether it is still there.
        int configuration = 0;
        if (libusb_get_configuration(handle_, &configuration) == LIBUSB_ERROR_NO_DEVICE) {
            lost_ = true;
        }
    }
}

ViStatus UsbtmcDevice::enable_service_requests() {
    const ViStatus status = start_listener();
    if (status != VI_SUCCESS) {
        return status;
    }
    listener_->requests.clear();
    listener_->accepting = true;
    return VI_SUCCESS;
}

void UsbtmcDevice::disable_service_requests() {
    if (listener_ != nullptr) {
        listener_->accepting = false;
        listener_->requests.clear();
    }
}

void UsbtmcDevice::discard_service_requests() {
    if (listener_ != nullptr) {
        listener_->requests.clear();
    }
}

ViStatus UsbtmcDevice::wait_service_request(unsigned timeout_ms) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        if (listener_ != nullptr && !listener_->requests.empty()) {
            listener_->requests.pop_front();
            return VI_SUCCESS;
        }
        const ViStatus status = start_listener();
        if (status != VI_SUCCESS) {
            return status;
        }
        const auto now = std::chrono::steady_clock::now();
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
        pump(static_cast<unsigned>(std::max<long long>(left, 0)));
        if (lost_) {
            return VI_ERROR_CONN_LOST;
        }
        if (!listener_->requests.empty()) {
            continue;
        }
        if (std::chrono::steady_clock::now() >= until) {
            return VI_ERROR_TMO;
        }
    }
}

bool UsbtmcDevice::take_status_answer(std::uint8_t tag, std::uint8_t* status_byte) {
    auto& answers = listener_->answers;
    const auto it = std::find_if(answers.begin(), answers.end(),
                                 [tag](const auto& answer) { return answer.first == tag; });
    if (it == answers.end()) {
        return false;
    }
    *status_byte = it->second;
    answers.erase(it);
    return true;
}

ViStatus UsbtmcDevice::read_status_byte(ViUInt16* status, unsigned timeout_ms) {
    *status = 0;
    if (lost_) {
        return VI_ERROR_CONN_LOST;
    }
    if (capabilities_.known && !capabilities_.usb488) {
        return VI_ERROR_NSUP_OPER;
    }
    if (has_interrupt_in()) {
        const ViStatus started = start_listener();
        if (started != VI_SUCCESS) {
            return started;
        }
    }
    status_tag_ = next_status_tag(status_tag_);
    std::array<std::uint8_t, status_byte_reply_length> reply{};
    const int r = control_in(recipient_interface, request::read_status_byte, status_tag_,
                             endpoints_.interface_number, reply.data(), reply.size());
    if (r < 0) {
        // A stalled request is one the device does not know.
        return r == LIBUSB_ERROR_TIMEOUT ? VI_ERROR_TMO
               : r == LIBUSB_ERROR_PIPE  ? VI_ERROR_NSUP_OPER
                                         : failure(r, 0);
    }
    const StatusReply parsed = parse_status_byte_reply(
        std::span<const std::uint8_t>(reply.data(), static_cast<std::size_t>(r)), status_tag_,
        has_interrupt_in());
    if (parsed.kind == StatusReplyKind::value) {
        *status = parsed.status_byte;
        return VI_SUCCESS;
    }
    if (parsed.kind != StatusReplyKind::on_interrupt) {
        return VI_ERROR_IO;
    }
    // The byte comes on interrupt IN; service requests arriving meanwhile stay queued.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        std::uint8_t byte = 0;
        if (take_status_answer(status_tag_, &byte)) {
            *status = byte;
            return VI_SUCCESS;
        }
        const ViStatus started = start_listener();
        if (started != VI_SUCCESS) {
            return started;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              until - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return VI_ERROR_TMO;
        }
        pump(static_cast<unsigned>(left));
        if (lost_) {
            return VI_ERROR_CONN_LOST;
        }
    }
}

}  // namespace hx4x::visa_usbtmc
