#pragma once

#include <string>

#include "app/options_receiver.hpp"
#include "app/program_options.hpp"
#include "cmdline/command_line_parser.hpp"

namespace hx4x {

// The application object's command-line side: it owns the parser with the program's option
// table and turns one command line into the option results and the emulated version.
class LoaderApp {
  public:
    static constexpr const char* prefix_chars = option_prefix_chars;
    static constexpr char separator = option_separator;

    LoaderApp();

    // Appends the program's twelve argument definitions to the parser.
    void define_options();

    // Parses the whole command line (program path first) and hands the results to the
    // receiver. False after the usage or the error box: the program then ends.
    bool process_command_line(OptionsReceiver& receiver, const std::string& command_line);

    const CommandLineParser& parser() const { return parser_; }

  private:
    CommandLineParser parser_;
};

}  // namespace hx4x
