#include "console/whole_lines.hpp"

namespace hx4x {

// The console's streams on Windows go through the C library's text translation; writing
// past it would change the line ends, so lines go through the stream as they always did.
std::optional<bool> write_whole_lines_to_file(std::FILE*, std::string_view) {
    return std::nullopt;
}

}  // namespace hx4x
