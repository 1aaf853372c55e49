"""`cmake --install` into a staging folder: exactly the program, its manual page and its two
documents, and the installed program runs the typical dialogue as the built one does."""
import os
import shutil
import subprocess
import tempfile
import unittest

import harness

CMAKE = os.environ["SUMQUILL_CMAKE"]
BUILD = os.environ["SUMQUILL_BUILD_DIR"]
CONFIG = os.environ.get("SUMQUILL_CONFIG", "")
VERSION = os.environ["SUMQUILL_VERSION"]
INSTALLED = ["bin/sumquill", "share/doc/sumquill/LICENSE", "share/doc/sumquill/README.md",
             "share/man/man1/sumquill.1"]
REPORTS = ("qzr_sumif.txt", "qzr_sumif.htm")


class InstallTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.stage = tempfile.mkdtemp(prefix="sumquill_stage_")
        command = [CMAKE, "--install", BUILD, "--prefix", cls.stage]
        if CONFIG:
            command += ["--config", CONFIG]
        subprocess.run(command, check=True, capture_output=True, timeout=60)
        cls.program = os.path.join(cls.stage, "bin", "sumquill")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.stage, ignore_errors=True)

    def test_installs_the_program_and_its_documents_and_nothing_else(self):
        found = sorted(os.path.relpath(os.path.join(folder, name), self.stage)
                       for folder, _, names in os.walk(self.stage) for name in names)
        self.assertEqual(found, INSTALLED)
        self.assertTrue(os.access(self.program, os.X_OK))

    def test_installed_program_runs_the_typical_dialogue(self):
        script = harness.TYPICAL_KEYS + harness.TYPICAL_ANSWERS
        built = harness.run_fresh(script)
        with tempfile.TemporaryDirectory(prefix="sumquill_installed_") as folder:
            completed = subprocess.run([self.program], input=script, cwd=folder,
                                       capture_output=True, timeout=30)
            self.assertEqual(completed.returncode, 0, completed.stderr)
            self.assertEqual(completed.stdout, built.stdout)
            for name in REPORTS:
                with open(os.path.join(folder, name), "rb") as f:
                    self.assertEqual(f.read(), built.file(name), name)

    def test_manual_page_names_the_version_and_formats_without_warnings(self):
        page = os.path.join(self.stage, "share", "man", "man1", "sumquill.1")
        with open(page, encoding="utf-8") as f:
            header = next(line for line in f if line.startswith(".TH"))
        self.assertIn(f'"sumquill {VERSION}"', header)
        groff = shutil.which("groff")
        if groff is None:
            self.skipTest("groff is not installed")
        checked = subprocess.run([groff, "-man", "-ww", "-z", page], capture_output=True,
                                 timeout=30)
        self.assertEqual((checked.returncode, checked.stderr), (0, b""))


if __name__ == "__main__":
    unittest.main()
