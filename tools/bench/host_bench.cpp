// Figures for the plain logic: the request copy and split, and the title
// fitting on a long title. Run: build/host/bin/host_bench
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "dialog/connection_request.h"
#include "frame/frame_title.h"

namespace {

// The receiver's whole work on one request: the bounded copy, then the split.
void BM_CopyAndSplit(benchmark::State& state, const std::u16string& text) {
    char16_t buffer[vm::kRequestBufferUnits];
    const auto cb = static_cast<std::uint32_t>(2 * (text.size() + 1));
    for (auto _ : state) {
        std::size_t n = 0;
        vm::CopyConnectionRequest(vm::kConnectionRequestType, cb, text.c_str(), buffer, &n);
        auto f = vm::SplitConnectionRequest(std::u16string_view(buffer, n));
        benchmark::DoNotOptimize(f);
    }
}
BENCHMARK_CAPTURE(BM_CopyAndSplit, TypicalRequest, std::u16string(u"kim#s3cr3t-pass#fileserver.example.org"));
// 511 units, the most a request keeps.
BENCHMARK_CAPTURE(BM_CopyAndSplit, LongestRequest,
                  std::u16string(170, u'u') + u"#" + std::u16string(170, u'p') + u"#" + std::u16string(169, u'h'));

void BM_FitTitle100Units(benchmark::State& state) {
    // A Hangul title of 100 units at 12 px each into the 178 px of a
    // 300 px wide window: the fitting walks almost every candidate.
    std::u16string title;
    for (int i = 0; i < 100; ++i) title += static_cast<char16_t>(0xAC00 + i * 37);
    auto measure = [](const std::u16string& s) { return static_cast<int>(s.size()) * 12; };
    for (auto _ : state) {
        auto fit = vm::frame::FitTitle(title, 178, measure, vm::frame::IsCp949LeadByte);
        benchmark::DoNotOptimize(fit);
    }
}
BENCHMARK(BM_FitTitle100Units);

}  // namespace

BENCHMARK_MAIN();
