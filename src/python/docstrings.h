// Docstrings of the module's functions and of the Sheet class, in the form CPython reads a
// text signature from: "name(signature)", a line "--", an empty line, then the help text.
#pragma once

namespace orvel::python {

inline constexpr const char kModuleDoc[] = "Python module exported as `orvel`.";

inline constexpr const char kSheetClassDoc[] = R"doc(Sheet()
--

Python-visible spreadsheet backed by orvel-core.)doc";

inline constexpr const char kEvaluateDoc[] = R"doc(evaluate(formula)
--

One-shot formula evaluation (no sheet state).)doc";

inline constexpr const char kExtractRefsDoc[] = R"doc(extract_refs(formula)
--

Extract cell references from a formula with source positions.
Returns a list of dicts: [{"start": int, "end": int, "text": str,
"kind": str, "cells": [str]}] where `kind` is one of
"cell", "range", "whole_column", "whole_row", "name".)doc";

inline constexpr const char kFormulaTokensDoc[] = R"doc(formula_tokens(formula)
--

Classify every token of a formula string with its source span.

Returns a list of dicts: `[{"start": int, "end": int, "kind": str}]`
where `kind` is one of `"number"`, `"string"`, `"cell_ref"`, `"range"`,
`"name"`, `"function"`, `"operator"`, `"paren"`, `"comma"`,
`"whitespace"`, `"unknown"`. Non-formula input (no leading `=`)
returns an empty list. Lexer errors produce whatever tokens were
recognized plus an `"unknown"` span covering the remainder.)doc";

inline constexpr const char kRewriteRefsForDeletionDoc[] = R"doc(rewrite_refs_for_deletion(formula, deleted_cols=None, deleted_rows=None)
--

Rewrite every ref in `formula` that points into the deleted rows or
columns, replacing the affected portion with `#REF!`. Row and column
indices are 0-based. Non-formula input passes through unchanged.)doc";

inline constexpr const char kAdjustRefsForDeletionDoc[] = R"doc(adjust_refs_for_deletion(formula, deleted_cols=None, deleted_rows=None)
--

Adjust every ref in `formula` to reflect the formula's *new* text
after the given rows/cols have been deleted. Surviving refs shift
to their new index, ranges get trimmed to the surviving extent,
and refs with no survivors become `#REF!`. Row and column indices
are 0-based. Non-formula input passes through unchanged.)doc";

inline constexpr const char kAdjustRefsForInsertionDoc[] = R"doc(adjust_refs_for_insertion(formula, inserted_cols=None, inserted_rows=None)
--

Adjust every ref in `formula` to reflect the formula's *new* text
after the given rows/cols have been inserted. Refs at or past the
insertion point shift outward by the count of insertions
at-or-before their index; refs before every insertion are
untouched. Absolute components (`$`-prefixed) keep their markers
but still shift positionally. Ranges whose endpoints straddle an
insertion grow to include the new blank row/col. Row and column
indices are 0-based. Non-formula input passes through unchanged.)doc";

inline constexpr const char kAdjustRefsForColumnBlockMoveDoc[] = R"doc(adjust_refs_for_column_block_move(formula, src_start, src_end, final_start)
--

Adjust every column-bearing ref in `formula` to reflect a
contiguous block of columns `[src_start, src_end]` (0-based,
inclusive) moving to land starting at `final_start` in the
post-move layout. Block move is a permutation — no `#REF!` is
produced. Bounded ranges (`A1:D5`) stay positional; whole-column
ranges (`B:D`) follow their data via interior-bbox semantics.
Non-formula input passes through unchanged.)doc";

inline constexpr const char kAdjustRefsForColumnBlockMoveDataFollowingDoc[] = R"doc(adjust_refs_for_column_block_move_data_following(formula, src_start, src_end, final_start)
--

Same shape as `adjust_refs_for_column_block_move` BUT bounded
ranges (`A1:D5`) are rewritten via interior-bbox semantics
rather than left in place. Use this on text where bounded
ranges denote *named cells* (named-range definitions) rather
than *positional rectangles* (cell formulas).)doc";

inline constexpr const char kAdjustRefsForRowBlockMoveDoc[] = R"doc(adjust_refs_for_row_block_move(formula, src_start, src_end, final_start)
--

