"""Operators on single values against a small model of their rules.

The model below is written from the language's rules, not from the engine: the numeric and text
views of values, the seven binary operators (arithmetic never propagates an error; "+" joins the
texts when a side has no number), the ordering of comparisons, signs, and the display of numbers
(shortest round-trip digits, written positionally). Random formulas over number, text, boolean
and empty-cell operands are evaluated three ways: by the model, by `orvel.evaluate` (the tree
walk) and in a sheet cell (which runs such formulas as flattened code). All three must agree.
"""

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
    x = number_view(value) if value[0] != "empty" else None
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
    if node[0] == "compare":
        return 1
    return LEVEL[node[1]]


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
    bits = iter([(parens_seed >> (i % 32)) & 1 == 1 for i in range(10_000)])
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
