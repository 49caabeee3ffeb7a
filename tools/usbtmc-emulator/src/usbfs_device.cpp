// The usbfs side of an emulated device: the ioctls libusb's Linux backend issues on a device
// node, URB bookkeeping, and the FIFO that stands in for the node so that poll() wakes the
// client only when a URB is ready to be reaped.
#include "usbtmc-emulator/usbfs_device.hpp"

#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace hx4x::usbtmc_emulator {

namespace {

constexpr std::size_t max_urb_bytes = (1u << 20) + 4096;
constexpr std::size_t max_urbs = 256;
constexpr std::size_t page = 4096;
constexpr std::size_t setup_size = 8;
// What this usbfs offers: a bulk transfer goes in one URB whatever its size.
constexpr std::uint32_t capabilities =
    USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
constexpr int usb_speed_high = 3;

UMockdevIoctlData* resolve(UMockdevIoctlData* data, std::size_t offset, std::size_t length) {
    GError* error = nullptr;
    UMockdevIoctlData* child = umockdev_ioctl_data_resolve(data, offset, length, &error);
    if (error != nullptr) {
        g_error_free(error);
        return nullptr;
    }
    return child;
}

std::uintptr_t argument_value(UMockdevIoctlClient* client) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    std::uintptr_t value = 0;
    if (arg != nullptr && arg->data_len >= static_cast<gint>(sizeof value)) {
        std::memcpy(&value, arg->data, sizeof value);
    }
    return value;
}

// The ioctl argument as a structure of `size` bytes in the client's memory.
std::uint8_t* argument_struct(UMockdevIoctlClient* client, std::size_t size) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData* data = arg == nullptr ? nullptr : resolve(arg, 0, size);
    if (data == nullptr || data->data_len < static_cast<gint>(size)) {
        return nullptr;
    }
    return data->data;
}

bool known_endpoint(std::uint8_t endpoint) {
    return endpoint == bulk_out_endpoint || endpoint == bulk_in_endpoint ||
           endpoint == interrupt_in_endpoint;
}

}  // namespace

UsbfsDevice::UsbfsDevice(std::mutex& lock, UsbtmcFunction& function, std::string devnode,
                         std::string node_path, ReapStats& stats, std::function<void()> changed)
    : lock_(lock),
      function_(function),
      devnode_(std::move(devnode)),
      node_path_(std::move(node_path)),
      stats_(stats),
      changed_(std::move(changed)) {}

UsbfsDevice::~UsbfsDevice() {
    for (Urb& urb : pending_) {
        release(urb);
    }
    for (Urb& urb : completed_) {
        release(urb);
    }
    if (handler_ != nullptr) {
        g_signal_handlers_disconnect_by_data(handler_, this);
        g_object_unref(handler_);
    }
    if (fifo_ >= 0) {
        close(fifo_);
    }
}

bool UsbfsDevice::attach(UMockdevTestbed* testbed, std::string* error) {
    // A regular file is always ready for poll(), which would make the client's event loop
    // spin; a FIFO is ready for writing exactly while its buffer has room.
    unlink(node_path_.c_str());
    const std::string folder = node_path_.substr(0, node_path_.rfind('/'));
    g_mkdir_with_parents(folder.c_str(), 0755);
    if (mkfifo(node_path_.c_str(), 0666) != 0) {
        *error = "cannot make the FIFO " + node_path_ + ": " + std::strerror(errno);
        return false;
    }
    fifo_ = open(node_path_.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fifo_ < 0) {
        *error = "cannot open the FIFO " + node_path_ + ": " + std::strerror(errno);
        return false;
    }
    set_ready(false);
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(on_ioctl), this);
    g_signal_connect(handler_, "handle-read", G_CALLBACK(on_read), this);
    g_signal_connect(handler_, "client-vanished", G_CALLBACK(on_vanished), this);
    GError* failure = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed, devnode_.c_str(), handler_, &failure)) {
        *error = "cannot attach the ioctl handler to " + devnode_ + ": " +
                 (failure != nullptr ? failure->message : "unknown error");
        if (failure != nullptr) {
            g_error_free(failure);
        }
        return false;
    }
    return true;
}

