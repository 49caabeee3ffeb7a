#include "platform/file_access.hpp"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace hx4x::platform {

// The attributes are those of the entry itself: a symbolic link or junction carries the
// directory flag when it stands for a directory.
PathAttributes path_attributes(const std::string& path) {
    PathAttributes attributes;
    const DWORD found = GetFileAttributesA(path.c_str());
    if (found == INVALID_FILE_ATTRIBUTES) {
        return attributes;
    }
    attributes.exists = true;
    attributes.directory = (found & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return attributes;
}

bool delete_file(const std::string& path) {
    return DeleteFileA(path.c_str()) != 0;
}

bool make_folders(const std::string& path) {
    // A part that cannot be made (the drive "C:", the server of a UNC path) may well exist;
    // only the whole path being a folder at the end counts.
    for (std::size_t at = path.find_first_of("\\/", 1); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryA(path.c_str(), nullptr);
    const DWORD found = GetFileAttributesA(path.c_str());
    return found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {

std::FILE* stream_for(HANDLE handle, int open_flags, const char* mode) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), open_flags);
    if (descriptor < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, mode);
    if (stream == nullptr) {
        _close(descriptor);
    }
    return stream;
}

bool is_disk_file(HANDLE handle) {
    return GetFileType(handle) == FILE_TYPE_DISK;
}

}  // namespace

std::FILE* open_regular_file_for_reading(const std::string& path) {
    // Pipes and devices are refused by their type after the open, which does not wait.
    const HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!is_disk_file(handle) || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(handle);
        return nullptr;
    }
    return stream_for(handle, _O_RDONLY | _O_BINARY, "rb");
}

std::FILE* open_output_file_for_writing(const std::string& path,
                                        const std::string& protected_path) {
    // The reparse point itself is opened, so a link at the name is seen and refused instead
    // of written through.
    const HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!is_disk_file(handle) || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        CloseHandle(handle);
        return nullptr;
    }
    if (!protected_path.empty()) {
        const HANDLE guarded =
            CreateFileA(protected_path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (guarded != INVALID_HANDLE_VALUE) {
            BY_HANDLE_FILE_INFORMATION guarded_info{};
            const bool same = GetFileInformationByHandle(guarded, &guarded_info) &&
                              guarded_info.dwVolumeSerialNumber == info.dwVolumeSerialNumber &&
                              guarded_info.nFileIndexHigh == info.nFileIndexHigh &&
                              guarded_info.nFileIndexLow == info.nFileIndexLow;
            CloseHandle(guarded);
            if (same) {
                CloseHandle(handle);
                return nullptr;
            }
        }
    }
    if (!SetEndOfFile(handle)) {
        CloseHandle(handle);
        return nullptr;
    }
    return stream_for(handle, _O_WRONLY | _O_BINARY, "wb");
}

}  // namespace hx4x::platform
