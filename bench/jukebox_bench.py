#!/usr/bin/env python3
"""Jukebox benchmark: the running program as a user meets it.

  jukebox_bench.py TONARIA [--albums 1000] [--titles 100] [--handoffs 5] [--idle 10]

In a fresh program folder with ALBUMS albums of TITLES titles each (the current one loaded at
start-up), it measures:
  - start-up: from the launch of the first instance until a second start that hands over a
    file has been answered (the first hand-off right after start-up);
  - later hand-offs: the wall time of each further second start, from launch to exit;
  - CPU while stopped: user + system time of the first instance over IDLE seconds while
    nothing plays and no window shows (the null sound output, offscreen).
The SoundFont is the system's default unless TONARIA_SOUNDFONT says otherwise.
"""
import argparse
import os
import signal
import struct
import subprocess
import sys
import tempfile
import time


def midi_bytes(length_ms=2000):
    # One track, 480 ticks a quarter at 120 bpm: one note held for length_ms.
    ticks = length_ms * 480 // 500

    def var(n):
        out = [n & 0x7F]
        n >>= 7
        while n:
            out.insert(0, (n & 0x7F) | 0x80)
            n >>= 7
        return bytes(out)

    track = b"\x00\x90\x3c\x60" + var(ticks) + b"\x80\x3c\x00" + b"\x00\xff\x2f\x00"
    return (b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" +
            struct.pack(">I", len(track)) + track)


def write_library(home, albums, titles):
    folder = os.path.join(home, "Albums")
    os.makedirs(folder, exist_ok=True)
    midi = os.path.join(home, "piece.mid")
    with open(midi, "wb") as f:
        f.write(midi_bytes())
    for a in range(albums):
        lines = ["[Album]", "Caption=Album %04d" % a, "CurTitle=%d" % (titles // 2), "[Titles]"]
        for t in range(titles):
            lines.append('"Title %d of album %d","%s"' % (t, a, midi))
        with open(os.path.join(folder, "A%07d.tal" % a), "w", newline="") as f:
            f.write("\r\n".join(lines) + "\r\n")
    return midi


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tonaria")
    parser.add_argument("--albums", type=int, default=1000)
    parser.add_argument("--titles", type=int, default=100)
    parser.add_argument("--handoffs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=10)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as work:
        home = os.path.join(work, "home")
        runtime = os.path.join(work, "run")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        midi = write_library(home, args.albums, args.titles)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", TONARIA_AUDIO="null",
                   TONARIA_HOME=home + "/", TONARIA_CONFIG=os.path.join(work, "config.ini"),
                   XDG_RUNTIME_DIR=runtime)
        quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)

        start = time.monotonic()
        first = subprocess.Popen([args.tonaria], **quiet)
        # The second start comes once the first holds the lock and listens: on a busy machine a
        # fixed wait could let the second start become the first instance.
        channel = os.path.join(runtime, "tonaria", "instance", "instance.socket")
        while not os.path.exists(channel):
            if first.poll() is not None:
                print("the first instance ended before it listened (exit %d)" % first.returncode)
                return 1
            time.sleep(0.005)
        second = subprocess.run([args.tonaria, midi], **quiet)
        ready = time.monotonic() - start
        print("albums %d x %d titles" % (args.albums, args.titles))
        print("first hand-off answered %.3f s after the launch (exit %d)" %
              (ready, second.returncode))

        times = []
        for _ in range(args.handoffs):
            t0 = time.monotonic()
            subprocess.run([args.tonaria, midi], **quiet)
            times.append(time.monotonic() - t0)
        if times:
            print("later hand-offs: best %.3f s, median %.3f s, worst %.3f s" %
                  (min(times), sorted(times)[len(times) // 2], max(times)))

        time.sleep(1)  # let the last hand-off's work settle
        c0, t0 = cpu_seconds(first.pid), time.monotonic()
        time.sleep(args.idle)
        c1, t1 = cpu_seconds(first.pid), time.monotonic()
        print("stopped for %.1f s: %.3f s CPU (%.2f %% of a core)" %
              (t1 - t0, c1 - c0, 100 * (c1 - c0) / (t1 - t0)))

        first.send_signal(signal.SIGTERM)
        try:
            first.wait(30)
        except subprocess.TimeoutExpired:
            first.kill()
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
