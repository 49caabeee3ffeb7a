#include "platform/instance_token.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace hx4x::platform {

namespace {

// A lock held on a file: the system drops it when the process ends, however it ends, so a
// crashed copy never blocks the next start.
class LockFileToken : public InstanceToken {
  public:
    explicit LockFileToken(int descriptor) : descriptor_(descriptor) {}
    ~LockFileToken() override { close(descriptor_); }
    LockFileToken(const LockFileToken&) = delete;
    LockFileToken& operator=(const LockFileToken&) = delete;

  private:
    int descriptor_;
};

// The user's runtime folder, else a folder of the user's own that nobody else may enter, so
// another user can neither block nor take this user's token.
std::string lock_folder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return runtime;
    }
    const std::string folder = "/tmp/hx4x-" + std::to_string(static_cast<unsigned long>(getuid()));
    struct stat status {};
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return {};
    }
    if (lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != getuid() || (status.st_mode & 0077) != 0) {
        return {};
    }
    return folder;
}

}  // namespace

std::unique_ptr<InstanceToken> claim_instance_token(const std::string& name, bool& existed) {
    existed = false;
    const std::string folder = lock_folder();
    if (folder.empty()) {
        // Never beside the root folder: a folder nobody else may enter or none at all.
        errno = EACCES;
        return nullptr;
    }
    // One token per user, as a desktop session has one.
    const std::string path =
        folder + "/" + name + "." + std::to_string(static_cast<unsigned long>(getuid())) + ".lock";
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        return nullptr;
    }
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        existed = errno == EWOULDBLOCK;
        close(descriptor);
        return nullptr;
    }
    return std::make_unique<LockFileToken>(descriptor);
}

std::string machine_wide_token_name(const std::string& name) {
    return name;
}

}  // namespace hx4x::platform
