"""The module functions over formula text as Python sees them: the dicts, lists and integers that
cross, list arguments, and the integer limits at the boundary. The services' rules and their
properties over random formulas are pinned in tests/cpp/core; argument counts and conversion
errors in test_module.py."""

import pytest

import orvel


def test_tokens_and_references_are_dicts_of_character_positions():
    assert orvel.formula_tokens("='é'+1") == [
        {"start": 1, "end": 4, "kind": "string"},
        {"start": 4, "end": 5, "kind": "operator"},
        {"start": 5, "end": 6, "kind": "number"},
    ]
    assert orvel.formula_tokens("A1") == []
    refs = orvel.extract_refs("='é'&A1+B1:C2")
    assert refs == [
        {"start": 5, "end": 7, "text": "A1", "kind": "cell", "cells": ["A1"]},
        {"start": 8, "end": 13, "text": "B1:C2", "kind": "range",
         "cells": ["B1", "C1", "B2", "C2"]},
    ]  # fmt: skip
    assert list(orvel.formula_tokens("=1")[0]) == ["start", "end", "kind"]
    assert list(refs[0]) == ["start", "end", "text", "kind", "cells"]


def test_index_lists_may_be_tuples_none_missing_or_keywords():
    assert orvel.adjust_refs_for_deletion("=C1", (1,), None) == "=B1"
    assert orvel.adjust_refs_for_deletion("=B2", deleted_rows=[0]) == "=B1"
    assert orvel.rewrite_refs_for_deletion("=B1", deleted_cols=[1]) == "=#REF!"
    assert orvel.adjust_refs_for_insertion("=B2") == "=B2"
    assert orvel.adjust_refs_for_insertion("=B2", None, None) == "=B2"
    assert orvel.adjust_refs_for_insertion("=B2", inserted_rows=[0]) == "=B3"
    assert orvel.adjust_refs_for_insertion("=B2", [0, 5], [1]) == "=C3"


def test_an_index_that_empties_its_own_list_is_read_safely():
    cols = []

    class Shrinking:
        def __index__(self):
            cols.clear()
            return 1

    cols.extend([Shrinking(), 2, 3])
    assert orvel.adjust_refs_for_insertion("=A1+D1", cols) == "=A1+G1"


def test_block_moves_and_shifts_take_their_arguments_in_order():
    # Rows (columns) 0 and 1 move to start at 3; a range follows them only with its data.
    rows, cols = "=A1+A2+A3+A4+A5+A6+A1:A2", "=A1+B1+C1+D1+E1+F1+A1:B1"
    assert orvel.adjust_refs_for_row_block_move(rows, 0, 1, 3) == "=A4+A5+A1+A2+A3+A6+A1:A2"
    assert orvel.adjust_refs_for_column_block_move(cols, 0, 1, 3) == "=D1+E1+A1+B1+C1+F1+A1:B1"
    assert orvel.adjust_refs_for_row_block_move_data_following("=A1:A2", 0, 1, 3) == "=A4:A5"
    assert orvel.adjust_refs_for_column_block_move_data_following("=A1:B1", 0, 1, 3) == "=D1:E1"
    assert orvel.shift_formula_refs("=B2", -1, 2, 100, 100) == "=D1"
    assert orvel.shift_formula_refs("=A1", -1, 0, 100, 100) == "=#REF!"
    # max_row and max_col count rows and columns: one past the last is off the grid.
    assert orvel.shift_formula_refs("=A1", 1, 0, 2, 1) == "=A2"
    assert orvel.shift_formula_refs("=A1", 1, 0, 1, 100) == "=#REF!"
    assert orvel.shift_formula_refs("=A1", 0, 1, 100, 1) == "=#REF!"


def test_integers_are_taken_up_to_their_limits():
    top, low, high = 2**32 - 1, -(2**31), 2**31 - 1
    assert orvel.index_to_col(top) == "MWLQKWU"
    assert orvel.cell_id(top, top) == "MWLQKWU4294967296"
    assert orvel.shift_formula_refs("=B2", high, low, top, top) == "=#REF!"
    assert orvel.shift_formula_refs("=B2", low, high, top, top) == "=#REF!"
    assert orvel.adjust_refs_for_insertion("=A1", [top], [top]) == "=A1"
    assert orvel.adjust_refs_for_row_block_move("=A1", top, top, top) == "=A1"


def test_parse_range_gives_its_keys_in_order():
    parsed = orvel.parse_range("A1:D5")
    assert list(parsed) == ["start", "end_col", "end_row", "unbounded", "normalized"]
    assert parsed == {
        "start": {"row": 0, "col": 0}, "end_col": 3, "end_row": 4, "unbounded": False,
        "normalized": "A1:D5",
    }  # fmt: skip
    parsed = orvel.parse_range("b2:c")
    assert (parsed["end_row"], parsed["unbounded"], parsed["normalized"]) == (None, True, "B2:C")
    assert orvel.is_unbounded_range("B2:C") is True
    assert orvel.is_unbounded_range("garbage!") is orvel.is_unbounded_range("") is False


def test_cell_ids_and_column_letters():
    assert orvel.parse_cell_id("B12") == {"row": 11, "col": 1}
    assert list(orvel.parse_cell_id("B12")) == ["row", "col"]
    assert orvel.cell_id(11, 1) == "B12" and orvel.cell_id(0, 26) == "AA1"
    assert orvel.col_to_index("aa") == 26 and orvel.index_to_col(26) == "AA"


@pytest.mark.parametrize(
    "call,message",
    [
        (lambda: orvel.parse_range("?"),
         "UnknownShape: input does not match any supported range form"),
        (lambda: orvel.col_to_index("A1"), 'InvalidColumn: "A1"'),
        (lambda: orvel.parse_cell_id("A0"), 'InvalidRow: "0"'),
    ],
    ids=["parse_range", "col_to_index", "parse_cell_id"],
)  # fmt: skip
def test_unreadable_notation_is_a_value_error(call, message):
    with pytest.raises(ValueError) as caught:
        call()
    assert str(caught.value) == message
