"""Editing a typed answer longer than a row, on real terminals 40 columns wide: after every key
the whole screen and the cursor are read back and compared with where the answer's characters
belong. Both terminals, like every POSIX terminal, keep the cursor at the right margin after the
last column has been written, so answers that end exactly there are checked too.

In tmux, keys go in with send-keys and the screen comes back with capture-pane. tmux is lenient
in one way: a backspace in the first column of a row that the row above wrapped into climbs to
that row's end, which most terminals and the Windows console never do. So the same edits run on
a pseudo-terminal read by pyte, a terminal emulator as strict as those.
"""
import fcntl
import os
import select
import shutil
import struct
import subprocess
import tempfile
import termios
import time
import unicodedata
import unittest

try:
    import pyte
except ImportError:
    pyte = None

import harness  # noqa: F401  (takes the binary's path off the command line)

PROBE = os.environ.get("SUMQUILL_CONSOLE_PROBE", "")
WIDTH, HEIGHT = 40, 20
# The probe's screen up to its text prompt, which starts at column 9 of the fifth row.
ABOVE = ["width 40", "<1> one", "<2> two", "menu 1"]
PROMPT = "Text = ? "
WAIT_SECONDS = 10


class Screen:
    """The answer as the probe should have it, and the screen rows and cursor that follow."""

    def __init__(self):
        self.answer = ""
        self.cursor = 0

    def rows(self):
        shown = PROMPT + self.answer
        rows = ABOVE + [shown[i:i + WIDTH] for i in range(0, len(shown), WIDTH)]
        rows = [row.rstrip() for row in rows]
        return rows + [""] * (HEIGHT - len(rows))

    def cursor_spots(self):
        """Where the cursor may stand, as (column, row). After a write that ended at the right
        margin, tmux keeps it there, past the last column, until the next character comes."""
        spot = len(PROMPT) + self.cursor
        column, row = spot % WIDTH, len(ABOVE) + spot // WIDTH
        if column == 0 and self.cursor > 0:
            return [(column, row), (WIDTH, row - 1)]
        return [(column, row)]

    def key(self, name):
        if name == "Left":
            self.cursor = max(0, self.cursor - 1)
        elif name == "Right":
            self.cursor = min(len(self.answer), self.cursor + 1)
        elif name == "Home":
            self.cursor = 0
        elif name == "End":
            self.cursor = len(self.answer)
        elif name == "BSpace":
            if self.cursor > 0:
                self.answer = self.answer[:self.cursor - 1] + self.answer[self.cursor:]
                self.cursor -= 1
        elif name == "DC":
            self.answer = self.answer[:self.cursor] + self.answer[self.cursor + 1:]
        else:
            self.answer = self.answer[:self.cursor] + name + self.answer[self.cursor:]
            self.cursor += len(name)


# The bytes a terminal sends for the keys that have no character.
KEY_BYTES = {"Left": b"\x1b[D", "Right": b"\x1b[C", "Home": b"\x1b[H", "End": b"\x1b[F",
             "BSpace": b"\x7f", "DC": b"\x1b[3~", "Enter": b"\r"}


class Scenarios:
    """The edits, run on a terminal that a subclass starts and reads: `send` takes a key name
    of KEY_BYTES or text, `pane` gives the screen's rows and `cursor` the (column, row)."""

    def wait_for(self, rows, spots, what):
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            pane = self.pane()
            at = self.cursor()
            if pane == rows and (spots is None or at in spots):
                return
            if time.monotonic() > deadline:
                self.fail(f"after {what}: the screen\n" + "\n".join(pane) + f"\ncursor {at}, "
                          "wanted\n" + "\n".join(rows) + f"\ncursor one of {spots}")
            time.sleep(0.02)

    def press(self, *keys):
        """Key names or text typed as it is; the screen is checked after each."""
        for key in keys:
            self.send(key)
            self.screen.key(key)
            self.wait_for(self.screen.rows(), self.screen.cursor_spots(), key)

    def enter(self):
        """Ends the answer; the probe shows it from the row after the answer's last one, and
        then its next prompt."""
        shown = [PROMPT + self.screen.answer, f"text [{self.screen.answer}]", "Number = ? "]
        rows = ABOVE + [text[i:i + WIDTH].rstrip() for text in shown
                        for i in range(0, len(text), WIDTH)]
        spot = (len(shown[-1]), len(rows) - 1)
        self.send("Enter")
        self.wait_for(rows + [""] * (HEIGHT - len(rows)), [spot], "Enter")

    def start(self):
        self.screen = Screen()
        self.wait_for(ABOVE[:3] + [""] * (HEIGHT - 3), None, "the start")
        self.send("1")
        self.wait_for(self.screen.rows(), [(len(PROMPT), len(ABOVE))], "the menu key")

    def test_editing_inside_and_across_the_rows_of_a_wrapped_answer(self):
        self.start()
        # 50 characters: 31 on the prompt's row, 19 on the next.
        self.press("abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMN")
        # Back into the first row, to its last column, and an insertion there.
        self.press(*["Left"] * 20, "+")
        # Backspace from the second row's first column climbs back into the first.
        self.press("BSpace", "BSpace")
        self.press("Home", "DC", "X", "End")
        # To the first column of the second row, and a Backspace and a Delete from there.
        self.press(*["Left"] * 18, "BSpace", "DC", "Right", "Right")
        self.enter()

    def test_an_answer_that_ends_at_the_margin(self):
        self.start()
        # 31 characters fill the prompt's row to its last column.
        self.press("abcdefghijklmnopqrstuvwxyz01234", "Left", "Right", "5", "BSpace", "Left",
                   "Home", "End", "BSpace", "4")
        self.enter()


