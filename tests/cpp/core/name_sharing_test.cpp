// Names used many times in one formula: the value is the one of the formula with every name
// written out in parentheses, and observable extension calls happen as often as written out,
// however often the definitions are shared.
#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/sheet.h"
#include "sheet_support.h"

namespace orvel::core {
namespace {

using testing::Cells;
using testing::read;
using testing::write;

using Names = std::vector<std::pair<std::string, std::string>>;

bool identifier_char(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The formula text with every defined name replaced by its definition in parentheses, to any
// depth; text literals are copied as they are. Definitions here are always formulas ("=...").
std::string written_out(const std::string& text, const std::map<std::string, std::string>& names) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '"') {
            std::size_t end = text.find('"', i + 1);
            end = end == std::string::npos ? text.size() : end + 1;
            out.append(text, i, end - i);
            i = end;
        } else if (identifier_char(text[i]) && (i == 0 || !identifier_char(text[i - 1]))) {
            std::size_t end = i;
            while (end < text.size() && identifier_char(text[end])) ++end;
            std::string word = text.substr(i, end - i);
            auto found = names.find(word);
            if (found == names.end()) {
                out += word;
            } else {
                out += "(" + written_out(found->second.substr(1), names) + ")";
            }
            i = end;
        } else {
            out += text[i++];
        }
    }
    return out;
}

// `formula` ("=...") with every name of `names` written out.
std::string written_out_formula(const std::string& formula, const Names& names) {
    const std::map<std::string, std::string> table(names.begin(), names.end());
    return "=" + written_out(formula.substr(1), table);
}

// Counts its calls; the observable one tells the engine of each, as a host callback would.
class Counted final : public CustomFunction {
public:
    Counted(std::string name, bool observable) : name_(std::move(name)), observable_(observable) {}
    std::string_view name() const override { return name_; }
    Expected<CellValue, std::string> call(std::span<const CellValue> args) const override {
        ++calls;
        if (observable_) ObservableCalls::note();
        // The observable one answers differently from one call to the next.
        double sum = observable_ ? calls % 2 : 0;
        for (const CellValue& v : args) sum += v.is_number() ? v.as_double() : 0;
        return CellValue::number(sum);
    }
    mutable int calls = 0;

private:
    std::string name_;
    bool observable_;
};

// Values tagged "m" (text "5m"); adds them through an observable binary_op.
class Metres final : public CustomTypeHandler {
public:
    std::string_view type_tag() const override { return "m"; }
    std::optional<CellValue> parse_literal(std::string_view text) const override {
        if (text.size() < 2 || text.back() != 'm') return std::nullopt;
        return CellValue::custom("m", text.substr(0, text.size() - 1));
    }
    std::string display(const CellValue& v) const override {
        return std::string(v.custom_data()) + " m";
    }
    BinaryOpAnswer binary_op(BinaryOpCode op, const CellValue& l,
                             const CellValue& r) const override {
        ++calls;
        ObservableCalls::note();
        if (op != BinaryOpCode::Add || !l.is_custom() || !r.is_custom()) return {};
        return BinaryOpAnswer::result(
            CellValue::custom("m", std::to_string(number(l) + number(r) + calls % 2)));
    }
    CompareAnswer compare(CompareOp, const CellValue&, const CellValue&) const override {
        return {};
    }
    mutable int calls = 0;

private:
    static int number(const CellValue& v) {
        int x = 0;
        std::from_chars(v.custom_data().data(), v.custom_data().data() + v.custom_data().size(), x);
        return x;
    }
};

// A sheet with the counting extensions, the given names and cells.
struct CountingSheet {
    Sheet sheet;
    std::shared_ptr<Counted> pure = std::make_shared<Counted>("PURE", false);
    std::shared_ptr<Counted> seen = std::make_shared<Counted>("SEEN", true);
    std::shared_ptr<Metres> metres = std::make_shared<Metres>();

    explicit CountingSheet(const Names& names) {
        sheet.register_function(pure);
        sheet.register_function(seen);
        sheet.register_type(metres);
        for (const auto& [name, definition] : names) {
            if (auto error = sheet.set_name(name, definition)) ADD_FAILURE() << error->display();
        }
    }
};

