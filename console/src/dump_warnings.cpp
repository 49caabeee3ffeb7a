#include "console/dump_warnings.hpp"

#include "console/console_texts.hpp"

namespace hx4x {

void warn_about_dumps(const DumpReport& dumps,
                      const std::function<void(const std::string&)>& warn) {
    struct Dump {
        const DumpOutcome& outcome;
        const char* not_opened;
        const char* incomplete;
    };
    for (const Dump& dump : {Dump{dumps.sending, console_text::sending_dump_not_opened,
                                  console_text::sending_dump_incomplete},
                             Dump{dumps.firmware, console_text::firmware_dump_not_opened,
                                  console_text::firmware_dump_incomplete}}) {
        if (!dump.outcome.requested) {
            continue;
        }
        if (!dump.outcome.opened) {
            warn(dump.not_opened + dump.outcome.path);
        } else if (!dump.outcome.complete) {
            warn(dump.incomplete + dump.outcome.path);
        }
    }
}

}  // namespace hx4x
