// SORT: a stable sort of row indices by one column.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/functions.h"
#include "core/numeric_cast.h"
#include "core/value_rules.h"

namespace orvel::core {

namespace {

// One row's sort key, prepared once so that comparisons never build text. The order is that of
// compare_cell_values, made total: NaN comes after every other number and equals NaN.
struct SortKey {
    std::uint8_t rank = 0;  // numbers and booleans, text, Empty, error, custom
    bool nan = false;
    double number = 0;
    std::string_view first;   // text, error display or custom tag
    std::string_view second;  // custom data
};

bool key_less(const SortKey& a, const SortKey& b) noexcept {
    if (a.rank != b.rank) return a.rank < b.rank;
    switch (a.rank) {
        case 0:
            if (a.nan || b.nan) return !a.nan;  // only a number before a NaN
            return a.number < b.number;
        case 1:
        case 3: return compare_bytes(a.first, b.first) == Ordering::Less;
        case 4: {
            Ordering by_tag = compare_bytes(a.first, b.first);
            if (by_tag != Ordering::Equal) return by_tag == Ordering::Less;
            return compare_bytes(a.second, b.second) == Ordering::Less;
        }
        default: return false;
    }
}

// Keys of one column; `error_texts` keeps the error displays the keys point into.
std::vector<SortKey> column_keys(const ArrayValue& array, std::uint32_t col,
                                 std::vector<std::string>& error_texts) {
    std::size_t errors = 0;
    for (std::uint32_t i = 0; i < array.rows(); ++i) errors += array.at(i, col).is_error();
    error_texts.reserve(errors);  // no reallocation: keys view these strings
    std::vector<SortKey> keys(array.rows());
    for (std::uint32_t i = 0; i < array.rows(); ++i) {
        const CellValue& value = array.at(i, col);
        SortKey& key = keys[i];
        switch (value.kind()) {
            case ValueKind::Number:
                key.number = value.as_double();
                key.nan = std::isnan(key.number);
                break;
            case ValueKind::Boolean: key.number = value.as_bool() ? 1.0 : 0.0; break;
            case ValueKind::Text:
                key.rank = 1;
                key.first = value.text_view();
                break;
            case ValueKind::Empty: key.rank = 2; break;
            case ValueKind::Error:
                key.rank = 3;
                key.first = error_texts.emplace_back(value.display());
                break;
            case ValueKind::Custom:
                key.rank = 4;
                key.first = value.custom_tag();
                key.second = value.custom_data();
                break;
        }
    }
    return keys;
}

// The common case of keys that are all numbers or booleans, none NaN: a plain comparison of
// doubles, kept next to the row index. False (sorting nothing) for any other column.
bool sort_plain_numbers(const std::vector<SortKey>& keys, bool ascending,
                        std::vector<std::uint32_t>& order) {
    std::vector<std::pair<double, std::uint32_t>> pairs;
    pairs.reserve(keys.size());
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        if (keys[i].rank != 0 || keys[i].nan) return false;
        pairs.emplace_back(keys[i].number, i);
    }
    if (ascending) {
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    } else {
        std::stable_sort(pairs.begin(), pairs.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
    }
    for (std::size_t i = 0; i < pairs.size(); ++i) order[i] = pairs[i].second;
    return true;
}

}  // namespace

ArrayResult fn_sort(std::span<const ArrayValue> args, const Registry&) {
    if (args.empty()) return unexpected(FormulaError::value("SORT: array required"));
    const ArrayValue& array = args[0];
    std::uint32_t sort_col = 1;
    if (args.size() > 1 && !args[1].empty()) {
        if (auto number = args[1].data()[0].as_number()) sort_col = saturating_u32(*number);
    }
    if (sort_col < 1 || sort_col > array.cols()) {
        return unexpected(FormulaError::value("SORT: sort_col out of range"));
    }
    const bool ascending = args.size() > 2 ? is_truthy(args[2].first()) : true;

    // At least one column, so the rows are bounded by real cells.
    std::vector<std::string> error_texts;
    const std::vector<SortKey> keys = column_keys(array, sort_col - 1, error_texts);
    std::vector<std::uint32_t> order(array.rows());
    for (std::uint32_t i = 0; i < array.rows(); ++i) order[i] = i;
    if (!sort_plain_numbers(keys, ascending, order)) {
        auto less = [&](std::uint32_t a, std::uint32_t b) { return key_less(keys[a], keys[b]); };
        auto greater = [&](std::uint32_t a, std::uint32_t b) { return key_less(keys[b], keys[a]); };
        if (ascending) {
            std::stable_sort(order.begin(), order.end(), less);
        } else {
            std::stable_sort(order.begin(), order.end(), greater);
        }
    }

    std::vector<CellValue> out;
    out.reserve(array.size());
    for (std::uint32_t row : order) {
        const CellValue* first = &array.at(row, 0);
        out.insert(out.end(), first, first + array.cols());
    }
    return ArrayValue(array.rows(), array.cols(), std::move(out));
}

}  // namespace orvel::core
