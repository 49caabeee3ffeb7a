// xdnd-drop: drops one file on an X window through the XDND protocol (version 5), as a file
// manager does when a file is dragged there and let go.
//
//   xdnd-drop [--timeout SECONDS] WINDOW X Y FILE
//
// WINDOW is a window id (decimal, as xdotool prints it, or 0x hexadecimal) or "root"; X Y is
// a point in that window's own coordinates. The file goes to the deepest window under that
// point that announces XdndAware (a Qt top-level, or a Wine window's X window), as the URI
// file:///... with every byte outside the unreserved set percent-encoded. The exchange:
// XdndEnter offering text/uri-list, one XdndPosition at the point's root coordinates, the
// target's XdndStatus, XdndDrop, the target's request for the XdndSelection data, and its
// XdndFinished. Every wait shares one time bound (10 s unless --timeout says otherwise):
// a test that drives a hung program must fail, not hang with it.
//
// Exit status: 0 dropped and taken; 1 command-line error; 2 nothing there takes drops, or
// the target refused this one; 3 the target did not answer in time; 4 no X display or an
// X error.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr long our_version = 5;
// Older targets read the messages differently (version 2 and below had no action field).
constexpr long oldest_version = 3;

enum ExitStatus { ok = 0, usage_error = 1, refused = 2, timed_out = 3, x_failure = 4 };

using Clock = std::chrono::steady_clock;

int last_x_error = 0;

int record_x_error(Display*, XErrorEvent* event) {
    last_x_error = event->error_code;
    return 0;
}

[[noreturn]] void fail(int status, const std::string& message) {
    std::fprintf(stderr, "xdnd-drop: %s\n", message.c_str());
    std::exit(status);
}

std::string hex_id(Window window) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}

// The file as a URI the way file managers write it: an empty host, the absolute path's
// bytes (UTF-8 on this system) percent-encoded except the unreserved characters and '/'.
std::string file_uri(const std::string& path) {
    std::string absolute = path;
    if (absolute.empty() || absolute.front() != '/') {
        std::vector<char> folder(4096);
        if (getcwd(folder.data(), folder.size()) == nullptr) {
            fail(usage_error,
                 "cannot tell the current folder: " + std::string(std::strerror(errno)));
        }
        absolute = std::string(folder.data()) + "/" + path;
    }
    static const char digits[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (const char c : absolute) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                                byte == '_' || byte == '~' || byte == '/';
        if (unreserved) {
            uri += c;
        } else {
            uri += '%';
            uri += digits[byte >> 4];
            uri += digits[byte & 0x0F];
        }
    }
    return uri;
}

std::optional<Window> parse_window(const char* text, Window root) {
    if (std::strcmp(text, "root") == 0) {
        return root;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || value == 0) {
        return std::nullopt;
    }
    return Window{value};
}

std::optional<int> parse_int(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < -32768 || value > 32767) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// The first 32-bit item of a window's property, if it has one.
std::optional<unsigned long> first_item(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const int result = XGetWindowProperty(display, window, property, 0, 1, False, AnyPropertyType,
                                          &type, &format, &count, &after, &data);
    std::optional<unsigned long> item;
    if (result == Success && data != nullptr && format == 32 && count >= 1) {
        // Xlib hands 32-bit items back as longs.
        unsigned long value = 0;
        std::memcpy(&value, data, sizeof value);
        item = value;
    }
    if (data != nullptr) {
        XFree(data);
    }
    return item;
}

struct Atoms {
    Atom aware, proxy, enter, position, status, leave, drop, finished, selection, action_copy,
        uri_list, targets;
    explicit Atoms(Display* display)
        : aware(XInternAtom(display, "XdndAware", False)),
          proxy(XInternAtom(display, "XdndProxy", False)),
          enter(XInternAtom(display, "XdndEnter", False)),
          position(XInternAtom(display, "XdndPosition", False)),
          status(XInternAtom(display, "XdndStatus", False)),
          leave(XInternAtom(display, "XdndLeave", False)),
          drop(XInternAtom(display, "XdndDrop", False)),
          finished(XInternAtom(display, "XdndFinished", False)),
          selection(XInternAtom(display, "XdndSelection", False)),
          action_copy(XInternAtom(display, "XdndActionCopy", False)),
          uri_list(XInternAtom(display, "text/uri-list", False)),
          targets(XInternAtom(display, "TARGETS", False)) {}
};

class Drop {
  public:
    Drop(Display* display, Window root, Clock::time_point deadline)
        : display_(display), root_(root), atoms_(display), deadline_(deadline) {}

    // The windows under the root point from the root down, each the mapped child of the
    // one before that holds the point.
    std::vector<Window> windows_under(int root_x, int root_y) {
        std::vector<Window> chain{root_};
        Window current = root_;
        for (;;) {
            int x = 0;
            int y = 0;
            Window child = None;
            if (!XTranslateCoordinates(display_, root_, current, root_x, root_y, &x, &y, &child) ||
                child == None) {
                return chain;
            }
            chain.push_back(child);
            current = child;
        }
    }

