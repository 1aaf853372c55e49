"""The nine formulas of a real run, copied as the report says into an .xlsx file, give every
group's total in Gnumeric too: a second engine with its own SUMIF, COUNTIF and VLOOKUP, beside
the LibreOffice Calc checks of spreadsheet_totals_test.py. The limits of SUMIF-based summaries
that README.md lists are run here once each, as Gnumeric shows them.

ssconvert, Gnumeric's converter, loads the file, recalculates every formula and writes the
values as CSV. Exits with SKIPPED (a skip for CTest) where ssconvert is missing."""
import csv
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import harness  # first: it takes the binary's path off the command line
from sheet_tables import (BLANK_HELPERS, BLANK_ROWS, CASE_ROWS, CRITERIA_LINES, CRITERIA_ROWS,
                          CRITERIA_STEPS_1_AND_2, ERROR, STEP_4_STRAY, STRAY_ADDED, STRAY_CELLS,
                          STRAY_ROWS, TITLES, WORKED_EXAMPLE_ROWS, Table, blank_summary,
                          check_totals, column_number, differences, expected, filled_workbook,
                          paste_plan, random_rows, read_outcome, run_program,
                          step_4_stray_summary)

SKIPPED = harness.SKIPPED
SSCONVERT = shutil.which("ssconvert")

# Gnumeric writes CSV from the top left cell in use, so a mark in A1 pins rows and columns.
ORIGIN_MARK = "origin"
ERRORS = re.compile(r"#N/A|#[A-Z0-9/]+[!?]")  # #N/A, #VALUE!, #REF!, #NAME? and the like


def recalculate(source, target, timeout=120):
    """Has Gnumeric load the .xlsx file source, recalculate it and write its first sheet's
    shown values to the CSV file target."""
    # Numbers as stored rather than as formatted; a fixed locale keeps "." the decimal point;
    # settings in memory keep Gnumeric out of the user's configuration.
    env = dict(os.environ, LC_ALL="C.UTF-8", GSETTINGS_BACKEND="memory")
    done = subprocess.run(
        [SSCONVERT, "--recalc", "--export-type=Gnumeric_stf:stf_assistant",
         "--export-options=format=raw separator=, quoting-mode=auto", source, target],
        stdin=subprocess.DEVNULL, capture_output=True, env=env, timeout=timeout)
    if done.returncode != 0 or not os.path.exists(target):
        raise AssertionError("ssconvert ended with %d\n%s" %
                             (done.returncode, done.stderr.decode("utf-8", "replace")))


def recalculated_grid(book, folder):
    """The first sheet's shown values after Gnumeric recalculated it, as rows of CSV fields
    from A1 on."""
    book.active["A1"] = ORIGIN_MARK
    source, target = os.path.join(folder, "table.xlsx"), os.path.join(folder, "values.csv")
    book.save(source)
    recalculate(source, target)
    with open(target, newline="", encoding="utf-8") as f:
        grid = list(csv.reader(f))
    if not grid or not grid[0] or grid[0][0] != ORIGIN_MARK:
        raise AssertionError("the CSV does not start at A1: %r" % grid[:1])
    return grid


def cell_value(text):
    """A CSV field as the office checks read a cell: number, text, or ERROR. CSV keeps no types,
    so a text that reads as a number would pass for one; no table here has such a name."""
    if ERRORS.fullmatch(text):
        return ERROR
    try:
        return float(text)
    except ValueError:
        return text


def fill_and_recalculate(table, steps, groups):
    used = {table.group_column.upper(), table.data_column.upper(), *table.free_area_columns()}
    if "A" in used:
        raise ValueError("column A holds the origin mark; lay the table out from B on")
    book = filled_workbook(table, paste_plan(table, steps, groups))
    with tempfile.TemporaryDirectory(prefix="sumquill_gnumeric_") as folder:
        grid = recalculated_grid(book, folder)

    def values(column, first_row, last_row):
        index = column_number(column) - 1
        rows = [grid[r - 1] if r - 1 < len(grid) else [] for r in range(first_row, last_row + 1)]
        return [cell_value(row[index]) if index < len(row) else "" for row in rows]

    return read_outcome(values, table, groups)


# --- tables --------------------------------------------------------------------------------

def decimals(rng):
    return round(rng.uniform(-500, 500), 2)