Adjust every row-bearing ref in `formula` to reflect a
contiguous block of rows `[src_start, src_end]` (0-based,
inclusive) moving to land starting at `final_start` in the
post-move layout. Block move is a permutation — no `#REF!` is
produced. Bounded ranges (`A1:D5`) stay positional; whole-row
ranges (`3:5`) follow their data via interior-bbox semantics.
Whole-column ranges (`A:C`) are unaffected by a row move.
Non-formula input passes through unchanged. Mirror of
`adjust_refs_for_column_block_move` on the row axis.)doc";

inline constexpr const char kAdjustRefsForRowBlockMoveDataFollowingDoc[] = R"doc(adjust_refs_for_row_block_move_data_following(formula, src_start, src_end, final_start)
--

Same shape as `adjust_refs_for_row_block_move` BUT bounded
ranges (`A1:D5`) are rewritten via interior-bbox semantics
rather than left in place. Use this on text where bounded
ranges denote *named cells* (named-range definitions) rather
than *positional rectangles* (cell formulas). Mirror of
`adjust_refs_for_column_block_move_data_following` on the row
axis.)doc";

inline constexpr const char kShiftFormulaRefsDoc[] = R"doc(shift_formula_refs(formula, d_row, d_col, max_row, max_col)
--

Shift every relative cell/range reference in `formula` by
`(d_row, d_col)`. Absolute components (those preceded by `$`) are
unchanged. References that would land outside `1..=max_row` /
`1..=max_col` become `#REF!` (a range with any off-grid endpoint
collapses entirely). Non-formula input passes through unchanged.

Primary use case: copy/paste of formulas — compute the paste
target's delta from the source anchor and rewrite each copied
formula so its relative refs point at the equivalent destination
cells.)doc";

inline constexpr const char kParseRangeDoc[] = R"doc(parse_range(input)
--

Parse an A1-style range into a dict describing its coordinates.

Returns `{"start": {"row": u32, "col": u32}, "end_col": u32,
"end_row": Option<u32>, "unbounded": bool, "normalized": str}`.)doc";

inline constexpr const char kIsUnboundedRangeDoc[] = R"doc(is_unbounded_range(input)
--

Return True if the range string is unbounded downward. Garbage input
returns False (no exception).)doc";

inline constexpr const char kParseCellIdDoc[] = R"doc(parse_cell_id(input)
--

Parse a single A1-style cell id into `{"row": u32, "col": u32}`.)doc";

inline constexpr const char kColToIndexDoc[] = R"doc(col_to_index(letters)
--

Convert column letters to a zero-based column index.

`"A"` → `0`, `"Z"` → `25`, `"AA"` → `26`. Accepts lowercase too.
Raises `ValueError` on empty input or non-letter characters.)doc";

inline constexpr const char kIndexToColDoc[] = R"doc(index_to_col(index)
--

Convert a zero-based column index back to uppercase letters.

`0` → `"A"`, `25` → `"Z"`, `26` → `"AA"`.)doc";

inline constexpr const char kCellIdDoc[] = R"doc(cell_id(row, col)
--

Build a canonical A1-style cell id from zero-based `(row, col)`.

`(0, 0)` → `"A1"`, `(11, 1)` → `"B12"`, `(0, 26)` → `"AA1"`.)doc";

inline constexpr const char kListFunctionsDoc[] = R"doc(list_functions()
--

Metadata for every builtin function. Useful for help panels and docs sites.)doc";

inline constexpr const char kSignatureHelpDoc[] = R"doc(signature_help(formula, cursor)
--

If the cursor sits inside a function call's parens, return the function's
metadata and which 0-based parameter index is being typed. Otherwise None.)doc";

inline constexpr const char kSheetSetCellsDoc[] = R"doc(set_cells($self, changes)
--

Set one or more cells and recalculate.
`changes` is a list of (cell_id, raw_value) tuples.)doc";

inline constexpr const char kSheetSetCellsTypedDoc[] = R"doc(set_cells_typed($self, changes)
--

Set one or more cells, with each cell either raw text (engine
parses) or a pre-typed value (engine stores as-is).

