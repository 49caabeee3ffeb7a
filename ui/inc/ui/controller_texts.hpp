#pragma once

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
inline constexpr const char* already_running =
    "Firmware update is already in progress.\nCancel current update to start new one";

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

}  // namespace hx4x::controller_text
