#include "loader_startup.hpp"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include <memory>
#include <optional>
#include <string>

#include "app/loader_startup.hpp"
#include "cmdline/argv_command_line.hpp"
#include "platform/command_line_rules.hpp"
#include "platform/process_info.hpp"
#include "platform/window_raise.hpp"
#include "ui_window/input_gate.hpp"
#include "ui_window/loader_dialog.hpp"
#include "ui_window/qt_message_presenter.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {

namespace {

constexpr char raise_request[] = "raise";

QString raise_channel_name() {
    return QString::fromLatin1(instance_token_name) + QLatin1Char('.') +
           QString::number(static_cast<qulonglong>(platform::user_id()));
}

// The window on Qt: the dialog, and a local channel on which a later copy asks it to come
// to the front where the system cannot find windows by title.
class QtFrontEnd : public LoaderFrontEnd {
  public:
    explicit QtFrontEnd(InputGate& gate) : gate_(gate) {}

    void raise_running_copy(const std::string& program_name) override {
        if (platform::raise_window_titled(program_name)) {
            return;
        }
        QLocalSocket socket;
        socket.connectToServer(raise_channel_name());
        if (socket.waitForConnected(1000)) {
            socket.write(raise_request);
            socket.waitForBytesWritten(1000);
        }
    }

    OptionsReceiver& create_window(LoaderIdentity identity) override {
        dialog_ = std::make_unique<LoaderDialog>(
            LoaderDialog::Identity{std::move(identity.program_name), std::move(identity.readme),
                                   to_qt_image(identity.pictures.logo),
                                   to_qt_image(identity.pictures.background)},
            gate_);
        return dialog_->wizard();
    }

    void run_window() override {
        QLocalServer raise_channel;
        QLocalServer::removeServer(raise_channel_name());
        raise_channel.listen(raise_channel_name());
        QObject::connect(&raise_channel, &QLocalServer::newConnection, dialog_.get(), [&] {
            while (QLocalSocket* caller = raise_channel.nextPendingConnection()) {
                caller->deleteLater();
                dialog_->bring_to_front();
            }
        });
        dialog_->show();
        dialog_->initialise();
        dialog_->exec();
    }

    void destroy_window() override { dialog_.reset(); }

  private:
    InputGate& gate_;
    std::unique_ptr<LoaderDialog> dialog_;
};

}  // namespace

int run_loader(int argc, char** argv) {
    // The whole command line goes to the program's own parser; Qt sees only the program
    // path, so it never takes an option meant for the program.
    const std::optional<std::string> native = platform::native_command_line();
    const std::string command_line = native ? *native : command_line_from_argv(argc, argv);
    int qt_argc = argc > 0 ? 1 : 0;
    char* qt_argv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    QApplication application(qt_argc, qt_argv);
    // The layout is made for the template font, Tahoma 8 (or the closest the system has).
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    QApplication::setFont(font);

    QtMessagePresenter presenter;
    InputGate gate;
    application.installEventFilter(&gate);
    QtFrontEnd front_end(gate);
    return run_loader_startup(front_end, presenter, command_line);
}

}  // namespace hx4x
