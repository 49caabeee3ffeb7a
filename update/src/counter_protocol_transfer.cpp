#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

#include "AuxLib/Handle"
#include "AuxLib/scope_guard.hpp"
#include "app/emulated_version.hpp"
#include "instrument/performance_timer.hpp"
#include "platform/file_access.hpp"
#include "update/counter_protocol.hpp"
#include "update/data_command.hpp"
#include "update/dump_lines.hpp"
#include "update/fill_block.hpp"
#include "update/protocol_timing.hpp"
#include "update/reply_parsing.hpp"

namespace hx4x {

namespace {

void open_dump(FileHandle& handle, DumpOutcome& outcome, bool wanted,
               const std::string& firmware_path, const char* extension, const std::string& tag) {
    outcome = DumpOutcome{};
    if (!wanted) {
        return;
    }
    outcome.requested = true;
    outcome.path = dump_file_name(firmware_path, extension, tag);
    // A dump that cannot be opened is only skipped: it is a diagnostic, not the update. It
    // never replaces the firmware file it is named after, nor writes through a link.
    handle.reset(platform::open_output_file_for_writing(outcome.path, firmware_path));
    outcome.opened = static_cast<bool>(handle);
}

// Whether everything written to the dump reached the file; checked before the handle
// closes it, while the stream's error state can still be read.
void note_dump_end(const FileHandle& handle, DumpOutcome& outcome) {
    if (handle) {
        const bool flushed = std::fflush(handle.get()) == 0;
        outcome.complete = flushed && std::ferror(handle.get()) == 0;
    }
}

}  // namespace

CounterProtocol::BlockEnd CounterProtocol::send_block(const std::string& command,
                                                      std::uint32_t& commands_sent,
                                                      const TransferPosition& position) {
    const bool emulated = emulation_on();
    for (int attempt = 0; attempt < block_attempts; ++attempt) {
        if (!session_.write_bytes(reinterpret_cast<const std::uint8_t*>(command.data()),
                                  command.size())) {
            return BlockEnd::write_failed;
        }
        ++commands_sent;
        if (identity_.version_number < full_preparation_from_version &&
            commands_sent >= late_command_count) {
            // Older firmware falls behind once its receive buffer has filled up.
            wait_ms(emulated ? emulated_command_pause_ms : late_command_pause_ms);
        }
        if (emulated) {
            return BlockEnd::confirmed;
        }
        std::array<char, reply_capacity + 1> reply{};
        if (session_.query(command_text(ProtocolCommand::error_query), reply.data(),
                           static_cast<int>(reply_capacity)) &&
            reply_reports_no_error(reply.data())) {
            return BlockEnd::confirmed;
        }
        // A counter that stopped answering costs a whole time-out per attempt: the operator's
        // cancel is looked at after each one, not only once all of them have run out. The
        // command and its query are complete here, so the reset that follows is heard.
        if (!position.report()) {
            return BlockEnd::cancelled;
        }
    }
    return BlockEnd::refused;
}

bool CounterProtocol::send_firmware(const HexFileReader& image, bool dump_sending,
                                    bool dump_firmware, ProgressCallback progress, void* context) {
    return send_firmware(image.file_name(), image.records(), dump_sending, dump_firmware, progress,
                         context);
}

bool CounterProtocol::send_firmware(const std::string& firmware_path,
                                    std::span<const HexRecord> records, bool dump_sending,
                                    bool dump_firmware, ProgressCallback progress, void* context) {
    const std::uint32_t total = static_cast<std::uint32_t>(
        std::min<std::size_t>(records.size(), std::numeric_limits<std::uint32_t>::max()));
    records = records.first(total);
    session_.set_timeout(transfer_timeout_ms);
    const std::uint8_t width = block_width_for(identity_.version_number);

    ScopeGuard reset_guard([this] { reset(); });

    // A record no block can carry would be lost or never leave the walk: refuse the image
    // before the counter sees any of it.
    if (!image_fits_blocks(records, width)) {
        dump_report_ = DumpReport{};
        return false;
    }

    // Declared after the guard, so the dumps are closed before the reset goes out.
    FileHandle sending_dump;
    FileHandle firmware_dump;
    open_dump(sending_dump, dump_report_.sending, dump_sending, firmware_path, "sending",
              dump_tag_);
    open_dump(firmware_dump, dump_report_.firmware, dump_firmware, firmware_path, "firmware",
              dump_tag_);
    ScopeGuard dumps_end([&] {
        note_dump_end(sending_dump, dump_report_.sending);
        note_dump_end(firmware_dump, dump_report_.firmware);
    });

    TransferPosition position{progress, context, 0, total};
    FirmwareBlock block(width);
    std::uint32_t upper_address = 0;
    std::uint32_t commands_sent = 0;
    std::size_t index = 0;
    while (index < records.size()) {
        const std::size_t next = fill_block(records, index, block, upper_address);
        if (next == index) {
            // Cannot happen after the image check; never spin on it regardless.
            return false;
        }
        if (!block.empty()) {
            const std::string command =
                build_data_command(block, sending_dump.get(), firmware_dump.get());
            const BlockEnd end = send_block(command, commands_sent, position);
            if (end == BlockEnd::write_failed) {
                // The bus is gone; a reset could not reach the counter either.
                reset_guard.dismiss();
            }
            if (end != BlockEnd::confirmed) {
                return false;
            }
            position.done = static_cast<std::uint32_t>(std::min<std::size_t>(next + 1, total));
            if (!position.report()) {
                return false;
            }
        }
        index = next;
    }

    position.done = total;
    if (!position.report()) {
        return false;
    }
    reset_guard.dismiss();
    return true;
}

}  // namespace hx4x
