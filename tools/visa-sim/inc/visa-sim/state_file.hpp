#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace hx4x::visa_sim {

// A file several processes share: reads and writes at offsets and an exclusive lock between
// processes (flock on POSIX, LockFileEx on Windows). The lock goes with the process, so one
// killed while it held the lock does not block the others.
class SharedFile {
  public:
    SharedFile() = default;
    ~SharedFile() { close(); }
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    // Opens the file for reading and writing, creating it empty when missing.
    bool open(const std::string& path);
    void close();
    bool is_open() const;

    bool lock();
    void unlock();

    std::uint64_t size() const;
    // Exactly `length` bytes at `offset`; false when the file ends before.
    bool read_at(std::uint64_t offset, void* data, std::size_t length) const;
    bool write_at(std::uint64_t offset, const void* data, std::size_t length);
    bool truncate(std::uint64_t length);

  private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

std::uint64_t current_process_id();
// False once the process has ended (a reused id counts as alive).
bool process_alive(std::uint64_t id);

}  // namespace hx4x::visa_sim
