#include "console/console_presenter.hpp"

#include "cmdline/trim.hpp"
#include "console/console_texts.hpp"
#include "platform/message_box.hpp"

namespace hx4x {

namespace {

namespace text = console_text;

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
        return ask(request.text) ? platform::answer_yes : platform::answer_no;
    }
    show(request.kind, request.text, false);
    return platform::answer_ok;
}

void ConsolePresenter::show(MessageKind kind, const std::string& text, bool is_result) {
    if (output_.json()) {
        JsonObject object;
        object.add("event", "message");
        if (!resource_.empty()) {
            object.add("resource", resource_);
        }
        output_.json_line(object.add("kind", message_kind_name(kind)).add("text", text));
    }
    // Standard output stays for JSON lines alone when they are asked for.
    if (is_result && !output_.json()) {
        output_.result_line(text);
    } else {
        output_.message_line(message_prefix(kind), text);
    }
}

bool ConsolePresenter::ask(const std::string& question) {
    bool yes = false;
    switch (confirmation_) {
        case Confirmation::by_option:
            output_.message_line(text::info_prefix, question);
            output_.message_line(text::info_prefix, text::confirmed_by_option);
            yes = true;
            break;
        case Confirmation::impossible:
            output_.message_line(text::info_prefix, question);
            output_.message_line(text::error_prefix, text::confirmation_needs_yes);
            break;
        case Confirmation::on_terminal:
            output_.question(question);
            yes = ask_on_terminal();
            break;
    }
    if (output_.json()) {
        JsonObject object;
        object.add("event", "question");
        if (!resource_.empty()) {
            object.add("resource", resource_);
        }
        output_.json_line(object.add("text", question).add("answer", yes ? "yes" : "no"));
    }
    return yes;
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
