#pragma once

#include <memory>
#include <string>
#include <vector>

#include "console/console_options.hpp"
#include "console/console_output.hpp"
#include "console/exit_status.hpp"
#include "console/progress_renderer.hpp"
#include "firmware/hex_file_reader.hpp"
#include "ui/update_outcome.hpp"

namespace hx4x {

class ConsoleView;

// Whether counter= asks for several counters: "all", or names separated by commas.
bool names_several_counters(const std::string& counter);

// The counters counter= names among those found: every one for "all", else the names given
// (in any letter case), in the order given and each once. Names not found go to missing.
std::vector<std::string> chosen_counters(const std::string& counter,
                                         const std::vector<std::string>& found,
                                         std::vector<std::string>& missing);

// How one counter of a run ended.
struct CounterResult {
    std::string resource;
    UpdateOutcome outcome;
    ExitStatus status = ExitStatus::success;
    std::string result;  // the last text shown for it
};

// The firmware file, read and checked once for every counter of the run.
struct CheckedImage {
    std::shared_ptr<const HexFileReader> reader;
    std::string file;
    FirmwareVersion version;
    std::uint64_t size = 0;
    std::string sha256;
};

// Updates the counters at the same time, each on its own thread: USB counters each on their
// own, counters behind one GPIB board one transfer at a time while the others prepare, wait
// or burn. One confirmation covers them all. A counter that cannot be opened, that the image
// does not fit, that fails or is cancelled never stops another; an interrupt cancels each at
// its next safe point, and each burn already ordered runs to its end.
std::vector<CounterResult> update_several_counters(const std::vector<std::string>& counters,
                                                   const CheckedImage& image,
                                                   const ConsoleOptions& options,
                                                   ConsoleOutput& output, ConsoleView& view,
                                                   ProgressMode mode);

// The exit status of the whole run: 0 when every counter succeeded, else the highest.
ExitStatus overall_status(const std::vector<CounterResult>& results);

}  // namespace hx4x
