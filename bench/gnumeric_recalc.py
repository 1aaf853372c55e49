#!/usr/bin/python3
"""How long Gnumeric takes to recalculate the nine formula columns of both table types, and
whether they give the totals worked out in Python. The .xlsx file is filled as the end-to-end
check fills it (tests/e2e/gnumeric_totals_test.py); the time is that of one `ssconvert --recalc`,
loading and writing included.

Not a test and not part of CI: run it by hand on a quiet machine and copy the figures it prints
into docs/benchmarks.md.

    /usr/bin/python3 bench/gnumeric_recalc.py build/sumquill            # 150, 300 and 600 rows
    /usr/bin/python3 bench/gnumeric_recalc.py build/sumquill 1000 --groups 100

Needs the packages of the spreadsheet checks (scripts/test-packages.txt)."""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402  takes the binary's path off the command line
import gnumeric_totals_test as gnumeric  # noqa: E402
from sheet_tables import (ROWS_PAST_LAST_GROUP, Table, differences, expected,  # noqa: E402
                          random_rows, run_program)


def timed(recalculate, spent):
    def run(source, target):
        started = time.monotonic()
        recalculate(source, target, timeout=3600)
        spent.append(time.monotonic() - started)
    return run


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("rows", nargs="*", type=int, default=[150, 300, 600])
    parser.add_argument("--groups", type=int, default=40)
    arguments = parser.parse_args()
    if not harness.BINARY or gnumeric.SSCONVERT is None:
        sys.exit("usage: gnumeric_recalc.py BINARY [ROWS...]; needs ssconvert (package gnumeric)")
    spent = []
    gnumeric.recalculate = timed(gnumeric.recalculate, spent)
    print("| rows | groups | table type | ssconvert --recalc | totals |")
    print("|---:|---:|---|---:|---|")
    for rows in arguments.rows:
        for table_type in ("libreoffice", "ms excel"):
            table = Table(random_rows(1, rows, arguments.groups), ",", table_type)
            helpers, summary = expected(table)
            groups = len(summary) - ROWS_PAST_LAST_GROUP
            outcome = gnumeric.fill_and_recalculate(table, run_program(table), groups)
            found = differences(outcome, helpers, summary, table)
            print("| %s | %d | %s | %.2f s | %s |" % (
                format(rows, ","), arguments.groups, table_type, spent[-1],
                "agree" if not found else "%d differences" % len(found)), flush=True)


if __name__ == "__main__":
    main()