`changes` is a list of `(cell_id, payload)` tuples where each
payload is a dict with a `kind` key:

    sheet.set_cells_typed([
        ("A1", {"kind": "raw", "value": "=B1+1"}),
        ("B1", {"kind": "number", "value": 42.5}),
        ("C1", {"kind": "string", "value": "2/4"}),  # forces literal text
        ("D1", {"kind": "boolean", "value": True}),
        ("E1", {"kind": "empty"}),                    # deletes the cell
        ("F1", {"kind": "custom", "type_tag": "jdate", "data": "2026-04-02"}),
    ])

`kind: "raw"` matches `set_cells` exactly (empty `value` deletes
the cell). The other kinds bypass the parse pipeline; the typed
value persists across recalcs until a `kind: "raw"` write to the
same cell opts back into auto-classification.)doc";

inline constexpr const char kSheetTryParseDoc[] = R"doc(try_parse($self, type_tag, raw, options)
--

Probe a registered custom-type handler with handler-specific
`options`. Returns `{"type_tag": str, "data": str}` if the
handler claims the input, else `None`.

Use this to disambiguate ambiguous input — e.g.
`sheet.try_parse("jdate", "4/2", "%d/%m")` asks the date handler
to parse `"4/2"` as a day/month shorthand. Pass the result
straight to `set_cells_typed` to write it.)doc";

inline constexpr const char kSheetGetDoc[] = R"doc(get($self, cell_id)
--

Get the computed value of a cell as a string, or None if empty.)doc";

inline constexpr const char kSheetGetAllDoc[] = R"doc(get_all($self)
--

Return all computed values as a dict of {cell_id: value_string}.)doc";

inline constexpr const char kSheetGetTypedDoc[] = R"doc(get_typed($self, cell_id)
--

Get the typed computed value: `int`, `float`, `str`, or `None`.

Numbers that are finite, integral, and within JS-safe-integer range
come back as `int`; everything else as `float`. Strings (including
error values like `"#DIV/0!"`) stay strings. Empty cells → `None`.)doc";

inline constexpr const char kSheetGetAllTypedDoc[] = R"doc(get_all_typed($self)
--

Return all computed values as a dict of {cell_id: typed_value}.
See `get_typed` for the type-mapping rules. Empty cells are omitted.)doc";

inline constexpr const char kSheetGetArrayTypedDoc[] = R"doc(get_array_typed($self, cell_id)
--

If `cell_id` is an anchor, return its full array as a nested list
of typed values. Otherwise None. See `get_typed` for type mapping.)doc";

inline constexpr const char kSheetSetNameDoc[] = R"doc(set_name($self, name, definition)
--

Define (or overwrite) a workbook-global named range and recalculate.

`definition` is the raw text — `"=B1"`, `"=A1:A10"`,
`"=SUM(A1:A10)"`, or a literal like `"0.05"`. Raises ValueError
for invalid names (cell-ref-shaped, builtin function names,
malformed) or unparseable definitions.)doc";

inline constexpr const char kSheetRemoveNameDoc[] = R"doc(remove_name($self, name)
--

Remove a named range and recalculate. No-op if the name is undefined.)doc";

inline constexpr const char kSheetGetNameDoc[] = R"doc(get_name($self, name)
--

Look up a name's raw definition, or None if undefined.)doc";

inline constexpr const char kSheetNamesDoc[] = R"doc(names($self)
--

Return all defined names as a dict mapping uppercased name → definition.
Iteration order matches the order names were defined.)doc";

inline constexpr const char kSheetSpillAtDoc[] = R"doc(spill_at($self, cell_id)
--

If `cell_id` is the anchor of a spill region, return a dict
{"rows": int, "cols": int}. Otherwise None.)doc";

inline constexpr const char kSheetOwnerOfDoc[] = R"doc(owner_of($self, cell_id)
--

If `cell_id` was populated by a spill from another cell's formula,
return the anchor id. Otherwise None.)doc";

inline constexpr const char kSheetGetArrayDoc[] = R"doc(get_array($self, cell_id)
--

If `cell_id` is an anchor, return its full array as a nested list
of strings (row-major, empty cells as ""). Otherwise None.)doc";

inline constexpr const char kSheetPinValueDoc[] = R"doc(pin_value($self, cell_id, rows)
--

Pin a 2-D value at an anchor cell. The pin overrides whatever the
cell's formula would evaluate to and spills like a native array
result (>1×1 → anchor + members, 1×1 → scalar). Blockers flip the
anchor to `#SPILL!`.

