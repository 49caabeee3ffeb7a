#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "cmdline/command_line_argument.hpp"
#include "cmdline/file_path.hpp"

namespace hx4x {

// A general command-line facility: the owner defines its arguments, hands over the whole
// command line as one text, parses once and then asks what was given. The first failure
// stops the parse with one message; the usage and error texts are generated from the
// definitions so the help always matches what is accepted.
class CommandLineParser {
  public:
    CommandLineParser(std::string prefix_chars, char separator);

    // Appends a definition; the returned reference stays valid for the parser's life.
    CommandLineArgument& define_argument(const std::string& name, const std::string& description,
                                         bool takes_value, bool case_sensitive, bool hidden);

    // Prefix rules for command lines that come from a POSIX argument vector: a doubled
    // hyphen is a prefix too ("--help"), and a slash is a prefix only before one of the
    // defined names, since everywhere else it starts an absolute path ("/lab/fw.hex").
    void set_posix_prefix_rules(bool on) { posix_prefix_rules_ = on; }

    // Splits the text into the program path and the tokens after it.
    void set_command_line(const std::string& text);

    // Replaces the tokens set_command_line found, for an owner that reads some tokens its own
    // way before the parse (the console's "-h").
    void set_tokens(std::vector<std::string> tokens) { tokens_ = std::move(tokens); }

    // Matches the tokens against the definitions; false after the first failure.
    bool parse();

    bool is_given(const std::string& name) const;
    std::string argument_value(const std::string& name, std::size_t index) const;

    // "Command line parsing error:\n\t" + the message; empty when the parse did not fail.
    std::string error_text() const;
    std::string usage_text() const;
    // One argument's entry of the usage text, without number and indentation.
    std::string argument_usage(std::size_t index) const;

    const FilePath& program_path() const { return program_path_; }
    const std::string& error_message() const { return error_message_; }
    const std::vector<std::string>& tokens() const { return tokens_; }
    const std::deque<CommandLineArgument>& arguments() const { return arguments_; }
    const std::string& prefix_chars() const { return prefix_chars_; }
    char separator() const { return separator_; }

  private:
    void emit(const std::string& pending);
    bool match(const std::string& token);
    bool fail(std::string message);
    CommandLineArgument* find(const std::string& text);
    const CommandLineArgument* find(const std::string& text) const;
    std::string without_prefix(const std::string& token) const;

    std::string prefix_chars_;
    char separator_;
    bool posix_prefix_rules_ = false;
    FilePath program_path_;
    std::string error_message_;
    std::vector<std::string> tokens_;
    // A deque keeps the references handed out by define_argument valid.
    std::deque<CommandLineArgument> arguments_;
};

// "Command line parsing error:\n\t" + the message: the report of a failed parse, also for a
// value that its program refuses after the parse.
std::string parse_error_text(const std::string& message);

// True when the text names this argument or allowed value: the text is trimmed and, unless
// the names are case-sensitive, both sides are upper-cased (a to z only) before comparing.
bool names_match(const std::vector<std::string>& names, bool case_sensitive,
                 const std::string& text);

}  // namespace hx4x
