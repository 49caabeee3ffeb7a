#include "console/console_app.hpp"

#include "AuxLib/logger.hpp"
#include "AuxLib/operator_message.hpp"
#include "AuxLib/scope_guard.hpp"
#include "app/emulated_version.hpp"
#include "cmdline/argv_command_line.hpp"
#include "cmdline/command_line_parser.hpp"
#include "cmdline/file_path.hpp"
#include "console/console_options.hpp"
#include "console/console_presenter.hpp"
#include "console/console_result.hpp"
#include "console/console_texts.hpp"
#include "console/console_view.hpp"
#include "console/exit_status.hpp"
#include "firmware/firmware_check.hpp"
#include "ui/controller_texts.hpp"
#include "ui/update_controller.hpp"

namespace hx4x {

namespace {

void write_text(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

void start_log(const CommandLineParser& parser) {
    FilePath log_file;
    log_file.assign(parser.program_path().full_path());
    log_file.extension = "log";
    Logger::instance().set_log_file(log_file.full_path(), true);
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

bool is_listed(const std::vector<std::string>& instruments, const std::string& address) {
    for (const std::string& listed : instruments) {
        if (listed == address) {
            return true;
        }
    }
    return false;
}

ExitStatus list_instruments(UpdateController& controller, ConsoleView& view,
                            ConsoleOutput& output) {
    view.set_page(page_instruments);
    if (!controller.refresh_instruments()) {
        return exit_status_for(view.record());
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

// The search, the choice of the one counter to update, then the Start button's work.
void update_counter(UpdateController& controller, ConsoleView& view,
                    const ConsoleOptions& options) {
    view.set_page(page_instruments);
    if (!controller.refresh_instruments()) {
        return;
    }
    const std::vector<std::string>& found = view.instruments();
    if (!options.counter.empty() && !is_listed(found, options.counter)) {
        view.show_message(MessageKind::error,
                          console_text::counter_not_listed_head + options.counter +
                              console_text::instruments_found + instrument_lines(found));
        return;
    }
    // A script must never update whichever counter happens to come first.
    if (options.counter.empty() && found.size() > 1) {
        view.show_message(MessageKind::error,
                          console_text::several_counters_head + instrument_lines(found));
        return;
    }
    if (view.interrupt_pending()) {
        view.show_message(MessageKind::warning, console_text::interrupted_before_update);
        return;
    }
    view.set_page(page_update);
    controller.start_update();
}

}  // namespace

int run_console(int argc, const char* const* argv, const ConsoleEnvironment& env) {
    CommandLineParser parser(console_prefix_chars, console_separator);
    define_console_options(parser);
    parser.set_command_line(command_line_from_argv(argc, argv));
    if (!parser.parse()) {
        write_text(env.streams.err, parser.error_text() + "\n\n" + parser.usage_text());
        return exit_code(ExitStatus::command_line);
    }
    const ConsoleOptions options = read_console_options(parser);
    if (options.help) {
        write_text(env.streams.out, parser.usage_text() + "\n" + exit_status_table_text());
        return exit_code(ExitStatus::success);
    }
    set_emulated_version(options.emulated_version);
    start_log(parser);

    ConsoleOutput output(env.streams, options.json);
    ProgressRenderer progress(output, progress_mode_for(options, env));
    ConsoleView view(progress, env.interrupts);
    UpdateController controller(view);
    view.attach(controller);

    // The operator's answer is waited for in slices, so Ctrl-C at the prompt answers No.
    ConsolePresenter presenter(
        output, confirmation_for(options, env), [&view, &env](std::string& line) {
            return read_terminal_line(env.input_descriptor, line,
                                      [&view] { return view.interrupt_pending(); });
        });
    MessagePresenter* previous = set_message_presenter(&presenter);
    ScopeGuard restore_presenter([previous] { set_message_presenter(previous); });

    if (options.check) {
        if (options.firmware_file.empty()) {
            output.message_line(console_text::error_prefix, controller_text::no_firmware_file);
            return exit_code(ExitStatus::firmware_file);
        }
        return exit_code(check_firmware_file(options.firmware_file, env.streams.out)
                             ? ExitStatus::success
                             : ExitStatus::firmware_file);
    }

    controller.set_mask(options.mask);
    controller.set_selected_address(options.counter);
    controller.set_firmware_file(options.firmware_file);
    controller.set_skip_burning(options.skip_burning);
    controller.set_dump_sending(options.dump_sending);
    controller.set_dump_firmware(options.dump_firmware);
    view.set_file_box(options.firmware_file);

    if (options.list) {
        return exit_code(list_instruments(controller, view, output));
    }
    update_counter(controller, view, options);
    const ExitStatus status = exit_status_for(view.record());
    if (output.json()) {
        output.json_line(result_object(controller, view, options.firmware_file, status));
    }
    return exit_code(status);
}

}  // namespace hx4x
