#include "console/console_app.hpp"

#include "AuxLib/logger.hpp"
#include "AuxLib/operator_message.hpp"
#include "AuxLib/scope_guard.hpp"
#include "app/emulated_version.hpp"
#include "cmdline/argv_command_line.hpp"
#include "cmdline/command_line_parser.hpp"
#include "console/console_options.hpp"
#include "console/console_presenter.hpp"
#include "console/console_result.hpp"
#include "console/console_texts.hpp"
#include "console/console_view.hpp"
#include "console/exit_status.hpp"
#include "firmware/firmware_check.hpp"
#include "instrument/discovery.hpp"
#include "instrument/resource_name.hpp"
#include "platform/command_line_rules.hpp"
#include "ui/controller_texts.hpp"
#include "ui/update_controller.hpp"

namespace hx4x {

namespace {

void start_log(const std::string& log_file) {
    Logger& logger = Logger::instance();
    logger.set_stamped(true);
    if (log_file.empty()) {
        // Standard output may carry JSON lines: a fault report must not land there.
        logger.use_standard_error();
    } else {
        // Appended, never truncated: other stations may be writing to it right now.
        logger.set_log_file(log_file, false);
    }
}

Confirmation confirmation_for(const ConsoleOptions& options, const ConsoleEnvironment& env) {
    if (options.yes) {
        return Confirmation::by_option;
    }
    return env.input_is_terminal ? Confirmation::on_terminal : Confirmation::impossible;
}

ProgressMode progress_mode_for(const ConsoleOptions& options, const ConsoleEnvironment& env) {
    if (options.json) {
        return ProgressMode::json;
    }
    return env.streams.err_is_terminal ? ProgressMode::terminal : ProgressMode::plain;
}

std::string instrument_lines(const std::vector<std::string>& instruments) {
    std::string lines;
    for (const std::string& address : instruments) {
        lines += "\t" + address + "\n";
    }
    if (!lines.empty()) {
        lines.pop_back();
    }
    return lines;
}

std::size_t listed_index(const std::vector<std::string>& instruments, const std::string& address) {
    for (std::size_t i = 0; i < instruments.size(); ++i) {
        if (same_resource_name(instruments[i], address)) {
            return i;
        }
    }
    return instruments.size();
}

// The firmware file checked by the same load as the check command, before anything goes
// to any counter: a file that would be refused later must not cost a prepared counter.
bool firmware_file_usable(const std::string& file, ConsoleView& view) {
    namespace text = controller_text;
    if (!firmware_file_named(file, view)) {
        return false;
    }
    std::string verdict;
    std::string reason;
    if (!check_firmware_file(file, verdict, &reason)) {
        view.show_message(MessageKind::error, text::parsing_error(file, reason));
        return false;
    }
    return true;
}

ExitStatus search_instruments(UpdateController& controller, ConsoleView& view,
                              const ConsoleOptions& options) {
    view.set_page(page_instruments);
    // An expression the library refuses is a mistake on the command line, not an empty bus:
    // the controller's verdict waits until that is known.
    view.hold_messages(true);
    const bool found = controller.refresh_instruments();
    if (!found && last_search_refused_expression()) {
        view.release_messages(true);
        view.show_message(MessageKind::error, console_text::mask_refused + options.mask);
        return ExitStatus::command_line;
    }
    view.release_messages(false);
    return found ? ExitStatus::success : ExitStatus::no_instrument;
}

ExitStatus list_instruments(UpdateController& controller, ConsoleView& view, ConsoleOutput& output,
                            const ConsoleOptions& options) {
    const ExitStatus searched = search_instruments(controller, view, options);
    if (searched != ExitStatus::success) {
        return searched;
    }
    for (const std::string& address : view.instruments()) {
        if (output.json()) {
            output.json_line(JsonObject().add("event", "instrument").add("resource", address));
        } else {
            output.result_line(address);
        }
    }
    return ExitStatus::success;
}

// Which counter to update: the one named (in any letter case), else the only one found.
ExitStatus choose_counter(UpdateController& controller, ConsoleView& view,
                          const ConsoleOptions& options) {
    const std::vector<std::string>& found = view.instruments();
    if (!options.counter.empty()) {
        const std::size_t index = listed_index(found, options.counter);
        if (index == found.size()) {
            view.show_message(MessageKind::error,
                              console_text::counter_not_listed_head + options.counter +
                                  console_text::instruments_found + instrument_lines(found));
            return ExitStatus::counter;
        }
        view.list_select(index);
        controller.instrument_selected();
        return ExitStatus::success;
    }
    // A script must never update whichever counter happens to come first.
    if (found.size() > 1) {
        view.show_message(MessageKind::error,
                          console_text::several_counters_head + instrument_lines(found));
        return ExitStatus::counter;
    }
    return ExitStatus::success;
}

// The search, then the choice of the one counter to work with.
ExitStatus find_the_counter(UpdateController& controller, ConsoleView& view,
                            const ConsoleOptions& options) {
    const ExitStatus searched = search_instruments(controller, view, options);
    if (searched != ExitStatus::success) {
        return searched;
    }
    return choose_counter(controller, view, options);
}

void warn_about_dumps(const DumpReport& dumps, ConsoleView& view) {
    struct Dump {
        const DumpOutcome& outcome;
        const char* not_opened;
        const char* incomplete;
    };
    for (const Dump& dump : {Dump{dumps.sending, console_text::sending_dump_not_opened,
                                  console_text::sending_dump_incomplete},
                             Dump{dumps.firmware, console_text::firmware_dump_not_opened,
                                  console_text::firmware_dump_incomplete}}) {
        if (!dump.outcome.requested) {
            continue;
        }
        if (!dump.outcome.opened) {
            view.show_message(MessageKind::warning, dump.not_opened + dump.outcome.path);
        } else if (!dump.outcome.complete) {
            view.show_message(MessageKind::warning, dump.incomplete + dump.outcome.path);
        }
    }
}

// The file check, the search, the choice of the one counter, then the Start button's work.
// result gets the last text the update itself showed, before the console's own notes.
ExitStatus update_counter(UpdateController& controller, ConsoleView& view,
                          const ConsoleOptions& options, Confirmation confirmation,
                          std::string& result) {
    if (!firmware_file_usable(options.firmware_file, view)) {
        return ExitStatus::firmware_file;
    }
    // The answer would be No: known now, it must not cost a preset counter, a deleted memory
    // and loading mode first.
    if (confirmation == Confirmation::impossible) {
        view.show_message(MessageKind::error, console_text::confirmation_needs_yes);
        return ExitStatus::cancelled;
    }
    const ExitStatus found = find_the_counter(controller, view, options);
    if (found != ExitStatus::success) {
        return found;
    }
    if (view.interrupt_pending()) {
        view.show_message(MessageKind::warning, console_text::interrupted_before_update);
        return ExitStatus::cancelled;
    }
    view.set_page(page_update);
    controller.start_update();
    result = view.last_message();
    const UpdateOutcome& outcome = controller.outcome();
    warn_about_dumps(outcome.dumps, view);
    const ExitStatus status = exit_status_for(outcome);
    if (status == ExitStatus::success && !outcome.burned) {
        view.show_message(MessageKind::warning, console_text::burn_skipped);
    }
    return status;
}

// The reset alone, for a counter a stopped run left in loading mode: the search and the
// choice of the one counter as for an update, then the reset and the identity read after it.
ExitStatus reset_counter(UpdateController& controller, ConsoleView& view,
                         const ConsoleOptions& options, std::string& result) {
    const ExitStatus found = find_the_counter(controller, view, options);
    if (found != ExitStatus::success) {
        return found;
    }
    view.set_page(page_update);
    controller.reset_selected_counter();
    result = view.last_message();
    return exit_status_for(controller.outcome());
}

// The emulated version, when given, must be one the emulation knows: anything else used to
// mean real instruments, and an update of a counter nobody meant to touch.
bool emulated_version_valid(const CommandLineParser& parser, std::string& report) {
    if (!parser.is_given("emulate_counter") || emulated_version_option(parser) != 0) {
        return true;
    }
    report = parse_error_text(console_text::emulate_value_head +
                              parser.argument_value("emulate_counter", 0) +
                              console_text::emulate_value_tail);
    return false;
}

// A failed write never stops the work; it is owned up to once everything is done.
int finish(ConsoleOutput& output, ExitStatus status) {
    if (!output.write_failed()) {
        return exit_code(status);
    }
    output.message_line(console_text::error_prefix, console_text::output_failed);
    return exit_code(ExitStatus::output);
}

}  // namespace

int run_console(int argc, const char* const* argv, const ConsoleEnvironment& env) {
    CommandLineParser parser(console_prefix_chars, console_separator);
    define_console_options(parser);
    parser.set_posix_prefix_rules(platform::posix_command_line());
    parser.set_command_line(env.command_line ? *env.command_line
                                             : command_line_from_argv(argc, argv));
    std::string report;
    if (!parser.parse() || !emulated_version_valid(parser, report)) {
        ConsoleOutput output(env.streams, false);
        if (report.empty()) {
            report = parser.error_text();
        }
        output.message_line("", report + "\n\n" + parser.usage_text());
        return exit_code(ExitStatus::command_line);
    }
    const ConsoleOptions options = read_console_options(parser);
    ConsoleOutput output(env.streams, options.json);
    if (options.help) {
        std::string help = parser.usage_text() + "\n" + exit_status_table_text();
        help.pop_back();  // the line end result_line writes
        output.result_line(help);
        return finish(output, ExitStatus::success);
    }
    set_emulated_version(options.emulated_version);
    start_log(env.log_file);

    ProgressRenderer progress(output, progress_mode_for(options, env));
    // The operator's answer is waited for in slices, so Ctrl-C at the prompt answers No.
    ConsoleView* view_for_prompt = nullptr;
    const Confirmation confirmation = confirmation_for(options, env);
    ConsolePresenter presenter(output, confirmation, [&view_for_prompt, &env](std::string& line) {
        return read_terminal_line(env.input_descriptor, line, [&view_for_prompt] {
            return view_for_prompt != nullptr && view_for_prompt->interrupt_pending();
        });
    });
    MessagePresenter* previous = set_message_presenter(&presenter);
    ScopeGuard restore_presenter([previous] { set_message_presenter(previous); });
    ConsoleView view(progress, presenter, env.interrupts);
    view_for_prompt = &view;
    UpdateController controller(view);
    view.attach(controller);

    if (options.check) {
        if (options.firmware_file.empty()) {
            output.message_line(console_text::error_prefix, controller_text::no_firmware_file);
            return finish(output, ExitStatus::firmware_file);
        }
        std::string verdict;
        const bool accepted = check_firmware_file(options.firmware_file, verdict);
        if (!verdict.empty() && verdict.back() == '\n') {
            verdict.pop_back();
        }
        output.result_line(verdict);
        return finish(output, accepted ? ExitStatus::success : ExitStatus::firmware_file);
    }

    controller.set_mask(options.mask);
    controller.set_selected_address(options.counter);
    controller.set_firmware_file(options.firmware_file);
    controller.set_skip_burning(options.skip_burning);
    controller.set_dump_sending(options.dump_sending);
    controller.set_dump_firmware(options.dump_firmware);
    view.set_file_box(options.firmware_file);

    if (options.list) {
        return finish(output, list_instruments(controller, view, output, options));
    }
    std::string result;
    const ExitStatus status = options.reset
                                  ? reset_counter(controller, view, options, result)
                                  : update_counter(controller, view, options, confirmation, result);
    if (output.json()) {
        UpdateOutcome shown = controller.outcome();
        if (shown.file.empty()) {
            shown.file = options.firmware_file;
        }
        if (result.empty()) {
            result = view.last_message();
        }
        output.json_line(result_object(shown, options.counter, result, status));
    }
    return finish(output, status);
}

}  // namespace hx4x
