"""The typical run of the whole program, banner to reports, with its answers piped in."""
import unittest

import harness

FIRST_FORMULA = b"=SUMIF(B$2:B$20;B2;C$2:C$20)"
FIRST_TARGET = b"Copy formula in cell E2."
REPORTS = ["qzr_sumif.txt", "qzr_sumif.htm"]
LEFT_BEHIND = ["stm_01.txt", "check_01.txt", "check_02.txt", "out_null.txt",
               "cmd.exe", "sort.exe", "find.exe"]


class WholeRun(unittest.TestCase):
    def check_run(self, result):
        self.assertEqual(result.status, 0, result.stdout + result.stderr)
        self.assertEqual(result.stderr, b"")
        for name in REPORTS:
            report = result.file(name)
            self.assertIn(FIRST_FORMULA, report, name)
            self.assertIn(FIRST_TARGET, report, name)
        self.assertEqual(sorted(result.files()), sorted(LEFT_BEHIND + REPORTS))
        for tool in ["cmd.exe", "sort.exe", "find.exe"]:
            self.assertIn(b"stand-in", result.file(tool))
        self.assertIn(b"Active code page: 1250\r\n", result.stdout)
        self.assertIn(b"cmd\r\nsort\r\nfind\r\n", result.stdout)
        self.assertNotIn(b"Check availability", result.stdout)

    def test_typical_run_twice_in_the_same_folder(self):
        answers = harness.TYPICAL_KEYS + harness.TYPICAL_ANSWERS
        first = harness.run_fresh(answers)
        self.check_run(first)
        self.assertEqual(first.stdout.count(b"        1 file(s) copied.\r\n"), 3)

        second = harness.run_in(first.folder, answers)
        self.check_run(second)
        # The tools are there already; they are copied again all the same.
        self.assertEqual(second.stdout.count(b"        1 file(s) copied.\r\n"), 3)


if __name__ == "__main__":
    harness.main()
