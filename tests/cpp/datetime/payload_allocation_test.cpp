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
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace orvel::datetime {
namespace {

template <class F>
std::size_t allocations_of(F f) {
    f();  // the zone database and the zone itself load on first use
    allocations = 0;
    counting = true;
    f();
    counting = false;
    return allocations;
}

TEST(PayloadReading, CommonShapesReadWithoutAllocating) {
    EXPECT_EQ(allocations_of([] { ASSERT_TRUE(parse_date("2024-06-15").has_value()); }), 0u);
    EXPECT_EQ(allocations_of([] { ASSERT_TRUE(parse_time("09:30:00.25").has_value()); }), 0u);
    EXPECT_EQ(
        allocations_of([] { ASSERT_TRUE(parse_datetime("2024-06-15T09:30:00").has_value()); }), 0u);
    EXPECT_EQ(allocations_of([] { ASSERT_TRUE(parse_span("P1Y2M3DT4H5M6.5S").has_value()); }), 0u);
    EXPECT_EQ(allocations_of([] { ASSERT_TRUE(parse_span("1h 30m").has_value()); }), 0u);
    EXPECT_EQ(
        allocations_of([] {
            ASSERT_TRUE(parse_zoned("2024-06-15T09:30:00-04:00[America/New_York]").has_value());
        }),
        0u);
    EXPECT_EQ(allocations_of(
                  [] { ASSERT_TRUE(parse_zoned("2024-06-15T09:30:00+00:00[UTC]").has_value()); }),
              0u);
}

}  // namespace
}  // namespace orvel::datetime
