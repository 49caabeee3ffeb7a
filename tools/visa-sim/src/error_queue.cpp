#include "visa-sim/error_queue.hpp"

namespace hx4x::visa_sim {

void ErrorQueue::push(int code, const std::string& text) {
    if (entries_.size() < capacity) {
        entries_.push_back({code, text});
        return;
    }
    entries_.back() = {-350, "Queue overflow"};
}

std::string ErrorQueue::pop_reply() {
    if (entries_.empty()) {
        return "0,\"No error\"";
    }
    Entry entry = std::move(entries_.front());
    entries_.pop_front();
    return std::to_string(entry.code) + ",\"" + entry.text + "\"";
}

}  // namespace hx4x::visa_sim
