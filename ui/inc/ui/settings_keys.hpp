#pragma once

// The names of the settings file: one section, the two last-used keys and the stem of the
// numbered recent-files keys ("hex_file_name_0", "hex_file_name_1", ...).
namespace hx4x::settings_key {

inline constexpr const char* section = "HX4xLoader";
inline constexpr const char* last_used_instrument = "last_used_instrument";
inline constexpr const char* last_used_hex_file = "last_used_hex_file";
inline constexpr const char* hex_file_name = "hex_file_name";

}  // namespace hx4x::settings_key
