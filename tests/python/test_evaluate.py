"""One-shot evaluation: no sheet, every cell Empty, built-in functions only."""

import pytest

import orvel

RESULTS = [
    ("", None),
    ("hello", "hello"),
    ("1e3", "1000"),
    ("=1+2", "3"),
    ("true", "TRUE"),
    ("=A1", None),
    ("=A1#", "#REF!"),
    ("={1,2}/0", "#DIV/0!"),
    ("=0.1+0.2", "0.30000000000000004"),
    ('="a"&"b"', "ab"),
    ("=SUM(A:A)", "-0"),
    ('="a\x00b"', "a\x00b"),
    # A literal of 501 digits is 1e500 however its exponent points: beyond the double range.
    ("=" + "9" * 501 + "*1", "inf"),
    ("1" + "0" * 500 + "e-50", "1" + "0" * 500 + "e-50"),
    ("1" + "0" * 500 + "e-480", "100000000000000000000"),
]


@pytest.mark.parametrize("formula,expected", RESULTS)
def test_evaluate_gives_display_text_or_none(formula, expected):
    assert orvel.evaluate(formula) == expected


def test_a_one_cell_error_is_a_failure():
    with pytest.raises(ValueError) as caught:
        orvel.evaluate("=1/0")
    assert str(caught.value) == "#DIV/0!"


def test_a_parse_failure_raises_the_parsers_message():
    with pytest.raises(ValueError) as caught:
        orvel.evaluate("=1+")
    assert str(caught.value)


def test_custom_functions_of_sheets_are_unknown_to_evaluate():
    sheet = orvel.Sheet()
    sheet.register_function("DOUBLE", lambda args: args[0] * 2)
    with pytest.raises(ValueError) as caught:
        orvel.evaluate("=DOUBLE(2)")
    assert str(caught.value) == "#NAME?"


def test_keyword_argument():
    assert orvel.evaluate(formula="=2*3") == "6"


def test_many_calls_leave_no_state():
    for i in range(1000):
        assert orvel.evaluate(f"={i}+1") == str(i + 1)
