#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/emulated_version.hpp"
#include "console/console_app.hpp"
#include "fake_clock.hpp"
#include "hex_text.hpp"
#include "instrument/clock.hpp"
#include "temp_dir.hpp"

namespace hx4x::testing_support {

// A stdio stream on a temporary file whose contents can be read at any time.
class CapturedStream {
  public:
    CapturedStream() : file_(std::tmpfile()) {}
    ~CapturedStream() { std::fclose(file_); }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* file() const { return file_; }
    std::string text() const {
        // Read from the start, then back to the end, where the program's next write goes.
        std::fflush(file_);
        std::string content;
        std::rewind(file_);
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file_)) != 0) {
            content.append(buffer, got);
        }
        std::fseek(file_, 0, SEEK_END);
        return content;
    }

  private:
    std::FILE* file_;
};

// The console program run in this process against the emulated counter on a fake clock, so
// its pauses, sending and burn take no time.
class ConsoleRunTest : public ::testing::Test {
  protected:
    ConsoleRunTest() : scoped_clock(clock) {
        firmware = dir.file("fw.hex");
        write_file(firmware, firmware_hex_text("1.15", 4096));
    }
    ~ConsoleRunTest() override { set_emulated_version(0); }

    int run(std::vector<std::string> args) {
        args.insert(args.begin(), dir.file("hx4x-update"));
        std::vector<const char*> argv;
        for (const std::string& arg : args) {
            argv.push_back(arg.c_str());
        }
        ConsoleEnvironment environment;
        environment.streams.out = out.file();
        environment.streams.err = err.file();
        environment.streams.err_is_terminal = false;
        environment.input_is_terminal = false;
        environment.interrupts = [this] {
            if (interrupt_when && interrupt_when(err.text())) {
                ++interrupts;
            }
            return interrupts;
        };
        return run_console(static_cast<int>(argv.size()), argv.data(), environment);
    }

    // Lines of the standard error that start with this text.
    std::vector<std::string> err_lines_starting(const std::string& start) const {
        std::vector<std::string> lines;
        const std::string text = err.text();
        std::size_t begin = 0;
        while (begin < text.size()) {
            std::size_t end = text.find('\n', begin);
            end = end == std::string::npos ? text.size() : end;
            if (text.compare(begin, start.size(), start) == 0) {
                lines.push_back(text.substr(begin, end - begin));
            }
            begin = end + 1;
        }
        return lines;
    }

    FakeClock clock;
    ScopedClock scoped_clock;
    TempDir dir;
    CapturedStream out;
    CapturedStream err;
    std::string firmware;
    unsigned interrupts = 0;
    // Asked at every look at the interrupt count with the standard error so far; true raises
    // one more interrupt.
    std::function<bool(const std::string&)> interrupt_when;
};

}  // namespace hx4x::testing_support
