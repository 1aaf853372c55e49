"""The nine steps of a run's text report: formula, paste cell or column, how far to copy."""
import re
from dataclasses import dataclass


@dataclass
class Step:
    number: int
    formula: str
    column: str
    row: int  # the paste row of a step on the data rows; None for a step under the table
    down_the_table: bool  # else: from the first free row down until the error


AT_CELL = re.compile(r"Copy formula in cell ([A-Z]+)(-?\d+)\.$")
UNDER_TABLE = re.compile(
    r"Copy formula in column ([A-Z]+) in the firs free row at the end of the table\.$")
DOWN_THE_TABLE = "Then copy formula from these cell by the end of the table."
DOWN_PAST_THE_GROUPS = ("Then copy formula from these cell to the next cells in column until "
                        "formula dos not indicate an error.")


def read_steps(report: bytes):
    """The steps in report order; ValueError when a block does not read as one of the two kinds."""
    lines = report.decode("latin-1").split("\r\n")
    steps = []
    for index, line in enumerate(lines):
        found = re.fullmatch(r"step = (\d+)", line)
        if not found:
            continue
        formula, where, how_far = (lines[index + 2:index + 5] + ["", "", ""])[:3]
        at_cell, under_table = AT_CELL.match(where), UNDER_TABLE.match(where)
        if at_cell and how_far == DOWN_THE_TABLE:
            steps.append(Step(int(found[1]), formula, at_cell[1], int(at_cell[2]), True))
        elif under_table and how_far == DOWN_PAST_THE_GROUPS:
            steps.append(Step(int(found[1]), formula, under_table[1], None, False))
        else:
            raise ValueError("step %s: unreadable instructions %r, %r" % (found[1], where, how_far))
    if [step.number for step in steps] != list(range(1, 10)):
        raise ValueError("steps %s in the report" % [step.number for step in steps])
    return steps
