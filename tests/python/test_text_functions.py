"""The module functions over formula text: tokens, references, rewriting, A1 notation."""

import string

import pytest
from hypothesis import given, settings, strategies as st

import orvel


# The services' rules are pinned in tests/cpp/core; here the dicts, lists and integers that
# cross into Python, and the properties again through the module's functions.
class TestFormulaTokens:
    def test_tokens_are_dicts_of_character_positions(self):
        assert orvel.formula_tokens("='é'+1") == [
            {"start": 1, "end": 4, "kind": "string"},
            {"start": 4, "end": 5, "kind": "operator"},
            {"start": 5, "end": 6, "kind": "number"},
        ]
        assert orvel.formula_tokens("A1") == []


class TestExtractRefs:
    def test_each_occurrence_is_one_dict(self):
        assert orvel.extract_refs("=A1+B1:C2") == [
            {"start": 1, "end": 3, "text": "A1", "kind": "cell", "cells": ["A1"]},
            {"start": 4, "end": 9, "text": "B1:C2", "kind": "range",
             "cells": ["B1", "C1", "B2", "C2"]},
        ]  # fmt: skip


class TestRewriting:
    def test_index_lists_accept_tuples_like_lists(self):
        assert orvel.adjust_refs_for_deletion("=C1", (1, 2)) == orvel.adjust_refs_for_deletion(
            "=C1", [1, 2]
        )

    def test_missing_and_none_lists_are_empty(self):
        assert orvel.adjust_refs_for_insertion("=B2") == "=B2"
        assert orvel.adjust_refs_for_insertion("=B2", None, None) == "=B2"
        assert orvel.adjust_refs_for_insertion("=B2", inserted_rows=[0]) == "=B3"

    def test_deletion_keywords(self):
        assert orvel.rewrite_refs_for_deletion("=B1", deleted_cols=[1]) == "=#REF!"
        assert orvel.adjust_refs_for_deletion("=B2", deleted_rows=[0]) == "=B1"

    def test_block_moves(self):
        assert orvel.adjust_refs_for_row_block_move("=A1", 0, 0, 2) == "=A3"
        assert orvel.adjust_refs_for_column_block_move("=A1", 0, 0, 2) == "=C1"

    def test_shift_accepts_negative_deltas(self):
        assert orvel.shift_formula_refs("=B2", -1, -1, 100, 100) == "=A1"
        assert orvel.shift_formula_refs("=A1", -1, 0, 100, 100) == "=#REF!"


class TestA1Notation:
    def test_parse_range(self):
        assert orvel.parse_range("A1:D5") == {
            "start": {"row": 0, "col": 0},
            "end_col": 3,
            "end_row": 4,
            "unbounded": False,
            "normalized": "A1:D5",
        }
        assert list(orvel.parse_range("A1:D5")) == [
            "start", "end_col", "end_row", "unbounded", "normalized"
        ]

    def test_range_open_downward_is_unbounded(self):
        parsed = orvel.parse_range("B2:C")
        assert parsed["end_row"] is None and parsed["unbounded"] is True
        assert orvel.is_unbounded_range("B2:C") is True

    def test_parse_range_errors_are_value_errors(self):
        with pytest.raises(ValueError) as caught:
            orvel.parse_range("?")
        assert str(caught.value) == "UnknownShape: input does not match any supported range form"

    def test_is_unbounded_range_never_raises(self):
        assert orvel.is_unbounded_range("") is False
        assert orvel.is_unbounded_range("garbage!") is False

    def test_cell_ids(self):
        assert orvel.parse_cell_id("B12") == {"row": 11, "col": 1}
        assert orvel.cell_id(11, 1) == "B12"
        assert orvel.cell_id(0, 26) == "AA1"
        assert orvel.col_to_index("aa") == 26
        assert orvel.index_to_col(26) == "AA"

    def test_col_to_index_refuses_non_letters(self):
        with pytest.raises(ValueError, match='^InvalidColumn: "A1"$'):
            orvel.col_to_index("A1")


