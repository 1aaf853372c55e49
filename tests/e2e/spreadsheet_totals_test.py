"""The nine formulas of a real run, pasted and copied as the report says, give every group's total
in a real spreadsheet, and the limits of SUMIF-based summaries show as users will meet them.

Separator ";" goes in through the office API, which reads formulas with ";". Separator "," is
written into an .xlsx file, copied down by openpyxl's translator (the spreadsheet's own rule for
relative references), and opened and recalculated by the office."""
import math
import os
import random
import re
import tempfile
import time
import unittest
from collections import OrderedDict
from dataclasses import dataclass, field

import harness  # first: it takes the binary's path off the command line
import calc_session
from report_steps import read_steps
from openpyxl import Workbook
from openpyxl.formula.translate import Translator

WARNING_AND_CODE_PAGE_KEYS = b"1\n2\n3\n"
SEPARATOR_KEYS = {",": b"1\n", ";": b"2\n"}
TABLE_TYPE_KEYS = {"ms excel": b"1\n", "libreoffice": b"2\n"}
# Rows copied under the table beyond the last group, where steps 8 and 9 must show an error.
ROWS_PAST_LAST_GROUP = 3

ERROR = None  # how an error value reads back from the sheet


@dataclass
class Table:
    """A user's table, the answers typed about it and the dialect chosen."""
    rows: list  # (group name or None for a blank cell, value), one per data row
    separator: str = ","
    table_type: str = "ms excel"
    group_column: str = "B"  # as typed; may be lower case
    data_column: str = "C"
    start_row: int = 2
    free_column: str = "E"
    others: dict = field(default_factory=dict)  # cells outside the data rows: titles, stray values

    @property
    def end_row(self):
        return self.start_row + len(self.rows) - 1

    def keys(self):
        answers = [self.group_column, self.data_column, str(self.start_row)]
        if self.table_type == "libreoffice":
            answers.append(str(self.end_row))
        answers.append(self.free_column)
        return (WARNING_AND_CODE_PAGE_KEYS + SEPARATOR_KEYS[self.separator] +
                TABLE_TYPE_KEYS[self.table_type] + "".join(a + "\n" for a in answers).encode())

    def free_area_columns(self):
        """The nine columns from the free column on, counted here rather than read from the
        report."""
        number = 0
        for letter in self.free_column.upper():
            number = number * 26 + ord(letter) - ord("A") + 1
        names = []
        for n in range(number, number + 9):
            name = ""
            while n:
                n, rest = divmod(n - 1, 26)
                name = chr(ord("A") + rest) + name
            names.append(name)
        return names

    def caption(self, name):
        return "SUMIF(%s=%s%s%s)=" % (self.group_column.upper(), name, self.separator,
                                      self.data_column.upper())


# --- the program's run ---------------------------------------------------------------------

def run_program(table):
    run = harness.run_fresh(table.keys())
    if run.status != 0:
        raise AssertionError("sumquill ended with %d\n%s\n%s" %
                             (run.status, run.stdout.decode("latin-1"),
                              run.stderr.decode("latin-1")))
    return read_steps(run.file("qzr_sumif.txt"))


# --- pasting and copying in the spreadsheet ------------------------------------------------

def paste_plan(table, steps, groups):
    """(column, first row, last row, formula) for each step, as its instruction lines say."""
    first_free = table.end_row + 1
    plan = []
    for step in steps:
        if step.down_the_table:
            plan.append((step.column, step.row, table.end_row, step.formula))
        else:
            plan.append((step.column, first_free, first_free + groups - 1 + ROWS_PAST_LAST_GROUP,
                         step.formula))
    return plan


def table_blocks(table):
    """The table as (top cell, values going down) blocks; blank group cells stay empty."""
    blocks = [(name, [value]) for name, value in table.others.items()]
    blocks.append(("%s%d" % (table.data_column.upper(), table.start_row),
                   [value for _, value in table.rows]))
    run_start, run = None, []
    for row, (group, _) in enumerate(table.rows + [(None, None)], start=table.start_row):
        if group is not None:
            run_start = run_start or row
            run.append(group)
        elif run:
            blocks.append(("%s%d" % (table.group_column.upper(), run_start), run))
            run_start, run = None, []
    return blocks


