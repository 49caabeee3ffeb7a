#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "firmware/hex_file_reader.hpp"
#include "firmware/hex_record.hpp"
#include "hex_text.hpp"
#include "ui/update_job.hpp"
#include "update/counter_protocol.hpp"

namespace hx4x::test {

struct ProgressLog {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;
    std::size_t cancel_at = 0;  // the call (from 1) that answers false; 0 never

    static bool callback(void* context, std::uint32_t done, std::uint32_t total) {
        auto* log = static_cast<ProgressLog*>(context);
        log->calls.emplace_back(done, total);
        return log->calls.size() != log->cancel_at;
    }
};

// What an update job reported, step by step, and how it ended.
struct JobRun : UpdateJobSink {
    std::string failed_step;  // empty when every step succeeded
    ProgressLog preparation;
    ProgressLog transfer;
    std::vector<int> burn_ticks;
    std::vector<std::string> messages;
    UpdateOutcome outcome;

    void begin_step(UpdateStep step, const char*, std::uint32_t) override { step_ = step; }
    bool progress(std::uint32_t done, std::uint32_t total) override {
        if (step_ == UpdateStep::prepare) {
            preparation.calls.emplace_back(done, total);
        } else if (step_ == UpdateStep::send) {
            transfer.calls.emplace_back(done, total);
        }
        return true;
    }
    void burn_tick(int tick) override { burn_ticks.push_back(tick); }
    void show(MessageKind, const std::string& text) override { messages.push_back(text); }
    bool confirm(const FirmwareVersion&, const std::string&) override { return true; }

  private:
    UpdateStep step_ = UpdateStep::none;
};

// The records as a file the reader loads, so the job sends exactly these.
inline std::shared_ptr<const HexFileReader> image_of(std::span<const HexRecord> records) {
    const std::string text = to_hex_text(records);
    auto reader = std::make_shared<HexFileReader>();
    reader->set_extended_types_accepted(true);
    std::vector<SignatureScanner> scanners;
    if (!reader->load_from_memory(text, "image.hex", scanners)) {
        return nullptr;
    }
    return reader;
}

// A whole update of one counter by the job the programs run: connection, then every step
// of the job, the reset and the reconnection included.
inline std::unique_ptr<JobRun> run_update(CounterProtocol& protocol, const std::string& resource,
                                          std::span<const HexRecord> records) {
    auto run = std::make_unique<JobRun>();
    if (!protocol.connect(resource)) {
        run->failed_step = "connect";
        return run;
    }
    run->outcome.before = protocol.identity();
    UpdateJob job(protocol, *run, run->outcome, {});
    job.run(image_of(records));
    if (!run->outcome.succeeded()) {
        static const char* const names[] = {"none", "open", "start_check", "prepare", "parse",
                                            "send", "burn", "reconnect",   "verify",  "reset"};
        run->failed_step = names[static_cast<int>(run->outcome.step)];
    }
    return run;
}

}  // namespace hx4x::test
