// A map from (column, row) keys to 32-bit slots: the position index of the interned cell ids.
// Every cell a formula reads is looked up here. Sheets fill columns in runs of rows, so the index
// keeps pages of 32 consecutive rows of one column: a small open-addressing table finds the page,
// and the row's low bits pick the slot. Reading down a column stays within one page for 32 rows,
// and a dense sheet costs 4 bytes per cell.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvel::core {

class FlatIndex {
public:
    static constexpr std::uint32_t kAbsent = UINT32_MAX;

    std::uint32_t find(std::uint64_t key) const noexcept {
        const std::uint32_t page = find_page(key >> kRowBits);
        return page == kNoPage ? kAbsent : slots_[page_slot(page, key)];
    }

    // Stores key -> value; the key must not be present yet, and value must not be kAbsent.
    void insert(std::uint64_t key, std::uint32_t value) {
        std::uint32_t page = find_page(key >> kRowBits);
        if (page == kNoPage) page = add_page(key >> kRowBits);
        slots_[page_slot(page, key)] = value;
        ++used_[page];
        ++size_;
    }

    void erase(std::uint64_t key) noexcept {
        const std::uint64_t block = key >> kRowBits;
        const std::uint32_t page = find_page(block);
        if (page == kNoPage) return;
        std::uint32_t& slot = slots_[page_slot(page, key)];
        if (slot == kAbsent) return;
        slot = kAbsent;
        --size_;
        if (--used_[page] == 0) remove_page(block);
    }

    std::size_t size() const noexcept { return size_; }

    // Calls f(key's low 32 bits, value) for the keys from `first` to `last` (which share their
    // high 32 bits) that are present, in order; a page at a time.
    template <class F>
    void for_each_in_run(std::uint64_t first, std::uint64_t last, F&& f) const {
        for (std::uint64_t block = first >> kRowBits; block <= last >> kRowBits; ++block) {
            const std::uint32_t page = find_page(block);
            if (page == kNoPage) continue;
            const std::uint64_t from = std::max(first, block << kRowBits);
            const std::uint64_t to = std::min(last, (block << kRowBits) | (kPageRows - 1));
            const std::uint32_t* slots = &slots_[page_slot(page, 0)];
            for (std::uint64_t key = from; key <= to; ++key) {
                const std::uint32_t value = slots[key & (kPageRows - 1)];
                if (value != kAbsent) f(static_cast<std::uint32_t>(key), value);
            }
        }
    }

private:
    static constexpr unsigned kRowBits = 5;
    static constexpr std::size_t kPageRows = std::size_t{1} << kRowBits;
    static constexpr std::uint32_t kNoPage = UINT32_MAX;

    // A block is a column and a row divided by the page size; its entry names its page.
    struct Entry {
        std::uint64_t block = 0;
        std::uint32_t page = kNoPage;
    };

    static std::size_t page_slot(std::uint32_t page, std::uint64_t key) noexcept {
        return std::size_t{page} * kPageRows + (key & (kPageRows - 1));
    }

    std::size_t home(std::uint64_t block) const noexcept {
        return static_cast<std::size_t>((block * 0x9E3779B97F4A7C15ull) >> shift_);
    }

    std::uint32_t find_page(std::uint64_t block) const noexcept {
        if (entries_.empty()) return kNoPage;
        for (std::size_t i = home(block);; i = (i + 1) & mask_) {
            const Entry& e = entries_[i];
            if (e.page == kNoPage) return kNoPage;
            if (e.block == block) return e.page;
        }
    }

    std::uint32_t add_page(std::uint64_t block) {
        // At most half full: probes stay short, for blocks that are absent too.
        if ((pages_in_use_ + 1) * 2 > entries_.size()) grow();
        std::uint32_t page;
        if (!free_pages_.empty()) {
            page = free_pages_.back();
            free_pages_.pop_back();
        } else {
            page = static_cast<std::uint32_t>(used_.size());
            used_.push_back(0);
            slots_.resize(slots_.size() + kPageRows, kAbsent);
        }
        place(block, page);
        ++pages_in_use_;
        return page;
    }

    void remove_page(std::uint64_t block) noexcept {
        std::size_t i = home(block);
        while (entries_[i].block != block || entries_[i].page == kNoPage) i = (i + 1) & mask_;
        free_pages_.push_back(entries_[i].page);
        --pages_in_use_;
        // Backward-shift deletion keeps every probe chain unbroken without tombstones.
        std::size_t hole = i;
        for (std::size_t j = (i + 1) & mask_; entries_[j].page != kNoPage; j = (j + 1) & mask_) {
            const std::size_t want = home(entries_[j].block);
            const bool movable =
                hole <= j ? (want <= hole || want > j) : (want <= hole && want > j);
            if (movable) {
                entries_[hole] = entries_[j];
                hole = j;
            }
        }
        entries_[hole].page = kNoPage;
    }

    void place(std::uint64_t block, std::uint32_t page) noexcept {
        std::size_t i = home(block);
        while (entries_[i].page != kNoPage) i = (i + 1) & mask_;
        entries_[i] = Entry{block, page};
    }

    void grow() {
        const std::size_t capacity = entries_.empty() ? 64 : entries_.size() * 2;
        std::vector<Entry> old;
        old.swap(entries_);
        entries_.assign(capacity, Entry{});
        mask_ = capacity - 1;
        shift_ = 64;
        for (std::size_t c = capacity; c > 1; c >>= 1) --shift_;
        for (const Entry& e : old) {
            if (e.page != kNoPage) place(e.block, e.page);
        }
    }

    std::vector<Entry> entries_;
    std::size_t mask_ = 0;
    unsigned shift_ = 64;
    std::vector<std::uint32_t> slots_;  // kPageRows per page
    std::vector<std::uint32_t> used_;   // per page: its slots in use
    std::vector<std::uint32_t> free_pages_;
    std::size_t pages_in_use_ = 0;
    std::size_t size_ = 0;
};

}  // namespace orvel::core
