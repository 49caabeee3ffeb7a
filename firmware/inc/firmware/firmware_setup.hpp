#pragma once

#include <string>
#include <vector>

#include "firmware/hex_file_reader.hpp"
#include "firmware/progress_callback.hpp"
#include "firmware/signature_scanner.hpp"

namespace hx4x {

inline constexpr const char* firmware_signature_1 = "R OZU Zavi Zerud";
inline constexpr const char* firmware_signature_2 = "VALDMORE";
inline constexpr const char* firmware_version_keyword = "KELDOR-VERSION:";
inline constexpr std::uint32_t firmware_version_max_length = 30;

// The version text embedded in a firmware file; known only when its capture completed.
struct FirmwareVersion {
    bool known = false;
    std::string text;
};

// Accepted types for an update: data, End Of File and Extended Linear Address only.
void configure_update_reader(HexFileReader& reader);

// The update's scanners in their order: the two required signatures, then the version.
std::vector<SignatureScanner> make_update_scanners();

// The version captured by the first scanner whose pattern is the version keyword.
FirmwareVersion read_firmware_version(const std::vector<SignatureScanner>& scanners);

// The whole set-up of an update: configures reader and scanners, loads the file once and,
// on success, reads the version into version (when given).
bool load_firmware(HexFileReader& reader, const std::string& path, ProgressCallback callback,
                   void* context, FirmwareVersion* version, std::string* error);

}  // namespace hx4x
