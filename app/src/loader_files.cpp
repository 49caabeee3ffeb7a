#include "app/loader_files.hpp"

#include <cstdlib>

#include "cmdline/file_path.hpp"
#include "platform/user_folders.hpp"

namespace hx4x {

namespace {

constexpr const char* folder_name = "hx4x-loader";

LoaderFiles beside(const std::string& program) {
    FilePath path;
    path.assign(program);
    LoaderFiles files;
    path.extension = "ini";
    files.settings = path.full_path();
    path.extension = "log";
    files.log = path.full_path();
    files.truncate_log = true;
    return files;
}

std::string in_folder(const std::string& folder, const std::string& file) {
    return folder.empty() ? std::string() : folder + "/" + file;
}

}  // namespace

LoaderFiles loader_files(const platform::ProgramPlace& place, const UserBaseFolders& user) {
    if (place.follow_written) {
        return beside(place.written);
    }
    if (!place.resolved.empty() && place.folder_writable) {
        return beside(place.resolved);
    }
    // A program the system could not name is still known by the name it was started with.
    FilePath program;
    program.assign(place.resolved.empty() ? place.written : place.resolved);
    LoaderFiles files;
    files.truncate_log = false;
    if (program.name.empty()) {
        return files;
    }
    files.settings =
        in_folder(platform::xdg_folder(user.config_home, user.home, ".config", folder_name),
                  program.name + ".ini");
    files.log =
        in_folder(platform::xdg_folder(user.state_home, user.home, ".local/state", folder_name),
                  program.name + ".log");
    return files;
}

LoaderFiles loader_files(const std::string& written_program_path) {
    return loader_files(
        platform::program_place(written_program_path),
        {std::getenv("XDG_CONFIG_HOME"), std::getenv("XDG_STATE_HOME"), std::getenv("HOME")});
}

}  // namespace hx4x
