// The named definitions of a sheet in definition order: upper-cased name -> definition text as
// given. A new name goes to the end, redefining keeps the place, removing closes the gap.
// Removal only marks the entry; the entries are compacted once the marks outnumber the live
// ones, so any sequence of changes stays linear (a vector-backed ordered map shifts every later
// entry on each removal, which makes removing many names quadratic).
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvel::core {

class NameTable {
public:
    NameTable() = default;
    NameTable(std::initializer_list<std::pair<std::string, std::string>> entries) {
        for (const auto& [name, definition] : entries) insert_or_assign(name, definition);
    }

    // The definition of a name, or null.
    const std::string* find(std::string_view name) const {
        auto it = index_.find(name);
        return it == index_.end() ? nullptr : &entries_[it->second].definition;
    }

    void insert_or_assign(std::string name, std::string definition) {
        auto it = index_.find(std::string_view(name));
        if (it != index_.end()) {
            entries_[it->second].definition = std::move(definition);
            return;
        }
        index_.emplace(name, entries_.size());
        entries_.push_back({std::move(name), std::move(definition), true});
        ++live_;
    }

    bool erase(std::string_view name) {
        auto it = index_.find(name);
        if (it == index_.end()) return false;
        Entry& entry = entries_[it->second];
        entry.live = false;
        std::string().swap(entry.definition);
        index_.erase(it);
        --live_;
        if (entries_.size() - live_ > live_ + 16) compact();
        return true;
    }

    std::size_t size() const noexcept { return live_; }
    bool empty() const noexcept { return live_ == 0; }

    // Calls f(name, definition) for every name in definition order.
    template <class F>
    void for_each(F&& f) const {
        for (const Entry& entry : entries_) {
            if (entry.live) f(entry.name, entry.definition);
        }
    }

private:
    struct Entry {
        std::string name;
        std::string definition;
        bool live;
    };
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };

    void compact() {
        std::size_t out = 0;
        for (Entry& entry : entries_) {
            if (!entry.live) continue;
            index_.find(std::string_view(entry.name))->second = out;
            if (&entries_[out] != &entry) entries_[out] = std::move(entry);
            ++out;
        }
        entries_.resize(out);
    }

    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t, TextHash, std::equal_to<>> index_;
    std::size_t live_ = 0;
};

}  // namespace orvel::core
