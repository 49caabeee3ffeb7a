#include "visa-sim/status_names.hpp"

#include <charconv>
#include <cstdint>
#include <cstdio>

namespace hx4x::visa_sim {

namespace {

struct StatusEntry {
    ViStatus status;
    std::string_view name;
    std::string_view description;
};

constexpr StatusEntry status_table[] = {
    {visa::VI_SUCCESS, "VI_SUCCESS", "Operation completed successfully."},
    {visa::VI_SUCCESS_QUEUE_EMPTY, "VI_SUCCESS_QUEUE_EMPTY", "The queue was already empty."},
    {visa::VI_SUCCESS_TERM_CHAR, "VI_SUCCESS_TERM_CHAR", "The termination character was read."},
    {visa::VI_SUCCESS_MAX_CNT, "VI_SUCCESS_MAX_CNT",
     "The number of bytes read equals the count requested."},
    {visa::VI_SUCCESS_QUEUE_NEMPTY, "VI_SUCCESS_QUEUE_NEMPTY",
     "More events of the type waited for are queued."},
    {VI_SUCCESS_EVENT_EN, "VI_SUCCESS_EVENT_EN", "The event was already enabled."},
    {VI_WARN_NULL_OBJECT, "VI_WARN_NULL_OBJECT", "The object reference is null."},
    {VI_WARN_UNKNOWN_STATUS, "VI_WARN_UNKNOWN_STATUS", "The status code is not known."},
    {VI_ERROR_SYSTEM_ERROR, "VI_ERROR_SYSTEM_ERROR", "Unknown system error."},
    {visa::VI_ERROR_INV_OBJECT, "VI_ERROR_INV_OBJECT",
     "The given session or object reference is invalid."},
    {visa::VI_ERROR_INV_EXPR, "VI_ERROR_INV_EXPR", "Invalid expression for the search."},
    {visa::VI_ERROR_RSRC_NFOUND, "VI_ERROR_RSRC_NFOUND",
     "Insufficient location information or resource not present."},
    {visa::VI_ERROR_INV_RSRC_NAME, "VI_ERROR_INV_RSRC_NAME", "Invalid resource reference."},
    {visa::VI_ERROR_TMO, "VI_ERROR_TMO", "Timeout expired before operation completed."},
    {VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR", "The attribute is not supported."},
    {VI_ERROR_NSUP_ATTR_STATE, "VI_ERROR_NSUP_ATTR_STATE", "The attribute value is not supported."},
    {VI_ERROR_INV_EVENT, "VI_ERROR_INV_EVENT", "The event type is not valid."},
    {VI_ERROR_INV_MECH, "VI_ERROR_INV_MECH", "The event mechanism is not valid."},
    {VI_ERROR_NENABLED, "VI_ERROR_NENABLED", "The session is not enabled for the event."},
    {VI_ERROR_INV_SETUP, "VI_ERROR_INV_SETUP", "The simulation configuration is not valid."},
    {visa::VI_ERROR_IO, "VI_ERROR_IO", "An unknown I/O error occurred."},
    {visa::VI_ERROR_NSUP_OPER, "VI_ERROR_NSUP_OPER", "The operation is not supported."},
    {VI_ERROR_USER_BUF, "VI_ERROR_USER_BUF", "The user buffer is not valid."},
    {visa::VI_ERROR_RSRC_BUSY, "VI_ERROR_RSRC_BUSY", "The resource is busy."},
    {visa::VI_ERROR_CONN_LOST, "VI_ERROR_CONN_LOST", "The connection was lost."},
};

}  // namespace

std::string status_name(ViStatus status) {
    for (const StatusEntry& entry : status_table) {
        if (entry.status == status) {
            return std::string(entry.name);
        }
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<std::uint32_t>(status));
    return text;
}

bool parse_status(std::string_view text, ViStatus* status) {
    for (const StatusEntry& entry : status_table) {
        if (entry.name == text) {
            *status = entry.status;
            return true;
        }
    }
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint32_t bits = 0;
        const auto result = std::from_chars(first + 2, last, bits, 16);
        if (result.ec != std::errc() || result.ptr != last) {
            return false;
        }
        *status = visa::to_status(bits);
        return true;
    }
    std::int32_t value = 0;
    const auto result = std::from_chars(first, last, value, 10);
    if (text.empty() || result.ec != std::errc() || result.ptr != last) {
        return false;
    }
    *status = value;
    return true;
}

std::string_view status_description(ViStatus status) {
    for (const StatusEntry& entry : status_table) {
        if (entry.status == status) {
            return entry.description;
        }
    }
    return {};
}

}  // namespace hx4x::visa_sim