void UsbfsDevice::set_ready(bool ready) {
    if (fifo_ < 0 || ready == ready_) {
        return;
    }
    char buffer[page];
    if (ready) {
        // Frees one page slot of the pipe: poll() reports it writable.
        const ssize_t got = read(fifo_, buffer, sizeof buffer);
        (void)got;
    } else {
        // Fills every slot with whole pages (writes of one page are atomic).
        std::memset(buffer, 0, sizeof buffer);
        for (int i = 0; i < 1024 && write(fifo_, buffer, sizeof buffer) > 0; ++i) {
        }
    }
    ready_ = ready;
}

void UsbfsDevice::update_readiness() {
    set_ready(!completed_.empty());
}

void UsbfsDevice::release(Urb& urb) {
    if (urb.buffer != nullptr) {
        g_object_unref(urb.buffer);
    }
    if (urb.urb != nullptr) {
        g_object_unref(urb.urb);
    }
    if (urb.client != nullptr) {
        g_object_unref(urb.client);
    }
    urb = Urb{};
}

int UsbfsDevice::on_ioctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    auto* device = static_cast<UsbfsDevice*>(self);
    bool news = false;
    long result = 0;
    int error = 0;
    {
        const std::lock_guard<std::mutex> guard(device->lock_);
        const bool was_gone = device->vanished_;
        result = device->handle(client, umockdev_ioctl_client_get_request(client), &error);
        if (!device->vanished_ && device->function_.gone()) {
            device->vanish();
        } else {
            device->serve();
        }
        // The main loop takes the device off the testbed, or sets its timer.
        news = (device->vanished_ && !was_gone) || device->waiting();
    }
    umockdev_ioctl_client_complete(client, result, error);
    if (news) {
        device->changed_();
    }
    return TRUE;
}

int UsbfsDevice::on_read(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    auto* device = static_cast<UsbfsDevice*>(self);
    // Reading a usbfs node gives the device and configuration descriptors.
    long result = -1;
    int error = ENODEV;
    {
        const std::lock_guard<std::mutex> guard(device->lock_);
        if (!device->vanished_) {
            std::vector<std::uint8_t> bytes = device_descriptor(DeviceIdentity{});
            const std::vector<std::uint8_t> config = configuration_descriptor();
            bytes.insert(bytes.end(), config.begin(), config.end());
            UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
            const std::size_t count =
                std::min(bytes.size(), static_cast<std::size_t>(std::max(arg->data_len, 0)));
            std::memcpy(arg->data, bytes.data(), count);
            result = static_cast<long>(count);
            error = 0;
        }
    }
    umockdev_ioctl_client_complete(client, result, error);
    return TRUE;
}

void UsbfsDevice::on_vanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
    auto* device = static_cast<UsbfsDevice*>(self);
    const std::lock_guard<std::mutex> guard(device->lock_);
    const auto theirs = [client](const Urb& urb) { return urb.client == client; };
    for (auto it = device->pending_.begin(); it != device->pending_.end();) {
        if (theirs(*it)) {
            device->release(*it);
            it = device->pending_.erase(it);
        } else {
            ++it;
        }
    }
    for (auto it = device->completed_.begin(); it != device->completed_.end();) {
        if (theirs(*it)) {
            device->release(*it);
            it = device->completed_.erase(it);
        } else {
            ++it;
        }
    }
    device->update_readiness();
}

