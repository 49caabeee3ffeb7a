#include "usbtmc_visa.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "usb_discovery.hpp"
#include "visa-search/search_expression.hpp"
#include "visa-usbtmc/status_text.hpp"
#include "visa-usbtmc/usbtmc_framing.hpp"

namespace hx4x::visa_usbtmc {

namespace {

constexpr ViEventType VI_ALL_ENABLED_EVENTS = 0x3FFF7FFFu;
constexpr ViUInt16 VI_INTF_USB = 7;

// Attributes a USB INSTR session answers.
constexpr ViAttr VI_ATTR_RSRC_CLASS = 0xBFFF0001u;
constexpr ViAttr VI_ATTR_RSRC_NAME = 0xBFFF0002u;
constexpr ViAttr VI_ATTR_SEND_END_EN = 0x3FFF0016u;
constexpr ViAttr VI_ATTR_TERMCHAR = 0x3FFF0018u;
constexpr ViAttr VI_ATTR_TERMCHAR_EN = 0x3FFF0038u;
constexpr ViAttr VI_ATTR_MANF_ID = 0x3FFF00D9u;
constexpr ViAttr VI_ATTR_MODEL_CODE = 0x3FFF00DFu;
constexpr ViAttr VI_ATTR_INTF_TYPE = 0x3FFF0171u;
constexpr ViAttr VI_ATTR_INTF_NUM = 0x3FFF0176u;
constexpr ViAttr VI_ATTR_USB_SERIAL_NUM = 0xBFFF01A0u;
constexpr ViAttr VI_ATTR_USB_INTFC_NUM = 0x3FFF01A1u;
constexpr ViAttr VI_ATTR_USB_PROTOCOL = 0x3FFF01A7u;

// Copies a text into a VISA buffer of VI_FIND_BUFLEN bytes, cut short if it must be.
void put_text(char* out, std::string_view text) {
    const std::size_t length = std::min<std::size_t>(text.size(), VI_FIND_BUFLEN - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

template <class T>
void put_value(void* out, T value) {
    std::memcpy(out, &value, sizeof value);
}

}  // namespace

template <class T>
T* UsbtmcVisa::find(ViObject handle) {
    const auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : std::get_if<T>(&it->second);
}

ViObject UsbtmcVisa::add(Object object) {
    do {
        ++last_handle_;
    } while (last_handle_ == 0 || objects_.count(last_handle_) != 0);
    objects_.emplace(last_handle_, std::move(object));
    return last_handle_;
}

void UsbtmcVisa::close_children(ViObject parent) {
    // Events first (children of sessions), then sessions and lists: a device is closed while
    // its manager's context still exists.
    for (auto it = objects_.begin(); it != objects_.end();) {
        const Event* event = std::get_if<Event>(&it->second);
        const Session* owner = event != nullptr ? find<Session>(event->session) : nullptr;
        const bool child = event != nullptr &&
                           (event->session == parent || (owner != nullptr && owner->rm == parent));
        it = child ? objects_.erase(it) : std::next(it);
    }
    for (auto it = objects_.begin(); it != objects_.end();) {
        const Session* session = std::get_if<Session>(&it->second);
        const FindList* list = std::get_if<FindList>(&it->second);
        const bool child = (session != nullptr && session->rm == parent) ||
                           (list != nullptr && list->rm == parent);
        it = child ? objects_.erase(it) : std::next(it);
    }
}

UsbtmcVisa::~UsbtmcVisa() {
    std::vector<ViObject> managers;
    for (const auto& [handle, object] : objects_) {
        if (std::holds_alternative<ResourceManager>(object)) {
            managers.push_back(handle);
        }
    }
    for (const ViObject rm : managers) {
        close(rm);
    }
}

ViStatus UsbtmcVisa::open_default_rm(ViSession* rm) {
    if (rm == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    *rm = 0;
    ResourceManager manager;
    if (libusb_init(&manager.context) != 0) {
        return VI_ERROR_SYSTEM_ERROR;
    }
    // A library never prints.
    libusb_set_option(manager.context, LIBUSB_OPTION_LOG_LEVEL, LIBUSB_LOG_LEVEL_NONE);
    *rm = add(manager);
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::open(ViSession rm, const char* name, ViAccessMode /*mode*/,
                          ViUInt32 /*open_timeout_ms*/, ViSession* vi) {
    if (vi != nullptr) {
        *vi = 0;
    }
    ResourceManager* manager = find<ResourceManager>(rm);
    if (manager == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (name == nullptr || vi == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    UsbAddress address;
    const NameKind kind = parse_resource_name(name, &address);
    if (kind == NameKind::malformed) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    if (kind == NameKind::other || address.board != 0) {
        return VI_ERROR_RSRC_NFOUND;
    }
    const std::string wanted = format_resource_name(address);
    std::vector<FoundInterface> found = find_usbtmc_interfaces(manager->context);
    ViStatus status = VI_ERROR_RSRC_NFOUND;
    for (const FoundInterface& entry : found) {
        if (!equal_ignoring_case(entry.name, wanted)) {
            continue;
        }
        Session session;
        session.rm = rm;
        session.address = entry.address;
        session.name = entry.name;
        status =
            UsbtmcDevice::open(manager->context, entry.device, entry.endpoints, &session.device);
        if (status == VI_SUCCESS) {
            *vi = add(std::move(session));
        }
        break;
    }
    release_found(found);
    return status;
}

ViStatus UsbtmcVisa::close(ViObject object) {
    const auto it = objects_.find(object);
    if (it == objects_.end()) {
        return VI_ERROR_INV_OBJECT;
    }
    if (auto* manager = std::get_if<ResourceManager>(&it->second)) {
        libusb_context* context = manager->context;
        close_children(object);
        objects_.erase(object);
        libusb_exit(context);
        return VI_SUCCESS;
    }
    if (std::holds_alternative<Session>(it->second)) {
        close_children(object);
    }
    objects_.erase(object);
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::find_rsrc(ViSession rm, const char* expression, ViFindList* list,
                               ViUInt32* count, char* desc) {
    if (list != nullptr) {
        *list = 0;
    }
    if (count != nullptr) {
        *count = 0;
    }
    ResourceManager* manager = find<ResourceManager>(rm);
    if (manager == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    visa_search::SearchExpression search;
    if (expression == nullptr || !search.compile(expression)) {
        return VI_ERROR_INV_EXPR;
    }
    FindList matches;
    matches.rm = rm;
    std::vector<FoundInterface> found = find_usbtmc_interfaces(manager->context);
    for (const FoundInterface& entry : found) {
        if (search.matches(entry.name)) {
            matches.names.push_back(entry.name);
        }
    }
    release_found(found);
    if (matches.names.empty()) {
        return VI_ERROR_RSRC_NFOUND;
    }
    if (count != nullptr) {
        *count = static_cast<ViUInt32>(matches.names.size());
    }
    if (desc != nullptr) {
        put_text(desc, matches.names.front());
    }
    matches.next = 1;
    const ViObject handle = add(std::move(matches));
    if (list != nullptr) {
        *list = handle;
    }
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::find_next(ViFindList list, char* desc) {
    FindList* matches = find<FindList>(list);
    if (matches == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (matches->next >= matches->names.size()) {
        return VI_ERROR_RSRC_NFOUND;
    }
    if (desc != nullptr) {
        put_text(desc, matches->names[matches->next]);
    }
    ++matches->next;
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::parse_rsrc(ViSession rm, const char* name, ViUInt16* type, ViUInt16* board,
                                char* resource_class, char* expanded, char* alias) {
    if (find<ResourceManager>(rm) == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (name == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    UsbAddress address;
    const NameKind kind = parse_resource_name(name, &address);
    if (kind == NameKind::malformed) {
        return VI_ERROR_INV_RSRC_NAME;
    }
    if (kind == NameKind::other) {
        return VI_ERROR_RSRC_NFOUND;
    }
    if (type != nullptr) {
        *type = VI_INTF_USB;
    }
    if (board != nullptr) {
        *board = static_cast<ViUInt16>(address.board);
    }
    if (resource_class != nullptr) {
        put_text(resource_class, "INSTR");
    }
    if (expanded != nullptr) {
        put_text(expanded, format_resource_name(address));
    }
    if (alias != nullptr) {
        put_text(alias, "");
    }
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::gpib_control_ren(ViSession vi, ViUInt16 mode) {
    Session* session = find<Session>(vi);
    if (session == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    return session->device->control_ren(mode, transfer_timeout_ms(session->timeout_ms));
}

ViStatus UsbtmcVisa::get_attribute(ViObject object, ViAttr attribute, void* value) {
    if (objects_.count(object) == 0) {
        return VI_ERROR_INV_OBJECT;
    }
    if (value == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    Session* s = find<Session>(object);
    if (s == nullptr) {
        return VI_ERROR_NSUP_ATTR;
    }
    const InterfaceEndpoints& ep = s->device->endpoints();
    switch (attribute) {
        case VI_ATTR_TMO_VALUE:
            put_value<ViUInt32>(value, s->timeout_ms);
            break;
        case VI_ATTR_RSRC_CLASS:
            put_text(static_cast<char*>(value), "INSTR");
            break;
        case VI_ATTR_RSRC_NAME:
            put_text(static_cast<char*>(value), s->name);
            break;
        case VI_ATTR_INTF_TYPE:
            put_value<ViUInt16>(value, VI_INTF_USB);
            break;
        case VI_ATTR_INTF_NUM:
            put_value<ViUInt16>(value, 0);
            break;
        case VI_ATTR_MANF_ID:
            put_value<ViUInt16>(value, s->address.vendor);
            break;
        case VI_ATTR_MODEL_CODE:
            put_value<ViUInt16>(value, s->address.product);
            break;
        case VI_ATTR_USB_SERIAL_NUM:
            put_text(static_cast<char*>(value), s->address.serial);
            break;
        case VI_ATTR_USB_INTFC_NUM:
            put_value<std::int16_t>(value, ep.interface_number);
            break;
        case VI_ATTR_USB_PROTOCOL:
            put_value<std::int16_t>(value, ep.protocol);
            break;
        case VI_ATTR_TERMCHAR:
            put_value<std::uint8_t>(value, static_cast<std::uint8_t>(s->term_char));
            break;
        case VI_ATTR_TERMCHAR_EN:
            put_value<ViBoolean>(value, 0);
            break;
        case VI_ATTR_SEND_END_EN:
            put_value<ViBoolean>(value, 1);
            break;
        default:
            return VI_ERROR_NSUP_ATTR;
    }
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::set_attribute(ViObject object, ViAttr attribute, ViAttrState value) {
    if (objects_.count(object) == 0) {
        return VI_ERROR_INV_OBJECT;
    }
    Session* s = find<Session>(object);
    if (s == nullptr) {
        return VI_ERROR_NSUP_ATTR;
    }
    switch (attribute) {
        case VI_ATTR_TMO_VALUE:
            if (value > 0xFFFFFFFFu) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            s->timeout_ms = static_cast<ViUInt32>(value);
            return VI_SUCCESS;
        case VI_ATTR_TERMCHAR:
            if (value > 0xFF) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            s->term_char = static_cast<ViUInt16>(value);
            return VI_SUCCESS;
        // Reads end at EOM only and every write ends the message: only those states are taken.
        case VI_ATTR_TERMCHAR_EN:
            return value == 0 ? VI_SUCCESS : VI_ERROR_NSUP_ATTR_STATE;
        case VI_ATTR_SEND_END_EN:
            return value == 1 ? VI_SUCCESS : VI_ERROR_NSUP_ATTR_STATE;
        case VI_ATTR_RSRC_CLASS:
        case VI_ATTR_RSRC_NAME:
        case VI_ATTR_INTF_TYPE:
        case VI_ATTR_INTF_NUM:
        case VI_ATTR_MANF_ID:
        case VI_ATTR_MODEL_CODE:
        case VI_ATTR_USB_SERIAL_NUM:
        case VI_ATTR_USB_INTFC_NUM:
        case VI_ATTR_USB_PROTOCOL:
            return VI_ERROR_NSUP_ATTR_STATE;  // read-only
        default:
            return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus UsbtmcVisa::write(ViSession vi, const unsigned char* buf, ViUInt32 count,
                           ViUInt32* written) {
    ViUInt32 sent = 0;
    if (written != nullptr) {
        *written = 0;
    }
    Session* s = find<Session>(vi);
    if (s == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (buf == nullptr && count != 0) {
        return VI_ERROR_USER_BUF;
    }
    const ViStatus status = s->device->write(buf, count, &sent, transfer_timeout_ms(s->timeout_ms));
    if (written != nullptr) {
        *written = sent;
    }
    return status;
}

ViStatus UsbtmcVisa::read(ViSession vi, unsigned char* buf, ViUInt32 count, ViUInt32* read) {
    ViUInt32 received = 0;
    if (read != nullptr) {
        *read = 0;
    }
    Session* s = find<Session>(vi);
    if (s == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (buf == nullptr && count != 0) {
        return VI_ERROR_USER_BUF;
    }
    const ViStatus status =
        s->device->read(buf, count, &received, transfer_timeout_ms(s->timeout_ms));
    if (read != nullptr) {
        *read = received;
    }
    return status;
}

ViStatus UsbtmcVisa::enable_event(ViSession vi, ViEventType type, ViUInt16 mechanism,
                                  ViEventFilter /*context*/) {
    Session* s = find<Session>(vi);
    if (s == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (type != VI_EVENT_SERVICE_REQ && type != VI_ALL_ENABLED_EVENTS) {
        return VI_ERROR_INV_EVENT;
    }
    if (mechanism != VI_QUEUE) {
        return VI_ERROR_INV_MECH;
    }
    if (s->device->lost()) {
        return VI_ERROR_CONN_LOST;
    }
    if (s->service_requests) {
        return VI_SUCCESS_EVENT_EN;
    }
    const ViStatus status = s->device->enable_service_requests();
    s->service_requests = status == VI_SUCCESS;
    return status;
}

// The session behind `vi` when the event type and mechanism name what this library has: the
// service request, by the queue (VI_ALL_MECH, 0xFFFF, includes the queue); else the status.
ViStatus UsbtmcVisa::queued_service_requests(ViSession vi, ViEventType type, ViUInt16 mechanism,
                                             Session** session) {
    *session = find<Session>(vi);
    if (*session == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (type != VI_EVENT_SERVICE_REQ && type != VI_ALL_ENABLED_EVENTS) {
        return VI_ERROR_INV_EVENT;
    }
    return (mechanism & VI_QUEUE) == 0 ? VI_ERROR_INV_MECH : VI_SUCCESS;
}

ViStatus UsbtmcVisa::disable_event(ViSession vi, ViEventType type, ViUInt16 mechanism) {
    Session* s = nullptr;
    if (const ViStatus status = queued_service_requests(vi, type, mechanism, &s);
        status != VI_SUCCESS) {
        return status;
    }
    if (!s->service_requests) {
        return VI_SUCCESS_EVENT_DIS;
    }
    s->service_requests = false;
    s->device->disable_service_requests();
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::discard_events(ViSession vi, ViEventType type, ViUInt16 mechanism) {
    Session* s = nullptr;
    if (const ViStatus status = queued_service_requests(vi, type, mechanism, &s);
        status != VI_SUCCESS) {
        return status;
    }
    s->device->discard_service_requests();
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::wait_on_event(ViSession vi, ViEventType type, ViUInt32 timeout_ms,
                                   ViEventType* out_type, ViEvent* out_event) {
    if (out_type != nullptr) {
        *out_type = 0;
    }
    if (out_event != nullptr) {
        *out_event = 0;
    }
    Session* s = find<Session>(vi);
    if (s == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (type != VI_EVENT_SERVICE_REQ && type != VI_ALL_ENABLED_EVENTS) {
        return VI_ERROR_INV_EVENT;
    }
    if (s->device->lost()) {
        return VI_ERROR_CONN_LOST;
    }
    if (!s->service_requests) {
        return VI_ERROR_NENABLED;
    }
    const ViStatus status =
        s->device->wait_service_request(std::min(timeout_ms, max_transfer_timeout_ms));
    if (status != VI_SUCCESS) {
        return status;
    }
    if (out_type != nullptr) {
        *out_type = VI_EVENT_SERVICE_REQ;
    }
    if (out_event != nullptr) {
        *out_event = add(Event{vi});
    }
    return VI_SUCCESS;
}

ViStatus UsbtmcVisa::read_stb(ViSession vi, ViUInt16* status) {
    Session* s = find<Session>(vi);
    if (s == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    if (status == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    return s->device->read_status_byte(status, transfer_timeout_ms(s->timeout_ms));
}

ViStatus UsbtmcVisa::status_desc(ViObject /*object*/, ViStatus status, char* desc) {
    if (desc == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    const std::string_view text = status_text(status);
    if (!text.empty()) {
        put_text(desc, text);
        return VI_SUCCESS;
    }
    char unknown[64];
    std::snprintf(unknown, sizeof unknown, "Unknown status 0x%08X.",
                  static_cast<std::uint32_t>(status));
    put_text(desc, unknown);
    return VI_WARN_UNKNOWN_STATUS;
}

ViStatus UsbtmcVisa::flush(ViSession vi, ViUInt16 mask) {
    Session* s = find<Session>(vi);
    if (s == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    // No formatted I/O buffers and nothing held back: every buffer this mask names is empty.
    if (mask == 0) {
        return VI_ERROR_INV_MASK;
    }
    return s->device->lost() ? VI_ERROR_CONN_LOST : VI_SUCCESS;
}

ViStatus UsbtmcVisa::clear(ViSession vi) {
    Session* s = find<Session>(vi);
    if (s == nullptr) {
        return VI_ERROR_INV_OBJECT;
    }
    return s->device->clear(transfer_timeout_ms(s->timeout_ms));
}

}  // namespace hx4x::visa_usbtmc
