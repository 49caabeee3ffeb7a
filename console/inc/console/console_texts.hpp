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

// A token that looks like an option and names none: head, the token as written up to its
// "=", "'"; then, when an option is close to it, the hint head, that option's name, "'?".
inline constexpr const char* unknown_option_head = "Unknown argument name: '";
inline constexpr const char* did_you_mean_head = "; did you mean '";

inline constexpr const char* no_arguments =
    "No arguments given: name the firmware file, or give list, check, reset, history or help";
inline constexpr const char* firmware_file_twice =
    "The firmware file is given twice: give either hex_file= or a bare file name, not both";
inline constexpr const char* several_firmware_files =
    "More than one firmware file is given: name one file to update the counter with";
// The mask's length follows, then the tail.
inline constexpr const char* mask_too_long_head = "The value of the argument 'mask' is too long: ";
inline constexpr const char* mask_too_long_tail =
    " characters, while VISA takes search expressions of at most 255";

// The loader's own reason follows.
inline constexpr const char* visa_library_unusable =
    "The VISA library named by HX4X_VISA_LIBRARY cannot be used: ";

// version: the program's name, its version, then the build date after the separator.
inline constexpr const char* built_on = ", built ";
inline constexpr const char* no_version_record = "hx4x-update: no version record";

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

// Several counters at once: the confirmation's head, then one line per counter.
inline constexpr const char* several_confirmation_head = "Selected counters:\n\n";
inline constexpr const char* several_interrupted =
    "Interrupted: each counter stops at its next safe point and is reset; a burn already "
    "ordered runs to its end";
inline constexpr const char* reset_one_counter =
    "reset works on one counter at a time: name it with counter=";
// A name given in counter= that the search did not find; the name follows.
inline constexpr const char* counters_not_listed_head =
    "A counter given with counter= was not found:\n\t";

inline constexpr const char* burn_interrupt_refused =
    "Flash updating must not be interrupted: the interrupt is ignored and the update goes on";
inline constexpr const char* interrupted_before_update = "Interrupted before the update started";

}  // namespace hx4x::console_text
