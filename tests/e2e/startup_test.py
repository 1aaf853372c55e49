"""The first screens of a piped run: banner, working-directory warning, code page menu."""
import unittest

import harness

BANNER = (
    b"www.sponsor.example\r\n"
    + b"=" * 58 + b"\r\n"
    b"\r\n"
    b"Sumquill\r\n"
    b"Program for creating sumif() formulas in MS Excel compatible tables\r\n"
    b"\r\n"
    b"Program name: qzr_sumif_www.sponsor.example.exe\r\n"
    b"\r\n"
    b"More information: www.sumquill.example\r\n"
    b"Sponsored by:     www.sponsor.example\r\n"
    + b"=" * 58 + b"\r\n"
)

WARNING = (
    b"\r\n"
    b"--------- PROGRAM MUST RUN IN SEPARATE DIRECTORY ---------\r\n"
    b"\r\n"
    b"Program must run in separate directory.\r\n"
    b"During execution it will delete most *.txt, and other files.\r\n"
    b"\r\n"
    + b"-" * 58 + b"\r\n"
    b"\r\n"
    b"<1> yes and continue\r\n"
    b"<2> no  and end\r\n"
)

SEPARATOR = b"-" * 31 + b"\r\n"

OPTIONS = (
    SEPARATOR
    + b"<1> list        Windows code page\r\n"
    b"<2> list/select Windows code page - increment\r\n"
    b"<8> exit, end\r\n"
)

ROWS = [
    (b"Windows-1250", b"Central Europe languages: Albanian, Croatian, Czech, Hungarian, Polish, "
     b"Romanian, Serbian (Latin), Slovak, Slovenian"),
    (b"Windows-1251", b"Cyrillic languages: Azeri, Belarusian, Bulgarian, Macedonian, Kazakh, "
     b"Kyrgyz, Mongolian, Russian, Serbian, Tatar, Ukrainian, Uzbek"),
    (b"Windows-1252", b"Latin 1 languages: Afrikaans, Basque, Catalan, Danish, Dutch, English, "
     b"Faroese, Finnish, French, Galician, German, Icelandic, Indonesian, Italian, Malay, "
     b"Norwegian, Portuguese, Spanish, Swahili, Swedish"),
    (b"Windows-1253", b"Greek"),
    (b"Windows-1254", b"Turkic languages: Azeri (Latin), Turkish, Uzbek (Latin)"),
    (b"Windows-1255", b"Hebrew"),
    (b"Windows-1256", b"Arabic, Farsi, Urdu"),
    (b"Windows-1257", b"Baltic languages: Estonian, Latvian, Lithuanian"),
    (b"Windows-1258", b"Vietnamese"),
    (b"Windows-54936", b"China"),
]


def row(number):
    """Row line (the name starts in column 15) and description line."""
    name, description = ROWS[number - 1]
    return (b" %d" % number).ljust(14) + name + b"\r\n" + description + b"\r\n"


LISTED = b"".join(row(n) + b"\r\n" for n in range(1, 11))


def browsed(last):
    return b"".join(b"\r\n" + row(n) + b"any key to continue, <3> select, <8> exit\r\n"
                    for n in range(1, last + 1))


class StartupScreens(unittest.TestCase):
    def code_page_screen(self, result):
        """The output from the code page menu's option lines on, after checking what leads there."""
        out = result.stdout
        self.assertTrue(out.startswith(BANNER + WARNING + b"\r\n"), out[:2000])
        at = out.find(OPTIONS)
        self.assertGreater(at, 0, out)
        # The screen opens with a blank line, whatever the tool checks printed before it.
        self.assertTrue(out[:at].endswith(b"\r\n\r\n"), out[:at])
        return out[at:]

    def test_list_then_browse_to_row_ten_and_select_it(self):
        result = harness.run_fresh(b"1\n1\n2\n" + b"x\n" * 9 + b"3\n")
        screen = self.code_page_screen(result)
        expected = (OPTIONS + LISTED + OPTIONS + browsed(10) + SEPARATOR + row(10)
                    + b"Windows code page = Windows-54936\r\n"
                    + b"Active code page: 54936\r\n"  # chcp's own line
                    + b"\r\n" + SEPARATOR)
        # What follows belongs to the next screens.
        self.assertEqual(screen[:len(expected)], expected)

    def test_ignored_keys_list_browse_back_and_end(self):
        # "3" and "9" at the menu show nothing; "8" typed during the list's output waits its turn.
        result = harness.run_fresh(b"1\n39\n1\n2\n8\n8\n")
        self.assertEqual(result.status, 0, result.stderr)
        self.assertEqual(self.code_page_screen(result),
                         OPTIONS + LISTED + OPTIONS + browsed(1) + OPTIONS + b"End\r\n")

    def test_no_at_the_warning_ends_before_touching_the_folder(self):
        result = harness.run_fresh(b"2\n")
        self.assertEqual(result.status, 0, result.stderr)
        self.assertEqual(result.stdout, BANNER + WARNING)
        self.assertEqual(result.stderr, b"")
        self.assertEqual(result.files(), [])


if __name__ == "__main__":
    harness.main()
