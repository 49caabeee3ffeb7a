#include "platform/instance_token.hpp"

#include <windows.h>

namespace hx4x::platform {

namespace {

// A named event, never signalled or waited on: only its existence counts.
class EventToken : public InstanceToken {
  public:
    explicit EventToken(HANDLE event) : event_(event) {}
    ~EventToken() override { CloseHandle(event_); }
    EventToken(const EventToken&) = delete;
    EventToken& operator=(const EventToken&) = delete;

  private:
    HANDLE event_;
};

}  // namespace

std::unique_ptr<InstanceToken> claim_instance_token(const std::string& name, bool& existed) {
    existed = false;
    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    if (event == nullptr) {
        // A copy running with other rights (elevated) holds an event this one may not open.
        existed = GetLastError() == ERROR_ACCESS_DENIED;
        return nullptr;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        existed = true;
        CloseHandle(event);
        return nullptr;
    }
    return std::make_unique<EventToken>(event);
}

std::string machine_wide_token_name(const std::string& name) {
    return "Global\\" + name;
}

}  // namespace hx4x::platform
