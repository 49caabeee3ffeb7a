#include "visa-sim/counter_model.hpp"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "visa-sim/transcript.hpp"

namespace hx4x::visa_sim {

namespace {

constexpr int undefined_header = -113;
constexpr int parameter_not_allowed = -108;
constexpr int missing_parameter = -109;
constexpr int data_type_error = -104;
constexpr int data_out_of_range = -222;
constexpr int checksum_error = -220;
constexpr int settings_conflict = -221;
constexpr int block_rejected = -300;
constexpr int query_interrupted = -410;
constexpr int query_unterminated = -420;

std::string error_text(int code) {
    switch (code) {
        case undefined_header:
            return "Undefined header";
        case parameter_not_allowed:
            return "Parameter not allowed";
        case missing_parameter:
            return "Missing parameter";
        case data_type_error:
            return "Data type error";
        case -161:
            return "Invalid block data";
        case data_out_of_range:
            return "Data out of range";
        case checksum_error:
            return "Parameter error;checksum";
        case settings_conflict:
            return "Settings conflict";
        case block_rejected:
            return "Device-specific error;block rejected";
        case query_interrupted:
            return "Query INTERRUPTED";
        case query_unterminated:
            return "Query UNTERMINATED";
        default:
            return "Device-specific error";
    }
}

std::uint8_t event_bit_of(int code) {
    if (code <= -100 && code > -200) {
        return esr_command_error;
    }
    if (code <= -200 && code > -300) {
        return esr_execution_error;
    }
    if (code <= -400 && code > -500) {
        return esr_query_error;
    }
    return esr_device_error;
}

}  // namespace

enum class CounterModel::Command {
    idn,
    rst,
    cls,
    ese,
    ese_query,
    sre,
    sre_query,
    psc,
    psc_query,
    esr_query,
    stb_query,
    opc,
    opc_query,
    wai,
    tst_query,
    sav,
    abort,
    preset,
    delete_memory,
    unprotect,
    prepare,
    data,
    update,
    error_query
};

namespace {

struct CommandEntry {
    std::string_view pattern;  // SCPI form: upper case is the short form
    int command;
};

// Patterns name the long form; the leading upper-case letters are the short form.
constexpr CommandEntry command_table[] = {
    {"*IDN?", 0},
    {"*RST", 1},
    {"*CLS", 2},
    {"*ESE", 3},
    {"*ESE?", 4},
    {"*SRE", 5},
    {"*SRE?", 6},
    {"*PSC", 7},
    {"*PSC?", 8},
    {"*ESR?", 9},
    {"*STB?", 10},
    {"*OPC", 11},
    {"*OPC?", 12},
    {"*WAI", 13},
    {"*TST?", 14},
    {"*SAV", 15},
    {"ABORt", 16},
    {"SYSTem:PRESet", 17},
    {"SYSTem:MEMory:DELete:ZUBNORAQ", 18},
    {"SYSTem:UNPRotect", 19},
    {"SYSTem:FIRMware:PREPare", 20},
    {"SYSTem:FIRMware:DATA", 21},
    {"SYSTem:FIRMware:UPDate", 22},
    {"SYSTem:ERRor?", 23},
    {"SYSTem:ERRor:NEXT?", 23},
};

bool mnemonic_matches(std::string_view header, std::string_view pattern) {
    std::string long_form;
    std::string short_form;
    bool in_short = true;
    for (const char c : pattern) {
        const bool lower = c >= 'a' && c <= 'z';
        in_short = in_short && !lower;
        long_form += lower ? static_cast<char>(c - 'a' + 'A') : c;
        if (in_short) {
            short_form += c;
        }
    }
    return header == long_form || header == short_form;
}

// `header` is upper case; each ':'-separated part may be short or long.
bool header_matches(std::string_view header, std::string_view pattern) {
    const bool query = !header.empty() && header.back() == '?';
    const bool pattern_query = pattern.back() == '?';
    if (query != pattern_query) {
        return false;
    }
    if (query) {
        header.remove_suffix(1);
        pattern.remove_suffix(1);
    }
    for (;;) {
        const std::size_t h = header.find(':');
        const std::size_t p = pattern.find(':');
        if (!mnemonic_matches(header.substr(0, h), pattern.substr(0, p))) {
            return false;
        }
        if (h == std::string_view::npos || p == std::string_view::npos) {
            return h == p;
        }
        header.remove_prefix(h + 1);
        pattern.remove_prefix(p + 1);
    }
}

bool parse_integer_parameter(std::string_view text, long* value) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    const auto result = std::from_chars(text.data(), text.data() + text.size(), *value, 10);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::uint32_t little_endian(std::string_view bytes, std::size_t offset, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

std::vector<std::string> split_fields(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

// A unit that resets the counter: "*RST" in any case, no parameter, no block.
bool is_reset(const ProgramUnit& unit) {
    return unit.syntax_error == 0 && unit.block_begin == ProgramUnit::no_block &&
           unit.parameter.empty() && header_matches(unit.header, "*RST");
}

std::uint64_t fnv1a(std::string_view bytes) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3ull;
    }
    return hash;
}

// The message as shown when the counter took it without executing it: blocks summarised
// by their size only, since nothing checked them.
std::string shown_unexecuted(std::string_view message, const std::vector<ProgramUnit>& units) {
    std::string shown;
    std::size_t cursor = 0;
    for (const ProgramUnit& unit : units) {
        if (unit.block_begin == ProgramUnit::no_block) {
            continue;
        }
        shown += escape_text(message.substr(cursor, unit.block_begin - cursor));
        shown += " [block bytes=" + std::to_string(unit.block_end - unit.block_begin) +
                 (unit.syntax_error != 0 ? " malformed]" : " ignored]");
        cursor = unit.block_end;
    }
    return shown + escape_text(message.substr(cursor));
}

constexpr std::string_view mark_while_flashing = " [while flashing]";
constexpr std::string_view mark_reset_into_flash = " [while flashing, bricked]";
constexpr std::string_view mark_bricked = " [bricked]";

}  // namespace

int version_number_of(std::string_view token) {
    if (token.size() < 2) {
        return 0;
    }
    token.remove_prefix(1);
    int whole = 0;
    std::size_t i = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9' && whole < 10000000; ++i) {
        whole = whole * 10 + (token[i] - '0');
    }
    if (i == 0) {
        return 0;
    }
    int fraction = 0;
    if (i < token.size() && token[i] == '.') {
        ++i;
        bool digits_left = true;
        for (int place = 0; place < 2; ++place) {
            digits_left = digits_left && i < token.size() && token[i] >= '0' && token[i] <= '9';
            fraction = fraction * 10 + (digits_left ? token[i++] - '0' : 0);
        }
    }
    return whole * 100 + fraction;
}