const Cells kInputs = {{"A1", "3"}, {"A2", "4m"}, {"A3", "x"}, {"B1", "0.5"}};

struct SharingCase {
    const char* label;
    Names names;
    std::string formula;
};

class SharedDefinitions : public ::testing::TestWithParam<SharingCase> {};

// The named formula and the written-out formula side by side, before and after an edit: the
// same values everywhere and the same number of observable calls.
TEST_P(SharedDefinitions, EvaluateAsIfWrittenOut) {
    const SharingCase& c = GetParam();
    CountingSheet named(c.names), plain({});
    Cells cells = kInputs, plain_cells = kInputs;
    cells.push_back({"C1", c.formula});
    plain_cells.push_back({"C1", written_out_formula(c.formula, c.names)});
    const std::string ids = "C1 C2 C3 D1 D2";
    EXPECT_EQ(write(named.sheet, cells), write(plain.sheet, plain_cells));
    EXPECT_EQ(read(named.sheet, ids), read(plain.sheet, ids)) << plain_cells.back().second;
    EXPECT_EQ(write(named.sheet, {{"A1", "5"}, {"A2", "6m"}}),
              write(plain.sheet, {{"A1", "5"}, {"A2", "6m"}}));
    EXPECT_EQ(read(named.sheet, ids), read(plain.sheet, ids));
    EXPECT_EQ(named.seen->calls, plain.seen->calls);
    EXPECT_EQ(named.metres->calls, plain.metres->calls);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SharedDefinitions,
    ::testing::Values(
        SharingCase{"ScalarChain",
                    {{"N_0", "=A1*2+B1"}, {"N_1", "=N_0+N_0*N_0"}, {"N_2", "=N_1-N_1/N_0"}},
                    "=N_2+N_2&N_1"},
        SharingCase{"Arrays",
                    {{"S", "=SEQUENCE(3)*A1"}, {"T", "=S+S"}, {"U", "={1,2}&T"}},
                    "=U&T"},
        SharingCase{"FailureInsideShared",
                    {{"Z", "=A1/(A1-A1)"}, {"Y", "=Z+Z"}},
                    "=Y*Y"},
        SharingCase{"SizeFailure",
                    {{"R", "=A1:A100001"}, {"Q", "=SUM(R)+SUM(R)"}},
                    "=Q+Q"},
        SharingCase{"PureExtension",
                    {{"P", "=PURE(A1, B1)*2"}, {"Q", "=P+P"}},
                    "=Q+Q+P"},
        SharingCase{"ObservableExtension",
                    {{"P", "=SEEN(A1)*2"}, {"Q", "=P+P+PURE(P)"}, {"R", "=Q*Q"}},
                    "=R+Q+P"},
        SharingCase{"ObservableHandler",
                    {{"M", "=A2+A2"}, {"L", "=LEN(M&M)"}},
                    "=L+L+LEN(M)"},
        SharingCase{"MixedInOneFormula",
                    {{"P", "=PURE(A1)"}, {"S", "=SEEN(P)"}, {"B", "=P+S+P+S"}},
                    "=SUM(B, B, {1;2}*P)"},
        SharingCase{"ComparisonsAndText",
                    {{"C", "=A1>B1"}, {"T", "=A3&C&A1"}, {"U", "=T=T"}},
                    "=IF(U, LEN(T&T), C)"},
        SharingCase{"SpilledShared",
                    {{"S", "=SEQUENCE(2,2)+A1"}, {"D", "=S*S"}},
                    "=D+S+D"}),
    [](const auto& param_info) { return std::string(param_info.param.label); });

