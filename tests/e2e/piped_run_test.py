"""A run of the real binary with its answers piped in, in a fresh folder."""
import os
import subprocess
import sys
import tempfile
import unittest

BINARY = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else None


def run(answers: bytes, cwd: str, timeout: float = 30):
    return subprocess.run([BINARY], input=answers, cwd=cwd, capture_output=True, timeout=timeout)


class PipedRun(unittest.TestCase):
    def test_a_run_with_no_input_ends(self):
        with tempfile.TemporaryDirectory() as folder:
            result = run(b"", folder)
            self.assertIn(result.returncode, (0, 1))


if __name__ == "__main__":
    unittest.main()