def build_through_api(office, table, plan):
    document = office.new_sheet()
    for top, values in table_blocks(table):
        document.put_rows(top, [(value,) for value in values])
    for column, first, last, formula in plan:
        document.put_formula("%s%d" % (column, first), formula)
        document.fill_down(column, first, last)
    return document


def build_through_xlsx(office, table, plan, folder):
    book = Workbook()
    sheet = book.active
    for top, values in table_blocks(table):
        column, row = re.fullmatch(r"([A-Z]+)(\d+)", top).groups()
        for offset, value in enumerate(values):
            cell = sheet["%s%d" % (column, int(row) + offset)]
            cell.value = value
            if isinstance(value, str):
                cell.data_type = "s"  # a name such as "=x" is text, not a formula
    for column, first, last, formula in plan:
        origin = "%s%d" % (column, first)
        translator = Translator(formula, origin=origin)
        for row in range(first, last + 1):
            sheet["%s%d" % (column, row)] = translator.translate_formula("%s%d" % (column, row))
    path = os.path.join(folder, "table.xlsx")
    book.save(path)
    return office.open(path)


@dataclass
class Outcome:
    helpers: list  # per data row: the six values of steps 1 to 6
    summary: list  # per row under the table: the three values of steps 7 to 9


def fill_and_recalculate(office, table, steps, groups):
    plan = paste_plan(table, steps, groups)
    with tempfile.TemporaryDirectory(prefix="sumquill_sheet_") as folder:
        if table.separator == ";":
            document = build_through_api(office, table, plan)
        else:
            document = build_through_xlsx(office, table, plan, folder)
        with document:
            document.recalculate()
            # Read where the nine columns belong, whatever the report said.
            columns = table.free_area_columns()
            below = table.end_row + groups + ROWS_PAST_LAST_GROUP
            helpers = [document.values(column, table.start_row, table.end_row)
                       for column in columns[:6]]
            summary = [document.values(column, table.end_row + 1, below) for column in columns[6:]]
    return Outcome(list(zip(*helpers)), list(zip(*summary)))


# --- what the columns must hold, worked out here ------------------------------------------

def expected(table, key=lambda name: name, stray=None):
    """Helpers and summary for a table whose groups compare by key; stray adds to a group's total
    what lies outside the data rows."""
    totals = OrderedDict()
    for group, value in table.rows:
        totals[key(group)] = totals.get(key(group), 0) + value
    for name, value in (stray or {}).items():
        totals[key(name)] += value
    seen, first_names, helpers = {}, [], []
    for group, _ in table.rows:
        seen[key(group)] = seen.get(key(group), 0) + 1
        first = seen[key(group)] == 1
        if first:
            first_names.append(group)
        total = totals[key(group)]
        shown = total if first else ""
        helpers.append((total, seen[key(group)], shown, len(first_names), group, shown))
    summary = [(i + 1, table.caption(name), totals[key(name)])
               for i, name in enumerate(first_names)]
    summary += [(len(summary) + i + 1, ERROR, ERROR) for i in range(ROWS_PAST_LAST_GROUP)]
    return helpers, summary


def same(actual, wanted):
    if isinstance(wanted, (int, float)) and isinstance(actual, float):
        return math.isclose(actual, wanted, rel_tol=1e-12, abs_tol=1e-9)
    return actual == wanted


def differences(outcome, helpers, summary, table):
    found = []
    for offset, (got, want) in enumerate(zip(outcome.helpers, helpers)):
        for step, (a, w) in enumerate(zip(got, want), start=1):
            if not same(a, w):
                found.append("row %d step %d: got %r, want %r" %
                             (table.start_row + offset, step, a, w))
    for offset, (got, want) in enumerate(zip(outcome.summary, summary)):
        for step, (a, w) in enumerate(zip(got, want), start=7):
            if not same(a, w):
                found.append("row %d step %d: got %r, want %r" %
                             (table.end_row + 1 + offset, step, a, w))
    if len(outcome.helpers) != len(helpers) or len(outcome.summary) != len(summary):
        found.append("shape: %d/%d rows" % (len(outcome.helpers), len(outcome.summary)))
    return found


# --- tables --------------------------------------------------------------------------------

def random_rows(seed, count, groups, values=lambda rng: rng.randint(1, 999)):
    rng = random.Random(seed)
    names = ["Region %02d" % n for n in range(1, groups + 1)]
    rng.shuffle(names)
    # Every group appears; the rest fall at random, so groups repeat far apart.
    picks = names + [rng.choice(names) for _ in range(count - groups)]
    rng.shuffle(picks)
    return [(name, values(rng)) for name in picks]


