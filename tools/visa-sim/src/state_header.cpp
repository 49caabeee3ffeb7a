#include "visa-sim/state_header.hpp"

#include <charconv>
#include <cstdio>

namespace hx4x::visa_sim {

namespace {

template <typename Number>
bool parse_unsigned(std::string_view text, Number* value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), *value, 10);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

void add(std::string& text, std::string_view key, std::string_view value) {
    text += key;
    text += ' ';
    text += value;
    text += '\n';
}

void add(std::string& text, std::string_view key, std::uint64_t value) {
    add(text, key, std::to_string(value));
}

std::string_view bit(bool value) {
    return value ? "1" : "0";
}

std::string hex64(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(value));
    return text;
}

// Splits "word rest" at the first blank.
std::string_view first_word(std::string_view* text) {
    const std::size_t blank = text->find(' ');
    const std::string_view word = text->substr(0, blank);
    *text = blank == std::string_view::npos ? std::string_view() : text->substr(blank + 1);
    return word;
}

class HeaderReader {
  public:
    explicit HeaderReader(StateHeader* header) : h_(*header), c_(header->counter) {}

    bool line(std::string_view key, std::string_view value) {
        if (key == "generation") {
            return number(value, &h_.generation);
        }
        if (key == "clock_offset_ms") {
            return number(value, &h_.clock_offset_ms);
        }
        if (key == "idn") {
            c_.idn = std::string(value);
            return true;
        }
        if (key == "burn_due_ms") {
            if (value == "none") {
                c_.burn_due_ms.reset();
                return true;
            }
            std::uint64_t due = 0;
            c_.burn_due_ms = due;
            return number(value, &*c_.burn_due_ms);
        }
        if (key == "error") {
            int code = 0;
            const std::string_view code_text = first_word(&value);
            const auto result =
                std::from_chars(code_text.data(), code_text.data() + code_text.size(), code, 10);
            if (code_text.empty() || result.ec != std::errc() ||
                result.ptr != code_text.data() + code_text.size()) {
                return false;
            }
            c_.errors.push(code, std::string(value));
            return true;
        }
        if (key == "process") {
            std::uint64_t id = 0;
            std::uint32_t sessions = 0;
            if (!number(first_word(&value), &id) || !number(value, &sessions)) {
                return false;
            }
            h_.processes[id] = sessions;
            return true;
        }
        if (key == "blocks") {
            return number(first_word(&value), &h_.log_epoch) && number(value, &h_.log_bytes);
        }
        if (key == "last_block") {
            const std::string_view size = first_word(&value);
            const auto result =
                std::from_chars(value.data(), value.data() + value.size(), c_.last_block_hash, 16);
            return number(size, &c_.last_block_size) && !value.empty() &&
                   result.ec == std::errc() && result.ptr == value.data() + value.size();
        }
        return flag(key, value) || byte(key, value) || counter(key, value);
    }

  private:
    template <typename Number>
    static bool number(std::string_view text, Number* value) {
        return parse_unsigned(text, value);
    }

    bool flag(std::string_view key, std::string_view value) {
        bool* target = key == "firmware_mode"          ? &c_.firmware_mode
                       : key == "early_request_raised" ? &c_.early_request_raised
                       : key == "flash_ruined"         ? &c_.flash_ruined
                       : key == "bricked"              ? &c_.bricked
                       : key == "psc"                  ? &c_.power_on_clear
                       : key == "opc_armed"            ? &c_.opc_armed
                       : key == "request_condition"    ? &c_.request_condition
                       : key == "request_flag"         ? &c_.request_flag
                                                       : nullptr;
        if (target == nullptr || (value != "0" && value != "1")) {
            return false;
        }
        *target = value == "1";
        return true;
    }

    bool byte(std::string_view key, std::string_view value) {
        std::uint8_t* target = key == "esr"   ? &c_.esr
                               : key == "ese" ? &c_.ese
                               : key == "sre" ? &c_.sre
                                              : nullptr;
        return target != nullptr && number(value, target);
    }

