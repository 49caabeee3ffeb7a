#include "usbtmc-emulator/emulator.hpp"

#include <glib-unix.h>
#include <signal.h>
#include <sys/wait.h>
#include <umockdev.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "visa-sim/sim_config.hpp"

namespace hx4x::usbtmc_emulator {

namespace {

constexpr std::size_t max_config_bytes = 1u << 20;
constexpr unsigned shared_poll_ms = 100;  // a counter shared with other processes
constexpr unsigned shortest_wait_ms = 5;
constexpr unsigned longest_wait_ms = 60000;
// A restarted counter stays on the bus until the host has reaped what it sent last (the
// service request of the completed flash), but no longer than this.
constexpr std::uint64_t restart_grace_ms = 500;
// A counter off the bus with no moment of its own to come back (a restart) is looked for
// again this often, about the time a device takes to enumerate.
constexpr unsigned enumeration_ms = 200;
constexpr int internal_failure = 70;

void say(const std::string& text) {
    std::fprintf(stderr, "usbtmc-emulator: %s\n", text.c_str());
}

std::uint64_t wall_ms() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::system_clock::now().time_since_epoch())
                                          .count());
}

bool read_config(const std::string& path, visa_sim::SimConfig* config, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = path + ": cannot read the file";
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (text.str().size() > max_config_bytes) {
        *error = path + ": file larger than 1 MiB";
        return false;
    }
    std::string why;
    if (!visa_sim::parse_sim_config(text.str(), config, &why)) {
        *error = path + ": " + why;
        return false;
    }
    return true;
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

std::string dec3(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%03u", value);
    return text;
}

}  // namespace

bool parse_options(int argc, char** argv, Options* options, std::string* error) {
    int i = 1;
    const auto value = [&](const std::string& name, std::string* out) {
        const std::string arg = argv[i];
        if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
            *out = arg.substr(name.size() + 1);
            return true;
        }
        if (arg == name) {
            if (i + 1 >= argc) {
                *error = name + " needs a value";
                return false;
            }
            *out = argv[++i];
            return true;
        }
        return false;
    };
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string text;
        if (arg == "--") {
            ++i;
            break;
        }
        if (value("--config", &options->config) || value("--trace", &options->trace)) {
            continue;
        }
        if (arg == "--kernel-driver") {
            options->kernel_driver = true;
            continue;
        }
        if (value("--fault", &text)) {
            Fault fault;
            std::string why;
            if (!parse_fault(text, &fault, &why)) {
                *error = "--fault " + text + ": " + why;
                return false;
            }
            options->faults.push_back(std::move(fault));
            continue;
        }
        if (!error->empty()) {
            return false;
        }
        *error = "unknown option " + arg;
        return false;
    }
    if (!error->empty()) {
        return false;
    }
    for (; i < argc; ++i) {
        options->command.emplace_back(argv[i]);
    }
    if (options->command.empty()) {
        *error = "no command after --";
        return false;
    }
    return true;
}

Emulator::Emulator(Options options) : options_(std::move(options)) {}

Emulator::~Emulator() {
    if (timer_ != 0) {
        g_source_remove(timer_);
    }
    slots_.clear();
    incarnations_.clear();
    if (rm_ != 0) {
        simulator_.close(rm_);
    }
    if (testbed_ != nullptr) {
        g_object_unref(testbed_);
    }
}

bool Emulator::set_up(std::string* error) {
    if (!options_.config.empty()) {
        g_setenv(visa_sim::VisaSimulator::config_variable, options_.config.c_str(), TRUE);
    }
    if (!options_.trace.empty() && !trace_.open(options_.trace)) {
        *error = "cannot write the trace " + options_.trace;
        return false;
    }
    visa_sim::SimConfig config;
    const char* path = g_getenv(visa_sim::VisaSimulator::config_variable);
    if (path != nullptr && path[0] != '\0' && !read_config(path, &config, error)) {
        return false;
    }
    if (simulator_.open_default_rm(&rm_) != visa::VI_SUCCESS) {
        *error = "the simulated resource manager does not open";
        return false;
    }
    testbed_ = umockdev_testbed_new();
    for (const visa_sim::ResourceConfig& resource : config.resources) {
        Slot slot;
        if (!parse_usb_resource(resource.name, &slot.identity)) {
            continue;  // a GPIB counter, or a name no USB device could have
        }
        slot.state_path = resource.state_path;
        slot.link = std::make_unique<CounterLink>(simulator_, rm_, resource.name);
        names_from_idn(slot.link->idn(), &slot.identity);
        slots_.push_back(std::move(slot));
    }
    for (std::size_t port = 0; port < slots_.size(); ++port) {
        Slot& slot = slots_[port];
        if (slot.link->open() && !plug(slot, port + 1, error)) {
            return false;
        }
    }
    return true;
}

