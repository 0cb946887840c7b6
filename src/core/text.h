// Immutable, shared UTF-8 text: the string representation inside cell values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::core {

// A reference-counted immutable byte string. Copies share the bytes; the empty text owns no
// memory. Texts may hold NUL bytes. The count is not atomic: the engine creates no threads and
// every entry into it is serialised by its host.
class Text {
public:
    // Heap block: header followed by the bytes. `aux` is free for the owner (custom values keep
    // the length of their type tag there).
    struct Rep {
        std::uint32_t refs;
        std::uint32_t aux;
        std::size_t size;
        char* bytes() noexcept { return reinterpret_cast<char*>(this + 1); }
        const char* bytes() const noexcept { return reinterpret_cast<const char*>(this + 1); }
    };

    Text() noexcept = default;
    explicit Text(std::string_view s) : rep_(s.empty() ? nullptr : make(s, {}, 0)) {}
    Text(const Text& other) noexcept : rep_(other.rep_) { retain(rep_); }
    Text(Text&& other) noexcept : rep_(other.rep_) { other.rep_ = nullptr; }
    Text& operator=(const Text& other) noexcept {
        retain(other.rep_);
        release(rep_);
        rep_ = other.rep_;
        return *this;
    }
    Text& operator=(Text&& other) noexcept {
        if (this != &other) {
            release(rep_);
            rep_ = other.rep_;
            other.rep_ = nullptr;
        }
        return *this;
    }
    ~Text() { release(rep_); }

    std::string_view view() const noexcept {
        return rep_ ? std::string_view(rep_->bytes(), rep_->size) : std::string_view();
    }
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(view()); }
    std::size_t size() const noexcept { return rep_ ? rep_->size : 0; }
    bool empty() const noexcept { return size() == 0; }

    friend bool operator==(const Text& a, const Text& b) noexcept {
        return a.rep_ == b.rep_ || a.view() == b.view();
    }

    // Low-level access for CellValue, which stores the block pointer in a union.
    static Rep* make(std::string_view first, std::string_view second, std::uint32_t aux);
    static void retain(Rep* rep) noexcept {
        if (rep) ++rep->refs;
    }
    static void release(Rep* rep) noexcept {
        if (rep && --rep->refs == 0) destroy(rep);
    }
    static Text adopt(Rep* rep) noexcept {
        Text t;
        t.rep_ = rep;
        return t;
    }
    Rep* rep() const noexcept { return rep_; }

private:
    static void destroy(Rep* rep) noexcept;
    Rep* rep_ = nullptr;
};

}  // namespace orvel::core
