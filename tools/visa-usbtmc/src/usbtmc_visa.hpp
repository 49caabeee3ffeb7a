#pragma once

// The VISA objects of the USB library (resource managers, sessions, find lists, events) and
// what each entry point does with them. Each resource manager has a libusb context of its
// own; closing it closes its sessions and lists. Not thread-safe: the entry points take one
// lock around every call.

#include <libusb.h>

#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "usbtmc_device.hpp"
#include "visa-usbtmc/resource_naming.hpp"

namespace hx4x::visa_usbtmc {

class UsbtmcVisa {
  public:
    UsbtmcVisa() = default;
    ~UsbtmcVisa();
    UsbtmcVisa(const UsbtmcVisa&) = delete;
    UsbtmcVisa& operator=(const UsbtmcVisa&) = delete;

    ViStatus open_default_rm(ViSession* rm);
    ViStatus open(ViSession rm, const char* name, ViAccessMode mode, ViUInt32 open_timeout_ms,
                  ViSession* vi);
    ViStatus close(ViObject object);
    ViStatus find_rsrc(ViSession rm, const char* expression, ViFindList* list, ViUInt32* count,
                       char* desc);
    ViStatus find_next(ViFindList list, char* desc);
    ViStatus parse_rsrc(ViSession rm, const char* name, ViUInt16* type, ViUInt16* board,
                        char* resource_class, char* expanded, char* alias);
    ViStatus gpib_control_ren(ViSession vi, ViUInt16 mode);
    ViStatus get_attribute(ViObject object, ViAttr attribute, void* value);
    ViStatus set_attribute(ViObject object, ViAttr attribute, ViAttrState value);
    ViStatus write(ViSession vi, const unsigned char* buf, ViUInt32 count, ViUInt32* written);
    ViStatus read(ViSession vi, unsigned char* buf, ViUInt32 count, ViUInt32* read);
    ViStatus enable_event(ViSession vi, ViEventType type, ViUInt16 mechanism,
                          ViEventFilter context);
    ViStatus disable_event(ViSession vi, ViEventType type, ViUInt16 mechanism);
    ViStatus discard_events(ViSession vi, ViEventType type, ViUInt16 mechanism);
    ViStatus wait_on_event(ViSession vi, ViEventType type, ViUInt32 timeout_ms,
                           ViEventType* out_type, ViEvent* out_event);
    ViStatus read_stb(ViSession vi, ViUInt16* status);
    ViStatus status_desc(ViObject object, ViStatus status, char* desc);
    ViStatus flush(ViSession vi, ViUInt16 mask);
    ViStatus clear(ViSession vi);

  private:
    struct ResourceManager {
        libusb_context* context = nullptr;
    };
    struct Session {
        ViSession rm = 0;
        UsbAddress address;
        std::string name;
        std::unique_ptr<UsbtmcDevice> device;
        ViUInt32 timeout_ms = 2000;
        bool service_requests = false;
        ViUInt16 term_char = '\n';
    };
    struct FindList {
        ViSession rm = 0;
        std::vector<std::string> names;
        std::size_t next = 0;
    };
    struct Event {
        ViSession session = 0;
    };
    using Object = std::variant<ResourceManager, Session, FindList, Event>;

    template <class T>
    T* find(ViObject handle);
    ViStatus queued_service_requests(ViSession vi, ViEventType type, ViUInt16 mechanism,
                                     Session** session);
    ViObject add(Object object);
    void close_children(ViObject parent);

    std::map<ViObject, Object> objects_;
    ViObject last_handle_ = 0;
};

}  // namespace hx4x::visa_usbtmc