bool Emulator::plug(Slot& slot, std::size_t port, std::string* error) {
    const unsigned devnum = next_devnum_;
    next_devnum_ = next_devnum_ >= 127 ? 2 : next_devnum_ + 1;
    const std::string devnode = "/dev/bus/usb/001/" + dec3(devnum);
    const std::string name = "1-" + std::to_string(port);
    const DeviceIdentity& id = slot.identity;
    const std::string attributes[][2] = {
        {"busnum", "1"},
        {"devnum", std::to_string(devnum)},
        {"speed", "480"},
        {"idVendor", hex4(id.vendor)},
        {"idProduct", hex4(id.product)},
        {"bcdDevice", "0100"},
        {"serial", id.serial},
        {"manufacturer", id.manufacturer},
        {"product", id.product_name},
        {"bConfigurationValue", "1"},
        {"bNumConfigurations", "1"},
        {"bNumInterfaces", " 1"},
        {"bDeviceClass", "00"},
        {"bMaxPacketSize0", "64"},
        {"version", " 2.00"},
        {"maxchild", "0"},
        {"devpath", std::to_string(port)},
    };
    const std::string properties[][2] = {
        {"DEVNAME", devnode},
        {"DEVTYPE", "usb_device"},
        {"BUSNUM", "001"},
        {"DEVNUM", dec3(devnum)},
        {"PRODUCT", hex4(id.vendor) + "/" + hex4(id.product) + "/100"},
        {"TYPE", "0/0/0"},
        {"MAJOR", "189"},
        {"MINOR", std::to_string(devnum - 1)},
    };
    std::vector<const gchar*> attribute_list;
    for (const auto& pair : attributes) {
        attribute_list.push_back(pair[0].c_str());
        attribute_list.push_back(pair[1].c_str());
    }
    attribute_list.push_back(nullptr);
    std::vector<const gchar*> property_list;
    for (const auto& pair : properties) {
        property_list.push_back(pair[0].c_str());
        property_list.push_back(pair[1].c_str());
    }
    property_list.push_back(nullptr);
    gchar* syspath = umockdev_testbed_add_devicev(testbed_, "usb", name.c_str(), nullptr,
                                                  const_cast<gchar**>(attribute_list.data()),
                                                  const_cast<gchar**>(property_list.data()));
    if (syspath == nullptr) {
        *error = "cannot add " + devnode + " to the testbed";
        return false;
    }
    std::vector<std::uint8_t> descriptors = device_descriptor(id);
    const std::vector<std::uint8_t> config = configuration_descriptor();
    descriptors.insert(descriptors.end(), config.begin(), config.end());
    umockdev_testbed_set_attribute_binary(testbed_, syspath, "descriptors", descriptors.data(),
                                          static_cast<gint>(descriptors.size()));
    auto incarnation = std::make_unique<Incarnation>();
    incarnation->syspath = syspath;
    g_free(syspath);
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const std::string node_path = std::string(root) + devnode;
    g_free(root);
    incarnation->function = std::make_unique<UsbtmcFunction>(
        *slot.link, id, slot.plugged_before ? std::vector<Fault>{} : options_.faults, trace_,
        devnode);
    slot.plugged_before = true;
    if (options_.kernel_driver) {
        incarnation->function->bind_kernel_driver_at_plug();
    }
    incarnation->device = std::make_unique<UsbfsDevice>(lock_, *incarnation->function, devnode,
                                                        node_path, stats_, [this] { kick(); });
    if (!incarnation->device->attach(testbed_, error)) {
        return false;
    }
    umockdev_testbed_uevent(testbed_, incarnation->syspath.c_str(), "add");
    trace_.line(devnode, "plugged " + slot.link->resource());
    slot.current = incarnation.get();
    incarnations_.push_back(std::move(incarnation));
    return true;
}

