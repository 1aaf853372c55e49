#!/usr/bin/python3
"""Drives the Windows build in a real Wine console inside tmux: keys go in with send-keys, the
console output is read from a file or from the pane.

Nine runs, each in a fresh folder under drive_c of one fresh Wine prefix:
  failure  Wine's own tools (there is no sort.exe): the sort check fails, "8" is swallowed at the
           failure screen and "9" ends the run with status 0.
  typical  the typical run, with stand-ins for sort.exe and find.exe in system32: both reports
           byte for byte as the Linux build writes them, scratch files and copied tools left.
  editing  the same answers with keys that have no character (Up, F1, Home) at the menus and
           Backspace inside typed answers, output to the console itself: the same reports.
  wrapped  the typical answers in a console 40 columns wide, typed past the end of their rows
           and edited back across the row boundary: each answer shown as it ended up, nothing
           left over on the rows below, the same reports.
  tall     the typical answers in a console 40 columns wide and 10 rows high, the first one
           typed taller than the console and edited at its start once its first row has
           scrolled away: the first rows shown again, prompt's columns blank, the same reports.
  interrupt  Ctrl+C at a prompt, with the reports open: the status of a program that Ctrl+C
           ended (not 0), and no file in the folder beyond what the dialogue had made.
  piped    the typical answers from a pipe instead of a console: the same reports and, but for
           what the commands print, the same console output as the Linux build.
  names    the typical answers from a pipe in a folder of legal Windows names that cmd.exe reads
           as syntax unless they are quoted (blanks, "&", parentheses): the check file loop
           deletes exactly the check files among them.
  arguments  --version, --help, /? and an unknown argument, with the typical answers piped in:
           each answered on its own stream with its status, the dialogue never started and the
           folder left empty.

Usage: wine_runs.py --exe sumquill.exe --linux sumquill --sort sort.exe --find find.exe
                    --expect-version 1.0.0 [--runs typical,piped,...]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

# A socket in the run's own folder (set in main), so that two runs at once never share a server.
TMUX_SOCKET = None
PANE_WIDTH, PANE_HEIGHT = 120, 50
WRAPPED_WIDTH = 40
TALL_HEIGHT = 10
# Windows ends a program that Ctrl+C stopped with STATUS_CONTROL_C_EXIT; Wine hands the low byte of
# a Windows exit status on as the process's status.
CONTROL_C_EXIT = 0xC000013A & 0xFF
WAIT_SECONDS = 30

# The typical run's answers, as the Linux build reads them from a pipe.
TYPICAL_INPUT = b"1\n2\n3\n2\n2\nB\nC\n2\n20\nE\n"
REPORTS = ("qzr_sumif.txt", "qzr_sumif.htm")
LEFT_BEHIND = ("stm_01.txt", "check_01.txt", "check_02.txt", "out_null.txt", "cmd.exe", "sort.exe",
               "find.exe")

# Screen texts the driver waits for before it presses the next key.
WARNING_MENU = "<2> no  and end"
CODE_PAGE_MENU = "<8> exit, end"
BROWSE_ROW = "any key to continue, <3> select, <8> exit"
SEPARATOR_MENU = "2 decimal separator = ,"
TABLE_MENU = "2 LibreOffice table"
PROMPTS = ("Column name for creating groups = ? ", "Column name with data (sum) = ? ",
           "Row number (start) with data cell   = ? ", "Row number   (end)  with data cell  = ? ",
           "Column name (start) with free area = ? ")
FAILURE_MENU = "<9> konec"


class Failure(Exception):
    pass


def tmux(*args, check=True):
    # A server of our own, whether or not this runs inside someone's tmux.
    env = {key: value for key, value in os.environ.items() if key != "TMUX"}
    return subprocess.run(["tmux", "-f", "/dev/null", "-S", TMUX_SOCKET, *args], check=check, capture_output=True,
                          env=env)


class Wine:
    """One fresh prefix with its own wineserver, kept for all runs."""

    def __init__(self, root):
        self.prefix = os.path.join(root, "prefix")
        os.makedirs(self.prefix)
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        # No Mono or Gecko installer at the first start.
                        WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("DISPLAY", None)
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.system32 = os.path.join(self.drive_c, "windows", "system32")

    def boot(self):
        # Wine's background processes keep whatever they inherit open: nothing of ours, then.
        quiet = dict(env=self.env, check=True, stdin=subprocess.DEVNULL,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-p"], **quiet)
        subprocess.run(["wineboot", "--init"], **quiet)

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, check=False, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def folder(self, name):
        path = os.path.join(self.drive_c, "runs", name)
        os.makedirs(path)
        return path


class Run:
    """The program started in a tmux pane, in `folder`; output to out.txt or to the pane."""

    def __init__(self, wine, exe, folder, to_console=False, width=PANE_WIDTH, height=PANE_HEIGHT):
        self.folder = folder
        self.session = os.path.basename(folder)
        self.to_console = to_console
        self.narrow = width != PANE_WIDTH
        self.out = os.path.join(folder, "..", self.session + ".out")
        self.status_file = os.path.join(folder, "..", self.session + ".status")
        redirect = "" if to_console else f" > {q(self.out)} 2>&1"
        command = (f"cd {q(folder)} && wine {q(exe)}{redirect}; echo $? > {q(self.status_file)};"
                   " sleep 120")
        env_args = []
        for key in ("WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES"):
            env_args += ["-e", f"{key}={wine.env[key]}"]
        tmux("new-session", "-d", "-s", self.session, "-x", str(width), "-y",
             str(height), *env_args, command)
        self.started = time.monotonic()

    def text(self):
        if self.to_console and self.narrow:
            # The console wraps long lines by rows of its own, which tmux does not join again:
            # without the row ends, a text that was wrapped is found whole.
            return self.rows(history=True).replace("\n", "")
        if self.to_console:
            return tmux("capture-pane", "-p", "-S", "-", "-t", self.session,
                        check=False).stdout.decode("latin-1")
        try:
            with open(self.out, "rb") as f:
                return f.read().decode("latin-1")
        except FileNotFoundError:
            return ""

    def rows(self, history=False):
        """The rows of the pane, from the start of its history or only those on the screen."""
        return tmux("capture-pane", "-p", *(("-S", "-") if history else ()), "-t", self.session,
                    check=False).stdout.decode("latin-1")

    def wait_for(self, needle, start=0):
        """Waits until `needle` shows after position `start`; returns the position after it."""
        if self.to_console:
            needle = needle.rstrip()  # the pane keeps no blanks at the ends of its lines
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            found = self.text().find(needle, start)
            if found >= 0:
                return found + len(needle)
            if self.status() is not None:
                break
            time.sleep(0.05)
        raise Failure(f"{self.session}: no {needle!r} after position {start}; output:\n"
                      + self.text()[-3000:])

    def wait_rows(self, rows):
        """Waits until the rows on the screen are `rows` (without the blanks at their ends)."""
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            if self.rows().split("\n")[:len(rows)] == rows:
                return
            time.sleep(0.05)
        raise Failure(f"{self.session}: the screen does not show\n" + "\n".join(rows)
                      + "\nbut\n" + self.rows())

    def keys(self, *keys):
        """tmux key names (Up, F1, BSpace, Enter) or literal text."""
        for key in keys:
            tmux("send-keys", "-t", self.session, key)

    def literal(self, text):
        tmux("send-keys", "-t", self.session, "-l", text)

    def hex_keys(self, *codes):
        tmux("send-keys", "-t", self.session, "-H", *codes)

    def status(self):
        try:
            with open(self.status_file) as f:
                text = f.read().strip()
            return int(text) if text else None
        except FileNotFoundError:
            return None

    def wait_status(self):
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            status = self.status()
            if status is not None:
                return status
            time.sleep(0.05)
        raise Failure(f"{self.session}: still running; output:\n" + self.text()[-3000:])

    def close(self):
        tmux("kill-session", "-t", self.session, check=False)


def q(text):
    return "'" + text.replace("'", "'\\''") + "'"


def expect(condition, message):
    if not condition:
        raise Failure(message)


def linux_run(linux_binary):
    """What the Linux build writes for the typical answers, piped in, in a folder of its own:
    the reports by name, and the console output under "console"."""
    with tempfile.TemporaryDirectory(prefix="sumquill_linux_") as folder:
        completed = subprocess.run([linux_binary], input=TYPICAL_INPUT, cwd=folder,
                                   capture_output=True, timeout=60)
        expect(completed.returncode == 0, f"Linux run ended with {completed.returncode}")
        result = {"console": completed.stdout}
        for name in REPORTS:
            with open(os.path.join(folder, name), "rb") as f:
                result[name] = f.read()
        return result


def without_lines(text, pattern):
    return re.sub(pattern, b"", text, flags=re.MULTILINE)


def check_reports(run, expected):
    for name in REPORTS:
        with open(os.path.join(run.folder, name), "rb") as f:
            actual = f.read()
        expect(actual == expected[name],
               f"{run.session}: {name} differs from the Linux build's ({len(actual)} bytes against"
               f" {len(expected[name])})")


def failure_run(wine, exe):
    run = Run(wine, exe, wine.folder("failure"))
    try:
        run.wait_for(WARNING_MENU)
        run.keys("1")
        end = run.wait_for(FAILURE_MENU)
        text = run.text()
        expect("Check availability sort.exe.\r\n"
               "Most likely it is necessary to updated the system path variable.\r\n"
               "<9> konec\r\n" in text, "failure: the sort check's failure screen is not as shown")
        expect("Check availability cmd.exe." not in text, "failure: the cmd check failed")
        run.keys("8")
        time.sleep(0.5)
        expect(run.status() is None, "failure: the program ended on 8")
        expect(len(run.text()) == end + 2, "failure: 8 wrote something")
        run.keys("9")
        status = run.wait_status()
        expect(status == 0, f"failure: exit status {status}")
        expect(len(run.text()) == end + 2, "failure: 9 wrote something")
    finally:
        run.close()


def answer_menus(run, before_separator=(), before_warning=()):
    run.wait_for(WARNING_MENU)
    run.keys(*before_warning, "1")
    at = run.wait_for(CODE_PAGE_MENU)
    run.keys("2")
    run.wait_for(BROWSE_ROW, at)
    run.keys("3")
    run.wait_for(SEPARATOR_MENU)
    run.keys(*before_separator, "2")
    run.wait_for(TABLE_MENU)
    run.keys("2")


def typical_run(wine, exe, expected):
    run = Run(wine, exe, wine.folder("typical"))
    try:
        answer_menus(run)
        at = 0
        for prompt, answer in zip(PROMPTS, ("B", "C", "2", "20", "E")):
            at = run.wait_for(prompt, at)
            run.literal(answer)
            run.keys("Enter")
        status = run.wait_status()
        expect(status == 0, f"typical: exit status {status}; output:\n{run.text()[-2000:]}")
        check_reports(run, expected)
        present = set(os.listdir(run.folder))
        missing = [name for name in LEFT_BEHIND if name not in present]
        expect(not missing, f"typical: not left in the folder: {missing}")
    finally:
        run.close()


def editing_run(wine, exe, expected):
    run = Run(wine, exe, wine.folder("editing"), to_console=True)
    try:
        run.wait_for(WARNING_MENU)
        run.keys("Up", "F1")
        # Home reaches the Wine console from tmux only as this sequence.
        run.hex_keys("1b", "5b", "48")
        answer_menus(run, before_separator=("Up", "F1", "x"))
        typed = (("X", "BSpace", "B"), ("C",), ("25", "BSpace"), ("2", "BSpace", "20"),
                 ("BSpace", "E"))
        for prompt, keys in zip(PROMPTS, typed):
            run.wait_for(prompt)
            for key in keys:
                run.keys(key) if key == "BSpace" else run.literal(key)
            run.keys("Enter")
        status = run.wait_status()
        screen = run.text()
        expect(status == 0, f"editing: exit status {status}; screen:\n{screen[-2000:]}")
        check_reports(run, expected)
        # The ignored keys wrote nothing: the options were shown once, and what follows them is
        # what follows the chosen key.
        expect(screen.count("<1> yes and continue") == 1 and
               "<2> no  and end\n\n" + "-" * 30 + "\n" in screen,
               "editing: the warning menu wrote something for an ignored key")
        expect(screen.count("1 decimal separator = .") == 1 and
               "2 decimal separator = ,\n\n(2) decimal separator = ," in screen,
               "editing: the separator menu wrote something for an ignored key")
        for prompt, answer in zip(PROMPTS, ("B", "C", "2", "20", "E")):
            expect(prompt.rstrip() + " " + answer + "\n" in screen,
                   f"editing: the screen does not show {prompt!r} answered {answer!r}:\n"
                   + screen[-2000:])
    finally:
        run.close()


def wrapped_run(wine, exe, expected):
    """The typical answers in a console 40 columns wide, typed longer than what is left of their
    rows and edited back across the row boundary with Left, Backspace, Home and Delete. The
    screen shows each answer as it ended up, with nothing left over from the edits on the row
    below, and the reports are the typical ones."""
    run = Run(wine, exe, wine.folder("wrapped"), to_console=True, width=WRAPPED_WIDTH)
    # Home reaches the Wine console from tmux only as this sequence.
    home = ("1b", "5b", "48")
    # Each prompt's keys; the first prompt leaves 4 columns of its row, the second 8, the next
    # two fill theirs, and the last leaves 1.
    typed = (("xyzzyB", "Left", "Left", "BSpace", home, "DC", "DC", "DC", "DC"),
             ("CCCCCCCCCCCC",) + ("BSpace",) * 11,
             ("2",),
             ("20",),
             ("XE", "Left", "BSpace"))
    shown = (["Column name for creating groups = ? B", ""],
             ["Column name with data (sum) = ? C", ""],
             ["Row number (start) with data cell   = ?", "2",
              "Row number (end) with data, for LibreOff"],
             ["Row number   (end)  with data cell  = ?", "20", ""],
             ["Column name (start) with free area = ? E", ""])
    try:
        answer_menus(run)
        at = 0
        for prompt, keys in zip(PROMPTS, typed):
            at = run.wait_for(prompt, at)
            for key in keys:
                if isinstance(key, tuple):
                    run.hex_keys(*key)
                elif key in ("Left", "BSpace", "DC"):
                    run.keys(key)
                else:
                    run.literal(key)
            run.keys("Enter")
        status = run.wait_status()
        screen = run.rows(history=True)
        expect(status == 0, f"wrapped: exit status {status}; screen:\n{screen[-2000:]}")
        check_reports(run, expected)
        for rows in shown:
            expect("\n".join(rows) + "\n" in screen,
                   f"wrapped: the screen does not show {rows!r}:\n" + screen[-2000:])
    finally:
        run.close()


def tall_run(wine, exe, expected):
    """The first answer typed taller than a console of 10 rows, then edited at its start (Home,
    Delete) after its first row has scrolled away, and the cursor taken right into the row that
    the redraw pushed off the bottom. The screen shows the answer's rows where they belong each
    time, and the reports are the typical ones: the answer ends at its comma."""
    run = Run(wine, exe, wine.folder("tall"), to_console=True, width=WRAPPED_WIDTH,
              height=TALL_HEIGHT)
    filler = "".join(f"{i:03d}." for i in range(110))
    start = len(PROMPTS[0]) % WRAPPED_WIDTH

    def layout(answer):
        # The rows of the answer: the prompt's columns of the first one blank.
        text = " " * start + answer
        return [text[i:i + WRAPPED_WIDTH].rstrip() for i in range(0, len(text), WRAPPED_WIDTH)]

    home = ("1b", "5b", "48")
    end = ("1b", "5b", "46")
    try:
        answer_menus(run)
        run.wait_for(PROMPTS[0])
        run.literal("XB," + filler)
        typed = layout("XB," + filler)
        expect(len(typed) > TALL_HEIGHT + 1, "tall: the answer is not taller than the console")
        run.wait_rows(typed[-TALL_HEIGHT:])
        run.hex_keys(*home)
        run.wait_rows(typed[:TALL_HEIGHT])
        run.keys("DC")
        edited = layout("B," + filler)
        run.wait_rows(edited[:TALL_HEIGHT])
        # Right from the start to the first column of the row below the screen's last one: that
        # row is written whole, and as it fills the bottom row the console scrolls once more,
        # leaving the cursor a new row, blank until the cursor comes to it.
        rights = WRAPPED_WIDTH - start + (TALL_HEIGHT - 1) * WRAPPED_WIDTH
        tmux("send-keys", "-t", run.session, *(["Right"] * rights))
        run.wait_rows(edited[2:TALL_HEIGHT + 1] + [""])
        run.hex_keys(*end)
        run.keys("Enter")
        at = 0
        for prompt, answer in zip(PROMPTS[1:], ("C", "2", "20", "E")):
            at = run.wait_for(prompt, at)
            run.literal(answer)
            run.keys("Enter")
        status = run.wait_status()
        expect(status == 0, f"tall: exit status {status}; screen:\n{run.rows()}")
        check_reports(run, expected)
    finally:
        run.close()


def interrupt_run(wine, exe):
    """Ctrl+C at the first prompt, where the reports are open."""
    run = Run(wine, exe, wine.folder("interrupt"), to_console=True)
    try:
        answer_menus(run)
        run.wait_for(PROMPTS[0])
        run.literal("B")
        run.keys("C-c")
        status = run.wait_status()
        expect(status == CONTROL_C_EXIT,
               f"interrupt: exit status {status}, not {CONTROL_C_EXIT}; screen:\n{run.rows()}")
        left = sorted(set(os.listdir(run.folder)) - set(LEFT_BEHIND) - set(REPORTS))
        expect(not left, f"interrupt: files left in the folder: {left}")
    finally:
        run.close()


def piped_run(wine, exe, expected):
    """Input from a pipe: the same dialogue and reports as on Linux. Only what the commands print
    differs: Wine's copy says nothing, and its chcp finds no console to set."""
    run_folder = wine.folder("piped")
    completed = subprocess.run(["wine", exe], input=TYPICAL_INPUT, cwd=run_folder, env=wine.env,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               timeout=WAIT_SECONDS)
    expect(completed.returncode == 0, f"piped: exit status {completed.returncode}")
    for name in REPORTS:
        with open(os.path.join(run_folder, name), "rb") as f:
            expect(f.read() == expected[name], f"piped: {name} differs from the Linux build's")
    console = without_lines(completed.stdout, rb"^Invalid code page\r\n")
    linux = without_lines(expected["console"],
                          rb"^ +1 file\(s\) copied\.\r\n|^Active code page: .*\r\n")
    expect(console == linux, "piped: the console output differs from the Linux build's:\n"
           + console.decode("latin-1")[-2000:])


