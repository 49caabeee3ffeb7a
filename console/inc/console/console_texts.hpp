#pragma once

// The console front end's own texts; every other text comes from the update controller.
namespace hx4x::console_text {

inline constexpr const char* error_prefix = "error: ";
inline constexpr const char* warning_prefix = "warning: ";
inline constexpr const char* info_prefix = "info: ";

// Several instruments and none named: the list follows the head, one per line.
inline constexpr const char* several_counters_head =
    "Several instruments were found; name the one to update with counter=:\n";
// The named counter is not among those found: the address follows the head, then the list.
inline constexpr const char* counter_not_listed_head =
    "The counter given with counter= was not found:\n\t";
inline constexpr const char* instruments_found = "\n\nInstruments found:\n";

inline constexpr const char* confirm_prompt = "Continue? [y/N] ";
inline constexpr const char* confirmed_by_option = "Confirmed by the option yes";
inline constexpr const char* confirmation_needs_yes =
    "The update needs confirmation and there is no terminal to ask: give the option yes "
    "to confirm it on the command line";

inline constexpr const char* burn_interrupt_refused =
    "Flash updating must not be interrupted: the interrupt is ignored and the update goes on";
inline constexpr const char* interrupted_before_update = "Interrupted before the update started";

}  // namespace hx4x::console_text
