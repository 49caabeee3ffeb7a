#pragma once

#include <string>
#include <vector>

#include "AuxLib/operator_message.hpp"

namespace hx4x {

enum class ExitStatus : int {
    success = 0,
    command_line = 1,
    firmware_file = 2,
    no_instrument = 3,
    counter = 4,
    preparation = 5,
    sending = 6,
    burning = 7,
    cancelled = 8,
};

struct ShownMessage {
    MessageKind kind = MessageKind::information;
    std::string text;
};

// What one run showed the operator and how it stopped; enough to tell how it ended
// without a second opinion on the update itself.
struct RunRecord {
    std::vector<ShownMessage> messages;
    std::vector<std::string> captions;
    bool declined = false;
    bool cancel_delivered = false;
};

// One line per status: the code and what it means, for the usage text and the README.
std::string exit_status_table_text();

ExitStatus exit_status_for(const RunRecord& record);

inline int exit_code(ExitStatus status) {
    return static_cast<int>(status);
}

}  // namespace hx4x
