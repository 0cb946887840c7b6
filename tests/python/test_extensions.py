"""Custom functions and custom types written in Python, and what guards the sheet from them."""

import gc
import math
import weakref

import pytest

import orvel


class Outer:
    class Inner(Exception):
        pass


class Surrogate(Exception):
    pass


Surrogate.__qualname__ = "S\udc80"


class Broken(Exception):
    def __str__(self):
        raise RuntimeError("no text")


def numpy_bool(truth, name="numpy.bool"):
    """A stand-in for NumPy's boolean scalar, which the binding knows by its type name alone;
    a truth of None makes its __bool__ raise."""

    def __bool__(self):
        if truth is None:
            raise ValueError("undecided")
        return truth

    kind = type("stand_in", (), {"__bool__": __bool__, "__str__": lambda self: "undecided"})
    kind.__name__ = name
    return kind()


class TestRegisterFunction:
    def test_empty_name(self, sheet):
        with pytest.raises(ValueError) as caught:
            sheet.register_function("", lambda args: 1)
        assert str(caught.value) == "register_function: name must be non-empty"

    def test_builtin_names_collide_in_any_case(self, sheet):
        with pytest.raises(ValueError, match="^custom function name collides with existing: mean$"):
            sheet.register_function("mean", lambda args: 1)

    def test_registration_does_not_recalculate(self, sheet):
        sheet.set_cells([("A1", "=TWICE(2)")])
        assert sheet.get("A1") == "#NAME?"
        sheet.register_function("TWICE", lambda args: args[0] * 2)
        assert sheet.get("A1") == "#NAME?"
        sheet.set_cells([])
        assert sheet.get("A1") == "4"


class TestCustomFunctionResults:
    @pytest.mark.parametrize(
        "result,typed",
        [
            (2.0, 2),
            ("x", "x"),
            (None, None),
            (True, True),
            (2**53, float(2**53)),
            (10**400, "1" + "0" * 400),
            ({"type_tag": "t", "data": "d"}, {"type_tag": "t", "data": "d"}),
            ({"type_tag": "t"}, "{'type_tag': 't'}"),
            ([1, 2], "[1, 2]"),
            ("a\x00b", "a\x00b"),
            (-0.0, 0),
            (2**53 - 1, 2**53 - 1),
            (numpy_bool(True), True),
            (numpy_bool(False, "numpy.bool_"), False),
            (numpy_bool(None), "undecided"),
            ({"type_tag": "\ud800", "data": "d"}, "{'type_tag': '\\ud800', 'data': 'd'}"),
        ],
    )
    def test_result_conversion(self, sheet, result, typed):
        sheet.register_function("F", lambda args: result)
        sheet.set_cells([("A1", "=F()")])
        got = sheet.get_typed("A1")
        assert got == typed and type(got) is type(typed)

    def test_nan_and_infinity_stay_float(self, sheet):
        sheet.register_function("INF", lambda args: math.inf)
        sheet.register_function("NAN", lambda args: math.nan)
        sheet.set_cells([("A1", "=INF()"), ("A2", "=NAN()"), ("A3", "=-INF()")])
        assert sheet.get_typed("A1") == math.inf
        assert math.isnan(sheet.get_typed("A2"))
        assert sheet.get_typed("A3") == -math.inf
        assert (sheet.get("A1"), sheet.get("A2"), sheet.get("A3")) == ("inf", "NaN", "-inf")

    def test_arguments_arrive_flattened(self, sheet):
        seen = []
        sheet.register_function("F", lambda args: seen.append(args) or len(args))
        sheet.set_cells([("A1", "1"), ("B1", "x"), ("B2", "TRUE"), ("C1", "=F(A1:B2, 5)")])
        assert seen[-1] == [1, "x", None, True, 5]
        assert sheet.get_typed("C1") == 5

    @pytest.mark.parametrize(
        "exception,text",
        [
            (ValueError("bad"), "ValueError: bad"),
            (KeyError("x"), "KeyError: 'x'"),
            (Exception("#N/A"), "Exception: #N/A"),
            (RuntimeError(), "RuntimeError: "),
            (Outer.Inner("deep"), "Outer.Inner: deep"),
            # Text that does not encode is kept with each lone surrogate replaced.
            (ValueError("x\ud800y"), "ValueError: x?y"),
            (Surrogate("m"), "S?: m"),
            (Broken(), "Broken: <exception str() failed>"),
        ],
    )
    def test_raising_becomes_the_error_text(self, sheet, exception, text):
        def raising(args):
            raise exception

        sheet.register_function("F", raising)
        sheet.set_cells([("A1", "=F()")])
        assert sheet.get("A1") == text

    def test_result_that_has_no_text(self, sheet):
        class NoText:
            def __str__(self):
                raise ValueError("nope")

        sheet.register_function("F", lambda args: NoText())
        sheet.set_cells([("A1", "=F()")])
        assert sheet.get("A1") == "ValueError: nope"

    def test_surrogate_result_is_an_error_text(self, sheet):
        sheet.register_function("F", lambda args: "\ud800")
        sheet.set_cells([("A1", "=F()")])
        assert sheet.get("A1").startswith("UnicodeEncodeError: ")

    def test_non_callable_fails_like_a_raising_callback(self, sheet):
        sheet.register_function("F", 42)
        sheet.set_cells([("A1", "=F()")])
        assert sheet.get("A1") == "TypeError: 'int' object is not callable"

    def test_float_conversion_that_mutates_the_result_container(self, sheet):
        values = []

        class Sneaky:
            def __float__(self):
                values.clear()
                return 1.5

        values.append(Sneaky())
        sheet.register_function("F", lambda args: values[0])
        sheet.set_cells([("A1", "=F()")])
        assert sheet.get_typed("A1") == 1.5


