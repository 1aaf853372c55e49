"""What the spreadsheet checks of the nine formulas share, whatever engine recalculates them: the
user's table and the answers typed about it, where each step is pasted and how far it is copied,
an .xlsx filled the way a user copies the formulas, and the totals the columns must hold, worked
out here rather than read from the program.

Import harness before this module in a test script: it takes the binary's path off the command
line."""
import math
import random
import re
from collections import OrderedDict
from dataclasses import dataclass, field

import harness
from report_steps import read_steps
from openpyxl import Workbook
from openpyxl.formula.translate import Translator

WARNING_AND_CODE_PAGE_KEYS = b"1\n2\n3\n"
SEPARATOR_KEYS = {",": b"1\n", ";": b"2\n"}
TABLE_TYPE_KEYS = {"ms excel": b"1\n", "libreoffice": b"2\n"}
# Rows copied under the table beyond the last group, where steps 8 and 9 must show an error.
ROWS_PAST_LAST_GROUP = 3

ERROR = None  # how an error value reads back from the sheet


def column_number(name):
    number = 0
    for letter in name.upper():
        number = number * 26 + ord(letter) - ord("A") + 1
    return number


def column_name(number):
    name = ""
    while number:
        number, rest = divmod(number - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


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
        first = column_number(self.free_column)
        return [column_name(n) for n in range(first, first + 9)]

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


def filled_workbook(table, plan):
    """The table and the formulas, stored with "," as .xlsx files store them, each copied down
    by openpyxl's translator: the spreadsheet's own rule for relative references."""
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
    return book


@dataclass
class Outcome:
    helpers: list  # per data row: the six values of steps 1 to 6
    summary: list  # per row under the table: the three values of steps 7 to 9


def read_outcome(values, table, groups):
    """The nine columns read back where they belong, whatever the report said; values(column,
    first row, last row) gives a column stretch as numbers, texts and ERROR."""
    columns = table.free_area_columns()
    below = table.end_row + groups + ROWS_PAST_LAST_GROUP
    helpers = [values(column, table.start_row, table.end_row) for column in columns[:6]]
    summary = [values(column, table.end_row + 1, below) for column in columns[6:]]
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


def check_totals(test, table, recalculate, **model):
    """Runs the program for table, has recalculate(table, steps, groups) fill and recalculate a
    sheet, and asserts on test that every column holds what expected() works out with model."""
    helpers, summary = expected(table, **model)
    groups = len(summary) - ROWS_PAST_LAST_GROUP
    steps = run_program(table)
    test.assertEqual([step.column for step in steps], table.free_area_columns())
    outcome = recalculate(table, steps, groups)
    found = differences(outcome, helpers, summary, table)
    test.assertEqual(found[:12], [], "%d differences" % len(found))
    return outcome


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


# --- the limits README.md lists, as every engine checked so far shows them ------------------
# Each engine's test asserts these same values, so an engine that reads a limit otherwise fails
# here, and README.md's "Limits of the formulas" must say so for its users.

# Three data rows from row 3, with a matching name above and below them: the MS Excel form's
# whole-column SUMIF adds those cells, the LibreOffice form's rows from start to end do not.
STRAY_ROWS = [("North", 1), ("South", 2), ("North", 4)]
STRAY_CELLS = {"B1": "North", "C1": 100, "B12": "South", "C12": 1000}
STRAY_ADDED = {"ms excel": {"North": 100, "South": 1000}, "libreoffice": {}}

# Steps 7 to 9 count and search the step 4 column (H) whole, in both forms: a number above the
# table makes the first summary line 0, an error, where users stop copying.
STEP_4_STRAY = {"H1": 5}


def step_4_stray_summary(table):
    """The summary of STRAY_ROWS under a number in H1."""
    return [(0, ERROR, ERROR), (1, table.caption("North"), 5), (2, table.caption("South"), 2),
            (3, ERROR, ERROR), (4, ERROR, ERROR)]


# "north" and "NORTH" join "North": one summary line under the first spelling.
CASE_ROWS = [("North", 1), ("South", 2), ("north", 4), ("NORTH", 8), ("South", 16)]

CRITERIA_ROWS = [("North", 1), ("N*", 2), ("Nest", 4), ("?", 8), ("x", 16), ("=x", 32),
                 ("<m", 64), ("x~?", 128), ("x?", 256), (">y", 512)]
# Per row: step 1's total and step 2's count. A name counts as its group's first row only where
# step 2 gives 1; other names get no summary line at all.
CRITERIA_STEPS_1_AND_2 = [
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
CRITERIA_LINES = [("North", 1), ("Nest", 4), ("?", 24), ("x", 16), ("=x", 16), ("x?", 256)]

BLANK_ROWS = [("North", 1), (None, 2), ("South", 4), (None, 8), ("North", 16)]
# A blank row reads as 0 in steps 1, 2 and 5 and never counts as a group's first row; its value
# is in no total.
BLANK_HELPERS = [
    (17, 1, 17, 1, "North", 17),
    (0, 0, "", 1, 0, ""),
    (4, 1, 4, 2, "South", 4),
    (0, 0, "", 2, 0, ""),
    (17, 2, "", 2, "North", ""),
]


def blank_summary(table):
    """The summary of BLANK_ROWS."""
    return [(1, table.caption("North"), 17), (2, table.caption("South"), 4),
            (3, ERROR, ERROR), (4, ERROR, ERROR), (5, ERROR, ERROR)]
