#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "visa-sim/status_names.hpp"

namespace hx4x::visa_sim {

// The fifteen entry points, in binding order; fault rules and call counts use these indexes.
inline constexpr std::array<std::string_view, 15> entry_point_names = {
    "viOpenDefaultRM",  "viOpen",         "viClose",        "viFindRsrc",   "viFindNext",
    "viGpibControlREN", "viGetAttribute", "viSetAttribute", "viWrite",      "viRead",
    "viEnableEvent",    "viWaitOnEvent",  "viReadSTB",      "viStatusDesc", "viFlush"};

enum class EntryPoint : std::size_t {
    open_default_rm,
    open,
    close,
    find_rsrc,
    find_next,
    gpib_control_ren,
    get_attribute,
    set_attribute,
    write,
    read,
    enable_event,
    wait_on_event,
    read_stb,
    status_desc,
    flush
};

// Calls first .. first + count - 1 (count 0: every call from first on).
struct CallRange {
    std::uint32_t first = 0;
    std::uint32_t count = 1;
    bool contains(std::uint32_t call) const {
        return call >= first && (count == 0 || call - first < count);
    }
};

struct FailRule {
    EntryPoint entry = EntryPoint::open_default_rm;
    CallRange calls;
    ViStatus status = 0;
};

struct BlockRejection {
    std::uint32_t block = 0;
    std::uint32_t attempts = 0;
};

// How a counter behaves from the burn order to the end of the flash.
enum class BurnAnswer {
    yes,   // executes commands as at any other time
    no,    // swallows messages, lets reads time out, raises no request
    drop,  // drops its sessions and leaves the bus until the flash ends (a USB counter)
};

struct ResourceConfig {
    std::string name;
    std::string idn = "VALDMORE,HX-40XL,100000,V1.15";
    std::optional<std::string> new_version;
    int length_field = 0;  // 0: from the version
    std::uint32_t burn_ms = 500;
    bool power_on_clear = false;
    std::string image_path;
    std::string image_map_path;
    bool no_srq = false;
    bool absent = false;
    std::vector<CallRange> read_timeouts;
    std::vector<BlockRejection> block_rejections;
    std::uint32_t refuse_reopen = 0;
    ViStatus refuse_reopen_status = visa::VI_ERROR_RSRC_NFOUND;
    std::uint32_t drop_after_count = 0;  // 0: never
    std::string drop_after_text;
    BurnAnswer burn_answer = BurnAnswer::yes;
    std::optional<std::uint32_t> early_srq_ms;  // a stale request this long after the order
    std::string state_path;                     // the counter's lasting state, shared by processes
};

struct SimConfig {
    ViStatus rm_status = visa::VI_SUCCESS;
    bool real_timeouts = false;
    std::string transcript_path;
    bool transcript_append = false;
    std::vector<FailRule> fail_rules;
    std::vector<ResourceConfig> resources;
};

// Parses the configuration text; false with "line N: what" in `error`.
bool parse_sim_config(std::string_view text, SimConfig* config, std::string* error);

}  // namespace hx4x::visa_sim
