// The date and time package at sheet scale: 100,000 date-arithmetic formulas, FORMAT and
// PARSE_DATETIME calls, and the payload readers every handler and function runs.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/eval.h"
#include "datetime/iso_text.h"
#include "datetime/register.h"
#include "datetime/span_text.h"

namespace {

using orvel::core::CellValue;

constexpr int kCount = 100000;

const orvel::core::Registry& registry() {
    static const orvel::core::Registry r = [] {
        orvel::core::Registry reg;
        orvel::datetime::register_on_sheet(reg);
        return reg;
    }();
    return r;
}

const orvel::core::CustomFunction& function(std::string_view name) {
    return *registry().find_function(name);
}

// Parse and evaluate "=DATEADD(DATE(2024,1,1),DAYS(n))" for 100,000 cells.
void BM_DateAddFormulas100k(benchmark::State& state) {
    std::vector<std::string> formulas;
    formulas.reserve(kCount);
    for (int i = 1; i <= kCount; ++i) {
        formulas.push_back("=DATEADD(DATE(2024,1,1),DAYS(" + std::to_string(i % 3000) + "))");
    }
    const orvel::core::Evaluator evaluator(orvel::core::empty_lookup(), 1000, 26, registry());
    for (auto _ : state) {
        for (const std::string& f : formulas) benchmark::DoNotOptimize(evaluator.evaluate(f));
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_DateAddFormulas100k)->Unit(benchmark::kMillisecond);

// The same three calls without the formula parser: DATE, DAYS, then DATEADD of their results.
void BM_DateAddCalls100k(benchmark::State& state) {
    const auto& date = function("DATE");
    const auto& days = function("DAYS");
    const auto& dateadd = function("DATEADD");
    const std::vector<CellValue> date_args = {CellValue::number(2024), CellValue::number(1),
                                              CellValue::number(1)};
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) {
            const CellValue count = CellValue::number(i % 3000);
            const CellValue pair[2] = {*date.call(date_args), *days.call({&count, 1})};
            benchmark::DoNotOptimize(dateadd.call(pair));
        }
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_DateAddCalls100k)->Unit(benchmark::kMillisecond);

// The same arithmetic as operators on cell values: jdate + jspan through the handlers.
void BM_DatePlusSpanOperator100k(benchmark::State& state) {
    const CellValue date = CellValue::custom("jdate", "2024-01-31");
    const CellValue span = CellValue::custom("jspan", "P1M2D");
    const auto& handlers = registry().types();
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) {
            for (const auto& handler : handlers) {
                auto answer = handler->binary_op(orvel::core::BinaryOpCode::Add, date, span);
                if (answer.handled()) {
                    benchmark::DoNotOptimize(answer);
                    break;
                }
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_DatePlusSpanOperator100k)->Unit(benchmark::kMillisecond);

void BM_Format100k(benchmark::State& state) {
    const std::vector<CellValue> args = {CellValue::custom("jdatetime", "2024-06-15T09:30:00.25"),
                                         CellValue::text("%Y-%m-%d %H:%M:%S %A")};
    const auto& format = function("FORMAT");
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) benchmark::DoNotOptimize(format.call(args));
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_Format100k)->Unit(benchmark::kMillisecond);

void BM_FormatZoned100k(benchmark::State& state) {
    const std::vector<CellValue> args = {
        CellValue::custom("jzoned", "2024-06-15T09:30:00-04:00[America/New_York]"),
        CellValue::text("%Y-%m-%d %H:%M:%S %Z")};
    const auto& format = function("FORMAT");
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) benchmark::DoNotOptimize(format.call(args));
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_FormatZoned100k)->Unit(benchmark::kMillisecond);

void BM_ParseDateTimeIso100k(benchmark::State& state) {
    const std::vector<CellValue> args = {CellValue::text("2024-06-15T09:30:00")};
    const auto& parse = function("PARSE_DATETIME");
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) benchmark::DoNotOptimize(parse.call(args));
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ParseDateTimeIso100k)->Unit(benchmark::kMillisecond);

void BM_ParseDateTimeFormat100k(benchmark::State& state) {
    const std::vector<CellValue> args = {CellValue::text("15/06/2024 09:30:00"),
                                         CellValue::text("%d/%m/%Y %H:%M:%S")};
    const auto& parse = function("PARSE_DATETIME");
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) benchmark::DoNotOptimize(parse.call(args));
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_ParseDateTimeFormat100k)->Unit(benchmark::kMillisecond);

// The payload readers alone.
void BM_ReadPayloads100k(benchmark::State& state) {
    for (auto _ : state) {
        for (int i = 0; i < kCount; ++i) {
            benchmark::DoNotOptimize(orvel::datetime::parse_date("2024-06-15"));
            benchmark::DoNotOptimize(orvel::datetime::parse_datetime("2024-06-15T09:30:00.25"));
            benchmark::DoNotOptimize(orvel::datetime::parse_span("P1Y2M3DT4H5M6.5S"));
            benchmark::DoNotOptimize(
                orvel::datetime::parse_zoned("2024-06-15T09:30:00-04:00[America/New_York]"));
        }
    }
    state.SetItemsProcessed(state.iterations() * kCount * 4);
}
BENCHMARK(BM_ReadPayloads100k)->Unit(benchmark::kMillisecond);

}  // namespace
