// Payloads are read again on every use, so reading the common shapes must not allocate.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "datetime/iso_text.h"
#include "datetime/span_text.h"

namespace {
thread_local bool counting = false;
thread_local std::size_t allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace orvel::datetime {
namespace {

// The allocations of a second read that succeeds; the zone database loads on first use.
template <class F>
std::size_t allocations_of(F read) {
    EXPECT_TRUE(read());
    allocations = 0;
    counting = true;
    const bool read_again = read();
    counting = false;
    EXPECT_TRUE(read_again);
    return allocations;
}

TEST(PayloadReading, CommonShapesReadWithoutAllocating) {
    EXPECT_EQ(allocations_of([] { return parse_date("2024-06-15").has_value(); }), 0u);
    EXPECT_EQ(allocations_of([] { return parse_time("09:30:00.25").has_value(); }), 0u);
    EXPECT_EQ(allocations_of([] { return parse_datetime("2024-06-15T09:30:00").has_value(); }), 0u);
    EXPECT_EQ(allocations_of([] { return parse_span("P1Y2M3DT4H5M6.5S").has_value(); }), 0u);
    EXPECT_EQ(allocations_of([] { return parse_span("1h 30m").has_value(); }), 0u);
    EXPECT_EQ(allocations_of([] {
                  return parse_zoned("2024-06-15T09:30:00-04:00[America/New_York]").has_value();
              }),
              0u);
    EXPECT_EQ(
        allocations_of([] { return parse_zoned("2024-06-15T09:30:00+00:00[UTC]").has_value(); }),
        0u);
}

}  // namespace
}  // namespace orvel::datetime
