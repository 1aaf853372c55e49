"""The typical run of the real binary, checked by the two reports it leaves on disk."""
import os
import unittest

import harness

GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "formula",
                      "testdata")


def golden(name):
    with open(os.path.join(GOLDEN, name), "rb") as f:
        return f.read()


class Reports(unittest.TestCase):
    def test_typical_run_writes_both_reports(self):
        result = harness.run_fresh(harness.TYPICAL_KEYS + harness.TYPICAL_ANSWERS)
        self.assertEqual(result.status, 0, result.stderr)
        self.assertEqual(result.file("qzr_sumif.txt"), golden("libreoffice_semicolon.txt"))
        self.assertEqual(result.file("qzr_sumif.htm"), golden("libreoffice_semicolon.htm"))
        self.assertTrue(result.stdout.endswith(
            b"\r\n--------------------------------\r\n"
            b"Output files = qzr_sumif.txt, qzr_sumif.htm\r\n\r\n"), result.stdout[-200:])

    def test_folder_in_place_of_the_html_report_fails_the_run(self):
        result = harness.run_fresh(harness.TYPICAL_KEYS + harness.TYPICAL_ANSWERS,
                                   prepare=lambda folder: os.mkdir(
                                       os.path.join(folder, "qzr_sumif.htm")))
        self.assertEqual(result.status, 1, result.stderr)
        self.assertIn(b"qzr_sumif.htm", result.stderr)
        self.assertNotIn(b"qzr_sumif.txt", result.stderr)
        self.assertEqual(result.file("qzr_sumif.txt"), golden("libreoffice_semicolon.txt"))


if __name__ == "__main__":
    harness.main()