    std::optional<unsigned long> xdnd_version(Window window) {
        return first_item(display_, window, atoms_.aware);
    }

    // The window the messages go to: the target's proxy, when it names one that names itself.
    Window message_window(Window target) {
        const auto proxy = first_item(display_, target, atoms_.proxy);
        if (proxy && *proxy != None) {
            last_x_error = 0;
            const auto self = first_item(display_, Window{*proxy}, atoms_.proxy);
            if (last_x_error == 0 && self && *self == *proxy) {
                return Window{*proxy};
            }
        }
        return target;
    }

    int run(Window target, long version, int root_x, int root_y, const std::string& uri) {
        target_ = target;
        to_ = message_window(target);
        version_ = version;
        data_ = uri + "\r\n";
        source_ = XCreateSimpleWindow(display_, root_, -10, -10, 1, 1, 0, 0, 0);
        XSelectInput(display_, source_, PropertyChangeMask);
        const Time now = server_time();
        XSetSelectionOwner(display_, atoms_.selection, source_, now);
        if (XGetSelectionOwner(display_, atoms_.selection) != source_) {
            fail(x_failure, "could not own the XdndSelection");
        }

        send(atoms_.enter, {long(source_), version_ << 24, long(atoms_.uri_list), 0, 0});
        send(atoms_.position, {long(source_), 0, (long(root_x) << 16) | long(root_y), long(now),
                               long(atoms_.action_copy)});
        const XClientMessageEvent* answer = wait_for(atoms_.status);
        if (answer == nullptr) {
            send(atoms_.leave, {long(source_), 0, 0, 0, 0});
            XSync(display_, False);
            fail(timed_out, "no XdndStatus from " + hex_id(target_) + " in time");
        }
        if ((answer->data.l[1] & 1) == 0) {
            send(atoms_.leave, {long(source_), 0, 0, 0, 0});
            XSync(display_, False);
            fail(refused, "window " + hex_id(target_) + " refused the drop at that point");
        }

        send(atoms_.drop, {long(source_), 0, long(now), 0, 0});
        answer = wait_for(atoms_.finished);
        if (answer == nullptr) {
            fail(timed_out, "no XdndFinished from " + hex_id(target_) + " in time" +
                                (data_sent_ ? " (it had read the file's URI)"
                                            : " (it never asked for the file's URI)"));
        }
        // Version 5 says whether the drop was taken; older ones only that it is over.
        if (version_ >= 5 && (answer->data.l[1] & 1) == 0) {
            fail(refused, "window " + hex_id(target_) + " finished without taking the drop");
        }
        if (!data_sent_) {
            fail(refused, "window " + hex_id(target_) + " finished without reading the file's URI");
        }
        std::printf("xdnd-drop: dropped %s on %s\n", uri.c_str(), hex_id(target_).c_str());
        return ok;
    }

  private:
    // A server time for the selection and the messages: the time stamp of a change of our
    // own window's property (CurrentTime would let a slow answer to an older drop count).
    Time server_time() {
        const unsigned char name[] = "xdnd-drop";
        XChangeProperty(display_, source_, XA_WM_NAME, XA_STRING, 8, PropModeReplace, name,
                        int(sizeof name - 1));
        XEvent event;
        while (next_event(event)) {
            if (event.type == PropertyNotify && event.xproperty.window == source_) {
                return event.xproperty.time;
            }
        }
        fail(x_failure, "the X server did not report a change of our own window in time");
    }

