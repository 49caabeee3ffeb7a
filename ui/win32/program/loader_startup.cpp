#include "loader_startup.hpp"

#include <memory>
#include <optional>
#include <string>

#include "app/loader_startup.hpp"
#include "platform/command_line_rules.hpp"
#include "platform/message_box.hpp"
#include "platform/system_error.hpp"
#include "platform/window_raise.hpp"
#include "ui_win32/loader_dialog.hpp"

namespace hx4x::win32 {

namespace {

constexpr char window_failure_head[] =
    "The program cannot start: its window could not be opened.\n";

// Every box is the system's own, owned by the window that asks.
class SystemBoxPresenter : public MessagePresenter {
  public:
    int present(const MessageBoxRequest& request) override {
        return platform::show_message_box(request.owner, request.text, request.title,
                                          request.style);
    }
};

// The window on the Win32 dialog manager. A later copy finds it by its title, so nothing
// has to listen for raise requests.
class Win32FrontEnd : public LoaderFrontEnd {
  public:
    void raise_running_copy(const std::string& program_name) override {
        platform::raise_window_titled(program_name);
    }

    OptionsReceiver& create_window(LoaderIdentity identity) override {
        dialog_ = std::make_unique<LoaderDialog>(std::move(identity));
        return dialog_->wizard();
    }

    void run_window() override {
        if (!dialog_->run()) {
            // Ending without a word would look like a program that never started.
            const std::uint32_t code = platform::last_error();
            OperatorMessage(MessageKind::error, window_failure_head + platform::error_message(code))
                .show();
        }
    }

    void destroy_window() override { dialog_.reset(); }

  private:
    std::unique_ptr<LoaderDialog> dialog_;
};

}  // namespace

int run_loader() {
    SystemBoxPresenter presenter;
    Win32FrontEnd front_end;
    return run_loader_startup(front_end, presenter,
                              platform::native_command_line().value_or(std::string()));
}

}  // namespace hx4x::win32
