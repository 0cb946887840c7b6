"""The result dicts of the type stub against the module's real results: the same keys, and every
kind text the module returns among the stub's literal kinds."""

import ast
import pathlib

import orvel


def _stub_typed_dicts():
    stub = pathlib.Path(orvel.__file__).parent / "orvel-stubs" / "typing.pyi"
    fields = {}
    for node in ast.parse(stub.read_text()).body:
        if isinstance(node, ast.ClassDef) and any(
            isinstance(base, ast.Name) and base.id == "TypedDict" for base in node.bases
        ):
            fields[node.name] = {
                item.target.id: item.annotation
                for item in node.body
                if isinstance(item, ast.AnnAssign)
            }
    return fields


STUB = _stub_typed_dicts()


def _literals(annotation):
    assert isinstance(annotation, ast.Subscript) and ast.unparse(annotation.value) == "Literal"
    elements = annotation.slice.elts if isinstance(annotation.slice, ast.Tuple) else [annotation.slice]
    return {element.value for element in elements}


def _assert_shape(name, value):
    assert set(value) == set(STUB[name]), name


def test_result_dicts_have_the_stubs_keys():
    sheet = orvel.Sheet()
    sheet.set_cells([("A1", "=SEQUENCE(2)"), ("B1", "=A1#+1")])
    _assert_shape("SpillRegion", sheet.spill_at("A1"))
    info = orvel.parse_range("A1:B")
    _assert_shape("RangeInfo", info)
    _assert_shape("CellPosition", info["start"])
    _assert_shape("CellPosition", orvel.parse_cell_id("C3"))
    help_ = orvel.signature_help("=IF(1, ", 7)
    _assert_shape("SignatureHelp", help_)
    _assert_shape("FunctionInfo", help_["function"])
    _assert_shape("ParamInfo", help_["function"]["params"][0])
    with_examples = [info for info in orvel.list_functions() if info["examples"]]
    _assert_shape("ExampleInfo", with_examples[0]["examples"][0])
    completion = sheet.complete("=SU", 3)
    _assert_shape("Completion", completion)
    _assert_shape("CompletionItem", completion["items"][0])
    _assert_shape("FormulaRef", orvel.extract_refs("=A1")[0])
    _assert_shape("FormulaToken", orvel.formula_tokens("=A1")[0])
    sheet.set_cells_typed([("C1", {"kind": "custom", "type_tag": "t", "data": "d"})])
    _assert_shape("CustomValue", sheet.get_typed("C1"))


def test_kind_texts_are_among_the_stubs_literals():
    ref_kinds = {ref["kind"] for ref in orvel.extract_refs("=A1+B1:C2+A:A+1:1+foo+A1#")}
    assert ref_kinds == _literals(STUB["FormulaRef"]["kind"])
    formula = '=SUM(1, "a", TRUE, A1, B1:B2, foo) + ?'
    token_kinds = {token["kind"] for token in orvel.formula_tokens(formula)}
    assert token_kinds == _literals(STUB["FormulaToken"]["kind"])
    sheet = orvel.Sheet()
    sheet.set_name("SUBTOTALS", "=1")
    item_kinds = {item["kind"] for item in sheet.complete("=SU", 3)["items"]}
    assert item_kinds == _literals(STUB["CompletionItem"]["kind"])


def test_payload_kinds_are_the_ones_the_module_accepts():
    payload_kinds = set()
    for name, fields in STUB.items():
        if name.endswith("Payload"):
            payload_kinds |= _literals(fields["kind"])
    sheet = orvel.Sheet()
    for kind in payload_kinds:
        payload = {"kind": kind, "value": "1", "type_tag": "t", "data": "d"}
        if kind == "number":
            payload["value"] = 1
        elif kind == "boolean":
            payload["value"] = True
        sheet.set_cells_typed([("A1", payload)])
    assert payload_kinds == {"raw", "empty", "string", "number", "boolean", "custom"}
