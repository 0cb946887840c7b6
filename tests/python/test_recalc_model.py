"""Random edit sequences on a small sheet, checked against a plain model of recalculation.

The model keeps the sheet's maps as insertion-ordered dicts and recalculates exactly as the rules
say, with no caching: passes until the spill regions stop changing (at most four), a used
extent, clearing of the last pass's spills, references to spilled cells counted as references to
their anchor, a first-in first-out order in which the cells that one cell releases come in
cell-list order, literals and typed values before formulas, and the placement of results with
its blocking rules. It understands a small formula language (SEQUENCE, COUNT over ranges and
whole columns, cell and spill references, named definitions), enough to make spills grow,
shrink, compete and form loops.

After every edit the values (in their order, as text and typed), the cycle error, the spill
regions and owners, the pins and the names of the real sheet must equal the model's. The engine
keeps parses, orderings and literal values between recalculations; these sequences are where a
stale one would show. Big sheets add thousands of cells at a time, so that the sheet frees the
records of unused cells and hands their ids to new ones, several times over.
"""

import random
import re

import pytest

import orvel

COLUMNS = "ABCD"
ROWS = 6
NAMES = ("NA", "NB")


class Error:
    def __init__(self, text):
        self.text = text


def column_number(letter):
    return ord(letter) - 64


def member_id(anchor, r, c):
    return f"{chr(ord(anchor[0]) + c)}{int(anchor[1:]) + r}"


def parse(text):
    patterns = [
        (r"=SEQUENCE\((\d+),(\d+)\)", lambda m: ("sequence", int(m[1]), int(m[2]))),
        (r"=([A-Z]\d+)#", lambda m: ("spill", m[1])),
        (r"=([A-Z]\d+)", lambda m: ("cell", m[1])),
        (r"=SEQUENCE\(1\+COUNT\(([A-Z]\d+):([A-Z]\d+)\)\)", lambda m: ("grow", m[1], m[2])),
        (r"=COUNT\(([A-Z]\d+):([A-Z]\d+)\)", lambda m: ("count", m[1], m[2])),
        (r"=COUNT\(([A-Z]):([A-Z])\)", lambda m: ("columns", m[1], m[2])),
        (r"=(N[AB])", lambda m: ("name", m[1])),
    ]
    for pattern, make in patterns:
        match = re.fullmatch(pattern, text)
        if match:
            return make(match)
    raise AssertionError(f"not in the model's language: {text}")


def literal(text):
    try:
        return int(text)
    except ValueError:
        return text