def names_run(wine, exe, expected):
    run_folder = wine.folder("names")
    deleted = ("check_2024 report.txt", "check_a&b.txt", "check_(1).txt")
    kept = ("report.txt", "b.txt", "a", "1).txt")
    for name in deleted + kept:
        with open(os.path.join(run_folder, name), "wb") as f:
            f.write(name.encode())
    completed = subprocess.run(["wine", exe], input=TYPICAL_INPUT, cwd=run_folder, env=wine.env,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               timeout=WAIT_SECONDS)
    expect(completed.returncode == 0, f"names: exit status {completed.returncode}")
    present = set(os.listdir(run_folder))
    left = sorted(present & set(deleted))
    expect(not left, f"names: check files left: {left}")
    for name in kept:
        expect(name in present, f"names: {name} was deleted")
        with open(os.path.join(run_folder, name), "rb") as f:
            expect(f.read() == name.encode(), f"names: {name} was changed")
    for name in REPORTS:
        with open(os.path.join(run_folder, name), "rb") as f:
            expect(f.read() == expected[name], f"names: {name} differs from the Linux build's")


def arguments_run(wine, exe, version):
    """Arguments stop the program before the dialogue, as on Linux; the text reaches the Windows
    console with its line ends as CR LF."""
    expect(version, "arguments: no --expect-version given")
    usage = b"Usage: sumquill "
    unknown = b'sumquill: unknown argument "%s"; sumquill --help lists the arguments\r\n'
    cases = [(["--version"], 0, b"sumquill " + version.encode() + b"\r\n", b""),
             (["--help"], 0, usage, b""),
             (["/?"], 0, usage, b""),
             (["--bogus"], 2, b"", unknown % b"--bogus")]
    for number, (arguments, status, out, err) in enumerate(cases, 1):
        folder = wine.folder(f"arguments{number}")
        completed = subprocess.run(["wine", exe, *arguments], input=TYPICAL_INPUT, cwd=folder,
                                   env=wine.env, capture_output=True, timeout=WAIT_SECONDS)
        name = " ".join(arguments)
        expect(completed.returncode == status, f"arguments: {name}: status {completed.returncode}")
        expect(completed.stdout.startswith(out) and (out or not completed.stdout),
               f"arguments: {name}: standard output {completed.stdout[:200]!r}")
        expect(completed.stderr == err, f"arguments: {name}: standard error {completed.stderr!r}")
        expect(not os.listdir(folder), f"arguments: {name}: left {os.listdir(folder)}")


