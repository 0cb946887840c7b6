"""One-shot evaluation: no sheet, every cell Empty, built-in functions only."""

import pytest

import orvel

# The engine's rules are pinned in tests/cpp/core; here what crossing into Python adds: None
# for Empty, NUL kept, failures raised, and the extent of a sheetless evaluation.
RESULTS = [
    ("", None),
    ("=A1", None),
    ("hello", "hello"),
    ("=0.1+0.2", "0.30000000000000004"),
    ('="a\x00b"', "a\x00b"),
    # Whole columns span rows 1 to 1000, whole rows columns A to Z.
    ("=SUM(IF(A:A=0,1,0))+SUM(IF(1:1=0,1,0))/1000", "1000.026"),
    ("=C7#", "#REF!"),
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
    assert str(caught.value) == "Unexpected token: Eof ()"


def test_custom_functions_of_sheets_are_unknown_to_evaluate():
    sheet = orvel.Sheet()
    sheet.register_function("DOUBLE", lambda args: args[0] * 2)
    with pytest.raises(ValueError) as caught:
        orvel.evaluate("=DOUBLE(2)")
    assert str(caught.value) == "#NAME?"
