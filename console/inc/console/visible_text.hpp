#pragma once

#include <string>
#include <string_view>

namespace hx4x {

// The text with every control character except line feed and tab written as \xHH, so text
// that came from a device or a file (an identification, a file name) cannot move the cursor,
// recolour or retitle the operator's terminal. The C1 controls count too: as UTF-8 (C2 80 to
// C2 9F, both bytes written as \xHH) and as single bytes 0x80 to 0x9F outside a well-formed
// UTF-8 sequence, since many terminals act on either. Well-formed UTF-8 ("é") and every
// other byte are kept as they are.
std::string visible_text(std::string_view text);

// The same for one name inside a message (a file name, a resource name, a version tag): its
// line feeds and tabs are written as \x0A and \x09 too, so a name can never start a line
// that reads as another message.
std::string visible_name(std::string_view text);

}  // namespace hx4x