def main():
    parser = argparse.ArgumentParser()
    for name in ("exe", "linux", "sort", "find"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--expect-version", help="what --version names: 1.0.0")
    parser.add_argument("--runs",
                        default="failure,typical,editing,wrapped,tall,interrupt,piped,names,"
                                "arguments",
                        help="which runs, comma separated")
    parser.add_argument("--keep", action="store_true", help="keep the prefix and the run folders")
    args = parser.parse_args()
    for name in ("exe", "linux", "sort", "find"):
        setattr(args, name, os.path.abspath(getattr(args, name)))
    expected = linux_run(args.linux)
    root = tempfile.mkdtemp(prefix="sumquill_wine_")
    global TMUX_SOCKET
    TMUX_SOCKET = os.path.join(root, "tmux.socket")
    wine = Wine(root)
    results = []
    try:
        started = time.monotonic()
        wine.boot()
        booted = time.monotonic()
        exe = os.path.join(wine.drive_c, "sumquill", "sumquill.exe")
        os.makedirs(os.path.dirname(exe))
        shutil.copy(args.exe, exe)
        windows_exe = "C:\\sumquill\\sumquill.exe"
        for name, body in (("failure", lambda: failure_run(wine, windows_exe)),
                           ("stand-ins", lambda: install_standins(wine, args)),
                           ("typical", lambda: typical_run(wine, windows_exe, expected)),
                           ("editing", lambda: editing_run(wine, windows_exe, expected)),
                           ("wrapped", lambda: wrapped_run(wine, windows_exe, expected)),
                           ("tall", lambda: tall_run(wine, windows_exe, expected)),
                           ("interrupt", lambda: interrupt_run(wine, windows_exe)),
                           ("piped", lambda: piped_run(wine, windows_exe, expected)),
                           ("names", lambda: names_run(wine, windows_exe, expected)),
                           ("arguments",
                            lambda: arguments_run(wine, windows_exe, args.expect_version))):
            if name != "stand-ins" and name not in args.runs.split(","):
                continue
            began = time.monotonic()
            try:
                body()
                results.append((name, True, time.monotonic() - began, ""))
            except (Failure, subprocess.SubprocessError, OSError) as error:
                results.append((name, False, time.monotonic() - began, str(error)))
        print(f"wine: prefix ready in {booted - started:.1f} s, runs took "
              f"{time.monotonic() - booted:.1f} s")
    finally:
        tmux("kill-server", check=False)
        wine.stop()
        if args.keep:
            print(f"wine: kept {root}")
        else:
            shutil.rmtree(root, ignore_errors=True)
    for name, ok, seconds, message in results:
        print(f"wine {name}: {'ok' if ok else 'FAILED'} ({seconds:.1f} s)")
        if message:
            print(message)
    runs = [r for r in results if r[0] != "stand-ins"]
    passed = sum(1 for r in runs if r[1])
    print(f"wine: {passed} passed, {len(runs) - passed} failed")
    return 0 if all(r[1] for r in results) else 1


def install_standins(wine, args):
    shutil.copy(args.sort, os.path.join(wine.system32, "sort.exe"))
    shutil.copy(args.find, os.path.join(wine.system32, "find.exe"))


if __name__ == "__main__":
    sys.exit(main())
