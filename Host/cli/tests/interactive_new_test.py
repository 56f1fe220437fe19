#!/usr/bin/env python3
"""End to end: a person creates a clip in the terminal settings dialog.

Runs `barsandtone new --interactive` under tmux, reads the screen, presses
keys one at a time, and in bursts as a fast typist over a slow link sends
them, and checks the 72-byte record in the clip file written.

usage: interactive_new_test.py SOURCE_DIR PROGRAM [ARGUMENT...]

PROGRAM ARGUMENT... (barsandtone new) creates a clip for its default
1920 x 1080 Rec. 709 sequence; it exits 3 when cancelled and 2 when refused.
Exits 77 (skipped) when tmux is missing.
"""

import json
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
KEY_PAUSE = 0.15  # a person's pace: each key's effect is drawn before the next
TICKS_PER_SECOND = 254016000000
LAYOUT = "Importers/ImporterBarsAndTone/Resources/Layouts/BarsAndToneSettingsWithIdentifiersDialog.lyra"


class Failure(Exception):
    pass


class Terminal:
    """A tmux server of our own for each run, so no other session is touched."""

    runs = 0

    def __init__(self, tmux, command, columns=100, lines=32):
        Terminal.runs += 1
        self.tmux = tmux
        self.socket = "bttui-test-%d-%d" % (os.getpid(), Terminal.runs)
        self.run("new-session", "-d", "-s", "t", "-x", str(columns), "-y", str(lines), command)

    def program_pid(self):
        """The program the pane's shell runs: the shell's child."""
        shell = int(self.run("display-message", "-p", "-t", "t", "#{pane_pid}").strip())
        for entry in os.listdir("/proc"):
            if entry.isdigit():
                try:
                    with open("/proc/%s/stat" % entry) as stat:
                        fields = stat.read().rsplit(")", 1)[1].split()
                except OSError:
                    continue
                if int(fields[1]) == shell:
                    return int(entry)
        raise Failure("the program is not running")

    def resize(self, columns, lines):
        self.run("resize-window", "-t", "t", "-x", str(columns), "-y", str(lines))

    def run(self, *arguments):
        return subprocess.run([self.tmux, "-L", self.socket, "-f", "/dev/null", *arguments],
                              check=True, capture_output=True, text=True).stdout

    def screen(self, colours=False):
        return self.run("capture-pane", "-p", *(["-e"] if colours else []), "-t", "t")

    def key(self, key):
        self.run("send-keys", "-t", "t", key)
        time.sleep(KEY_PAUSE)

    def burst(self, *keys):
        """All the keys in one write to the terminal."""
        self.run("send-keys", "-t", "t", *keys)

    def text(self, text):
        for character in text:
            self.run("send-keys", "-t", "t", "-l", "--", character)
            time.sleep(KEY_PAUSE)

    def wait_for(self, predicate, what, seconds=30.0):
        deadline = time.monotonic() + seconds
        while True:
            screen = self.screen()
            if predicate(screen):
                return screen
            if time.monotonic() > deadline:
                raise Failure("timed out waiting for %s; the screen reads:\n%s" % (what, screen))
            time.sleep(0.1)

    def close(self):
        subprocess.run([self.tmux, "-L", self.socket, "kill-server"], capture_output=True)


def line_with(screen, label):
    for line in screen.splitlines():
        if label in line:
            return line
    raise Failure("no line with %r on the screen:\n%s" % (label, screen))


def value_after(screen, label):
    """The text of the control right of a label: 'Width:  1920' gives '1920'."""
    line = line_with(screen, label)
    rest = line[line.index(label) + len(label):]
    match = re.match(r"\s*([^\s▼│]+(?: [^\s▼│]+)*)", rest)
    return match.group(1) if match else ""


