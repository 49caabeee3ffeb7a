"""One firmware update by the real loader through the USB VISA library, against the emulated
counter with USB faults injected, and what it must leave behind.

loader_under_fault.py --emulator E --loader L --library LIB --hex HEX --counter NAME --work DIR
    --exit STATUS [--fault SPEC]... [--check CHECK]...

Checks, on the simulated counter's transcript, the loader's JSON lines and the burnt image:
  image               the counter burnt exactly the data bytes of HEX
  no_data             no data command reached the counter
  no_burn             the burn was never ordered
  reset_after_data    the loader's reset reached the counter after the last data command
  reset_refused       the loader says the reset did not reach the counter
  block_retried       one block was sent again (the loader retried it), none lost
  block_retried_once  ... exactly once: the retry's error query got its answer at once
  then_reset          a second loader run in the same emulator session (reset, which
                      identifies the counter) succeeds
The run is bounded: a loader that hangs is killed and reported as hung.
"""
import argparse
import json
import os
import re
import signal
import subprocess
import sys
import time

import image_matches_hex

RUN_BOUND_S = 150
RESET = ":ABOR; *rst; *PSC 0; *CLS"
DATA = re.compile(r"^SYST:FIRM:DATA #\d+ \[block addr=(0x[0-9A-F]+) len=\d+ ok\]")

# Runs inside the emulator: the update, then (when asked) the reset run, each writing its
# JSON lines and exit status to files in the working folder.
SCRIPT = """loader=$1; counter=$2; second=$3; shift 3
"$loader" "$@" json > update.json 2> update.err
echo $? > update.status
if [ "$second" = then_reset ]; then
    "$loader" counter="$counter" reset json > reset.json 2> reset.err
    echo $? > reset.status
fi
"""


def run_under_emulator(args):
    with open(os.path.join(args.work, "counter.cfg"), "w") as config:
        config.write("timeouts real\ntranscript %s\nresource %s\n" % (
            os.path.join(args.work, "transcript.txt"), args.counter))
        config.write("    idn VALDMORE,HX-40XL,100000,V1.15\n    new_version V1.20\n"
                     "    burn_ms 1500\n    image_map %s\n" % os.path.join(args.work, "image.map"))
    command = [args.emulator, "--config", "counter.cfg", "--trace", "usb.trace"]
    for fault in args.fault:
        command += ["--fault", fault]
    second = "then_reset" if "then_reset" in args.check else "none"
    command += ["--", "/bin/sh", "-c", SCRIPT, "sh", args.loader, args.counter, second,
                "hex_file=" + args.hex, "counter=" + args.counter, "yes"]
    # A runtime folder of the case's own: the loader's lock on a counter's address lives
    # there, and the cases run side by side with the same address.
    env = dict(os.environ, HX4X_VISA_LIBRARY=args.library,
               XDG_RUNTIME_DIR=os.path.abspath(args.work))
    start = time.monotonic()
    process = subprocess.Popen(command, cwd=args.work, env=env, start_new_session=True)
    try:
        status = process.wait(timeout=RUN_BOUND_S)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        raise AssertionError("hung: still running after %d s" % RUN_BOUND_S)
    print("emulator exit %d after %.1f s" % (status, time.monotonic() - start))
    assert status == 0, "the emulator failed (%d)" % status


def loader_run(work, name):
    """The run's exit status and its JSON events (the last being the result)."""
    with open(os.path.join(work, name + ".status")) as status_file:
        status = int(status_file.read())
    with open(os.path.join(work, name + ".json")) as lines:
        events = [json.loads(line) for line in lines if line.strip()]
    return status, events


def counter_messages(work):
    """Each message the counter received: the text between the resource name and " -> "."""
    messages = []
    with open(os.path.join(work, "transcript.txt")) as lines:
        for line in lines:
            if line.startswith("viWrite "):
                messages.append(line.split(" ", 2)[2].split(" -> ", 1)[0])
    return messages


def check(args):
    status, events = loader_run(args.work, "update")
    with open(os.path.join(args.work, "update.err")) as errors:
        error_text = errors.read()
    assert status == args.exit, "exit %d, expected %d:\n%s" % (status, args.exit, error_text)
    result = events[-1]
    assert result["event"] == "result" and result["exit_status"] == status, result
    messages = counter_messages(args.work)
    data = [i for i, m in enumerate(messages) if DATA.match(m)]
    blocks = [DATA.match(messages[i]).group(1) for i in data]
    sends = {block: blocks.count(block) for block in blocks}
    texts = " ".join(e.get("text", "") for e in events if e["event"] == "message")
    wanted = {
        "image": lambda: image_matches_hex.first_difference(
            image_matches_hex.map_bytes(os.path.join(args.work, "image.map")),
            image_matches_hex.hex_bytes(args.hex)) is None,
        "no_data": lambda: not data,
        "no_burn": lambda: not any("SYST:FIRM:UPD" in m for m in messages),
        "reset_after_data": lambda: data and RESET in messages[data[-1] + 1:],
        "reset_refused": lambda: "did not take the reset command" in texts,
        "block_retried": lambda: max(sends.values(), default=0) >= 2,
        "block_retried_once": lambda: sorted(sends.values(), reverse=True)[:2] in ([2], [2, 1]),
        "then_reset": lambda: loader_run(args.work, "reset")[0] == 0 and
        loader_run(args.work, "reset")[1][-1]["firmware_after"] == "V1.15",
    }
    for name in args.check:
        assert wanted[name](), "%s does not hold; blocks sent %s; counter got:\n%s" % (
            name, sends, "\n".join(messages))
    print("ok: exit %d, %s" % (status, ", ".join(args.check)))


def main():
    parser = argparse.ArgumentParser()
    for option in ("emulator", "loader", "library", "hex", "counter", "work"):
        parser.add_argument("--" + option, required=True)
    parser.add_argument("--exit", type=int, required=True)
    parser.add_argument("--fault", action="append", default=[])
    parser.add_argument("--check", action="append", default=[])
    args = parser.parse_args()
    for option in ("emulator", "loader", "library", "hex", "work"):
        setattr(args, option, os.path.abspath(getattr(args, option)))
    os.makedirs(args.work, exist_ok=True)
    for name in os.listdir(args.work):
        os.remove(os.path.join(args.work, name))
    run_under_emulator(args)
    check(args)


if __name__ == "__main__":
    main()
