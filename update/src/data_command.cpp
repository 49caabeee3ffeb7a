#include "update/data_command.hpp"

#include "AuxLib/number_format.hpp"
#include "app/emulated_version.hpp"
#include "instrument/performance_timer.hpp"
#include "update/dump_lines.hpp"
#include "update/protocol_commands.hpp"
#include "update/protocol_timing.hpp"

namespace hx4x {

namespace {

void write_line(std::FILE* file, const std::string& line) {
    // A dump that cannot be written is only a lost diagnostic; the transfer goes on.
    static_cast<void>(std::fwrite(line.data(), 1, line.size(), file));
}

}  // namespace

std::string data_command_header(const FirmwareBlock& block) {
    const std::string size = NumberFormat(static_cast<std::uint32_t>(block.size())).to_string();
    std::string header = command_text(ProtocolCommand::data_header);
    header += NumberFormat(static_cast<std::uint32_t>(size.size())).to_string();
    header += size;
    return header;
}

std::string build_data_command(const FirmwareBlock& block, std::FILE* sending_dump,
                               std::FILE* firmware_dump) {
    const std::string header = data_command_header(block);
    if (sending_dump != nullptr) {
        write_line(sending_dump, sending_dump_line(header, block));
    }
    if (firmware_dump != nullptr) {
        write_line(firmware_dump, firmware_dump_line(block));
    }
    if (sending_dump == nullptr && firmware_dump == nullptr && emulation_on()) {
        wait_ms(emulated_command_pause_ms);
    }
    std::string command;
    command.reserve(header.size() + block.size());
    command += header;
    command.append(reinterpret_cast<const char*>(block.bytes()), block.size());
    return command;
}

}  // namespace hx4x
