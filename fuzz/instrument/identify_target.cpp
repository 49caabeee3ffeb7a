#include "identify_target.hpp"

#include <cstdlib>
#include <string>

#include "instrument/identification.hpp"

namespace hx4x::fuzzing {

namespace {

void check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

bool is_separator(char c) {
    return c == ',' || c == ' ' || c == '\n' || c == '\t';
}

}  // namespace

void run_identify_case(std::string_view reply) {
    parse_version_number(reply);

    CounterIdentity identity;
    identity.model = "unchanged";
    if (!parse_identification("fuzz::INSTR", reply, identity)) {
        check(identity.model == "unchanged");
        return;
    }
    check(identity.resource_name == "fuzz::INSTR");
    check(identity.serial_number.size() == 6);
    check(!identity.firmware_version.empty());
    check(identity.firmware_version.find('\0') == std::string::npos);
    // The version text is the rest of the reply with single blanks between words.
    for (std::size_t i = 0; i < identity.firmware_version.size(); ++i) {
        const char c = identity.firmware_version[i];
        check(c == ' ' ? i > 0 && i + 1 < identity.firmware_version.size() &&
                             identity.firmware_version[i - 1] != ' '
                       : !is_separator(c));
    }
    bool known = false;
    for (const CounterMaker& maker : counter_makers()) {
        if (maker.name != identity.manufacturer) {
            continue;
        }
        for (std::string_view model : maker.models) {
            known = known || model == identity.model;
        }
    }
    check(known);
}

}  // namespace hx4x::fuzzing
