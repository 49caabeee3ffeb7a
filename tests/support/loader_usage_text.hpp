#pragma once

#include <string>

namespace hx4x::testing_support {

// The window program's usage text, byte for byte, for a program started as loader.exe.
inline const std::string loader_usage =
    "Program usage format:\n"
    "\tloader.exe [ <argument name>[=<argument value>] ] ... ]\n"
    "\n"
    "Allowed arguments list:\n"
    "\n"
    "\t 1. bus=<bus type> - type of the bus used to connect device\n"
    "\t\tAllowed values for the parameter <bus type>:\n"
    "\t\t\tGPIB - connect only to GPIB devices\n"
    "\t\t\tUSB - connect only to USB devices\n"
    "\t\t\tANY - connect to devices of any type\n"
    "\n"
    "\t 2. mask=<VISA address mask> - a regular expression matching instruments\n"
    "\n"
    "\t 3. counter=<VISA address> - VISA symbolic address of the counter\n"
    "\n"
    "\t 4. hex_file=<file name> - name of the firmware hex-file\n"
    "\n"
    "\t 5. help - show command line format description\n"
    "\n"
    "\t 6. skip_readme - do not show screen with installation instructions\n"
    "\n"
    "\t 7. start - start firmware update immediately\n"
    "\n"
    "\t 8. skip_burning - send firmware to the counter but skip burning\n"
    "\n"
    "\t 9. dump_sending - dump binary data sent to the counter\n"
    "\n"
    "\t10. dump_firmware - dump firmware in a form of C-array initializer\n"
    "\n"
    "\t11. emulate_counter=<firmware version> - emulate connected counter\n"
    "\n";

}  // namespace hx4x::testing_support
