#include "console/exit_status.hpp"

#include <array>
#include <string_view>

#include "console/console_texts.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {

namespace {

namespace text = controller_text;

constexpr std::array<const char*, 9> meanings = {
    "success",
    "command line error",
    "firmware file missing or refused",
    "no instrument found or VISA unavailable",
    "the counter cannot be opened or identified, or several match",
    "preparation failed",
    "sending failed",
    "burning or reconnection failed",
    "cancelled or declined",
};

// Where the evidence of an outcome is found.
enum class Evidence { message, caption };
enum class Match { whole, prefix };

struct OutcomeRule {
    Evidence evidence;
    MessageKind kind;  // messages only
    const char* text;
    Match match;
    ExitStatus status;
};

// The one mapping from what the run showed to the exit status. Messages are looked at from
// the last one back, so a failure reported after another (an open failure after the burn,
// then the burn's own failure) decides. Captions only explain a run that stopped silently.
constexpr std::array<OutcomeRule, 19> rules = {{
    {Evidence::message, MessageKind::information, text::success_head, Match::prefix,
     ExitStatus::success},
    {Evidence::message, MessageKind::warning, text::canceled, Match::whole, ExitStatus::cancelled},
    {Evidence::message, MessageKind::warning, console_text::interrupted_before_update, Match::whole,
     ExitStatus::cancelled},
    {Evidence::message, MessageKind::error, text::update_failed, Match::whole, ExitStatus::burning},
    {Evidence::message, MessageKind::error, text::sending_error, Match::whole, ExitStatus::sending},
    {Evidence::message, MessageKind::error, text::preparing_error, Match::whole,
     ExitStatus::preparation},
    {Evidence::message, MessageKind::error, "Error parsing file '", Match::prefix,
     ExitStatus::firmware_file},
    {Evidence::message, MessageKind::error, text::no_firmware_file, Match::whole,
     ExitStatus::firmware_file},
    {Evidence::message, MessageKind::error, text::firmware_file_missing, Match::prefix,
     ExitStatus::firmware_file},
    {Evidence::message, MessageKind::error, text::open_failure_head, Match::prefix,
     ExitStatus::counter},
    {Evidence::message, MessageKind::error, console_text::several_counters_head, Match::prefix,
     ExitStatus::counter},
    {Evidence::message, MessageKind::error, console_text::counter_not_listed_head, Match::prefix,
     ExitStatus::counter},
    {Evidence::message, MessageKind::error, text::visa_not_installed, Match::whole,
     ExitStatus::no_instrument},
    {Evidence::message, MessageKind::error, text::no_instruments, Match::whole,
     ExitStatus::no_instrument},
    {Evidence::message, MessageKind::error, text::visa_init_error, Match::whole,
     ExitStatus::no_instrument},
    {Evidence::caption, MessageKind::information, text::preparing_caption, Match::whole,
     ExitStatus::preparation},
    {Evidence::caption, MessageKind::information, text::parsing_caption, Match::whole,
     ExitStatus::firmware_file},
    {Evidence::caption, MessageKind::information, text::sending_caption, Match::whole,
     ExitStatus::sending},
    {Evidence::caption, MessageKind::information, text::burning_caption, Match::whole,
     ExitStatus::burning},
}};

bool matches(const OutcomeRule& rule, std::string_view shown) {
    const std::string_view wanted = rule.text;
    return rule.match == Match::whole ? shown == wanted : shown.substr(0, wanted.size()) == wanted;
}

const OutcomeRule* rule_for_message(const ShownMessage& message) {
    for (const OutcomeRule& rule : rules) {
        if (rule.evidence == Evidence::message && rule.kind == message.kind &&
            matches(rule, message.text)) {
            return &rule;
        }
    }
    return nullptr;
}

const OutcomeRule* rule_for_caption(const std::string& caption) {
    for (const OutcomeRule& rule : rules) {
        if (rule.evidence == Evidence::caption && matches(rule, caption)) {
            return &rule;
        }
    }
    return nullptr;
}

}  // namespace

std::string exit_status_table_text() {
    std::string table = "Exit status:\n";
    for (std::size_t code = 0; code < meanings.size(); ++code) {
        table += "  " + std::to_string(code) + "  " + meanings[code] + "\n";
    }
    return table;
}

ExitStatus exit_status_for(const RunRecord& record) {
    for (auto it = record.messages.rbegin(); it != record.messages.rend(); ++it) {
        if (const OutcomeRule* rule = rule_for_message(*it)) {
            return rule->status;
        }
    }
    // No message: the operator said No, or a cancel landed after a step's last report.
    if (record.declined || record.cancel_delivered) {
        return ExitStatus::cancelled;
    }
    for (auto it = record.captions.rbegin(); it != record.captions.rend(); ++it) {
        if (const OutcomeRule* rule = rule_for_caption(*it)) {
            return rule->status;
        }
    }
    // Nothing was shown and no step ran: the update never got going.
    return ExitStatus::counter;
}

}  // namespace hx4x