CounterModel::CounterModel(const ResourceConfig& config) : config_(config) {
    s_.power_on_clear = config.power_on_clear;
    set_version(config.idn);
}

void CounterModel::set_version(const std::string& idn) {
    s_.idn = idn;
    const std::vector<std::string> fields = split_fields(s_.idn);
    std::string_view token;
    if (fields.size() >= 4) {
        token = fields[3];
        while (!token.empty() && token.front() == ' ') {
            token.remove_prefix(1);
        }
        token = token.substr(0, token.find(' '));
    }
    version_number_ = version_number_of(token);
    width_ = config_.length_field != 0 ? config_.length_field : (version_number_ < 107 ? 1 : 2);
}

void CounterModel::restore(const CounterState& state) {
    const std::string idn = state.idn;
    s_ = state;
    set_version(idn);
    requests_taken_ = std::min(requests_taken_, s_.service_requests);
}

bool CounterModel::answers() const {
    return !s_.bricked && !(flashing() && config_.burn_answer == BurnAnswer::no);
}

std::optional<std::uint64_t> CounterModel::next_change_ms() const {
    if (!s_.burn_due_ms) {
        return std::nullopt;
    }
    if (config_.early_srq_ms && !s_.early_request_raised) {
        const std::uint64_t early = s_.burn_ordered_ms + *config_.early_srq_ms;
        if (early < *s_.burn_due_ms) {
            return early;
        }
    }
    return s_.burn_due_ms;
}

void CounterModel::push_error(int code, const std::string& text) {
    s_.errors.push(code, text);
    s_.esr = static_cast<std::uint8_t>(s_.esr | event_bit_of(code));
}

std::uint8_t CounterModel::summary_bits() const {
    std::uint8_t bits = 0;
    if (!s_.errors.empty()) {
        bits |= stb_error_queue;
    }
    if (has_reply()) {
        bits |= stb_message_available;
    }
    if ((s_.esr & s_.ese) != 0) {
        bits |= stb_event_summary;
    }
    return bits;
}

std::uint8_t CounterModel::status_byte() const {
    const std::uint8_t bits = summary_bits();
    return static_cast<std::uint8_t>(bits | ((bits & s_.sre) != 0 ? stb_request_service : 0));
}

