// One full recalculation after a one-cell edit, on four sheets:
//   W1  A1:A100000 numbers, B_i =A_i*2+1, C1 =SUM(B1:B100000)
//   W2  a chain A1 = 1, A_i =A{i-1}+1 over 100000 cells
//   W3  running totals A_i = i, B_i =SUM($A$1:A_i), 5000 rows (12.5 million cells read)
//   W4  A1 =SEQUENCE(100000), B1 =A1#*2, C1 =SUM(B1#); B50000 blocked and unblocked in turn
//   W5  names built from each other: N_0 =SUM(SEQUENCE(100000)), N_k =N_{k-1}+N_{k-1} for k up
//       to the depth argument, A1 =N_depth; B1 edited (2^depth uses of N_0 once expanded)
// Each iteration is one set_cells call, which ends in the recalculation. The "FormulaEdit"
// variants change a formula instead of a number, so the ordering is built again.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/sheet.h"

namespace {

using orvel::core::CellText;
using orvel::core::Sheet;

struct Inputs {
    std::vector<std::string> ids;
    std::vector<std::string> texts;
    void add(std::string id, std::string text) {
        ids.push_back(std::move(id));
        texts.push_back(std::move(text));
    }
    void write_to(Sheet& sheet) const {
        std::vector<CellText> changes;
        for (std::size_t i = 0; i < ids.size(); ++i) changes.push_back({ids[i], texts[i]});
        sheet.set_cells(changes);
    }
};

std::string n(int i) {
    return std::to_string(i);
}

Sheet w1() {
    Inputs in;
    for (int i = 1; i <= 100000; ++i) in.add("A" + n(i), n(i));
    for (int i = 1; i <= 100000; ++i) in.add("B" + n(i), "=A" + n(i) + "*2+1");
    in.add("C1", "=SUM(B1:B100000)");
    Sheet sheet;
    in.write_to(sheet);
    return sheet;
}

Sheet w2() {
    Inputs in;
    in.add("A1", "1");
    for (int i = 2; i <= 100000; ++i) in.add("A" + n(i), "=A" + n(i - 1) + "+1");
    Sheet sheet;
    in.write_to(sheet);
    return sheet;
}

Sheet w3() {
    Inputs in;
    for (int i = 1; i <= 5000; ++i) in.add("A" + n(i), n(i));
    for (int i = 1; i <= 5000; ++i) in.add("B" + n(i), "=SUM($A$1:A" + n(i) + ")");
    Sheet sheet;
    in.write_to(sheet);
    return sheet;
}

Sheet w4() {
    Inputs in;
    in.add("A1", "=SEQUENCE(100000)");
    in.add("B1", "=A1#*2");
    in.add("C1", "=SUM(B1#)");
    Sheet sheet;
    in.write_to(sheet);
    return sheet;
}

Sheet w5(int depth) {
    Sheet sheet;
    sheet.set_name("N_0", "=SUM(SEQUENCE(100000))");
    for (int k = 1; k <= depth; ++k) {
        sheet.set_name("N_" + n(k), "=N_" + n(k - 1) + "+N_" + n(k - 1));
    }
    Inputs in;
    in.add("A1", "=N_" + n(depth));
    in.write_to(sheet);
    return sheet;
}

// Alternates between two texts for one cell, one recalculation per iteration.
void edit_loop(benchmark::State& state, Sheet& sheet, const char* cell, const char* first,
               const char* second) {
    bool flip = false;
    for (auto _ : state) {
        CellText change{cell, flip ? first : second};
        auto error = sheet.set_cells({&change, 1});
        benchmark::DoNotOptimize(error);
        flip = !flip;
    }
}

void BM_W1_NumberEdit(benchmark::State& state) {
    Sheet sheet = w1();
    edit_loop(state, sheet, "A50000", "7", "8");
}

void BM_W1_FormulaEdit(benchmark::State& state) {
    Sheet sheet = w1();
    edit_loop(state, sheet, "B50000", "=A50000*3", "=A50000*2+1");
}

void BM_W2_NumberEdit(benchmark::State& state) {
    Sheet sheet = w2();
    edit_loop(state, sheet, "A1", "2", "1");
}

void BM_W3_NumberEdit(benchmark::State& state) {
    Sheet sheet = w3();
    edit_loop(state, sheet, "A1", "2", "1");
}

void BM_W3_FormulaEdit(benchmark::State& state) {
    Sheet sheet = w3();
    edit_loop(state, sheet, "B2500", "=SUM($A$1:A2499)", "=SUM($A$1:A2500)");
}

void BM_W4_BlockUnblock(benchmark::State& state) {
    Sheet sheet = w4();
    edit_loop(state, sheet, "B50000", "", "x");
}

void BM_W5_SharedNamesEdit(benchmark::State& state) {
    Sheet sheet = w5(static_cast<int>(state.range(0)));
    edit_loop(state, sheet, "B1", "2", "1");
}

}  // namespace

BENCHMARK(BM_W1_NumberEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_W1_FormulaEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_W2_NumberEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_W3_NumberEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_W3_FormulaEdit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_W4_BlockUnblock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_W5_SharedNamesEdit)->Arg(8)->Arg(12)->Arg(17)->Unit(benchmark::kMillisecond);