long UsbfsDevice::handle(UMockdevIoctlClient* client, unsigned long request, int* error) {
    if (request == USBDEVFS_REAPURBNDELAY || request == USBDEVFS_REAPURB) {
        return reap(client, error);
    }
    if (request == USBDEVFS_DISCARDURB) {
        return discard(client, error);
    }
    if (vanished_) {
        *error = ENODEV;
        return -1;
    }
    switch (request) {
        case USBDEVFS_SUBMITURB:
            return submit(client, error);
        case USBDEVFS_CONTROL:
            return control_ioctl(client, error);
        case USBDEVFS_GET_CAPABILITIES: {
            std::uint8_t* caps = argument_struct(client, sizeof(std::uint32_t));
            if (caps == nullptr) {
                *error = EFAULT;
                return -1;
            }
            std::memcpy(caps, &capabilities, sizeof capabilities);
            return 0;
        }
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE: {
            const std::uint8_t* number = argument_struct(client, sizeof(unsigned));
            unsigned value = 1;
            if (number != nullptr) {
                std::memcpy(&value, number, sizeof value);
            }
            if (value != 0) {
                *error = EINVAL;
                return -1;
            }
            if (request == USBDEVFS_CLAIMINTERFACE && function_.kernel_driver()) {
                *error = EBUSY;
                return -1;
            }
            return 0;
        }
        case USBDEVFS_DISCONNECT_CLAIM: {
            const std::uint8_t* claim = argument_struct(client, sizeof(usbdevfs_disconnect_claim));
            usbdevfs_disconnect_claim value{};
            if (claim != nullptr) {
                std::memcpy(&value, claim, sizeof value);
            }
            if (claim == nullptr || value.interface != 0) {
                *error = EINVAL;
                return -1;
            }
            if (function_.kernel_driver()) {
                // Only the driver named is spared with EXCEPT_DRIVER, only it is taken with
                // IF_DRIVER; libusb asks to spare "usbfs", its own.
                const std::string named(value.driver, strnlen(value.driver, sizeof value.driver));
                const bool is_ours = named == "usbtmc";
                if (((value.flags & USBDEVFS_DISCONNECT_CLAIM_EXCEPT_DRIVER) != 0 && is_ours) ||
                    ((value.flags & USBDEVFS_DISCONNECT_CLAIM_IF_DRIVER) != 0 && !is_ours)) {
                    *error = EBUSY;
                    return -1;
                }
                function_.detach_kernel_driver();
            }
            return 0;
        }
        case USBDEVFS_SETINTERFACE: {
            const std::uint8_t* setting = argument_struct(client, sizeof(usbdevfs_setinterface));
            usbdevfs_setinterface value{1, 1};
            if (setting != nullptr) {
                std::memcpy(&value, setting, sizeof value);
            }
            if (value.interface != 0 || value.altsetting != 0) {
                *error = EINVAL;
                return -1;
            }
            return 0;
        }
        case USBDEVFS_SETCONFIGURATION: {
            const std::uint8_t* config = argument_struct(client, sizeof(int));
            int value = 99;
            if (config != nullptr) {
                std::memcpy(&value, config, sizeof value);
            }
            if (value != 1 && value != -1 && value != 0) {
                *error = EINVAL;
                return -1;
            }
            return 0;
        }
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_RESETEP: {
            const std::uint8_t* endpoint = argument_struct(client, sizeof(unsigned));
            unsigned value = 0;
            if (endpoint != nullptr) {
                std::memcpy(&value, endpoint, sizeof value);
            }
            if (!known_endpoint(static_cast<std::uint8_t>(value)) || value > 0xFF) {
                *error = ENOENT;
                return -1;
            }
            function_.clear_halt(static_cast<std::uint8_t>(value));
            return 0;
        }
        case USBDEVFS_RESET:
            function_.reset();
            return 0;
        case USBDEVFS_GETDRIVER: {
            std::uint8_t* query = argument_struct(client, sizeof(usbdevfs_getdriver));
            if (query == nullptr) {
                *error = EFAULT;
                return -1;
            }
            usbdevfs_getdriver value{};
            std::memcpy(&value, query, sizeof value);
            if (value.interface != 0 || !function_.kernel_driver()) {
                *error = ENODATA;
                return -1;
            }
            std::snprintf(value.driver, sizeof value.driver, "%s", "usbtmc");
            std::memcpy(query, &value, sizeof value);
            return 0;
        }
        case USBDEVFS_IOCTL: {
            const std::uint8_t* command = argument_struct(client, sizeof(usbdevfs_ioctl));
            usbdevfs_ioctl value{};
            if (command != nullptr) {
                std::memcpy(&value, command, sizeof value);
            }
            if (value.ifno != 0) {
                *error = EINVAL;
                return -1;
            }
            if (value.ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT)) {
                if (!function_.kernel_driver()) {
                    *error = ENODATA;
                    return -1;
                }
                function_.detach_kernel_driver();
                return 0;
            }
            if (value.ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
                function_.attach_kernel_driver();
                return 0;
            }
            *error = ENOTTY;
            return -1;
        }
        case USBDEVFS_GET_SPEED:
            return usb_speed_high;
        case USBDEVFS_DROP_PRIVILEGES:
        case USBDEVFS_ALLOW_SUSPEND:
        case USBDEVFS_FORBID_SUSPEND:
            return 0;
        case USBDEVFS_CONNECTINFO: {
            std::uint8_t* info = argument_struct(client, sizeof(usbdevfs_connectinfo));
            if (info == nullptr) {
                *error = EFAULT;
                return -1;
            }
            const usbdevfs_connectinfo value{0, 0};
            std::memcpy(info, &value, sizeof value);
            return 0;
        }
        default:
            *error = ENOTTY;
            return -1;
    }
}

