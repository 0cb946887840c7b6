"""ixion (C++ core) through Debian's python3-ixion, under the system Python: cells set one by one
(set_numeric_cell / set_formula_cell, formulas without the leading "="), Document.calculate()
after a load and after each edit (it recalculates the modified cells and their dependents),
values read with get_numeric_value."""

import subprocess

import ixion

from engines.base import Engine, positioned
from workloads import normalize, split_ref


class Ixion(Engine):
    how = "Document: set_numeric_cell/set_formula_cell per cell; calculate()"
    no_spills_reason = ("no spills: SEQUENCE is #NAME? and the Python module offers no array "
                        "formulas")

    def version(self):
        query = ["dpkg-query", "-W", "-f=${Version}", "python3-ixion"]
        try:
            return subprocess.run(query, capture_output=True, text=True).stdout.strip()
        except OSError:
            return ""

    def prepare(self, cells):
        prepared = []
        for row, col, content in positioned(cells):
            if isinstance(content, str) and content.startswith("="):
                content = ("formula", content[1:])
            prepared.append((row - 1, col - 1, content))
        return prepared

    def _set(self, sheet, row, col, content):
        if content is None:
            sheet.empty_cell(row, col)
        elif isinstance(content, float):
            sheet.set_numeric_cell(row, col, content)
        elif isinstance(content, tuple):
            sheet.set_formula_cell(row, col, content[1])
        else:
            sheet.set_string_cell(row, col, content)

    def load(self, prepared):
        document = ixion.Document()
        sheet = document.append_sheet("S")
        for row, col, content in prepared:
            self._set(sheet, row, col, content)
        document.calculate()
        return document, sheet

    def edit(self, model, changes):
        document, sheet = model
        for row, col, content in self.prepare(changes):
            self._set(sheet, row, col, content)
        document.calculate()

    def read(self, model, ids):
        # Only numeric results are read: reading a formula cell that holds an error ends the
        # process (an uncaught C++ exception), which the comparison would report as a crash.
        sheet = model[1]
        return [normalize(sheet.get_numeric_value(*(i - 1 for i in split_ref(cell))))
                for cell in ids]


ENGINE = Ixion
