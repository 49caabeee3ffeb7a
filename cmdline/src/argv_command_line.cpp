#include "cmdline/argv_command_line.hpp"

namespace hx4x {

std::string command_line_from_argv(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        if (argv == nullptr || argv[i] == nullptr) {
            continue;
        }
        if (!line.empty()) {
            line += ' ';
        }
        // Quoting every argument keeps its blanks inside one token.
        line += '"';
        for (const char* c = argv[i]; *c != '\0'; ++c) {
            if (*c != '"') {
                line += *c;
            }
        }
        line += '"';
    }
    return line;
}

}  // namespace hx4x
