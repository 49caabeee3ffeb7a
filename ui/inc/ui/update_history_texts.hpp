#pragma once

// The update history's reasons for not writing or reading its file. Each is followed by the
// file or folder named and, where the system tells why, ": " and the system's text.
namespace hx4x::history_text {

inline constexpr const char* no_state_folder =
    "There is no folder for program state to keep the update history in";
inline constexpr const char* folder_not_made = "The folder of the update history cannot be made: ";
inline constexpr const char* not_opened = "The update history cannot be opened: ";
inline constexpr const char* not_a_file = "The update history is not a regular file: ";
inline constexpr const char* not_written = "The update history cannot be written: ";
inline constexpr const char* cut_short =
    "The update history took only part of the record (is the disk full?): ";
inline constexpr const char* not_read = "The update history cannot be read: ";
// The limit in MiB follows the file, then the tail.
inline constexpr const char* too_large = "The update history is too large to read: ";
inline constexpr const char* too_large_tail =
    " MiB at most; move it aside and a new one is begun with the next update";

}  // namespace hx4x::history_text