@unittest.skipUnless(PROBE, "SUMQUILL_CONSOLE_PROBE names the console probe")
@unittest.skipUnless(shutil.which("tmux"), "tmux is not installed")
class InTmux(Scenarios, unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="sumquill_wrap_")
        self.addCleanup(shutil.rmtree, self.folder, True)
        # A server of our own, whether or not this runs inside someone's tmux, without their
        # configuration.
        self.socket = os.path.join(self.folder, "tmux.socket")
        self.env = {key: value for key, value in os.environ.items() if key != "TMUX"}
        status = os.path.join(self.folder, "status")
        command = f"{PROBE}; echo $? > {status}; sleep 60"
        self.tmux("new-session", "-d", "-s", "wrap", "-x", str(WIDTH), "-y", str(HEIGHT),
                  "-c", self.folder, command)
        self.addCleanup(self.tmux, "kill-server", check=False)

    def tmux(self, *args, check=True):
        # -u: the characters of several bytes are UTF-8, whatever locale the runner has.
        return subprocess.run(["tmux", "-u", "-f", "/dev/null", "-S", self.socket, *args], check=check,
                              capture_output=True, env=self.env, text=True)

    def send(self, key):
        if key in KEY_BYTES:
            self.tmux("send-keys", "-t", "wrap", key)
        else:
            self.tmux("send-keys", "-t", "wrap", "-l", key)

    def pane(self):
        rows = self.tmux("capture-pane", "-p", "-t", "wrap").stdout.split("\n")[:HEIGHT]
        return [row.rstrip() for row in rows] + [""] * (HEIGHT - len(rows))

    def cursor(self):
        x, y = self.tmux("display-message", "-p", "-t", "wrap",
                         "#{cursor_x} #{cursor_y}").stdout.split()
        return int(x), int(y)


def laid_out(text, width):
    """The rows a terminal shows `text` in, as wide as `width`: a wide character that would start
    in the last column goes to the next row whole, as xterm and tmux put it."""
    rows, row, used = [], "", 0
    for char in text:
        columns = 0 if unicodedata.combining(char) else (
            2 if unicodedata.east_asian_width(char) in "WF" else 1)
        if used + columns > width:
            rows.append(row)
            row, used = "", 0
        row += char
        used += columns
    return rows + [row]


