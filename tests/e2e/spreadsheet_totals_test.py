"""The nine formulas of a real run, pasted and copied as the report says, give every group's total
in a real spreadsheet, and the limits of SUMIF-based summaries show as users will meet them.

Separator ";" goes in through the office API, which reads formulas with ";". Separator "," is
written into an .xlsx file, copied down by openpyxl's translator (the spreadsheet's own rule for
relative references), and opened and recalculated by the office."""
import os
import tempfile
import time
import unittest

import harness  # first: it takes the binary's path off the command line
import calc_session
from sheet_tables import (BLANK_HELPERS, BLANK_ROWS, CASE_ROWS, CRITERIA_LINES, CRITERIA_ROWS,
                          CRITERIA_STEPS_1_AND_2, ERROR, STEP_4_STRAY, STRAY_ADDED, STRAY_CELLS,
                          STRAY_ROWS, TITLES, WORKED_EXAMPLE_ROWS, Table, blank_summary,
                          check_totals, differences, expected, filled_workbook, paste_plan,
                          random_rows, read_outcome, run_program, step_4_stray_summary,
                          table_blocks)


# --- pasting and copying in the spreadsheet ------------------------------------------------

def build_through_api(office, table, plan):
    document = office.new_sheet()
    for top, values in table_blocks(table):
        document.put_rows(top, [(value,) for value in values])
    for column, first, last, formula in plan:
        document.put_formula("%s%d" % (column, first), formula)
        document.fill_down(column, first, last)
    return document


def build_through_xlsx(office, table, plan, folder):
    path = os.path.join(folder, "table.xlsx")
    filled_workbook(table, plan).save(path)
    return office.open(path)


def fill_and_recalculate(office, table, steps, groups):
    plan = paste_plan(table, steps, groups)
    with tempfile.TemporaryDirectory(prefix="sumquill_sheet_") as folder:
        if table.separator == ";":
            document = build_through_api(office, table, plan)
        else:
            document = build_through_xlsx(office, table, plan, folder)
        with document:
            document.recalculate()
            return read_outcome(document.values, table, groups)


# --- tables --------------------------------------------------------------------------------

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
        return check_totals(self, table,
                            lambda *run: fill_and_recalculate(office, *run), **model)

    def test_every_group_gets_its_total(self):
        for name, table in CASES.items():
            with self.subTest(name):
                self.check(table)


class LimitsOfTheFormulas(unittest.TestCase):
    """What no formula text can fix; README.md tells users how to lay out their table. The
    values wanted are sheet_tables.py's, which gnumeric_totals_test.py asserts too."""

    def outcome(self, table, groups):
        return fill_and_recalculate(office, table, run_program(table), groups)

    def test_ms_excel_form_adds_matching_cells_above_and_below_the_data_rows(self):
        for table_type, added in STRAY_ADDED.items():
            for separator in (",", ";"):
                with self.subTest(table_type=table_type, separator=separator):
                    table = Table(STRAY_ROWS, separator, table_type, start_row=3,
                                  others=STRAY_CELLS)
                    helpers, summary = expected(table, stray=added)
                    found = differences(self.outcome(table, 2), helpers, summary, table)
                    self.assertEqual(found, [])

    def test_a_number_above_the_table_in_the_step_4_column_shifts_the_summary(self):
        for table_type in ("ms excel", "libreoffice"):
            with self.subTest(table_type=table_type):
                table = Table(STRAY_ROWS, ";", table_type, others=STEP_4_STRAY)
                outcome = self.outcome(table, 2)
                self.assertEqual(outcome.summary, step_4_stray_summary(table))

    def test_group_names_match_without_regard_to_case(self):
        table = Table(CASE_ROWS, ";", "libreoffice")
        helpers, summary = expected(table, key=str.casefold)
        self.assertEqual(summary[:2], [(1, "SUMIF(B=North;C)=", 13), (2, "SUMIF(B=South;C)=", 18)])
        found = differences(self.outcome(table, 2), helpers, summary, table)
        self.assertEqual(found, [])

    def test_names_with_wildcards_or_a_leading_comparison_are_read_as_patterns(self):
        lines = CRITERIA_LINES
        for separator, table_type in ((";", "libreoffice"), (",", "ms excel")):
            with self.subTest(separator=separator, table_type=table_type):
                table = Table(CRITERIA_ROWS, separator, table_type)
                outcome = self.outcome(table, len(lines))
                self.assertEqual([(h[0], h[1]) for h in outcome.helpers], CRITERIA_STEPS_1_AND_2)
                self.assertEqual(outcome.summary[:len(lines)],
                                 [(i + 1, table.caption(n), t) for i, (n, t) in enumerate(lines)])
                self.assertEqual(outcome.summary[len(lines)][1:], (ERROR, ERROR))

    def test_a_blank_group_cell_drops_out_of_the_summary(self):
        table = Table(BLANK_ROWS, ";", "libreoffice")
        outcome = self.outcome(table, 2)
        self.assertEqual(outcome.helpers, BLANK_HELPERS)
        self.assertEqual(outcome.summary, blank_summary(table))


if __name__ == "__main__":
    started = time.monotonic()
    try:
        harness.main()
    finally:
        print("spreadsheet checks took %.1f s" % (time.monotonic() - started))
