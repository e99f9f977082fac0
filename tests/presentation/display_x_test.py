#!/usr/bin/env python3
"""The real program on a real X server, clicked as a user clicks it.

  display_x_test.py TONARIA SCREENS_FOLDER

Starts Xvfb on a free display and Tonaria with a fresh program folder, two generated MIDI
files and the wav output; clicks Play on the display window where the default theme puts it
and finds sound in the wav file; opens the titles popup, clicks its second row and finds the
second title playing (the window's title names the title). Screenshots of the display window,
the floating bar (when there is one) and the open popup go to SCREENS_FOLDER.

Exits 77 (skipped) when Xvfb, xdotool or ImageMagick's import is missing.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
# Centres of the default theme's buttons, in window coordinates.
PLAY = (153, 157)
TITLES = (33, 193)
TITLES_BOTTOM_LEFT = (16, 204)
# A point in the second row of a popup list (rows are 14 to 24 pixels high, under a 1-pixel
# border).
SECOND_ROW = (60, 25)


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def midi_bytes(seconds, pitch):
    """Format 0, 480 ticks a quarter at 120 bpm: one note a quarter for `seconds`."""
    def var(n):
        out = [n & 0x7F]
        n >>= 7
        while n:
            out.insert(0, (n & 0x7F) | 0x80)
            n >>= 7
        return bytes(out)

    track = b"\x00\xc0\x00"  # a piano
    for i in range(seconds * 2):
        track += var(40 if i else 0) + b"\x90" + bytes([pitch, 100])
        track += var(440) + b"\x80" + bytes([pitch, 0])
    track += b"\x00\xff\x2f\x00"
    return (b"MThd" + struct.pack(">IHHH", 6, 0, 1, 480) + b"MTrk" +
            struct.pack(">I", len(track)) + track)


def wav_peak(path):
    """The largest 16-bit sample magnitude in the wav file's data (0 when there is none)."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return 0
    at = data.find(b"data")
    if at < 0:
        return 0
    body = data[at + 8:]
    body = body[:len(body) // 2 * 2]
    if not body:
        return 0
    samples = struct.unpack("<%dh" % (len(body) // 2), body)
    return max(abs(s) for s in samples)


def start_xvfb():
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=(write_fd,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    with os.fdopen(read_fd, "rb") as f:
        while not number.endswith(b"\n"):
            chunk = f.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip():
        xvfb.kill()
        fail("Xvfb did not start")
    return xvfb, ":" + number.decode().strip()


def until(what, seconds=20.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        result = what()
        if result:
            return result
        time.sleep(0.1)
    return None


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    tonaria, screens = sys.argv[1], sys.argv[2]
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            print("SKIP: %s is not installed" % tool)
            return SKIP
    os.makedirs(screens, exist_ok=True)

    xvfb, display = start_xvfb()
    work = tempfile.mkdtemp(prefix="tonaria-x-")
    program = None
    try:
        home = os.path.join(work, "home") + "/"
        runtime = os.path.join(work, "run")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        files = []
        for name, pitch in (("First piece", 60), ("Second piece", 67)):
            path = os.path.join(work, name + ".mid")
            with open(path, "wb") as f:
                f.write(midi_bytes(60, pitch))
            files.append(path)
        wav = os.path.join(work, "out.wav")
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                   TONARIA_AUDIO="wav:" + wav, TONARIA_HOME=home,
                   TONARIA_CONFIG=os.path.join(work, "config.ini"), XDG_RUNTIME_DIR=runtime)
        env.pop("WAYLAND_DISPLAY", None)
        if os.path.exists("/usr/share/sounds/sf2/TimGM6mb.sf2"):
            env.setdefault("TONARIA_SOUNDFONT", "/usr/share/sounds/sf2/TimGM6mb.sf2")
        log = open(os.path.join(work, "tonaria.log"), "wb")
        program = subprocess.Popen([tonaria] + files, env=env, stdout=log, stderr=log)

        def x(*args):
            return subprocess.run(list(args), env=env, capture_output=True, text=True).stdout

        def windows():
            found = x("xdotool", "search", "--onlyvisible", "--name", "Tonaria").split()
            result = []
            for wid in found:
                geometry = {}
                for line in x("xdotool", "getwindowgeometry", "--shell", wid).splitlines():
                    key, _, value = line.partition("=")
                    geometry[key] = int(value) if value.lstrip("-").isdigit() else value
                result.append((wid, geometry))
            return result

        def display_window():
            tall = [w for w in windows() if w[1].get("HEIGHT", 0) > 100]
            return tall[0] if tall else None

        found = until(display_window)
        if not found:
            fail("no display window appeared")
        wid, geometry = found
        time.sleep(1)  # the first paint
        x("import", "-window", wid, os.path.join(screens, "display.png"))
        bars = [w for w in windows() if 0 < w[1].get("HEIGHT", 0) <= 40]
        if bars:
            x("import", "-window", bars[0][0], os.path.join(screens, "floatbar.png"))

        x("xdotool", "mousemove", "--window", wid, str(PLAY[0]), str(PLAY[1]), "click", "1")
        if not until(lambda: wav_peak(wav) > 500):
            fail("no sound in the wav output after Play")
        print("Play: sound in the wav output (peak %d)" % wav_peak(wav))
        if not until(lambda: "first piece" in x("xdotool", "getwindowname", wid).lower(), 10):
            fail("the first title is not the one playing: " + x("xdotool", "getwindowname", wid))

        x("xdotool", "mousemove", "--window", wid, str(TITLES[0]), str(TITLES[1]), "click", "1")
        time.sleep(1)
        left = geometry["X"] + TITLES_BOTTOM_LEFT[0]
        top = geometry["Y"] + TITLES_BOTTOM_LEFT[1]
        # The whole screen, so the popup shows below its button.
        x("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (
            max(geometry["WIDTH"], 320), geometry["HEIGHT"] + 260, geometry["X"], geometry["Y"]),
          "+repage", os.path.join(screens, "popup.png"))
        x("xdotool", "mousemove", str(left + SECOND_ROW[0]), str(top + SECOND_ROW[1]), "click", "1")
        if not until(lambda: "second piece" in x("xdotool", "getwindowname", wid).lower(), 10):
            fail("the second title is not playing after its row was clicked: " +
                 x("xdotool", "getwindowname", wid))
        print("Titles popup: the second title plays: " + x("xdotool", "getwindowname", wid))

        program.send_signal(signal.SIGTERM)
        try:
            status = program.wait(30)
        except subprocess.TimeoutExpired:
            fail("the program did not end on SIGTERM")
        if status != 0:
            fail("the program ended with status %d" % status)
        program = None
        print("screenshots in " + screens)
        return 0
    finally:
        if program:
            program.kill()
            program.wait()
            sys.stdout.write(open(os.path.join(work, "tonaria.log"), errors="replace").read())
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
