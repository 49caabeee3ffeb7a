#include "firmware/firmware_setup.hpp"

namespace hx4x {

void configure_update_reader(HexFileReader& reader) {
    reader.set_extended_types_accepted(false);
    reader.set_type_accepted(record_data, true);
    reader.set_type_accepted(record_extended_linear_address, true);
    reader.set_type_accepted(record_end_of_file, true);
}

std::vector<SignatureScanner> make_update_scanners() {
    std::vector<SignatureScanner> scanners;
    scanners.reserve(3);
    scanners.emplace_back(firmware_signature_1, false, 0, '\0');
    scanners.emplace_back(firmware_signature_2, false, 0, '\0');
    scanners.emplace_back(firmware_version_keyword, true, firmware_version_max_length, '\0');
    return scanners;
}

FirmwareVersion read_firmware_version(const std::vector<SignatureScanner>& scanners) {
    for (const SignatureScanner& scanner : scanners) {
        if (scanner.pattern() == firmware_version_keyword) {
            FirmwareVersion version;
            version.known = scanner.complete();
            if (version.known) {
                version.text = scanner.value();
            }
            return version;
        }
    }
    return FirmwareVersion{};
}

bool load_firmware(HexFileReader& reader, const std::string& path, ProgressCallback callback,
                   void* context, FirmwareVersion* version, std::string* error) {
    configure_update_reader(reader);
    std::vector<SignatureScanner> scanners = make_update_scanners();
    if (!reader.load(path, scanners, callback, context, error)) {
        return false;
    }
    if (version != nullptr) {
        *version = read_firmware_version(scanners);
    }
    return true;
}

}  // namespace hx4x
