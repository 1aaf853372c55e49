"""The terminal backend under a real pseudo-terminal: no echo, line editing, decoded keys, the
terminal mode given back after every way out, and no processor time spent while waiting.

The dialogue is the console probe's (a menu, a text and an integer prompt, two any-key waits),
started like a shell starts a job: a session leader owns the terminal and the program runs in
a foreground process group of its own, so Ctrl+C and Ctrl+Z reach it as they would from a shell.
"""
import fcntl
import os
import select
import shutil
import signal
import sys
import tempfile
import termios
import time
import unittest

import harness  # noqa: F401  (takes the binary's path off the command line)
from pty_session import idle_cpu_seconds

PROBE = os.environ.get("SUMQUILL_CONSOLE_PROBE", "")
MENU = b"<1> one\r\n<2> two\r\n"


def process_state(pid):
    with open(f"/proc/{pid}/stat") as f:
        return f.read().rsplit(")", 1)[1].split()[0]


class PtySession:
    """The probe on the slave side of a fresh pseudo-terminal; the test types on the master."""

    def __init__(self, argv, folder):
        self.master, self.slave = os.openpty()
        self.before = termios.tcgetattr(self.slave)
        self.output = b""
        self.seen = 0
        report_read, report_write = os.pipe()
        self.leader = os.fork()
        if self.leader == 0:
            self._lead(argv, folder, report_write)
        os.close(report_write)
        self.reports = os.fdopen(report_read, "rb")
        self.pid = int(self.reports.readline())

    def _lead(self, argv, folder, report):
        """In the child: the session leader, which starts the program as its foreground job,
        passes a hang-up on to it as a shell would, and reports the program's wait status."""
        try:
            os.close(self.master)
            os.setsid()
            fcntl.ioctl(self.slave, termios.TIOCSCTTY, 0)
            pid = os.fork()
            if pid == 0:
                os.setpgid(0, 0)
                signal.signal(signal.SIGTTOU, signal.SIG_IGN)
                os.tcsetpgrp(self.slave, os.getpid())
                # As a shell starts a foreground job: whatever the test runner ignores, the job
                # gets the default actions.
                for signum in (signal.SIGTTOU, signal.SIGINT, signal.SIGQUIT, signal.SIGTSTP,
                               signal.SIGHUP, signal.SIGTERM):
                    signal.signal(signum, signal.SIG_DFL)
                for fd in (0, 1, 2):
                    os.dup2(self.slave, fd)
                os.chdir(folder)
                os.execv(argv[0], argv)

            def pass_hang_up_on(*_):
                try:
                    os.kill(pid, signal.SIGHUP)
                except ProcessLookupError:
                    pass  # already ended and reaped

            signal.signal(signal.SIGHUP, pass_hang_up_on)
            os.write(report, b"%d\n" % pid)
            _, status = os.waitpid(pid, 0)
            os.write(report, b"%d\n" % status)
        finally:
            os._exit(0)

    def type(self, data: bytes):
        os.write(self.master, data)

    def read_for(self, seconds):
        """Everything the program writes in the next few seconds."""
        end = time.monotonic() + seconds
        fresh = b""
        while (left := end - time.monotonic()) > 0:
            ready, _, _ = select.select([self.master], [], [], left)
            if ready:
                try:
                    chunk = os.read(self.master, 4096)
                except OSError:
                    break
                fresh += chunk
        self.output += fresh
        return fresh

    def expect(self, text: bytes, timeout=10):
        """Waits until `text` appears after what an earlier expect matched. The terminal's own
        output processing (ONLCR) is left as the user had it, so the program's CR LF may
        reach the screen as CR CR LF."""
        end = time.monotonic() + timeout
        while text not in self.output[self.seen:].replace(b"\r\r\n", b"\r\n"):
            left = end - time.monotonic()
            if left <= 0:
                raise AssertionError(f"{text!r} not in {self.output[self.seen:]!r}")
            ready, _, _ = select.select([self.master], [], [], left)
            if ready:
                self.output += os.read(self.master, 4096)
        self.output = self.output[:self.seen] + self.output[self.seen:].replace(b"\r\r\n", b"\r\n")
        self.seen = self.output.index(text, self.seen) + len(text)

    def wait_status(self, timeout=10):
        ready, _, _ = select.select([self.reports], [], [], timeout)
        if not ready:
            os.kill(self.pid, signal.SIGKILL)
            raise AssertionError("the program did not end")
        status = int(self.reports.readline())
        os.waitpid(self.leader, 0)
        return status

    def mode(self):
        return termios.tcgetattr(self.slave)

    def wait_for_mode(self, wanted, timeout=5):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            if wanted(self.mode()):
                return True
            time.sleep(0.02)
        return False

    def close(self):
        for fd in (self.master, self.slave):
            try:
                os.close(fd)
            except OSError:
                pass
        self.reports.close()


def dialogue_mode(mode):
    lflag = mode[3]
    return not lflag & (termios.ECHO | termios.ICANON) and lflag & termios.ISIG


