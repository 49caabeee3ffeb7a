#include "AuxLib/operator_message.hpp"

#include <utility>

namespace hx4x {

namespace {

MessagePresenter* installed_presenter = nullptr;

std::string& title_storage() {
    static std::string title = "Message";
    return title;
}

unsigned icon_of(MessageKind kind) {
    switch (kind) {
        case MessageKind::error:
            return platform::box_icon_error;
        case MessageKind::warning:
            return platform::box_icon_warning;
        case MessageKind::question:
            return platform::box_icon_question;
        case MessageKind::information:
            break;
    }
    return platform::box_icon_information;
}

}  // namespace

MessagePresenter* set_message_presenter(MessagePresenter* presenter) {
    return std::exchange(installed_presenter, presenter);
}

std::string message_title() {
    return title_storage();
}

void set_message_title(const std::string& title) {
    title_storage() = title;
}

OperatorMessage::OperatorMessage(MessageKind kind, std::string text)
    : kind_(kind), title_(message_title()), text_(std::move(text)) {}

OperatorMessage::~OperatorMessage() {
    try {
        show();
    } catch (...) {
        // A presenter that fails while the stack unwinds must not end the process.
    }
}

OperatorMessage& OperatorMessage::set_owner(WindowHandle owner) {
    owner_ = owner;
    return *this;
}

OperatorMessage& OperatorMessage::set_default_answer(DefaultAnswer answer) {
    default_answer_ = answer;
    return *this;
}

int OperatorMessage::show() {
    return present(false);
}

int OperatorMessage::ask() {
    return present(true);
}

int OperatorMessage::present(bool yes_no) {
    if (shown_) {
        return 0;
    }
    shown_ = true;
    MessageBoxRequest request;
    request.owner = owner_;
    request.title = title_;
    request.text = text_;
    request.kind = kind_;
    request.yes_no = yes_no;
    request.default_no = yes_no && default_answer_ == DefaultAnswer::no;
    request.style = icon_of(kind_) | (yes_no ? platform::box_yes_no : platform::box_ok) |
                    (request.default_no ? platform::box_default_button_2 : 0u);
    if (installed_presenter != nullptr) {
        return installed_presenter->present(request);
    }
    return platform::show_message_box(owner_, text_, title_, request.style);
}

}  // namespace hx4x
