#pragma once

#include <fstream>
#include <string>
#include <string_view>

namespace hx4x::visa_sim {

// Text as the transcript shows it: printable ASCII as is, except '\' and '>', everything else
// escaped, so a line never breaks and " -> " never appears inside a text.
std::string escape_text(std::string_view text);

// The call log: one flushed line per call.
class Transcript {
  public:
    // False when the file cannot be opened; the transcript then stays closed.
    bool open(const std::string& path, bool append);
    void close();
    bool is_open() const { return file_.is_open(); }
    void write_line(const std::string& line);

  private:
    std::ofstream file_;
};

}  // namespace hx4x::visa_sim
