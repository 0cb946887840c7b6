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


def raising(exception):
    def function(*args):
        raise exception

    return function


class NoText:
    def __str__(self):
        raise ValueError("nope")


class TestCustomFunctions:
    def test_registration(self, sheet):
        with pytest.raises(ValueError) as caught:
            sheet.register_function("", lambda args: 1)
        assert str(caught.value) == "register_function: name must be non-empty"
        with pytest.raises(ValueError) as caught:
            sheet.register_function("mean", lambda args: 1)
        assert str(caught.value) == "custom function name collides with existing: mean"
        # Registration does not recalculate: the next change does.
        sheet.set_cells([("A1", "=TWICE(2)")])
        sheet.register_function("TWICE", lambda args: args[0] * 2)
        assert sheet.get("A1") == "#NAME?"
        sheet.set_cells([])
        assert sheet.get("A1") == "4"

    @pytest.mark.parametrize(
        "function,typed",
        [
            (lambda args: 2.0, 2),
            (lambda args: -1, -1),
            (lambda args: -0.0, 0),
            (lambda args: 2**53 - 1, 2**53 - 1),
            (lambda args: 2**53, float(2**53)),
            (lambda args: 10**400, "1" + "0" * 400),
            (lambda args: math.inf, math.inf),
            (lambda args: math.nan, math.nan),
            (lambda args: "a\x00b", "a\x00b"),
            (lambda args: None, None),
            (lambda args: True, True),
            (lambda args: numpy_bool(True), True),
            (lambda args: numpy_bool(False, "numpy.bool_"), False),
            (lambda args: numpy_bool(None), "undecided"),
            (lambda args: {"type_tag": "t", "data": "d"}, {"type_tag": "t", "data": "d"}),
            (lambda args: {"type_tag": "t"}, "{'type_tag': 't'}"),
            (lambda args: {"data": "d"}, "{'data': 'd'}"),
            (lambda args: {"type_tag": "\ud800", "data": "d"},
             "{'type_tag': '\\ud800', 'data': 'd'}"),
            (lambda args: [1, 2], "[1, 2]"),
            (lambda args: NoText(), "ValueError: nope"),
            (lambda args: "\ud800", "UnicodeEncodeError: 'utf-8' codec can't encode character "
             "'\\ud800' in position 0: surrogates not allowed"),
            (42, "TypeError: 'int' object is not callable"),
            (raising(ValueError("bad")), "ValueError: bad"),
            (raising(KeyError("x")), "KeyError: 'x'"),
            (raising(RuntimeError()), "RuntimeError: "),
            (raising(Outer.Inner("deep")), "Outer.Inner: deep"),
            # Text that does not encode is kept with each lone surrogate replaced.
            (raising(ValueError("x\ud800y")), "ValueError: x?y"),
            (raising(Surrogate("m")), "S?: m"),
            (raising(Broken()), "Broken: <exception str() failed>"),
        ],
    )
    def test_results_and_exceptions(self, sheet, function, typed):
        sheet.register_function("F", function)
        sheet.set_cells([("A1", "=F()")])
        got = sheet.get_typed("A1")
        assert repr(got) == repr(typed) and type(got) is type(typed)

    def test_arguments_arrive_flattened_and_converted(self, sheet):
        seen = []
        sheet.register_function("F", lambda args: seen.append(args) or len(args))
        sheet.set_cells_typed([("C2", {"kind": "custom", "type_tag": "t", "data": "d"})])
        sheet.set_cells([("A1", "1"), ("B1", "x"), ("A2", "=1/0"), ("B2", "TRUE"),
                         ("C1", "=F(A1:B2, 2.5, 9007199254740992, -0, C2, D9)")])
        assert seen == [[1, "x", "#DIV/0!", True, 2.5, 2.0**53, 0, {"type_tag": "t", "data": "d"},
                         None]]
        assert [type(arg) for arg in seen[0][4:7]] == [float, float, int]
        assert sheet.get_typed("C1") == 9

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
            (type("H", (), {"type_tag": "\ud800"})(), "'utf-8' codec can't encode character "
             "'\\ud800' in position 0: surrogates not allowed"),
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

    @pytest.mark.parametrize(
        "attribute,callback,formula,expected",
        [
            ("parse_literal", lambda raw: {"data": 5}, "abc", "abc"),
            ("parse_literal", lambda raw: {"data": "\ud800"}, "abc", "abc"),
            ("parse_literal", lambda raw: [raw], "abc", "abc"),
            ("parse_literal", lambda raw: {}, "abc", "abc"),
            # A display that fails or gives no str shows the data text.
            ("display", None, '=A1&""', "d"),
            ("display", 42, '=A1&""', "d"),
            ("display", lambda v: 42, '=A1&""', "d"),
            ("display", lambda v: 1 / 0, '=A1&""', "d"),
            ("display", lambda v: "\ud800", '=A1&""', "d"),
            ("compare", lambda op, l, r: 1, "=A1=1", "TypeError: expected bool, got int"),
            ("compare", lambda op, l, r: 1 / 0, "=A1=1", "ZeroDivisionError: division by zero"),
            ("compare", lambda op, l, r: numpy_bool(op == "="), "=A1=1", "TRUE"),
            ("compare", lambda op, l, r: numpy_bool(op != "="), "=A1=1", "FALSE"),
            ("compare", lambda op, l, r: numpy_bool(None), "=A1=1",
             "TypeError: expected bool, got numpy.bool"),
            ("as_number", lambda v: True, "=SUM(A1, 1)", "2"),
            ("as_number", lambda v: "3", "=SUM(A1, 1)", "1"),
            ("binary_op", lambda op, l, r: None, '=A1&"x"', "dx"),
            ("binary_op", raising(ValueError("^\udfff")), "=A1^2", "ValueError: ^?"),
        ],
    )
    def test_callback_answers(self, sheet, attribute, callback, formula, expected):
        handler = type("H", (), {"type_tag": "t"})()
        setattr(handler, attribute, callback)
        sheet.register_type(handler)
        sheet.set_cells_typed([("A1", {"kind": "custom", "type_tag": "t", "data": "d"})])
        sheet.set_cells([("B1", formula)])
        assert sheet.get("B1") == expected


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
        calls = []

        def nest(args):
            calls.append(1)
            inner = orvel.Sheet()
            inner.register_function("NEST", nest)
            inner.set_cells([("A1", "=NEST()")])
            return inner.get("A1")

        sheet.register_function("NEST", nest)
        sheet.set_cells([("A1", "=NEST()")])
        assert sheet.get("A1") == (
            "RecursionError: maximum recursion depth exceeded in an orvel callback"
        )
        assert len(calls) == 200
        sheet.set_cells([("A2", "1")])
        assert sheet.get("A2") == "1"


class TestCollection:
    @pytest.mark.parametrize("through", ["function", "handler"])
    def test_a_sheet_held_by_its_last_callback_is_collected(self, through):
        class Marker:
            pass

        marker = Marker()
        probe = weakref.ref(marker)
        sheet = orvel.Sheet()
        holder = [sheet]  # not a closure cell, which `del sheet` would empty
        # Earlier callbacks first: the collector must see past them to the last one.
        sheet.register_function("KEEP", lambda args, marker=marker: 1)
        sheet.register_type(type("A", (), {"type_tag": "a", "display": lambda self, v: ""})())
        if through == "function":
            sheet.register_function("SELF", lambda args, holder=holder: 1)
        else:
            sheet.register_type(type("B", (), {"type_tag": "b", "display": holder.append})())
        del marker, sheet, holder
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