def colours_at(coloured_line, token):
    """The foreground and background in force where `token` starts in a line
    captured with its escape sequences."""
    fg, bg, at = "39", "49", 0
    plain = ""
    while at < len(coloured_line):
        escape = re.match(r"\x1b\[([0-9;]*)m", coloured_line[at:])
        if escape:
            for code in (escape.group(1) or "0").split(";"):
                n = int(code or "0")
                if n == 0:
                    fg, bg = "39", "49"
                elif 30 <= n <= 39 or 90 <= n <= 97:
                    fg = code
                elif 40 <= n <= 49 or 100 <= n <= 107:
                    bg = code
            at += escape.end()
            continue
        plain += coloured_line[at]
        if plain.endswith(token):
            return fg, bg
        at += 1
    raise Failure("%r not in %r" % (token, coloured_line))


def field_colours(terminal, label, token):
    for line in terminal.screen(colours=True).splitlines():
        if label in re.sub(r"\x1b\[[0-9;]*m", "", line):
            return colours_at(line, token)
    raise Failure("no line with %r" % label)


def layout_texts(source_dir):
    """Every text the layout shows, by its default after the key's '='."""
    with open(os.path.join(source_dir, LAYOUT), encoding="utf-8") as layout:
        script = layout.read()
    return re.findall(r"\b(?:label|name|postLabel)\s*:\s*'[^'=]*=([^']*)'", script)


def check(condition, message):
    if not condition:
        raise Failure(message)


def expect(actual, expected, what):
    check(actual == expected, "%s: expected %r, got %r" % (what, expected, actual))


def arguments(clip):
    return ["--interactive", "--locale", "ntsc", "-o", clip]


def stored_record(path):
    with open(path, encoding="utf-8") as f:
        settings = json.load(f)["settings"]
    return bytes.fromhex(settings if isinstance(settings, str) else " ".join(settings))


def start(tmux, program, clip, columns=100, lines=32):
    command = " ".join("'%s'" % a for a in program + arguments(clip))
    return Terminal(tmux, "env LANG=C.UTF-8 %s; echo EXIT=$?; sleep 600" % command, columns, lines)


def run_dialog(tmux, program, clip):
    terminal = start(tmux, program, clip)
    terminal.wait_for(lambda s: "New Bars And Tone" in s and "Cancel" in s, "the dialog")
    return terminal


