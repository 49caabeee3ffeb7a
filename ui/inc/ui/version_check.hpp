#pragma once

#include <string>

#include "firmware/firmware_setup.hpp"
#include "instrument/counter_identity.hpp"

namespace hx4x {

// Whether a firmware file's version text and a counter's firmware version text name the same
// version: the first word of each, a letter before its digits dropped ("V1.10" is 1.10), compared
// as decimal numbers when both are ("1.1" and "1.10" agree), else as texts.
bool same_firmware_version(const std::string& file_version, const std::string& counter_version);

// Whether a counter identified before and after a burn shows that it still runs its previous
// firmware: exactly the same version text as before, while the file carries another version.
// A file without a version cannot tell, and reloading the version a counter runs is no fault.
bool still_runs_previous_firmware(const CounterIdentity& before, const CounterIdentity& after,
                                  const FirmwareVersion& file_version);

}  // namespace hx4x