std::uint8_t CounterModel::serial_poll() {
    const std::uint8_t bits = summary_bits();
    const bool flag = s_.request_flag;
    s_.request_flag = false;
    return static_cast<std::uint8_t>(bits | (flag ? stb_request_service : 0));
}

std::uint32_t CounterModel::take_service_requests() {
    const std::uint32_t count = s_.service_requests - requests_taken_;
    requests_taken_ = s_.service_requests;
    return count;
}

// A request is raised when the status byte starts sharing a bit with the enable register;
// a counter that does not answer raises none.
void CounterModel::evaluate_service_request() {
    if (!answers()) {
        return;
    }
    const bool condition = (summary_bits() & s_.sre) != 0;
    if (condition && !s_.request_condition && !config_.no_srq) {
        s_.request_flag = true;
        ++s_.service_requests;
    }
    s_.request_condition = condition;
}

std::string CounterModel::take_reply(std::size_t max, bool* complete) {
    const std::size_t count = std::min(max, reply_.size() - reply_offset_);
    std::string part = reply_.substr(reply_offset_, count);
    reply_offset_ += count;
    *complete = reply_offset_ >= reply_.size();
    if (*complete) {
        reply_.clear();
        reply_offset_ = 0;
    }
    evaluate_service_request();
    return part;
}

void CounterModel::read_found_nothing() {
    push_error(query_unterminated, error_text(query_unterminated));
    evaluate_service_request();
}

std::string CounterModel::receive(std::string_view message, std::uint64_t now_ms) {
    advance(now_ms);
    const std::vector<ProgramUnit> units = parse_program_message(message);
    if (s_.bricked) {
        return shown_unexecuted(message, units) + std::string(mark_bricked);
    }
    // A reset reaches even a counter too busy to execute anything, and ruins its flash.
    const bool flashing_at_arrival = flashing();
    if (flashing_at_arrival && config_.burn_answer == BurnAnswer::no) {
        const bool reset = std::any_of(units.begin(), units.end(), is_reset);
        s_.flash_ruined = s_.flash_ruined || reset;
        return shown_unexecuted(message, units) +
               std::string(reset ? mark_reset_into_flash : mark_while_flashing);
    }
    if (has_reply()) {
        reply_.clear();
        reply_offset_ = 0;
        push_error(query_interrupted, error_text(query_interrupted));
    }
    std::vector<std::string> replies;
    std::string shown;
    std::size_t cursor = 0;
    bool reset_into_flash = false;
    for (const ProgramUnit& unit : units) {
        // The flash may have been ordered by an earlier unit of this very message.
        if (flashing() && is_reset(unit)) {
            s_.flash_ruined = true;
            reset_into_flash = true;
        }
        std::string summary;
        execute(unit, replies, summary, now_ms);
        if (unit.block_begin != ProgramUnit::no_block) {
            shown += escape_text(message.substr(cursor, unit.block_begin - cursor));
            shown += ' ';
            shown += summary;
            cursor = unit.block_end;
        }
    }
    shown += escape_text(message.substr(cursor));
    if (!replies.empty()) {
        for (std::size_t i = 0; i < replies.size(); ++i) {
            reply_ += (i == 0 ? "" : ";") + replies[i];
        }
        reply_ += '\n';
    }
    evaluate_service_request();
    if (reset_into_flash) {
        shown += mark_reset_into_flash;
    } else if (flashing_at_arrival) {
        shown += mark_while_flashing;
    }
    return shown;
}

