"""The Sheet class: writing cells, reading them back, names, pins and spills.

The engine's rules are pinned in tests/cpp/core and recalculation against a model in
test_recalc_model.py; here the values, dicts and exceptions a Python program sees."""

import pytest

from test_extensions import numpy_bool


class TestCells:
    def test_values_as_text_and_typed(self, sheet):
        assert sheet.get("Z9") is None and sheet.get_typed("Z9") is None
        assert sheet.get_all() == {} and sheet.get_all_typed() == {}
        sheet.set_cells([("A1", "=B1*2"), ("B1", "21"), ("C1", "=1/0"), ("D1", "x\x00y")])
        assert sheet.get("A1") == "42"
        assert sheet.get_typed("A1") == 42 and type(sheet.get_typed("A1")) is int
        # Error values are returned, not raised.
        assert sheet.get("C1") == sheet.get_typed("C1") == "#DIV/0!"
        assert sheet.get_all() == {"A1": "42", "B1": "21", "C1": "#DIV/0!", "D1": "x\x00y"}

    def test_cycle_raises_and_keeps_the_inputs(self, sheet):
        with pytest.raises(ValueError) as caught:
            sheet.set_cells([("A1", "=B1"), ("B1", "=A1")])
        assert str(caught.value) == "#CIRCULAR! Cycle detected involving: A1, B1"
        sheet.set_cells([("B1", "5")])
        assert sheet.get("A1") == "5"

    @pytest.mark.parametrize(
        "changes,exception,message",
        [
            ("A1", TypeError, "argument 'changes': Can't extract `str` to `Vec`"),
            (5, TypeError, "argument 'changes': expected a sequence, got int"),
            ([["A1", "1"]], TypeError, "argument 'changes': expected tuple, got list"),
            ([("A1",)], TypeError, "argument 'changes': expected a tuple of 2 items, got 1"),
            ([("A1", "1", "2")], TypeError,
             "argument 'changes': expected a tuple of 2 items, got 3"),
            ([("A1", 1)], TypeError, "argument 'changes': expected str, got int"),
            ([(1, "1")], TypeError, "argument 'changes': expected str, got int"),
            ([("A1", "1"), ("A2", "\udc80")], UnicodeEncodeError, None),
        ],
    )
    def test_bad_changes_write_nothing(self, sheet, changes, exception, message):
        with pytest.raises(exception) as caught:
            sheet.set_cells(changes)
        assert message is None or str(caught.value) == message
        assert sheet.get_all() == {}

    def test_any_sequence_of_tuples_is_accepted(self, sheet):
        sheet.set_cells((("A1", "1"), ("A2", "2")))
        sheet.set_cells([])
        assert sheet.get_all() == {"A1": "1", "A2": "2"}


