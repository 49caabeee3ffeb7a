#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "instrument/visa_types.hpp"
#include "visa-sim/counter_model.hpp"
#include "visa-sim/shared_counter.hpp"
#include "visa-sim/sim_clock.hpp"
#include "visa-sim/sim_config.hpp"
#include "visa-sim/transcript.hpp"

namespace hx4x::visa_sim {

using namespace hx4x::visa;

// The whole simulated VISA library: resource managers, sessions, search lists and events
// over the configured counters, with fault injection and the transcript. Not thread-safe;
// the exported entry points serialise the calls.
class VisaSimulator {
  public:
    static constexpr const char* config_variable = "HX4X_VISA_SIM_CONFIG";
    static constexpr std::uint32_t longest_wait_ms = 60000;
    static constexpr std::size_t event_queue_length = 50;
    // With real time-outs, a wait on a counter shared with other processes looks at the
    // state file this often, so what another process does shows during the wait.
    static constexpr std::uint64_t shared_poll_ms = 20;

    ViStatus open_default_rm(ViSession* rm);
    ViStatus open(ViSession rm, const char* name, ViAccessMode mode, ViUInt32 timeout_ms,
                  ViSession* vi);
    ViStatus close(ViObject object);
    ViStatus find_rsrc(ViSession rm, const char* expression, ViFindList* list, ViUInt32* count,
                       char* description);
    ViStatus find_next(ViFindList list, char* description);
    ViStatus gpib_control_ren(ViSession vi, ViUInt16 mode);
    ViStatus get_attribute(ViObject vi, ViAttr attribute, void* value);
    ViStatus set_attribute(ViObject vi, ViAttr attribute, ViAttrState value);
    ViStatus write(ViSession vi, const unsigned char* buffer, ViUInt32 count, ViUInt32* written);
    ViStatus read(ViSession vi, unsigned char* buffer, ViUInt32 count, ViUInt32* returned);
    ViStatus enable_event(ViSession vi, ViEventType type, ViUInt16 mechanism,
                          ViEventFilter context);
    ViStatus wait_on_event(ViSession vi, ViEventType type, ViUInt32 timeout_ms,
                           ViEventType* out_type, ViEvent* out_event);
    ViStatus read_stb(ViSession vi, ViUInt16* status);
    ViStatus status_desc(ViObject vi, ViStatus status, char* description);
    ViStatus flush(ViSession vi, ViUInt16 mask);

    // Drops every object and the configuration; the next resource manager starts afresh.
    void reset();

    // For in-process tests: the counter behind a resource, or null.
    const CounterModel* counter(const std::string& name) const;

  private:
    // The calls that only look at their session: an injected status, an unknown session or a
    // counter that left the bus.
    ViStatus session_only_call(EntryPoint entry, ViSession vi, const std::string& arguments);

    struct ResourceManager {};
    struct Session {
        std::size_t counter = 0;
        ViSession rm = 0;
        ViUInt32 timeout_ms = 2000;
        bool srq_enabled = false;
        std::deque<ViEventType> events;
        // Burn orders the counter had taken when the session opened: with `burn_answer
        // drop` a later order loses the session for good.
        std::uint32_t orders_at_open = 0;
    };
    struct FindList {
        ViSession rm = 0;
        std::vector<std::string> names;
        std::size_t next = 0;
    };
    struct Event {
        ViSession session = 0;
    };
    using Object = std::variant<ResourceManager, Session, FindList, Event>;

    struct Counter {
        ResourceConfig config;
        CounterModel model;
        bool on_bus = true;
        std::uint32_t reads = 0;
        std::uint32_t reopen_refusals = 0;
        std::uint32_t reboots_seen = 0;
        std::uint32_t requests_seen = 0;
        std::uint32_t drop_matches = 0;
        std::unique_ptr<SharedCounter> shared = nullptr;  // with the `state` key
        bool seen_state = false;                          // the state file was read once
        int holds = 0;
    };

    // Holds a counter for the length of one call (see SharedCounter); nests.
    class Hold {
      public:
        Hold(VisaSimulator& simulator, std::size_t counter);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        VisaSimulator& simulator_;
        std::size_t counter_;
    };

    void fresh_start();
    bool injected(EntryPoint entry, ViStatus* status);
    void log(EntryPoint entry, const std::string& target, const std::string& arguments,
             ViStatus status, bool injected_fault, const std::string& results = {});
    std::string target_name(ViObject object) const;
    ViObject new_handle(Object object);
    Session* session(ViObject vi);
    bool is_resource_manager(ViObject object) const;
    void sync_in(std::size_t counter);
    void sync_out(std::size_t counter);
    void pump(std::size_t counter);
    // Lets time pass up to `until` (the state file let go meanwhile) and brings the counter
    // up to the clock.
    void pass_time(std::size_t counter, std::uint64_t until_ms);
    // Lets time pass until `done` or the deadline, stopping at every moment the counter
    // changes by itself; true when done.
    bool wait_until(std::size_t counter, std::uint64_t deadline_ms,
                    const std::function<bool()>& done);
    std::uint64_t deadline_ms(ViUInt32 timeout_ms) const;
    std::uint32_t own_sessions(std::size_t counter) const;
    // On the bus and, with `burn_answer drop`, not flashing.
    bool visible(const Counter& counter) const;
    // Dropped by the counter during a flash (`burn_answer drop`).
    bool lost(const Session& session) const;

    bool loaded_ = false;
    std::string config_error_;
    SimConfig config_;
    std::vector<Counter> counters_;
    std::map<ViObject, Object> objects_;
    ViObject next_handle_ = 1;
    std::array<std::uint32_t, entry_point_names.size()> calls_{};
    SimClock clock_;
    Transcript transcript_;
};

}  // namespace hx4x::visa_sim
