#include "core/value_rules.h"

#include <cmath>
#include <cstring>

namespace orvel::core {

namespace {

// Kind rank of SORT's ordering: numbers and booleans together, then the other kinds.
int rank(const CellValue& v) noexcept {
    switch (v.kind()) {
        case ValueKind::Number:
        case ValueKind::Boolean: return 0;
        case ValueKind::Text: return 1;
        case ValueKind::Empty: return 2;
        case ValueKind::Error: return 3;
        case ValueKind::Custom: return 4;
    }
    return 5;
}

double numeric(const CellValue& v) noexcept {
    return v.is_number() ? v.as_double() : (v.as_bool() ? 1.0 : 0.0);
}

}  // namespace

bool is_truthy(const CellValue& value) noexcept {
    switch (value.kind()) {
        case ValueKind::Number: return value.as_double() != 0;
        case ValueKind::Text: return !value.text_view().empty();
        case ValueKind::Boolean: return value.as_bool();
        case ValueKind::Empty:
        case ValueKind::Error: return false;
        case ValueKind::Custom: return true;
    }
    return false;
}

Ordering compare_bytes(std::string_view a, std::string_view b) noexcept {
    std::size_t common = a.size() < b.size() ? a.size() : b.size();
    int c = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);  // memcmp is unsigned
    if (c != 0) return c < 0 ? Ordering::Less : Ordering::Greater;
    if (a.size() == b.size()) return Ordering::Equal;
    return a.size() < b.size() ? Ordering::Less : Ordering::Greater;
}

Ordering compare_cell_values(const CellValue& a, const CellValue& b) {
    int ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb ? Ordering::Less : Ordering::Greater;
    switch (ra) {
        case 0: {
            double x = numeric(a), y = numeric(b);
            if (x < y) return Ordering::Less;
            if (x > y) return Ordering::Greater;
            return Ordering::Equal;  // equal, or NaN on either side
        }
        case 1: return compare_bytes(a.text_view(), b.text_view());
        case 3: return compare_bytes(a.display(), b.display());
        case 4: {
            Ordering by_tag = compare_bytes(a.custom_tag(), b.custom_tag());
            if (by_tag != Ordering::Equal) return by_tag;
            return compare_bytes(a.custom_data(), b.custom_data());
        }
        default: return Ordering::Equal;
    }
}

}  // namespace orvel::core
