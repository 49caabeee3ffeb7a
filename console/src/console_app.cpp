#include "console/console_app.hpp"

#include <cstdlib>

#include "AuxLib/logger.hpp"
#include "AuxLib/operator_message.hpp"
#include "AuxLib/scope_guard.hpp"
#include "app/emulated_version.hpp"
#include "app/version_info.hpp"
#include "cmdline/argv_command_line.hpp"
#include "cmdline/command_line_parser.hpp"
#include "console/command_line_mistakes.hpp"
#include "console/console_options.hpp"
#include "console/console_presenter.hpp"
#include "console/console_result.hpp"
#include "console/console_texts.hpp"
#include "console/console_view.hpp"
#include "console/dump_warnings.hpp"
#include "console/exit_status.hpp"
#include "console/history_command.hpp"
#include "console/results_table.hpp"
#include "console/several_counters.hpp"
#include "console/visible_text.hpp"
#include "firmware/firmware_check.hpp"
#include "firmware/firmware_setup.hpp"
#include "firmware/sha256.hpp"
#include "instrument/discovery.hpp"
#include "instrument/resource_name.hpp"
#include "instrument/visa_library.hpp"
#include "instrument/visa_types.hpp"
#include "platform/command_line_rules.hpp"
#include "platform/module_path.hpp"
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

// A library named by HX4X_VISA_LIBRARY that does not load would only be reported as "not
// installed": the loader's own reason says what is wrong with it.
void report_unusable_library(ConsoleView& view) {
    const char* chosen = std::getenv(VisaLibrary::library_variable);
    VisaLibrary& visa = VisaLibrary::instance();
    if (chosen == nullptr || *chosen == '\0' || visa.is_available()) {
        return;
    }
    std::string reason;
    if (!visa.load(&reason)) {
        view.show_message(MessageKind::error, console_text::visa_library_unusable + reason);
    }
}

ExitStatus search_instruments(UpdateController& controller, ConsoleView& view,
                              const ConsoleOptions& options) {
    if (options.emulated_version == 0) {
        report_unusable_library(view);
    }
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
            output.result_line(visible_name(address));
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
    view.set_resource(view.list_selected_text());
    view.set_page(page_update);
    controller.start_update();
    result = view.last_message();
    const UpdateOutcome& outcome = controller.outcome();
    warn_about_dumps(outcome.dumps, [&view](const std::string& warning) {
        view.show_message(MessageKind::warning, warning);
    });
    const ExitStatus status = exit_status_for(outcome);
    if (status == ExitStatus::success && !outcome.burned) {
        view.show_message(MessageKind::warning, console_text::burn_skipped);
    }
    if (!controller.history_failure().empty()) {
        view.show_message(MessageKind::warning, controller.history_failure());
    }
    return status;
}

// The closing JSON object, when JSON lines are asked for.
void json_outcome(ConsoleOutput& output, JsonObject object, const std::string& result,
                  ExitStatus status) {
    if (output.json()) {
        output.json_line(outcome_end(object, result, status));
    }
}

