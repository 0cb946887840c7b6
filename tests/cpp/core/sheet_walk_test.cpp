#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/sheet.h"
#include "sheet_support.h"

namespace orvel::core {
namespace {

TEST(SheetWalk, ForEachValueVisitsWhatValuesCopies) {
    Sheet sheet;
    testing::write(sheet,
                   {{"B1", "=A1+1"}, {"A1", "1"}, {"c7", "x"}, {"D1", "={1,2}"}, {"A1", ""}});
    std::vector<std::pair<std::string, CellValue>> walked;
    sheet.for_each_value([&](std::string_view id, const CellValue& value) {
        walked.emplace_back(std::string(id), value);
    });
    EXPECT_EQ(walked, sheet.values());
    EXPECT_EQ(walked.size(), sheet.value_count());
    EXPECT_FALSE(walked.empty());
}

}  // namespace
}  // namespace orvel::core
