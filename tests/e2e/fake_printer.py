#!/usr/bin/env python3
"""A receipt printer on a serial line, for the end-to-end tests: it answers the ESC/POS status
request DLE EOT n (bytes 10 04 n) on a pseudo-terminal whose terminal side Wine opens as a COM port.

    fake_printer.py LINK STATE RECEIVED

LINK is made a symbolic link to the terminal side: the prefix's dosdevices/comN. STATE is a file
the scenario writes, "SPEED CONDITION" (for example "19200 ready", or "19200,o,8,2 ready"), read at
each request; without it the printer is switched off. Like a printer set by DIP switches, it answers
only when the line runs at SPEED, with odd parity and two stop bits where given and not otherwise,
which it reads from the terminal's settings as Wine's SetCommState left them; at any speed for
SPEED "any", as a USB printer answers on a line that has none. Every byte that comes down the line
is appended to RECEIVED, so that the scenario can check what was sent.
"""
import os
import sys
import termios
import tty

# The answers to DLE EOT 1 (printer), 2 (offline cause), 3 (error cause), 4 (roll paper sensor).
ANSWERS = {
    "ready": {1: 0x16, 2: 0x12, 3: 0x12, 4: 0x12},
    "near-end": {1: 0x16, 2: 0x12, 3: 0x12, 4: 0x1E},
    "cover-open": {1: 0x1E, 2: 0x16, 3: 0x12, 4: 0x12},
    "paper-end": {1: 0x1E, 2: 0x32, 3: 0x12, 4: 0x72},
}
SPEEDS = {getattr(termios, f"B{speed}"): speed
          for speed in (1200, 1800, 2400, 4800, 9600, 19200, 38400, 57600, 115200)}


def answer(state_path, terminal, n):
    try:
        with open(state_path) as state:
            speed, condition = state.read().split()
    except FileNotFoundError:
        return None
    # "19200" or "19200,o,8,2": a pty keeps the odd-parity and two-stop-bit flags, not the rest.
    speed, parity, _, stop = (speed + ",n,8,1").split(",")[:4]
    attributes = termios.tcgetattr(terminal)
    if ((speed != "any" and SPEEDS.get(attributes[5]) != int(speed))
            or bool(attributes[2] & termios.PARODD) != (parity == "o")
            or bool(attributes[2] & termios.CSTOPB) != (stop == "2")):
        return None
    return ANSWERS[condition].get(n)


def main():
    link, state_path, received_path = sys.argv[1:4]
    controller, terminal = os.openpty()
    tty.setraw(terminal)
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(os.ttyname(terminal), link)
    # The terminal side stays open here too, so that reads go on between Wine's opens.
    pending = b""
    with open(received_path, "ab", buffering=0) as received:
        while True:
            data = os.read(controller, 64)
            received.write(data)
            pending += data
            while True:
                start = pending.find(b"\x10\x04")
                if start < 0 or len(pending) < start + 3:
                    break
                reply = answer(state_path, terminal, pending[start + 2])
                pending = pending[start + 3:]
                if reply is not None:
                    os.write(controller, bytes([reply]))


if __name__ == "__main__":
    main()