void Emulator::unplug(Slot& slot) {
    Incarnation* gone = slot.current;
    slot.current = nullptr;
    umockdev_testbed_uevent(testbed_, gone->syspath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, gone->syspath.c_str());
    trace_.line(gone->device->devnode(), "unplugged");
}

void Emulator::kick() {
    if (!kick_pending_.exchange(true)) {
        g_idle_add(on_kick, this);
    }
}

int Emulator::on_kick(void* self) {
    auto* emulator = static_cast<Emulator*>(self);
    emulator->kick_pending_ = false;
    emulator->service();
    return G_SOURCE_REMOVE;
}

int Emulator::on_timer(void* self) {
    auto* emulator = static_cast<Emulator*>(self);
    emulator->timer_ = 0;
    emulator->service();
    return G_SOURCE_REMOVE;
}

void Emulator::schedule(unsigned delay_ms) {
    if (timer_ != 0) {
        g_source_remove(timer_);
        timer_ = 0;
    }
    if (delay_ms > 0) {
        timer_ = g_timeout_add(delay_ms, on_timer, this);
    }
}

void Emulator::service() {
    std::vector<Slot*> leaving;
    std::vector<std::size_t> coming;
    unsigned delay = 0;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        for (std::size_t port = 0; port < slots_.size(); ++port) {
            Slot& slot = slots_[port];
            if (slot.current != nullptr) {
                UsbfsDevice& device = *slot.current->device;
                if (!device.vanished() && slot.current->function->gone()) {
                    device.vanish();
                }
                if (!device.vanished() && slot.link->restarted()) {
                    const std::uint64_t now = wall_ms();
                    if (slot.restart_seen_ms == 0) {
                        slot.restart_seen_ms = now;
                    }
                    if (!device.unreaped() || now - slot.restart_seen_ms >= restart_grace_ms) {
                        device.vanish();
                    } else {
                        delay = shortest_wait_ms;
                    }
                }
                if (device.vanished()) {
                    slot.restart_seen_ms = 0;
                    slot.unplugged = slot.current->function->unplugged();
                    slot.link->close();
                    leaving.push_back(&slot);
                } else {
                    device.serve();
                }
            } else if (!slot.unplugged && slot.link->open()) {
                coming.push_back(port);
            }
        }
        const std::uint64_t now = wall_ms();
        for (std::size_t port = 0; port < slots_.size(); ++port) {
            const Slot& slot = slots_[port];
            const bool absent = slot.current == nullptr || slot.current->device->vanished();
            const bool waiting = absent ? !slot.unplugged : slot.current->device->waiting();
            if (!waiting) {
                continue;
            }
            unsigned wait = 0;
            if (const auto next = slot.link->next_change_ms()) {
                const std::uint64_t ahead = *next > now ? *next - now : 0;
                wait = static_cast<unsigned>(
                    std::clamp<std::uint64_t>(ahead, shortest_wait_ms, longest_wait_ms));
            }
            if (!slot.state_path.empty()) {
                wait = wait == 0 ? shared_poll_ms : std::min(wait, shared_poll_ms);
            }
            if (absent && wait == 0) {
                wait = enumeration_ms;
            }
            if (wait != 0) {
                delay = delay == 0 ? wait : std::min(delay, wait);
            }
        }
    }
    // The testbed is changed outside the lock: its worker thread may be waiting for it.
    for (Slot* slot : leaving) {
        unplug(*slot);
    }
    for (const std::size_t port : coming) {
        std::string error;
        if (!plug(slots_[port], port + 1, &error)) {
            say(error);
            failed_ = true;
        }
    }
    if (!coming.empty()) {
        delay = shortest_wait_ms;  // serve what the new device may already have
    }
    schedule(delay);
}