def accept_after_edits(tmux, program, source_dir, clip):
    t = run_dialog(tmux, program, clip)
    try:
        screen = t.screen()
        for text in layout_texts(source_dir) + ["OK", "Cancel"]:
            check(text in screen, "the layout's text %r is not on the screen:\n%s" % (text, screen))
        expect(value_after(screen, "Width:"), "1920", "width of the sequence")
        expect(value_after(screen, "Color Space:"), "Rec. 709", "colour space of the sequence")

        # The preset pop-up has the focus as the dialog opens; Down steps
        # through its items.
        for _ in range(9):
            if value_after(t.screen(), "Preset:") == "UHD Rec.2100 PQ":
                break
            t.key("Down")
            time.sleep(0.3)
        screen = t.wait_for(lambda s: value_after(s, "Preset:") == "UHD Rec.2100 PQ", "the UHD PQ preset")
        screen = t.wait_for(lambda s: value_after(s, "Height:") == "2160", "the preset's size")
        expect(value_after(screen, "Width:"), "3840", "width of UHD")
        expect(value_after(screen, "Color Space:"), "Rec. 2100 PQ", "colour space of UHD PQ")

        # Width, Height, Timebase, Pixel Aspect Ratio, Color Space, Audio
        # Sample Rate, Steady Audio Tones, then the frequency. The last line
        # says what the keys do there; entering the number selects it, so
        # typing replaces it.
        check("Up/Down change" in t.screen(), "no key help for the pop-up:\n" + t.screen())
        for _ in range(8):
            t.key("Tab")
        t.wait_for(lambda s: "Typing replaces it" in s, "the key help of a number")
        t.text("440")
        t.key("Tab")
        screen = t.wait_for(lambda s: value_after(s, "Preset:") == "Custom", "the preset to turn Custom")
        expect(value_after(screen, "Tone Frequency:"), "440.0", "typed frequency")

        # The amplitude has the focus now: a negative number in dB, typed
        # after End, which ends the selection to edit the number instead.
        t.key("End")
        for _ in range(8):
            t.key("BSpace")
        t.text("-6")
        t.key("Tab")
        t.wait_for(lambda s: value_after(s, "Amplitude:") == "-6.0", "the typed amplitude")

        enabled = field_colours(t, "Tone Frequency:", "440.0")
        enabled_popup = field_colours(t, "Timebase:", "fps")
        check(field_colours(t, "Format:", "EBU") != enabled_popup, "the format pop-up looks enabled for a steady tone")

        # Identify Audio Channels has the focus: select it.
        t.key("Space")
        t.wait_for(lambda s: "(•) Identify Audio Channels" in s, "Identify Audio Channels selected")
        time.sleep(0.3)
        check(field_colours(t, "Tone Frequency:", "440.0") != enabled, "the frequency still looks enabled")
        check(field_colours(t, "Amplitude:", "-6.0") != enabled, "the amplitude still looks enabled")
        expect(field_colours(t, "Format:", "EBU"), enabled_popup, "the format pop-up's look once enabled")

        # Shift-Tab passes over the disabled tone controls to the steady-tone
        # button; Down then moves the group's selection back.
        t.key("BTab")
        t.key("Space")
        t.wait_for(lambda s: "(•) Steady Audio Tones" in s, "Steady Audio Tones selected again")
        time.sleep(0.3)
        expect(field_colours(t, "Tone Frequency:", "440.0"), enabled, "the frequency's look once enabled again")
        t.key("Down")
        t.wait_for(lambda s: "(•) Identify Audio Channels" in s, "Identify Audio Channels selected by Down")

        # The format pop-up takes the focus now (the tone controls are
        # passed over); Down picks the next format, then OK.
        t.key("Tab")
        t.key("Down")
        t.wait_for(lambda s: value_after(s, "Format:") == "EBU Stereo (400 Hz)", "the 400 Hz format")
        t.key("Tab")
        t.key("Enter")
        screen = t.wait_for(lambda s: "EXIT=" in s, "the program to end")
        check("EXIT=0" in screen, "the program did not create the clip:\n" + screen)
    finally:
        t.close()

    data = stored_record(clip)
    expect(len(data), 72, "record size")
    expect(struct.unpack_from("<f", data, 4)[0], 48000.0, "audio rate")
    expect(data[16], 1, "identify channels")
    expect(struct.unpack_from("<f", data, 20)[0], 440.0, "frequency")
    amplitude = struct.unpack_from("<f", data, 24)[0]
    check(abs(amplitude - 10 ** (-6 / 20)) < 1e-6, "amplitude %r is not -6 dB" % amplitude)
    expect(data[28], 1, "identifier format (EBU 400 Hz)")
    expect(struct.unpack_from("<ii", data, 32), (3840, 2160), "frame size")
    expect(struct.unpack_from("<II", data, 40), (1, 1), "pixel aspect ratio")
    expect(data[64], 3, "colour space type (Rec. 2100 PQ)")
    expect(data[65], 0, "preset (Custom)")


