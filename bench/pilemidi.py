#!/usr/bin/env python3
"""Writes a hostile Standard MIDI File: millions of note-ons at the same instant.

  pilemidi.py OUTPUT.mid [NOTES]

Format 0, one track: NOTES note-ons (default 2,700,000) at tick 0 with running status, spread
over the 16 channels and the keys, at full velocity, then the end of the track. The file is
about four bytes a note (10.8 MB for the default).
"""
import struct
import sys


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    notes = int(sys.argv[2]) if len(sys.argv) > 2 else 2_700_000
    body = bytearray()
    for i in range(notes):
        channel = i % 16
        body += bytes([0, 0x90 | channel, 24 + i % 96, 127])
    body += b"\x00\xff\x2f\x00"
    header = b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480)
    with open(sys.argv[1], "wb") as f:
        f.write(header + b"MTrk" + struct.pack(">I", len(body)) + bytes(body))


if __name__ == "__main__":
    main()
