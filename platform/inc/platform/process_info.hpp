#pragma once

#include <cstdint>
#include <string>

namespace hx4x::platform {

// The running process's identifier, so that entries that several processes append to one
// file can be told apart.
std::uint64_t process_id();

// The user the process runs for, so that names shared by a user's processes stay theirs.
std::uint64_t user_id();

// The current time in UTC as "YYYY-MM-DDTHH:MM:SSZ": stations in several time zones may
// share a log.
std::string utc_time_text();

// The name of this computer on the network, as UTF-8 (gethostname; the DNS host name on
// Windows), so records that several stations keep can be told apart. Empty when the system
// cannot tell.
std::string host_name();

}  // namespace hx4x::platform
