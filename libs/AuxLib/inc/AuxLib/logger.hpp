#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace hx4x {

// The process-wide log: entries of a source position, an optional system error text and a
// printf-style message, written to standard output until a log file is set, to that file
// once one is, and to standard error when the file cannot be opened.
class Logger {
  public:
    enum class OutputMode { standard_output = 0, standard_error = 1, file = 2 };

    static constexpr std::size_t message_capacity = 1023;

    // The one logger of the process, built on first use and closed at process exit.
    static Logger& instance();

    // A logger of its own, for tests; it starts like the process-wide one.
    Logger();
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Later entries go to the named file, opened (anew when truncating) at the first entry.
    // With truncation an existing file of that name is deleted at once.
    void set_log_file(const std::string& name, bool truncate);
    // Later entries go to standard error (a program whose standard output carries data).
    void use_standard_error();
    // Entries begin with a line of the time and the process id, for a log that several
    // processes append to.
    void set_stamped(bool stamped);

    // Writes one entry and flushes it. The format is the program's own literal, never
    // operator or file text: pass such text as an argument of "%s".
    void log_message(const char* format, std::uint32_t category, std::uint32_t level,
                     const char* error_detail, const char* source_file, unsigned source_line,
                     const char* function_name, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 9)))
#endif
        ;

    // What process exit does: flush, close a log file, forget its name.
    void close();

    OutputMode output_mode() const;
    std::string file_name() const;

  private:
    void open_log_file();
    void close_file_locked();

    mutable std::recursive_mutex lock_;
    bool enabled_ = true;
    std::uint32_t category_mask_ = 0xFFFFFFFFu;
    std::uint32_t level_mask_ = 0xFFFFFFFFu;
    OutputMode mode_ = OutputMode::standard_output;
    std::FILE* stream_;
    std::string file_name_;
    bool truncate_ = false;
    bool stamped_ = false;
};

}  // namespace hx4x
