# Names for type checkers only: the values, payloads and result dicts of the module `orvel`, as
# its stub uses them. This module exists in the stub package alone (the extension module has no
# submodules), so import from it under `if TYPE_CHECKING:`, never at run time:
#
#     from typing import TYPE_CHECKING
#     if TYPE_CHECKING:
#         from orvel.typing import CellPayload, TypedValue
from typing import Literal, SupportsFloat, SupportsIndex, TypedDict

# A value of a custom type as it crosses the boundary.
class CustomValue(TypedDict):
    type_tag: str
    data: str

# A cell value read back: numbers that are whole and below 2**53 as int, error values as their
# display text, an empty cell as None.
TypedValue = int | float | str | bool | CustomValue | None

# The payloads of Sheet.set_cells_typed, by kind.
class RawPayload(TypedDict):
    kind: Literal["raw"]
    value: str

class EmptyPayload(TypedDict):
    kind: Literal["empty"]

class StringPayload(TypedDict):
    kind: Literal["string"]
    value: str

class NumberPayload(TypedDict):
    kind: Literal["number"]
    value: SupportsFloat | SupportsIndex

class BooleanPayload(TypedDict):
    kind: Literal["boolean"]
    value: bool

class CustomPayload(TypedDict):
    kind: Literal["custom"]
    type_tag: str
    data: str

CellPayload = (
    RawPayload | EmptyPayload | StringPayload | NumberPayload | BooleanPayload | CustomPayload
)

class ParamInfo(TypedDict):
    name: str
    optional: bool
    description: str

class ExampleInfo(TypedDict):
    formula: str
    result: str

class FunctionInfo(TypedDict):
    name: str
    aliases: list[str]
    category: str
    params: list[ParamInfo]
    variadic: ParamInfo | None
    description: str
    examples: list[ExampleInfo]

class SignatureHelp(TypedDict):
    function: FunctionInfo
    active_param: int

class CompletionItem(TypedDict):
    kind: Literal["function", "name"]
    label: str
    insert: str
    detail: str | None
    documentation: str | None

class Completion(TypedDict):
    replace_start: int
    replace_end: int
    items: list[CompletionItem]

class SpillRegion(TypedDict):
    rows: int
    cols: int

class CellPosition(TypedDict):
    row: int
    col: int

class RangeInfo(TypedDict):
    start: CellPosition
    end_col: int
    end_row: int | None
    unbounded: bool
    normalized: str

class FormulaRef(TypedDict):
    start: int
    end: int
    text: str
    kind: Literal["cell", "range", "whole_column", "whole_row", "name", "spill"]
    cells: list[str]

class FormulaToken(TypedDict):
    start: int
    end: int
    kind: Literal[
        "number",
        "string",
        "boolean",
        "cell_ref",
        "range",
        "name",
        "function",
        "operator",
        "paren",
        "comma",
        "whitespace",
        "unknown",
    ]
