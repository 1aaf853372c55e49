"""The console probe's dialogue with standard input that is not a terminal: keys are bytes,
answers are lines, the end of the input and end requests end the run with the files closed."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import unittest

import harness  # noqa: F401  (takes the binary's path off the command line)
from pty_session import idle_cpu_seconds

PROBE = os.environ.get("SUMQUILL_CONSOLE_PROBE", "")
LOG = b"written before the first wait\r\n"


def default_signal_actions():
    """Undoes what a test runner may ignore (nohup), so the probe sees the signals."""
    for signum in (signal.SIGHUP, signal.SIGTERM):
        signal.signal(signum, signal.SIG_DFL)


@unittest.skipUnless(PROBE, "SUMQUILL_CONSOLE_PROBE names the console probe")
class PipedDialogue(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="sumquill_pipe_")
        self.addCleanup(shutil.rmtree, self.folder, True)

    def run_probe(self, data: bytes):
        return subprocess.run([PROBE], input=data, cwd=self.folder, capture_output=True,
                              timeout=30)

    def log(self):
        with open(os.path.join(self.folder, "probe_log.txt"), "rb") as f:
            return f.read()

    def test_keys_and_lines_in_any_layout(self):
        shown = (b"width 80\r\n<1> one\r\n<2> two\r\nmenu 1\r\n"
                 b"Text = ? hello, x\r\ntext [hello]\r\nNumber = ? 42\r\n 42\r\n"
                 b"key a\r\nkey b\r\n")
        for data in (b"1\nhello, x\n42\na\nb\n", b"x1\r\nhello, x\r\n42\r\nab",
                     b"91\rhello, x\r\n42\n\n\nab\n", b"1\nhello, xy\x7f\n42\nab"):
            with self.subTest(data=data):
                result = self.run_probe(data)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout, shown)
                self.assertEqual(result.stderr, b"")

    def test_input_that_ends_at_a_menu(self):
        for data in (b"", b"\n\n", b"1\nname\n7\nx"):
            with self.subTest(data=data):
                result = self.run_probe(data)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stderr.count(b"\n"), 1, result.stderr)
                self.assertIn(b"input ended", result.stderr)
                self.assertEqual(self.log(), LOG)

    def test_end_requests_while_waiting_on_an_open_pipe(self):
        for signum, wait_for in ((signal.SIGTERM, b"<2> two\r\n"),
                                 (signal.SIGHUP, b"Text = ? ")):
            with self.subTest(signal=signum):
                probe = subprocess.Popen([PROBE], cwd=self.folder, stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                         preexec_fn=default_signal_actions)
                if wait_for == b"Text = ? ":
                    probe.stdin.write(b"1\n")
                    probe.stdin.flush()
                shown = b""
                while wait_for not in shown:
                    chunk = os.read(probe.stdout.fileno(), 4096)
                    self.assertTrue(chunk, shown)
                    shown += chunk
                probe.send_signal(signum)
                self.assertEqual(probe.wait(timeout=10), 128 + signum)
                self.assertEqual(self.log(), LOG)
                probe.stdin.close()
                probe.stdout.close()
                probe.stderr.close()

    def test_a_menu_waiting_on_an_open_pipe_uses_no_processor_time(self):
        probe = subprocess.Popen([PROBE], cwd=self.folder, stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        shown = b""
        while b"<2> two\r\n" not in shown:
            shown += os.read(probe.stdout.fileno(), 4096)
        used = idle_cpu_seconds(probe.pid, 2)
        print(f"processor time of a menu waiting 2 s on a pipe: {used * 1000:.3f} ms",
              file=sys.stderr)
        self.assertLess(used, 0.02)
        probe.stdin.close()  # the input ends at the menu
        self.assertEqual(probe.wait(timeout=10), 1)
        probe.stdout.close()
        probe.stderr.close()


if __name__ == "__main__":
    harness.main()
