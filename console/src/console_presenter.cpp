#include "console/console_presenter.hpp"

#include <string_view>

#include "cmdline/trim.hpp"
#include "console/console_texts.hpp"
#include "platform/message_box.hpp"
#include "ui/controller_texts.hpp"

namespace hx4x {

namespace {

namespace text = console_text;

bool is_success_text(const std::string& message) {
    const std::string_view head = controller_text::success_head;
    return message.compare(0, head.size(), head) == 0;
}

std::string lower_case(std::string value) {
    for (char& c : value) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return value;
}

}  // namespace

const char* message_prefix(MessageKind kind) {
    switch (kind) {
        case MessageKind::error:
            return text::error_prefix;
        case MessageKind::warning:
            return text::warning_prefix;
        case MessageKind::information:
        case MessageKind::question:
            break;
    }
    return text::info_prefix;
}

const char* message_kind_name(MessageKind kind) {
    switch (kind) {
        case MessageKind::error:
            return "error";
        case MessageKind::warning:
            return "warning";
        case MessageKind::question:
            return "question";
        case MessageKind::information:
            break;
    }
    return "information";
}

int ConsolePresenter::present(const MessageBoxRequest& request) {
    if (request.yes_no) {
        const bool yes = ask(request.text);
        if (output_.json()) {
            output_.json_line(JsonObject()
                                  .add("event", "question")
                                  .add("text", request.text)
                                  .add("answer", yes ? "yes" : "no"));
        }
        return yes ? platform::IDYES : platform::IDNO;
    }
    if (output_.json()) {
        output_.json_line(JsonObject()
                              .add("event", "message")
                              .add("kind", message_kind_name(request.kind))
                              .add("text", request.text));
    }
    // Standard output stays for JSON lines alone when they are asked for.
    if (request.kind == MessageKind::information && is_success_text(request.text) &&
        !output_.json()) {
        output_.result_line(request.text);
    } else {
        output_.message_line(message_prefix(request.kind), request.text);
    }
    return platform::IDOK;
}

bool ConsolePresenter::ask(const std::string& question) {
    output_.message_line("", question);
    switch (confirmation_) {
        case Confirmation::by_option:
            output_.message_line(text::info_prefix, text::confirmed_by_option);
            return true;
        case Confirmation::impossible:
            output_.message_line(text::error_prefix, text::confirmation_needs_yes);
            return false;
        case Confirmation::on_terminal:
            break;
    }
    return ask_on_terminal();
}

bool ConsolePresenter::ask_on_terminal() {
    for (int attempt = 0; attempt < max_prompts; ++attempt) {
        output_.prompt(text::confirm_prompt);
        std::string line;
        const LineResult result = read_line_ ? read_line_(line) : LineResult::end_of_input;
        if (result != LineResult::line) {
            // Whatever was on the prompt line is left; the answer starts a fresh line.
            output_.prompt("\n");
            return false;
        }
        const std::string answer = lower_case(trim(line));
        if (answer == "y" || answer == "yes") {
            return true;
        }
        if (answer.empty() || answer == "n" || answer == "no") {
            return false;
        }
    }
    return false;
}

}  // namespace hx4x
