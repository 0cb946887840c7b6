"""formualizer (Rust core) through its Python API: a Workbook in Ephemeral mode (no undo log),
columns handed over with set_values_batch and set_formulas_batch, evaluate_all after a load and
after each edit, values read with get_value."""

import formualizer as fz

from engines.base import Engine, positioned
from workloads import normalize, split_ref

SHEET = "S"


class Formualizer(Engine):
    how = "Workbook(mode=Ephemeral); set_values_batch/set_formulas_batch per column run; evaluate_all"
    has_spills = True
    tokens_note = "tokenize(formula).tokens(): Token objects"

    def prepare(self, cells):
        """Runs of consecutive rows in one column with the same kind become one batch call."""
        runs = []
        for row, col, value in positioned(cells):
            kind = "formulas" if isinstance(value, str) and value.startswith("=") else "values"
            last = runs[-1] if runs else None
            if last and last[0] == kind and last[2] == col and last[1] + len(last[3]) == row:
                last[3].append([value])
            else:
                runs.append((kind, row, col, [[value]]))
        return runs

    def load(self, runs):
        book = fz.Workbook(mode=fz.WorkbookMode.Ephemeral)
        book.add_sheet(SHEET)
        for kind, row, col, data in runs:
            if kind == "formulas":
                book.set_formulas_batch(SHEET, row, col, data)
            else:
                book.set_values_batch(SHEET, row, col, data)
        book.evaluate_all()
        return book

    def edit(self, book, changes):
        for row, col, content in positioned(changes):
            if isinstance(content, str) and content.startswith("="):
                book.set_formula(SHEET, row, col, content)
            else:
                book.set_value(SHEET, row, col, content)
        book.evaluate_all()

    def read(self, book, ids):
        values = []
        for cell in ids:
            value = book.get_value(SHEET, *split_ref(cell))
            if isinstance(value, dict) and value.get("type") == "Error":
                value = "#" + str(value.get("kind", "")).upper()
            values.append(normalize(value))
        return values

    def tokens(self, formula):
        return fz.tokenize(formula).tokens()

    def references(self, tokens):
        return [t.value.replace("$", "") for t in tokens
                if str(t.token_type) == "Operand" and str(t.subtype) == "Range"]


ENGINE = Formualizer
