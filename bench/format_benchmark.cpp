// Cost of Text's formatting constructor against the C library's snprintf of the same narrow
// format: a literal run of a given length around a few conversions, so both the copying of
// literal units and the per-conversion work show. Each benchmark checks its result once.
#include <QuendalText/Text.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using QuendalText::Text;
using QuendalText::UTF16String;

constexpr std::int64_t kBytesPerUnit = 2;
constexpr char kConversions[] = "%d|%-8s|%.3f|%08x|%c";

std::string NarrowFormat(std::size_t literalUnits) {
    return std::string(literalUnits, 'x') + kConversions;
}

UTF16String WideFormat(std::size_t literalUnits) {
    const std::string narrow = NarrowFormat(literalUnits);
    return UTF16String(narrow.begin(), narrow.end());
}

void BM_FormatText(benchmark::State& state) {
    const auto literalUnits = static_cast<std::size_t>(state.range(0));
    const UTF16String format = WideFormat(literalUnits);
    const Text check(format.c_str(), true, -42, u"ab", 3.14159, 0xBEEFu, 'z');
    if (UTF16String(check.c_str()) !=
        UTF16String(literalUnits, u'x') + u"-42|ab      |3.142|0000beef|z") {
        state.SkipWithError("formatting gave a wrong result");
        return;
    }
    for (auto _ : state) {
        Text text(format.c_str(), true, -42, u"ab", 3.14159, 0xBEEFu, 'z');
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * check.get_Length() *
                            kBytesPerUnit);
}
BENCHMARK(BM_FormatText)->Arg(0)->Arg(64)->Arg(1024)->Arg(16384);

// The peer: the C library formatting the same narrow format into a buffer that is large enough.
void BM_FormatSnprintf(benchmark::State& state) {
    const auto literalUnits = static_cast<std::size_t>(state.range(0));
    const std::string format = NarrowFormat(literalUnits);
    std::vector<char> buffer(literalUnits + 64);
    const int written = std::snprintf(buffer.data(), buffer.size(), format.c_str(), -42, "ab",
                                      3.14159, 0xBEEFu, 'z');
    if (written < 0 || static_cast<std::size_t>(written) >= buffer.size()) {
        state.SkipWithError("snprintf buffer too small");
        return;
    }
    for (auto _ : state) {
        std::snprintf(buffer.data(), buffer.size(), format.c_str(), -42, "ab", 3.14159, 0xBEEFu,
                      'z');
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * written);
}
BENCHMARK(BM_FormatSnprintf)->Arg(0)->Arg(64)->Arg(1024)->Arg(16384);

}  // namespace