long UsbfsDevice::submit(UMockdevIoctlClient* client, int* error) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData* data = arg == nullptr ? nullptr : resolve(arg, 0, sizeof(usbdevfs_urb));
    if (data == nullptr || data->data_len < static_cast<gint>(sizeof(usbdevfs_urb))) {
        *error = EFAULT;
        return -1;
    }
    usbdevfs_urb header{};
    std::memcpy(&header, data->data, sizeof header);
    const bool control = header.type == USBDEVFS_URB_TYPE_CONTROL && header.endpoint == 0;
    const bool bulk = header.type == USBDEVFS_URB_TYPE_BULK &&
                      (header.endpoint == bulk_in_endpoint || header.endpoint == bulk_out_endpoint);
    const bool interrupt =
        header.type == USBDEVFS_URB_TYPE_INTERRUPT && header.endpoint == interrupt_in_endpoint;
    if (!control && !bulk && !interrupt) {
        *error = ENOENT;
        return -1;
    }
    if (header.buffer_length < 0 ||
        static_cast<std::size_t>(header.buffer_length) > max_urb_bytes ||
        (control && static_cast<std::size_t>(header.buffer_length) < setup_size)) {
        *error = EINVAL;
        return -1;
    }
    if (pending_.size() + completed_.size() >= max_urbs) {
        *error = ENOMEM;
        return -1;
    }
    Urb urb;
    urb.length = static_cast<std::size_t>(header.buffer_length);
    if (urb.length > 0) {
        urb.buffer = resolve(data, offsetof(usbdevfs_urb, buffer), urb.length);
        if (urb.buffer == nullptr || urb.buffer->data_len < static_cast<gint>(urb.length)) {
            *error = EFAULT;
            return -1;
        }
        g_object_ref(urb.buffer);
    }
    urb.client = static_cast<UMockdevIoctlClient*>(g_object_ref(client));
    urb.urb = static_cast<UMockdevIoctlData*>(g_object_ref(data));
    urb.address = data->client_addr;
    urb.type = header.type;
    urb.endpoint = header.endpoint;
    start(std::move(urb));
    return 0;
}

