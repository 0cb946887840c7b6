"""A small program typed against orvel's stub. `mypy --strict` and pyright's strict mode must
accept it, and it must run.

Each line marked `# type: ignore[...]` in `misuses` is an error that the stub has to catch:
--strict reports an ignore comment that suppresses nothing, so a stub that lets one of them pass
(or a stub that is not found at all, which types everything as Any) fails the check. pyright
honours the same comments, so only mypy checks the misuses.
"""
# pyright: strict

from __future__ import annotations

from typing import TYPE_CHECKING, Literal, assert_type

import orvel

if TYPE_CHECKING:
    from orvel.typing import CellPayload, CustomValue, FormulaRef, TypedValue


def total(sheet: orvel.Sheet, cells: list[str]) -> float:
    result = 0.0
    for cell in cells:
        value = sheet.get_typed(cell)
        if isinstance(value, (int, float)) and not isinstance(value, bool):
            result += value
    return result


def ref_kinds(refs: list[FormulaRef]) -> list[Literal["cell", "range", "whole_column",
                                                     "whole_row", "name", "spill"]]:
    return [ref["kind"] for ref in refs]


def main() -> None:
    sheet = orvel.Sheet()
    payloads: list[tuple[str, CellPayload]] = [
        ("A1", {"kind": "number", "value": 2}),
        ("A2", {"kind": "raw", "value": "=A1*3"}),
        ("A3", {"kind": "custom", "type_tag": "tag", "data": "text"}),
        ("A4", {"kind": "boolean", "value": True}),
        ("A5", {"kind": "empty"}),
    ]
    sheet.set_cells_typed(payloads)
    sheet.set_cells([("B1", "=SEQUENCE(2)")])
    assert total(sheet, ["A1", "A2", "A4"]) == 8

    custom = sheet.get_typed("A3")
    assert isinstance(custom, dict)
    assert_type(custom, "CustomValue")
    assert custom["type_tag"] == "tag" and custom["data"] == "text"

    spill = sheet.spill_at("B1")
    assert spill is not None and (spill["rows"], spill["cols"]) == (2, 1)
    array: list[list[TypedValue]] | None = sheet.get_array_typed("B1")
    assert array == [[1], [2]]

    assert ref_kinds(orvel.extract_refs("=A1+B1#+C:C")) == ["cell", "spill", "whole_column"]
    tokens = orvel.formula_tokens("=SUM(1)")
    assert [token["kind"] for token in tokens] == ["function", "paren", "number", "paren"]
    info = orvel.parse_range("A1:B")
    assert info["end_row"] is None and info["start"]["col"] == 0
    assert orvel.cell_id(orvel.parse_cell_id("B12")["row"], 1) == "B12"

    sheet.register_function("TWICE", lambda args: 2 * args[0] if isinstance(args[0], int) else 0)
    sheet.set_cells([("C1", "=TWICE(21)")])
    assert sheet.get_typed("C1") == 42
    completion = sheet.complete("=TW", 3)
    assert [item["label"] for item in completion["items"] if item["kind"] == "function"] == ["TWICE"]
    help_ = orvel.signature_help("=SUM(1, ", 8)
    assert help_ is not None and help_["function"]["name"] == "SUM"
    assert orvel.evaluate("=1+2") == "3"
    print("typed program: ok")


def misuses(sheet: orvel.Sheet) -> None:
    # Never called: only type-checked. The typing names are no attributes of the module itself.
    from orvel import TypedValue  # type: ignore[attr-defined]
    sheet.set_cells_typed([("A1", {"kind": "number", "value": "3"})])  # type: ignore[misc, list-item]
    sheet.set_cells_typed([("A1", {"kind": "text", "value": "x"})])  # type: ignore[misc, list-item]
    sheet.set_cells_typed([("A1", {"kind": "custom", "type_tag": "t"})])  # type: ignore[list-item]
    sheet.set_cells([("A1", 1)])  # type: ignore[list-item]
    number: float = sheet.get_typed("A1")  # type: ignore[assignment]
    kind = orvel.extract_refs("=A1")[0]["kind"]
    assert kind != "cells"  # type: ignore[comparison-overlap]
    orvel.parse_cell_id("A1")["column"]  # type: ignore[typeddict-item]
    orvel.evaluate(1)  # type: ignore[arg-type]
    orvel.rewrite_refs_for_deletion("=A1", deleted_cols="AB")  # type: ignore[arg-type]

    class Derived(orvel.Sheet):  # type: ignore[misc]
        pass

    del number, Derived


if __name__ == "__main__":
    main()