namespace {

struct ChildState {
    GMainLoop* loop = nullptr;
    int status = 0;
    bool done = false;
    GPid pid = 0;
};

void on_child(GPid, gint status, gpointer data) {
    auto* child = static_cast<ChildState*>(data);
    child->status = status;
    child->done = true;
    g_main_loop_quit(child->loop);
}

int forward_signal(gpointer data, int signal_number) {
    auto* child = static_cast<ChildState*>(data);
    if (!child->done) {
        kill(child->pid, signal_number);
    }
    return G_SOURCE_CONTINUE;
}

gboolean on_sigint(gpointer data) {
    return forward_signal(data, SIGINT);
}
gboolean on_sigterm(gpointer data) {
    return forward_signal(data, SIGTERM);
}

}  // namespace

int Emulator::run() {
    std::string error;
    if (!set_up(&error)) {
        say(error);
        return internal_failure;
    }
    gchar** environment = g_get_environ();
    const gchar* preload = g_environ_getenv(environment, "LD_PRELOAD");
    const std::string current = preload != nullptr ? preload : "";
    if (current.find("libumockdev-preload") == std::string::npos) {
        const std::string preloads =
            "libumockdev-preload.so.0" + (current.empty() ? current : ":" + current);
        environment = g_environ_setenv(environment, "LD_PRELOAD", preloads.c_str(), TRUE);
    }
    environment = g_environ_unsetenv(environment, "HX4X_USBTMC_EMULATOR_PRELOADED");
    // A sanitised child cannot have the preload ahead of its runtime otherwise.
    const gchar* asan = g_environ_getenv(environment, "ASAN_OPTIONS");
    if (asan == nullptr || std::string(asan).find("verify_asan_link_order") == std::string::npos) {
        const std::string options = (asan != nullptr && asan[0] != '\0')
                                        ? std::string(asan) + ":verify_asan_link_order=0"
                                        : std::string("verify_asan_link_order=0");
        environment = g_environ_setenv(environment, "ASAN_OPTIONS", options.c_str(), TRUE);
    }
    std::vector<gchar*> argv;
    for (std::string& arg : options_.command) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    ChildState child;
    GError* failure = nullptr;
    const gboolean spawned =
        g_spawn_async(nullptr, argv.data(), environment,
                      static_cast<GSpawnFlags>(G_SPAWN_DO_NOT_REAP_CHILD | G_SPAWN_SEARCH_PATH |
                                               G_SPAWN_CHILD_INHERITS_STDIN),
                      nullptr, nullptr, &child.pid, &failure);
    g_strfreev(environment);
    if (!spawned) {
        say(std::string("cannot run ") + options_.command[0] + ": " +
            (failure != nullptr ? failure->message : "unknown error"));
        if (failure != nullptr) {
            g_error_free(failure);
        }
        return internal_failure;
    }
    const auto started = std::chrono::steady_clock::now();
    child.loop = g_main_loop_new(nullptr, FALSE);
    g_child_watch_add(child.pid, on_child, &child);
    const guint sigint = g_unix_signal_add(SIGINT, on_sigint, &child);
    const guint sigterm = g_unix_signal_add(SIGTERM, on_sigterm, &child);
    service();
    g_main_loop_run(child.loop);
    g_source_remove(sigint);
    g_source_remove(sigterm);
    g_main_loop_unref(child.loop);
    g_spawn_close_pid(child.pid);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    {
        const std::lock_guard<std::mutex> guard(lock_);
        char line[160];
        std::snprintf(line, sizeof line, "reaps=%llu empty=%llu seconds=%.3f",
                      static_cast<unsigned long long>(stats_.reaps),
                      static_cast<unsigned long long>(stats_.empty_reaps), seconds);
        trace_.line("stats", line);
    }
    if (failed_) {
        return internal_failure;
    }
    if (WIFEXITED(child.status)) {
        return WEXITSTATUS(child.status);
    }
    if (WIFSIGNALED(child.status)) {
        return 128 + WTERMSIG(child.status);
    }
    return internal_failure;
}

}  // namespace hx4x::usbtmc_emulator
