#include "instrument/instrument_session.hpp"

#include <limits>

#include "app/emulated_version.hpp"
#include "instrument/performance_timer.hpp"
#include "instrument/visa_library.hpp"

namespace hx4x {

namespace {

// What a missing entry point counts as.
constexpr visa::ViStatus missing_entry = visa::VI_ERROR_INV_OBJECT;

// The handle an emulated session holds.
constexpr visa::ViSession emulated_handle = 1;

const VisaEntryPoints& entry() {
    return VisaLibrary::instance().entry_points();
}

}  // namespace

InstrumentSession::~InstrumentSession() {
    close();
}

bool InstrumentSession::open(std::string_view resource_name) {
    if (emulation_on()) {
        handle_ = emulated_handle;
        resource_name_ = resource_name;
        return true;
    }
    VisaLibrary& library = VisaLibrary::instance();
    if (!library.is_available()) {
        return false;
    }
    // A zero byte would cut the name the library sees short of the name stored.
    if (resource_name.size() >= max_name_length ||
        resource_name.find('\0') != std::string_view::npos) {
        return false;
    }
    close();
    const std::string name(resource_name);
    visa::ViSession session = 0;
    const visa::ViStatus status =
        entry().viOpen != nullptr
            ? entry().viOpen(library.default_rm(), name.c_str(), visa::VI_NO_LOCK, 0, &session)
            : missing_entry;
    if (status != visa::VI_SUCCESS || session == 0) {
        return false;
    }
    handle_ = session;
    resource_name_ = name;
    return true;
}

void InstrumentSession::close() {
    if (handle_ == 0) {
        return;
    }
    if (!emulation_on() && entry().viClose != nullptr) {
        entry().viClose(handle_);
    }
    resource_name_.clear();
    handle_ = 0;
}

bool InstrumentSession::write(std::string_view command) {
    return write_raw(reinterpret_cast<const unsigned char*>(command.data()), command.size());
}

bool InstrumentSession::write_bytes(const std::uint8_t* data, std::size_t length) {
    if (data == nullptr && length != 0) {
        return false;
    }
    return write_raw(data, length);
}

bool InstrumentSession::write_raw(const unsigned char* data, std::size_t length) {
    if (handle_ == 0) {
        return false;
    }
    if (!emulation_on()) {
        if (length > std::numeric_limits<visa::ViUInt32>::max()) {
            return false;
        }
        visa::ViUInt32 written = 0;
        const visa::ViStatus status =
            entry().viWrite != nullptr
                ? entry().viWrite(handle_, data, static_cast<visa::ViUInt32>(length), &written)
                : missing_entry;
        if (status != visa::VI_SUCCESS) {
            return false;
        }
    }
    if (io_delay_ != 0) {
        wait_ms(io_delay_);
    }
    return true;
}

bool InstrumentSession::read(char* buffer, int capacity, std::uint32_t* count) {
    if (count != nullptr) {
        *count = 0;
    }
    if (buffer == nullptr) {
        return false;
    }
    buffer[0] = '\0';
    if (capacity <= 0 || handle_ == 0) {
        return false;
    }
    if (emulation_on()) {
        return true;
    }
    visa::ViUInt32 received = 0;
    const visa::ViStatus status =
        entry().viRead != nullptr
            ? entry().viRead(handle_, reinterpret_cast<unsigned char*>(buffer),
                             static_cast<visa::ViUInt32>(capacity), &received)
            : missing_entry;
    // A library that claims more than it was given room for is not believed.
    if (received > static_cast<visa::ViUInt32>(capacity)) {
        received = static_cast<visa::ViUInt32>(capacity);
    }
    if (count != nullptr) {
        *count = received;
    }
    if (status != visa::VI_SUCCESS) {
        return false;
    }
    if (received > 0) {
        buffer[received] = '\0';
        if (io_delay_ != 0) {
            wait_ms(io_delay_);
        }
    }
    return true;
}

bool InstrumentSession::query(std::string_view command, char* buffer, int capacity,
                              std::uint32_t* count) {
    if (!write(command)) {
        if (count != nullptr) {
            *count = 0;
        }
        return false;
    }
    return read(buffer, capacity, count);
}

bool InstrumentSession::set_timeout(std::uint32_t milliseconds) {
    if (handle_ == 0) {
        return false;
    }
    if (emulation_on()) {
        return true;
    }
    const visa::ViStatus status =
        entry().viSetAttribute != nullptr
            ? entry().viSetAttribute(handle_, visa::VI_ATTR_TMO_VALUE, milliseconds)
            : missing_entry;
    return status == visa::VI_SUCCESS;
}

bool InstrumentSession::enable_service_request() {
    if (handle_ == 0) {
        return false;
    }
    if (emulation_on()) {
        return true;
    }
    const visa::ViStatus status =
        entry().viEnableEvent != nullptr
            ? entry().viEnableEvent(handle_, visa::VI_EVENT_SERVICE_REQ, visa::VI_QUEUE, 0)
            : missing_entry;
    return status == visa::VI_SUCCESS;
}

bool InstrumentSession::wait_service_request(std::uint32_t milliseconds, visa::ViStatus* status) {
    visa::ViStatus answer = visa::VI_ERROR_INV_OBJECT;
    if (handle_ != 0) {
        answer = emulation_on() ? visa::VI_SUCCESS
                 : entry().viWaitOnEvent != nullptr
                     ? entry().viWaitOnEvent(handle_, visa::VI_EVENT_SERVICE_REQ, milliseconds,
                                             nullptr, nullptr)
                     : missing_entry;
    }
    if (status != nullptr) {
        *status = answer;
    }
    return answer == visa::VI_SUCCESS;
}

bool InstrumentSession::is_usb() const {
    return handle_ != 0 && resource_name_.find("USB") != std::string::npos;
}

}  // namespace hx4x
