"""What a workload asks of an engine. Each engine module under bench/engines/ subclasses Engine
and drives one engine through its public Python API only.

Cells are given as (A1 id, content) pairs: content is an int, a text starting with "=" (a
formula), any other text, an ArrayFormula (W4's form for engines without spills) or, in edits,
None to clear the cell.
"""

from workloads import Unsupported, split_ref


def positioned(cells):
    """(row, column, content) for (A1 id, content) pairs: 1-based row and column, an int content
    as a float; for the engines that take cells by position."""
    for cell, content in cells:
        row, col = split_ref(cell)
        yield row, col, float(content) if isinstance(content, int) else content


class Engine:
    # How the engine is driven, shown in the README's notes.
    how = ""
    has_spills = False
    has_array_formulas = False
    no_spills_reason = "no spills"
    tokens_note = ""
    insertion_note = ""

    def version(self):
        """The engine's version when its package metadata does not tell it."""
        return ""

    def prepare(self, cells):
        """The engine's own input for `cells`, built before the clock starts."""
        return cells

    def load(self, prepared):
        """A new model holding the prepared cells, calculated (engines that calculate on demand
        calculate when read)."""
        raise NotImplementedError

    def edit(self, model, changes):
        """Applies (id, content or None) changes and brings the model up to date."""
        raise NotImplementedError

    def read(self, model, ids):
        """The values of the cells, normalized by workloads.normalize."""
        raise NotImplementedError

    def tokens(self, formula):
        raise Unsupported("no tokenizer")

    def references(self, tokens):
        """The reference texts among `tokens`, in order, without "$"."""
        raise Unsupported("no tokenizer")

    def prepare_row_insertion(self, formulas):
        raise Unsupported("no row insertion")

    def fresh_row_insertion(self, setup):
        """What one insertion run works on, made before the clock starts."""
        return setup

    def insert_row(self, target, row):
        """Inserts one row before the 1-based `row`; returns what formula_after_insertion reads."""
        raise Unsupported("no row insertion")

    def formula_after_insertion(self, rewritten, index, row):
        """The text of the index-th formula (1-based) after a row was inserted at `row`."""
        raise NotImplementedError