    bool counter(std::string_view key, std::string_view value) {
        if (key == "burn_ordered_ms") {
            return number(value, &c_.burn_ordered_ms);
        }
        std::uint32_t* target = key == "service_requests" ? &c_.service_requests
                                : key == "reboots"        ? &c_.reboots
                                : key == "burn_orders"    ? &c_.burn_orders
                                : key == "block_number"   ? &c_.block_number
                                : key == "block_attempt"  ? &c_.block_attempt
                                                          : nullptr;
        return target != nullptr && number(value, target);
    }

    StateHeader& h_;
    CounterState& c_;
};

}  // namespace

std::string state_header_body(const StateHeader& header) {
    const CounterState& c = header.counter;
    std::string text;
    text.reserve(768);
    add(text, "clock_offset_ms", header.clock_offset_ms);
    add(text, "idn", c.idn);
    add(text, "firmware_mode", bit(c.firmware_mode));
    add(text, "burn_due_ms", c.burn_due_ms ? std::to_string(*c.burn_due_ms) : "none");
    add(text, "burn_ordered_ms", c.burn_ordered_ms);
    add(text, "early_request_raised", bit(c.early_request_raised));
    add(text, "flash_ruined", bit(c.flash_ruined));
    add(text, "bricked", bit(c.bricked));
    add(text, "esr", c.esr);
    add(text, "ese", c.ese);
    add(text, "sre", c.sre);
    add(text, "psc", bit(c.power_on_clear));
    add(text, "opc_armed", bit(c.opc_armed));
    add(text, "request_condition", bit(c.request_condition));
    add(text, "request_flag", bit(c.request_flag));
    add(text, "service_requests", c.service_requests);
    add(text, "reboots", c.reboots);
    add(text, "burn_orders", c.burn_orders);
    add(text, "block_number", c.block_number);
    add(text, "block_attempt", c.block_attempt);
    add(text, "last_block", std::to_string(c.last_block_size) + " " + hex64(c.last_block_hash));
    for (const ErrorQueue::Entry& entry : c.errors.entries()) {
        add(text, "error", std::to_string(entry.code) + " " + entry.text);
    }
    for (const auto& [id, sessions] : header.processes) {
        add(text, "process", std::to_string(id) + " " + std::to_string(sessions));
    }
    add(text, "blocks", std::to_string(header.log_epoch) + " " + std::to_string(header.log_bytes));
    text += "end\n";
    return text;
}

std::string state_header_text(std::uint64_t generation, const std::string& body) {
    std::string text(state_header_magic);
    text += "\ngeneration " + std::to_string(generation) + "\n";
    return text + body;
}

std::uint64_t state_header_generation(std::string_view text) {
    constexpr std::string_view key = "\ngeneration ";
    const std::size_t at = text.find(key);
    if (at == std::string_view::npos) {
        return 0;
    }
    text.remove_prefix(at + key.size());
    std::uint64_t generation = 0;
    std::from_chars(text.data(), text.data() + text.size(), generation, 10);
    return generation;
}

bool parse_state_header(std::string_view text, StateHeader* header, std::string* error) {
    *header = StateHeader{};
    std::size_t number = 0;
    bool ended = false;
    HeaderReader reader(header);
    while (!text.empty() && !ended) {
        ++number;
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            *error = "line " + std::to_string(number) + " does not end";
            return false;
        }
        std::string_view value = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (number == 1) {
            if (value != state_header_magic) {
                *error = "not a visa-sim state file";
                return false;
            }
            continue;
        }
        const std::string_view key = first_word(&value);
        ended = key == "end";
        if (!ended && !reader.line(key, value)) {
            *error = "line " + std::to_string(number) + ": bad '" + std::string(key) + "' line";
            return false;
        }
    }
    if (!ended) {
        *error = "no end line";
        return false;
    }
    return true;
}

}  // namespace hx4x::visa_sim