def accept_after_bursts(tmux, program, clip):
    """Keys that arrive together each reach the control focused when their
    turn comes, not the one focused before the first of them."""
    t = run_dialog(tmux, program, clip)
    try:
        # Preset, Width, Height, then the timebase takes the Down.
        t.burst("Tab", "Tab", "Tab", "Down")
        t.wait_for(lambda s: value_after(s, "Timebase:") == "30.00 fps", "three Tabs and a Down in one write")
        # PAR, Color Space, Audio Sample Rate, Steady Audio Tones, then the
        # frequency, typed over, and Tab takes it.
        t.burst("Tab", "Tab", "Tab", "Tab", "Tab", "4", "4", "0", "Tab")
        t.wait_for(lambda s: value_after(s, "Tone Frequency:") == "440.0", "a number typed in one write")
        # From the amplitude back to the steady-tone button, whose Down
        # selects and focuses the other button; the tone controls are then
        # passed over and the format pop-up takes the last Down.
        t.burst("BTab", "BTab", "Down", "Tab", "Down")
        t.wait_for(lambda s: value_after(s, "Format:") == "EBU Stereo (400 Hz)", "a radio button's Down in one write")
        # Back over every enabled control to Cancel, then OK, which Enter presses.
        t.burst(*["BTab"] * 11, "Enter")
        screen = t.wait_for(lambda s: "EXIT=" in s, "the program to end")
        check("EXIT=0" in screen, "Shift-Tabs in one write did not reach OK:\n" + screen)
    finally:
        t.close()
    data = stored_record(clip)
    expect(data[16], 1, "identify channels chosen in a burst")
    expect(struct.unpack_from("<f", data, 20)[0], 440.0, "frequency typed in a burst")
    expect(data[28], 1, "identifier format (EBU 400 Hz) chosen in a burst")
    expect(struct.unpack_from("<q", data, 48)[0], TICKS_PER_SECOND // 30, "30 fps chosen in a burst")


def cancel_with(key, tmux, program, clip):
    t = run_dialog(tmux, program, clip)
    try:
        t.key("Down")  # an edit that must not be stored
        time.sleep(0.3)
        t.key(key)
        screen = t.wait_for(lambda s: "EXIT=" in s, "the program to end")
        check("EXIT=3" in screen and "ancelled" in screen, "%s did not cancel:\n%s" % (key, screen))
    finally:
        t.close()
    check(not os.listdir(os.path.dirname(clip)), "a file was left for a cancelled dialog")


def stopped_in_the_dialog(tmux, program, clip):
    """SIGTERM while the dialog is up: the dialog closes, nothing is left, 143."""
    t = run_dialog(tmux, program, clip)
    try:
        os.kill(t.program_pid(), signal.SIGTERM)
        screen = t.wait_for(lambda s: "EXIT=" in s, "the program to end")
        check("EXIT=143" in screen and "stopped by SIGTERM" in screen, "SIGTERM did not stop it:\n" + screen)
    finally:
        t.close()
    check(not os.listdir(os.path.dirname(clip)), "a file was left by a stopped dialog")


def too_small_then_grown(tmux, program, clip):
    """A terminal too small for the dialog says so; grown, it shows the dialog."""
    t = start(tmux, program, clip, 50, 14)
    try:
        t.wait_for(lambda s: "Terminal too small" in s and "Enlarge it" in s, "the notice of a small terminal")
        check("Preset:" not in t.screen(), "controls shown cut off:\n" + t.screen())
        t.resize(100, 32)
        t.wait_for(lambda s: "New Bars And Tone" in s and "Cancel" in s and "Preset:" in s, "the dialog once grown")
        t.key("Escape")
        screen = t.wait_for(lambda s: "EXIT=" in s, "the program to end")
        check("EXIT=3" in screen, "Esc after growing did not cancel:\n" + screen)
    finally:
        t.close()
    check(not os.path.exists(clip), "a file was left for a dialog cancelled with Esc")


def main():
    source_dir, program = sys.argv[1], sys.argv[2:]
    with tempfile.TemporaryDirectory() as directory:
        tmux = os.environ.get("TMUX_PROGRAM") or shutil.which("tmux")
        if not tmux or not os.path.exists(tmux):
            print("SKIPPED: tmux is not installed (scripts/setup.sh installs it); the terminal dialog was not driven")
            return SKIPPED
        accept_after_edits(tmux, program, source_dir, os.path.join(directory, "accepted.json"))
        accept_after_bursts(tmux, program, os.path.join(directory, "burst.json"))
        # Esc cancels too, after the small terminal below has grown.
        with tempfile.TemporaryDirectory() as empty:
            cancel_with("C-c", tmux, program, os.path.join(empty, "cancelled.json"))
        with tempfile.TemporaryDirectory() as empty:
            stopped_in_the_dialog(tmux, program, os.path.join(empty, "stopped.json"))
        too_small_then_grown(tmux, program, os.path.join(directory, "small.json"))
    print("interactive new clip: accepted (keys one by one and in bursts), cancelled, stopped and shown\n"
          "on a small terminal as a person would see it")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        print("FAILED: %s" % failure)
        sys.exit(1)
