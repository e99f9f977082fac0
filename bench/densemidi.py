#!/usr/bin/env python3
"""Writes a dense multi-track Standard MIDI File for the render benchmark.

  densemidi.py OUTPUT.mid [SECONDS]

Format 1, a tempo track and 16 channel tracks (drums on channel 10), each with its own program,
volume, pan and reverb; every track plays a sixteenth-note figure with chords, pitch bends and
controller sweeps, at 120 beats a minute, for SECONDS seconds (default 60).
"""
import struct
import sys

DIVISION = 480
SIXTEENTH = DIVISION // 4


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def track(events):
    """events: (tick, bytes) in any order; returns the MTrk chunk."""
    data = bytearray()
    last = 0
    for tick, message in sorted(events, key=lambda e: e[0]):
        data += vlq(tick - last) + message
        last = tick
    data += vlq(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def channel_track(channel, sixteenths):
    program = (channel * 7 + 1) % 128
    events = [
        (0, bytes([0xC0 | channel, program])),
        (0, bytes([0xB0 | channel, 7, 90])),
        (0, bytes([0xB0 | channel, 10, (channel * 8) % 128])),
        (0, bytes([0xB0 | channel, 91, 60])),
    ]
    base = 36 + (channel * 5) % 48
    for step in range(sixteenths):
        tick = step * SIXTEENTH
        if channel == 9:
            keys = [36 if step % 4 == 0 else 42, 38 if step % 8 == 4 else 44]
        elif step % 2 == channel % 2:
            keys = [base + (step * 3) % 12, base + 4 + (step * 5) % 12, base + 7]
        else:
            keys = []
        for key in keys:
            events.append((tick, bytes([0x90 | channel, key, 70 + (step * 13) % 50])))
            events.append((tick + SIXTEENTH - 10, bytes([0x80 | channel, key, 0])))
        if channel != 9 and step % 4 == 0:
            bend = 8192 + ((step * 97) % 1024) - 512
            events.append((tick, bytes([0xE0 | channel, bend & 0x7F, bend >> 7])))
            events.append((tick, bytes([0xB0 | channel, 1, (step * 11) % 128])))
    return track(events)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    sixteenths = int(seconds * 8)  # 120 bpm: 8 sixteenths a second
    tempo = track([(0, b"\xff\x51\x03" + (500000).to_bytes(3, "big"))])
    tracks = [tempo] + [channel_track(c, sixteenths) for c in range(16)]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), DIVISION)
    with open(sys.argv[1], "wb") as f:
        f.write(header + b"".join(tracks))


if __name__ == "__main__":
    main()
