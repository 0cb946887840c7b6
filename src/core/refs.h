// The references a formula makes, each with its span, kind and (where cheap) the cells it covers.
// Works on text alone: no sheet, no evaluation, no grid limits.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/a1.h"
#include "core/ref_scan.h"

namespace orvel::core {

struct FormulaRef {
    // The source characters of the reference ("$", case and inner blanks kept); for a name the
    // lexer's upper-case text.
    std::string text;
    // 0-based cells, row-major: one for a cell or a spill's anchor, the rectangle of a range
    // (none beyond kMaxCells), none for the other kinds and for ends off the grid.
    std::vector<a1::Position> cells;
    std::size_t start = 0;  // character positions in the formula, "=" being 0
    std::size_t end = 0;
    RefKind kind = RefKind::Cell;
};

// In text order; none for text that is empty, lacks the "=" or does not lex. Never fails.
std::vector<FormulaRef> extract_refs(std::string_view formula);

}  // namespace orvel::core