class Tagged:
    """A complete handler for values tagged "money" whose data is a number of cents."""

    type_tag = "money"

    def parse_literal(self, raw):
        return {"type_tag": "ignored", "data": raw[:-1]} if raw.endswith("c") else None

    def display(self, value):
        return value["data"] + " cents"

    def edit_repr(self, value):
        return value["data"] + "c"

    def binary_op(self, op, lhs, rhs):
        if op == "+" and isinstance(lhs, dict) and isinstance(rhs, dict):
            return {"type_tag": "money", "data": str(int(lhs["data"]) + int(rhs["data"]))}
        return None

    def compare(self, op, lhs, rhs):
        if op == "<" and isinstance(lhs, dict) and isinstance(rhs, dict):
            return int(lhs["data"]) < int(rhs["data"])
        return None

    def as_number(self, value):
        return int(value["data"]) / 100


class TestRegisterType:
    @pytest.mark.parametrize(
        "handler,message",
        [
            (object(), "handler: missing `type_tag`"),
            (type("H", (), {"type_tag": 5})(), "handler: `type_tag` must be str"),
            (type("H", (), {"type_tag": ""})(), "handler: `type_tag` must be non-empty"),
        ],
    )
    def test_bad_handlers(self, sheet, handler, message):
        with pytest.raises(ValueError) as caught:
            sheet.register_type(handler)
        assert str(caught.value) == message

    def test_duplicate_tag(self, sheet):
        sheet.register_type(Tagged())
        with pytest.raises(ValueError) as caught:
            sheet.register_type(Tagged())
        assert str(caught.value) == "custom type tag already registered: money"

    def test_every_operation_answers(self, sheet):
        sheet.register_type(Tagged())
        sheet.set_cells(
            [("A1", "150c"), ("A2", "250c"), ("B1", "=A1+A2"), ("B2", "=A1<A2"),
             ("B3", "=SUM(A1:A2)"), ("B4", '=A1&""')]
        )
        assert sheet.get_typed("A1") == {"type_tag": "money", "data": "150"}
        assert sheet.get("A1") == "150"  # the data text: get consults no handler
        assert sheet.get("B4") == "150 cents"
        assert sheet.get_typed("B1") == {"type_tag": "money", "data": "400"}
        assert sheet.get_typed("B2") is True
        assert sheet.get_typed("B3") == 4

    def test_attributes_are_read_once_at_registration(self, sheet):
        handler = Tagged()
        sheet.register_type(handler)
        Tagged.display = lambda self, value: "changed"
        try:
            sheet.set_cells([("A1", "5c"), ("B1", '=A1&""')])
            assert sheet.get("B1") == "5 cents"
        finally:
            del Tagged.display
            Tagged.display = lambda self, value: value["data"] + " cents"

    def test_parse_literal_without_str_data_does_not_claim(self, sheet):
        class Handler:
            type_tag = "t"

            def parse_literal(self, raw):
                return {"data": 5}

        sheet.register_type(Handler())
        sheet.set_cells([("A1", "abc")])
        assert sheet.get_typed("A1") == "abc"

    @pytest.mark.parametrize(
        "display", [None, 42, lambda v: 42, lambda v: 1 / 0, lambda v: "\ud800"]
    )
    def test_display_falls_back_to_the_data_text(self, sheet, display):
        handler = type("H", (), {"type_tag": "t"})()
        handler.display = display
        sheet.register_type(handler)
        sheet.set_cells_typed([("A1", {"kind": "custom", "type_tag": "t", "data": "d"})])
        sheet.set_cells([("B1", '=A1&""')])
        assert sheet.get("B1") == "d"

    @pytest.mark.parametrize(
        "compare,expected",
        [
            (lambda op, l, r: 1, "TypeError: expected bool, got int"),
            (lambda op, l, r: 1 / 0, "ZeroDivisionError: division by zero"),
            (lambda op, l, r: numpy_bool(op == "="), "TRUE"),
            (lambda op, l, r: numpy_bool(op != "="), "FALSE"),
            (lambda op, l, r: numpy_bool(None), "TypeError: expected bool, got numpy.bool"),
        ],
    )
    def test_compare_results(self, sheet, compare, expected):
        handler = type("H", (), {"type_tag": "t"})()
        handler.compare = compare
        sheet.register_type(handler)
        sheet.set_cells_typed([("A1", {"kind": "custom", "type_tag": "t", "data": "d"})])
        sheet.set_cells([("B1", "=A1=1")])
        assert sheet.get("B1") == expected

    @pytest.mark.parametrize("as_number,expected", [(lambda v: True, 2), (lambda v: "3", 1)])
    def test_as_number_accepts_numbers_only(self, sheet, as_number, expected):
        handler = type("H", (), {"type_tag": "t"})()
        handler.as_number = as_number
        sheet.register_type(handler)
        sheet.set_cells_typed([("A1", {"kind": "custom", "type_tag": "t", "data": "d"})])
        sheet.set_cells([("B1", "=SUM(A1, 1)")])
        assert sheet.get_typed("B1") == expected

    def test_declining_binary_op_falls_back(self, sheet):
        handler = type("H", (), {"type_tag": "t", "binary_op": lambda self, op, l, r: None})()
        sheet.register_type(handler)
        sheet.set_cells_typed([("A1", {"kind": "custom", "type_tag": "t", "data": "d"})])
        sheet.set_cells([("B1", '=A1&"x"')])
        assert sheet.get("B1") == "dx"

    def test_binary_op_exception_is_handled_with_its_text(self, sheet):
        def binary_op(op, lhs, rhs):
            raise ValueError(op + "\udfff")

        handler = type("H", (), {"type_tag": "t"})()
        handler.binary_op = binary_op
        sheet.register_type(handler)
        sheet.set_cells_typed([("A1", {"kind": "custom", "type_tag": "t", "data": "d"})])
        sheet.set_cells([("B1", "=A1^2")])
        assert sheet.get("B1") == "ValueError: ^?"