class TestSetCellsTyped:
    def test_every_kind(self, sheet):
        sheet.set_cells([("E1", "5")])
        sheet.set_cells_typed(
            [
                ("A1", {"kind": "raw", "value": "=B1+1"}),
                ("B1", {"kind": "number", "value": 42.5}),
                ("C1", {"kind": "string", "value": "2/4"}),
                ("D1", {"kind": "boolean", "value": True}),
                ("E1", {"kind": "empty", "value": "ignored"}),
                ("F1", {"kind": "custom", "type_tag": "jdate", "data": "2026-04-02"}),
                ("G1", {"kind": "number", "value": True}),
                ("H1", {"kind": "boolean", "value": numpy_bool(False)}),
                ("I1", {"kind": "boolean", "value": numpy_bool(True, "numpy.bool_")}),
                ("J1", {"kind": "string", "value": "x\x00y"}),
            ]
        )
        assert sheet.get_all_typed() == {
            "A1": 43.5, "B1": 42.5, "C1": "2/4", "D1": True,
            "F1": {"type_tag": "jdate", "data": "2026-04-02"},
            "G1": 1, "H1": False, "I1": True, "J1": "x\x00y",
        }  # fmt: skip

    @pytest.mark.parametrize(
        "payload,message",
        [
            ([1], "ValueError: payload must be a dict"),
            ({}, "ValueError: missing key `kind`"),
            ({"kind": 1}, "ValueError: `kind` must be str"),
            ({"kind": "RAW", "value": "x"}, "ValueError: unknown kind `RAW`"),
            ({"kind": "raw"}, "ValueError: raw: missing key `value`"),
            ({"kind": "string", "value": 1}, "ValueError: string: `value` must be str"),
            ({"kind": "string", "value": "\ud800"}, "UnicodeEncodeError: 'utf-8' codec can't "
             "encode character '\\ud800' in position 0: surrogates not allowed"),
            ({"kind": "number"}, "ValueError: number: missing key `value`"),
            ({"kind": "number", "value": "3"}, "ValueError: number: `value` must be numeric"),
            ({"kind": "boolean", "value": 1}, "ValueError: boolean: `value` must be bool"),
            ({"kind": "boolean", "value": numpy_bool(None)},
             "ValueError: boolean: `value` must be bool"),
            ({"kind": "custom", "data": "d"}, "ValueError: custom: missing key `type_tag`"),
            ({"kind": "custom", "type_tag": "t", "data": 5},
             "ValueError: custom: `data` must be str"),
        ],
    )
    def test_a_bad_payload_writes_nothing(self, sheet, payload, message):
        with pytest.raises(ValueError) as caught:
            sheet.set_cells_typed([("A1", {"kind": "number", "value": 1}), ("B2", payload)])
        assert str(caught.value) == "cell B2: " + message
        assert sheet.get_all() == {}

    def test_a_payload_that_empties_the_changes_list_is_read_safely(self, sheet):
        changes = []

        class Shrinking:
            def __float__(self):
                changes.clear()
                return 2.0

        changes.extend([("A1", {"kind": "number", "value": Shrinking()}),
                        ("B1", {"kind": "string", "value": "kept"})])
        sheet.set_cells_typed(changes)
        assert sheet.get_all_typed() == {"A1": 2, "B1": "kept"}


class TestArrays:
    def test_anchor_array_as_text_and_typed(self, sheet):
        sheet.set_cells([("A1", "={1,2;3,4}"), ("D1", "5")])
        assert sheet.get_array("A1") == [["1", "2"], ["3", "4"]]
        assert sheet.get_array_typed("A1") == [[1, 2], [3, 4]]
        assert list(sheet.spill_at("A1").items()) == [("rows", 2), ("cols", 2)]
        assert [sheet.owner_of(cell) for cell in ("B2", "A1", "D1")] == ["A1", "A1", None]
        for cell in ("B1", "D1", "Q9"):
            assert sheet.get_array(cell) is sheet.get_array_typed(cell) is None
            assert sheet.spill_at(cell) is None

    def test_arrays_without_columns(self, sheet):
        sheet.set_cells([("A1", '=SEQUENCE(3, "NaN")'), ("B1", '=SEQUENCE(100000, "NaN")'),
                         ("C1", '=SEQUENCE(4294967295, "NaN")')])
        assert sheet.get_array("A1") == [[], [], []]
        assert len(sheet.get_array_typed("B1")) == 100000
        assert sheet.spill_at("C1") == {"rows": 4294967295, "cols": 0}
        for read in (sheet.get_array, sheet.get_array_typed):
            with pytest.raises(ValueError) as caught:
                read("C1")
            assert str(caught.value) == (
                "array has 4294967295 rows and no columns: "
                "more than 100000 empty rows cannot be listed"
            )


