#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "firmware/firmware_setup.hpp"
#include "instrument/counter_identity.hpp"
#include "update/dump_report.hpp"

namespace hx4x {

// The step of an update at which a run ended (for a successful run, the last one).
enum class UpdateStep {
    none,         // no update was started (not on the update page)
    open,         // opening and identifying the selected counter
    start_check,  // the firmware file named at the start: empty or missing
    prepare,
    parse,  // reading and checking the file, then the operator's confirmation
    send,
    burn,
    reconnect,  // opening the counter again after the burn to read its new version
    verify,     // the version read then: the counter must no longer run its previous one
    reset,      // the reset alone, to bring a counter out of loading mode
};

enum class StepEnd { done, declined, cancelled, failed };

// What one update run came to, for any front end to read instead of the texts it showed.
struct UpdateOutcome {
    UpdateStep step = UpdateStep::none;
    StepEnd end = StepEnd::failed;
    CounterIdentity before;  // as identified at the start
    CounterIdentity after;   // as identified after the burn; empty unless reconnected
    std::string file;
    // The firmware file's size and SHA-256 (64 lower-case hex digits), known once it was
    // checked, so a record of the update can prove which file it was.
    std::uint64_t file_size = 0;
    std::string file_sha256;
    FirmwareVersion file_version;  // known once the file was read and carries a version
    // The counter confirmed the burn and runs the new firmware (false with skip_burning).
    bool burned = false;
    std::uint64_t send_seconds = 0;
    std::uint64_t burn_seconds = 0;
    // Data bytes in the image's first n records, at index n (0 to the record count), so a
    // transfer's progress in records can be told in bytes.
    std::vector<std::uint64_t> bytes_after_records;
    DumpReport dumps;

    bool succeeded() const { return end == StepEnd::done; }
};

// Data bytes of the first n records at index n, counting data records only.
std::vector<std::uint64_t> bytes_after_records(const std::vector<HexRecord>& records);

}  // namespace hx4x