void UsbfsDevice::start(Urb urb) {
    if (urb.type == USBDEVFS_URB_TYPE_CONTROL) {
        const std::uint8_t* setup_bytes = urb.buffer->data;
        ControlSetup setup;
        setup.request_type = setup_bytes[0];
        setup.request = setup_bytes[1];
        setup.value = static_cast<std::uint16_t>(setup_bytes[2] | setup_bytes[3] << 8);
        setup.index = static_cast<std::uint16_t>(setup_bytes[4] | setup_bytes[5] << 8);
        setup.length = static_cast<std::uint16_t>(setup_bytes[6] | setup_bytes[7] << 8);
        if (setup_size + setup.length > urb.length) {
            finish(std::move(urb), -EOVERFLOW, {});
            return;
        }
        std::vector<std::uint8_t> out;
        if ((setup.request_type & 0x80) == 0) {
            out.assign(setup_bytes + setup_size, setup_bytes + setup_size + setup.length);
        }
        std::vector<std::uint8_t> in;
        if (!function_.control(setup, out, &in)) {
            finish(std::move(urb), -EPIPE, {});
            return;
        }
        // An OUT request reports its data stage as transferred.
        std::string reply = (setup.request_type & 0x80) != 0 ? std::string(in.begin(), in.end())
                                                             : std::string(setup.length, '\0');
        finish(std::move(urb), 0, reply);
        return;
    }
    if (urb.endpoint == bulk_out_endpoint) {
        const int status =
            function_.bulk_out(urb.buffer != nullptr ? urb.buffer->data : nullptr, urb.length);
        std::string sent = status == 0 ? std::string(urb.length, '\0') : std::string();
        finish(std::move(urb), status, sent);
        return;
    }
    if (urb.endpoint == bulk_in_endpoint) {
        switch (function_.bulk_in_submitted()) {
            case UsbtmcFunction::InPlan::stall:
                finish(std::move(urb), -EPIPE, {});
                return;
            case UsbtmcFunction::InPlan::withhold:
                urb.withheld = true;
                break;
            case UsbtmcFunction::InPlan::normal:
                break;
        }
    }
    pending_.push_back(std::move(urb));
}

void UsbfsDevice::finish(Urb urb, int status, const std::string& data) {
    const bool control = urb.type == USBDEVFS_URB_TYPE_CONTROL;
    const bool in = control ? (urb.length >= setup_size && (urb.buffer->data[0] & 0x80) != 0)
                            : (urb.endpoint & 0x80) != 0;
    const std::size_t offset = control ? setup_size : 0;
    const std::size_t room = urb.length > offset ? urb.length - offset : 0;
    const std::size_t count = std::min(data.size(), room);
    if (in && count > 0) {
        std::memcpy(urb.buffer->data + offset, data.data(), count);
    }
    usbdevfs_urb header{};
    std::memcpy(&header, urb.urb->data, sizeof header);
    header.status = status;
    header.actual_length = static_cast<int>(count);
    header.error_count = 0;
    std::memcpy(urb.urb->data, &header, sizeof header);
    completed_.push_back(std::move(urb));
    update_readiness();
}

void UsbfsDevice::serve() {
    if (vanished_) {
        return;
    }
    function_.collect_service_requests();
    for (auto it = pending_.begin(); it != pending_.end();) {
        if (it->withheld) {
            ++it;
            continue;
        }
        std::string data;
        int status = 0;
        if (it->endpoint == bulk_in_endpoint) {
            const auto result = function_.take_bulk_in(it->length, &data);
            if (result == UsbtmcFunction::InStatus::wait) {
                break;  // replies go out in order
            }
            status = result == UsbtmcFunction::InStatus::stall      ? -EPIPE
                     : result == UsbtmcFunction::InStatus::overflow ? -EOVERFLOW
                                                                    : 0;
        } else if (it->endpoint == interrupt_in_endpoint) {
            if (function_.halted(interrupt_in_endpoint)) {
                status = -EPIPE;
            } else {
                const auto notification = function_.take_notification();
                if (!notification) {
                    ++it;
                    continue;
                }
                data.assign(notification->begin(), notification->end());
                status = it->length < data.size() ? -EOVERFLOW : 0;
            }
        } else {
            ++it;
            continue;
        }
        Urb urb = std::move(*it);
        it = pending_.erase(it);
        finish(std::move(urb), status, data);
    }
}