class TestNamesAndPins:
    def test_names(self, sheet):
        sheet.set_name("rate", "0.05")
        sheet.set_name("Base", "=100")
        assert sheet.names() == {"RATE": "0.05", "BASE": "=100"}
        assert sheet.get_name("rate") == "0.05" and sheet.get_name("x") is None
        sheet.set_cells([("A1", "=BASE*RATE")])
        assert sheet.get("A1") == "5"
        sheet.remove_name("RATE")
        sheet.remove_name("never_defined")
        assert sheet.names() == {"BASE": "=100"}
        for name, definition in [("A1", "1"), ("x", "=1+"), ("a\x00b", "1")]:
            with pytest.raises(ValueError):
                sheet.set_name(name, definition)
        sheet.set_name("ab", "a\x00b")
        assert sheet.names() == {"BASE": "=100", "AB": "a\x00b"}

    def test_pinned_values_are_text(self, sheet):
        sheet.pin_value("A1", [["1", "2"]])
        assert sheet.get_typed("B1") == "2"
        assert sheet.is_pinned("A1") and not sheet.is_pinned("B1")
        assert sheet.pinned_cells() == ["A1"]
        assert sheet.unpin_value("A1") is None and sheet.pinned_cells() == []

    @pytest.mark.parametrize(
        "rows,exception,message",
        [
            ([], ValueError, "InvalidShape: array must have at least one row"),
            ([[]], ValueError, "InvalidShape: array must have at least one column"),
            ([["1", "2"], ["3"]], ValueError, "InvalidShape: rows must all have the same length"),
            ("ab", TypeError, "argument 'rows': Can't extract `str` to `Vec`"),
            (["ab"], TypeError, "argument 'rows': Can't extract `str` to `Vec`"),
            ([[1]], TypeError, "argument 'rows': expected str, got int"),
            ([["\ud800"]], UnicodeEncodeError, None),
        ],
    )
    def test_bad_pins(self, sheet, rows, exception, message):
        with pytest.raises(exception) as caught:
            sheet.pin_value("A1", rows)
        assert message is None or str(caught.value) == message
        assert sheet.pinned_cells() == []

    def test_try_parse_asks_the_handler_with_options(self, sheet):
        assert sheet.try_parse("pair", "4/2", "%d/%m") is None

        class Handler:
            type_tag = "pair"

            def parse_with(self, raw, options):
                return {"data": raw + "|" + options} if "/" in raw else None

        sheet.register_type(Handler())
        assert sheet.try_parse("pair", "4/2", "%d/%m") == {"type_tag": "pair", "data": "4/2|%d/%m"}
        assert sheet.try_parse("pair", "42", "") is None
        assert sheet.try_parse("PAIR", "4/2", "") is None


STR_PARAMETERS = [
    # (method, arguments, index of the argument replaced, its name)
    ("try_parse", ["t", "r", "o"], 0, "type_tag"),
    ("try_parse", ["t", "r", "o"], 1, "raw"),
    ("try_parse", ["t", "r", "o"], 2, "options"),
    ("get", ["A1"], 0, "cell_id"),
    ("get_typed", ["A1"], 0, "cell_id"),
    ("get_array", ["A1"], 0, "cell_id"),
    ("get_array_typed", ["A1"], 0, "cell_id"),
    ("set_name", ["x", "1"], 0, "name"),
    ("set_name", ["x", "1"], 1, "definition"),
    ("remove_name", ["x"], 0, "name"),
    ("get_name", ["x"], 0, "name"),
    ("spill_at", ["A1"], 0, "cell_id"),
    ("owner_of", ["A1"], 0, "cell_id"),
    ("pin_value", ["A1", [["x"]]], 0, "cell_id"),
    ("unpin_value", ["A1"], 0, "cell_id"),
    ("is_pinned", ["A1"], 0, "cell_id"),
    ("register_function", ["F", len], 0, "name"),
    ("complete", ["=S", 2], 0, "formula"),
    ("signature_help", ["=S", 2], 0, "formula"),
]


@pytest.mark.parametrize("method,args,index,name", STR_PARAMETERS)
def test_str_parameters_refuse_other_types_and_lone_surrogates(sheet, method, args, index, name):
    for value, exception in [(7, TypeError), ("\udfff", UnicodeEncodeError)]:
        changed = list(args)
        changed[index] = value
        with pytest.raises(exception) as caught:
            getattr(sheet, method)(*changed)
        if exception is TypeError:
            assert str(caught.value) == f"argument '{name}': expected str, got int"


@pytest.mark.parametrize("cursor,exception", [(-1, OverflowError), (2**64, OverflowError),
                                              (1.0, TypeError), ("1", TypeError)])
def test_cursor_is_a_non_negative_int(sheet, cursor, exception):
    for method in (sheet.complete, sheet.signature_help):
        with pytest.raises(exception):
            method("=S", cursor)


def test_nul_in_ids(sheet):
    sheet.set_cells([("A\x001", "x\x00y")])
    assert sheet.get("A\x001") == "x\x00y"
    assert sheet.get_all() == {"A\x001": "x\x00y"}
