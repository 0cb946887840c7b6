"""The Sheet class: writing cells, reading them back, names, pins and spills.

The engine's rules are pinned in tests/cpp/core and recalculation against a model in
test_recalc_model.py; here the values, dicts and exceptions a Python program sees."""

import pytest

import orvel


class TestCells:
    def test_formula_reads_a_classified_literal(self, sheet):
        sheet.set_cells([("A1", "=B1*2"), ("B1", "21")])
        assert sheet.get("A1") == "42"
        assert sheet.get_typed("A1") == 42 and type(sheet.get_typed("A1")) is int
        assert sheet.get_typed("B1") == 21

    def test_cycle_raises_and_keeps_the_inputs(self, sheet):
        with pytest.raises(ValueError) as caught:
            sheet.set_cells([("A1", "=B1"), ("B1", "=A1")])
        assert str(caught.value) == "#CIRCULAR! Cycle detected involving: A1, B1"
        sheet.set_cells([("B1", "5")])
        assert sheet.get("A1") == "5"

    def test_untouched_cells_read_none(self, sheet):
        assert sheet.get("Z9") is None
        assert sheet.get_typed("Z9") is None
        assert sheet.get_all() == {} and sheet.get_all_typed() == {}

    def test_error_values_are_returned_not_raised(self, sheet):
        sheet.set_cells([("A1", "=1/0"), ("B1", "abc")])
        assert sheet.get("A1") == sheet.get_typed("A1") == "#DIV/0!"
        assert sheet.get("B1") == sheet.get_typed("B1") == "abc"

    def test_later_pair_for_the_same_cell_wins_and_empty_text_removes(self, sheet):
        sheet.set_cells([("A1", "1"), ("A1", "2"), ("B1", "x")])
        assert sheet.get("A1") == "2"
        sheet.set_cells([("B1", "")])
        assert sheet.get_all() == {"A1": "2"}

    def test_get_all_includes_spill_members(self, sheet):
        sheet.set_cells([("A1", "={1,2;3,4}")])
        assert sheet.get_all() == {"A1": "1", "B1": "2", "A2": "3", "B2": "4"}
        assert sheet.get_all_typed() == {"A1": 1, "B1": 2, "A2": 3, "B2": 4}


class TestSetCellsArguments:
    @pytest.mark.parametrize(
        "changes,message",
        [
            ("A1", "argument 'changes': Can't extract `str` to `Vec`"),
            (5, "argument 'changes': expected a sequence, got int"),
            ([["A1", "1"]], "argument 'changes': expected tuple, got list"),
            ([("A1",)], "argument 'changes': expected a tuple of 2 items, got 1"),
            ([("A1", 1)], "argument 'changes': expected str, got int"),
        ],
    )
    def test_bad_changes_raise_type_error(self, sheet, changes, message):
        with pytest.raises(TypeError) as caught:
            sheet.set_cells(changes)
        assert str(caught.value) == message
        assert sheet.get_all() == {}

    def test_surrogates_raise_unicode_encode_error(self, sheet):
        with pytest.raises(UnicodeEncodeError):
            sheet.set_cells([("A1", "\udc80")])

    def test_any_sequence_of_tuples_is_accepted(self, sheet):
        sheet.set_cells((("A1", "1"), ("A2", "2")))
        sheet.set_cells([])
        assert sheet.get("A2") == "2"


class TestSetCellsTyped:
    def test_every_kind(self, sheet):
        sheet.set_cells_typed(
            [
                ("A1", {"kind": "raw", "value": "=B1+1"}),
                ("B1", {"kind": "number", "value": 42.5}),
                ("C1", {"kind": "string", "value": "2/4"}),
                ("D1", {"kind": "boolean", "value": True}),
                ("E1", {"kind": "empty"}),
                ("F1", {"kind": "custom", "type_tag": "jdate", "data": "2026-04-02"}),
            ]
        )
        assert sheet.get_typed("A1") == 43.5
        assert sheet.get_typed("C1") == "2/4"
        assert sheet.get_typed("D1") is True
        assert sheet.get_typed("E1") is None
        assert sheet.get_typed("F1") == {"type_tag": "jdate", "data": "2026-04-02"}

    def test_number_accepts_a_bool(self, sheet):
        sheet.set_cells_typed([("A1", {"kind": "number", "value": True})])
        assert sheet.get_typed("A1") == 1

    def test_empty_kind_deletes_and_ignores_value(self, sheet):
        sheet.set_cells([("A1", "1")])
        sheet.set_cells_typed([("A1", {"kind": "empty", "value": "x"})])
        assert sheet.get("A1") is None

    @pytest.mark.parametrize(
        "payload,message",
        [
            ([1], "cell A1: ValueError: payload must be a dict"),
            ({}, "cell A1: ValueError: missing key `kind`"),
            ({"kind": 1}, "cell A1: ValueError: `kind` must be str"),
            ({"kind": "RAW", "value": "x"}, "cell A1: ValueError: unknown kind `RAW`"),
            ({"kind": "raw"}, "cell A1: ValueError: raw: missing key `value`"),
            ({"kind": "string", "value": 1}, "cell A1: ValueError: string: `value` must be str"),
            ({"kind": "number"}, "cell A1: ValueError: number: missing key `value`"),
            ({"kind": "number", "value": "3"},
             "cell A1: ValueError: number: `value` must be numeric"),
            ({"kind": "boolean", "value": 1},
             "cell A1: ValueError: boolean: `value` must be bool"),
            ({"kind": "custom", "data": "d"},
             "cell A1: ValueError: custom: missing key `type_tag`"),
            ({"kind": "custom", "type_tag": "t", "data": 5},
             "cell A1: ValueError: custom: `data` must be str"),
        ],
    )
    def test_bad_payloads(self, sheet, payload, message):
        with pytest.raises(ValueError) as caught:
            sheet.set_cells_typed([("A1", payload)])
        assert str(caught.value) == message

    def test_one_bad_payload_writes_nothing(self, sheet):
        with pytest.raises(ValueError):
            sheet.set_cells_typed(
                [("A1", {"kind": "number", "value": 1}), ("B2", {"kind": "number"})]
            )
        assert sheet.get_all() == {}

    def test_payload_with_nul_and_surrogates(self, sheet):
        sheet.set_cells_typed([("A1", {"kind": "string", "value": "x\x00y"})])
        assert sheet.get("A1") == "x\x00y"
        with pytest.raises(ValueError, match="UnicodeEncodeError"):
            sheet.set_cells_typed([("A1", {"kind": "string", "value": "\ud800"})])


