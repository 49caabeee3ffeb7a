#include "visa-sim/sim_config.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace hx4x::visa_sim {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits off the first blank-separated word of `text`.
std::string_view next_word(std::string_view* text) {
    *text = trim(*text);
    std::size_t end = 0;
    while (end < text->size() && !is_blank((*text)[end])) {
        ++end;
    }
    const std::string_view word = text->substr(0, end);
    *text = trim(text->substr(end));
    return word;
}

bool parse_number(std::string_view text, std::uint32_t* value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), *value, 10);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

class ConfigParser {
  public:
    explicit ConfigParser(SimConfig* config) : config_(config) {}

    bool line(std::string_view key, std::string_view value) {
        if (key == "resource") {
            return start_resource(value);
        }
        if (config_->resources.empty()) {
            return global_key(key, value);
        }
        return resource_key(key, value);
    }

    const std::string& error() const { return error_; }

  private:
    bool fail(std::string text) {
        error_ = std::move(text);
        return false;
    }

    bool no_value(std::string_view key, std::string_view value) {
        return value.empty() || fail(std::string(key) + " takes no value");
    }

    bool need_value(std::string_view key, std::string_view value) {
        return !value.empty() || fail(std::string(key) + " needs a value");
    }

    bool number(std::string_view key, std::string_view word, std::uint32_t* value) {
        return parse_number(word, value) ||
               fail(std::string(key) + ": not a number: '" + std::string(word) + "'");
    }

    bool status(std::string_view key, std::string_view word, ViStatus* value) {
        return parse_status(word, value) ||
               fail(std::string(key) + ": not a status: '" + std::string(word) + "'");
    }

    bool end_of_value(std::string_view key, std::string_view rest) {
        return rest.empty() || fail(std::string(key) + ": unexpected '" + std::string(rest) + "'");
    }

    // "N [COUNT]"
    bool call_range(std::string_view key, std::string_view value, CallRange* range) {
        const std::string_view first = next_word(&value);
        if (!number(key, first, &range->first)) {
            return false;
        }
        if (range->first == 0) {
            return fail(std::string(key) + ": calls count from 1");
        }
        if (!value.empty()) {
            const std::string_view count = next_word(&value);
            if (!number(key, count, &range->count)) {
                return false;
            }
        }
        return end_of_value(key, value);
    }

    bool start_resource(std::string_view value) {
        if (!need_value("resource", value)) {
            return false;
        }
        const std::string_view name = next_word(&value);
        if (!end_of_value("resource", value)) {
            return false;
        }
        for (const ResourceConfig& existing : config_->resources) {
            if (existing.name.size() == name.size() &&
                std::equal(name.begin(), name.end(), existing.name.begin(), [](char a, char b) {
                    return std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
                })) {
                return fail("resource " + std::string(name) + " given twice");
            }
        }
        config_->resources.emplace_back();
        config_->resources.back().name = std::string(name);
        return true;
    }

    bool global_key(std::string_view key, std::string_view value) {
        if (key == "rm_status") {
            return need_value(key, value) && status(key, value, &config_->rm_status);
        }
        if (key == "timeouts") {
            if (value != "immediate" && value != "real") {
                return fail("timeouts: immediate or real, not '" + std::string(value) + "'");
            }
            config_->real_timeouts = value == "real";
            return true;
        }
        if (key == "transcript" || key == "transcript_append") {
            config_->transcript_path = std::string(value);
            config_->transcript_append = key == "transcript_append";
            return need_value(key, value);
        }
        if (key == "fail") {
            return fail_rule(value);
        }
        return fail("unknown global key '" + std::string(key) + "'");
    }

    bool fail_rule(std::string_view value) {
        FailRule rule;
        const std::string_view entry = next_word(&value);
        std::size_t index = 0;
        while (index < entry_point_names.size() && entry_point_names[index] != entry) {
            ++index;
        }
        if (index == entry_point_names.size()) {
            return fail("fail: unknown entry point '" + std::string(entry) + "'");
        }
        rule.entry = static_cast<EntryPoint>(index);
        const std::string_view first = next_word(&value);
        const std::string_view status_word = next_word(&value);
        if (!number("fail", first, &rule.calls.first) ||
            !status("fail", status_word, &rule.status)) {
            return false;
        }
        if (rule.calls.first == 0) {
            return fail("fail: calls count from 1");
        }
        if (!value.empty() && !number("fail", next_word(&value), &rule.calls.count)) {
            return false;
        }
        if (!end_of_value("fail", value)) {
            return false;
        }
        config_->fail_rules.push_back(rule);
        return true;
    }

