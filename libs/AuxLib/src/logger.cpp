#include "AuxLib/logger.hpp"

#include <cstdarg>
#include <cstdlib>

#include "firmware/file_helpers.hpp"
#include "platform/process_info.hpp"

namespace hx4x {

namespace {

std::mutex& creation_lock() {
    static std::mutex lock;
    return lock;
}

Logger* process_logger = nullptr;

void close_process_logger() {
    if (process_logger != nullptr) {
        process_logger->close();
    }
}

constexpr char separator[] = "\n====================\n";

// Larger than any entry: the message is capped, the source and error texts are short.
constexpr std::size_t entry_buffer_size = 64 * 1024;

}  // namespace

Logger& Logger::instance() {
    std::lock_guard<std::mutex> guard(creation_lock());
    if (process_logger == nullptr) {
        // Never destroyed: objects destroyed late at exit may still log. Exit only closes it.
        process_logger = new Logger();
        std::atexit(close_process_logger);
    }
    return *process_logger;
}

Logger::Logger() : stream_(stdout) {}

Logger::~Logger() {
    close();
}

void Logger::set_log_file(const std::string& name, bool truncate) {
    if (name.empty()) {
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (stream_ != nullptr) {
        std::fflush(stream_);
    }
    if (mode_ == OutputMode::file) {
        close_file_locked();
    }
    stream_ = nullptr;
    truncate_ = truncate;
    mode_ = OutputMode::file;
    file_name_ = name;
    if (truncate_ && file_exists(name)) {
        delete_file_if_present(name);
    }
}

void Logger::use_standard_error() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    close();
    stream_ = stderr;
    mode_ = OutputMode::standard_error;
}

void Logger::set_stamped(bool stamped) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    stamped_ = stamped;
}

void Logger::close_file_locked() {
    if (mode_ == OutputMode::file && stream_ != nullptr) {
        std::fclose(stream_);
    }
    if (mode_ == OutputMode::file) {
        stream_ = nullptr;
        file_name_.clear();
    }
}

void Logger::open_log_file() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    std::FILE* file = std::fopen(file_name_.c_str(), truncate_ ? "wt" : "at");
    if (file != nullptr) {
        // One entry is one write: appended entries of several processes never interleave.
        std::setvbuf(file, nullptr, _IOFBF, entry_buffer_size);
        stream_ = file;
        return;
    }
    std::fprintf(stderr, "Can't open file for logging: %s\n", file_name_.c_str());
    if (stream_ != nullptr) {
        std::fflush(stream_);
    }
    close_file_locked();
    truncate_ = false;
    stream_ = stderr;
    mode_ = OutputMode::standard_error;
}

void Logger::log_message(const char* format, std::uint32_t category, std::uint32_t level,
                         const char* error_detail, const char* source_file, unsigned source_line,
                         const char* function_name, ...) {
    if (source_file == nullptr || source_line == 0 || function_name == nullptr) {
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (!enabled_ || (category & category_mask_) == 0 || (level & level_mask_) == 0) {
        return;
    }

    std::string entry = separator;
    if (stamped_) {
        entry += "TIME: " + platform::utc_time_text() +
                 " PID: " + std::to_string(platform::process_id()) + "\n";
    }
    entry += "SOURCE: ";
    entry += source_file;
    entry += "(" + std::to_string(source_line) + ")\n";
    if (error_detail != nullptr && error_detail[0] != '\0') {
        entry += "ERROR: ";
        entry += error_detail;
        entry += "\n";
    }
    if (format != nullptr) {
        char message[message_capacity + 1];
        va_list arguments;
        va_start(arguments, function_name);
        const int length = std::vsnprintf(message, sizeof message, format, arguments);
        va_end(arguments);
        // A message that did not fit is left out whole rather than cut.
        if (length >= 0 && static_cast<std::size_t>(length) <= message_capacity) {
            entry += "MESSAGE: ";
            entry.append(message, static_cast<std::size_t>(length));
        }
    }
    entry += separator;

    if (stream_ == nullptr && mode_ == OutputMode::file && !file_name_.empty()) {
        open_log_file();
    }
    if (stream_ != nullptr) {
        std::fwrite(entry.data(), 1, entry.size(), stream_);
        std::fflush(stream_);
    }
}

void Logger::close() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (stream_ != nullptr) {
        std::fflush(stream_);
    }
    close_file_locked();
    truncate_ = false;
}

Logger::OutputMode Logger::output_mode() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return mode_;
}

std::string Logger::file_name() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return file_name_;
}

}  // namespace hx4x
