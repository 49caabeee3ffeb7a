"""PyVISA's ctypes layer on our USB VISA library, against the emulated counter: the listing,
*IDN?, a reply longer than the caller's count (VI_SUCCESS_MAX_CNT, the rest on the next read)
and Resource.close(); and the same counter and answer as pyvisa-py sees them.

pyvisa_ctypes_client.py LIBRARY VENDOR PRODUCT SERIAL IDN; exit 77 when pyvisa-py is missing.
"""
import ctypes
import sys
import warnings

try:
    import pyvisa
    import pyvisa_py  # noqa: F401
    from pyvisa.constants import StatusCode
except ImportError:
    print("pyvisa-py (python3-pyvisa-py) is not installed")
    sys.exit(77)

SHORT_COUNT = 5
# What Resource.close() calls on the library before viClose.
CLOSE_ENTRY_POINTS = ("viDisableEvent", "viDiscardEvents")


def identity(name):
    """(vendor, product, serial) from either naming: hexadecimal ids with 0x, or decimal."""
    fields = name.split("::")
    return int(fields[1], 0), int(fields[2], 0), fields[3]


def our_library(path, wanted, idn):
    """The counter's name, *IDN? answer and the entry points PyVISA missed, via ctypes."""
    rm = pyvisa.ResourceManager(path)
    names = [name for name in rm.list_resources() if identity(name) == wanted]
    assert len(names) == 1, "listed: %r" % (rm.list_resources(),)
    counter = rm.open_resource(names[0])
    counter.timeout = 2000
    answer = counter.query("*IDN?")
    # The reply in pieces of SHORT_COUNT bytes: each full piece says more is waiting.
    counter.write("*IDN?")
    pieces = []
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", pyvisa.VisaIOWarning)
        for _ in range(len(idn) // SHORT_COUNT + 2):
            data, status = rm.visalib.read(counter.session, SHORT_COUNT)
            pieces.append(data)
            if status != StatusCode.success_max_count_read:
                break
            assert len(data) == SHORT_COUNT, (data, status)
    assert status == StatusCode.success, status
    assert b"".join(pieces) == (idn + "\n").encode(), pieces
    missing = []
    try:
        counter.close()
    except AttributeError:  # PyVISA looks an entry point up when it first calls it
        library = ctypes.CDLL(path)
        missing = [name for name in CLOSE_ENTRY_POINTS if not hasattr(library, name)]
        rm.visalib.close(counter.session)
        counter.session = None
    rm.close()
    return names[0], answer, missing


def pyvisa_py(wanted):
    rm = pyvisa.ResourceManager("@py")
    names = [name for name in rm.list_resources("USB?*") if identity(name) == wanted]
    assert len(names) == 1, "listed by pyvisa-py: %r" % (rm.list_resources("USB?*"),)
    counter = rm.open_resource(names[0])
    counter.timeout = 2000
    answer = counter.query("*IDN?")
    counter.close()
    rm.close()
    return names[0], answer


def main():
    path, idn = sys.argv[1], sys.argv[5]
    wanted = (int(sys.argv[2], 0), int(sys.argv[3], 0), sys.argv[4])
    ours, our_answer, missing = our_library(path, wanted, idn)
    theirs, their_answer = pyvisa_py(wanted)
    assert our_answer == their_answer == idn + "\n", (our_answer, their_answer)
    assert not missing, "Resource.close() needs %s, which the library does not export" % missing
    print("ok", ours, theirs)


if __name__ == "__main__":
    main()
