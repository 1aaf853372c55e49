#!/usr/bin/python3
"""How long a spreadsheet takes to recalculate the nine formula columns for a large table, against
a pivot table over the same data, and whether both give the same totals.

Not a test and not part of CI: run it by hand on a quiet machine and copy the figures it prints
into docs/benchmarks.md.

    /usr/bin/python3 bench/calc_recalc.py build/sumquill            # 1,000, 5,000 and 20,000 rows
    /usr/bin/python3 bench/calc_recalc.py build/sumquill 50000 --groups 200

Needs the packages of the spreadsheet check (scripts/test-packages.txt)."""
import argparse
import os
import platform
import random
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import calc_session  # noqa: E402
from report_steps import read_steps  # noqa: E402

import uno  # noqa: E402
from com.sun.star.sheet.DataPilotFieldOrientation import ROW, DATA  # noqa: E402
from com.sun.star.sheet.GeneralFunction import SUM  # noqa: E402

TABLE_TYPE_KEYS = {"libreoffice": b"2\n", "ms excel": b"1\n"}
HEADER_ROW = 1  # the pivot table takes its field names from here
START_ROW = 2


def formula_steps(binary, rows, table_type):
    """The program's nine steps for groups in B, values in C, rows from 2, free area from E."""
    answers = ["B", "C", str(START_ROW)]
    if table_type == "libreoffice":
        answers.append(str(START_ROW + rows - 1))
    answers.append("E")
    keys = (b"1\n2\n3\n" + b"2\n" + TABLE_TYPE_KEYS[table_type] +
            "".join(a + "\n" for a in answers).encode())
    with tempfile.TemporaryDirectory(prefix="sumquill_bench_") as folder:
        subprocess.run([binary], input=keys, cwd=folder, capture_output=True, timeout=60,
                       check=True)
        with open(os.path.join(folder, "qzr_sumif.txt"), "rb") as report:
            return read_steps(report.read())


def table(rows, groups, seed=1):
    rng = random.Random(seed)
    names = ["Group %04d" % n for n in range(1, groups + 1)]
    return [(rng.choice(names), rng.randint(1, 999)) for _ in range(rows)]


def fill(document, data, steps, groups):
    """Table and the nine columns, with automatic calculation off so that only the timed
    recalculation computes them."""
    document.component.enableAutomaticCalculation(False)
    document.put_rows("B%d" % HEADER_ROW, [("Group", "Value")] + data)
    end_row = START_ROW + len(data) - 1
    for step in steps:
        first = step.row if step.down_the_table else end_row + 1
        last = end_row if step.down_the_table else end_row + groups + 1
        document.put_formula("%s%d" % (step.column, first), step.formula)
        document.fill_down(step.column, first, last)
    return end_row


def formula_totals(document, steps, end_row, groups):
    captions = document.values(steps[7].column, end_row + 1, end_row + groups)
    totals = document.values(steps[8].column, end_row + 1, end_row + groups)
    prefix, suffix = "SUMIF(B=", ";C)="
    return {caption[len(prefix):-len(suffix)]: total for caption, total in zip(captions, totals)}


def pivot_totals(document, rows):
    """Builds a pivot table of the sums per group on a second sheet; returns its totals and the
    seconds its creation and a refresh took."""
    sheets = document.component.Sheets
    sheets.insertNewByName("Pivot", 1)
    pilots = sheets.getByIndex(1).getDataPilotTables()
    descriptor = pilots.createDataPilotDescriptor()
    descriptor.setSourceRange(
        document.range("B%d:C%d" % (HEADER_ROW, HEADER_ROW + rows)).RangeAddress)
    fields = descriptor.getDataPilotFields()
    fields.getByIndex(0).Orientation = ROW
    value = fields.getByIndex(1)
    value.Orientation = DATA
    value.Function = SUM
    corner = uno.createUnoStruct("com.sun.star.table.CellAddress")
    corner.Sheet, corner.Column, corner.Row = 1, 0, 0
    started = time.perf_counter()
    pilots.insertNewByName("Totals", corner, descriptor)
    created = time.perf_counter() - started
    pivot = pilots.getByName("Totals")
    started = time.perf_counter()
    pivot.refresh()
    refreshed = time.perf_counter() - started
    area = pivot.getOutputRange()
    block = sheets.getByIndex(1).getCellRangeByPosition(area.StartColumn, area.StartRow,
                                                        area.EndColumn, area.EndRow)
    totals = {row[0]: row[1] for row in block.getDataArray()
              if isinstance(row[0], str) and row[0].startswith("Group ")}
    return totals, created, refreshed


def measure(office, binary, rows, groups, table_type, repeat):
    data = table(rows, groups)
    expected = {}
    for name, value in data:
        expected[name] = expected.get(name, 0) + value
    steps = formula_steps(binary, rows, table_type)
    with office.new_sheet() as document:
        end_row = fill(document, data, steps, len(expected))
        # Other load on the machine only ever adds time, so the fastest of a few runs is the figure.
        recalculated = float("inf")
        for _ in range(repeat):
            started = time.perf_counter()
            document.recalculate()
            recalculated = min(recalculated, time.perf_counter() - started)
        by_formulas = formula_totals(document, steps, end_row, len(expected))
        by_pivot, created, refreshed = pivot_totals(document, rows)
    if not by_formulas == by_pivot == expected:
        raise SystemExit("%d rows, %s: the totals differ" % (rows, table_type))
    return recalculated, created, refreshed


def machine():
    cpu = platform.processor() or platform.machine()
    try:
        with open("/proc/cpuinfo") as info:
            cpu = next(line.split(":", 1)[1].strip() for line in info
                       if line.startswith("model name"))
    except (OSError, StopIteration):
        pass
    office = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "libreoffice-calc-nogui"],
                            capture_output=True, text=True).stdout or "unknown"
    return "%s, %d cores, %s; office package %s" % (cpu, os.cpu_count(), platform.platform(),
                                                     office)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("binary")
    parser.add_argument("rows", type=int, nargs="*", default=[1000, 5000, 20000])
    parser.add_argument("--groups", type=int, default=100)
    parser.add_argument("--table-type", choices=sorted(TABLE_TYPE_KEYS), action="append")
    parser.add_argument("--repeat", type=int, default=2, help="recalculations per table; the "
                        "fastest counts")
    arguments = parser.parse_args()
    binary = os.path.abspath(arguments.binary)
    print(machine())
    print()
    print("| rows | groups | table type | nine columns, full recalculation | pivot table, "
          "created | pivot table, refreshed |")
    print("|---:|---:|---|---:|---:|---:|")
    with calc_session.Office() as office:
        for rows in arguments.rows:
            for table_type in arguments.table_type or ["libreoffice", "ms excel"]:
                recalculated, created, refreshed = measure(office, binary, rows,
                                                           arguments.groups, table_type,
                                                           arguments.repeat)
                print("| %s | %d | %s | %.2f s | %.3f s | %.3f s |" %
                      ("{:,}".format(rows), arguments.groups, table_type, recalculated, created,
                       refreshed), flush=True)
    print()
    print("Totals of the formulas and of the pivot table agree in every run.")


if __name__ == "__main__":
    main()
