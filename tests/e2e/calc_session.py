"""A headless spreadsheet process of our own, reached over a local pipe, and the few sheet
operations the formula checks need: fill cells, copy a formula down, recalculate, read back."""
import os
import shutil
import signal
import subprocess
import tempfile
import time
import uuid

import uno
from com.sun.star.beans import PropertyValue
from com.sun.star.connection import NoConnectException
from com.sun.star.sheet.FillDirection import TO_BOTTOM
from com.sun.star.sheet.FormulaResult import ERROR

OFFICE = "/usr/lib/libreoffice/program/soffice"


def _props(**values):
    props = []
    for name, value in values.items():
        prop = PropertyValue()
        prop.Name = name
        prop.Value = value
        props.append(prop)
    return tuple(props)


def file_url(path):
    return uno.systemPathToFileUrl(os.path.abspath(path))


class Office:
    """One headless office process with a throw-away profile. A named pipe keeps it off the
    network; its own process group lets us end it, and only it, even if it hangs."""

    def __init__(self, start_timeout=60):
        self.profile = tempfile.mkdtemp(prefix="sumquill_office_")
        pipe = "sumquill_" + uuid.uuid4().hex
        self.process = subprocess.Popen(
            [OFFICE, "--headless", "--invisible", "--nologo", "--norestore", "--nodefault",
             "--nolockcheck", "-env:UserInstallation=" + file_url(self.profile),
             "--accept=pipe,name=%s;urp;" % pipe],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        try:
            self.desktop = self._connect(pipe, start_timeout)
        except BaseException:
            self.close()
            raise

    def _connect(self, pipe, timeout):
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.monotonic() + timeout
        while True:
            try:
                context = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                return context.ServiceManager.createInstanceWithContext(
                    "com.sun.star.frame.Desktop", context)
            except NoConnectException:
                if self.process.poll() is not None or time.monotonic() > deadline:
                    raise RuntimeError("the office process did not come up")
                time.sleep(0.2)

    def new_sheet(self):
        return Document(self.desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0,
                                                          _props(Hidden=True)))

    def open(self, path):
        return Document(self.desktop.loadComponentFromURL(file_url(path), "_blank", 0,
                                                          _props(Hidden=True)))

    def close(self):
        try:
            if getattr(self, "desktop", None) is not None:
                self.desktop.terminate()
        except Exception:
            pass  # the bridge drops while the process exits; that is the expected way out
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Document:
    """A spreadsheet document; cells are addressed by A1 names on its first sheet."""

    def __init__(self, component):
        self.component = component
        self.sheet = component.Sheets.getByIndex(0)

    def close(self):
        self.component.close(True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def range(self, name):
        return self.sheet.getCellRangeByName(name)

    def cell(self, name):
        return self.sheet.getCellRangeByName(name)

    def put_rows(self, top_left, rows):
        """Writes a block of numbers and texts, one tuple a row, from the cell top_left on."""
        first = self.cell(top_left).CellAddress
        block = self.sheet.getCellRangeByPosition(first.Column, first.Row,
                                                  first.Column + len(rows[0]) - 1,
                                                  first.Row + len(rows) - 1)
        block.setDataArray(tuple(tuple(row) for row in rows))

    def put_formula(self, name, formula):
        """Sets a formula in the spreadsheet's own syntax: English names, ";" between arguments."""
        self.cell(name).setFormula(formula)

    def fill_down(self, column, first_row, last_row):
        """Copies the formula of the column's first_row cell down to last_row, references moving
        with the rows as when the user copies it."""
        if last_row > first_row:
            self.range("%s%d:%s%d" % (column, first_row, column, last_row)).fillAuto(TO_BOTTOM, 1)

    def recalculate(self):
        self.component.calculateAll()

    def values(self, column, first_row, last_row):
        """The shown values of a column stretch: numbers as float, texts as str, errors as None."""
        block = self.range("%s%d:%s%d" % (column, first_row, column, last_row))
        result = [value for (value,) in block.getDataArray()]
        top = block.RangeAddress.StartRow
        for errors in block.queryFormulaCells(ERROR).RangeAddresses:
            for row in range(errors.StartRow, errors.EndRow + 1):
                result[row - top] = None
        return result
