"""orvel through its Python module: one set_cells call per load or edit (every change
recalculates the whole sheet), values read with get_typed."""

import orvel

from engines.base import Engine
from workloads import normalize

REFERENCE_KINDS = {"cell_ref", "range"}


class Orvel(Engine):
    how = "Sheet.set_cells once per load and per edit; get_typed"
    has_spills = True

    def prepare(self, cells):
        return [(cell, str(content)) for cell, content in cells]

    def load(self, prepared):
        sheet = orvel.Sheet()
        sheet.set_cells(prepared)
        return sheet

    def edit(self, sheet, changes):
        sheet.set_cells([(cell, "" if content is None else str(content))
                         for cell, content in changes])

    def read(self, sheet, ids):
        get = sheet.get_typed
        return [normalize(get(cell)) for cell in ids]

    def tokens(self, formula):
        return formula, orvel.formula_tokens(formula)

    def references(self, tokens):
        formula, spans = tokens
        return [formula[t["start"]:t["end"]].replace("$", "") for t in spans
                if t["kind"] in REFERENCE_KINDS]

    def prepare_row_insertion(self, formulas):
        return formulas

    def insert_row(self, formulas, row):
        adjust = orvel.adjust_refs_for_insertion
        inserted = [row - 1]  # the module counts rows from 0
        return [adjust(formula, None, inserted) for formula in formulas]

    def formula_after_insertion(self, rewritten, index, row):
        return rewritten[index - 1]


ENGINE = Orvel
