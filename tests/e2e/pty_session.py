"""Runs the real sumquill binary on a pseudo-terminal, as a user at a terminal would.

The child gets the terminal's slave side as its controlling terminal (so Ctrl+C typed on it
becomes SIGINT), and this side keeps a descriptor of the slave open: its settings can be read
after the child has gone, to see whether they were given back.
"""
import fcntl
import os
import select
import signal
import struct
import subprocess
import termios
import threading
import time

# The first menu of every run, and the first prompt of the cell screen.
FIRST_MENU = b"<2> no  and end"
FIRST_PROMPT = b"Column name for creating groups = ? "
PROMPTS = [
    FIRST_PROMPT,
    b"Column name with data (sum) = ? ",
    b"Row number (start) with data cell   = ? ",
    b"Row number   (end)  with data cell  = ? ",
    b"Column name (start) with free area = ? ",
]
# "1" at the warning, code page browse "2" then select "3", ";" (2), LibreOffice (2).
TYPICAL_MENU_KEYS = b"12322"


def _start_as_a_shell_starts_a_job():
    """The child's setup between fork and exec: the terminal becomes its controlling terminal,
    and the signals get their default actions and are unblocked, whatever this process inherited
    (a runner started in the background ignores SIGINT)."""
    fcntl.ioctl(0, termios.TIOCSCTTY, 0)
    for number in (signal.SIGINT, signal.SIGQUIT, signal.SIGTERM, signal.SIGHUP, signal.SIGTSTP):
        signal.signal(number, signal.SIG_DFL)
    signal.pthread_sigmask(signal.SIG_SETMASK, [])


def proc_cpu_seconds(pid):
    """Processor time used so far by a live process: from the scheduler's count in nanoseconds
    where the kernel keeps one, otherwise user plus system time in clock ticks."""
    try:
        with open(f"/proc/{pid}/schedstat", "rb") as f:
            nanoseconds = int(f.read().split()[0])
        if nanoseconds > 0:  # a kernel without the count shows zeros
            return nanoseconds / 1e9
    except (OSError, ValueError, IndexError):
        pass
    with open(f"/proc/{pid}/stat", "rb") as f:
        fields = f.read().rsplit(b")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def idle_cpu_seconds(pid, seconds):
    """Processor time a live process uses while it is left alone for `seconds`."""
    start = proc_cpu_seconds(pid)
    time.sleep(seconds)
    return proc_cpu_seconds(pid) - start


class PtySession:
    def __init__(self, binary, folder, columns=80, rows=24):
        self.master, self.slave = os.openpty()
        fcntl.ioctl(self.slave, termios.TIOCSWINSZ, struct.pack("HHHH", rows, columns, 0, 0))
        self.original_mode = termios.tcgetattr(self.slave)
        self.folder = folder
        self.started = time.monotonic()
        self.proc = subprocess.Popen(
            [binary], stdin=self.slave, stdout=self.slave, stderr=self.slave, cwd=folder,
            start_new_session=True, preexec_fn=_start_as_a_shell_starts_a_job, close_fds=True)
        self._output = bytearray()
        self._changed = threading.Condition()
        self._mark = 0
        self._stop = False
        self._ended = False
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()
        self.status = None
        self.rusage = None

    # Output -----------------------------------------------------------------------------------

    def _read(self):
        # select with a short timeout, so that closing the master ends this thread promptly.
        while not self._stop:
            master = self.master
            if master is None:
                break
            try:
                ready, _, _ = select.select([master], [], [], 0.05)
                if not ready:
                    continue
                chunk = os.read(master, 65536)
            except (OSError, ValueError):
                chunk = b""
            with self._changed:
                if not chunk:
                    break
                self._output += chunk
                self._changed.notify_all()
        with self._changed:
            self._ended = True
            self._changed.notify_all()

    def output(self):
        with self._changed:
            return bytes(self._output)

    def expect(self, text, timeout=10.0):
        """Waits until `text` appears in the output after the previous match; returns the
        output from the previous match up to the end of this one."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                at = self._output.find(text, self._mark)
                if at >= 0:
                    seen = bytes(self._output[self._mark:at + len(text)])
                    self._mark = at + len(text)
                    return seen
                remaining = deadline - time.monotonic()
                if remaining <= 0 or self._ended:
                    tail = bytes(self._output[self._mark:])[-400:]
                    raise AssertionError(f"{text!r} did not appear; the output ends {tail!r}")
                self._changed.wait(min(remaining, 0.1))

    # Input and signals ------------------------------------------------------------------------

    def type(self, data):
        view = memoryview(data)
        while view:
            written = os.write(self.master, view)
            view = view[written:]

    def signal(self, number):
        self.proc.send_signal(number)

    def hang_up(self):
        """Closes the terminal as a terminal window closing does: the master side goes."""
        master, self.master = self.master, None
        os.close(master)

    def mode(self):
        return termios.tcgetattr(self.slave)

    def cpu_seconds(self):
        return proc_cpu_seconds(self.proc.pid)

    # The end ----------------------------------------------------------------------------------

    def wait(self, timeout=5.0):
        """Waits for the child's end; returns (returncode, seconds waited). Kills it and fails
        when it does not end in time."""
        start = time.monotonic()
        deadline = start + timeout
        while True:
            pid, status, rusage = os.wait4(self.proc.pid, os.WNOHANG)
            if pid:
                self.status = os.waitstatus_to_exitcode(status)
                self.proc.returncode = self.status
                self.rusage = rusage
                return self.status, time.monotonic() - start
            if time.monotonic() > deadline:
                cpu = self.cpu_seconds()
                self.proc.kill()
                self.proc.wait()
                raise AssertionError(
                    f"still running after {timeout} s, having used {cpu:.2f} s of processor")
            time.sleep(0.01)

    def close(self):
        self._stop = True
        if self.status is None and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        self._reader.join(timeout=2)
        for fd in (self.master, self.slave):
            if fd is not None:
                try:
                    os.close(fd)
                except OSError:
                    pass
        self.master = self.slave = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def same_mode(a, b):
    """termios settings compared field by field: flags, speeds and control characters."""
    return a == b


def describe_mode_difference(a, b):
    names = ["iflag", "oflag", "cflag", "lflag", "ispeed", "ospeed"]
    parts = [f"{n}: {x:#o} != {y:#o}" for n, x, y in zip(names, a, b) if x != y]
    if a[6] != b[6]:
        parts.append("control characters differ")
    return "; ".join(parts)


__all__ = ["PtySession", "proc_cpu_seconds", "same_mode", "describe_mode_difference", "signal"]
