"""Runs the real sumquill binary in a fresh folder with its answers piped in."""
import os
import subprocess
import sys
import tempfile
import unittest

# The binary's path is the first argument of every end-to-end test script (see tests/CMakeLists.txt).
BINARY = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else os.environ.get("SUMQUILL", "")

# The typical run: "1" at the warning, code page browse "2" then select "3", separator ";" (2),
# LibreOffice (2), then the five answers.
TYPICAL_KEYS = b"1\n2\n3\n2\n2\n"
TYPICAL_ANSWERS = b"B\nC\n2\n20\nE\n"


class Run:
    """The outcome of one run: status, console output, errors and the folder's files."""

    def __init__(self, completed, folder):
        self.status = completed.returncode
        self.stdout = completed.stdout
        self.stderr = completed.stderr
        self.folder = folder

    def file(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def files(self):
        return sorted(os.listdir(self.folder))


def run_in(folder, answers: bytes, timeout: float = 30) -> Run:
    completed = subprocess.run([BINARY], input=answers, cwd=folder, capture_output=True,
                               timeout=timeout)
    return Run(completed, folder)


def run_fresh(answers: bytes, timeout: float = 30, prepare=None) -> Run:
    """Runs in a new temporary folder that outlives the call (removed at interpreter exit)."""
    folder = tempfile.mkdtemp(prefix="sumquill_e2e_")
    _folders.append(folder)
    if prepare:
        prepare(folder)
    return run_in(folder, answers, timeout)


_folders = []

# The status CTest counts as a skipped test (SKIP_RETURN_CODE in tests/CMakeLists.txt).
SKIPPED = 77


def main():
    """unittest's main with the status CTest reads: a test that could not run here (a tool that
    is missing) shows as skipped, not as passed."""
    result = unittest.main(exit=False).result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.skipped:
        print(f"{len(result.skipped)} of {result.testsRun} tests skipped")
        sys.exit(SKIPPED)
    sys.exit(0)


def _cleanup():
    import shutil
    for folder in _folders:
        shutil.rmtree(folder, ignore_errors=True)


import atexit  # noqa: E402

atexit.register(_cleanup)
