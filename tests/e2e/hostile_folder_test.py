"""The folder itself as hostile input: a run in a folder that real people have (downloads,
shared drives, old projects) deletes exactly the files whose names match check_*.txt, writes
nothing through a link or into a FIFO, never hangs on one, and ends with an honest status."""
import os
import signal
import stat
import subprocess
import tempfile
import time
import unittest

import harness

TYPICAL = harness.TYPICAL_KEYS + harness.TYPICAL_ANSWERS
OWN_FILES = {"qzr_sumif.txt", "qzr_sumif.htm", "stm_01.txt", "check_01.txt", "check_02.txt",
             "out_null.txt", "cmd.exe", "sort.exe", "find.exe"}

# Names that match check_*.txt, whatever else they hold.
MATCHING = [
    b"check_2024 report.txt", b"check_ * .txt", b"check_?.txt", b"check_a >important.txt",
    b"check_a&b.txt", b"check_(1).txt", b"check_a | b.txt", b"check_%i.txt", b"check_%PATH%.txt",
    b"check_^x.txt", b"check_'q'.txt", b'check_"d".txt', b"check_a,b;c=d.txt", b"check_-rf.txt",
    b"check_a\\b.txt", b"check_\t\r\n.txt", b"check_\xff\xfe\xc3.txt", b"CHECK_UPPER.TXT",
    b"check_" + b"x" * 240 + b".txt",
]
# Names next to them that must not change: the words of the names above, their targets of
# redirection, and names that look alike.
KEPT = [
    b"report.txt", b"important.txt", b"thesis.docx", b"b.txt", b"a", b"b", b"-rf", b"*", b"x",
    b"check_x.txt.bak", b"xcheck_1.txt", b"check_.tx", b"%i", b"i", b"d",
]


def fresh_folder():
    folder = tempfile.mkdtemp(prefix="sumquill_e2e_")
    harness._folders.append(folder)
    return folder


def snapshot(folder):
    """Every name with its kind and content (or link target)."""
    result = {}
    for name in os.listdir(os.fsencode(folder)):
        path = os.path.join(os.fsencode(folder), name)
        info = os.lstat(path)
        if stat.S_ISLNK(info.st_mode):
            result[name] = ("link", os.readlink(path))
        elif stat.S_ISREG(info.st_mode):
            with open(path, "rb") as f:
                result[name] = ("file", f.read())
        else:
            result[name] = (stat.S_IFMT(info.st_mode), None)
    return result


def without_own_files(names):
    return {n: v for n, v in names.items() if os.fsdecode(n) not in OWN_FILES}


class HostileNames(unittest.TestCase):
    def test_exactly_the_matching_names_are_deleted(self):
        folder = fresh_folder()
        outside = fresh_folder()
        victim = os.path.join(outside, "victim.txt")
        with open(victim, "wb") as f:
            f.write(b"precious")
        for name in MATCHING + KEPT:
            with open(os.path.join(os.fsencode(folder), name), "wb") as f:
                f.write(name)
        # A link named like a check file goes as the link; its target stays.
        os.symlink(victim, os.path.join(folder, "check_link.txt"))
        os.mkdir(os.path.join(folder, "check_folder.txt"))
        with open(os.path.join(folder, "check_folder.txt", "check_inner.txt"), "wb") as f:
            f.write(b"inner")
        before = snapshot(folder)

        run = harness.run_in(folder, TYPICAL)
        self.assertEqual(run.status, 0, run.stderr)
        after = without_own_files(snapshot(folder))
        expected = {n: v for n, v in before.items()
                    if n not in MATCHING and n != b"check_link.txt"}
        self.assertEqual(after, expected)
        with open(victim, "rb") as f:
            self.assertEqual(f.read(), b"precious")
        self.assertTrue(os.path.exists(os.path.join(folder, "check_folder.txt", "check_inner.txt")))


