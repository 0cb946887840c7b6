"""The module's surface: exported names, text signatures, docstrings, argument counts and
conversions."""

import ast
import inspect
import pathlib
import sys
import weakref

import pytest

import orvel


class Handler:
    type_tag = "t"

    def parse_with(self, raw, options):
        return {"data": raw + "|" + options}


# Every function and method: its signature and a valid call (for a module function, with its
# result, or ... where another test pins it).
FUNCTIONS = [
    ("evaluate", "(formula)", ("=1+1",), "2"),
    ("extract_refs", "(formula)", ("=A1",),
     [{"start": 1, "end": 3, "text": "A1", "kind": "cell", "cells": ["A1"]}]),
    ("formula_tokens", "(formula)", ("=A1",), [{"start": 1, "end": 3, "kind": "cell_ref"}]),
    ("rewrite_refs_for_deletion", "(formula, deleted_cols=None, deleted_rows=None)",
     ("=A1+B2+C3", [1], [2]), "=A1+#REF!+#REF!"),
    ("adjust_refs_for_deletion", "(formula, deleted_cols=None, deleted_rows=None)",
     ("=A1+C2+C3", [1], [1]), "=A1+#REF!+B2"),
    ("adjust_refs_for_insertion", "(formula, inserted_cols=None, inserted_rows=None)",
     ("=A1+B2+C3", [1], [2]), "=A1+C2+D4"),
    ("adjust_refs_for_column_block_move", "(formula, src_start, src_end, final_start)",
     ("=A1+B1+C1+D1", 0, 1, 2), "=C1+D1+A1+B1"),
    ("adjust_refs_for_column_block_move_data_following",
     "(formula, src_start, src_end, final_start)", ("=A1+B1+C1+D1", 0, 1, 2), "=C1+D1+A1+B1"),
    ("adjust_refs_for_row_block_move", "(formula, src_start, src_end, final_start)",
     ("=A1+A2+A3+A4", 0, 1, 2), "=A3+A4+A1+A2"),
    ("adjust_refs_for_row_block_move_data_following", "(formula, src_start, src_end, final_start)",
     ("=A1+A2+A3+A4", 0, 1, 2), "=A3+A4+A1+A2"),
    ("shift_formula_refs", "(formula, d_row, d_col, max_row, max_col)",
     ("=A5", -1, 1, 9, 3), "=B4"),
    ("parse_range", "(input)", ("B1:C",), {"start": {"row": 0, "col": 1}, "end_col": 2,
                                           "end_row": None, "unbounded": True,
                                           "normalized": "B1:C"}),
    ("is_unbounded_range", "(input)", ("A:A",), True),
    ("parse_cell_id", "(input)", ("B3",), {"row": 2, "col": 1}),
    ("col_to_index", "(letters)", ("AB",), 27),
    ("index_to_col", "(index)", (27,), "AB"),
    ("cell_id", "(row, col)", (1, 2), "C2"),
    ("list_functions", "()", (), ...),
    ("signature_help", "(formula, cursor)", ("=SUM(1,", 7), ...),
]

METHODS = [
    ("set_cells", "(changes)", ([("D1", "=A2*2")],)),
    ("set_cells_typed", "(changes)", ([("D1", {"kind": "number", "value": 3})],)),
    ("try_parse", "(type_tag, raw, options)", ("t", "r", "o")),
    ("get", "(cell_id)", ("A2",)),
    ("get_all", "()", ()),
    ("get_typed", "(cell_id)", ("A2",)),
    ("get_all_typed", "()", ()),
    ("get_array_typed", "(cell_id)", ("A1",)),
    ("set_name", "(name, definition)", ("x", "=A2")),
    ("remove_name", "(name)", ("RATE",)),
    ("get_name", "(name)", ("RATE",)),
    ("names", "()", ()),
    ("spill_at", "(cell_id)", ("A1",)),
    ("owner_of", "(cell_id)", ("A2",)),
    ("get_array", "(cell_id)", ("A1",)),
    ("pin_value", "(cell_id, rows)", ("E1", [["p"]])),
    ("unpin_value", "(cell_id)", ("C1",)),
    ("pinned_cells", "()", ()),
    ("is_pinned", "(cell_id)", ("C1",)),
    ("register_type", "(handler)", (type("Other", (), {"type_tag": "u"})(),)),
    ("register_function", "(name, func)", ("TWICE", len)),
    ("complete", "(formula, cursor)", ("=RA", 3)),
    ("register_datetime", "()", ()),
    ("register_url", "()", ()),
    ("list_functions", "()", ()),
    ("signature_help", "(formula, cursor)", ("=SUM(1,", 7)),
]


