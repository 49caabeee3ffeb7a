#include "usbtmc-emulator/fault_plan.hpp"

#include <charconv>

namespace hx4x::usbtmc_emulator {

namespace {

constexpr std::size_t max_text = 256;

// Takes the field up to the next ':' (or the rest).
std::string_view next_field(std::string_view& rest) {
    const std::size_t at = rest.find(':');
    const std::string_view field = rest.substr(0, at);
    rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
    return field;
}

}  // namespace

bool parse_fault(std::string_view spec, Fault* fault, std::string* error) {
    std::string_view rest = spec;
    const bool has_where = spec.find(':') != std::string_view::npos;
    const std::string_view kind = next_field(rest);
    const std::string_view where = next_field(rest);
    const std::string_view count = next_field(rest);
    Fault parsed;
    if (kind == "stall") {
        parsed.kind = Fault::Kind::stall;
    } else if (kind == "withhold") {
        parsed.kind = Fault::Kind::withhold;
    } else if (kind == "unplug") {
        parsed.kind = Fault::Kind::unplug;
    } else {
        *error = "unknown fault kind (stall, withhold or unplug)";
        return false;
    }
    if (!has_where) {
        *error = "missing endpoint (in, out or cmd)";
        return false;
    }
    if (where == "in" && parsed.kind != Fault::Kind::unplug) {
        parsed.where = Fault::Where::bulk_in;
    } else if (where == "out" && parsed.kind != Fault::Kind::withhold) {
        parsed.where = Fault::Where::bulk_out;
    } else if (where == "cmd" && parsed.kind == Fault::Kind::unplug) {
        parsed.where = Fault::Where::command;
    } else {
        *error = "stall takes in or out, withhold in, unplug out or cmd";
        return false;
    }
    const auto result = std::from_chars(count.data(), count.data() + count.size(), parsed.count);
    if (count.empty() || result.ec != std::errc() || result.ptr != count.data() + count.size() ||
        parsed.count == 0) {
        *error = "the count must be a number from 1";
        return false;
    }
    if (parsed.where == Fault::Where::command) {
        if (rest.empty() || rest.size() > max_text) {
            *error = "unplug:cmd needs a text of 1 to 256 characters after the count";
            return false;
        }
        parsed.text = std::string(rest);
    } else if (!rest.empty()) {
        *error = "unexpected text after the count";
        return false;
    }
    *fault = std::move(parsed);
    return true;
}

}  // namespace hx4x::usbtmc_emulator
