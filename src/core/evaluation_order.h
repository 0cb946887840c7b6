// The ordering step of a recalculation pass: the used extent, the cells that take part, the
// cells each formula waits for, and the first-in first-out order by in-degree.
#pragma once

#include "core/sheet_state.h"

namespace orvel::core {

// Orders every cell with an input or a pin so that each comes after the cells it reads that
// have an input or a pin. With `redirect`, a reference to a cell that the previous pass filled
// by a spill counts as one to that spill's anchor. Parses formulas as needed.
EvaluationOrder build_evaluation_order(SheetState& state, bool redirect);

}  // namespace orvel::core
