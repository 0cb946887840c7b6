# Type stub of the extension module `orvel`, installed as the stub package `orvel-stubs` (PEP 561)
# so that type checkers find it. A test keeps it in step with the module: the same names,
# parameters and defaults as the module's text signatures. Names with a leading underscore exist
# only for typing: import them under `if TYPE_CHECKING:`, never at run time.
from collections.abc import Callable, Sequence
from typing import Literal, SupportsFloat, SupportsIndex, TypedDict, final

__all__ = [
    "Sheet",
    "evaluate",
    "extract_refs",
    "formula_tokens",
    "rewrite_refs_for_deletion",
    "adjust_refs_for_deletion",
    "adjust_refs_for_insertion",
    "adjust_refs_for_column_block_move",
    "adjust_refs_for_column_block_move_data_following",
    "adjust_refs_for_row_block_move",
    "adjust_refs_for_row_block_move_data_following",
    "shift_formula_refs",
    "parse_range",
    "is_unbounded_range",
    "parse_cell_id",
    "col_to_index",
    "index_to_col",
    "cell_id",
    "list_functions",
    "signature_help",
]

# A value of a custom type as it crosses the boundary.
class _CustomValue(TypedDict):
    type_tag: str
    data: str

# A cell value read back: numbers that are whole and below 2**53 as int, error values as their
# display text, an empty cell as None.
_TypedValue = int | float | str | bool | _CustomValue | None

# The payloads of Sheet.set_cells_typed, by kind.
class _RawPayload(TypedDict):
    kind: Literal["raw"]
    value: str

class _EmptyPayload(TypedDict):
    kind: Literal["empty"]

class _StringPayload(TypedDict):
    kind: Literal["string"]
    value: str

class _NumberPayload(TypedDict):
    kind: Literal["number"]
    value: SupportsFloat | SupportsIndex

class _BooleanPayload(TypedDict):
    kind: Literal["boolean"]
    value: bool

class _CustomPayload(TypedDict):
    kind: Literal["custom"]
    type_tag: str
    data: str

_CellPayload = (
    _RawPayload | _EmptyPayload | _StringPayload | _NumberPayload | _BooleanPayload | _CustomPayload
)

class _ParamInfo(TypedDict):
    name: str
    optional: bool
    description: str

class _ExampleInfo(TypedDict):
    formula: str
    result: str

class _FunctionInfo(TypedDict):
    name: str
    aliases: list[str]
    category: str
    params: list[_ParamInfo]
    variadic: _ParamInfo | None
    description: str
    examples: list[_ExampleInfo]

class _SignatureHelp(TypedDict):
    function: _FunctionInfo
    active_param: int

class _CompletionItem(TypedDict):
    kind: Literal["function", "name"]
    label: str
    insert: str
    detail: str | None
    documentation: str | None

class _Completion(TypedDict):
    replace_start: int
    replace_end: int
    items: list[_CompletionItem]

class _SpillRegion(TypedDict):
    rows: int
    cols: int

class _CellPosition(TypedDict):
    row: int
    col: int

class _RangeInfo(TypedDict):
    start: _CellPosition
    end_col: int
    end_row: int | None
    unbounded: bool
    normalized: str

class _FormulaRef(TypedDict):
    start: int
    end: int
    text: str
    kind: Literal["cell", "range", "whole_column", "whole_row", "name", "spill"]
    cells: list[str]

class _FormulaToken(TypedDict):
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

@final
class Sheet:
    """Python-visible spreadsheet backed by orvel-core."""
    def __init__(self) -> None: ...
    def set_cells(self, changes: Sequence[tuple[str, str]]) -> None: ...
    def set_cells_typed(self, changes: Sequence[tuple[str, _CellPayload]]) -> None: ...
    def try_parse(self, type_tag: str, raw: str, options: str) -> _CustomValue | None: ...
    def get(self, cell_id: str) -> str | None: ...
    def get_all(self) -> dict[str, str]: ...
    def get_typed(self, cell_id: str) -> _TypedValue: ...
    def get_all_typed(self) -> dict[str, _TypedValue]: ...
    def get_array_typed(self, cell_id: str) -> list[list[_TypedValue]] | None: ...
    def set_name(self, name: str, definition: str) -> None: ...
    def remove_name(self, name: str) -> None: ...
    def get_name(self, name: str) -> str | None: ...
    def names(self) -> dict[str, str]: ...
    def spill_at(self, cell_id: str) -> _SpillRegion | None: ...
    def owner_of(self, cell_id: str) -> str | None: ...
    def get_array(self, cell_id: str) -> list[list[str]] | None: ...
    def pin_value(self, cell_id: str, rows: Sequence[Sequence[str]]) -> None: ...
    def unpin_value(self, cell_id: str) -> None: ...
    def pinned_cells(self) -> list[str]: ...
    def is_pinned(self, cell_id: str) -> bool: ...
    def register_type(self, handler: object) -> None: ...
    def register_function(self, name: str, func: Callable[[list[_TypedValue]], object]) -> None: ...
    def complete(self, formula: str, cursor: int) -> _Completion: ...
    def register_datetime(self) -> None: ...
    def register_url(self) -> None: ...
    def list_functions(self) -> list[_FunctionInfo]: ...
    def signature_help(self, formula: str, cursor: int) -> _SignatureHelp | None: ...

def evaluate(formula: str) -> str | None: ...
def extract_refs(formula: str) -> list[_FormulaRef]: ...
def formula_tokens(formula: str) -> list[_FormulaToken]: ...
def rewrite_refs_for_deletion(
    formula: str,
    deleted_cols: Sequence[int] | None = None,
    deleted_rows: Sequence[int] | None = None,
) -> str: ...
def adjust_refs_for_deletion(
    formula: str,
    deleted_cols: Sequence[int] | None = None,
    deleted_rows: Sequence[int] | None = None,
) -> str: ...
def adjust_refs_for_insertion(
    formula: str,
    inserted_cols: Sequence[int] | None = None,
    inserted_rows: Sequence[int] | None = None,
) -> str: ...
def adjust_refs_for_column_block_move(
    formula: str, src_start: int, src_end: int, final_start: int
) -> str: ...
def adjust_refs_for_column_block_move_data_following(
    formula: str, src_start: int, src_end: int, final_start: int
) -> str: ...
def adjust_refs_for_row_block_move(
    formula: str, src_start: int, src_end: int, final_start: int
) -> str: ...
def adjust_refs_for_row_block_move_data_following(
    formula: str, src_start: int, src_end: int, final_start: int
) -> str: ...
def shift_formula_refs(formula: str, d_row: int, d_col: int, max_row: int, max_col: int) -> str: ...
def parse_range(input: str) -> _RangeInfo: ...
def is_unbounded_range(input: str) -> bool: ...
def parse_cell_id(input: str) -> _CellPosition: ...
def col_to_index(letters: str) -> int: ...
def index_to_col(index: int) -> str: ...
def cell_id(row: int, col: int) -> str: ...
def list_functions() -> list[_FunctionInfo]: ...
def signature_help(formula: str, cursor: int) -> _SignatureHelp | None: ...