class Model:
    def __init__(self):
        self.inputs = {}
        self.typed = {}
        self.pins = {}
        self.names = {}
        self.values = {}
        self.spills = {}
        self.owners = {}
        self.arrays = {}

    # --- formulas

    def resolve(self, tree, visiting=()):
        if tree[0] != "name":
            return tree
        name = tree[1]
        if name not in self.names:
            return Error("#NAME?")
        if name in visiting:
            return Error("#CIRCULAR!")
        definition = self.names[name]
        inner = parse(definition) if definition.startswith("=") else ("literal", literal(definition))
        return self.resolve(inner, visiting + (name,))

    def tree(self, cell):
        return self.resolve(parse(self.inputs[cell]))

    @staticmethod
    def rectangle(first, last):
        (c1, r1), (c2, r2) = first, last
        return [
            f"{chr(64 + c)}{r}"
            for r in range(min(r1, r2), max(r1, r2) + 1)
            for c in range(min(c1, c2), max(c1, c2) + 1)
        ]

    def reads(self, tree, max_row):
        if isinstance(tree, Error) or tree[0] in ("literal", "sequence"):
            return []
        kind = tree[0]
        if kind in ("cell", "spill"):
            return [tree[1]]
        if kind == "columns":
            return self.rectangle((column_number(tree[1]), 1), (column_number(tree[2]), max_row))
        first, last = tree[1], tree[2]
        return self.rectangle(
            (column_number(first[0]), int(first[1:])), (column_number(last[0]), int(last[1:]))
        )

    def evaluate(self, tree, max_row):
        if isinstance(tree, Error):
            return tree
        kind = tree[0]
        if kind == "literal":
            return [[tree[1]]]
        if kind == "sequence":
            rows, cols = tree[1], tree[2]
            return [[r * cols + c + 1 for c in range(cols)] for r in range(rows)]
        if kind == "cell":
            return [[self.values.get(tree[1])]]
        if kind == "spill":
            array = self.arrays.get(tree[1])
            return Error("#REF!") if array is None else [row[:] for row in array]
        numbers = sum(
            1 for cell in self.reads(tree, max_row) if type(self.values.get(cell)) is int
        )
        if kind == "grow":
            return [[i + 1] for i in range(1 + numbers)]
        return [[numbers]]

    # --- one pass

    def is_formula(self, cell):
        return cell not in self.typed and self.inputs[cell].startswith("=")

    def place(self, anchor, array):
        rows, cols = len(array), len(array[0])
        if rows == 1 and cols == 1:
            self.values[anchor] = array[0][0]
            return
        for r in range(rows):
            for c in range(cols):
                member = member_id(anchor, r, c)
                if (r, c) == (0, 0):
                    continue
                if self.inputs.get(member, "") != "" or self.owners.get(member, anchor) != anchor:
                    self.values[anchor] = Error("#SPILL!")
                    return
        for r in range(rows):
            for c in range(cols):
                member = member_id(anchor, r, c)
                self.values[member] = array[r][c]
                self.owners[member] = anchor
        self.spills[anchor] = (rows, cols)
        self.arrays[anchor] = array

    def order(self, cells, max_row, previous_owners, redirect):
        reads, redirected = {}, False
        for cell in cells:
            if cell in self.pins or not self.is_formula(cell):
                continue
            read = []
            for target in self.reads(self.tree(cell), max_row):
                anchor = previous_owners.get(target, target) if redirect else target
                redirected |= anchor != target
                read.append(anchor)
            reads[cell] = read
        waiting = {cell: 0 for cell in cells}
        released = {}
        for cell in cells:
            for target in reads.get(cell, []):
                if target in self.inputs or target in self.pins:
                    waiting[cell] += 1
                    released.setdefault(target, []).append(cell)
        order = [cell for cell in cells if waiting[cell] == 0]
        for cell in order:
            for dependent in released.get(cell, []):
                waiting[dependent] -= 1
                if waiting[dependent] == 0:
                    order.append(dependent)
        ordered = set(order)
        left_out = sorted(cell for cell in cells if cell not in ordered)
        return order, left_out, redirected

    def run_pass(self, first):
        max_row = max([1] + [int(c[1:]) for c in self.inputs] +
                      [int(c[1:]) + len(rows) - 1 for c, rows in self.pins.items()])
        for cell in self.owners:
            if cell not in self.inputs:
                self.values.pop(cell, None)
        previous_owners, self.owners, self.spills, self.arrays = self.owners, {}, {}, {}
        cells = list(self.inputs) + [c for c in self.pins if c not in self.inputs]
        order, left_out, redirected = self.order(cells, max_row, previous_owners, True)
        # A loop made only by last time's spills is no loop: order once more without them.
        without_redirects = bool(left_out and first and redirected)
        if without_redirects:
            order, left_out, _ = self.order(cells, max_row, previous_owners, False)
        if left_out:
            return left_out, without_redirects
        for cell in order:
            if cell in self.pins:
                continue
            if cell in self.typed:
                self.values[cell] = self.typed[cell]
            elif not self.inputs[cell].startswith("="):
                self.values[cell] = literal(self.inputs[cell])
        for cell in order:
            if cell in self.pins:
                self.place(cell, [row[:] for row in self.pins[cell]])
            elif self.is_formula(cell):
                result = self.evaluate(self.tree(cell), max_row)
                if isinstance(result, Error):
                    self.values[cell] = result
                else:
                    self.place(cell, result)
        return None, without_redirects

    def recalculate(self):
        snapshot = dict(self.spills)
        for number in range(1, 5):
            left_out, without_redirects = self.run_pass(number == 1)
            if left_out:
                return "#CIRCULAR! Cycle detected involving: " + ", ".join(left_out)
            # A pass ordered without the last spills is never the last one.
            if self.spills == snapshot and not without_redirects:
                break
            snapshot = dict(self.spills)
        return None

    # --- edits

    def set_cells(self, pairs):
        for cell, text in pairs:
            self.typed.pop(cell, None)
            if text:
                self.inputs[cell] = text
            else:
                self.inputs.pop(cell, None)
                self.values.pop(cell, None)
        return self.recalculate()

    def set_typed(self, cell, value, text):
        self.typed[cell] = value
        self.inputs[cell] = text
        return self.recalculate()

    def set_name(self, name, definition):
        self.names[name] = definition
        return self.recalculate()

    def remove_name(self, name):
        self.names.pop(name, None)
        return self.recalculate()

    def pin(self, cell, rows):
        self.pins[cell] = rows
        self.recalculate()

    def unpin(self, cell):
        if cell in self.pins:
            del self.pins[cell]
            if cell not in self.inputs:
                self.values.pop(cell, None)
            self.recalculate()


