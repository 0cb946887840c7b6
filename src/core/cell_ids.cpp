#include "core/cell_ids.h"

#include <algorithm>
#include <charconv>

#include "core/values.h"

namespace orvel::core {

namespace {

bool is_digit(char c) noexcept {
    return c >= '0' && c <= '9';
}
bool is_ascii_letter(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::optional<std::uint32_t> parse_row(std::string_view digits) noexcept {
    if (digits.empty()) return std::nullopt;
    for (char c : digits) {
        if (!is_digit(c)) return std::nullopt;
    }
    std::uint32_t row = 0;
    auto res = std::from_chars(digits.data(), digits.data() + digits.size(), row);
    if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) return std::nullopt;
    return row;
}

std::size_t first_digit(std::string_view id) noexcept {
    for (std::size_t i = 0; i < id.size(); ++i) {
        if (is_digit(id[i])) return i;
    }
    return std::string_view::npos;
}

}  // namespace

std::optional<CellPosition> canonical_position(std::string_view id) noexcept {
    std::size_t digit = first_digit(id);
    if (digit == 0 || digit == std::string_view::npos) return std::nullopt;
    std::uint64_t col = 0;
    for (std::size_t i = 0; i < digit; ++i) {
        char c = id[i];
        if (c < 'A' || c > 'Z') return std::nullopt;
        col = col * 26 + static_cast<std::uint64_t>(c - 'A' + 1);
        if (col > UINT32_MAX) return std::nullopt;
    }
    std::string_view digits = id.substr(digit);
    if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
    auto row = parse_row(digits);
    if (!row) return std::nullopt;
    return CellPosition{static_cast<std::uint32_t>(col), *row};
}

std::uint32_t letters_value(std::string_view letters) noexcept {
    std::uint64_t v = 0;
    for (char c : letters) {
        std::uint64_t place = static_cast<std::uint8_t>(static_cast<unsigned char>(c) - 65) + 1;
        v = std::min<std::uint64_t>(v * 26, UINT32_MAX) + place;
        if (v > UINT32_MAX) v = UINT32_MAX;
    }
    return static_cast<std::uint32_t>(v);
}

std::optional<CellPosition> parse_cell_id(std::string_view id) noexcept {
    std::size_t digit = first_digit(id);
    if (digit == 0 || digit == std::string_view::npos) return std::nullopt;
    for (std::size_t i = 0; i < digit; ++i) {
        if (!is_ascii_letter(id[i])) return std::nullopt;
    }
    auto row = parse_row(id.substr(digit));
    if (!row || *row == 0) return std::nullopt;
    return CellPosition{letters_value(id.substr(0, digit)), *row};
}

IdExtent id_extent(std::string_view id) noexcept {
    IdExtent extent;
    std::size_t digit = first_digit(id);
    if (digit == std::string_view::npos) return extent;
    extent.has_digit = true;
    extent.col = letters_value(id.substr(0, digit));
    if (auto row = parse_row(id.substr(digit))) {
        extent.row_parses = true;
        extent.row = *row;
    }
    return extent;
}

std::uint32_t CellIds::find(std::string_view id) const {
    if (auto pos = canonical_position(id)) return find(pos->col, pos->row);
    auto it = by_text_.find(id);
    return it == by_text_.end() ? kNone : it->second;
}

std::uint32_t CellIds::new_slot() {
    if (!free_.empty()) {
        std::uint32_t cell = free_.back();
        free_.pop_back();
        return cell;
    }
    slots_.emplace_back();
    return static_cast<std::uint32_t>(slots_.size() - 1);
}

std::uint32_t CellIds::intern(std::uint32_t col, std::uint32_t row) {
    std::uint32_t cell = find(col, row);
    if (cell != kNone) return cell;
    cell = new_slot();
    Slot& slot = slots_[cell];
    slot = Slot{};
    slot.canonical = true;
    slot.col = col;
    slot.row = row;
    slot.extent = IdExtent{true, true, col, row};
    if (row != 0) slot.anchor = CellPosition{col, row};
    by_position_.insert(key(col, row), cell);
    return cell;
}

std::uint32_t CellIds::intern(std::string_view id) {
    if (auto pos = canonical_position(id)) return intern(pos->col, pos->row);
    auto it = by_text_.find(id);
    if (it != by_text_.end()) return it->second;
    std::uint32_t cell = new_slot();
    Slot& slot = slots_[cell];
    slot = Slot{};
    slot.extent = id_extent(id);
    slot.anchor = parse_cell_id(id);
    // Keys of an unordered map stay where they are: the slot may point at its key.
    slot.text = &by_text_.emplace(std::string(id), cell).first->first;
    return cell;
}

void CellIds::release(std::uint32_t cell) {
    Slot& slot = slots_[cell];
    if (slot.canonical) {
        by_position_.erase(key(slot.col, slot.row));
    } else {
        by_text_.erase(by_text_.find(std::string_view(*slot.text)));
    }
    slot = Slot{};
    free_.push_back(cell);
}

void CellIds::append_text(std::string& out, std::uint32_t cell) const {
    const Slot& slot = slots_[cell];
    if (!slot.canonical) {
        out += *slot.text;
        return;
    }
    append_col_letters(out, slot.col);
    char buf[16];
    auto res = std::to_chars(buf, buf + sizeof buf, slot.row);
    out.append(buf, res.ptr);
}

std::string CellIds::text(std::uint32_t cell) const {
    std::string out;
    append_text(out, cell);
    return out;
}

}  // namespace orvel::core
