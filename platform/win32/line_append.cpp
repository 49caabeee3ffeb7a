#include "platform/line_append.hpp"

#include <windows.h>

#include <limits>

namespace hx4x::platform {

namespace {

// How long a writer waits for another's append before it writes all the same: an append
// takes microseconds, so only a writer that hangs holds the others this long.
constexpr DWORD turn_wait_ms = 5000;

// Writers on this machine take turns. The system's append access already puts each write
// whole at the end of a local file; the turn also holds where the append is no single step
// (under Wine, writers were seen to overwrite each other's lines without it).
class AppendTurn {
  public:
    AppendTurn() : mutex_(CreateMutexA(nullptr, FALSE, "Local\\hx4x-line-append")) {
        if (mutex_ != nullptr) {
            const DWORD waited = WaitForSingleObject(mutex_, turn_wait_ms);
            owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~AppendTurn() {
        if (owned_) {
            ReleaseMutex(mutex_);
        }
        if (mutex_ != nullptr) {
            CloseHandle(mutex_);
        }
    }
    AppendTurn(const AppendTurn&) = delete;
    AppendTurn& operator=(const AppendTurn&) = delete;

  private:
    HANDLE mutex_;
    bool owned_ = false;
};

}  // namespace

AppendResult append_in_one_write(const std::string& path, std::string_view text) {
    if (text.size() > std::numeric_limits<DWORD>::max()) {
        return AppendResult::cut_short;
    }
    // Append access alone makes the system put every write at the file's end at the moment
    // of writing, even with other processes writing too; readers and other writers share it.
    // The A call, as every file call of the platform: paths are in the system's code page.
    const HANDLE handle = CreateFileA(
        path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return AppendResult::not_opened;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        CloseHandle(handle);
        return AppendResult::not_a_file;
    }
    DWORD written = 0;
    BOOL wrote = FALSE;
    DWORD write_error = 0;
    {
        const AppendTurn turn;
        wrote = WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        write_error = GetLastError();
    }
    CloseHandle(handle);
    if (!wrote) {
        SetLastError(write_error);
        return AppendResult::not_written;
    }
    return written == text.size() ? AppendResult::appended : AppendResult::cut_short;
}

}  // namespace hx4x::platform
