#include "update/dump_lines.hpp"

#include "AuxLib/number_format.hpp"
#include "cmdline/file_path.hpp"

namespace hx4x {

std::string sending_dump_line(const std::string& header, const FirmwareBlock& block) {
    const std::uint32_t total = static_cast<std::uint32_t>(header.size() + block.size());
    std::string line;
    line.reserve(header.size() + 2 * block.size() + 40);
    line += "TOTAL=";
    line += NumberFormat(total).to_string();
    line += " SCPI=\"";
    line += header;
    line += "\" DATA=\"";
    static constexpr char hex_digits[] = "0123456789ABCDEF";
    const std::uint8_t* bytes = block.bytes();
    for (std::size_t i = 0; i < block.size(); ++i) {
        line += hex_digits[bytes[i] >> 4];
        line += hex_digits[bytes[i] & 0x0F];
    }
    line += "\"\r\n";
    return line;
}

std::string firmware_dump_line(const FirmwareBlock& block) {
    std::string line;
    line.reserve(4 * block.size() + 4);
    line += '{';
    const std::uint8_t* bytes = block.bytes();
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (i != 0) {
            line += ',';
        }
        line += NumberFormat(bytes[i]).to_string();
    }
    line += "},\r\n";
    return line;
}

std::string dump_file_name(const std::string& firmware_path, const std::string& extension,
                           const std::string& tag) {
    FilePath path;
    path.assign(firmware_path);
    if (!tag.empty()) {
        path.name += "-" + tag;
    }
    path.extension = extension;
    return path.full_path();
}

}  // namespace hx4x
