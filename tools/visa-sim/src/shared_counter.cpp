#include "visa-sim/shared_counter.hpp"

#include <cstdio>

#include "visa-sim/state_header.hpp"

namespace hx4x::visa_sim {

namespace {

// A block log record: address and length, four bytes each, least significant first, then
// the bytes.
constexpr std::size_t record_head = 8;

void put_u32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFFu);
    }
}

std::uint32_t get_u32(const unsigned char* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}

}  // namespace

bool SharedCounter::open(const std::string& path) {
    path_ = path;
    return header_file_.open(path) && log_file_.open(path + ".blocks");
}

// A missing or empty file (or one that is no state file) is a counter just powered on.
void SharedCounter::power_on(CounterModel& model, const ResourceConfig& config) {
    model = CounterModel(config);
    model.track_image_changes(true);
    body_.clear();
    processes_.clear();
    log_epoch_ = 0;
    log_bytes_ = 0;
}

void SharedCounter::attach(CounterModel& model, SimClock& clock, const ResourceConfig& config) {
    model.track_image_changes(true);
    locked_ = header_file_.lock();
    std::string text(static_cast<std::size_t>(header_file_.size()), '\0');
    if (!text.empty() && !header_file_.read_at(0, text.data(), text.size())) {
        text.clear();
    }
    const std::uint64_t generation = state_header_generation(text);
    if (generation == 0) {
        if (generation_ != 0) {
            power_on(model, config);
            generation_ = 0;
        }
        return;
    }
    if (generation == generation_) {
        return;
    }
    StateHeader header;
    std::string error;
    if (!parse_state_header(text, &header, &error)) {
        std::fprintf(stderr, "visa-sim: %s: %s; the counter starts as powered on\n", path_.c_str(),
                     error.c_str());
        power_on(model, config);
        generation_ = generation;  // the next write replaces the text
        return;
    }
    model.restore(header.counter);
    clock.raise_offset_to(header.clock_offset_ms);
    if (header.log_epoch != log_epoch_ || header.log_bytes < log_bytes_) {
        model.restore_image_cleared();
        log_bytes_ = 0;
    }
    replay(model, log_bytes_, header.log_bytes);
    log_epoch_ = header.log_epoch;
    log_bytes_ = header.log_bytes;
    processes_ = header.processes;
    generation_ = generation;
    body_ = state_header_body(header);
}

void SharedCounter::replay(CounterModel& model, std::uint64_t from, std::uint64_t to) {
    std::vector<unsigned char> bytes;
    while (from + record_head <= to) {
        unsigned char head[record_head];
        if (!log_file_.read_at(from, head, sizeof head)) {
            return;
        }
        const std::uint32_t address = get_u32(head);
        const std::uint32_t length = get_u32(head + 4);
        bytes.resize(length);
        if (from + record_head + length > to ||
            !log_file_.read_at(from + record_head, bytes.data(), length)) {
            return;
        }
        model.restore_image_block(address, bytes.data(), length);
        from += record_head + length;
    }
}

void SharedCounter::detach(CounterModel& model, const SimClock& clock, std::uint32_t own_sessions) {
    const ImageChanges changes = model.take_image_changes();
    if (changes.cleared) {
        log_file_.truncate(0);
        ++log_epoch_;
        log_bytes_ = 0;
    }
    if (!changes.stored.empty()) {
        std::string records;
        for (const ImageChanges::Block& block : changes.stored) {
            put_u32(records, block.address);
            put_u32(records, static_cast<std::uint32_t>(block.bytes.size()));
            records += block.bytes;
        }
        if (log_file_.write_at(log_bytes_, records.data(), records.size())) {
            log_bytes_ += records.size();
        }
    }
    const std::uint64_t own = current_process_id();
    if (own_sessions > 0) {
        processes_[own] = own_sessions;
    } else {
        processes_.erase(own);
    }
    StateHeader header;
    header.clock_offset_ms = clock.offset_ms();
    header.counter = model.state();
    header.processes = processes_;
    header.log_epoch = log_epoch_;
    header.log_bytes = log_bytes_;
    std::string body = state_header_body(header);
    if (body != body_) {
        const std::string text = state_header_text(generation_ + 1, body);
        if (header_file_.write_at(0, text.data(), text.size()) &&
            header_file_.truncate(text.size())) {
            ++generation_;
            body_ = std::move(body);
        }
    }
    if (locked_) {
        header_file_.unlock();
        locked_ = false;
    }
}

std::vector<std::uint64_t> SharedCounter::other_processes() {
    const std::uint64_t own = current_process_id();
    std::vector<std::uint64_t> others;
    for (auto it = processes_.begin(); it != processes_.end();) {
        if (it->first == own) {
            ++it;
        } else if (process_alive(it->first)) {
            others.push_back(it->first);
            ++it;
        } else {
            it = processes_.erase(it);  // killed without closing its sessions
        }
    }
    return others;
}

}  // namespace hx4x::visa_sim
