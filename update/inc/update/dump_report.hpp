#pragma once

#include <string>

namespace hx4x {

// What became of one dump asked for during the last transfer. A dump is a diagnostic: its
// failure never changes the update's result, but the operator should hear of it.
struct DumpOutcome {
    bool requested = false;
    std::string path;
    bool opened = false;    // refused (a link, the firmware file itself, no room) when false
    bool complete = false;  // every line written and flushed
};

struct DumpReport {
    DumpOutcome sending;
    DumpOutcome firmware;
};

}  // namespace hx4x