def shown(value):
    if value is None:
        return None
    return value.text if isinstance(value, Error) else str(value)


def random_cell(rng):
    return f"{rng.choice(COLUMNS)}{rng.randrange(1, ROWS + 1)}"


def random_text(rng):
    pick = rng.randrange(11)
    if pick == 0:
        return str(rng.randrange(1, 9))
    if pick == 1:
        return "x"
    if pick == 2:
        return ""
    if pick == 3:
        return f"=SEQUENCE({rng.randrange(1, 4)},{rng.randrange(1, 3)})"
    if pick == 4:
        return f"={random_cell(rng)}"
    if pick == 5:
        return f"={random_cell(rng)}#"
    if pick in (6, 7):
        return f"=SEQUENCE(1+COUNT({random_cell(rng)}:{random_cell(rng)}))"
    if pick == 8:
        return f"=COUNT({random_cell(rng)}:{random_cell(rng)})"
    if pick == 9:
        return "=" + rng.choice(NAMES)
    column = rng.choice(COLUMNS)
    return f"=COUNT({column}:{column})"


def outcome(call):
    try:
        call()
    except ValueError as error:
        return str(error)
    return None


def random_edit(rng, model, sheet):
    """Makes one edit on both; returns (description, the model's error, the sheet's error)."""
    pick = rng.randrange(12)
    if pick < 6:
        pairs = [(random_cell(rng), random_text(rng)) for _ in range(rng.randrange(1, 4))]
        return pairs, model.set_cells(pairs), outcome(lambda: sheet.set_cells(pairs))
    if pick == 6:
        cell, number = random_cell(rng), rng.randrange(1, 9)
        payload = {"kind": "number", "value": number}
        return (
            (cell, payload),
            model.set_typed(cell, number, str(number)),
            outcome(lambda: sheet.set_cells_typed([(cell, payload)])),
        )
    if pick == 7:
        cell, payload = random_cell(rng), {"kind": "string", "value": ""}
        return (
            (cell, payload),
            model.set_typed(cell, "", ""),
            outcome(lambda: sheet.set_cells_typed([(cell, payload)])),
        )
    if pick == 8:
        name = rng.choice(NAMES)
        definition = rng.choice([random_text(rng), "=NA", "=NB", "7", "x"])
        return (
            ("name", name, definition),
            model.set_name(name, definition),
            outcome(lambda: sheet.set_name(name, definition)),
        )
    if pick == 9:
        name = rng.choice(NAMES)
        return ("remove", name), model.remove_name(name), outcome(lambda: sheet.remove_name(name))
    if pick == 10:
        cell, width = random_cell(rng), rng.randrange(1, 3)
        rows = [[f"p{r}{c}" for c in range(width)] for r in range(rng.randrange(1, 3))]
        model.pin(cell, rows)
        sheet.pin_value(cell, rows)
        return ("pin", cell, rows), None, None
    cell = rng.choice(list(model.pins) or [random_cell(rng)])
    model.unpin(cell)
    sheet.unpin_value(cell)
    return ("unpin", cell), None, None


