#!/usr/bin/env python3
"""A receipt printer on a serial line, for the end-to-end tests: it answers the ESC/POS status
request DLE EOT n (bytes 10 04 n) on a pseudo-terminal whose terminal side Wine opens as a COM port.

    fake_printer.py LINK STATE RECEIVED

LINK is made a symbolic link to the terminal side: the prefix's dosdevices/comN. STATE is a file
the scenario writes, "SPEED CONDITION [OPTION...]" (for example "19200 ready", or "19200,o,8,2
ready"), read at each request; without it the printer is switched off. Like a printer set by DIP
switches, it answers only when the line runs at SPEED, with odd parity and two stop bits where
given and not otherwise, which it reads from the terminal's settings as Wine's SetCommState left
them; SPEED "any" answers at every speed (at its parity and stop bits), as a USB or Bluetooth
virtual port does. Every byte that comes down the line is appended to RECEIVED, so that the
scenario can check what was sent. The options make it behave as real printers and ports do:

    late=MS     each answer MS milliseconds after its request
    xoff        XOFF (13) before each answer, as a busy printer sends it
    asb         an automatic status back group (14 00 00 0F) before each answer
    ff-at=S     at speed S too, but 0xFF to every request but DLE EOT 1
    stray       one byte (3F) on the line as soon as the state is written, before any open
    split       each answer twice, 20 ms apart: two bytes, which are no status answer
"""
import os
import select
import sys
import termios
import time
import tty

# The answers to DLE EOT 1 (printer), 2 (offline cause), 3 (error cause), 4 (roll paper sensor).
ANSWERS = {
    "ready": {1: 0x16, 2: 0x12, 3: 0x12, 4: 0x12},
    "near-end": {1: 0x16, 2: 0x12, 3: 0x12, 4: 0x1E},
    "cover-open": {1: 0x1E, 2: 0x16, 3: 0x12, 4: 0x12},
    "paper-end": {1: 0x1E, 2: 0x32, 3: 0x12, 4: 0x72},
    # A presenter printer with no receipt waiting: bit 6 of DLE EOT 4 is its presenter sensor.
    "presenter": {1: 0x16, 2: 0x12, 3: 0x12, 4: 0x52},
}
SPEEDS = {getattr(termios, f"B{speed}"): speed
          for speed in (1200, 1800, 2400, 4800, 9600, 19200, 38400, 57600, 115200)}


def read_text(state_path):
    try:
        with open(state_path) as state:
            return state.read()
    except FileNotFoundError:
        return ""


def read_state(text):
    """(SPEED, CONDITION, options); None while the file is missing, or being written."""
    words = text.split()
    if len(words) < 2:
        return None
    return words[0], words[1], dict(option.partition("=")[::2] for option in words[2:])


def answer(state, terminal, n):
    """The bytes the printer sends for DLE EOT n, and after how many seconds."""
    if state is None:
        return None
    speed, condition, options = state
    # "19200" or "19200,o,8,2": a pty keeps the odd-parity and two-stop-bit flags, not the rest.
    speed, parity, _, stop = (speed + ",n,8,1").split(",")[:4]
    attributes = termios.tcgetattr(terminal)
    line_speed = SPEEDS.get(attributes[5])
    if (bool(attributes[2] & termios.PARODD) != (parity == "o")
            or bool(attributes[2] & termios.CSTOPB) != (stop == "2")):
        return None
    if options.get("ff-at") == str(line_speed) and n != 1:
        reply = bytes([0xFF])
    elif speed in ("any", str(line_speed)) or options.get("ff-at") == str(line_speed):
        reply = bytes([ANSWERS[condition][n]])
    else:
        return None
    if "split" in options:
        return [(0, reply), (0.02, reply)]
    before = (b"\x13" if "xoff" in options else b"") + \
        (b"\x14\x00\x00\x0f" if "asb" in options else b"")
    return [(int(options.get("late", 0)) / 1000, before + reply)]


def main():
    link, state_path, received_path = sys.argv[1:4]
    controller, terminal = os.openpty()
    tty.setraw(terminal)
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(os.ttyname(terminal), link)
    # The terminal side stays open here too, so that reads go on between Wine's opens, and what
    # is written before an open waits on the line.
    pending = b""
    scheduled = []  # (when, bytes)
    written = ""  # the state last seen whole
    with open(received_path, "ab", buffering=0) as received:
        while True:
            now = time.monotonic()
            for item in [item for item in scheduled if item[0] <= now]:
                os.write(controller, item[1])
                scheduled.remove(item)
            text = read_text(state_path)
            state = read_state(text)
            if state is not None and text != written:
                written = text
                if "stray" in state[2]:
                    os.write(controller, b"\x3f")
            ready, _, _ = select.select([controller], [], [], 0.005)
            if not ready:
                continue
            data = os.read(controller, 64)
            received.write(data)
            pending += data
            while True:
                start = pending.find(b"\x10\x04")
                if start < 0 or len(pending) < start + 3:
                    break
                replies = answer(read_state(read_text(state_path)), terminal, pending[start + 2])
                pending = pending[start + 3:]
                for delay, reply in replies or []:
                    scheduled.append((time.monotonic() + delay, reply))


if __name__ == "__main__":
    main()
