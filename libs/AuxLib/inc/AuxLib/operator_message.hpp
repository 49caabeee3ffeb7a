#pragma once

#include <string>

#include "platform/message_box.hpp"

namespace hx4x {

using platform::WindowHandle;

enum class MessageKind { information, error, warning, question };

enum class DefaultAnswer { yes, no };

// What a front end is asked to show: one modal box.
struct MessageBoxRequest {
    WindowHandle owner = nullptr;
    std::string title;
    std::string text;
    MessageKind kind = MessageKind::information;
    bool yes_no = false;      // Yes and No buttons instead of OK
    bool default_no = false;  // with yes_no: No is the default button
    unsigned style = 0;       // the same request in the platform's message-box style bits
};

// A front end installs one presenter to show boxes its own way (a window system's box, a
// console prompt, a test's recording). It returns the platform's answer: answer_ok, answer_yes,
// answer_no.
class MessagePresenter {
  public:
    virtual ~MessagePresenter() = default;
    virtual int present(const MessageBoxRequest& request) = 0;
};

// Installs a presenter (none: the platform's own box) and returns the one it replaces.
MessagePresenter* set_message_presenter(MessagePresenter* presenter);

// The title every box is built with: "Message" until start-up names the program.
std::string message_title();
void set_message_title(const std::string& title);

// One modal message box. It is shown at most once, and shown when it goes out of scope
// if nobody showed it before, so a message built on a failure path cannot get lost.
class OperatorMessage {
  public:
    OperatorMessage(MessageKind kind, std::string text);
    ~OperatorMessage();
    OperatorMessage(const OperatorMessage&) = delete;
    OperatorMessage& operator=(const OperatorMessage&) = delete;

    OperatorMessage& set_owner(WindowHandle owner);
    OperatorMessage& set_default_answer(DefaultAnswer answer);

    // OK box; the platform's result, or 0 when it was shown already.
    int show();
    // Yes/No box for questions; answer_yes or answer_no, or 0 when it was shown already.
    int ask();

    MessageKind kind() const { return kind_; }
    const std::string& title() const { return title_; }
    const std::string& text() const { return text_; }
    bool shown() const { return shown_; }

  private:
    int present(bool yes_no);

    MessageKind kind_;
    WindowHandle owner_ = nullptr;
    DefaultAnswer default_answer_ = DefaultAnswer::yes;
    std::string title_;
    std::string text_;
    bool shown_ = false;
};

}  // namespace hx4x
