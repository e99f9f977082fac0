#!/usr/bin/env python3
"""The running program while a package unpacks: hand-off and SIGTERM latency.

  package_signal_bench.py TONARIA [--size-mib 1024] [--runs 3]

Writes a package with one stored member of zeros (a hole in the file, so it costs no disk),
starts TONARIA /play PACKAGE on the null output with a private home and runtime folder, waits
until the member is being unpacked, then times a second start (a hand-off, answered by the
first) and SIGTERM to the first until it has ended. Also times a whole /play /close run whose
only title is a 4 GiB file that only pretends to be an archive (start-up included).
"""
import argparse
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib


def zeros_crc(size):
    crc, block = 0, bytes(1 << 20)
    while size > 0:
        n = min(size, len(block))
        crc = zlib.crc32(block[:n], crc)
        size -= n
    return crc


def lone_member(name, method, crc, packed, size):
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, method, 0, 0x21, crc, packed, size,
                        len(name), 0) + name
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method, 0, 0x21, crc,
                          packed, size, len(name), 0, 0, 0, 0, 0, 0) + name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, len(central), len(local) + packed, 0)
    return local, central + end


def write_sparse_zip(path, size):
    local, trailer = lone_member(b"long.wav", 0, zeros_crc(size), size, size)
    with open(path, "wb") as f:
        f.write(local)
        f.seek(len(local) + size)
        f.write(trailer)


def environment(root, runtime):
    env = dict(os.environ)
    env.update(QT_QPA_PLATFORM="offscreen", TONARIA_AUDIO="null",
               TONARIA_HOME=os.path.join(root, "home") + "/",
               TONARIA_CONFIG=os.path.join(root, "config.reg"), XDG_RUNTIME_DIR=runtime)
    return env


def unpacking(pid, runtime):
    # A member is written to a file without a name until it is whole: look for it among the
    # process's open files.
    folder = os.path.join(runtime, "tonaria") + "/"
    try:
        for fd in os.listdir("/proc/%d/fd" % pid):
            try:
                target = os.readlink("/proc/%d/fd/%s" % (pid, fd))
            except OSError:
                continue
            if target.startswith(folder) and "/instance/" not in target:
                return True
    except OSError:
        pass
    return False


def one_run(exe, package, root, runtime):
    env = environment(root, runtime)
    first = subprocess.Popen([exe, "/play", package], env=env, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 60
    while not unpacking(first.pid, runtime):
        if time.monotonic() > deadline or first.poll() is not None:
            first.kill()
            return None
        time.sleep(0.002)
    start = time.monotonic()
    subprocess.run([exe, "/play"], env=env, stderr=subprocess.DEVNULL, timeout=60)
    handoff = time.monotonic() - start
    still = unpacking(first.pid, runtime)
    start = time.monotonic()
    first.send_signal(signal.SIGTERM)
    first.wait(timeout=60)
    return handoff, time.monotonic() - start, still, first.returncode


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("tonaria")
    parser.add_argument("--size-mib", type=int, default=1024)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as root:
        runtime = os.path.join(root, "runtime")
        os.makedirs(os.path.join(root, "home"))
        os.mkdir(runtime, 0o700)
        package = os.path.join(root, "big.zip")
        write_sparse_zip(package, min(args.size_mib << 20, 1 << 30))
        for run in range(args.runs):
            # Each run starts as a first start: no album remembers the earlier runs.
            shutil.rmtree(os.path.join(root, "home"))
            os.makedirs(os.path.join(root, "home"))
            if os.path.exists(os.path.join(root, "config.reg")):
                os.remove(os.path.join(root, "config.reg"))
            result = one_run(args.tonaria, package, root, runtime)
            if result is None:
                print("run %d: the unpack was not seen" % run)
                continue
            handoff, term, still, code = result
            print("run %d: hand-off answered in %.0f ms%s; SIGTERM ended the program in %.0f ms "
                  "(exit %d)" % (run, handoff * 1000, " while unpacking" if still else "",
                                 term * 1000, code))

        fake = os.path.join(root, "fake.zip")
        with open(fake, "wb") as f:
            f.write(b"not an archive")
            f.truncate(4 << 30)
        start = time.monotonic()
        subprocess.run([args.tonaria, "/play", "/close", fake], env=environment(root, runtime),
                       stderr=subprocess.DEVNULL, timeout=120)
        print("/play /close with a 4 GiB non-archive: ended in %.0f ms"
              % ((time.monotonic() - start) * 1000))
    return 0


if __name__ == "__main__":
    sys.exit(main())
