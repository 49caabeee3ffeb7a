#pragma once

#include <array>
#include <cstddef>

namespace hx4x {

// Every text the update sends to a counter, byte for byte. The session adds no line ending.
enum class ProtocolCommand : std::size_t {
    identify,                // connect
    reset,                   // reset, newer preparation, failed transfer
    preset,                  // preparation, 111 and above
    delete_user_memory,      // preparation, 111 and above
    unprotect_and_save,      // preparation, 111 and above
    prepare_firmware,        // preparation, always
    data_header,             // followed by the digit count, the size and the block
    error_query,             // error queue, after every data command, end of the burn
    polling_update,          // polling burn (up to 100)
    polling_complete_query,  // polling burn
    enable_power_on_event,   // service-request burn, not on USB
    clear_status,            // service-request burn
    enable_complete_event,   // service-request burn, on USB
    usb_update,              // service-request burn, on USB
    usb_operation_complete,  // service-request burn, on USB
    update,                  // service-request burn, not on USB
    event_status_query,      // service-request burn, after the request
    disable_events,          // service-request burn, after reading the event status
    count
};

inline constexpr std::array<const char*, static_cast<std::size_t>(ProtocolCommand::count)>
    protocol_command_texts = {
        ":ABOR; *IDN?",
        ":ABOR; *rst; *PSC 0; *CLS",
        ":SYST:PRES",
        ":SYST:MEM:DEL:ZUBNORAQ",
        ":SYST:UNPR;*SAV 0",
        ":SYSTEM:FIRMWARE:PREPARE",
        "SYST:FIRM:DATA #",
        "SYST:ERR?",
        "SYST:FIRM:UPD;*OPC",
        "*OPC?",
        "*ESE 128;:*SRE 32;:*PSC 0",
        "*CLS",
        "*ESE 1;:*SRE 32",
        "SYST:FIRM:UPD;:*OPC",
        "*OPC",
        "SYST:FIRM:UPD",
        "*ESR?",
        "*ESE 0;:*SRE 0",
};

constexpr const char* command_text(ProtocolCommand command) {
    return protocol_command_texts[static_cast<std::size_t>(command)];
}

}  // namespace hx4x
