"""A run of the real binary with its answers piped in, in a fresh folder."""
import unittest

import harness


class PipedRun(unittest.TestCase):
    def test_input_that_ends_early_ends_the_run_with_a_message(self):
        result = harness.run_fresh(b"")
        self.assertEqual(result.status, 1, result.stdout)
        self.assertIn(b"input ended", result.stderr)
        self.assertEqual(result.stderr.count(b"\n"), 1, result.stderr)


if __name__ == "__main__":
    harness.main()
