// Lexing and parsing typical formulas: references, ranges, calls, strings, arrays.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/lexer.h"
#include "core/parser.h"

namespace {

std::vector<std::string> typical_formulas(int count) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i) {
        std::string n = std::to_string(i);
        switch (i % 5) {
            case 0: out.push_back("=A" + n + "*2+1"); break;
            case 1: out.push_back("=SUM(A" + n + ":B" + std::to_string(i + 9) + ")*$C$3"); break;
            case 2: out.push_back("=IF(D" + n + ">0,\"x\"&E" + n + ",F" + n + "/2)"); break;
            case 3: out.push_back("=SORT({3,1,2;6,5,4}, 2, FALSE)+A" + n + "#"); break;
            default: out.push_back("=CONCAT(UPPER(\"id-\"), " + n + ", LEN(G" + n + "))"); break;
        }
    }
    return out;
}

void BM_LexAndParse100k(benchmark::State& state) {
    const auto formulas = typical_formulas(100000);
    for (auto _ : state) {
        for (const std::string& f : formulas) {
            auto ast = orvel::core::Parser::parse(f);
            benchmark::DoNotOptimize(ast);
        }
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_LexAndParse100k)->Unit(benchmark::kMillisecond);

void BM_Lex100k(benchmark::State& state) {
    const auto formulas = typical_formulas(100000);
    for (auto _ : state) {
        for (const std::string& f : formulas) {
            auto tokens = orvel::core::Lexer(f).tokenize();
            benchmark::DoNotOptimize(tokens);
        }
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_Lex100k)->Unit(benchmark::kMillisecond);

}  // namespace