`rows` is a list of same-length lists of strings; every value is
stored as-is (the engine treats all pinned cells as strings).
Raises `ValueError` when the array is empty or ragged.)doc";

inline constexpr const char kSheetUnpinValueDoc[] = R"doc(unpin_value($self, cell_id)
--

Remove a pin. On the next recalc the cell reverts to evaluating
its own formula (or to empty if it has none). No-op if not pinned.)doc";

inline constexpr const char kSheetPinnedCellsDoc[] = R"doc(pinned_cells($self)
--

All currently-pinned anchor cell IDs, sorted.)doc";

inline constexpr const char kSheetIsPinnedDoc[] = R"doc(is_pinned($self, cell_id)
--

True if the cell's value comes from a pin rather than its own formula.)doc";

inline constexpr const char kSheetRegisterTypeDoc[] = R"doc(register_type($self, handler)
--

Register a Python custom-type handler. `handler` is any object
with a `type_tag` string attribute and (optionally) these
callable attributes:
  - `parse_literal(raw: str) -> dict|None`
  - `display(v: dict) -> str`
  - `edit_repr(v: dict) -> str`
  - `binary_op(op: str, lhs, rhs) -> value|None`
  - `compare(op: str, lhs, rhs) -> bool|None`
  - `as_number(v: dict) -> float|None`

Cell values across the boundary are Python primitives or, for
custom values, dicts `{"type_tag": str, "data": str}`. Raises
ValueError on duplicate `type_tag`.)doc";

inline constexpr const char kSheetRegisterFunctionDoc[] = R"doc(register_function($self, name, func)
--

Register a Python function callable as a custom spreadsheet
function. `func` is called with a single argument — a list of
pre-flattened arg values — and should return a value in the
same vocabulary described on `register_type`. Raising an
exception surfaces as a cell error.)doc";

inline constexpr const char kSheetCompleteDoc[] = R"doc(complete($self, formula, cursor)
--

Completion suggestions for the cursor position in `formula`.

Returns a dict:
  {"replace_start": int, "replace_end": int, "items": [
    {"kind": "function"|"name", "label": str, "insert": str,
     "detail": Optional[str], "documentation": Optional[str]}, ...]})doc";

inline constexpr const char kSheetRegisterDatetimeDoc[] = R"doc(register_datetime($self)
--

Register the date and time package on this sheet.

Adds the six `j*` datetime cell types (`jdate`, `jtime`,
`jdatetime`, `jzoned`, `jtimezone`, `jspan`) and ~40 formula
functions (`DATE`, `NOW`, `YEAR`, `DAYS_BETWEEN`, …) that operate
on them. Custom values cross the Python boundary as
`{"type_tag": str, "data": str}` dicts.

Present only in builds that include the package.
Raises `ValueError` on duplicate registration.)doc";

inline constexpr const char kSheetRegisterUrlDoc[] = R"doc(register_url($self)
--

Register the URL package on this sheet. Adds
scalar URL functions (`URL_SCHEME`, `URL_HOST`, `URL_PORT`,
`URL_PATH`, `URL_PATH_SEGMENT`, `URL_QUERY`, `URL_FRAGMENT`,
`URL_PARAM`, `URL_VALID`, `URL_ENCODE`, `URL_DECODE`,
`URL_JOIN`). No new cell types — URLs are plain text.

Present only in builds that include the package.
Raises `ValueError` on duplicate registration.)doc";

inline constexpr const char kSheetListFunctionsDoc[] = R"doc(list_functions($self)
--

Metadata for every function this sheet's evaluator can dispatch
on: builtins followed by runtime-registered customs (e.g. anything
added by `register_function`, `register_datetime`, or
`register_url`). Returns a
list of dicts shaped like `orvel.list_functions()`. Custom
functions surface a minimal entry (name + open-ended variadic).)doc";

inline constexpr const char kSheetSignatureHelpDoc[] = R"doc(signature_help($self, formula, cursor)
--

Cursor-aware signature help that resolves names through both the
builtin table and this sheet's registry, so registered customs
(YEAR, host extensions, …) light up alongside SUM / IF / etc.
Returns `None` when the cursor isn't inside any function-call
parens or the name doesn't resolve.)doc";

}  // namespace orvel::python
