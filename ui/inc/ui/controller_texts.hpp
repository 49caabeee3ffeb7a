#pragma once

#include <string>

// Every text the update controller shows the operator, in one place.
namespace hx4x::controller_text {

inline constexpr const char* visa_not_installed = "VISA Runtime is not installed";
inline constexpr const char* no_instruments = "No connected instruments found";
inline constexpr const char* visa_init_error = "Error initialization VISA Runtime";
// The address follows the first part, the reasons the second.
inline constexpr const char* open_failure_head =
    "Can't open the counter with the following VISA symbolic address:\n\n\t";
inline constexpr const char* open_failure_tail =
    "\n\nThe reason might be one of the following:\n"
    "\t1. The counter is turned off or disconnected from computer\n"
    "\t2. The counter is already in use by another program\n"
    "\t3. The instrument with given address found but it is not a HX-4x/RV226x counter";
inline constexpr const char* no_firmware_file =
    "You need to specify firmware file before starting update";
inline constexpr const char* firmware_file_missing = "Firmware file doesn't exist:\n";
inline constexpr const char* update_failed =
    "Error updating firmware.\nPlease, perform power cycle of the counter and try again";
inline constexpr const char* canceled = "Operation canceled by user";
// The counter's version text follows.
inline constexpr const char* previous_firmware_head =
    "Error updating firmware.\nThe counter still reports its previous firmware version:\n\t";
inline constexpr const char* previous_firmware_tail =
    "\nPlease, perform power cycle of the counter and update it again";
inline constexpr const char* reset_failed =
    "The counter did not take the reset command and may still be in firmware loading mode.\n"
    "Please, perform power cycle of the counter";
// The address follows the head.
inline constexpr const char* counter_in_use_head =
    "The counter with the following VISA symbolic address is in use by another firmware "
    "loader on this computer:\n\n\t";
inline constexpr const char* counter_in_use_tail = "\n\nWait until it has finished, then try again";
// The file name, then the reason.
inline constexpr const char* unsendable_head = "The firmware file '";
inline constexpr const char* unsendable_middle = "' cannot be sent to this counter:\n";
inline std::string unsendable(const std::string& file, const std::string& reason) {
    return unsendable_head + file + unsendable_middle + reason;
}
// The identification rows follow.
inline constexpr const char* reset_done = "The counter was reset and identifies itself as:\n\n";
inline constexpr const char* already_running =
    "Firmware update is already in progress.\nCancel current update to start new one";

// "Error parsing file '" + file name + "'\n" + the reader's own text.
inline constexpr const char* parsing_error_head = "Error parsing file '";
inline constexpr const char* parsing_error_tail = "'\n";
inline std::string parsing_error(const std::string& file, const std::string& reason) {
    return parsing_error_head + file + parsing_error_tail + reason;
}

inline constexpr const char* preparing_caption = "Preparing counter...";
inline constexpr const char* preparing_error =
    "Communication error occurred during preparation for update";
inline constexpr const char* parsing_caption = "File parsing...";
inline constexpr const char* sending_caption = "Firmware sending...";
inline constexpr const char* sending_error = "Error sending firmware to the counter";
inline constexpr const char* burning_caption = "Flash updating (DO NOT INTERRUPT!)...";

inline constexpr const char* success_head = "Firmware update completed successfully\n\n";
inline constexpr const char* time_for_sending = "Time for sending: ";
inline constexpr const char* time_for_burning = "Time for burning: ";
inline constexpr const char* new_version = "\nNew firmware version is:\n\t";

// The identification rows, in the order shown.
inline constexpr const char* address_label = "VISA address:";
inline constexpr const char* manufacturer_label = "Manufacturer:";
inline constexpr const char* model_label = "Model:";
inline constexpr const char* serial_number_label = "Serial number:";
inline constexpr const char* firmware_version_label = "Firmware version:";

// The confirmation: the head, a row per identification line ("\t" + label + "\t", one more
// "\t" after the model label, the value and "\n"), the file part, the file name and "\n",
// the version line when the file has one, then the tail.
inline constexpr const char* confirmation_head = "Selected counter:\n\n";
inline constexpr const char* confirmation_file = "\nSelected firmware file:\n\n\tFile name:\t";
inline constexpr const char* confirmation_version = "\tFirmware version:\t";
// The file's SHA-256, so the operator can check it against the release notes.
inline constexpr const char* confirmation_sha256 = "\tSHA-256:\t";
inline constexpr const char* confirmation_tail = "\n\nContinue with firmware update?";

}  // namespace hx4x::controller_text