# ---- properties on random formulas ----

_atoms = st.sampled_from(
    ["A1", "$B$2", "C3:D4", "A:C", "2:5", "E5#", "1", "2.5", '"x"', "TRUE", "RATE", "Z100"]
)
_operators = st.sampled_from(["+", "-", "*", "/", "&", ">", " + ", ","])


@st.composite
def formulas(draw):
    parts = [draw(_atoms)]
    for _ in range(draw(st.integers(0, 6))):
        parts.append(draw(_operators))
        atom = draw(_atoms)
        if draw(st.booleans()):
            atom = f"SUM({atom})"
        parts.append(atom)
    return "=" + "".join(parts)


_noise = st.text(alphabet=string.printable + "é€", max_size=30)


@settings(max_examples=300, deadline=None)
@given(st.one_of(formulas(), _noise, _noise.map(lambda s: "=" + s)))
def test_token_spans_tile_the_formula_after_the_equals(formula):
    spans = orvel.formula_tokens(formula)
    if not formula.startswith("="):
        assert spans == []
        return
    position = 1
    for span in spans:
        assert span["start"] == position
        assert span["end"] > span["start"]
        position = span["end"]
    assert position == (len(formula) if spans else position)


@settings(max_examples=300, deadline=None)
@given(st.one_of(formulas(), _noise.map(lambda s: "=" + s)))
def test_non_name_reference_text_is_the_formula_slice(formula):
    for ref in orvel.extract_refs(formula):
        if ref["kind"] != "name":
            assert formula[ref["start"]:ref["end"]] == ref["text"]


@settings(max_examples=300, deadline=None)
@given(formulas(), st.lists(st.integers(0, 30), max_size=3), st.lists(st.integers(0, 30), max_size=3))
def test_insert_then_delete_gives_back_the_formula(formula, cols, rows):
    inserted = orvel.adjust_refs_for_insertion(formula, cols, rows)
    if "#REF!" in inserted:
        return
    # Deleting the inserted positions (shifted past each other) undoes the insertion.
    deleted_cols = _inserted_positions(cols)
    deleted_rows = _inserted_positions(rows)
    restored = orvel.adjust_refs_for_deletion(inserted, deleted_cols, deleted_rows)
    assert _without_dollars(restored) == _without_dollars(formula)


def _inserted_positions(indices):
    out = []
    for count, index in enumerate(sorted(indices)):
        out.append(index + count)
    return out


def _without_dollars(text):
    return text.replace("$", "")


@settings(max_examples=300, deadline=None)
@given(formulas(), st.integers(0, 50), st.integers(0, 50))
def test_shift_by_k_then_minus_k_gives_back_the_formula(formula, d_row, d_col):
    shifted = orvel.shift_formula_refs(formula, d_row, d_col, 1_000_000, 16384)
    if "#REF!" in shifted:
        return
    assert orvel.shift_formula_refs(shifted, -d_row, -d_col, 1_000_000, 16384) == formula


@settings(max_examples=200, deadline=None)
@given(st.text(max_size=40), st.integers(0, 2**32 - 1), st.integers(0, 2**32 - 1),
       st.integers(0, 2**32 - 1))
def test_services_never_fail_on_any_text(text, a, b, c):
    formula = "=" + text
    orvel.formula_tokens(formula)
    orvel.extract_refs(formula)
    orvel.adjust_refs_for_row_block_move(formula, a, b, c)
    orvel.adjust_refs_for_column_block_move_data_following(formula, a, b, c)
    orvel.shift_formula_refs(formula, 5, -5, a, b)
    orvel.is_unbounded_range(text)


def test_an_index_that_empties_its_own_list_is_read_safely():
    cols = []

    class Shrinking:
        def __index__(self):
            cols.clear()
            return 1

    cols.extend([Shrinking(), 2, 3])
    assert orvel.adjust_refs_for_insertion("=A1+D1", cols) == orvel.adjust_refs_for_insertion(
        "=A1+D1", [1, 2, 3]
    )