@unittest.skipUnless(PROBE, "SUMQUILL_CONSOLE_PROBE names the console probe")
class TerminalBackend(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="sumquill_pty_")
        self.session = PtySession([PROBE], self.folder)
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.addCleanup(self.session.close)
        self.session.expect(MENU)

    def log(self):
        with open(os.path.join(self.folder, "probe_log.txt"), "rb") as f:
            return f.read()

    def test_dialogue_without_echo_with_editing_and_decoded_keys(self):
        s = self.session
        self.assertTrue(dialogue_mode(s.mode()), s.mode())
        # Keys that a menu does not list leave no trace on the screen.
        s.type(b"x9\x1b[B")
        self.assertEqual(s.read_for(0.3), b"")
        s.type(b"1")
        s.expect(b"menu 1\r\nText = ? ")
        # DEL is Backspace; Left moves the cursor so "1" goes in before "2".
        s.type(b"abc\x7fd\r")
        s.expect(b"text [abd]\r\nNumber = ? ")
        s.type(b"42\x1b[D1\r")
        s.expect(b"\r\n 412\r\n")
        s.type(b"\x1b[A")
        s.expect(b"key <ff>H\r\n")
        s.type(b"\x1b")  # alone: the Esc key once the short wait is over
        s.expect(b"key <1b>\r\n")
        self.assertEqual(s.wait_status(), 0)
        self.assertEqual(s.mode(), s.before)

    def test_ctrl_c_gives_the_terminal_back_and_ends_by_the_signal(self):
        s = self.session
        s.type(b"\x03")
        status = s.wait_status()
        self.assertTrue(os.WIFSIGNALED(status), status)
        self.assertEqual(os.WTERMSIG(status), signal.SIGINT)
        self.assertEqual(s.mode(), s.before)

    def test_terminate_closes_files_and_gives_the_terminal_back(self):
        s = self.session
        os.kill(s.pid, signal.SIGTERM)
        status = s.wait_status()
        self.assertTrue(os.WIFEXITED(status), status)
        self.assertEqual(os.WEXITSTATUS(status), 128 + signal.SIGTERM)
        self.assertEqual(self.log(), b"written before the first wait\r\n")
        self.assertEqual(s.mode(), s.before)

    def test_hang_up_ends_at_once_with_files_closed(self):
        s = self.session
        os.close(s.master)  # the terminal window goes away
        status = s.wait_status(timeout=5)
        # Whichever comes first, the hang-up signal or the end of the input, ends the run; a
        # signal that is still pending at the very end takes its default course after the
        # files are closed. Never a wait for ever.
        if os.WIFSIGNALED(status):
            self.assertEqual(os.WTERMSIG(status), signal.SIGHUP)
        else:
            self.assertIn(os.WEXITSTATUS(status), (128 + signal.SIGHUP, 1))
        self.assertEqual(self.log(), b"written before the first wait\r\n")

    def test_ctrl_z_gives_the_terminal_back_and_continuing_takes_it_again(self):
        s = self.session
        s.type(b"\x1a")
        self.assertTrue(s.wait_for_mode(lambda mode: mode == s.before), s.mode())
        deadline = time.monotonic() + 5
        while process_state(s.pid) != "T" and time.monotonic() < deadline:
            time.sleep(0.02)
        self.assertEqual(process_state(s.pid), "T")
        os.kill(s.pid, signal.SIGCONT)
        self.assertTrue(s.wait_for_mode(dialogue_mode), s.mode())
        s.type(b"2")
        s.expect(b"menu 2\r\n")
        s.type(b"\r\r")
        s.type(b"ab")
        self.assertEqual(s.wait_status(), 0)
        self.assertEqual(s.mode(), s.before)

    def test_back_from_a_stop_the_half_typed_answer_is_shown_again(self):
        s = self.session
        s.type(b"1")
        s.expect(b"Text = ? ")
        s.type(b"half\x1b[D")
        s.expect(b"half\x08")
        s.type(b"\x1a")
        deadline = time.monotonic() + 5
        while process_state(s.pid) != "T" and time.monotonic() < deadline:
            time.sleep(0.02)
        self.assertEqual(process_state(s.pid), "T")
        os.kill(s.pid, signal.SIGCONT)
        # From the start of the row the shell left the cursor on: the prompt, the answer, and
        # the cursor back on the character it stood at.
        s.expect(b"\rText = ? half\x08")
        s.type(b"X\r")
        s.expect(b"text [halXf]\r\n")
        s.type(b"1\r\r\r")
        self.assertEqual(s.wait_status(), 0)

    def test_an_end_request_at_a_prompt_ends_the_line_first(self):
        s = self.session
        s.type(b"1")
        s.expect(b"Text = ? ")
        s.type(b"half\x1b[H")
        s.expect(b"half\x08\x08\x08\x08")
        os.kill(s.pid, signal.SIGTERM)
        status = s.wait_status()
        self.assertEqual(os.WEXITSTATUS(status), 128 + signal.SIGTERM)
        s.read_for(0.3)
        # The line is ended on the answer's last row: the shell's prompt that comes next starts
        # on a row of its own.
        self.assertTrue(s.output.replace(b"\r\r\n", b"\r\n").endswith(b"half\x08\x08\x08\x08\r\n"),
                        s.output[-40:])

    def test_a_waiting_menu_uses_no_processor_time(self):
        s = self.session
        s.read_for(0.2)
        used = idle_cpu_seconds(s.pid, 2)
        print(f"processor time of a menu waiting 2 s on a terminal: {used * 1000:.3f} ms",
              file=sys.stderr)
        self.assertLess(used, 0.02)
        s.type(b"\x03")
        s.wait_status()


if __name__ == "__main__":
    harness.main()