def differences(model, sheet):
    """Everything observable: values in their order and typed, spills, owners, pins, names."""
    found = []
    expected = [(cell, shown(v)) for cell, v in model.values.items() if shown(v) not in (None, "")]
    actual = [(cell, v) for cell, v in sheet.get_all().items() if v != ""]
    if expected != actual:
        found.append(("values", expected, actual))
    typed = {c: shown(v) if isinstance(v, Error) else v for c, v in model.values.items()}
    typed = {cell: value for cell, value in typed.items() if value is not None}
    if sheet.get_all_typed() != typed:
        found.append("typed values")
    grid = [f"{c}{r}" for c in COLUMNS for r in range(1, ROWS + 1)]
    for cell in set(grid) | model.spills.keys() | model.owners.keys():
        region = sheet.spill_at(cell)
        if (region and (region["rows"], region["cols"])) != model.spills.get(cell):
            found.append(("spill", cell, model.spills.get(cell), region))
        if sheet.owner_of(cell) != model.owners.get(cell):
            found.append(("owner", cell, model.owners.get(cell), sheet.owner_of(cell)))
    if sheet.pinned_cells() != sorted(model.pins) or sheet.names() != model.names:
        found.append(("pins and names", sheet.pinned_cells(), sheet.names()))
    return found


def check_edits(seed, count, edit, break_loops=False):
    rng = random.Random(seed)
    model, sheet, edits = Model(), orvel.Sheet(), []
    for _ in range(count):
        description, expected_error, error = edit(rng, model, sheet)
        edits.append(description)
        if expected_error != error:
            found = [("error", expected_error, error)]
        else:
            found = differences(model, sheet)
        assert not found, (seed, edits, found)
        if error and error.startswith("#CIRCULAR!") and break_loops:
            # A big sheet with a loop recalculates nothing: break the loop at once.
            pairs = [(cell, "") for cell in error.split(": ")[1].split(", ")]
            edits.append(pairs)
            assert model.set_cells(pairs) == outcome(lambda: sheet.set_cells(pairs)), edits


@pytest.mark.parametrize("block", range(20))
def test_sheet_recalculates_as_the_model_does(block):
    for seed in range(block * 60, block * 60 + 60):
        check_edits(seed, 30, random_edit)


# ---- big sheets: records of unused cells freed, their ids handed to new cells ----------------

BULK_COLUMNS = "EFGH"


def bulk_edit(rng, model, sheet):
    """Thousands of cells filled, cleared or spilled over: enough records come and go for the
    sheet to free those of unused cells and reuse their ids."""
    column, first = rng.choice(BULK_COLUMNS), rng.randrange(1, 40)
    block = [f"{column}{first + i}" for i in range(rng.choice([600, 3000, 5000]))]
    pick = rng.randrange(4)
    if pick == 0:
        pairs = [(cell, rng.choice(["", str(i), "x"])) for i, cell in enumerate(block)]
    elif pick == 1:
        pairs = [(cell, "") for cell in block]
    elif pick == 2:
        pairs = [(block[0], f"=SEQUENCE({len(block)},1)")]
    else:  # cells that come and go within one change
        pairs = [(cell, "1") for cell in block] + [(cell, "") for cell in block]
    return (pairs[0], len(pairs)), model.set_cells(pairs), outcome(lambda: sheet.set_cells(pairs))


def big_edit(rng, model, sheet):
    pick = rng.randrange(8)
    if pick < 2:
        return bulk_edit(rng, model, sheet)
    if pick > 3:
        return random_edit(rng, model, sheet)
    cell = f"{rng.choice(BULK_COLUMNS)}{rng.randrange(1, 5000)}"
    if pick == 3:
        rows = [["q"] * rng.randrange(1, 3)]
        model.pin(cell, rows)
        sheet.pin_value(cell, rows)
        return ("pin", cell, rows), None, None
    text = rng.choice([f"={cell}", f"={cell}#", f"=COUNT({cell[0]}1:{cell})"])
    pairs = [(random_cell(rng), text)]
    return pairs, model.set_cells(pairs), outcome(lambda: sheet.set_cells(pairs))


@pytest.mark.parametrize("seed", range(4))
def test_big_sheets_recalculate_as_the_model_does(seed):
    check_edits(seed, 40, big_edit, break_loops=True)
