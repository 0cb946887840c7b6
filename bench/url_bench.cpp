// The URL functions over 100,000 realistic URLs, called as the dispatcher calls them, next to
// ada's bare parse of the same texts (the floor the function layer adds to).
#include <ada.h>
#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

#include "core/registry.h"
#include "core/values.h"
#include "url/register.h"

namespace {

using orvel::core::CellValue;

constexpr int kUrls = 100000;

std::vector<CellValue> realistic_urls() {
    const std::array<const char*, 6> hosts = {"www.example.com",  "api.shop.example.org",
                                              "Docs.Example.NET", "cdn.static-files.io",
                                              "127.0.0.1:8080",   "bücher.example"};
    const std::array<const char*, 4> paths = {"/", "/products/42/reviews", "/a/b/c/index.html",
                                              "/search"};
    std::vector<CellValue> urls;
    urls.reserve(kUrls);
    for (int i = 0; i < kUrls; ++i) {
        std::string url = i % 3 == 0 ? "http://" : "https://";
        url += hosts[static_cast<std::size_t>(i) % hosts.size()];
        url += paths[static_cast<std::size_t>(i) % paths.size()];
        url += "?utm_source=news&id=" + std::to_string(i) + "&q=red+shoes%20size&lang=en";
        if (i % 4 == 0) url += "#section-" + std::to_string(i % 10);
        urls.push_back(CellValue::text(url));
    }
    return urls;
}

const orvel::core::CustomFunction& url_function(std::string_view name) {
    static const orvel::core::Registry registry = [] {
        orvel::core::Registry r;
        (void)orvel::url::register_url_functions(r);
        return r;
    }();
    return *registry.find_function(name);
}

void BM_AdaParse100k(benchmark::State& state) {
    const auto urls = realistic_urls();
    for (auto _ : state) {
        for (const CellValue& url : urls) {
            auto parsed = ada::parse<ada::url_aggregator>(url.text_view());
            benchmark::DoNotOptimize(parsed);
        }
    }
    state.SetItemsProcessed(state.iterations() * kUrls);
}
BENCHMARK(BM_AdaParse100k)->Unit(benchmark::kMillisecond);

void BM_UrlHost100k(benchmark::State& state) {
    const auto urls = realistic_urls();
    const auto& host = url_function("URL_HOST");
    for (auto _ : state) {
        for (const CellValue& url : urls) {
            auto result = host.call({&url, 1});
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * kUrls);
}
BENCHMARK(BM_UrlHost100k)->Unit(benchmark::kMillisecond);

void BM_UrlParam100k(benchmark::State& state) {
    const auto urls = realistic_urls();
    const auto& param = url_function("URL_PARAM");
    std::array<CellValue, 2> args = {CellValue(), CellValue::text("q")};
    for (auto _ : state) {
        for (const CellValue& url : urls) {
            args[0] = url;
            auto result = param.call(args);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * kUrls);
}
BENCHMARK(BM_UrlParam100k)->Unit(benchmark::kMillisecond);

void BM_UrlJoin100k(benchmark::State& state) {
    const auto urls = realistic_urls();
    const auto& join = url_function("URL_JOIN");
    std::array<CellValue, 2> args = {CellValue(), CellValue::text("../images/logo.png?v=2")};
    for (auto _ : state) {
        for (const CellValue& url : urls) {
            args[0] = url;
            auto result = join.call(args);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * kUrls);
}
BENCHMARK(BM_UrlJoin100k)->Unit(benchmark::kMillisecond);

}  // namespace