    bool resource_key(std::string_view key, std::string_view value) {
        ResourceConfig& r = config_->resources.back();
        if (key == "idn") {
            r.idn = std::string(value);
            return need_value(key, value);
        }
        if (key == "new_version") {
            r.new_version = std::string(value);
            return need_value(key, value);
        }
        if (key == "length_field") {
            if (value != "1" && value != "2") {
                return fail("length_field: 1 or 2, not '" + std::string(value) + "'");
            }
            r.length_field = value == "1" ? 1 : 2;
            return true;
        }
        if (key == "burn_ms") {
            return need_value(key, value) && number(key, value, &r.burn_ms);
        }
        if (key == "power_on_clear") {
            if (value != "0" && value != "1") {
                return fail("power_on_clear: 0 or 1, not '" + std::string(value) + "'");
            }
            r.power_on_clear = value == "1";
            return true;
        }
        if (key == "image" || key == "image_map") {
            (key == "image" ? r.image_path : r.image_map_path) = std::string(value);
            return need_value(key, value);
        }
        if (key == "no_srq") {
            r.no_srq = true;
            return no_value(key, value);
        }
        if (key == "absent") {
            r.absent = true;
            return no_value(key, value);
        }
        if (key == "timeout_read") {
            CallRange range;
            if (!need_value(key, value) || !call_range(key, value, &range)) {
                return false;
            }
            r.read_timeouts.push_back(range);
            return true;
        }
        if (key == "reject_block") {
            BlockRejection rejection;
            const std::string_view block = next_word(&value);
            const std::string_view attempts = next_word(&value);
            if (!number(key, block, &rejection.block) ||
                !number(key, attempts, &rejection.attempts) || !end_of_value(key, value)) {
                return false;
            }
            if (rejection.block == 0) {
                return fail("reject_block: blocks count from 1");
            }
            r.block_rejections.push_back(rejection);
            return true;
        }
        if (key == "refuse_reopen") {
            const std::string_view count = next_word(&value);
            if (!number(key, count, &r.refuse_reopen)) {
                return false;
            }
            if (!value.empty() && !status(key, next_word(&value), &r.refuse_reopen_status)) {
                return false;
            }
            return end_of_value(key, value);
        }
        if (key == "drop_after") {
            const std::string_view count = next_word(&value);
            if (!number(key, count, &r.drop_after_count)) {
                return false;
            }
            if (r.drop_after_count == 0) {
                return fail("drop_after: writes count from 1");
            }
            r.drop_after_text = std::string(value);
            return need_value(key, value);
        }
        if (key == "burn_answer") {
            if (value != "yes" && value != "no" && value != "drop") {
                return fail("burn_answer: yes, no or drop, not '" + std::string(value) + "'");
            }
            r.burn_answer = value == "yes"  ? BurnAnswer::yes
                            : value == "no" ? BurnAnswer::no
                                            : BurnAnswer::drop;
            return true;
        }
        if (key == "early_srq") {
            std::uint32_t ms = 0;
            if (!need_value(key, value) || !number(key, value, &ms)) {
                return false;
            }
            r.early_srq_ms = ms;
            return true;
        }
        if (key == "state") {
            r.state_path = std::string(value);
            return need_value(key, value);
        }
        return fail("unknown counter key '" + std::string(key) + "'");
    }

    SimConfig* config_;
    std::string error_;
};

}  // namespace

bool parse_sim_config(std::string_view text, SimConfig* config, std::string* error) {
    *config = SimConfig{};
    ConfigParser parser(config);
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line = trim(line);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::string_view key = next_word(&line);
        if (!parser.line(key, line)) {
            if (error != nullptr) {
                *error = "line " + std::to_string(number) + ": " + parser.error();
            }
            return false;
        }
    }
    return true;
}

}  // namespace hx4x::visa_sim
