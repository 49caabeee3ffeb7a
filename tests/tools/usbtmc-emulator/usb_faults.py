"""Libusb-level checks of the emulated counter's fault modes (run under usbtmc-emulator).

usb_faults.py MODE: MODE is stall, withhold or unplug, matching the --fault given to
the emulator (stall:in:2, withhold:in:2, unplug:cmd:1:SYST:FIRM). Exit 0 on success, 77 when
pyusb is missing. Every USB call has a time-out, so nothing here can hang.
"""
import errno
import struct
import sys
import time

try:
    import usb.core
    import usb.util
except ImportError:
    print("pyusb (python3-usb) is not installed")
    sys.exit(77)

TIMEOUT_MS = 2000
IDN = b"VALDMORE,HX-40XL,100000,V1.15\n"


class Counter:
    def __init__(self):
        self.dev = usb.core.find(idVendor=0x5D3C, idProduct=0x0090)
        assert self.dev is not None, "the emulated counter is not on the bus"
        self.dev.set_configuration()
        usb.util.claim_interface(self.dev, 0)
        self.tag = 0

    def next_tag(self):
        self.tag = self.tag % 255 + 1
        return self.tag

    def write(self, text):
        data = text.encode()
        tag = self.next_tag()
        header = struct.pack("<BBBxLBxxx", 1, tag, ~tag & 0xFF, len(data), 1)
        padding = b"\0" * (-len(data) % 4)
        self.dev.write(0x02, header + data + padding, TIMEOUT_MS)

    def request(self, size=1024):
        tag = self.next_tag()
        self.dev.write(0x02, struct.pack("<BBBxLBxxx", 2, tag, ~tag & 0xFF, size, 0), TIMEOUT_MS)
        return tag

    def read_reply(self, tag, timeout=TIMEOUT_MS):
        raw = bytes(self.dev.read(0x81, 1024 + 12 + 3, timeout))
        msg, rtag, inverse, size, attributes = struct.unpack_from("<BBBxLBxxx", raw)
        assert (msg, rtag, inverse) == (2, tag, ~tag & 0xFF), raw
        return raw[12:12 + size], attributes & 1

    def query(self, text):
        self.write(text)
        tag = self.request()
        return self.read_reply(tag)

    def control_in(self, request, value, index, length):
        return bytes(self.dev.ctrl_transfer(0xA2, request, value, index, length, TIMEOUT_MS))


def check_stall(counter):
    assert counter.query("*IDN?") == (IDN, 1)
    counter.write("*IDN?")
    tag = counter.request()
    try:
        counter.read_reply(tag)
        raise AssertionError("the second bulk-IN transfer was not stalled")
    except usb.core.USBError as error:
        assert error.errno == errno.EPIPE, error
    # Halted until cleared, then the reply is still there for a new request.
    try:
        counter.read_reply(tag)
        raise AssertionError("the endpoint did not stay halted")
    except usb.core.USBError as error:
        assert error.errno == errno.EPIPE, error
    counter.dev.clear_halt(0x81)
    tag = counter.request()
    assert counter.read_reply(tag) == (IDN, 1)


def check_withhold(counter):
    assert counter.query("*IDN?") == (IDN, 1)
    counter.write("*IDN?")
    tag = counter.request()
    try:
        counter.read_reply(tag, timeout=300)
        raise AssertionError("the withheld reply came")
    except usb.core.USBTimeoutError:
        pass
    status, echoed = counter.control_in(3, tag, 0x81, 2)  # INITIATE_ABORT_BULK_IN
    assert (status, echoed) == (1, tag), (status, echoed)
    assert len(counter.dev.read(0x81, 512, TIMEOUT_MS)) == 0  # the short packet ending it
    check = counter.control_in(4, 0, 0x81, 8)  # CHECK_ABORT_BULK_IN_STATUS
    assert check[0] == 1, check
    # Nothing left over from the aborted reply: the next query gets its own answer.
    assert counter.query("SYST:ERR?") == (b'0,"No error"\n', 1)
    assert counter.query("*IDN?") == (IDN, 1)


def check_unplug(counter):
    assert counter.query("*IDN?") == (IDN, 1)
    try:
        counter.write("SYST:FIRM:PREP")
        raise AssertionError("the device did not vanish")
    except usb.core.USBError as error:
        assert error.errno == errno.ENODEV, error
    for call in (lambda: counter.query("*IDN?"), lambda: counter.control_in(7, 0, 0, 24)):
        try:
            call()
            raise AssertionError("a vanished device answered")
        except usb.core.USBError as error:
            assert error.errno in (errno.ENODEV, errno.EIO), error
    usb.util.dispose_resources(counter.dev)
    # The device leaves the bus as a hot-unplug does, a moment after its last answer.
    deadline = time.monotonic() + 10
    while usb.core.find(idVendor=0x5D3C, idProduct=0x0090) is not None:
        assert time.monotonic() < deadline, "still listed"
        time.sleep(0.05)


def main():
    mode = sys.argv[1]
    counter = Counter()
    # Idle: an interrupt-IN read that nothing answers keeps the event loop waiting.
    try:
        counter.dev.read(0x83, 8, 500)
    except usb.core.USBTimeoutError:
        pass
    {"stall": check_stall, "withhold": check_withhold, "unplug": check_unplug}[mode](counter)
    print("ok", mode)


if __name__ == "__main__":
    main()