def test_all_lists_the_class_then_the_functions_in_table_order():
    assert orvel.__all__ == ["Sheet"] + [row[0] for row in FUNCTIONS]


def test_module_holds_nothing_but_its_exports():
    own = {name for name in vars(orvel) if not name.startswith("__")}
    assert own == set(orvel.__all__)
    assert orvel.__doc__ == "Python module exported as `orvel`."


@pytest.mark.parametrize("name,signature", [row[:2] for row in FUNCTIONS])
def test_function_text_signature(name, signature):
    function = getattr(orvel, name)
    assert function.__text_signature__ == signature
    assert str(inspect.signature(function)) == signature
    assert function.__module__ == "orvel"
    assert not function.__doc__.startswith(name)


def test_methods_are_in_table_order():
    methods = [name for name in vars(orvel.Sheet) if not name.startswith("__")]
    assert methods == [row[0] for row in METHODS]


@pytest.mark.parametrize("name,signature", [row[:2] for row in METHODS])
def test_method_text_signature(name, signature):
    method = getattr(orvel.Sheet, name)
    stored = "($self" + (", " + signature[1:] if signature != "()" else ")")
    assert method.__text_signature__ == stored
    assert str(inspect.signature(getattr(orvel.Sheet(), name))) == signature


def test_docstrings_are_the_help_text_alone():
    assert orvel.evaluate.__doc__ == "One-shot formula evaluation (no sheet state)."
    assert orvel.list_functions.__doc__ == (
        "Metadata for every builtin function. Useful for help panels and docs sites."
    )
    assert orvel.col_to_index.__doc__.splitlines()[2] == (
        '`"A"` → `0`, `"Z"` → `25`, `"AA"` → `26`. Accepts lowercase too.'
    )
    assert orvel.Sheet.get.__doc__ == "Get the computed value of a cell as a string, or None if empty."
    assert orvel.Sheet.set_cells.__doc__ == (
        "Set one or more cells and recalculate.\n"
        "`changes` is a list of (cell_id, raw_value) tuples."
    )


class TestSheetClass:
    def test_identity(self):
        assert orvel.Sheet.__name__ == "Sheet"
        assert orvel.Sheet.__module__ == "builtins"
        assert orvel.Sheet.__doc__ == "Python-visible spreadsheet backed by orvel-core."
        assert orvel.Sheet.__text_signature__ == "()"
        assert str(inspect.signature(orvel.Sheet)) == "()"

    def test_cannot_be_subclassed(self):
        with pytest.raises(TypeError):
            type("Derived", (orvel.Sheet,), {})

    def test_has_no_attribute_dict_or_weak_references(self):
        sheet = orvel.Sheet()
        with pytest.raises(AttributeError):
            sheet.anything = 1
        with pytest.raises(TypeError):
            weakref.ref(sheet)

    @pytest.mark.parametrize("args,kwargs", [((1,), {}), ((), {"x": 1})])
    def test_constructor_refuses_arguments(self, args, kwargs):
        with pytest.raises(TypeError, match=r"^Sheet\(\) takes no arguments$"):
            orvel.Sheet(*args, **kwargs)


def prepared_sheet():
    sheet = orvel.Sheet()
    sheet.set_cells([("A1", "=SEQUENCE(2)"), ("B1", "x")])
    sheet.set_name("rate", "0.5")
    sheet.pin_value("C1", [["p"]])
    sheet.register_type(Handler())
    return sheet


def observed(method, args, kwargs):
    """A method's result on a prepared sheet and what the sheet shows afterwards."""
    sheet = prepared_sheet()
    result = getattr(sheet, method)(*args, **kwargs)
    return result, sheet.get_all_typed(), sheet.names(), sheet.pinned_cells(), len(
        sheet.list_functions())


