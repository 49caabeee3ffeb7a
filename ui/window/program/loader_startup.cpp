#include "loader_startup.hpp"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include <optional>
#include <string>
#include <vector>

#include "AuxLib/logger.hpp"
#include "AuxLib/operator_message.hpp"
#include "app/loader_app.hpp"
#include "app/version_info.hpp"
#include "cmdline/argv_command_line.hpp"
#include "cmdline/file_path.hpp"
#include "platform/command_line_rules.hpp"
#include "platform/instance_token.hpp"
#include "platform/module_path.hpp"
#include "platform/process_info.hpp"
#include "platform/window_raise.hpp"
#include "ui/brand_pictures.hpp"
#include "ui/product_text.hpp"
#include "ui/readme_page.hpp"
#include "ui_window/input_gate.hpp"
#include "ui_window/loader_dialog.hpp"
#include "ui_window/qt_message_presenter.hpp"
#include "ui_window/qt_text.hpp"

namespace hx4x {

namespace {

// One name for every file name and brand, so that any two copies exclude each other.
constexpr char instance_token_name[] = "VALDMORE_HX4x_RV226x_FIRMWARE_LOADER_IS_RUNNING";
constexpr char raise_request[] = "raise";

QString raise_channel_name() {
    return QString::fromLatin1(instance_token_name) + QLatin1Char('.') +
           QString::number(static_cast<qulonglong>(platform::user_id()));
}

// Brings the running copy's window to the front: by its title where the system finds
// windows so (Windows), else by asking that copy over its local channel.
void raise_running_copy(const std::string& program_name) {
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

// Restores the window unless it is maximised, then makes it the active one.
void bring_to_front(QWidget& window) {
    if ((window.windowState() & Qt::WindowMaximized) == 0) {
        window.showNormal();
    }
    window.raise();
    window.activateWindow();
}

void start_log(const CommandLineParser& parser) {
    FilePath log_file;
    log_file.assign(parser.program_path().full_path());
    log_file.extension = "log";
    Logger::instance().set_log_file(log_file.full_path(), true);
}

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

    VersionInfo version;
    version.read(platform::module_path());
    const std::string program_name = version.string_value("InternalName");
    set_message_title(program_name);

    bool existed = false;
    const std::unique_ptr<platform::InstanceToken> token =
        platform::claim_instance_token(instance_token_name, existed);
    if (!token) {
        if (existed && !program_name.empty()) {
            raise_running_copy(program_name);
        }
        return 0;
    }

    QtMessagePresenter presenter;
    set_message_presenter(&presenter);
    InputGate gate;
    application.installEventFilter(&gate);

    const BrandPictures pictures = program_brand_pictures(release_file_name(version));
    LoaderDialog dialog({program_name, program_readme(version), to_qt_image(pictures.logo),
                         to_qt_image(pictures.background)},
                        gate);
    LoaderApp loader;
    if (!loader.process_command_line(dialog, command_line)) {
        return 0;
    }
    start_log(loader.parser());

    QLocalServer raise_channel;
    QLocalServer::removeServer(raise_channel_name());
    raise_channel.listen(raise_channel_name());
    QObject::connect(&raise_channel, &QLocalServer::newConnection, &dialog, [&] {
        while (QLocalSocket* caller = raise_channel.nextPendingConnection()) {
            caller->deleteLater();
            bring_to_front(dialog);
        }
    });

    dialog.show();
    dialog.initialise();
    dialog.exec();
    set_message_presenter(nullptr);
    return 0;
}

}  // namespace hx4x