WORKED_EXAMPLE_ROWS = random_rows(7, 19, 5)  # rows 2 to 20, as in the typical run
TITLES = {"B1": "Sales by region", "B3": "Region", "C3": "Amount"}

CASES = {
    "worked example, ms excel, ','": Table(WORKED_EXAMPLE_ROWS),
    "worked example, libreoffice, ';'": Table(WORKED_EXAMPLE_ROWS, ";", "libreoffice"),
    "worked example, ms excel, ';'": Table(WORKED_EXAMPLE_ROWS, ";", "ms excel"),
    "worked example, libreoffice, ','": Table(WORKED_EXAMPLE_ROWS, ",", "libreoffice"),
    "column names typed in lower case": Table(WORKED_EXAMPLE_ROWS, ";", "libreoffice",
                                              group_column="b", data_column="c",
                                              free_column="e"),
    "free area from Z, targets in AA to AH": Table(random_rows(11, 25, 6), free_column="Z"),
    "free area from AV, crossing AZ to BA": Table(random_rows(12, 25, 6), ";", "libreoffice",
                                                  free_column="AV"),
    "data left of groups, two-letter columns": Table(random_rows(13, 15, 4), ",", "libreoffice",
                                                     group_column="AC", data_column="AB",
                                                     free_column="AF"),
    "start row 4 under title rows": Table(random_rows(14, 12, 4), ";", "ms excel", start_row=4,
                                          others=TITLES),
    "start row 4 under title rows, libreoffice": Table(random_rows(14, 12, 4), ",",
                                                       "libreoffice", start_row=4,
                                                       others=TITLES),
    "one group only": Table([("Solo", v) for v in (5, 7, 11, 13)], ";", "libreoffice"),
    "one data row": Table([("Solo", 42)]),
    "200 rows, 30 groups": Table(random_rows(15, 200, 30), ";", "libreoffice"),
    "200 rows, 30 groups, ms excel": Table(random_rows(15, 200, 30)),
    "negative and decimal values": Table(
        random_rows(16, 40, 7, lambda rng: round(rng.uniform(-500, 500), 2)), ";",
        "libreoffice"),
    "negative and decimal values, ms excel": Table(
        random_rows(16, 40, 7, lambda rng: round(rng.uniform(-500, 500), 2))),
    "groups repeating apart": Table([("A", 1), ("B", 2), ("A", 4), ("C", 8), ("B", 16), ("A", 32),
                                     ("C", 64)], ";", "libreoffice"),
}


def setUpModule():
    global office
    office = calc_session.Office()


def tearDownModule():
    office.close()


class FormulasInASpreadsheet(unittest.TestCase):
    maxDiff = None

    def check(self, table, **model):
        helpers, summary = expected(table, **model)
        groups = len(summary) - ROWS_PAST_LAST_GROUP
        steps = run_program(table)
        self.assertEqual([step.column for step in steps], table.free_area_columns())
        outcome = fill_and_recalculate(office, table, steps, groups)
        found = differences(outcome, helpers, summary, table)
        self.assertEqual(found[:12], [], "%d differences" % len(found))
        return outcome

    def test_every_group_gets_its_total(self):
        for name, table in CASES.items():
            with self.subTest(name):
                self.check(table)


