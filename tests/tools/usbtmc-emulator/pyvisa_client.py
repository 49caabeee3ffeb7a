"""An independent USBTMC client (pyvisa-py over pyusb and libusb) against the emulated
counter: it must be listed under its USB resource name and answer *IDN? as configured.

pyvisa_client.py VENDOR PRODUCT SERIAL IDN; exit 77 when pyvisa-py is missing.
"""
import sys

try:
    import pyvisa
    import pyvisa_py  # noqa: F401
except ImportError:
    print("pyvisa-py (python3-pyvisa-py) is not installed")
    sys.exit(77)


def main():
    vendor, product, serial, idn = int(sys.argv[1], 0), int(sys.argv[2], 0), sys.argv[3], sys.argv[4]
    rm = pyvisa.ResourceManager("@py")
    resources = rm.list_resources("USB?*")
    # pyvisa-py writes USB0::<vendor>::<product>::<serial>::<interface>::INSTR in decimal.
    matches = []
    for name in resources:
        fields = name.split("::")
        if len(fields) >= 5 and fields[3] == serial and \
                int(fields[1], 0) == vendor and int(fields[2], 0) == product:
            matches.append(name)
    assert len(matches) == 1, "listed: %r" % (resources,)
    counter = rm.open_resource(matches[0])
    counter.timeout = 2000
    answer = counter.query("*IDN?")
    assert answer == idn + "\n", repr(answer)
    # A second exchange on the same session: bTag handling and the error queue.
    assert counter.query("SYST:ERR?") == '0,"No error"\n'
    counter.close()
    rm.close()
    print("ok", matches[0])


if __name__ == "__main__":
    main()