class TestBorrow:
    def test_reading_own_sheet_from_a_callback(self, sheet):
        sheet.register_function("PEEK", lambda args: sheet.get("A1"))
        sheet.set_cells([("A1", "1"), ("B1", "=PEEK()")])
        assert sheet.get("B1") == "RuntimeError: Already mutably borrowed"

    def test_writing_own_sheet_from_a_callback(self, sheet):
        sheet.register_function("POKE", lambda args: sheet.set_cells([("A1", "2")]))
        sheet.set_cells([("B1", "=POKE()")])
        assert sheet.get("B1") == "RuntimeError: Already borrowed"

    def test_try_parse_handler_may_read_but_not_write(self, sheet):
        seen = {}

        class Handler:
            type_tag = "t"

            def parse_with(self, raw, options):
                seen["read"] = sheet.get("A1")
                try:
                    sheet.set_cells([("A1", "2")])
                except RuntimeError as error:
                    seen["write"] = str(error)
                return {"data": raw}

        sheet.set_cells([("A1", "1")])
        sheet.register_type(Handler())
        assert sheet.try_parse("t", "x", "") == {"type_tag": "t", "data": "x"}
        assert seen == {"read": "1", "write": "Already borrowed"}

    def test_other_sheets_are_free_inside_a_callback(self, sheet):
        other = orvel.Sheet()
        other.set_cells([("A1", "41")])
        sheet.register_function("OTHER", lambda args: other.get_typed("A1") + 1)
        sheet.set_cells([("A1", "=OTHER()")])
        assert sheet.get_typed("A1") == 42

    def test_sheet_is_usable_after_a_refused_reentry(self, sheet):
        sheet.register_function("POKE", lambda args: sheet.set_cells([]))
        sheet.set_cells([("A1", "=POKE()")])
        sheet.set_cells([("A2", "3")])
        assert sheet.get("A2") == "3"

    def test_reentry_through_the_other_sheet_is_refused(self, sheet):
        other = orvel.Sheet()
        other.register_function("BACK", lambda args: sheet.get("A1"))
        sheet.register_function("THERE", lambda args: other.set_cells([("A1", "=BACK()")]) or
                                other.get("A1"))
        sheet.set_cells([("A1", "=THERE()")])
        assert sheet.get("A1") == "RuntimeError: Already mutably borrowed"

    def test_deep_reentry_is_bounded(self, sheet):
        def nest(args):
            inner = orvel.Sheet()
            inner.register_function("NEST", nest)
            inner.set_cells([("A1", "=NEST()")])
            return inner.get("A1")

        sheet.register_function("NEST", nest)
        sheet.set_cells([("A1", "=NEST()")])
        assert sheet.get("A1").startswith("RecursionError: maximum recursion depth exceeded")
        sheet.set_cells([("A2", "1")])
        assert sheet.get("A2") == "1"


class TestCollection:
    def test_sheet_referenced_by_its_own_function_is_collected(self):
        sheet = orvel.Sheet()
        sheet.register_function("SELF", lambda args: sheet.get("A1"))

        class Marker:
            pass

        marker = Marker()
        probe = weakref.ref(marker)
        sheet.register_function("KEEP", lambda args, marker=marker: 1)
        del marker, sheet
        gc.collect()
        assert probe() is None

    def test_callbacks_are_released_with_the_sheet(self):
        sheet = orvel.Sheet()

        def function(args):
            return 1

        probe = weakref.ref(function)
        sheet.register_function("F", function)
        del function
        assert probe() is not None
        del sheet
        assert probe() is None