CALLABLES = [
    pytest.param(name, signature, args, expected,
                 lambda a, k, name=name: getattr(orvel, name)(*a, **k), id=name)
    for name, signature, args, expected in FUNCTIONS
] + [
    pytest.param(f"Sheet.{name}", signature, args, ...,
                 lambda a, k, name=name: observed(name, a, k), id=f"Sheet.{name}")
    for name, signature, args in METHODS
]


@pytest.mark.parametrize("label,signature,args,expected,call", CALLABLES)
def test_argument_counts_and_keywords(label, signature, args, expected, call):
    parameters = [p.split("=")[0] for p in signature[1:-1].split(", ") if p]
    required = sum("=" not in p for p in signature[1:-1].split(", ") if p)
    result = call(args, {})
    if expected is not ...:
        assert result == expected
    # Keywords are matched by name, whatever their order.
    assert call((), dict(reversed(list(zip(parameters, args))))) == result

    def refusal(a, k):
        with pytest.raises(TypeError) as caught:
            call(a, k)
        return str(caught.value)

    count = len(parameters)
    if not parameters:
        qualified = label if "." in label else f"orvel.{label}"
        assert refusal((0,), {}) == f"{qualified}() takes no arguments (1 given)"
        assert refusal((), {"extra": 0}) == f"{qualified}() takes no keyword arguments"
        return
    if required < count:
        takes = f"from {required} to {count} positional arguments"
    else:
        takes = f"{count} positional argument" + ("s" if count > 1 else "")
    assert refusal(args + (0,), {}) == f"{label}() takes {takes} but {count + 1} were given"
    assert refusal(args[: required - 1], {}) == (
        f"{label}() missing 1 required positional argument: '{parameters[required - 1]}'"
    )
    assert refusal(args, {"extra": 0}) == f"{label}() got an unexpected keyword argument 'extra'"


class Index:
    """An int-like object: __index__ gives `value`, or raises it when it is an exception."""

    def __init__(self, value):
        self.value = value

    def __index__(self):
        if isinstance(self.value, Exception):
            raise self.value
        return self.value


def rewritten(**lists):
    return orvel.adjust_refs_for_deletion("=B2", **lists)


# (call, its result or the exception it raises). Integers at each limit and one past.
ARGUMENTS = [
    (lambda: orvel.evaluate("1", formula="2"),
     TypeError("evaluate() got multiple values for argument 'formula'")),
    (lambda: orvel.evaluate(**{"\ud800": 1}), UnicodeEncodeError),
    (lambda: orvel.evaluate("=\ud800"), UnicodeEncodeError),
    (lambda: orvel.evaluate(1), TypeError("argument 'formula': expected str, got int")),
    (lambda: orvel.cell_id(), TypeError(
        "cell_id() missing 2 required positional arguments: 'row' and 'col'")),
    (lambda: orvel.shift_formula_refs("=A1"), TypeError(
        "shift_formula_refs() missing 4 required positional arguments: "
        "'d_row', 'd_col', 'max_row', and 'max_col'")),
    (lambda: rewritten(deleted_cols="AB"),
     TypeError("argument 'deleted_cols': Can't extract `str` to `Vec`")),
    (lambda: rewritten(deleted_rows=5),
     TypeError("argument 'deleted_rows': expected a sequence, got int")),
    (lambda: rewritten(deleted_cols=[1.5]),
     TypeError("argument 'deleted_cols': 'float' object cannot be interpreted as an integer")),
    (lambda: rewritten(deleted_cols=[Index(ValueError("no"))]), ValueError("no")),
    (lambda: rewritten(deleted_cols=None, deleted_rows=(Index(0),)), "=B1"),
    (lambda: rewritten(deleted_rows=[-1]),
     OverflowError("argument 'deleted_rows': can't convert negative int to unsigned")),
    (lambda: orvel.index_to_col(2**32 - 1), "MWLQKWU"),
    (lambda: orvel.index_to_col(2**32),
     OverflowError("argument 'index': int too large for an unsigned 32-bit integer")),
    (lambda: orvel.index_to_col(-(2**64)),
     OverflowError("argument 'index': can't convert negative int to unsigned")),
    (lambda: orvel.shift_formula_refs("=A1", 2**31 - 1, 0, 100, 100), "=#REF!"),
    (lambda: orvel.shift_formula_refs("=A1", 0, -(2**31), 100, 100), "=#REF!"),
    (lambda: orvel.shift_formula_refs("=B2", -1, -1, 1, 1), "=A1"),
    (lambda: orvel.shift_formula_refs("=A1", 0, -(2**31) - 1, 1, 1),
     OverflowError("argument 'd_col': int out of range for a signed 32-bit integer")),
    (lambda: orvel.shift_formula_refs("=A1", 2**70, 0, 1, 1),
     OverflowError("argument 'd_row': int out of range for a signed 32-bit integer")),
    (lambda: orvel.signature_help("=A1", 2**64 - 1), None),
    (lambda: orvel.signature_help("=A1", -1),
     OverflowError("argument 'cursor': can't convert negative int to unsigned")),
    (lambda: orvel.signature_help("=A1", 2**64),
     OverflowError("argument 'cursor': int too large for a pointer-sized integer")),
    (lambda: orvel.cell_id("0", 0),
     TypeError("argument 'row': 'str' object cannot be interpreted as an integer")),
    (lambda: orvel.cell_id(True, Index(2)), "C2"),
]


