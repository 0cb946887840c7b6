#include "core/text.h"

#include <cstring>
#include <new>

namespace orvel::core {

Text::Rep* Text::make(std::string_view first, std::string_view second, std::uint32_t aux) {
    std::size_t size = first.size() + second.size();
    void* block = ::operator new(sizeof(Rep) + size);
    Rep* rep = new (block) Rep{1, aux, size};
    if (!first.empty()) std::memcpy(rep->bytes(), first.data(), first.size());
    if (!second.empty()) std::memcpy(rep->bytes() + first.size(), second.data(), second.size());
    return rep;
}

void Text::destroy(Rep* rep) noexcept { ::operator delete(rep); }

}  // namespace orvel::core
