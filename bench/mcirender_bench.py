#!/usr/bin/env python3
"""Render benchmark: tonaria-render against fluidsynth's own file renderer.

  mcirender_bench.py TONARIA_RENDER [--seconds 60] [--runs 3] [--soundfont SF2]

Generates a dense 16-track MIDI file (densemidi.py), renders it with
  TONARIA_SOUNDFONT=SF2 tonaria-render FILE out.wav
and with
  fluidsynth -F out.wav -r 44100 -ni SF2 FILE
(the same SoundFont and rate), and prints, for each, the best wall-clock time and the best CPU
time (user + system) over the runs, the length of the WAV it wrote, the ratios, and the level of
each render (RMS and peak, and the samples at full scale). The machine
may be shared: the CPU times are the steadier figure.
"""
import argparse
import os
import resource
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def wav_seconds(path):
    with open(path, "rb") as f:
        data = f.read()
    pos, rate, block = 12, 0, 0
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        if chunk == b"fmt ":
            _, _, rate, _, block = struct.unpack("<HHIIH", data[pos + 8:pos + 22])
        elif chunk == b"data" and rate and block:
            return size / block / rate
        pos += 8 + size + (size & 1)
    return 0.0


def wav_level(path):
    """The RMS level and the peak of a 16-bit or float WAV file, in dBFS, and how many samples sit
    at full scale."""
    import array
    import math
    with open(path, "rb") as f:
        data = f.read()
    pos, tag, bits = 12, 0, 0
    while pos + 8 <= len(data):
        chunk, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        if chunk == b"fmt ":
            tag, _, _, _, _, bits = struct.unpack("<HHIIHH", data[pos + 8:pos + 24])
            if tag == 0xFFFE:
                tag = struct.unpack("<H", data[pos + 32:pos + 34])[0]
        elif chunk == b"data":
            body = data[pos + 8:pos + 8 + size]
            if tag == 3 and bits == 32:
                samples = array.array("f", body[:len(body) // 4 * 4])
                scale = 1.0
            else:
                samples = array.array("h", body[:len(body) // 2 * 2])
                scale = 32768.0
            if not samples:
                break
            total = sum(x * x for x in samples) / (scale * scale)
            peak = max(abs(x) for x in samples) / scale
            full = sum(1 for x in samples if abs(x) / scale >= 32767 / 32768)
            rms = math.sqrt(total / len(samples))
            return (20 * math.log10(rms) if rms > 0 else -200.0,
                    20 * math.log10(peak) if peak > 0 else -200.0, full)
        pos += 8 + size + (size & 1)
    return (-200.0, -200.0, 0)


def measure(command, env, runs):
    best_wall, best_cpu = float("inf"), float("inf")
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
        best_wall, best_cpu = min(best_wall, wall), min(best_cpu, cpu)
    return best_wall, best_cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tonaria_render")
    parser.add_argument("--seconds", type=float, default=60.0)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--soundfont", default="/usr/share/sounds/sf2/FluidR3_GM.sf2")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder:
        song = os.path.join(folder, "dense.mid")
        subprocess.run([sys.executable, os.path.join(HERE, "densemidi.py"), song,
                        str(args.seconds)], check=True)
        ours_wav = os.path.join(folder, "tonaria.wav")
        theirs_wav = os.path.join(folder, "fluidsynth.wav")
        env = dict(os.environ, TONARIA_SOUNDFONT=args.soundfont, TONARIA_AUDIO="null")

        ours = measure([args.tonaria_render, song, ours_wav], env, args.runs)
        theirs = measure(["fluidsynth", "-F", theirs_wav, "-r", "44100", "-ni",
                          args.soundfont, song], env, args.runs)
        ours_len, theirs_len = wav_seconds(ours_wav), wav_seconds(theirs_wav)
        levels = [("tonaria", wav_level(ours_wav)), ("fluidsynth", wav_level(theirs_wav))]

    print(f"dense MIDI file: {args.seconds:.0f} s, 16 tracks; SoundFont {args.soundfont}")
    print(f"{'':14}{'wall s':>9}{'cpu s':>9}{'wav s':>9}{'cpu s per wav s':>17}")
    for name, (wall, cpu), length in (("tonaria", ours, ours_len),
                                      ("fluidsynth", theirs, theirs_len)):
        per = cpu / length if length else float("nan")
        print(f"{name:14}{wall:9.3f}{cpu:9.3f}{length:9.2f}{per:17.4f}")
    for name, (rms, peak, full) in levels:
        print(f"{name:14}level {rms:7.2f} dBFS rms, peak {peak:6.2f} dBFS, {full} samples at full scale")
    print(f"ratio tonaria/fluidsynth: wall {ours[0] / theirs[0]:.2f}, cpu {ours[1] / theirs[1]:.2f}"
          f", cpu per second of output "
          f"{(ours[1] / ours_len) / (theirs[1] / theirs_len) if ours_len and theirs_len else 0:.2f}")


if __name__ == "__main__":
    main()
