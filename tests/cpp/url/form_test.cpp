#include "url/form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvel::url {
namespace {

struct FormRow {
    std::string query;
    std::string name;
    std::string value;
};

TEST(FormValue, ReadsPairsAsFormEncoding) {
    const std::vector<FormRow> rows = {
        {"&&", "", ""},
        {"flag&x=1", "flag", ""},
        {"a+b=1", "a b", "1"},
        {"a+b=1", "a+b", ""},
        {"x=%zz%4", "x", "%zz%4"},
        {"x=%E2%82A", "x", std::string("\xEF\xBF\xBD") + "A"},
        {"x=%ED%A0%80", "x", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"%FF=1", "\xEF\xBF\xBD", "1"},
        {"?x=1", "?x", "1"},
        {"", "x", ""},
    };
    for (const FormRow& row : rows) {
        EXPECT_EQ(form_value(row.query, row.name), row.value) << row.query << " / " << row.name;
    }
}

}  // namespace
}  // namespace orvel::url
