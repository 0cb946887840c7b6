"""Operators on single values against a small model of their rules.

The model below is written from the language's rules, not from the engine: the numeric and text
views of values, the seven binary operators (arithmetic never propagates an error; "+" joins the
texts when a side has no number), the ordering of comparisons, signs, and the display of numbers
(shortest round-trip digits, written positionally). Random formulas over number, text, boolean
and empty-cell operands are evaluated three ways: by the model, by `orvel.evaluate` (the tree
walk) and in a sheet cell (which runs such formulas as flattened code). All three must agree.
"""

import itertools
import math
import re
from decimal import Decimal

from hypothesis import given, settings, strategies as st

import orvel

# ---- the model ----------------------------------------------------------------------------


class Failure(Exception):
    """An evaluation failure with its error text."""


EMPTY = ("empty", None)

_DECIMAL = re.compile(r"[+-]?(inf|infinity|nan|(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)", re.IGNORECASE)


def read_decimal(text):
    """The whole text as a decimal literal, or None (no blanks, separators or hex)."""
    if not _DECIMAL.fullmatch(text):
        return None
    return float(text)


def show_number(x):
    if math.isnan(x):
        return "NaN"
    if math.isinf(x):
        return "inf" if x > 0 else "-inf"
    # repr gives the shortest digits that read back to x; lay them out without an exponent.
    text = format(Decimal(repr(x)), "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return text


def show(value):
    kind, payload = value
    if kind == "number":
        return show_number(payload)
    if kind == "text":
        return payload
    if kind == "boolean":
        return "TRUE" if payload else "FALSE"
    return ""


def number_view(value):
    kind, payload = value
    if kind == "number":
        return payload
    if kind == "boolean":
        return 1.0 if payload else 0.0
    if kind == "text":
        return read_decimal(payload)
    return None


def _odd_integer(y):
    return math.isfinite(y) and y == math.floor(y) and math.fmod(y, 2) != 0


def c_pow(x, y):
    """IEEE pow, including the cases where Python's math.pow raises."""
    try:
        return math.pow(x, y)
    except OverflowError:
        return -math.inf if x < 0 and _odd_integer(y) else math.inf
    except ValueError:
        if x == 0:  # a pole: zero to a negative power
            return math.copysign(math.inf, x) if _odd_integer(y) else math.inf
        return math.nan  # a negative base to a non-integral power


def c_fmod(x, y):
    try:
        return math.fmod(x, y)
    except ValueError:  # a zero divisor or an infinite dividend
        return math.nan


def arithmetic(op, a, b):
    if op == "+":
        return a + b
    if op == "-":
        return a - b
    if op == "*":
        return a * b
    if op == "/":
        if b == 0:
            raise Failure("#DIV/0!")
        return a / b
    if op == "^":
        return c_pow(a, b)
    return c_fmod(a, b)


def binary(op, left, right):
    if op == "&":
        return ("text", show(left) + show(right))
    a, b = number_view(left), number_view(right)
    if a is not None and b is not None:
        return ("number", arithmetic(op, a, b))
    if op == "+":
        return ("text", show(left) + show(right))
    return EMPTY


def _order_numbers(a, b):
    if a < b:
        return -1
    if a > b:
        return 1
    return 0  # equal, or NaN on either side


def order(left, right):
    """-1, 0 or 1: numbers and booleans before texts; Empty as 0, FALSE or the empty text."""
    lk, rk = left[0], right[0]
    if lk == "empty" and rk == "empty":
        return 0
    left_numeric = rk != "text" if lk == "empty" else lk in ("number", "boolean")
    right_numeric = lk != "text" if rk == "empty" else rk in ("number", "boolean")
    if left_numeric != right_numeric:
        return -1 if left_numeric else 1
    if left_numeric:
        a = 0.0 if lk == "empty" else number_view(left)
        b = 0.0 if rk == "empty" else number_view(right)
        return _order_numbers(a, b)
    a = (left[1] or "").encode()
    b = (right[1] or "").encode()
    return (a > b) - (a < b)


def compare(op, left, right):
    o = order(left, right)
    result = {"=": o == 0, "<>": o != 0, "<": o < 0, "<=": o <= 0, ">": o > 0, ">=": o >= 0}[op]
    return ("boolean", result)


def sign(op, value):
    x = number_view(value)
    if x is None:
        return EMPTY
    return ("number", -x if op == "-" else x)


def model(node):
    tag = node[0]
    if tag == "leaf":
        return node[2]
    if tag == "sign":
        return sign(node[1], model(node[2]))
    left = model(node[2])
    right = model(node[3])
    if tag == "compare":
        return compare(node[1], left, right)
    return binary(node[1], left, right)


def model_outcome(node):
    try:
        value = model(node)
    except Failure as failure:
        return ("fails", str(failure))
    return ("gives", None if value[0] == "empty" else show(value))


# ---- formulas -----------------------------------------------------------------------------

# Looser levels first, as the parser nests them: comparisons, "&", "+ -", "* / %", "^", signs.
LEVEL = {"compare": 1, "&": 2, "+": 3, "-": 3, "*": 4, "/": 4, "%": 4, "^": 5}

NUMBERS = ["0", "1", "2", "3", "7", "10", "0.5", "1.5", "0.1", "100", "1.", ".25", "1000000"]
TEXTS = ["", "a", "ab", "B", "b", "2", " 3", "1e2", "-1.5", "inf", "nan", "TRUE", "\u00e9", "0"]

leaves = st.one_of(
    st.sampled_from(NUMBERS).map(lambda t: ("leaf", t, ("number", float(t)))),
    st.sampled_from(TEXTS).map(lambda t: ("leaf", '"' + t + '"', ("text", t))),
    st.sampled_from(["TRUE", "FALSE"]).map(lambda t: ("leaf", t, ("boolean", t == "TRUE"))),
    st.sampled_from(["B1", "C7", "$D$2"]).map(lambda t: ("leaf", t, EMPTY)),
)


def _extend(children):
    binary_ops = st.sampled_from(["+", "-", "*", "/", "^", "%", "&"])
    compare_ops = st.sampled_from(["=", "<>", "<", "<=", ">", ">="])
    return st.one_of(
        st.tuples(st.just("binary"), binary_ops, children, children),
        st.tuples(st.just("compare"), compare_ops, children, children),
        st.tuples(st.just("sign"), st.sampled_from(["-", "+"]), children),
    )


trees = st.recursive(leaves, _extend, max_leaves=8)


def level(node):
    if node[0] == "leaf":
        return 7
    if node[0] == "sign":
        return 6
    return LEVEL["compare" if node[0] == "compare" else node[1]]


def text_of(node, extra_parens):
    """The formula text, with the parentheses that precedence needs and some that it does not."""
    tag = node[0]
    if tag == "leaf":
        return node[1]

    def wrap(child, needed):
        inner = text_of(child, extra_parens)
        if needed or (child[0] != "leaf" and next(extra_parens)):
            return "(" + inner + ")"
        return inner

    if tag == "sign":
        # A sign binds tighter than every binary operator: a binary operand needs parentheses.
        return node[1] + wrap(node[2], level(node[2]) < 6)
    own = level(node)
    left = wrap(node[2], level(node[2]) < own)
    right = wrap(node[3], level(node[3]) <= own)  # every binary level is left-associative
    return left + node[1] + right


def formula_of(node, parens_seed):
    bits = itertools.cycle([(parens_seed >> i) & 1 == 1 for i in range(32)])
    return "=" + text_of(node, bits)


# ---- the properties -----------------------------------------------------------------------


def evaluate_outcome(formula):
    try:
        return ("gives", orvel.evaluate(formula))
    except ValueError as failure:
        return ("fails", str(failure))


def sheet_outcome(formula):
    sheet = orvel.Sheet()
    sheet.set_cells([("A1", formula)])
    return sheet.get("A1")


@settings(max_examples=1500, deadline=None)
@given(trees, st.integers(0, 2**32 - 1))
def test_single_value_operators_follow_the_rules(tree, parens_seed):
    formula = formula_of(tree, parens_seed)
    expected = model_outcome(tree)
    assert evaluate_outcome(formula) == expected, formula
    # In a sheet cell a failure is the cell's error value.
    assert sheet_outcome(formula) == expected[1], formula


@settings(max_examples=1000, deadline=None)
@given(
    st.one_of(
        st.floats(allow_nan=False, allow_infinity=False),
        st.integers(-(2**80), 2**80).map(float),
        st.integers(-1074, 1023).map(lambda e: math.ldexp(1.0, e)),
    )
)
def test_numbers_display_positionally_and_read_back(x):
    shown = orvel.evaluate(repr(x))
    assert shown == show_number(x)
    assert float(shown) == x
    assert math.copysign(1, float(shown)) == math.copysign(1, x)
    # The display is also a formula that gives the same number back.
    again = orvel.evaluate("=" + shown)
    assert again == shown


# ---- arrays -------------------------------------------------------------------------------

# Cells of the sheet the array formulas run in: two error values and never-written cells.
ERROR_CELLS = [("E1", "=1/0", "#DIV/0!"), ("F1", "=FILTER(1,0)", "#N/A")]

array_leaves = st.one_of(
    leaves.filter(lambda leaf: leaf[2][0] != "empty"),
    st.sampled_from(["-2", "-0.5"]).map(lambda t: ("leaf", t, ("number", float(t)))),
    st.sampled_from(["G9", "H9"]).map(lambda t: ("leaf", t, EMPTY)),
    st.sampled_from(ERROR_CELLS).map(lambda c: ("leaf", c[0], ("error", c[2]))),
)

number_leaves = st.sampled_from(NUMBERS + ["-2"]).map(lambda t: ("leaf", t, ("number", float(t))))
SHAPES = [(1, 1), (1, 2), (2, 1), (2, 2), (1, 3), (3, 1), (3, 3)]


def sheet_with_error_cells(formula):
    """A new sheet holding the error cells and `formula` in A1."""
    sheet = orvel.Sheet()
    sheet.set_cells([(cell, text) for cell, text, _ in ERROR_CELLS] + [("A1", formula)])
    return sheet


@st.composite
def arrays(draw, elements):
    rows, cols = draw(st.sampled_from(SHAPES))
    return [[draw(elements) for _ in range(cols)] for _ in range(rows)]


def array_text(array):
    return "{" + ";".join(",".join(leaf[1] for leaf in row) for row in array) + "}"


def show_any(value):
    return value[1] if value[0] == "error" else show(value)


def element_outcome(op, left, right):
    """The model's value of one element, with errors: arithmetic sees no number in an error,
    "&" and "+" join its text, comparisons give the left error first."""
    try:
        if op in ("=", "<>", "<", "<=", ">", ">="):
            for side in (left, right):
                if side[0] == "error":
                    raise Failure(side[1])
            return ("value", show(compare(op, left, right)))
        value = binary_with_errors(op, left, right)
        return ("value", None if value == EMPTY else show_any(value))
    except Failure as failure:
        return ("error", str(failure))


def binary_with_errors(op, left, right):
    def plain(v):  # an error shows its text and has no number
        return ("text-of-error", v[1]) if v[0] == "error" else v

    l, r = plain(left), plain(right)
    if op == "&" or (op == "+" and (view(l) is None or view(r) is None)):
        return ("text", show_any(left) + show_any(right))
    if view(l) is None or view(r) is None:
        return EMPTY
    return ("number", arithmetic(op, view(l), view(r)))


def view(value):
    return None if value[0] in ("text-of-error", "empty") else number_view(value)


def common(a, b):
    if a == b or b == 1:
        return a
    if a == 1:
        return b
    return None


@settings(max_examples=600, deadline=None)
@given(
    st.sampled_from(["+", "-", "*", "/", "^", "%", "&", "=", "<>", "<", "<=", ">", ">="]),
    st.booleans(),
    st.data(),
)
def test_array_operators_apply_the_element_rule_across_the_broadcast_shape(op, numbers_only, data):
    elements = number_leaves if numbers_only else array_leaves
    left = data.draw(arrays(elements))
    right = data.draw(arrays(elements))
    formula = "=" + array_text(left) + op + array_text(right)
    sheet = sheet_with_error_cells(formula)

    rows = common(len(left), len(right))
    cols = common(len(left[0]), len(right[0]))
    if rows is None or cols is None:
        assert sheet.get("A1") == "#VALUE! incompatible array shapes", formula
        return

    def at(array, i, j):
        return array[0 if len(array) == 1 else i][0 if len(array[0]) == 1 else j][2]

    expected = [
        [element_outcome(op, at(left, i, j), at(right, i, j))[1] for j in range(cols)]
        for i in range(rows)
    ]
    if rows * cols == 1:
        assert sheet.get("A1") == expected[0][0], formula  # None for Empty
    else:
        shown = [["" if cell is None else cell for cell in row] for row in expected]
        assert sheet.get_array("A1") == shown, formula


@settings(max_examples=200, deadline=None)
@given(st.sampled_from(["-", "+"]), st.data())
def test_signs_apply_to_every_element(op, data):
    array = data.draw(arrays(array_leaves))
    sheet = sheet_with_error_cells("=" + op + array_text(array))
    expected = [
        [show(sign(op, leaf[2] if leaf[2][0] != "error" else EMPTY)) for leaf in row]
        for row in array
    ]
    if len(array) * len(array[0]) == 1:
        # A sign gives a number or Empty, never text.
        assert sheet.get("A1") == (expected[0][0] or None)
    else:
        assert sheet.get_array("A1") == expected


# ---- SORT and UNIQUE ----------------------------------------------------------------------

sortable_leaves = st.one_of(
    array_leaves, st.just(("leaf", "-0", ("number", -0.0))), st.just(("leaf", '""', ("text", "")))
)


def sort_key(value):
    """SORT's order: numbers and booleans by value, then texts by bytes, Empty, errors by text."""
    kind, payload = value
    if kind in ("number", "boolean"):
        return (0, float(payload), b"")
    if kind == "text":
        return (1, 0.0, payload.encode())
    if kind == "empty":
        return (2, 0.0, b"")
    return (3, 0.0, payload.encode())


def same_value(a, b):
    """Equality of cell values: same kind; numbers by IEEE equality, the rest by payload."""
    return a[0] == b[0] and a[1] == b[1]


def twin(leaf):
    value = leaf[2][1]
    text = "-0" if value == 0 else f"({leaf[1]}*1)"
    return ("leaf", text, ("number", -0.0 if value == 0 else value))


def sheet_array(formula):
    sheet = sheet_with_error_cells(formula)
    array = sheet.get_array("A1")
    return array if array is not None else [[sheet.get("A1") or ""]]


@settings(max_examples=400, deadline=None)
@given(st.lists(sortable_leaves, min_size=1, max_size=25), st.booleans(), st.booleans())
def test_sort_is_stable_in_both_directions(keys, ascending, numbers_only):
    if numbers_only:
        keys = [k if k[2][0] == "number" else ("leaf", "2", ("number", 2.0)) for k in keys]
    # The second column numbers the rows, so that the order of equal keys shows.
    rows = ";".join(f"{leaf[1]},{i}" for i, leaf in enumerate(keys))
    formula = "=SORT({" + rows + "},1," + ("TRUE" if ascending else "FALSE") + ")"
    order = sorted(range(len(keys)), key=lambda i: sort_key(keys[i][2]), reverse=not ascending)
    expected = [[show_any(keys[i][2]), str(i)] for i in order]
    assert sheet_array(formula) == expected, formula


@settings(max_examples=400, deadline=None)
@given(st.integers(1, 2), st.data())
def test_unique_keeps_the_first_of_equal_rows(cols, data):
    # Few distinct leaves, so that equal rows are common.
    pool = data.draw(st.lists(sortable_leaves, min_size=1, max_size=4))
    # Equal numbers written another way must merge too: 0 with -0, 2 with 2*1.
    pool += [twin(leaf) for leaf in pool if leaf[2][0] == "number"]
    rows = data.draw(
        st.lists(st.lists(st.sampled_from(pool), min_size=cols, max_size=cols), min_size=1,
                 max_size=12)
    )
    formula = "=UNIQUE({" + ";".join(",".join(leaf[1] for leaf in row) for row in rows) + "})"
    kept = []
    for row in rows:
        values = [leaf[2] for leaf in row]
        if not any(all(map(same_value, values, other)) for other in kept):
            kept.append(values)
    expected = [[show_any(v) for v in row] for row in kept]
    assert sheet_array(formula) == expected, formula