void CounterModel::execute(const ProgramUnit& unit, std::vector<std::string>& replies,
                           std::string& summary, std::uint64_t now_ms) {
    if (unit.syntax_error != 0) {
        push_error(unit.syntax_error, error_text(unit.syntax_error));
        summary =
            "[block bytes=" + std::to_string(unit.block_end - unit.block_begin) + " malformed]";
        return;
    }
    int found = -1;
    for (const CommandEntry& entry : command_table) {
        if (header_matches(unit.header, entry.pattern)) {
            found = entry.command;
            break;
        }
    }
    if (found < 0) {
        push_error(undefined_header, error_text(undefined_header));
        summary = "[block bytes=" + std::to_string(unit.block.size()) + " error=-113]";
        return;
    }
    const auto command = static_cast<Command>(found);
    const bool numeric = command == Command::ese || command == Command::sre ||
                         command == Command::psc || command == Command::sav;
    if (command == Command::data) {
        if (!unit.block_ok) {
            const int code = unit.parameter.empty() ? missing_parameter : data_type_error;
            push_error(code, error_text(code));
            return;
        }
        data_block(unit.block, summary);
        return;
    }
    if (unit.block_ok) {
        push_error(parameter_not_allowed, error_text(parameter_not_allowed));
        summary = "[block bytes=" + std::to_string(unit.block.size()) + " error=-108]";
        return;
    }
    long value = 0;
    if (numeric) {
        if (unit.parameter.empty()) {
            push_error(missing_parameter, error_text(missing_parameter));
            return;
        }
        if (!parse_integer_parameter(unit.parameter, &value)) {
            push_error(data_type_error, error_text(data_type_error));
            return;
        }
        const long high = command == Command::sav ? 9 : command == Command::psc ? 32767 : 255;
        const long low = command == Command::psc ? -32767 : 0;
        if (value < low || value > high) {
            push_error(data_out_of_range, error_text(data_out_of_range));
            return;
        }
    } else if (!unit.parameter.empty()) {
        push_error(parameter_not_allowed, error_text(parameter_not_allowed));
        return;
    }
    switch (command) {
        case Command::idn:
            replies.push_back(s_.idn);
            break;
        case Command::rst:
            // A reset aborts the operations it waits for, but cannot stop the flash: a reset
            // into the flash ruins it (see receive).
            s_.opc_armed = false;
            opc_query_pending_ = false;
            if (!flashing()) {
                s_.firmware_mode = false;
                clear_image();
            }
            break;
        case Command::cls:
            s_.errors.clear();
            s_.esr = 0;
            s_.opc_armed = false;
            opc_query_pending_ = false;
            break;
        case Command::ese:
            s_.ese = static_cast<std::uint8_t>(value);
            break;
        case Command::ese_query:
            replies.push_back(std::to_string(s_.ese));
            break;
        case Command::sre:
            s_.sre = static_cast<std::uint8_t>(value & ~long{stb_request_service});
            break;
        case Command::sre_query:
            replies.push_back(std::to_string(s_.sre));
            break;
        case Command::psc:
            s_.power_on_clear = value != 0;
            break;
        case Command::psc_query:
            replies.push_back(s_.power_on_clear ? "1" : "0");
            break;
        case Command::esr_query:
            replies.push_back(std::to_string(s_.esr));
            s_.esr = 0;
            break;
        case Command::stb_query:
            replies.push_back(std::to_string(status_byte()));
            break;
        case Command::opc:
            if (s_.burn_due_ms) {
                s_.opc_armed = true;
            } else {
                s_.esr |= esr_operation_complete;
            }
            break;
        case Command::opc_query:
            if (s_.burn_due_ms) {
                opc_query_pending_ = true;
            } else {
                replies.emplace_back("1");
            }
            break;
        case Command::tst_query:
            replies.emplace_back("0");
            break;
        case Command::prepare:
            if (s_.burn_due_ms) {
                push_error(settings_conflict, error_text(settings_conflict));
                break;
            }
            s_.firmware_mode = true;
            clear_image();
            s_.block_number = 0;
            s_.block_attempt = 0;
            break;
        case Command::update:
            order_burn(now_ms);
            break;
        case Command::error_query:
            replies.push_back(s_.errors.pop_reply());
            break;
        case Command::wai:
        case Command::sav:
        case Command::abort:
        case Command::preset:
        case Command::delete_memory:
        case Command::unprotect:
        case Command::data:
            break;
    }
}

void CounterModel::data_block(std::string_view block, std::string& summary) {
    // The same bytes again are another attempt at the same block.
    const std::uint64_t hash = fnv1a(block);
    if (s_.block_number == 0 || block.size() != s_.last_block_size || hash != s_.last_block_hash) {
        ++s_.block_number;
        s_.block_attempt = 0;
        s_.last_block_size = block.size();
        s_.last_block_hash = hash;
    }
    ++s_.block_attempt;
    const std::size_t size = block.size();
    const auto width = static_cast<std::size_t>(width_);
    int code = 0;
    char head[64];
    if (size < 4 + width) {
        code = data_out_of_range;
        std::snprintf(head, sizeof head, "[block bytes=%zu", size);
    } else {
        const std::uint32_t address = little_endian(block, 0, 4);
        const std::uint32_t length = little_endian(block, 4, width);
        std::snprintf(head, sizeof head, "[block addr=0x%08X len=%u", address,
                      static_cast<unsigned>(length));
        unsigned sum = 0;
        for (const char c : block) {
            sum += static_cast<unsigned char>(c);
        }
        if (!s_.firmware_mode) {
            code = settings_conflict;
        } else if (length == 0 || size != length + width + 5) {
            code = data_out_of_range;
        } else if ((sum & 0xFFu) != 0) {
            code = checksum_error;
        } else if (std::uint64_t{address} + length > 0x100000000ull) {
            code = data_out_of_range;
        } else {
            for (const BlockRejection& rejection : config_.block_rejections) {
                if (rejection.block == s_.block_number && s_.block_attempt <= rejection.attempts) {
                    code = block_rejected;
                }
            }
            if (code == 0) {
                const auto* data = reinterpret_cast<const std::uint8_t*>(block.data()) + 4 + width;
                if (!image_.store(address, data, length)) {
                    code = data_out_of_range;
                } else if (track_image_) {
                    image_changes_.stored.push_back(
                        {address, std::string(block.substr(4 + width, length))});
                }
            }
        }
    }
    summary = head;
    if (code == 0) {
        summary += " ok]";
        return;
    }
    push_error(code, error_text(code));
    summary += " error=" + std::to_string(code) + "]";
}