// The counters named by counter=all or a list, updated at once from one reading of the file:
// the same checks as for one counter first, then the search and the choice; a name not found
// stops the run before any counter hears anything. The closing JSON objects are one per
// counter and a summary; without JSON a table of the counters.
ExitStatus update_counters(UpdateController& controller, ConsoleView& view, ConsoleOutput& output,
                           const ConsoleOptions& options, Confirmation confirmation,
                           ProgressMode mode) {
    auto fail = [&output, &view](ExitStatus status) {
        json_outcome(output, outcome_start(), view.last_message(), status);
        return status;
    };
    if (!firmware_file_usable(options.firmware_file, view)) {
        return fail(ExitStatus::firmware_file);
    }
    if (confirmation == Confirmation::impossible) {
        view.show_message(MessageKind::error, console_text::confirmation_needs_yes);
        return fail(ExitStatus::cancelled);
    }
    CheckedImage image;
    auto reader = std::make_shared<HexFileReader>();
    std::string reason;
    if (!load_firmware(*reader, options.firmware_file, nullptr, nullptr, &image.version, &reason)) {
        view.show_message(MessageKind::error,
                          controller_text::parsing_error(options.firmware_file, reason));
        return fail(ExitStatus::firmware_file);
    }
    image.reader = reader;
    image.file = options.firmware_file;
    if (!file_sha256(image.file, image.sha256, image.size, &reason)) {
        view.show_message(MessageKind::error,
                          controller_text::parsing_error(options.firmware_file, reason));
        return fail(ExitStatus::firmware_file);
    }
    const ExitStatus searched = search_instruments(controller, view, options);
    if (searched != ExitStatus::success) {
        return fail(searched);
    }
    std::vector<std::string> missing;
    const std::vector<std::string> chosen =
        chosen_counters(options.counter, view.instruments(), missing);
    if (!missing.empty() || chosen.empty()) {
        view.show_message(MessageKind::error,
                          console_text::counters_not_listed_head +
                              (missing.empty() ? options.counter : missing.front()) +
                              console_text::instruments_found +
                              instrument_lines(view.instruments()));
        return fail(ExitStatus::counter);
    }
    if (view.interrupt_pending()) {
        view.show_message(MessageKind::warning, console_text::interrupted_before_update);
        return fail(ExitStatus::cancelled);
    }
    view.set_page(page_update);
    const std::vector<CounterResult> results =
        update_several_counters(chosen, image, options, output, view, mode);
    const ExitStatus status = overall_status(results);
    if (output.json()) {
        std::int64_t succeeded = 0;
        for (const CounterResult& result : results) {
            output.json_line(
                result_object(result.outcome, result.resource, result.result, result.status));
            succeeded += result.status == ExitStatus::success ? 1 : 0;
        }
        output.json_line(JsonObject()
                             .add("event", "summary")
                             .add_number("counters", static_cast<std::int64_t>(results.size()))
                             .add_number("succeeded", succeeded)
                             .add_number("exit_status", exit_code(status)));
    } else {
        std::string table = results_table(results);
        table.pop_back();  // the line end result_line writes
        output.result_line(table);
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
std::string emulated_version_mistake(const CommandLineParser& parser) {
    if (!parser.is_given("emulate_counter") || emulated_version_option(parser) != 0) {
        return {};
    }
    return console_text::emulate_value_head + parser.argument_value("emulate_counter", 0) +
           console_text::emulate_value_tail;
}

// What the parse accepts but the console does not: an emulated version it does not know, the
// firmware file given twice, a mask longer than VISA takes.
std::string option_mistake(const CommandLineParser& parser) {
    std::string mistake = emulated_version_mistake(parser);
    if (!mistake.empty()) {
        return mistake;
    }
    if (parser.is_given("hex_file") && parser.is_given(unnamed_parameter)) {
        return console_text::firmware_file_twice;
    }
    if (parser.is_given("reset") && parser.is_given("counter") &&
        names_several_counters(parser.argument_value("counter", 0))) {
        return console_text::reset_one_counter;
    }
    const std::string mask = mask_option(parser);
    if (mask.size() >= visa::VI_FIND_BUFLEN) {
        return console_text::mask_too_long_head + std::to_string(mask.size()) +
               console_text::mask_too_long_tail;
    }
    return {};
}

// A failed write never stops the work; it is owned up to once everything is done.
int finish(ConsoleOutput& output, ExitStatus status) {
    if (!output.write_failed()) {
        return exit_code(status);
    }
    output.message_line(console_text::error_prefix, console_text::output_failed);
    return exit_code(ExitStatus::output);
}

// The report and the usage on standard error; with json the message as the closing object.
int command_line_error(ConsoleOutput& output, const std::string& message,
                       const CommandLineParser& parser) {
    output.message_line(console_text::error_prefix,
                        parse_error_text(message) + "\n\n" + parser.usage_text());
    json_outcome(output, outcome_start(), message, ExitStatus::command_line);
    return finish(output, ExitStatus::command_line);
}

int show_help(ConsoleOutput& output, const CommandLineParser& parser) {
    std::string help = parser.usage_text() + "\n" + exit_status_table_text();
    help.pop_back();  // the line end result_line writes
    if (output.json()) {
        json_outcome(output, outcome_start().add("usage", help), "", ExitStatus::success);
    } else {
        output.result_line(help);
    }
    return finish(output, ExitStatus::success);
}

// The program's name, version and build date, from the version record of its own file.
int show_version(ConsoleOutput& output) {
    VersionInfo record;
    if (!record.read(platform::module_path())) {
        output.message_line(console_text::warning_prefix, console_text::no_version_record);
        json_outcome(output, outcome_start(), console_text::no_version_record, ExitStatus::success);
        return finish(output, ExitStatus::success);
    }
    const std::string name = record.string_value("InternalName");
    const std::string version = record.file_version_text();
    const std::string built = record.string_value("Comments");
    if (output.json()) {
        json_outcome(
            output,
            outcome_start().add("program", name).add("version", version).add("build_date", built),
            "", ExitStatus::success);
    } else {
        output.result_line(visible_name(name) + " " + visible_name(version) +
                           console_text::built_on + visible_name(built));
    }
    return finish(output, ExitStatus::success);
}

// The check command: the verdict on standard output, a refusal on standard error.
int check_file(ConsoleOutput& output, const std::string& file) {
    JsonObject object = outcome_start();
    if (file.empty()) {
        output.message_line(console_text::error_prefix, controller_text::no_firmware_file);
        json_outcome(output, object.add_null("file").add_null("file_version"),
                     controller_text::no_firmware_file, ExitStatus::firmware_file);
        return finish(output, ExitStatus::firmware_file);
    }
    object.add("file", file);
    std::string verdict;
    std::string reason;
    if (!check_firmware_file(file, verdict, &reason)) {
        const std::string refusal = controller_text::parsing_error(file, reason);
        output.message_line(console_text::error_prefix, refusal);
        json_outcome(output, object.add_null("file_version"), refusal, ExitStatus::firmware_file);
        return finish(output, ExitStatus::firmware_file);
    }
    // The verdict's second line, when there is one, is the file's version tag.
    static constexpr std::string_view version_head = "\nversion: ";
    const std::size_t at = verdict.find(version_head);
    std::string version;
    if (at != std::string::npos) {
        version = verdict.substr(at + version_head.size());
        version.pop_back();  // the verdict's last line end
    }
    if (at == std::string::npos) {
        object.add_null("file_version");
    } else {
        object.add("file_version", version);
    }
    if (output.json()) {
        json_outcome(output, std::move(object), "OK", ExitStatus::success);
    } else {
        output.result_line(at == std::string::npos ? std::string("OK")
                                                   : "OK\nversion: " + visible_name(version));
    }
    return finish(output, ExitStatus::success);
}

}  // namespace

int run_console(int argc, const char* const* argv, const ConsoleEnvironment& env) {
    const bool posix = platform::posix_command_line();
    CommandLineParser parser(console_prefix_chars, console_separator);
    define_console_options(parser);
    parser.set_posix_prefix_rules(posix);
    parser.set_command_line(env.command_line ? *env.command_line
                                             : command_line_from_argv(argc, argv));
    const std::vector<std::string> tokens = with_help_aliases(parser.tokens());
    parser.set_tokens(tokens);
    {
        ConsoleOutput output(env.streams, asks_for_json(tokens, posix));
        for (const std::string& token : tokens) {
            output.add_name(token);
        }
        if (tokens.empty()) {
            return command_line_error(output, console_text::no_arguments, parser);
        }
        // A mistaken option is named before the parse can blame something after it.
        std::string mistake = unknown_option_message(parser, tokens, posix);
        if (mistake.empty() && !parser.parse()) {
            mistake = parser.error_message();
            // The parser knows a second bare file name only by its hidden argument's name.
            if (mistake.find(std::string("'") + unnamed_parameter + "'") != std::string::npos) {
                mistake = console_text::several_firmware_files;
            }
        }
        if (mistake.empty()) {
            mistake = option_mistake(parser);
        }
        if (!mistake.empty()) {
            return command_line_error(output, mistake, parser);
        }
    }
    const ConsoleOptions options = read_console_options(parser);
    ConsoleOutput output(env.streams, options.json);
    output.add_name(options.firmware_file);
    output.add_name(options.counter);
    output.add_name(options.mask);
    if (options.help) {
        return show_help(output, parser);
    }
    if (options.version) {
        return show_version(output);
    }
    if (options.check) {
        return check_file(output, options.firmware_file);
    }
    if (options.history) {
        return finish(output, show_history(output, options.counter));
    }
    set_emulated_version(options.emulated_version);
    start_log(env.log_location ? env.log_location() : env.log_file);

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

    controller.set_mask(options.mask);
    controller.set_selected_address(options.counter);
    controller.set_firmware_file(options.firmware_file);
    controller.set_skip_burning(options.skip_burning);
    controller.set_dump_sending(options.dump_sending);
    controller.set_dump_firmware(options.dump_firmware);
    view.set_file_box(options.firmware_file);

    if (options.list) {
        const ExitStatus status = list_instruments(controller, view, output, options);
        const auto count = static_cast<std::int64_t>(
            status == ExitStatus::success ? view.instruments().size() : 0);
        json_outcome(output, outcome_start().add_number("instruments", count),
                     status == ExitStatus::success ? std::string() : view.last_message(), status);
        return finish(output, status);
    }
    if (!options.reset && names_several_counters(options.counter)) {
        return finish(output, update_counters(controller, view, output, options, confirmation,
                                              progress_mode_for(options, env)));
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
