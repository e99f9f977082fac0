#!/usr/bin/env python3
"""Hostile-file benchmark: how long and how much memory tonaria-render takes for a file that
piles millions of note-ons onto one instant (pilemidi.py), against fluidsynth's file renderer.

  pile_bench.py TONARIA_RENDER [--notes 2700000] [--soundfont SF2]

Prints, for each renderer, the wall-clock time, the peak resident memory and how it ended.
"""
import argparse
import os
import resource
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run(command, env, limit):
    """Runs one renderer in a child of its own, so its peak memory is its own."""
    script = ("import resource, subprocess, sys, time\n"
              "start = time.perf_counter()\n"
              "try:\n"
              f"    p = subprocess.run({command!r}, capture_output=True, text=True, timeout={limit})\n"
              "    end = f'exit {p.returncode}: ' + (p.stdout + p.stderr).strip().splitlines()[-1:][0]"
              " if (p.stdout + p.stderr).strip() else f'exit {p.returncode}'\n"
              "except subprocess.TimeoutExpired:\n"
              f"    end = 'killed after {limit} s'\n"
              "wall = time.perf_counter() - start\n"
              "rss = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024\n"
              "print(f'{wall:.2f}\\t{rss:.0f}\\t{end}')\n")
    out = subprocess.run([sys.executable, "-c", script], env=env, capture_output=True, text=True)
    wall, rss, end = out.stdout.strip().split("\t", 2)
    return float(wall), float(rss), end


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tonaria_render")
    parser.add_argument("--notes", type=int, default=2_700_000)
    parser.add_argument("--soundfont", default="/usr/share/sounds/sf2/FluidR3_GM.sf2")
    parser.add_argument("--limit", type=int, default=120)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder:
        song = os.path.join(folder, "pile.mid")
        subprocess.run([sys.executable, os.path.join(HERE, "pilemidi.py"), song,
                        str(args.notes)], check=True)
        size = os.path.getsize(song) / 1e6
        env = dict(os.environ, TONARIA_SOUNDFONT=args.soundfont, TONARIA_AUDIO="null")
        results = [
            ("tonaria", run([args.tonaria_render, song, os.path.join(folder, "t.wav")], env,
                            args.limit)),
            ("fluidsynth", run(["fluidsynth", "-F", os.path.join(folder, "f.wav"), "-r", "44100",
                                "-ni", args.soundfont, song], env, args.limit)),
        ]
    print(f"pile of {args.notes} note-ons at one instant ({size:.1f} MB); SoundFont {args.soundfont}")
    for name, (wall, rss, end) in results:
        print(f"{name:12}{wall:8.2f} s{rss:8.0f} MB  {end}")


if __name__ == "__main__":
    main()
