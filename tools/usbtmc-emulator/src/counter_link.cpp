#include "usbtmc-emulator/counter_link.hpp"

#include <vector>

namespace hx4x::usbtmc_emulator {

using namespace hx4x::visa;

CounterLink::CounterLink(visa_sim::VisaSimulator& simulator, ViSession rm, std::string resource)
    : simulator_(simulator), rm_(rm), resource_(std::move(resource)) {}

CounterLink::~CounterLink() {
    close();
}

bool CounterLink::open() {
    close();
    ViSession session = 0;
    if (simulator_.open(rm_, resource_.c_str(), 0, 0, &session) != VI_SUCCESS) {
        return false;
    }
    session_ = session;
    lost_ = false;
    const visa_sim::CounterModel* model = simulator_.counter(resource_);
    restarts_at_open_ = model != nullptr ? model->reboots() : 0;
    simulator_.set_attribute(session_, VI_ATTR_TMO_VALUE, 0);
    simulator_.enable_event(session_, VI_EVENT_SERVICE_REQ, VI_QUEUE, 0);
    return true;
}

bool CounterLink::restarted() const {
    const visa_sim::CounterModel* model = simulator_.counter(resource_);
    return session_ != 0 && model != nullptr && model->reboots() != restarts_at_open_;
}

void CounterLink::close() {
    if (session_ != 0) {
        simulator_.close(session_);
        session_ = 0;
    }
}

void CounterLink::note(ViStatus status) {
    if (status == VI_ERROR_CONN_LOST || status == VI_ERROR_INV_OBJECT) {
        lost_ = true;
    }
}

void CounterLink::write(const std::string& message) {
    if (session_ == 0 || lost_) {
        return;
    }
    ViUInt32 written = 0;
    note(simulator_.write(session_, reinterpret_cast<const unsigned char*>(message.data()),
                          static_cast<ViUInt32>(message.size()), &written));
}

CounterLink::ReadResult CounterLink::read(std::uint32_t max) {
    ReadResult result;
    if (session_ == 0 || lost_) {
        result.outcome = ReadOutcome::lost;
        return result;
    }
    // Reading with nothing to give makes the counter queue an error: only read when a reply
    // is there, or once when none is coming.
    const visa_sim::CounterModel* model = simulator_.counter(resource_);
    if (model != nullptr && !model->has_reply() && (model->reply_deferred() || !model->answers())) {
        result.outcome = ReadOutcome::later;
        return result;
    }
    std::vector<unsigned char> buffer(max == 0 ? 1 : max);
    ViUInt32 returned = 0;
    const ViStatus status = simulator_.read(session_, buffer.data(), max, &returned);
    note(status);
    if (lost_) {
        result.outcome = ReadOutcome::lost;
    } else if (status == VI_SUCCESS || status == VI_SUCCESS_MAX_CNT) {
        result.outcome = ReadOutcome::data;
        result.data.assign(reinterpret_cast<const char*>(buffer.data()), returned);
        result.complete = status == VI_SUCCESS;
    } else if (model != nullptr && (model->reply_deferred() || !model->answers())) {
        result.outcome = ReadOutcome::later;
    }
    return result;
}

void CounterLink::discard_reply() {
    const visa_sim::CounterModel* model = simulator_.counter(resource_);
    // Bounded: each read takes up to 64 KiB of a reply that is bounded itself.
    for (int i = 0; i < 1024 && model != nullptr && model->has_reply() && !lost_; ++i) {
        read(65536);
    }
}

std::optional<std::uint8_t> CounterLink::serial_poll() {
    if (session_ == 0 || lost_) {
        return std::nullopt;
    }
    ViUInt16 stb = 0;
    const ViStatus status = simulator_.read_stb(session_, &stb);
    note(status);
    if (status != VI_SUCCESS) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(stb & 0xFF);
}

std::uint32_t CounterLink::take_service_requests() {
    std::uint32_t count = 0;
    // Bounded by the simulator's event queue.
    while (session_ != 0 && !lost_ && count < visa_sim::VisaSimulator::event_queue_length) {
        const ViStatus status =
            simulator_.wait_on_event(session_, VI_EVENT_SERVICE_REQ, 0, nullptr, nullptr);
        note(status);
        if (status != VI_SUCCESS && status != VI_SUCCESS_QUEUE_NEMPTY) {
            break;
        }
        ++count;
    }
    return count;
}

void CounterLink::remote_enable(bool on) {
    if (session_ != 0 && !lost_) {
        note(simulator_.gpib_control_ren(session_, on ? 1 : 0));
    }
}

std::optional<std::uint64_t> CounterLink::next_change_ms() const {
    const visa_sim::CounterModel* model = simulator_.counter(resource_);
    return model == nullptr ? std::nullopt : model->next_change_ms();
}

std::string CounterLink::idn() const {
    const visa_sim::CounterModel* model = simulator_.counter(resource_);
    return model == nullptr ? std::string() : model->idn();
}

}  // namespace hx4x::usbtmc_emulator