@pytest.mark.parametrize("call,outcome", ARGUMENTS, ids=lambda value: (
    None if callable(value) and not isinstance(value, type) else repr(value)[:70]))
def test_argument_conversions(call, outcome):
    if isinstance(outcome, (type, Exception)):
        kind = outcome if isinstance(outcome, type) else type(outcome)
        with pytest.raises(kind) as caught:
            call()
        assert kind is outcome or str(caught.value) == str(outcome)
    else:
        assert call() == outcome


def test_stub_matches_the_module():
    # The stub package is installed beside the module (scripts/run-python-sanitized copies it
    # there too).
    stub_path = pathlib.Path(orvel.__file__).parent / "orvel-stubs" / "__init__.pyi"
    tree = ast.parse(stub_path.read_text())
    stub_functions = {}
    stub_methods = {}
    for node in tree.body:
        if isinstance(node, ast.FunctionDef):
            stub_functions[node.name] = node
        elif isinstance(node, ast.ClassDef) and node.name == "Sheet":
            for item in node.body:
                if isinstance(item, ast.FunctionDef) and not item.name.startswith("__"):
                    stub_methods[item.name] = item

    def signature_of(node, skip_self):
        args = node.args.args[1:] if skip_self else node.args.args
        defaults = [None] * (len(args) - len(node.args.defaults)) + node.args.defaults
        parts = []
        for arg, default in zip(args, defaults):
            parts.append(arg.arg if default is None else f"{arg.arg}={ast.unparse(default)}")
        return "(" + ", ".join(parts) + ")"

    assert {name: signature_of(node, False) for name, node in stub_functions.items()} == {
        row[0]: row[1] for row in FUNCTIONS
    }
    assert list(stub_functions) == [row[0] for row in FUNCTIONS]
    assert {name: signature_of(node, True) for name, node in stub_methods.items()} == {
        row[0]: row[1] for row in METHODS
    }
    assert list(stub_methods) == [row[0] for row in METHODS]


@pytest.mark.parametrize("config", ["isolated", "legacy"])
def test_sub_interpreters_cannot_import_the_module(config):
    interpreters = pytest.importorskip("_interpreters")
    interpreter = interpreters.create(config)
    try:
        failure = interpreters.exec(interpreter, "import orvel")
    finally:
        interpreters.destroy(interpreter)
    assert failure is not None and failure.type.__name__ == "ImportError"


def test_importing_again_in_the_same_interpreter_works():
    saved = sys.modules.pop("orvel")
    try:
        import orvel as again

        assert again.Sheet is orvel.Sheet
        assert again.__all__ == orvel.__all__
    finally:
        sys.modules["orvel"] = saved
