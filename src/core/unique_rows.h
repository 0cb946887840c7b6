// The row search behind UNIQUE, open to tests that need rows whose hashes collide.
#pragma once

#include <cstdint>

#include "core/values.h"

namespace orvel::core {

// Every bit of a row's hash takes part in the search.
inline constexpr std::uint64_t kWholeRowHash = ~std::uint64_t{0};

// The rows of `array` in first-seen order, each row that equals an earlier one left out; a row
// holding NaN equals none. Only the bits of each row hash in `hash_bits` are used, so a test can
// make every row collide; UNIQUE passes kWholeRowHash.
ArrayValue unique_rows(const ArrayValue& array, std::uint64_t hash_bits);

}  // namespace orvel::core
