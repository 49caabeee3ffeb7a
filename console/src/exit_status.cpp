#include "console/exit_status.hpp"

#include <array>

namespace hx4x {

namespace {

constexpr std::array<const char*, 11> meanings = {
    "success",
    "command line error",
    "firmware file missing or refused",
    "no instrument found or VISA unavailable",
    "the counter cannot be opened or identified, is in use by another loader, or several match",
    "preparation failed",
    "sending failed",
    "burning, reconnection or reset failed, or the counter still runs its previous firmware",
    "cancelled or declined, or no terminal to confirm on and no yes",
    "output could not be written",
    "the update history cannot be read",
};

}  // namespace

std::string exit_status_table_text() {
    std::string table = "Exit status:\n";
    for (std::size_t code = 0; code < meanings.size(); ++code) {
        table += "  " + std::to_string(code) + "  " + meanings[code] + "\n";
    }
    return table;
}

}  // namespace hx4x