# .xlsx files store formulas with ",", so every case is a "," run; the "libreoffice" form's
# formulas read the same in Gnumeric once stored so.
CASES = {
    "worked example, ms excel": Table(WORKED_EXAMPLE_ROWS),
    "worked example, libreoffice": Table(WORKED_EXAMPLE_ROWS, ",", "libreoffice"),
    "three rows, the first group last again": Table([("South", 3), ("North", 5), ("South", 7)]),
    "one data row": Table([("Solo", 42)]),
    "one group only": Table([("Solo", v) for v in (5, 7, 11, 13)]),
    "one group only, libreoffice": Table([("Solo", v) for v in (5, 7, 11, 13)], ",",
                                         "libreoffice"),
    "groups repeating apart": Table([("A", 1), ("B", 2), ("A", 4), ("C", 8), ("B", 16),
                                     ("A", 32), ("C", 64)]),
    "start row 4 under title rows": Table(random_rows(14, 12, 4), start_row=4, others=TITLES),
    "data left of groups, free area crossing AZ to BA": Table(
        random_rows(13, 15, 4), group_column="AC", data_column="AB", free_column="AV"),
    "negative and decimal values": Table(random_rows(16, 40, 7, decimals)),
    "negative and decimal values, libreoffice": Table(random_rows(16, 40, 7, decimals), ",",
                                                      "libreoffice"),
    "300 rows, 40 groups": Table(random_rows(17, 300, 40)),
    "300 rows, 40 groups, libreoffice": Table(random_rows(17, 300, 40), ",", "libreoffice"),
}


class FormulasInGnumeric(unittest.TestCase):
    maxDiff = None

    def test_every_group_gets_its_total(self):
        for name, table in CASES.items():
            with self.subTest(name):
                check_totals(self, table, fill_and_recalculate)


class LimitsOfTheFormulas(unittest.TestCase):
    """README.md's limits, each run once in Gnumeric against the values that
    spreadsheet_totals_test.py wants from LibreOffice Calc: where these pass, the engines
    agree."""

    def outcome(self, table, groups):
        return fill_and_recalculate(table, run_program(table), groups)

    def test_ms_excel_form_adds_matching_cells_above_and_below_the_data_rows(self):
        for table_type, added in STRAY_ADDED.items():
            with self.subTest(table_type=table_type):
                table = Table(STRAY_ROWS, ",", table_type, start_row=3, others=STRAY_CELLS)
                helpers, summary = expected(table, stray=added)
                found = differences(self.outcome(table, 2), helpers, summary, table)
                self.assertEqual(found, [])

    def test_a_number_above_the_table_in_the_step_4_column_shifts_the_summary(self):
        table = Table(STRAY_ROWS, others=STEP_4_STRAY)
        self.assertEqual(self.outcome(table, 2).summary, step_4_stray_summary(table))

    def test_group_names_match_without_regard_to_case(self):
        table = Table(CASE_ROWS)
        helpers, summary = expected(table, key=str.casefold)
        found = differences(self.outcome(table, 2), helpers, summary, table)
        self.assertEqual(found, [])

    def test_names_with_wildcards_or_a_leading_comparison_are_read_as_patterns(self):
        table = Table(CRITERIA_ROWS)
        outcome = self.outcome(table, len(CRITERIA_LINES))
        self.assertEqual([(h[0], h[1]) for h in outcome.helpers], CRITERIA_STEPS_1_AND_2)
        self.assertEqual(outcome.summary[:len(CRITERIA_LINES)],
                         [(i + 1, table.caption(n), t)
                          for i, (n, t) in enumerate(CRITERIA_LINES)])
        self.assertEqual(outcome.summary[len(CRITERIA_LINES)][1:], (ERROR, ERROR))

    def test_a_blank_group_cell_drops_out_of_the_summary(self):
        # The MS Excel form's criterion is a blank cell against a whole column of blank cells,
        # and still no blank row's value is in a total.
        table = Table(BLANK_ROWS)
        outcome = self.outcome(table, 2)
        self.assertEqual(outcome.helpers, BLANK_HELPERS)
        self.assertEqual(outcome.summary, blank_summary(table))


if __name__ == "__main__":
    if SSCONVERT is None:
        print("SKIPPED: no ssconvert on PATH; Debian's package gnumeric brings it")
        sys.exit(SKIPPED)
    started = time.monotonic()
    try:
        harness.main()
    finally:
        print("Gnumeric checks took %.1f s" % (time.monotonic() - started))
