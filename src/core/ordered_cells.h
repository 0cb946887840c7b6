// An insertion-ordered set of interned cells: the key order of the sheet's cell-keyed maps.
// A new cell goes to the end; removing one leaves the others in their order. Removal marks the
// slot and the slots are compacted once the marks outnumber the live entries, so long runs of
// removals stay linear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel::core {

class OrderedCells {
public:
    static constexpr std::uint32_t kNone = UINT32_MAX;

    bool contains(std::uint32_t cell) const noexcept {
        return cell < position_.size() && position_[cell] != kNone;
    }

    // Appends the cell unless it is present (then its place is kept).
    void insert(std::uint32_t cell) {
        if (cell >= position_.size()) position_.resize(std::size_t{cell} + 1, kNone);
        if (position_[cell] != kNone) return;
        position_[cell] = static_cast<std::uint32_t>(slots_.size());
        slots_.push_back(cell);
        ++live_;
    }

    void erase(std::uint32_t cell) {
        if (!contains(cell)) return;
        slots_[position_[cell]] = kNone;
        position_[cell] = kNone;
        --live_;
        if (slots_.size() - live_ > live_ + 64) compact();
    }

    std::size_t size() const noexcept { return live_; }
    bool empty() const noexcept { return live_ == 0; }

    // Calls f(cell) for every cell in order.
    template <class F>
    void for_each(F&& f) const {
        for (std::uint32_t cell : slots_) {
            if (cell != kNone) f(cell);
        }
    }

private:
    void compact() {
        std::size_t out = 0;
        for (std::uint32_t cell : slots_) {
            if (cell == kNone) continue;
            position_[cell] = static_cast<std::uint32_t>(out);
            slots_[out++] = cell;
        }
        slots_.resize(out);
    }

    std::vector<std::uint32_t> slots_;
    std::vector<std::uint32_t> position_;
    std::size_t live_ = 0;
};

}  // namespace orvel::core
