// UNIQUE: rows in first-seen order, duplicates found through a hash table whose equality is
// exactly the row equality of cell values.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "core/functions.h"
#include "core/unique_rows.h"

namespace orvel::core {

namespace {

// Folds `v` into `h` and scrambles every bit (the murmur finaliser), so that values whose low
// bits agree, like the doubles of small integers, still spread over the table.
std::uint64_t mix(std::uint64_t h, std::uint64_t v) noexcept {
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

std::uint64_t hash_bytes(std::string_view s) noexcept { return std::hash<std::string_view>{}(s); }

// A hash that agrees with CellValue equality: -0 and 0 hash alike, and error messages count
// only where equality looks at them. NaN never reaches here (it equals nothing).
std::uint64_t hash_value(const CellValue& v) noexcept {
    std::uint64_t h = static_cast<std::uint64_t>(v.kind()) + 1;
    switch (v.kind()) {
        case ValueKind::Number: {
            double x = v.as_double() == 0 ? 0.0 : v.as_double();
            return mix(h, std::bit_cast<std::uint64_t>(x));
        }
        case ValueKind::Text: return mix(h, hash_bytes(v.text_view()));
        case ValueKind::Boolean: return mix(h, v.as_bool());
        case ValueKind::Empty: return h;
        case ValueKind::Error: {
            h = mix(h, static_cast<std::uint64_t>(v.error_kind()));
            const bool has_text = v.error_kind() == ErrorKind::Other ||
                                  ((v.error_kind() == ErrorKind::Value ||
                                    v.error_kind() == ErrorKind::Size) &&
                                   v.error_has_message());
            if (has_text) h = mix(mix(h, 1), hash_bytes(v.error_message()));
            return h;
        }
        case ValueKind::Custom:
            return mix(mix(h, hash_bytes(v.custom_tag())), hash_bytes(v.custom_data()));
    }
    return h;
}

bool holds_nan(const CellValue* row, std::uint32_t cols) noexcept {
    for (std::uint32_t j = 0; j < cols; ++j) {
        if (row[j].is_number() && std::isnan(row[j].as_double())) return true;
    }
    return false;
}

bool rows_equal(const CellValue* a, const CellValue* b, std::uint32_t cols) noexcept {
    for (std::uint32_t j = 0; j < cols; ++j) {
        if (!(a[j] == b[j])) return false;
    }
    return true;
}

}  // namespace

ArrayValue unique_rows(const ArrayValue& array, std::uint64_t hash_bits) {
    const std::uint32_t rows = array.rows(), cols = array.cols();
    // Rows without cells are all equal: the first one stays. No loop over them.
    if (cols == 0) return ArrayValue(rows == 0 ? 0 : 1, 0, {});
    constexpr std::uint32_t kFree = UINT32_MAX;
    const std::size_t capacity = std::bit_ceil(std::size_t{rows} * 2 + 2);
    std::vector<std::uint32_t> slots(capacity, kFree);  // kept row indices
    std::vector<std::uint64_t> row_hash(rows);
    std::vector<CellValue> out;
    std::uint32_t kept = 0;
    for (std::uint32_t i = 0; i < rows; ++i) {
        const CellValue* row = &array.at(i, 0);
        bool duplicate = false;
        // A row holding NaN equals no row, so it is kept and never matched.
        if (!holds_nan(row, cols)) {
            std::uint64_t h = 0;
            for (std::uint32_t j = 0; j < cols; ++j) h = mix(h, hash_value(row[j]));
            h &= hash_bits;
            row_hash[i] = h;
            std::size_t slot = h & (capacity - 1);
            while (slots[slot] != kFree) {
                std::uint32_t other = slots[slot];
                if (row_hash[other] == h && rows_equal(&array.at(other, 0), row, cols)) {
                    duplicate = true;
                    break;
                }
                slot = (slot + 1) & (capacity - 1);
            }
            if (!duplicate) slots[slot] = i;
        }
        if (duplicate) continue;
        ++kept;
        out.insert(out.end(), row, row + cols);
    }
    return ArrayValue(kept, cols, std::move(out));
}

ArrayResult fn_unique(std::span<const ArrayValue> args, const Registry&) {
    if (args.empty()) return unexpected(FormulaError::value("UNIQUE: array required"));
    return unique_rows(args[0], kWholeRowHash);
}

}  // namespace orvel::core
