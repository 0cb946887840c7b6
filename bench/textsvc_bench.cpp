// The editor services over formula text on 100,000 typical formulas.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/adjust.h"
#include "core/refs.h"
#include "core/shift.h"
#include "core/tokens.h"

namespace {

constexpr int kFormulas = 100000;

const std::vector<std::string>& formulas() {
    static const std::vector<std::string> out = [] {
        std::vector<std::string> list;
        list.reserve(kFormulas);
        for (int i = 1; i <= kFormulas; ++i) {
            const std::string n = std::to_string(i);
            list.push_back("=SUM(A" + n + ":B" + std::to_string(i + 9) + ")*$C$3+IF(D" + n +
                           ">0,\"x\"&E" + n + ",F" + n + "/2)");
        }
        return list;
    }();
    return out;
}

void BM_FormulaTokens(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& f : formulas()) {
            auto spans = orvel::core::formula_tokens(f);
            benchmark::DoNotOptimize(spans);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFormulas);
}
BENCHMARK(BM_FormulaTokens)->Unit(benchmark::kMillisecond);

void BM_ExtractRefs(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& f : formulas()) {
            auto refs = orvel::core::extract_refs(f);
            benchmark::DoNotOptimize(refs);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFormulas);
}
BENCHMARK(BM_ExtractRefs)->Unit(benchmark::kMillisecond);

// A row inserted halfway down and a column before C: every formula has something to rewrite.
void BM_AdjustRefsForInsertion(benchmark::State& state) {
    const orvel::core::Deletion inserted{{2}, {kFormulas / 2}};
    for (auto _ : state) {
        for (const std::string& f : formulas()) {
            auto text = orvel::core::adjust_refs_for_insertion(f, inserted);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFormulas);
}
BENCHMARK(BM_AdjustRefsForInsertion)->Unit(benchmark::kMillisecond);

// A row deleted halfway down and column C: every formula has something to rewrite.
void BM_AdjustRefsForDeletion(benchmark::State& state) {
    const orvel::core::Deletion deleted{{2}, {kFormulas / 2}};
    for (auto _ : state) {
        for (const std::string& f : formulas()) {
            auto text = orvel::core::adjust_refs_for_deletion(f, deleted);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFormulas);
}
BENCHMARK(BM_AdjustRefsForDeletion)->Unit(benchmark::kMillisecond);

// 10,000 ranges whose ends both sit in one run of a million deleted columns: the cost of a
// reference must not grow with the length of the run.
void BM_AdjustRefsForLongDeletedRun(benchmark::State& state) {
    constexpr int kRefs = 10000;
    std::string formula = "=C1:D2";
    for (int i = 1; i < kRefs; ++i) formula += "+C1:D2";
    orvel::core::Deletion deleted;
    for (std::uint32_t col = 2; col < 1000000; ++col) deleted.deleted_cols.push_back(col);
    for (auto _ : state) {
        auto text = orvel::core::adjust_refs_for_deletion(formula, deleted);
        benchmark::DoNotOptimize(text);
    }
    state.SetItemsProcessed(state.iterations() * kRefs);
}
BENCHMARK(BM_AdjustRefsForLongDeletedRun)->Unit(benchmark::kMillisecond);

void BM_ShiftFormulaRefs(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& f : formulas()) {
            auto text = orvel::core::shift_formula_refs(f, 1, 1, 1048576, 16384);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFormulas);
}
BENCHMARK(BM_ShiftFormulaRefs)->Unit(benchmark::kMillisecond);

}  // namespace
