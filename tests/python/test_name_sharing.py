"""Names used many times in one formula evaluate as the formula with every name written out in
parentheses, and Python callbacks run as often, with the same arguments, in the same order."""

import re

import pytest

import orvel

NAME = re.compile(r'"[^"]*"|\b[A-Z_][A-Z0-9_]*\b')


def written_out(text, names):
    """The formula text with each defined name replaced by its definition, to any depth."""

    def replace(match):
        word = match.group(0)
        if word not in names:
            return word
        return "(" + written_out(names[word][1:], names) + ")"

    return NAME.sub(replace, text)


class Money:
    """Values written "150c" (cents); every callback is logged."""

    type_tag = "money"

    def __init__(self, log):
        self.log = log

    def parse_literal(self, raw):
        self.log.append(("parse", raw))
        return {"type_tag": "money", "data": raw[:-1]} if raw.endswith("c") else None

    def display(self, value):
        self.log.append(("display", value["data"]))
        return value["data"] + " cents"

    def binary_op(self, op, lhs, rhs):
        self.log.append(("op", op, repr(lhs), repr(rhs)))
        if op == "+" and isinstance(lhs, dict) and isinstance(rhs, dict):
            return {"type_tag": "money", "data": str(int(lhs["data"]) + int(rhs["data"]))}
        return None

    def compare(self, op, lhs, rhs):
        self.log.append(("compare", op, repr(lhs), repr(rhs)))
        return None

    def as_number(self, value):
        self.log.append(("number", value["data"]))
        return int(value["data"]) / 100


def logging_sheet():
    log = []
    sheet = orvel.Sheet()
    sheet.register_type(Money(log))

    def counted(args):
        log.append(("F", repr(args)))
        return len(log) % 7 + sum(a for a in args if isinstance(a, (int, float)))

    sheet.register_function("F", counted)
    return sheet, log


INPUTS = [("A1", "3"), ("A2", "150c"), ("A3", "x"), ("B1", "0.5")]
IDS = ["C1", "C2", "C3", "D1", "D2"]

# The engine's sharing rules run against written-out formulas in tests/cpp/core; here the
# callbacks are Python's, which the engine must treat as observable at every use.
CASES = [
    ({"N": "=F(A1)+A2"}, "=N+N*2+LEN(N&A3)"),
    ({"P": "=A2+A2", "Q": "=IF(P<A2,P,F(P))"}, "=Q+P+SUM(Q,B1,P)"),
    ({"S": "=SEQUENCE(2)+F(A1)", "T": "=S&A2"}, "=T&S&F(T)"),
]


@pytest.mark.parametrize("names,formula", CASES)
def test_python_callbacks_run_at_every_use_of_a_name(names, formula):
    named, named_log = logging_sheet()
    plain, plain_log = logging_sheet()
    for name, definition in names.items():
        named.set_name(name, definition)
    plain_formula = "=" + written_out(formula[1:], names)
    del named_log[:]
    for edit in [INPUTS + [("C1", formula)], [("A1", "5")], [("A2", "250c")]]:
        named.set_cells([(cell, formula if cell == "C1" else text) for cell, text in edit])
        plain.set_cells([(cell, plain_formula if cell == "C1" else text) for cell, text in edit])
        assert [named.get(i) for i in IDS] == [plain.get(i) for i in IDS], plain_formula
    assert named_log == plain_log and len(plain_log) > 10, plain_formula


def test_clock_is_read_at_every_use():
    # Merged readings would all be equal; separate ones differ (the clock has nanoseconds).
    sheet = orvel.Sheet()
    sheet.register_datetime()
    sheet.set_name("T", "=UTCNOW()")
    uses = ";".join(["T"] * 200)
    sheet.set_cells([("A1", "=SUM(IF({%s}=T, 1, 0))" % uses)])
    assert sheet.get_typed("A1") < 200
