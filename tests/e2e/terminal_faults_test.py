"""A whole run at a real terminal, and faults there, through a pseudo-terminal: Ctrl+C and Ctrl+\\, SIGTERM and SIGHUP,
a closed terminal, stray keys and sequences, a huge paste.

Wherever the terminal still exists after the end, its settings must be exactly those it had
before the program started; the program must end promptly without spinning; the reports of an
earlier run in the folder must be there as they were, and no temporary report be left.
"""
import os
import signal
import tempfile
import time
import unittest

import harness
from pty_session import (FIRST_MENU, FIRST_PROMPT, PROMPTS, TYPICAL_MENU_KEYS, PtySession,
                         describe_mode_difference)

REPORTS = ("qzr_sumif.txt", "qzr_sumif.htm")
# Ending after a signal is a matter of a few system calls; a second is generous on a busy machine.
PROMPT_END_SECONDS = 3.0
# Processor time a whole run may use at most, waiting included: far below a spinning second.
MAX_CPU_SECONDS = 0.5


# The reports of an earlier run in the same folder.
EARLIER = {name: b"an earlier run's " + name.encode() + b"\r\n" for name in REPORTS}


class TerminalFaults(unittest.TestCase):
    def start(self):
        folder = tempfile.mkdtemp(prefix="sumquill_pty_")
        harness._folders.append(folder)
        for name, content in EARLIER.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(content)
        session = PtySession(harness.BINARY, folder)
        self.addCleanup(session.close)
        return session

    def at_first_prompt(self):
        session = self.start()
        session.expect(FIRST_MENU)
        session.type(TYPICAL_MENU_KEYS)
        session.expect(FIRST_PROMPT)
        return session

    def assertModeRestored(self, session):
        now = session.mode()
        self.assertEqual(now, session.original_mode,
                         describe_mode_difference(now, session.original_mode))

    def assertEndedPromptly(self, session, expected_status):
        status, _ = session.wait(timeout=PROMPT_END_SECONDS)
        self.assertEqual(status, expected_status, session.output()[-300:])
        cpu = session.rusage.ru_utime + session.rusage.ru_stime
        self.assertLess(cpu, MAX_CPU_SECONDS, "processor time of the whole run")

    def assertReportsOnDisk(self, session):
        """An interrupted run replaces no report: the earlier ones stay byte for byte."""
        for name in REPORTS:
            with open(os.path.join(session.folder, name), "rb") as f:
                self.assertEqual(f.read(), EARLIER[name], name)
        self.assertNoTemporaryReports(session)

    def assertReportsReplaced(self, session):
        """A finished run replaces both reports whole."""
        for name in REPORTS:
            with open(os.path.join(session.folder, name), "rb") as f:
                content = f.read()
            self.assertTrue(content.endswith(b"\r\n") and EARLIER[name] not in content, name)
        self.assertNoTemporaryReports(session)

    def assertNoTemporaryReports(self, session):
        left = [n for n in os.listdir(session.folder) if n.startswith(".qzr_sumif")]
        self.assertEqual(left, [], "temporary reports left behind")

    def test_a_whole_run_at_the_terminal_echoes_no_key_and_edits_with_backspace(self):
        session = self.start()
        session.expect(FIRST_MENU)
        # Keys the menus ignore, then the typical ones: none of them may show.
        session.type(b"x" + b"\x1b[A" + TYPICAL_MENU_KEYS)
        shown = session.expect(FIRST_PROMPT)
        # After the warning's options: its one blank line, then the tool checks' first line.
        self.assertTrue(shown.replace(b"\r", b"").startswith(b"\n\n" + b"-" * 30 + b"\n"),
                        shown[:80])
        # DEL is the terminal's Backspace: "BX" then DEL leaves "B".
        for answer in (b"BX\x7f", b"C", b"2", b"20", b"E"):
            session.type(answer + b"\r")
        self.assertEndedPromptly(session, 0)
        self.assertModeRestored(session)
        with open(os.path.join(session.folder, "qzr_sumif.txt"), "rb") as report:
            text = report.read()
        self.assertIn(b"Column name for creating group    = B\r\n", text)
        self.assertIn(b"=SUMIF(B$2:B$20;B2;C$2:C$20)\r\n", text)

    def test_ctrl_c_at_a_menu_ends_at_once_and_gives_the_terminal_back(self):
        session = self.start()
        session.expect(FIRST_MENU)
        time.sleep(0.2)  # the menu is waiting for a key now
        self.assertNotEqual(session.mode(), session.original_mode, "the program set no mode")
        session.type(b"\x03")
        self.assertEndedPromptly(session, -signal.SIGINT)
        self.assertModeRestored(session)

    def test_ctrl_c_and_ctrl_backslash_in_the_middle_of_a_typed_answer(self):
        for key, number in ((b"\x03", signal.SIGINT), (b"\x1c", signal.SIGQUIT)):
            with self.subTest(signal=signal.Signals(number).name):
                session = self.at_first_prompt()
                session.type(b"B12")
                session.expect(b"B12")
                session.type(key)
                self.assertEndedPromptly(session, -number)
                self.assertModeRestored(session)
                # The reports were open; they stay, empty, as a stop from outside leaves them.
                self.assertReportsOnDisk(session)

    def test_sigterm_and_sighup_at_a_prompt_close_the_reports_and_give_the_terminal_back(self):
        for number in (signal.SIGTERM, signal.SIGHUP):
            with self.subTest(signal=signal.Signals(number).name):
                session = self.at_first_prompt()
                session.type(b"half an answer")
                session.expect(b"half an answer")
                session.signal(number)
                self.assertEndedPromptly(session, 128 + number)
                self.assertModeRestored(session)
                self.assertReportsOnDisk(session)

    def test_a_typed_character_of_several_bytes_is_taken_back_whole(self):
        session = self.at_first_prompt()
        # "é", Backspace, "B": the screen shows "B", and so must the report.
        session.type("é".encode() + b"\x7fB")
        session.expect(b"B")
        for answer in (b"", b"C", b"2", b"20", b"E"):
            session.type(answer + b"\r")
        self.assertEndedPromptly(session, 0)
        self.assertModeRestored(session)
        with open(os.path.join(session.folder, "qzr_sumif.txt"), "rb") as f:
            self.assertIn(b"Column name for creating group    = B\r\n", f.read())

    def test_every_fatal_signal_gives_the_terminal_back(self):
        ending = [signal.SIGHUP, signal.SIGINT, signal.SIGQUIT, signal.SIGILL, signal.SIGABRT,
                  signal.SIGFPE, signal.SIGSEGV, signal.SIGBUS, signal.SIGSYS, signal.SIGTRAP,
                  signal.SIGUSR1, signal.SIGUSR2, signal.SIGALRM, signal.SIGVTALRM,
                  signal.SIGPROF, signal.SIGXCPU, signal.SIGTERM]
        # Ignored: the write they would stop fails instead, and the program handles that.
        ignored = [signal.SIGPIPE, signal.SIGXFSZ]
        for where in ("menu", "prompt"):
            for number in ending + ignored:
                with self.subTest(signal=signal.Signals(number).name, at=where):
                    if where == "menu":
                        session = self.start()
                        session.expect(FIRST_MENU)
                    else:
                        session = self.at_first_prompt()
                        session.type(b"half")
                        session.expect(b"half")
                    time.sleep(0.05)
                    session.signal(number)
                    if number in ignored:
                        time.sleep(0.2)
                        self.assertIsNone(session.proc.poll(), "an ignored signal ended the run")
                        session.signal(signal.SIGTERM)
                        number = signal.SIGTERM
                    expected = (128 + number if number in (signal.SIGTERM, signal.SIGHUP)
                                else -number)
                    self.assertEndedPromptly(session, expected)
                    self.assertModeRestored(session)
                    self.assertNoTemporaryReports(session)
                    if where == "prompt":
                        self.assertReportsOnDisk(session)

    def test_closing_the_terminal_at_a_prompt_ends_the_run_without_spinning(self):
        session = self.at_first_prompt()
        session.type(b"C")
        session.expect(b"C")
        session.hang_up()
        # A hang-up ends the run through SIGHUP, or through a read that sees the end of the
        # input; either way it must end at once and not poll a dead terminal.
        status, _ = session.wait(timeout=PROMPT_END_SECONDS)
        self.assertNotEqual(status, 0)
        cpu = session.rusage.ru_utime + session.rusage.ru_stime
        self.assertLess(cpu, MAX_CPU_SECONDS)
        self.assertReportsOnDisk(session)

    def test_a_menu_waiting_on_the_terminal_uses_no_processor(self):
        session = self.start()
        session.expect(FIRST_MENU)
        before = session.cpu_seconds()
        time.sleep(1.0)
        used = session.cpu_seconds() - before
        self.assertLess(used, 0.1, "processor seconds used in one second of waiting")
        session.type(b"2")  # "no and end"
        self.assertEndedPromptly(session, 0)
        self.assertModeRestored(session)

    def test_control_keys_and_stray_sequences_at_every_prompt_do_no_harm(self):
        # Everything a terminal can send but the signal, stop and flow-control keys: editing
        # keys, function keys, unknown and cut-off sequences, an operating-system command, lone
        # Esc, Tab, control bytes and the bytes above 127.
        controls = bytes(b for b in range(1, 32)
                         if b not in (3, 10, 13, 17, 19, 26, 28))  # ^C ^Q ^S ^Z ^\ and line ends
        noise = (b"\x1b[A\x1b[D\x1b[H\x1b[F\x1b[3~\x1b[99~\x1bOP\x1b[15;5~\x1b]0;owned\x07"
                 + controls + b"\x7f" + bytes(range(128, 256)) + b"\x1b")
        session = self.at_first_prompt()
        for prompt in range(5):
            if prompt:
                session.expect(PROMPTS[prompt])
            time.sleep(0.1)  # a lone Esc at the end is told from a sequence by a pause
            session.type(noise)
            time.sleep(0.1)
            session.type(b"\x1b[F" + [b"B", b"C", b"2", b"20", b"E"][prompt] + b"\r")
        status, _ = session.wait(timeout=10)
        self.assertEqual(status, 0)
        self.assertModeRestored(session)
        self.assertReportsReplaced(session)
        shown = session.output()[session.output().index(FIRST_PROMPT):]
        for typed in (b"\x1b]0;owned", b"\x1b[99~", b"\x1b[15;5~", controls):
            self.assertNotIn(typed, shown, "typed control text echoed to the terminal")

    def test_a_pasted_line_of_100000_characters_is_taken_whole(self):
        session = self.at_first_prompt()
        # Every position is recognisable, so a lost or repeated stretch shows up.
        line = b"".join(b"%07d|" % i for i in range(0, 100000, 8))[:100000]
        self.assertEqual(len(line), 100000)
        started = time.monotonic()
        session.type(line + b"\r")
        echoed = session.expect(PROMPTS[1], timeout=60)
        seconds = time.monotonic() - started
        self.assertTrue(line in echoed, b"the echo of the pasted line, it ends: " + echoed[-200:])
        self.assertLess(seconds, 30, "a quadratic path would take minutes")
        session.type(b"C\r2\r20\rE\r")
        status, _ = session.wait(timeout=10)
        self.assertEqual(status, 0)
        self.assertModeRestored(session)
        with open(os.path.join(session.folder, "qzr_sumif.txt"), "rb") as f:
            report = f.read()
        # The text answer keeps the first 4096 characters of the line.
        self.assertIn(b"Column name for creating group    = " + line[:4096] + b"\r\n", report)


if __name__ == "__main__":
    harness.main()
