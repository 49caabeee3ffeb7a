#pragma once

#include <memory>
#include <string>

namespace hx4x::platform {

// A system-wide named token: the first process to claim a name holds it until it ends (or
// releases it), and every later claim learns that it already existed. This is how only one
// copy of the program runs, whichever of its file names was started.
class InstanceToken {
  public:
    virtual ~InstanceToken() = default;
};

// The token, or null with existed telling whether another process holds it (null with
// existed false: it could not be made at all).
std::unique_ptr<InstanceToken> claim_instance_token(const std::string& name, bool& existed);

// The name under which a token is seen by every session of the machine, not only by the
// desktop session that claims it (Windows keeps named objects per session otherwise).
std::string machine_wide_token_name(const std::string& name);

}  // namespace hx4x::platform