class LinksAndFifos(unittest.TestCase):
    def setUp(self):
        self.outside = fresh_folder()
        self.victim = os.path.join(self.outside, "victim.txt")
        with open(self.victim, "wb") as f:
            f.write(b"precious")

    def assertVictimIntact(self):
        with open(self.victim, "rb") as f:
            self.assertEqual(f.read(), b"precious")
        self.assertEqual(os.listdir(self.outside), ["victim.txt"])

    def test_a_report_that_is_a_link_or_fifo_is_refused(self):
        for name in ("qzr_sumif.txt", "qzr_sumif.htm"):
            for kind in ("link", "dangling link", "fifo"):
                with self.subTest(name=name, kind=kind):
                    folder = fresh_folder()
                    path = os.path.join(folder, name)
                    if kind == "link":
                        os.symlink(self.victim, path)
                    elif kind == "dangling link":
                        os.symlink(os.path.join(self.outside, "new.txt"), path)
                    else:
                        os.mkfifo(path)
                    run = harness.run_in(folder, TYPICAL, timeout=20)
                    self.assertEqual(run.status, 1)
                    self.assertTrue(run.stdout.endswith(
                        b"Output files = qzr_sumif.txt, qzr_sumif.htm\r\n\r\n"))
                    self.assertRegex(run.stderr, b"^sumquill: " + name.encode() +
                                     b" could not be created: is (a symbolic link|not a regular"
                                     b" file)\n$")
                    self.assertVictimIntact()
                    mode = os.lstat(path).st_mode
                    self.assertTrue(stat.S_ISFIFO(mode) if kind == "fifo" else stat.S_ISLNK(mode))

    def test_scratch_files_that_are_links_or_fifos_are_never_written_or_waited_on(self):
        for name in ("stm_01.txt", "check_01.txt", "check_02.txt", "out_null.txt", "cmd.exe"):
            for kind in ("link", "fifo"):
                with self.subTest(name=name, kind=kind):
                    folder = fresh_folder()
                    path = os.path.join(folder, name)
                    if kind == "link":
                        os.symlink(self.victim, path)
                    else:
                        os.mkfifo(path)
                    # A tool check may fail (its file cannot be written): the run then waits
                    # for "9" at its failure screen, and the input ends there.
                    run = harness.run_in(folder, TYPICAL, timeout=20)
                    self.assertIn(run.status, (0, 1), run.stderr)
                    self.assertVictimIntact()
                    # The check file loop deletes a link or FIFO of a check file's name as it
                    # deletes any file of that name; any other such name stays as it was.
                    if not name.startswith("check_"):
                        mode = os.lstat(path).st_mode
                        self.assertTrue(stat.S_ISFIFO(mode) or stat.S_ISLNK(mode), name)


class EndOfInput(unittest.TestCase):
    ANSWERS = [b"B", b"C", b"2", b"20", b"E"]

    def test_input_that_ends_at_a_prompt_ends_the_run(self):
        for count in range(len(self.ANSWERS)):
            with self.subTest(answers=count):
                given = b"".join(a + b"\n" for a in self.ANSWERS[:count])
                run = harness.run_fresh(harness.TYPICAL_KEYS + given)
                self.assertEqual(run.status, 1)
                self.assertEqual(run.stderr,
                                 b"sumquill: the input ended before the dialogue was finished\n")
                # The prompt's line is ended; no report claims answers nobody gave.
                self.assertTrue(run.stdout.endswith(b"? \r\n"), run.stdout[-80:])
                self.assertNotIn(b"\r\n--------------------------------\r\nOutput files",
                                 run.stdout)

    def test_a_last_answer_without_its_line_end_counts(self):
        run = harness.run_fresh(harness.TYPICAL_KEYS + b"B\nC\n2\n20\nE")
        reference = harness.run_fresh(TYPICAL)
        self.assertEqual(run.status, 0, run.stderr)
        self.assertEqual(run.file("qzr_sumif.txt"), reference.file("qzr_sumif.txt"))

    def test_every_kind_of_line_end_gives_the_same_run(self):
        reference = harness.run_fresh(TYPICAL)
        for name, end in (("CR", b"\r"), ("CR LF", b"\r\n"), ("LF", b"\n")):
            with self.subTest(line_end=name):
                script = b"1\n2\n3\n2\n2\nB\nC\n2\n20\nE\n".replace(b"\n", end)
                run = harness.run_fresh(script)
                self.assertEqual(run.status, 0, run.stderr)
                self.assertEqual(run.stdout, reference.stdout)
                for report in ("qzr_sumif.txt", "qzr_sumif.htm"):
                    self.assertEqual(run.file(report), reference.file(report))


class EndRequests(unittest.TestCase):
    def test_sigterm_ends_a_long_deletion_within_a_second(self):
        folder = fresh_folder()
        count = 200_000
        for i in range(count):
            os.close(os.open(os.path.join(folder, f"check_{i:06}.txt"), os.O_CREAT | os.O_WRONLY))
        process = subprocess.Popen([harness.BINARY], cwd=folder, stdin=subprocess.PIPE,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        process.stdin.write(TYPICAL)
        process.stdin.flush()
        # Wait until the deletion has begun.
        while len(os.listdir(folder)) > count - 1000:
            self.assertIsNone(process.poll())
            time.sleep(0.01)
        sent = time.monotonic()
        process.send_signal(signal.SIGTERM)
        status = process.wait(timeout=10)
        took = time.monotonic() - sent
        process.stdin.close()
        process.stderr.close()
        print(f"SIGTERM during a deletion ended the run in {took * 1000:.0f} ms")
        self.assertEqual(status, 128 + signal.SIGTERM)
        self.assertLess(took, 1.0)
        self.assertGreater(len(os.listdir(folder)), 1000, "the deletion went on")


if __name__ == "__main__":
    harness.main()
