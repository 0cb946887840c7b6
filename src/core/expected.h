// A value or an error, for operations that can fail without throwing.
#pragma once

#include <type_traits>
#include <utility>
#include <variant>

namespace orvel::core {

template <class E>
struct Unexpected {
    E error;
};

template <class E>
Unexpected<std::decay_t<E>> unexpected(E&& error) {
    return {std::forward<E>(error)};
}

template <class T, class E>
class Expected {
public:
    template <class U = T>
        requires std::is_constructible_v<T, U&&>
    Expected(U&& value) : v_(std::in_place_index<0>, std::forward<U>(value)) {}
    template <class G>
        requires std::is_constructible_v<E, G&&>
    Expected(Unexpected<G> e) : v_(std::in_place_index<1>, std::move(e.error)) {}

    bool has_value() const noexcept { return v_.index() == 0; }
    explicit operator bool() const noexcept { return has_value(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    E& error() & { return std::get<1>(v_); }
    const E& error() const& { return std::get<1>(v_); }
    E&& error() && { return std::get<1>(std::move(v_)); }

private:
    std::variant<T, E> v_;
};

}  // namespace orvel::core