class TestArrays:
    def test_anchor_array_as_text_and_typed(self, sheet):
        sheet.set_cells([("A1", "={1,2;3,4}"), ("D1", "5")])
        assert sheet.get_array("A1") == [["1", "2"], ["3", "4"]]
        assert sheet.get_array_typed("A1") == [[1, 2], [3, 4]]
        assert sheet.spill_at("A1") == {"rows": 2, "cols": 2}
        assert list(sheet.spill_at("A1")) == ["rows", "cols"]
        assert sheet.owner_of("B2") == "A1"
        assert sheet.owner_of("A1") == "A1"
        assert sheet.owner_of("D1") is None

    @pytest.mark.parametrize("cell", ["B1", "D1", "Q9"])
    def test_non_anchors_have_no_array(self, sheet, cell):
        sheet.set_cells([("A1", "={1,2;3,4}"), ("D1", "5")])
        assert sheet.get_array(cell) is None
        assert sheet.get_array_typed(cell) is None
        assert sheet.spill_at(cell) is None

    def test_arrays_without_columns(self, sheet):
        sheet.set_cells([("A1", '=SEQUENCE(3, "NaN")'), ("B1", '=SEQUENCE(4294967295, "NaN")')])
        assert sheet.get_array("A1") == [[], [], []]
        assert sheet.spill_at("B1") == {"rows": 4294967295, "cols": 0}
        for read in (sheet.get_array, sheet.get_array_typed):
            with pytest.raises(ValueError) as caught:
                read("B1")
            assert str(caught.value) == (
                "array has 4294967295 rows and no columns: "
                "more than 100000 empty rows cannot be listed"
            )


class TestNames:
    def test_names_are_upper_cased(self, sheet):
        sheet.set_name("rate", "0.05")
        sheet.set_name("Base", "=100")
        assert sheet.names() == {"RATE": "0.05", "BASE": "=100"}
        assert sheet.get_name("RATE") == sheet.get_name("rate") == "0.05"
        sheet.set_cells([("A1", "=BASE*RATE")])
        assert sheet.get("A1") == "5"

    def test_remove_name(self, sheet):
        sheet.set_name("x", "1")
        sheet.remove_name("X")
        sheet.remove_name("never_defined")
        assert sheet.get_name("x") is None
        assert sheet.names() == {}

    @pytest.mark.parametrize(
        "name,definition",
        [("A1", "1"), ("x", "=1+")],
    )
    def test_invalid_names_and_definitions_raise_value_error(self, sheet, name, definition):
        with pytest.raises(ValueError):
            sheet.set_name(name, definition)
        assert sheet.names() == {}


class TestPins:
    def test_pinned_values_are_text(self, sheet):
        sheet.pin_value("A1", [["1", "2"]])
        assert sheet.get_typed("B1") == "2"
        assert sheet.is_pinned("A1") and not sheet.is_pinned("B1")
        assert sheet.pinned_cells() == ["A1"]

    @pytest.mark.parametrize(
        "rows,message",
        [
            ([], "InvalidShape: array must have at least one row"),
            ([[]], "InvalidShape: array must have at least one column"),
            ([["1", "2"], ["3"]], "InvalidShape: rows must all have the same length"),
        ],
    )
    def test_bad_shapes(self, sheet, rows, message):
        with pytest.raises(ValueError) as caught:
            sheet.pin_value("A1", rows)
        assert str(caught.value) == message

    @pytest.mark.parametrize(
        "rows,exception",
        [("ab", TypeError), (["ab"], TypeError), ([[1]], TypeError), ([["\ud800"]], UnicodeEncodeError)],
    )
    def test_bad_row_types(self, sheet, rows, exception):
        with pytest.raises(exception):
            sheet.pin_value("A1", rows)

    def test_pinned_cells_are_sorted_and_unpin_is_idempotent(self, sheet):
        sheet.pin_value("B1", [["x"]])
        sheet.pin_value("A2", [["y"]])
        assert sheet.pinned_cells() == ["A2", "B1"]
        assert sheet.unpin_value("B1") is None
        assert sheet.unpin_value("B1") is None
        assert sheet.pinned_cells() == ["A2"]


