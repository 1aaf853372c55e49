"""Hostile answers at every prompt of a piped run: the run still ends with both reports and
status 0, and nothing typed ever reaches a command.

The commands of a run (tool checks, code page) all run before the first prompt. So a typed
answer reaches no command when, for every hostile answer, the console up to the first prompt,
the scratch files the commands leave and the set of files in the folder are those of a run with
ordinary answers, and nothing but the closing lines follows the last prompt.
"""
import os
import re
import subprocess
import tempfile
import unittest

import harness

PROMPT_COUNT = 5  # LibreOffice: group, data, start row, end row, free column
ORDINARY = [b"B", b"C", b"2", b"20", b"E"]
INTEGER_PROMPTS = (2, 3)
HEADER_LABELS = [
    b"Column name for creating group    = ",
    b"Column name       with data         = ",
    b"Row number start with data cell   = ",
    b"Row number end  with data cell   = ",
    b"Column name start with free area  = ",
]
FIRST_PROMPT = b"Column name for creating groups = "
CLOSING = b"\r\n--------------------------------\r\nOutput files = qzr_sumif.txt, qzr_sumif.htm\r\n\r\n"

ALL_BYTES_BUT_LINE_FEED = bytes(b for b in range(1, 256) if b != 10)

# name, typed line, integer it gives at a number prompt (None: no fixed expectation).
HOSTILE = [
    ("empty", b"", 0),
    ("5000 characters", b"Q" * 4999 + b"Z", 0),
    ("bytes 1 to 255 but the line feed", ALL_BYTES_BUT_LINE_FEED, None),
    ("unbalanced quote first", b'"B', 0),
    ("unbalanced quote inside", b'B"C', 0),
    ("only a quote", b'"', 0),
    ("hex prefix without digits", b"&H", 0),
    ("overflowing exponent", b"1e999", -2147483648),
    ("below the 32-bit range", b"-2147483649", -2147483648),
    ("command separators and redirection", b"B & del /q *.* | find x > hacked.txt", 0),
    ("posix shell syntax", b"$(touch hacked) `touch hacked`; rm -rf ./*", 0),
    ("interpreter variables", b"%i %PATH% ^& %%i", 0),
    ("markup", b"<script>alert(1)</script>&amp;<br>", 0),
    ("terminal escapes", b"\x1b[2J\x1b]0;owned\x07\x1bc", 0),
    ("backspaces and deletes", b"\x08\x08\x7f\x7fB", None),
    ("carriage returns", b"\rB\r\rC\r", None),
]


def masked(data: bytes, folder: str) -> bytes:
    """The folder's name and all digits masked: listings name the folder and carry times and
    sizes that differ from run to run."""
    data = data.replace(os.fsencode(folder), b"FOLDER")
    data = data.replace(os.fsencode(os.path.basename(folder)), b"FOLDER")
    return re.sub(rb"[0-9]", b"9", data)


def piped(answers):
    return harness.TYPICAL_KEYS + b"".join(a + b"\n" for a in answers)


def report_value(report: bytes, label: bytes) -> bytes:
    for line in report.split(b"\r\n"):
        if line.startswith(label):
            return line[len(label):]
    raise AssertionError(f"no header line {label!r}")


class HostileInput(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.reference = harness.run_fresh(piped(ORDINARY))
        assert cls.reference.status == 0, cls.reference.stderr

    def assertHarmless(self, run, answers):
        reference = self.reference
        self.assertEqual(run.status, 0, run.stderr[-500:])
        self.assertEqual(run.files(), reference.files())
        for name in run.files():
            if name.startswith("qzr_sumif"):
                continue
            self.assertEqual(masked(run.file(name), run.folder),
                             masked(reference.file(name), reference.folder), name)

        # Everything the commands printed stands before the first prompt; it must not differ.
        before = run.stdout[:run.stdout.index(FIRST_PROMPT)]
        self.assertEqual(masked(before, run.folder),
                         masked(reference.stdout[:reference.stdout.index(FIRST_PROMPT)],
                                reference.folder))
        self.assertTrue(run.stdout.endswith(CLOSING), run.stdout[-200:])

        text = run.file("qzr_sumif.txt")
        html = run.file("qzr_sumif.htm")
        self.assertEqual(text.count(b"\r\n"), reference.file("qzr_sumif.txt").count(b"\r\n"))
        self.assertTrue(html.endswith(b"<br>\r\n<br>\r\n</body>\r\n</html>\r\n"))
        for typed in answers:
            if b"<" in typed or b"&" in typed:
                self.assertNotIn(typed.replace(b"\r", b""), html)
                self.assertNotIn(typed.replace(b"\r", b"").upper(), html)

    def test_each_hostile_answer_at_each_prompt(self):
        for name, typed, number in HOSTILE:
            for prompt in range(PROMPT_COUNT):
                with self.subTest(answer=name, prompt=prompt):
                    answers = list(ORDINARY)
                    answers[prompt] = typed
                    run = harness.run_fresh(piped(answers))
                    self.assertHarmless(run, answers)
                    if prompt in INTEGER_PROMPTS and number is not None:
                        value = report_value(run.file("qzr_sumif.txt"), HEADER_LABELS[prompt])
                        self.assertEqual(value, b"%s%d" % (b" " if number >= 0 else b"", number))

    def test_hostile_answers_at_every_prompt_at_once(self):
        for name, typed, _ in HOSTILE:
            with self.subTest(answer=name):
                answers = [typed] * PROMPT_COUNT
                self.assertHarmless(harness.run_fresh(piped(answers)), answers)

    def test_a_line_feed_inside_the_answers_only_shifts_them(self):
        # Bytes 1 to 255 with the line feed: the run reads one line more than it asks for.
        run = harness.run_fresh(piped([bytes(range(1, 256))] + ORDINARY))
        self.assertEqual(run.status, 0, run.stderr[-500:])
        self.assertTrue(run.stdout.endswith(CLOSING))


class ClosedStandardStreams(unittest.TestCase):
    def test_a_run_without_standard_output_writes_its_files_as_any_other(self):
        # Started with standard output and error closed, the first files opened would take
        # their numbers, and the console would write into them.
        reference = harness.run_fresh(piped(ORDINARY))
        folder = tempfile.mkdtemp(prefix="sumquill_e2e_")
        harness._folders.append(folder)

        def close_output():
            os.close(1)
            os.close(2)

        completed = subprocess.run([harness.BINARY], input=piped(ORDINARY), cwd=folder,
                                   preexec_fn=close_output, timeout=30)
        self.assertEqual(completed.returncode, 0)
        self.assertEqual(sorted(os.listdir(folder)), reference.files())
        for name in reference.files():
            with open(os.path.join(folder, name), "rb") as f:
                self.assertEqual(masked(f.read(), folder),
                                 masked(reference.file(name), reference.folder), name)

if __name__ == "__main__":
    harness.main()