void CounterModel::order_burn(std::uint64_t now_ms) {
    if (flashing() || !s_.firmware_mode || image_.empty()) {
        push_error(settings_conflict, error_text(settings_conflict));
        return;
    }
    std::string problem;
    if (!config_.image_path.empty() && !image_.write_binary(config_.image_path, &problem)) {
        push_error(-300, "Device-specific error;" + problem);
    }
    if (!config_.image_map_path.empty() && !image_.write_map(config_.image_map_path, &problem)) {
        push_error(-300, "Device-specific error;" + problem);
    }
    s_.burn_ordered_ms = now_ms;
    s_.burn_due_ms = now_ms + config_.burn_ms;
    s_.early_request_raised = false;
    s_.flash_ruined = false;
    ++s_.burn_orders;
}

void CounterModel::advance(std::uint64_t now_ms) {
    if (!s_.burn_due_ms) {
        return;
    }
    // A stale request from the flashing counter: whatever the enables hold, and without
    // touching the status byte. `no_srq` leaves it, so a test can have it alone.
    if (config_.early_srq_ms && !s_.early_request_raised) {
        const std::uint64_t early = s_.burn_ordered_ms + *config_.early_srq_ms;
        if (early < *s_.burn_due_ms && now_ms >= early) {
            s_.early_request_raised = true;
            ++s_.service_requests;
        }
    }
    if (now_ms < *s_.burn_due_ms) {
        return;
    }
    s_.burn_due_ms.reset();
    if (s_.flash_ruined) {
        brick();
        return;
    }
    reboot();
    if (s_.opc_armed) {
        s_.esr |= esr_operation_complete;
        s_.opc_armed = false;
    }
    if (opc_query_pending_) {
        reply_ = "1\n";
        reply_offset_ = 0;
        opc_query_pending_ = false;
    }
    evaluate_service_request();
}

void CounterModel::clear_image() {
    image_.clear();
    if (track_image_) {
        image_changes_.cleared = true;
        image_changes_.stored.clear();
    }
}

ImageChanges CounterModel::take_image_changes() {
    ImageChanges changes = std::move(image_changes_);
    image_changes_ = ImageChanges{};
    return changes;
}

void CounterModel::restore_image_block(std::uint32_t address, const std::uint8_t* data,
                                       std::size_t length) {
    image_.store(address, data, length);
}

void CounterModel::restore_image_cleared() {
    image_.clear();
}

void CounterModel::reboot() {
    ++s_.reboots;
    s_.errors.clear();
    reply_.clear();
    reply_offset_ = 0;
    s_.firmware_mode = false;
    clear_image();
    s_.last_block_size = 0;
    s_.last_block_hash = 0;
    s_.esr = esr_power_on;
    if (s_.power_on_clear) {
        s_.ese = 0;
        s_.sre = 0;
    }
    s_.request_condition = false;
    if (config_.new_version) {
        std::vector<std::string> fields = split_fields(s_.idn);
        fields.resize(std::max<std::size_t>(fields.size(), 4));
        fields[3] = *config_.new_version;
        std::string idn;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            idn += (i == 0 ? "" : ",") + fields[i];
        }
        set_version(idn);
    }
}

// The ruined flash ends with a counter that stays on the bus and never answers again.
void CounterModel::brick() {
    s_.bricked = true;
    s_.flash_ruined = false;
    s_.firmware_mode = false;
    clear_image();
    s_.opc_armed = false;
    s_.request_flag = false;
    s_.request_condition = false;
    opc_query_pending_ = false;
    reply_.clear();
    reply_offset_ = 0;
}

}  // namespace hx4x::visa_sim