// Generated definition graphs: each definition combines earlier names, cells and both kinds of
// extension; the named formula must agree with its written-out text.
TEST(SharedDefinitionsRandom, EvaluateAsIfWrittenOut) {
    std::mt19937 random(20240611);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 200; ++round) {
        Names names;
        auto atom = [&](int defined) -> std::string {
            const char* cells[] = {"A1", "B1", "A2", "A3", "2", "SEQUENCE(2)"};
            if (defined > 0 && pick(3) > 0) return "N_" + std::to_string(pick(defined));
            return cells[pick(6)];
        };
        auto expression = [&](int defined) {
            std::string a = atom(defined), b = atom(defined);
            switch (pick(7)) {
                case 0: return a + "+" + b;
                case 1: return a + "*" + b + "-" + a;
                case 2: return "SEEN(" + a + ")+" + b;
                case 3: return "PURE(" + a + "," + b + ")";
                case 4: return a + "&" + b;
                case 5: return "IF(" + a + "<" + b + "," + a + "," + b + ")";
                default: return "SUM(" + a + "," + b + "," + a + ")";
            }
        };
        const int count = 2 + pick(6);
        for (int k = 0; k < count; ++k) {
            names.push_back({"N_" + std::to_string(k), "=" + expression(k)});
        }
        const std::string formula = "=" + expression(count);
        const std::string plain_formula = written_out_formula(formula, names);
        if (plain_formula.size() > 20000) continue;
        CountingSheet named(names), plain({});
        Cells cells = kInputs, plain_cells = kInputs;
        cells.push_back({"C1", formula});
        plain_cells.push_back({"C1", plain_formula});
        write(named.sheet, cells);
        write(plain.sheet, plain_cells);
        ASSERT_EQ(read(named.sheet, "C1 C2"), read(plain.sheet, "C1 C2")) << plain_formula;
        ASSERT_EQ(named.seen->calls, plain.seen->calls) << plain_formula;
        ASSERT_EQ(named.metres->calls, plain.metres->calls) << plain_formula;
    }
}

// A pure definition is evaluated once per evaluation of the formula, an observable one at each
// of its uses; a name that only names another (R, T) is the same definition.
TEST(SharedDefinitionsCalls, PureOncePerEvaluationObservableAtEachUse) {
    CountingSheet s({{"P", "=PURE(A1)*2"},
                     {"S", "=SEEN(A1)*2"},
                     {"Q", "=P+S"},
                     {"R", "=P"},
                     {"T", "=S"}});
    write(s.sheet, {{"A1", "1"}, {"C1", "=Q+Q+Q+P+R+T"}});
    EXPECT_EQ(s.pure->calls, 1);
    EXPECT_EQ(s.seen->calls, 4);
    write(s.sheet, {{"A1", "2"}});
    EXPECT_EQ(s.pure->calls, 2);
    EXPECT_EQ(s.seen->calls, 8);
}

// Definitions doubling at each level: 2^depth uses of the innermost once written out.
Names doubling(const std::string& innermost, int depth) {
    Names names{{"N_0", innermost}};
    for (int k = 1; k <= depth; ++k) {
        std::string previous = "N_" + std::to_string(k - 1);
        names.push_back({"N_" + std::to_string(k), "=" + previous + "+" + previous});
    }
    return names;
}

TEST(SharedDefinitionsScale, DoublingDefinitionsGiveTheirValueAndFollowEdits) {
    Sheet sheet;
    const Names names = doubling("=SUM(SORT(SEQUENCE(100000,1,100000,-1)))+B1", 14);
    for (const auto& [name, definition] : names) ASSERT_FALSE(sheet.set_name(name, definition));
    write(sheet, {{"A1", "=N_14"}, {"B1", "0"}});
    EXPECT_EQ(read(sheet, "A1"), "A1=81920819200000");
    write(sheet, {{"B1", "1"}});
    EXPECT_EQ(read(sheet, "A1"), "A1=81920819216384");  // 2^14 more
    write(sheet, {{"C1", "7"}});
    EXPECT_EQ(read(sheet, "A1"), "A1=81920819216384");
}

TEST(SharedDefinitionsScale, ExpansionBoundsStayAsTheyWere) {
    Sheet sheet;
    for (const auto& [name, definition] : doubling("=B1*2", 20)) sheet.set_name(name, definition);
    write(sheet, {{"A1", "=N_17"}, {"A2", "=N_18"}, {"B1", "1"}});
    EXPECT_EQ(read(sheet, "A1"), "A1=262144");
    EXPECT_EQ(read(sheet, "A2"), "A2=#VALUE! name expansion too large");
}

}  // namespace
}  // namespace orvel::core
