#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "console/terminal.hpp"

namespace hx4x {

bool prepare_standard_streams() {
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        const int opened = open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != descriptor) {
            dup2(opened, descriptor);
            close(opened);
        }
    }
    // A reader that went away and a file-size limit (`ulimit -f`, a service manager) would end
    // the process at the failing write, mid-transfer; ignored, the write fails with EPIPE or
    // EFBIG and is reported as a full disk is.
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
    // Every terminal emulator in use erases to the line end on the escape sequence.
    return true;
}

std::FILE* open_operator_terminal() {
    return std::fopen("/dev/tty", "w");
}

}  // namespace hx4x
