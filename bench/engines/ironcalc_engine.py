"""IronCalc (Rust core) through its raw Python API (ironcalc.create): cells set one by one with
update_cell_with_number / _formula / _text, evaluate() after a load and after each edit (it
evaluates the whole workbook), values read with get_cell_value."""

import ironcalc as ic

from engines.base import Engine, positioned
from workloads import normalize, split_ref

SHEET = 0
FORMULA_COLUMN = 7  # G: W5's formulas read columns A to F


class IronCalc(Engine):
    how = "raw Model: update_cell_with_* per cell; evaluate()"
    has_spills = True
    insertion_note = "Model.insert_rows on a sheet holding the formulas in G"

    def prepare(self, cells):
        return list(positioned(cells))

    def _set(self, model, row, col, content):
        if content is None:
            model.clear_cell_contents(SHEET, row, col)
        elif isinstance(content, float):
            model.update_cell_with_number(SHEET, row, col, content)
        elif content.startswith("="):
            model.update_cell_with_formula(SHEET, row, col, content)
        else:
            model.update_cell_with_text(SHEET, row, col, content)

    def load(self, prepared):
        model = ic.create("bench", "en", "UTC")
        for row, col, content in prepared:
            self._set(model, row, col, content)
        model.evaluate()
        return model

    def edit(self, model, changes):
        for row, col, content in positioned(changes):
            self._set(model, row, col, content)
        model.evaluate()

    def read(self, model, ids):
        return [normalize(model.get_cell_value(SHEET, *split_ref(cell))) for cell in ids]

    def prepare_row_insertion(self, formulas):
        return formulas

    def fresh_row_insertion(self, formulas):
        model = ic.create("bench", "en", "UTC")
        for row, formula in enumerate(formulas, start=1):
            model.update_cell_with_formula(SHEET, row, FORMULA_COLUMN, formula)
        return model

    def insert_row(self, model, row):
        model.insert_rows(SHEET, row, 1)
        return model

    def formula_after_insertion(self, model, index, row):
        moved = index if index < row else index + 1
        return model.get_cell_formula(SHEET, moved, FORMULA_COLUMN)


ENGINE = IronCalc