class LimitsOfTheFormulas(unittest.TestCase):
    """What no formula text can fix; README.md tells users how to lay out their table."""

    def outcome(self, table, groups):
        return fill_and_recalculate(office, table, run_program(table), groups)

    def test_ms_excel_form_adds_matching_cells_above_and_below_the_data_rows(self):
        rows = [("North", 1), ("South", 2), ("North", 4)]
        stray = {"B1": "North", "C1": 100, "B12": "South", "C12": 1000}
        for table_type, added in (("ms excel", {"North": 100, "South": 1000}),
                                  ("libreoffice", {})):
            for separator in (",", ";"):
                with self.subTest(table_type=table_type, separator=separator):
                    table = Table(rows, separator, table_type, start_row=3, others=stray)
                    helpers, summary = expected(table, stray=added)
                    found = differences(self.outcome(table, 2), helpers, summary, table)
                    self.assertEqual(found, [])

    def test_a_number_above_the_table_in_the_step_4_column_shifts_the_summary(self):
        # Steps 7 to 9 count and search the step 4 column (H) whole, in both forms: the stray
        # number makes the first summary line 0, an error, where users stop copying.
        rows = [("North", 1), ("South", 2), ("North", 4)]
        for table_type in ("ms excel", "libreoffice"):
            with self.subTest(table_type=table_type):
                table = Table(rows, ";", table_type, others={"H1": 5})
                outcome = self.outcome(table, 2)
                self.assertEqual(outcome.summary, [
                    (0, ERROR, ERROR), (1, "SUMIF(B=North;C)=", 5), (2, "SUMIF(B=South;C)=", 2),
                    (3, ERROR, ERROR), (4, ERROR, ERROR)])

    def test_group_names_match_without_regard_to_case(self):
        # "north" and "NORTH" join "North": one summary line under the first spelling.
        table = Table([("North", 1), ("South", 2), ("north", 4), ("NORTH", 8), ("South", 16)],
                      ";", "libreoffice")
        helpers, summary = expected(table, key=str.casefold)
        self.assertEqual(summary[:2], [(1, "SUMIF(B=North;C)=", 13), (2, "SUMIF(B=South;C)=", 18)])
        found = differences(self.outcome(table, 2), helpers, summary, table)
        self.assertEqual(found, [])

    def test_names_with_wildcards_or_a_leading_comparison_are_read_as_patterns(self):
        rows = [("North", 1), ("N*", 2), ("Nest", 4), ("?", 8), ("x", 16), ("=x", 32),
                ("<m", 64), ("x~?", 128), ("x?", 256), (">y", 512)]
        # Per row: step 1's total and step 2's count. A name counts as its group's first row
        # only where step 2 gives 1; other names get no summary line at all.
        wanted = [
            (1, 1),      # North
            (7, 2),      # N*: North, N* and Nest; counted twice by row 3, so no line
            (4, 1),      # Nest
            (24, 1),     # ?: every one-letter name, "?" and "x"
            (16, 1),     # x
            (16, 1),     # =x: means "equal to x", so it gets x's total and not its own
            (616, 3),    # <m: every name sorting before "m"; signs sort before letters,
                         # so "?", "=x", "<m" and ">y"
            (256, 0),    # x~?: "~" escapes "?", so it means the name "x?"
            (256, 1),    # x?
            (0, 0),      # >y: no name sorts after "y", not even ">y" itself
        ]
        lines = [("North", 1), ("Nest", 4), ("?", 24), ("x", 16), ("=x", 16), ("x?", 256)]
        for separator, table_type in ((";", "libreoffice"), (",", "ms excel")):
            with self.subTest(separator=separator, table_type=table_type):
                table = Table(rows, separator, table_type)
                outcome = self.outcome(table, len(lines))
                self.assertEqual([(h[0], h[1]) for h in outcome.helpers], wanted)
                self.assertEqual(outcome.summary[:len(lines)],
                                 [(i + 1, table.caption(n), t) for i, (n, t) in enumerate(lines)])
                self.assertEqual(outcome.summary[len(lines)][1:], (ERROR, ERROR))

    def test_a_blank_group_cell_drops_out_of_the_summary(self):
        table = Table([("North", 1), (None, 2), ("South", 4), (None, 8), ("North", 16)], ";",
                      "libreoffice")
        outcome = self.outcome(table, 2)
        # A blank row reads as 0 in steps 1, 2 and 5 and never counts as a group's first row;
        # its value is in no total.
        self.assertEqual(outcome.helpers, [
            (17, 1, 17, 1, "North", 17),
            (0, 0, "", 1, 0, ""),
            (4, 1, 4, 2, "South", 4),
            (0, 0, "", 2, 0, ""),
            (17, 2, "", 2, "North", ""),
        ])
        self.assertEqual(outcome.summary, [
            (1, "SUMIF(B=North;C)=", 17), (2, "SUMIF(B=South;C)=", 4),
            (3, ERROR, ERROR), (4, ERROR, ERROR), (5, ERROR, ERROR)])


if __name__ == "__main__":
    started = time.monotonic()
    try:
        unittest.main()
    finally:
        print("spreadsheet checks took %.1f s" % (time.monotonic() - started))
