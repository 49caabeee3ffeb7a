#pragma once

#include <cstdio>
#include <string>

namespace hx4x::usbtmc_emulator {

// The optional USB-level trace (`--trace FILE`): one line per URB, control request and
// device event, flushed as written so a test may read it while the program runs.
class Trace {
  public:
    Trace() = default;
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    bool open(const std::string& path);
    bool is_open() const { return file_ != nullptr; }
    void line(const std::string& device, const std::string& text);

  private:
    std::FILE* file_ = nullptr;
};

// Bytes as a trace shows them: printable ASCII as is, anything else (and '\') as \xHH;
// at most `limit` bytes, then "...".
std::string shown_bytes(const std::string& bytes, std::size_t limit = 80);

}  // namespace hx4x::usbtmc_emulator
