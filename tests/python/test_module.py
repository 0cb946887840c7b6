"""The module's surface: exported names, text signatures, docstrings, argument errors."""

import ast
import inspect
import pathlib
import sys
import weakref

import pytest

import orvel

FUNCTIONS = [
    ("evaluate", "(formula)"),
    ("extract_refs", "(formula)"),
    ("formula_tokens", "(formula)"),
    ("rewrite_refs_for_deletion", "(formula, deleted_cols=None, deleted_rows=None)"),
    ("adjust_refs_for_deletion", "(formula, deleted_cols=None, deleted_rows=None)"),
    ("adjust_refs_for_insertion", "(formula, inserted_cols=None, inserted_rows=None)"),
    ("adjust_refs_for_column_block_move", "(formula, src_start, src_end, final_start)"),
    (
        "adjust_refs_for_column_block_move_data_following",
        "(formula, src_start, src_end, final_start)",
    ),
    ("adjust_refs_for_row_block_move", "(formula, src_start, src_end, final_start)"),
    (
        "adjust_refs_for_row_block_move_data_following",
        "(formula, src_start, src_end, final_start)",
    ),
    ("shift_formula_refs", "(formula, d_row, d_col, max_row, max_col)"),
    ("parse_range", "(input)"),
    ("is_unbounded_range", "(input)"),
    ("parse_cell_id", "(input)"),
    ("col_to_index", "(letters)"),
    ("index_to_col", "(index)"),
    ("cell_id", "(row, col)"),
    ("list_functions", "()"),
    ("signature_help", "(formula, cursor)"),
]

METHODS = [
    ("set_cells", "(changes)"),
    ("set_cells_typed", "(changes)"),
    ("try_parse", "(type_tag, raw, options)"),
    ("get", "(cell_id)"),
    ("get_all", "()"),
    ("get_typed", "(cell_id)"),
    ("get_all_typed", "()"),
    ("get_array_typed", "(cell_id)"),
    ("set_name", "(name, definition)"),
    ("remove_name", "(name)"),
    ("get_name", "(name)"),
    ("names", "()"),
    ("spill_at", "(cell_id)"),
    ("owner_of", "(cell_id)"),
    ("get_array", "(cell_id)"),
    ("pin_value", "(cell_id, rows)"),
    ("unpin_value", "(cell_id)"),
    ("pinned_cells", "()"),
    ("is_pinned", "(cell_id)"),
    ("register_type", "(handler)"),
    ("register_function", "(name, func)"),
    ("complete", "(formula, cursor)"),
    ("register_datetime", "()"),
    ("register_url", "()"),
    ("list_functions", "()"),
    ("signature_help", "(formula, cursor)"),
]


def test_all_lists_the_class_then_the_functions_in_table_order():
    assert orvel.__all__ == ["Sheet"] + [name for name, _ in FUNCTIONS]


def test_module_holds_nothing_but_its_exports():
    own = {name for name in vars(orvel) if not name.startswith("__")}
    assert own == set(orvel.__all__)
    assert orvel.__doc__ == "Python module exported as `orvel`."


@pytest.mark.parametrize("name,signature", FUNCTIONS)
def test_function_text_signature(name, signature):
    function = getattr(orvel, name)
    assert function.__text_signature__ == signature
    assert str(inspect.signature(function)) == signature
    assert function.__module__ == "orvel"
    assert not function.__doc__.startswith(name)


def test_methods_are_in_table_order():
    methods = [name for name in vars(orvel.Sheet) if not name.startswith("__")]
    assert methods == [name for name, _ in METHODS]


@pytest.mark.parametrize("name,signature", METHODS)
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


def test_method_docstrings_are_the_help_text_alone():
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


ARGUMENT_ERRORS = [
    # (call, exception, message)
    (lambda: orvel.evaluate(), TypeError,
     "evaluate() missing 1 required positional argument: 'formula'"),
    (lambda: orvel.evaluate("1", "2"), TypeError,
     "evaluate() takes 1 positional argument but 2 were given"),
    (lambda: orvel.evaluate("1", formula="2"), TypeError,
     "evaluate() got multiple values for argument 'formula'"),
    (lambda: orvel.evaluate(text="1"), TypeError,
     "evaluate() got an unexpected keyword argument 'text'"),
    (lambda: orvel.evaluate(1), TypeError, "argument 'formula': expected str, got int"),
    (lambda: orvel.cell_id(0), TypeError,
     "cell_id() missing 1 required positional argument: 'col'"),
    (lambda: orvel.shift_formula_refs("=A1"), TypeError,
     "shift_formula_refs() missing 4 required positional arguments: "
     "'d_row', 'd_col', 'max_row', and 'max_col'"),
    (lambda: orvel.adjust_refs_for_insertion("=A1", [], [], []), TypeError,
     "adjust_refs_for_insertion() takes from 1 to 3 positional arguments but 4 were given"),
    (lambda: orvel.list_functions(1), TypeError,
     "orvel.list_functions() takes no arguments (1 given)"),
    (lambda: orvel.adjust_refs_for_deletion("=A1", "AB"), TypeError,
     "argument 'deleted_cols': Can't extract `str` to `Vec`"),
    (lambda: orvel.adjust_refs_for_deletion("=A1", deleted_rows=5), TypeError,
     "argument 'deleted_rows': expected a sequence, got int"),
    (lambda: orvel.adjust_refs_for_deletion("=A1", [1.5]), TypeError,
     "argument 'deleted_cols': 'float' object cannot be interpreted as an integer"),
    (lambda: orvel.adjust_refs_for_deletion("=A1", [-1]), OverflowError,
     "argument 'deleted_cols': can't convert negative int to unsigned"),
    (lambda: orvel.index_to_col(-1), OverflowError,
     "argument 'index': can't convert negative int to unsigned"),
    (lambda: orvel.index_to_col(2**32), OverflowError,
     "argument 'index': int too large for an unsigned 32-bit integer"),
    (lambda: orvel.shift_formula_refs("=A1", 2**31, 0, 1, 1), OverflowError,
     "argument 'd_row': int out of range for a signed 32-bit integer"),
    (lambda: orvel.signature_help("=A1", -1), OverflowError,
     "argument 'cursor': can't convert negative int to unsigned"),
    (lambda: orvel.signature_help("=A1", 2**64), OverflowError,
     "argument 'cursor': int too large for a pointer-sized integer"),
    (lambda: orvel.cell_id("0", 0), TypeError,
     "argument 'row': 'str' object cannot be interpreted as an integer"),
]


@pytest.mark.parametrize("call,exception,message", ARGUMENT_ERRORS)
def test_argument_errors(call, exception, message):
    with pytest.raises(exception) as caught:
        call()
    assert str(caught.value) == message


def test_lone_surrogates_raise_unicode_encode_error():
    with pytest.raises(UnicodeEncodeError):
        orvel.evaluate("=\ud800")


class _Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


def test_objects_with_index_are_accepted_as_integers():
    assert orvel.adjust_refs_for_deletion("x", [_Index(1)], (2, 3)) == "x"


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

    assert list(stub_functions) == [name for name, _ in FUNCTIONS]
    for name, signature in FUNCTIONS:
        assert signature_of(stub_functions[name], False) == signature, name
    assert list(stub_methods) == [name for name, _ in METHODS]
    for name, signature in METHODS:
        assert signature_of(stub_methods[name], True) == signature, name


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