bool UsbfsDevice::waiting() const {
    if (vanished_) {
        return false;
    }
    return std::any_of(pending_.begin(), pending_.end(), [](const Urb& urb) {
        return !urb.withheld &&
               (urb.endpoint == interrupt_in_endpoint || urb.endpoint == bulk_in_endpoint);
    });
}

void UsbfsDevice::vanish() {
    vanished_ = true;
    while (!pending_.empty()) {
        Urb urb = std::move(pending_.front());
        pending_.pop_front();
        finish(std::move(urb), -ENODEV, {});
    }
    update_readiness();
}

long UsbfsDevice::reap(UMockdevIoctlClient* client, int* error) {
    ++stats_.reaps;
    const auto found = std::find_if(completed_.begin(), completed_.end(),
                                    [client](const Urb& urb) { return urb.client == client; });
    if (found == completed_.end()) {
        ++stats_.empty_reaps;
        *error = vanished_ ? ENODEV : EAGAIN;
        return -1;
    }
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData* pointer = arg == nullptr ? nullptr : resolve(arg, 0, sizeof(void*));
    if (pointer == nullptr || !umockdev_ioctl_data_set_ptr(pointer, 0, found->urb)) {
        *error = EFAULT;
        return -1;
    }
    Urb urb = std::move(*found);
    completed_.erase(found);
    release(urb);
    update_readiness();
    return 0;
}

long UsbfsDevice::discard(UMockdevIoctlClient* client, int* error) {
    const std::uintptr_t address = argument_value(client);
    const auto found = std::find_if(pending_.begin(), pending_.end(), [&](const Urb& urb) {
        return urb.client == client && urb.address == address;
    });
    if (found == pending_.end()) {
        *error = EINVAL;  // already completed, or never submitted
        return -1;
    }
    Urb urb = std::move(*found);
    pending_.erase(found);
    finish(std::move(urb), -ENOENT, {});
    return 0;
}

long UsbfsDevice::control_ioctl(UMockdevIoctlClient* client, int* error) {
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    UMockdevIoctlData* data =
        arg == nullptr ? nullptr : resolve(arg, 0, sizeof(usbdevfs_ctrltransfer));
    if (data == nullptr || data->data_len < static_cast<gint>(sizeof(usbdevfs_ctrltransfer))) {
        *error = EFAULT;
        return -1;
    }
    usbdevfs_ctrltransfer transfer{};
    std::memcpy(&transfer, data->data, sizeof transfer);
    ControlSetup setup{transfer.bRequestType, transfer.bRequest, transfer.wValue, transfer.wIndex,
                       transfer.wLength};
    UMockdevIoctlData* buffer = nullptr;
    if (setup.length > 0) {
        buffer = resolve(data, offsetof(usbdevfs_ctrltransfer, data), setup.length);
        if (buffer == nullptr || buffer->data_len < static_cast<gint>(setup.length)) {
            *error = EFAULT;
            return -1;
        }
    }
    std::vector<std::uint8_t> out;
    if ((setup.request_type & 0x80) == 0 && buffer != nullptr) {
        out.assign(buffer->data, buffer->data + setup.length);
    }
    std::vector<std::uint8_t> in;
    if (!function_.control(setup, out, &in)) {
        *error = EPIPE;
        return -1;
    }
    if ((setup.request_type & 0x80) == 0) {
        return setup.length;
    }
    if (!in.empty()) {
        std::memcpy(buffer->data, in.data(), in.size());
    }
    return static_cast<long>(in.size());
}

}  // namespace hx4x::usbtmc_emulator
