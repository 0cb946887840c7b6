// Full recalculation of a sheet: passes of ordering and evaluation, repeated while the spill
// regions change, and the placement of results with their spills.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/sheet_state.h"

namespace orvel::core {

// Recalculates every cell. Returns the ids of the cells left out of the order, sorted by
// bytes, when a pass finds a dependency cycle (the recalculation stops there).
std::optional<std::vector<std::string>> recalculate(SheetState& state);

// Writes one result at an anchor: a single value, or a spill over the cells to the right and
// below, or "#SPILL!" at the anchor when a cell of the spill is taken.
void place_result(SheetState& state, std::uint32_t anchor, ArrayValue array);

}  // namespace orvel::core
