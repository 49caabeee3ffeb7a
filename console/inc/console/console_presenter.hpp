#pragma once

#include <functional>
#include <string>

#include "AuxLib/operator_message.hpp"
#include "console/console_output.hpp"
#include "console/terminal.hpp"

namespace hx4x {

// How the update confirmation is answered.
enum class Confirmation {
    by_option,    // the option yes: Yes without asking
    on_terminal,  // the operator types y or n; No by default
    impossible,   // no terminal and no yes: No, and the message says that yes is needed
};

// Shows every OperatorMessage on the console: its kind as a prefix on standard error, the
// success text on standard output, a question printed and answered as configured. With
// JSON each message is also one object on standard output.
class ConsolePresenter : public MessagePresenter {
  public:
    // Reads one answer line typed by the operator.
    using ReadLine = std::function<LineResult(std::string& line)>;

    ConsolePresenter(ConsoleOutput& output, Confirmation confirmation, ReadLine read_line)
        : output_(output), confirmation_(confirmation), read_line_(std::move(read_line)) {}

    int present(const MessageBoxRequest& request) override;

    // The counter the messages are about, named in their JSON objects; empty: none.
    void set_resource(std::string resource) { resource_ = std::move(resource); }

    // One message; the result of an update goes to standard output unless JSON has it.
    void show(MessageKind kind, const std::string& text, bool is_result);
    // The confirmation, answered as configured; true for Yes.
    bool ask(const std::string& text);

    static constexpr int max_prompts = 3;

  private:
    bool ask_on_terminal();

    ConsoleOutput& output_;
    Confirmation confirmation_;
    ReadLine read_line_;
    std::string resource_;
};

// The prefix written before a message of this kind ("error: " and so on).
const char* message_prefix(MessageKind kind);
// The kind's name in JSON objects.
const char* message_kind_name(MessageKind kind);

}  // namespace hx4x
