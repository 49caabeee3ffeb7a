#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "visa-sim/counter_model.hpp"
#include "visa-sim/sim_clock.hpp"
#include "visa-sim/sim_config.hpp"
#include "visa-sim/state_file.hpp"

namespace hx4x::visa_sim {

// A counter whose lasting state lives in a file (counter key `state`), so that every process
// using the library sees one counter. Each call on the counter runs between attach and
// detach, under the file's lock: attach reloads only what another process changed since
// this one last looked (the header by its generation, the image by replaying the new end of
// the block log), detach writes back only what changed.
class SharedCounter {
  public:
    // The header at `path`, the block log at `path` + ".blocks"; both created when missing.
    bool open(const std::string& path);
    void attach(CounterModel& model, SimClock& clock, const ResourceConfig& config);
    // `own_sessions`: the sessions this process has open on the counter.
    void detach(CounterModel& model, const SimClock& clock, std::uint32_t own_sessions);
    // Other processes that have a session open on the counter and still run; while attached.
    std::vector<std::uint64_t> other_processes();

  private:
    void power_on(CounterModel& model, const ResourceConfig& config);
    void replay(CounterModel& model, std::uint64_t from, std::uint64_t to);

    std::string path_;
    SharedFile header_file_;
    SharedFile log_file_;
    std::uint64_t generation_ = 0;
    std::string body_;  // the header as last read or written, generation aside
    std::map<std::uint64_t, std::uint32_t> processes_;
    std::uint64_t log_epoch_ = 0;
    std::uint64_t log_bytes_ = 0;  // the part of the log the model holds
    bool locked_ = false;
};

}  // namespace hx4x::visa_sim
