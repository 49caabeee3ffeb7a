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

// The parser's report of a bad value, with the range the console accepts.
inline constexpr const char* emulate_value_head = "Illegal value '";
inline constexpr const char* emulate_value_tail =
    "' of the argument 'emulate_counter': a firmware version from 100 to 1000 is expected";

// The expression follows.
inline constexpr const char* mask_refused =
    "The VISA library refused the instrument search expression:\n\t";

inline constexpr const char* burn_skipped =
    "Burning was skipped (skip_burning): the counter still runs its previous firmware";

// The dump's file name follows.
inline constexpr const char* sending_dump_not_opened = "The sending dump could not be opened: ";
inline constexpr const char* firmware_dump_not_opened = "The firmware dump could not be opened: ";
inline constexpr const char* sending_dump_incomplete =
    "The sending dump could not be written completely: ";
inline constexpr const char* firmware_dump_incomplete =
    "The firmware dump could not be written completely: ";

inline constexpr const char* output_failed = "Some of the program's output could not be written";

inline constexpr const char* burn_interrupt_refused =
    "Flash updating must not be interrupted: the interrupt is ignored and the update goes on";
inline constexpr const char* interrupted_before_update = "Interrupted before the update started";

}  // namespace hx4x::console_text
