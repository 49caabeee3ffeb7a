#pragma once

#include <cstddef>
#include <deque>
#include <string>

namespace hx4x::visa_sim {

// The IEEE 488.2 / SCPI error queue: oldest first, fixed depth, overflow noted in the last slot.
class ErrorQueue {
  public:
    static constexpr std::size_t capacity = 16;

    struct Entry {
        int code;
        std::string text;
    };

    void push(int code, const std::string& text);
    // The "SYST:ERR?" reply without line ending; "0,\"No error\"" when empty.
    std::string pop_reply();
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    void clear() { entries_.clear(); }
    // Oldest first, for a state file.
    const std::deque<Entry>& entries() const { return entries_; }

  private:
    std::deque<Entry> entries_;
};

}  // namespace hx4x::visa_sim
