// Evaluation of formulas that stress broadcasting, text building, sorting and deduplication,
// a small formula of single values from its tree and from its code, and the one-shot path
// (parse + evaluate) of a small arithmetic formula.
#include <benchmark/benchmark.h>

#include <string>

#include "core/eval.h"
#include "core/parser.h"

namespace {

using orvel::core::Evaluator;
using orvel::core::Parser;
using orvel::core::Registry;

// Parses once and evaluates the tree on every iteration.
void evaluate_parsed(benchmark::State& state, const std::string& formula) {
    auto ast = Parser::parse(formula);
    if (!ast) {
        state.SkipWithError("formula does not parse");
        return;
    }
    const Registry registry;
    const Evaluator evaluator(orvel::core::empty_lookup(), 1000, 26, registry);
    for (auto _ : state) {
        auto result = evaluator.eval_node(ast->root());
        if (!result) {
            state.SkipWithError("evaluation failed");
            return;
        }
        benchmark::DoNotOptimize(result);
    }
}

void BM_SumOfOuterProduct(benchmark::State& state) {
    evaluate_parsed(state, "=SUM(SEQUENCE(1000)*TRANSPOSE(SEQUENCE(100)))");
}
BENCHMARK(BM_SumOfOuterProduct)->Unit(benchmark::kMicrosecond);

void BM_LenOfConcat100k(benchmark::State& state) {
    evaluate_parsed(state, "=LEN(CONCAT(SEQUENCE(1000,100)))");
}
BENCHMARK(BM_LenOfConcat100k)->Unit(benchmark::kMicrosecond);

void BM_SortDescending100k(benchmark::State& state) {
    evaluate_parsed(state, "=SORT(SEQUENCE(100000,1,100000,-1))");
}
BENCHMARK(BM_SortDescending100k)->Unit(benchmark::kMicrosecond);

void BM_Unique100kOf1000(benchmark::State& state) {
    // 100000 values, 1000 distinct: the remainders of 0..99999 by 1000.
    evaluate_parsed(state, "=UNIQUE(SEQUENCE(100000,1,0,1)%1000)");
}
BENCHMARK(BM_Unique100kOf1000)->Unit(benchmark::kMicrosecond);

void BM_Unique100kAllDistinct(benchmark::State& state) {
    evaluate_parsed(state, "=UNIQUE(SEQUENCE(100000))");
}
BENCHMARK(BM_Unique100kAllDistinct)->Unit(benchmark::kMicrosecond);

void BM_SmallFormulaParsed(benchmark::State& state) {
    evaluate_parsed(state, "=A1*2+SUM(B1:B3)-1");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SmallFormulaParsed);

// Every cell holds a number.
class NumberCells final : public orvel::core::CellLookup {
public:
    orvel::core::CellValue cell(std::uint32_t col, std::uint32_t row) const override {
        return orvel::core::CellValue::number(col + row);
    }
    orvel::core::CellValue cell_by_id(std::string_view) const override { return {}; }
};

// A formula of single values as a sheet evaluates it: from its tree with kept stacks, and from
// its flattened code.
void BM_ScalarFormulaTree(benchmark::State& state) {
    auto ast = Parser::parse("=A1*2+1-B1/4");
    const Registry registry;
    const NumberCells cells;
    const Evaluator evaluator(cells, 1000, 26, registry);
    orvel::core::EvalScratch scratch;
    for (auto _ : state) {
        auto result = evaluator.eval_node(ast->root(), scratch);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScalarFormulaTree);

void BM_ScalarFormulaCode(benchmark::State& state) {
    auto ast = Parser::parse("=A1*2+1-B1/4");
    orvel::core::AstArena arena;
    orvel::core::ScalarFlattener flattener;
    const auto code = flattener.flatten(ast->root(), arena);
    const Registry registry;
    const NumberCells cells;
    const Evaluator evaluator(cells, 1000, 26, registry);
    orvel::core::EvalScratch scratch;
    for (auto _ : state) {
        auto result = evaluator.eval_code(code, scratch);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScalarFormulaCode);

void BM_OneShotArithmetic(benchmark::State& state) {
    for (auto _ : state) {
        auto value = orvel::core::evaluate_one_shot("=1+2*3-4/5");
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OneShotArithmetic);

}  // namespace
