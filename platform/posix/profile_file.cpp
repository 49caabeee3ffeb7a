#include "platform/profile_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/profile_text.hpp"

// The system has no profile calls: the file is read and edited with profile_text, and
// every write replaces the whole file atomically, so a reader, a crash or a full disk sees
// the old contents or the new, never a mix.
namespace hx4x::platform {

namespace {

// A settings file this program writes holds a few kilobytes. A larger one is not ours:
// it reads as missing keys and is never rewritten, and reading stops at this size, so a
// hostile file cannot take any amount of memory or time.
constexpr std::size_t largest_profile_file = 4 * 1024 * 1024;

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

// A new file that is removed again unless it was renamed into place.
class TemporaryFile {
  public:
    TemporaryFile() = default;
    ~TemporaryFile() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // A fresh name beside the target, so the rename stays within one file system.
    int create_beside(const std::string& target) {
        static std::atomic<unsigned> serial{0};
        const std::size_t slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string candidate = folder + "." + name + "." + std::to_string(::getpid()) + "." +
                                    std::to_string(serial++) + ".tmp";
            // 0666 lets the umask decide for a new settings file, as for any other new file.
            const int fd = ::open(candidate.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (fd >= 0) {
                path_ = std::move(candidate);
                return fd;
            }
            if (errno != EEXIST) {
                return -1;
            }
        }
        return -1;
    }

    bool rename_to(const std::string& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) {
            return false;
        }
        path_.clear();
        return true;
    }

  private:
    std::string path_;
};

enum class FileState { contents, missing, unusable };

struct FileContents {
    FileState state = FileState::unusable;
    std::string bytes;
    struct stat status {};
};

FileContents read_capped(const std::string& path) {
    FileContents file;
    // Non-blocking so that a FIFO at the path cannot hold the caller; only regular files
    // are read.
    Descriptor input(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (input.get() < 0) {
        if (errno == ENOENT) {
            file.state = FileState::missing;
        }
        return file;
    }
    if (::fstat(input.get(), &file.status) != 0 || !S_ISREG(file.status.st_mode)) {
        return file;
    }
    std::array<char, 16384> chunk{};
    for (;;) {
        const ssize_t got = ::read(input.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return file;
        }
        if (got == 0) {
            break;
        }
        const auto count = static_cast<std::size_t>(got);
        if (file.bytes.size() + count > largest_profile_file) {
            file.bytes.clear();
            return file;
        }
        file.bytes.append(chunk.data(), count);
    }
    file.state = FileState::contents;
    return file;
}

// The file a write replaces: through a symbolic link its target, since a rename over the
// link would put a plain file in its place. Empty when a link leads nowhere.
std::string write_target(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) {
        return path;
    }
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                               &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

}  // namespace

std::string read_profile_string(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& default_value) {
    if (path.empty() || !profile_entry_storable(section, key, {})) {
        return default_value;
    }
    const FileContents file = read_capped(path);
    if (file.state != FileState::contents) {
        return default_value;
    }
    std::optional<std::string> value = find_profile_value(file.bytes, section, key);
    return value ? std::move(*value) : default_value;
}

bool write_profile_string(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& value) {
    if (path.empty()) {
        return false;
    }
    const std::string target = write_target(path);
    if (target.empty()) {
        return false;
    }
    // A file that exists but cannot be read whole is left alone: rewriting it from nothing
    // would lose everything in it.
    const FileContents old = read_capped(target);
    if (old.state == FileState::unusable) {
        return false;
    }
    const std::optional<std::string> updated = with_profile_value(old.bytes, section, key, value);
    if (!updated) {
        return false;
    }
    if (old.state == FileState::contents && *updated == old.bytes) {
        return true;
    }

    TemporaryFile temporary;
    Descriptor output(temporary.create_beside(target));
    if (output.get() < 0) {
        return false;
    }
    if (old.state == FileState::contents) {
        if (::fchmod(output.get(), old.status.st_mode & 07777) != 0) {
            return false;
        }
        if (old.status.st_uid != ::geteuid() || old.status.st_gid != ::getegid()) {
            if (::fchown(output.get(), old.status.st_uid, old.status.st_gid) != 0) {
                // Only a privileged writer may give the file away; it then belongs to us,
                // as after any editor's save.
            }
        }
    }
    // The data must be on the disk before the rename makes it the file, or a crash could
    // leave an empty file under the old name. The folder itself is not synced: after a
    // crash it names the old file or the new, both whole.
    if (!write_all(output.get(), *updated) || ::fsync(output.get()) != 0 || !output.close()) {
        return false;
    }
    return temporary.rename_to(target);
}

}  // namespace hx4x::platform
