#include "app/loader_startup.hpp"

#include <memory>

#include "AuxLib/logger.hpp"
#include "app/loader_app.hpp"
#include "app/loader_files.hpp"
#include "app/version_info.hpp"
#include "platform/instance_token.hpp"
#include "platform/module_path.hpp"
#include "platform/system_error.hpp"
#include "ui/product_text.hpp"
#include "ui/readme_page.hpp"

namespace hx4x {

namespace {

constexpr char token_failure_head[] =
    "The program cannot start: the lock that lets only one copy of it run could not be "
    "taken.\n";

void start_log(const CommandLineParser& parser) {
    const LoaderFiles files = loader_files(parser.program_path().full_path());
    if (!files.log.empty()) {
        Logger::instance().set_log_file(files.log, files.truncate_log);
    }
}

// Installs the presenter for the start-up's life, so that a box of the last moment still
// has the window toolkit's look and nothing shows through a presenter already gone.
class PresenterScope {
  public:
    explicit PresenterScope(MessagePresenter& presenter)
        : previous_(set_message_presenter(&presenter)) {}
    ~PresenterScope() { set_message_presenter(previous_); }
    PresenterScope(const PresenterScope&) = delete;
    PresenterScope& operator=(const PresenterScope&) = delete;

  private:
    MessagePresenter* previous_;
};

}  // namespace

int run_loader_startup(LoaderFrontEnd& front_end, MessagePresenter& presenter,
                       const std::string& command_line) {
    VersionInfo version;
    version.read(platform::module_path());
    const std::string program_name = version.string_value("InternalName");
    set_message_title(program_name);
    const PresenterScope presenting(presenter);

    bool existed = false;
    const std::unique_ptr<platform::InstanceToken> token =
        platform::claim_instance_token(instance_token_name, existed);
    if (!token) {
        if (existed) {
            if (!program_name.empty()) {
                front_end.raise_running_copy(program_name);
            }
            return 0;
        }
        // Ending without a word would look like a program that never started.
        const std::uint32_t code = platform::last_error();
        OperatorMessage(MessageKind::error, token_failure_head + platform::error_message(code))
            .show();
        return 1;
    }

    OptionsReceiver& window =
        front_end.create_window({program_name, program_readme(version),
                                 program_brand_pictures(release_file_name(version))});
    LoaderApp loader;
    if (!loader.process_command_line(window, command_line)) {
        front_end.destroy_window();
        return 0;
    }
    start_log(loader.parser());
    front_end.run_window();
    front_end.destroy_window();
    return 0;
}

}  // namespace hx4x
