#include "visa-usbtmc/status_text.hpp"

namespace hx4x::visa_usbtmc {

namespace {

struct StatusEntry {
    ViStatus status;
    std::string_view text;
};

constexpr StatusEntry status_table[] = {
    {VI_SUCCESS, "VI_SUCCESS: Operation completed successfully."},
    {VI_SUCCESS_MAX_CNT,
     "VI_SUCCESS_MAX_CNT: The number of bytes read equals the count requested."},
    {VI_SUCCESS_EVENT_EN, "VI_SUCCESS_EVENT_EN: The event was already enabled."},
    {VI_SUCCESS_EVENT_DIS, "VI_SUCCESS_EVENT_DIS: The event was already disabled."},
    {VI_WARN_UNKNOWN_STATUS, "VI_WARN_UNKNOWN_STATUS: The status code is not known."},
    {VI_ERROR_SYSTEM_ERROR, "VI_ERROR_SYSTEM_ERROR: The USB library could not be started."},
    {VI_ERROR_INV_OBJECT, "VI_ERROR_INV_OBJECT: The given session or object reference is invalid."},
    {VI_ERROR_INV_EXPR, "VI_ERROR_INV_EXPR: Invalid expression for the search."},
    {VI_ERROR_RSRC_NFOUND,
     "VI_ERROR_RSRC_NFOUND: Insufficient location information or resource not present."},
    {VI_ERROR_INV_RSRC_NAME, "VI_ERROR_INV_RSRC_NAME: Invalid resource reference."},
    {VI_ERROR_TMO, "VI_ERROR_TMO: Timeout expired before operation completed."},
    {VI_ERROR_NSUP_ATTR, "VI_ERROR_NSUP_ATTR: The attribute is not supported."},
    {VI_ERROR_NSUP_ATTR_STATE, "VI_ERROR_NSUP_ATTR_STATE: The attribute value is not supported."},
    {VI_ERROR_INV_EVENT, "VI_ERROR_INV_EVENT: The event type is not valid."},
    {VI_ERROR_INV_MECH, "VI_ERROR_INV_MECH: The event mechanism is not valid."},
    {VI_ERROR_NENABLED, "VI_ERROR_NENABLED: The session is not enabled for the event."},
    {VI_ERROR_ALLOC, "VI_ERROR_ALLOC: Not enough memory for the operation."},
    {VI_ERROR_INV_MASK, "VI_ERROR_INV_MASK: The buffer mask is not valid."},
    {VI_ERROR_IO, "VI_ERROR_IO: An I/O error occurred on the USB link."},
    {VI_ERROR_NSUP_OPER, "VI_ERROR_NSUP_OPER: The operation is not supported by this device."},
    {VI_ERROR_USER_BUF, "VI_ERROR_USER_BUF: The user buffer is not valid."},
    {VI_ERROR_INV_PARAMETER, "VI_ERROR_INV_PARAMETER: A parameter is not valid."},
    {VI_ERROR_INV_MODE, "VI_ERROR_INV_MODE: The mode is not valid."},
    {VI_ERROR_RSRC_BUSY, "VI_ERROR_RSRC_BUSY: The USB interface is claimed by another program."},
    {VI_ERROR_NPERMISSION,
     "VI_ERROR_NPERMISSION: No permission to open the USB device (check its device rules)."},
    {VI_ERROR_CONN_LOST, "VI_ERROR_CONN_LOST: The USB device is gone."},
};

}  // namespace

std::string_view status_text(ViStatus status) {
    for (const StatusEntry& entry : status_table) {
        if (entry.status == status) {
            return entry.text;
        }
    }
    return {};
}

}  // namespace hx4x::visa_usbtmc
