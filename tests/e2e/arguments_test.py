"""Command-line arguments stop the program before the dialogue: with the typical answers piped
in, which would otherwise run the whole dialogue, the folder stays empty."""
import os
import subprocess
import tempfile
import unittest

import harness

VERSION = os.environ["SUMQUILL_VERSION"]
SCRIPT = harness.TYPICAL_KEYS + harness.TYPICAL_ANSWERS


def run(arguments, stdout=subprocess.PIPE):
    with tempfile.TemporaryDirectory(prefix="sumquill_args_") as folder:
        completed = subprocess.run([harness.BINARY, *arguments], input=SCRIPT, cwd=folder,
                                   stdout=stdout, stderr=subprocess.PIPE, timeout=30)
        return completed, os.listdir(folder)


class ArgumentsTest(unittest.TestCase):
    def test_each_argument_answers_on_its_stream_and_touches_no_file(self):
        usage = run(["--help"])[0].stdout
        self.assertTrue(usage.startswith(b"Usage: sumquill"), usage)
        version = b"sumquill " + VERSION.encode() + b"\n"
        cases = [
            # arguments, status, start of standard output, argument named on standard error
            (["--help"], 0, usage, None),
            (["-h"], 0, usage, None),
            (["/?"], 0, usage, None),
            (["--version"], 0, version, None),
            (["--bogus"], 2, b"", b"--bogus"),
            (["-"], 2, b"", b"-"),
            ([""], 2, b"", b""),
        ]
        for arguments, status, out, named in cases:
            with self.subTest(arguments=arguments):
                completed, left = run(arguments)
                self.assertEqual(completed.returncode, status, completed.stderr)
                self.assertEqual(left, [])
                self.assertEqual(completed.stdout[:len(out)], out)
                if not out:
                    self.assertEqual(completed.stdout, b"")
                if named is None:
                    self.assertEqual(completed.stderr, b"")
                else:
                    self.assertEqual(completed.stderr,
                                     b'sumquill: unknown argument "' + named +
                                     b'"; sumquill --help lists the arguments\n')

    def test_a_version_that_cannot_be_written_is_no_success(self):
        with open("/dev/full", "wb") as full:
            completed, left = run(["--version"], stdout=full)
        self.assertEqual(completed.returncode, 1)
        self.assertIn(b"could not be written", completed.stderr)
        self.assertEqual(left, [])


if __name__ == "__main__":
    unittest.main()
