#include "visa-sim/state_file.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace hx4x::visa_sim {

#ifdef _WIN32

namespace {

HANDLE as_handle(void* handle) {
    return static_cast<HANDLE>(handle);
}

OVERLAPPED at_offset(std::uint64_t offset) {
    OVERLAPPED overlapped{};
    overlapped.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return overlapped;
}

}  // namespace

bool SharedFile::open(const std::string& path) {
    close();
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    handle_ = handle;
    return true;
}

void SharedFile::close() {
    if (handle_ != nullptr) {
        CloseHandle(as_handle(handle_));
        handle_ = nullptr;
    }
}

bool SharedFile::is_open() const {
    return handle_ != nullptr;
}

bool SharedFile::lock() {
    OVERLAPPED whole = at_offset(0);
    return LockFileEx(as_handle(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) !=
           0;
}

void SharedFile::unlock() {
    OVERLAPPED whole = at_offset(0);
    UnlockFileEx(as_handle(handle_), 0, MAXDWORD, MAXDWORD, &whole);
}

std::uint64_t SharedFile::size() const {
    LARGE_INTEGER size{};
    if (GetFileSizeEx(as_handle(handle_), &size) == 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

namespace {

// Repeats a positioned read or write until all of it is done: either may stop short, and
// one call moves at most what a DWORD counts.
template <class Byte, class Transfer>
bool transfer_all(Byte* bytes, std::uint64_t offset, std::size_t length, Transfer transfer) {
    while (length > 0) {
        OVERLAPPED overlapped = at_offset(offset);
        const DWORD chunk = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        DWORD done = 0;
        if (transfer(bytes, chunk, &done, &overlapped) == 0 || done == 0) {
            return false;
        }
        bytes += done;
        offset += done;
        length -= done;
    }
    return true;
}

}  // namespace

bool SharedFile::read_at(std::uint64_t offset, void* data, std::size_t length) const {
    return transfer_all(static_cast<char*>(data), offset, length,
                        [this](char* bytes, DWORD count, DWORD* done, OVERLAPPED* at) {
                            return ReadFile(as_handle(handle_), bytes, count, done, at);
                        });
}

bool SharedFile::write_at(std::uint64_t offset, const void* data, std::size_t length) {
    return transfer_all(static_cast<const char*>(data), offset, length,
                        [this](const char* bytes, DWORD count, DWORD* done, OVERLAPPED* at) {
                            return WriteFile(as_handle(handle_), bytes, count, done, at);
                        });
}

bool SharedFile::truncate(std::uint64_t length) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    return SetFileInformationByHandle(as_handle(handle_), FileEndOfFileInfo, &end, sizeof end) != 0;
}

std::uint64_t current_process_id() {
    return GetCurrentProcessId();
}

bool process_alive(std::uint64_t id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
    if (process == nullptr) {
        // A process of another user may refuse to be opened, but it is there.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    DWORD code = 0;
    const bool alive = GetExitCodeProcess(process, &code) != 0 && code == STILL_ACTIVE;
    CloseHandle(process);
    return alive;
}

#else

bool SharedFile::open(const std::string& path) {
    close();
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

void SharedFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool SharedFile::is_open() const {
    return fd_ >= 0;
}

bool SharedFile::lock() {
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

void SharedFile::unlock() {
    ::flock(fd_, LOCK_UN);
}

std::uint64_t SharedFile::size() const {
    struct stat status {};
    if (::fstat(fd_, &status) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

namespace {

// Repeats a positioned read or write until all of it is done: either may stop short.
template <class Byte, class Transfer>
bool transfer_all(Byte* bytes, std::uint64_t offset, std::size_t length, Transfer transfer) {
    while (length > 0) {
        const ssize_t done = transfer(bytes, length, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        const auto count = static_cast<std::size_t>(done);
        bytes += count;
        offset += count;
        length -= count;
    }
    return true;
}

}  // namespace

bool SharedFile::read_at(std::uint64_t offset, void* data, std::size_t length) const {
    return transfer_all(static_cast<char*>(data), offset, length,
                        [this](char* bytes, std::size_t count, off_t at) {
                            return ::pread(fd_, bytes, count, at);
                        });
}

bool SharedFile::write_at(std::uint64_t offset, const void* data, std::size_t length) {
    return transfer_all(static_cast<const char*>(data), offset, length,
                        [this](const char* bytes, std::size_t count, off_t at) {
                            return ::pwrite(fd_, bytes, count, at);
                        });
}

bool SharedFile::truncate(std::uint64_t length) {
    return ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
}

std::uint64_t current_process_id() {
    return static_cast<std::uint64_t>(::getpid());
}

bool process_alive(std::uint64_t id) {
    // Signal 0 only asks whether the process exists; EPERM means it does, but is not ours.
    return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

#endif

}  // namespace hx4x::visa_sim
