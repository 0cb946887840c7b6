"""formulas (pure Python) through its public API: the cells as the dict of
ExcelModel.from_dict (built before the clock starts), calculate() for the first calculation, and
an edit as calculate(inputs=...) with every change so far (the model keeps the loaded values as
its defaults and calculates the whole model again)."""

import formulas

from engines.base import Engine
from workloads import ArrayFormula, normalize

PREFIX = "'[bench.xlsx]S'!"


def plain(value):
    """A Python value from a formulas result (a 1x1 array of numpy or error values)."""
    if hasattr(value, "value"):
        value = value.value
    while hasattr(value, "shape") and value.shape:
        value = value[0]
    if hasattr(value, "item"):
        value = value.item()
    if not isinstance(value, (int, float, str, bool)) and value is not None:
        value = str(value)  # formulas' error values print as "#REF!" and the like
    return value


class Formulas(Engine):
    how = "ExcelModel().from_dict(cells); calculate(); an edit is calculate(inputs=...)"
    has_array_formulas = True
    tokens_note = "Parser().ast(formula)[0]: tokens (with its AST built)"

    def prepare(self, cells):
        model = {}
        for cell, content in cells:
            if isinstance(content, ArrayFormula):
                model[PREFIX + content.target] = "={" + content.formula[1:] + "}"
            else:
                model[PREFIX + cell] = content
        return model

    def load(self, prepared):
        model = formulas.ExcelModel().from_dict(prepared)
        return {"model": model, "inputs": {}, "solution": model.calculate()}

    def edit(self, state, changes):
        for cell, content in changes:
            state["inputs"][PREFIX + cell] = content
        state["solution"] = state["model"].calculate(inputs=dict(state["inputs"]))

    def read(self, state, ids):
        solution = state["solution"]
        return [normalize(plain(solution[PREFIX + cell])) for cell in ids]

    def tokens(self, formula):
        return formulas.Parser().ast(formula)[0]

    def references(self, tokens):
        return [t.name.replace("$", "") for t in tokens if type(t).__name__ == "Range"]


ENGINE = Formulas