    void send(Atom type, std::initializer_list<long> values) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.display = display_;
        event.xclient.window = target_;
        event.xclient.message_type = type;
        event.xclient.format = 32;
        std::copy(values.begin(), values.end(), event.xclient.data.l);
        last_x_error = 0;
        XSendEvent(display_, to_, False, NoEventMask, &event);
        XSync(display_, False);
        if (last_x_error != 0) {
            fail(x_failure, "window " + hex_id(to_) + " is gone");
        }
    }

    // The next event before the deadline; the selection's data is given whenever asked for
    // (Wine asks for it on XdndEnter already, Qt only on the drop).
    bool next_event(XEvent& event) {
        for (;;) {
            while (XPending(display_) > 0) {
                XNextEvent(display_, &event);
                if (event.type == SelectionRequest) {
                    answer(event.xselectionrequest);
                    continue;
                }
                return true;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            pollfd descriptor{XConnectionNumber(display_), POLLIN, 0};
            poll(&descriptor, 1, int(std::min<long long>(left.count(), 1000)));
        }
    }

    const XClientMessageEvent* wait_for(Atom type) {
        while (next_event(event_)) {
            if (event_.type == ClientMessage && event_.xclient.message_type == type &&
                Window(event_.xclient.data.l[0]) == target_) {
                return &event_.xclient;
            }
        }
        return nullptr;
    }

    void answer(const XSelectionRequestEvent& request) {
        XEvent reply{};
        reply.xselection.type = SelectionNotify;
        reply.xselection.display = display_;
        reply.xselection.requestor = request.requestor;
        reply.xselection.selection = request.selection;
        reply.xselection.target = request.target;
        reply.xselection.time = request.time;
        reply.xselection.property = None;
        // A requestor of the old protocol names no property: the target's name is used.
        const Atom property = request.property != None ? request.property : request.target;
        if (request.selection == atoms_.selection && request.target == atoms_.targets) {
            const Atom offered[] = {atoms_.targets, atoms_.uri_list};
            XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(offered), 2);
            reply.xselection.property = property;
        } else if (request.selection == atoms_.selection && request.target == atoms_.uri_list) {
            XChangeProperty(display_, request.requestor, property, atoms_.uri_list, 8,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(data_.data()),
                            int(data_.size()));
            reply.xselection.property = property;
            data_sent_ = true;
        }
        XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
        XFlush(display_);
    }

    Display* display_;
    Window root_;
    Atoms atoms_;
    Clock::time_point deadline_;
    Window source_ = None;
    Window target_ = None;
    Window to_ = None;
    long version_ = our_version;
    std::string data_;
    bool data_sent_ = false;
    XEvent event_{};
};

[[noreturn]] void usage() {
    std::fputs(
        "usage: xdnd-drop [--timeout SECONDS] WINDOW X Y FILE\n"
        "Drops FILE on the X window WINDOW (an id, or \"root\") at the point X Y of that\n"
        "window, through XDND: the deepest window under the point that announces XdndAware\n"
        "receives the file's URI. Exit status: 0 taken, 1 usage, 2 not taken or refused,\n"
        "3 no answer in time, 4 no display or an X error.\n",
        stderr);
    std::exit(usage_error);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const char*> arguments(argv + 1, argv + argc);
    double seconds = 10;
    if (arguments.size() >= 2 && std::strcmp(arguments[0], "--timeout") == 0) {
        char* end = nullptr;
        seconds = std::strtod(arguments[1], &end);
        if (end == arguments[1] || *end != '\0' || !(seconds > 0) || seconds > 3600) {
            usage();
        }
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    if (arguments.size() != 4) {
        usage();
    }
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    const auto x = parse_int(arguments[1]);
    const auto y = parse_int(arguments[2]);
    const std::string path = arguments[3];
    if (!x || !y || path.empty()) {
        usage();
    }

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        const char* name = std::getenv("DISPLAY");
        fail(x_failure, "cannot open the X display " +
                            std::string(name != nullptr ? name : "(DISPLAY unset)"));
    }
    XSetErrorHandler(record_x_error);
    const Window root = XDefaultRootWindow(display);
    const auto window = parse_window(arguments[0], root);
    if (!window) {
        usage();
    }

    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, *window, &attributes) || last_x_error != 0) {
        fail(x_failure, "there is no window " + hex_id(*window));
    }
    if (attributes.map_state != IsViewable) {
        fail(refused, "window " + hex_id(*window) + " is not shown");
    }
    if (*x < 0 || *y < 0 || *x >= attributes.width || *y >= attributes.height) {
        fail(usage_error, "the point " + std::to_string(*x) + "," + std::to_string(*y) +
                              " lies outside window " + hex_id(*window) + " (" +
                              std::to_string(attributes.width) + "x" +
                              std::to_string(attributes.height) + ")");
    }
    int root_x = 0;
    int root_y = 0;
    Window child = None;
    XTranslateCoordinates(display, *window, root, *x, *y, &root_x, &root_y, &child);

    Drop drop(display, root, deadline);
    const std::vector<Window> chain = drop.windows_under(root_x, root_y);
    // A drop lands on what is shown at the point: another window covering ours there would
    // get it.
    if (std::find(chain.begin(), chain.end(), *window) == chain.end()) {
        fail(refused, "window " + hex_id(*window) + " is covered at that point by " +
                          hex_id(chain.size() > 1 ? chain[1] : root));
    }
    Window target = None;
    unsigned long version = 0;
    for (const Window candidate : chain) {
        if (const auto announced = drop.xdnd_version(candidate)) {
            target = candidate;
            version = *announced;
        }
    }
    if (target == None) {
        std::string names;
        for (const Window candidate : chain) {
            names += " " + hex_id(candidate);
        }
        fail(refused, "no window under the point takes drops (none announces XdndAware):" + names);
    }
    if (version < oldest_version) {
        fail(refused, "window " + hex_id(target) + " speaks XDND version " +
                          std::to_string(version) + ", older than 3");
    }
    const long used = std::min(our_version, static_cast<long>(version));
    const int status = drop.run(target, used, root_x, root_y, file_uri(path));
    XCloseDisplay(display);
    return status;
}