@unittest.skipUnless(PROBE, "SUMQUILL_CONSOLE_PROBE names the console probe")
@unittest.skipUnless(shutil.which("tmux"), "tmux is not installed")
class WideAndResizedInTmux(unittest.TestCase):
    """Characters of several bytes and two columns, and a window that changes its width while an
    answer is typed, in tmux (which, unlike pyte, puts a wide character that would not fit into
    the last column on the next row, as xterm does)."""

    setUp = InTmux.setUp
    tmux = InTmux.tmux
    send = InTmux.send
    pane = InTmux.pane

    def wait_for_rows(self, expected, what):
        deadline = time.monotonic() + WAIT_SECONDS
        while (pane := self.pane())[len(ABOVE):len(ABOVE) + len(expected)] != expected:
            if time.monotonic() > deadline:
                self.fail(f"after {what}: the screen\n" + "\n".join(pane) + "\nwanted\n" +
                          "\n".join(expected))
            time.sleep(0.02)

    def wait_for_answer(self, answer):
        """The probe's line with the answer, bytes past ASCII written <hh> as it writes them."""
        shown = "text [" + "".join(c if ord(c) < 128 else "".join(
            f"<{b:02x}>" for b in c.encode()) for c in answer) + "]"
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            pane = self.pane()
            starts = [i for i, row in enumerate(pane) if row.startswith("text [")]
            if starts:
                ends = [i for i, row in enumerate(pane) if row.startswith("Number = ?")]
                if ends and "".join(pane[starts[0]:ends[0]]) == shown:
                    return
            if time.monotonic() > deadline:
                self.fail(f"no {shown} on the screen\n" + "\n".join(pane))
            time.sleep(0.02)

    @staticmethod
    def ends_with(pane, rows):
        shown = [row for row in pane if row]
        return shown[-len(rows):] == rows

    def test_wide_characters_at_the_end_of_a_row(self):
        self.wait_for_rows([], "the start")
        self.send("1")
        answer = "abcdefghijklmnopqrstuvwxyz0123"  # 30 columns: one is left on the first row
        steps = [(answer, answer), ("中é文", answer + "中é文"), ("Left", None), ("Left", None), ("Left", None),
                 ("x", answer + "x中é文"), ("BSpace", answer + "中é文"), ("Home", None),
                 ("中", "中" + answer + "中é文"), ("End", None), ("BSpace", "中" + answer + "中é")]
        for key, shown in steps:
            self.send(key)
            if shown is not None:
                self.wait_for_rows(laid_out(PROMPT + shown, WIDTH), key)
        self.send("Enter")
        self.wait_for_answer("中" + answer + "中é")

    def test_a_new_width_while_an_answer_is_typed(self):
        self.tmux("resize-window", "-t", "wrap", "-x", "80")
        self.wait_for_rows([], "the start")
        self.send("1")
        answer = "0123456789" * 11  # two rows at 80 columns, three at 50
        self.send(answer)
        self.wait_for_rows(laid_out(PROMPT + answer, 80), "the answer")
        self.tmux("resize-window", "-t", "wrap", "-x", "50")
        # The answer is shown again under a prompt of its own, laid out at the new width (tmux
        # lays out the rows above anew too; what it makes of them is its own).
        rows = laid_out(PROMPT + answer, 50)
        deadline = time.monotonic() + WAIT_SECONDS
        while not (self.ends_with(self.pane(), rows) and
                   sum(row.startswith(PROMPT) for row in self.pane()) == 2):
            self.assertLess(time.monotonic(), deadline, "\n".join(self.pane()))
            time.sleep(0.02)
        for key in ("Home", "X", "End", "!"):
            self.send(key)
        self.send("Enter")
        final = "X" + answer + "!"
        self.wait_for_answer(final)
        pane = self.pane()
        at = next(i for i, row in enumerate(pane) if row.startswith("text ["))
        rows = laid_out(PROMPT + final, 50)
        self.assertEqual(pane[at - len(rows):at], rows, "\n".join(pane))


@unittest.skipUnless(PROBE, "SUMQUILL_CONSOLE_PROBE names the console probe")
@unittest.skipUnless(pyte, "python3-pyte is not installed")
class OnAStrictTerminal(Scenarios, unittest.TestCase):
    """The probe on a pseudo-terminal whose output is read by pyte, a terminal emulator that, as
    most terminals do, never lets a backspace climb to the row above."""

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="sumquill_wrap_")
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.master, slave = os.openpty()
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", HEIGHT, WIDTH, 0, 0))
        self.probe = subprocess.Popen([PROBE], cwd=self.folder, stdin=slave, stdout=slave,
                                      stderr=slave, start_new_session=True)
        os.close(slave)
        self.addCleanup(self.stop)
        self.emulated = pyte.Screen(WIDTH, HEIGHT)
        self.stream = pyte.ByteStream(self.emulated)

    def stop(self):
        self.probe.kill()
        self.probe.wait()
        os.close(self.master)

    def send(self, key):
        os.write(self.master, KEY_BYTES.get(key) or key.encode())

    def read(self):
        while select.select([self.master], [], [], 0)[0]:
            try:
                self.stream.feed(os.read(self.master, 4096))
            except OSError:  # the probe has gone
                return

    def pane(self):
        self.read()
        return [row.rstrip() for row in self.emulated.display]

    def cursor(self):
        return self.emulated.cursor.x, self.emulated.cursor.y


if __name__ == "__main__":
    harness.main()
