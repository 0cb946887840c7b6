"""Small helpers for the package tests: write argument cells, evaluate one formula, read it back."""

import orvel


def custom(tag, data):
    return {"type_tag": tag, "data": data}


def typed_payload(value):
    if value is None:
        return {"kind": "empty"}
    if isinstance(value, bool):
        return {"kind": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"kind": "number", "value": value}
    if isinstance(value, str):
        return {"kind": "string", "value": value}
    if isinstance(value, dict):
        return {"kind": "custom", **value}
    raise TypeError(value)


ARG_COLUMNS = "ABCDEFGH"
RESULT_CELL = "Z1"


def calc(sheet, formula, *args):
    """Writes `args` into A1, B1, ... as typed cells, `formula` into Z1, and returns Z1's value.

    Texts go in as typed strings, so a formula sees exactly the text given (no classification,
    no quoting rules of the formula language).
    """
    cells = [(f"{column}1", typed_payload(value)) for column, value in zip(ARG_COLUMNS, args)]
    cells.append((RESULT_CELL, {"kind": "raw", "value": formula}))
    sheet.set_cells_typed(cells)
    return sheet.get_typed(RESULT_CELL)


def shown(sheet, value):
    """The text a value shows where it is rendered (`&`, CONCAT): its handler's display."""
    return calc(sheet, "=CONCAT(A1)", value)


def is_error_value(sheet, cell=RESULT_CELL):
    """True when the cell holds an error value: comparing an error with itself fails with it."""
    sheet.set_cells([("Y1", f"={cell}={cell}")])
    return sheet.get_typed("Y1") is not True


def package_sheet(*packages):
    sheet = orvel.Sheet()
    for package in packages:
        getattr(sheet, f"register_{package}")()
    return sheet
