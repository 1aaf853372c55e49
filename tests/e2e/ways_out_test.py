"""Every way out of a piped run is clean: a file-size limit, control bytes, an endless line, input
that never stops, a slow non-blocking output, no /dev/null, a folder removed under the run, an
interrupted rerun and two runs at once. None leaves a spinning process, a false success, a mixed
or half-replaced report, or a temporary file."""
import fcntl
import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import harness

TYPICAL = harness.TYPICAL_KEYS + harness.TYPICAL_ANSWERS
REPORTS = ("qzr_sumif.txt", "qzr_sumif.htm")
LAST_PROMPT = b"Column name (start) with free area = ? "
NO_DEV_NULL = os.environ.get("SUMQUILL_NO_DEV_NULL", "")
# Set by .ci/sanitizers: the program carries the sanitizers' shadow memory and runtime.
SANITIZED = bool(os.environ.get("SUMQUILL_SANITIZERS"))


def fresh_folder():
    folder = tempfile.mkdtemp(prefix="sumquill_e2e_")
    harness._folders.append(folder)
    return folder


def temporary_reports(folder):
    return [name for name in os.listdir(folder) if name.startswith(".qzr_sumif")]


class WaysOut(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.reference = harness.run_fresh(TYPICAL)
        assert cls.reference.status == 0

    def assertTypicalReports(self, run):
        for name in REPORTS:
            self.assertEqual(run.file(name), self.reference.file(name), name)
        self.assertEqual(temporary_reports(run.folder), [])

    def test_a_file_size_limit_is_a_failed_write(self):
        folder = fresh_folder()
        completed = subprocess.run(["bash", "-c", 'ulimit -f 1; exec "$0"', harness.BINARY],
                                   input=TYPICAL, cwd=folder, capture_output=True, timeout=30)
        self.assertEqual(completed.returncode, 1)
        self.assertTrue(completed.stdout.endswith(
            b"--------------------------------\r\nOutput files = qzr_sumif.txt, qzr_sumif.htm"
            b"\r\n\r\n"))
        for name in REPORTS:
            self.assertIn(b"sumquill: " + name.encode() + b" could not be written: File too large",
                          completed.stderr)
            self.assertFalse(os.path.exists(os.path.join(folder, name)))
        self.assertEqual(temporary_reports(folder), [])

    def test_control_bytes_in_piped_answers_are_dropped(self):
        cases = [b"B\tX\0Y\x1b[31mR", b"\x01B\x1f", b"\x1b]0;owned\x07B", b"B\x00", b"\x0b\x0cB"]
        for typed in cases:
            with self.subTest(typed=typed):
                clean = bytes(b for b in typed if b >= 32)
                run = harness.run_fresh(harness.TYPICAL_KEYS + typed + b"\nC\n2\n20\nE\n")
                expected = harness.run_fresh(harness.TYPICAL_KEYS + clean + b"\nC\n2\n20\nE\n")
                self.assertEqual(run.status, 0, run.stderr)
                self.assertEqual(run.stdout, expected.stdout)
                for name in REPORTS:
                    report = run.file(name)
                    self.assertEqual(report, expected.file(name))
                    self.assertFalse(any(b < 32 for b in report.replace(b"\r\n", b"")), name)

    @unittest.skipUnless(os.path.exists("/usr/bin/time"), "no /usr/bin/time (Debian's time)")
    def test_a_line_of_200_mb_costs_no_memory(self):
        folder = fresh_folder()
        measured = os.path.join(fresh_folder(), "peak")
        # /usr/bin/time measures the program alone: a child of this interpreter would carry the
        # interpreter's own memory in its peak until it starts the program.
        process = subprocess.Popen(["/usr/bin/time", "-f", "%M", "-o", measured, harness.BINARY],
                                   cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        chunk = b"A" * (1 << 20)
        process.stdin.write(harness.TYPICAL_KEYS)
        for _ in range(200):
            process.stdin.write(chunk)
        process.stdin.write(b"\nC\n2\n20\nE\n")
        process.stdin.close()
        self.assertEqual(process.wait(timeout=120), 0)
        with open(measured) as f:
            peak_kib = int(f.read().split()[-1])
        print(f"peak memory with a line of 200 MB: {peak_kib} KiB")
        if not SANITIZED:
            self.assertLess(peak_kib, 16 * 1024)
        with open(os.path.join(folder, "qzr_sumif.txt"), "rb") as f:
            self.assertIn(b"Column name for creating group    = " + b"A" * 4096 + b"\r\n", f.read())

    def test_sigterm_is_answered_while_input_never_stops(self):
        endless = {
            "at a menu": "cat /dev/zero",
            "at a prompt": "printf '1\\n2\\n3\\n2\\n2\\n'; cat /dev/zero | tr '\\0' A",
        }
        for where, producer in endless.items():
            with self.subTest(where=where):
                folder = fresh_folder()
                source = subprocess.Popen(["bash", "-c", producer], stdout=subprocess.PIPE)
                process = subprocess.Popen([harness.BINARY], cwd=folder, stdin=source.stdout,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                source.stdout.close()
                time.sleep(0.5)
                sent = time.monotonic()
                process.send_signal(signal.SIGTERM)
                status = process.wait(timeout=10)
                took = time.monotonic() - sent
                source.kill()
                source.wait()
                self.assertEqual(status, 128 + signal.SIGTERM)
                self.assertLess(took, 1.0)
                self.assertEqual(temporary_reports(folder), [])

    def test_a_non_blocking_output_read_late_gets_everything(self):
        folder = fresh_folder()
        read_end, write_end = os.pipe()
        fcntl.fcntl(write_end, 1031, 4096)  # F_SETPIPE_SZ: the smallest pipe
        fcntl.fcntl(write_end, fcntl.F_SETFL, fcntl.fcntl(write_end, fcntl.F_GETFL) | os.O_NONBLOCK)
        process = subprocess.Popen([harness.BINARY], cwd=folder, stdin=subprocess.PIPE,
                                   stdout=write_end, stderr=subprocess.DEVNULL)
        os.close(write_end)
        process.stdin.write(TYPICAL)
        process.stdin.close()
        time.sleep(1.0)
        output = b""
        while chunk := os.read(read_end, 65536):
            output += chunk
        os.close(read_end)
        self.assertEqual(process.wait(timeout=10), 0)
        self.assertEqual(output, self.reference.stdout)

    @unittest.skipUnless(NO_DEV_NULL, "the library that hides /dev/null was not built")
    @unittest.skipIf(SANITIZED, "the sanitizers' runtime must be the first library preloaded")
    def test_closed_standard_streams_stay_out_of_the_files_without_dev_null(self):
        folder = fresh_folder()

        def close_output():
            os.close(1)
            os.close(2)

        completed = subprocess.run([harness.BINARY], input=TYPICAL, cwd=folder,
                                   preexec_fn=close_output, timeout=30,
                                   env=dict(os.environ, LD_PRELOAD=NO_DEV_NULL))
        self.assertEqual(completed.returncode, 0)
        self.assertTypicalReports(harness.Run(completed, folder))
        self.assertEqual(sorted(os.listdir(folder)), self.reference.files())

    def test_a_folder_removed_before_the_end_is_no_success(self):
        folder = fresh_folder()
        process = subprocess.Popen([harness.BINARY], cwd=folder, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        process.stdin.write(TYPICAL[:TYPICAL.rindex(b"E\n")])
        process.stdin.flush()
        shown = b""
        while not shown.endswith(LAST_PROMPT):
            chunk = os.read(process.stdout.fileno(), 4096)
            self.assertTrue(chunk, shown[-200:])
            shown += chunk
        shutil.rmtree(folder)
        out, err = process.communicate(b"E\n", timeout=10)
        self.assertEqual(process.returncode, 1)
        self.assertTrue(out.endswith(b"Output files = qzr_sumif.txt, qzr_sumif.htm\r\n\r\n"))
        for name in REPORTS:
            self.assertIn(b"sumquill: " + name.encode() + b" could not be written: ", err)

    def test_an_interrupted_rerun_leaves_the_earlier_reports(self):
        folder = fresh_folder()
        first = harness.run_in(folder, TYPICAL)
        self.assertEqual(first.status, 0)
        earlier = {name: first.file(name) for name in REPORTS}
        # The input ends at the last prompt: nothing replaces the earlier run's reports.
        rerun = harness.run_in(folder, harness.TYPICAL_KEYS + b"X\nY\n3\n30\n")
        self.assertEqual(rerun.status, 1)
        for name in REPORTS:
            self.assertEqual(rerun.file(name), earlier[name])
        self.assertEqual(temporary_reports(folder), [])

    def test_two_runs_at_once_never_mix_their_reports(self):
        folder = fresh_folder()
        answers = [harness.TYPICAL_KEYS + b"%s\nC\n2\n%d\nE\n" % (group, 20 + i)
                   for i, group in enumerate((b"B", b"X", b"Q", b"Z"))]
        expected = [harness.run_fresh(a) for a in answers]
        for _ in range(5):
            processes = [subprocess.Popen([harness.BINARY], cwd=folder, stdin=subprocess.PIPE,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                         for _ in answers]
            for process, typed in zip(processes, answers):
                process.stdin.write(typed)
                process.stdin.close()
            # A run's tool checks may fail while another deletes their scratch files (one folder
            # per run, the README says); such a run ends at its failure screen, status 1.
            for process in processes:
                self.assertIn(process.wait(timeout=30), (0, 1))
            for name in REPORTS:
                if not os.path.exists(os.path.join(folder, name)):
                    continue
                with open(os.path.join(folder, name), "rb") as f:
                    report = f.read()
                self.assertIn(report, [run.file(name) for run in expected], name)
            self.assertEqual(temporary_reports(folder), [])


if __name__ == "__main__":
    harness.main()
