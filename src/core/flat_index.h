// An open-addressing hash map from (column, row) keys to 32-bit slots: the position index of
// the interned cell ids. Every cell a formula reads is looked up here, so it is one flat array
// probed linearly, and a run of 16 rows of one column hashes to 16 neighbouring entries:
// reading a column range walks memory in order instead of jumping at random.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel::core {

class FlatIndex {
public:
    static constexpr std::uint32_t kAbsent = UINT32_MAX;

    std::uint32_t find(std::uint64_t key) const noexcept {
        if (entries_.empty()) return kAbsent;
        for (std::size_t i = home(key);; i = (i + 1) & mask_) {
            const Entry& e = entries_[i];
            if (e.value == kAbsent) return kAbsent;
            if (e.key == key) return e.value;
        }
    }

    // Stores key -> value; the key must not be present yet, and value must not be kAbsent.
    void insert(std::uint64_t key, std::uint32_t value) {
        if ((size_ + 1) * 4 > entries_.size() * 3) grow();
        place(key, value);
        ++size_;
    }

    void erase(std::uint64_t key) noexcept {
        if (entries_.empty()) return;
        std::size_t i = home(key);
        for (;; i = (i + 1) & mask_) {
            if (entries_[i].value == kAbsent) return;
            if (entries_[i].key == key) break;
        }
        // Backward-shift deletion keeps every probe chain unbroken without tombstones.
        std::size_t hole = i;
        for (std::size_t j = (i + 1) & mask_; entries_[j].value != kAbsent; j = (j + 1) & mask_) {
            std::size_t want = home(entries_[j].key);
            bool movable = hole <= j ? (want <= hole || want > j) : (want <= hole && want > j);
            if (movable) {
                entries_[hole] = entries_[j];
                hole = j;
            }
        }
        entries_[hole].value = kAbsent;
        --size_;
    }

    std::size_t size() const noexcept { return size_; }

private:
    static constexpr unsigned kRowBits = 6;
    static constexpr std::uint64_t kRowMask = (1u << kRowBits) - 1;

    struct Entry {
        std::uint64_t key = 0;
        std::uint32_t value = kAbsent;
    };

    std::size_t home(std::uint64_t key) const noexcept {
        // Fibonacci hashing of the block (column, row / 16) picks a group of 16 entries; the low
        // bits of the row pick the entry within it.
        const std::uint64_t block = key >> kRowBits;
        const auto group = static_cast<std::size_t>((block * 0x9E3779B97F4A7C15ull) >> shift_);
        return ((group << kRowBits) | (key & kRowMask)) & mask_;
    }

    void place(std::uint64_t key, std::uint32_t value) noexcept {
        std::size_t i = home(key);
        while (entries_[i].value != kAbsent) i = (i + 1) & mask_;
        entries_[i] = Entry{key, value};
    }

    void grow() {
        std::size_t capacity = entries_.empty() ? 256 : entries_.size() * 2;
        std::vector<Entry> old;
        old.swap(entries_);
        entries_.assign(capacity, Entry{});
        mask_ = capacity - 1;
        // 64 minus the bits of a group number (the capacity's bits less the row bits).
        shift_ = 64 + kRowBits;
        for (std::size_t c = capacity; c > 1; c >>= 1) --shift_;
        for (const Entry& e : old) {
            if (e.value != kAbsent) place(e.key, e.value);
        }
    }

    std::vector<Entry> entries_;
    std::size_t mask_ = 0;
    unsigned shift_ = 64;
    std::size_t size_ = 0;
};

}  // namespace orvel::core