class TestTryParse:
    def test_without_a_handler_is_none(self, sheet):
        assert sheet.try_parse("jdate", "4/2", "%d/%m") is None

    def test_handler_claims_with_options(self, sheet):
        class Handler:
            type_tag = "pair"

            def parse_with(self, raw, options):
                return {"data": raw + "|" + options} if "/" in raw else None

        sheet.register_type(Handler())
        assert sheet.try_parse("pair", "4/2", "%d/%m") == {"type_tag": "pair", "data": "4/2|%d/%m"}
        assert sheet.try_parse("pair", "42", "") is None
        assert sheet.try_parse("PAIR", "4/2", "") is None


STR_PARAMETERS = [
    # (method, arguments, index of the argument replaced by an int, its name)
    ("try_parse", ["t", "r", "o"], 0, "type_tag"),
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


class TestMethodArguments:
    @pytest.mark.parametrize("method,args,index,name", STR_PARAMETERS)
    def test_non_str_is_a_type_error_naming_the_parameter(self, sheet, method, args, index, name):
        args = list(args)
        args[index] = 7
        with pytest.raises(TypeError) as caught:
            getattr(sheet, method)(*args)
        assert str(caught.value) == f"argument '{name}': expected str, got int"

    @pytest.mark.parametrize("method,args,index,name", STR_PARAMETERS)
    def test_lone_surrogate_is_a_unicode_encode_error(self, sheet, method, args, index, name):
        args = list(args)
        args[index] = "\udfff"
        with pytest.raises(UnicodeEncodeError):
            getattr(sheet, method)(*args)

    @pytest.mark.parametrize("method,args,index,name", STR_PARAMETERS)
    def test_keywords_work_and_missing_arguments_are_named(self, sheet, method, args, index, name):
        getattr(sheet, method)(**{name: args[index]}, **{
            parameter: value
            for parameter, value in zip(_parameters(method), args)
            if parameter != name
        })
        with pytest.raises(TypeError) as caught:
            getattr(sheet, method)()
        assert str(caught.value).startswith(f"Sheet.{method}() missing ")

    @pytest.mark.parametrize("method", ["get_all", "get_all_typed", "names", "pinned_cells",
                                        "list_functions", "register_datetime", "register_url"])
    def test_methods_without_parameters_refuse_arguments(self, sheet, method):
        with pytest.raises(TypeError) as caught:
            getattr(sheet, method)(1)
        assert str(caught.value) == f"Sheet.{method}() takes no arguments (1 given)"

    def test_surplus_and_unknown_arguments(self, sheet):
        with pytest.raises(TypeError) as caught:
            sheet.get("A1", "B1")
        assert str(caught.value) == "Sheet.get() takes 1 positional argument but 2 were given"
        with pytest.raises(TypeError) as caught:
            sheet.get(cell="A1")
        assert str(caught.value) == "Sheet.get() got an unexpected keyword argument 'cell'"

    @pytest.mark.parametrize("cursor,exception", [(-1, OverflowError), (2**64, OverflowError),
                                                  (1.0, TypeError), ("1", TypeError)])
    def test_cursor_is_a_non_negative_int(self, sheet, cursor, exception):
        with pytest.raises(exception):
            sheet.complete("=S", cursor)
        with pytest.raises(exception):
            sheet.signature_help("=S", cursor)

    def test_nul_in_ids_names_and_definitions(self, sheet):
        sheet.set_cells([("A\x001", "x\x00y")])
        assert sheet.get("A\x001") == "x\x00y"
        assert sheet.get_all() == {"A\x001": "x\x00y"}
        with pytest.raises(ValueError):
            sheet.set_name("a\x00b", "1")
        sheet.set_name("ab", "a\x00b")
        assert sheet.get_name("AB") == "a\x00b"


def _parameters(method):
    import inspect

    return list(inspect.signature(getattr(orvel.Sheet(), method)).parameters)


def test_a_payload_that_empties_the_changes_list_is_read_safely(sheet):
    changes = []

    class Shrinking:
        def __float__(self):
            changes.clear()
            return 2.0

    changes.extend([("A1", {"kind": "number", "value": Shrinking()}),
                    ("B1", {"kind": "string", "value": "kept"})])
    sheet.set_cells_typed(changes)
    assert sheet.get_all_typed() == {"A1": 2, "B1": "kept"}
