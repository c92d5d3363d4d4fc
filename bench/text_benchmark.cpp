// Costs of building a text one character at a time, removing every occurrence of a character,
// searching, and converting megabytes of UTF-8 in and out. Each benchmark checks its result once before it is timed.
#include <QuendalText/Text.h>

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;

constexpr std::int64_t kBytesPerUnit = 2;
constexpr int kMillion = 1000000;
// Every fourth appended character is a surrogate pair, so appends keep completing counts.
constexpr int kPairEvery = 4;

Text AppendOneByOne(int characters) {
    const Char letter(u'a'), pair(U'\U0001F600');
    Text text;
    for (int i = 0; i < characters; ++i) text += (i % kPairEvery == 0) ? pair : letter;
    return text;
}

int UnitsForCharacters(int characters) {
    return characters + (characters + kPairEvery - 1) / kPairEvery;
}

// Appending must stay linear: each append recounts only what it added.
void BM_AppendCharacters(benchmark::State& state) {
    const int characters = static_cast<int>(state.range(0));
    const Text check = AppendOneByOne(characters);
    if (check.get_NumberOfCharacters() != characters ||
        check.get_Length() != UnitsForCharacters(characters)) {
        state.SkipWithError("appending gave wrong counts");
        return;
    }
    for (auto _ : state) {
        Text text = AppendOneByOne(characters);
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetItemsProcessed(state.iterations() * characters);
    state.SetBytesProcessed(state.iterations() * UnitsForCharacters(characters) * kBytesPerUnit);
    state.SetComplexityN(characters);
}
BENCHMARK(BM_AppendCharacters)
    ->RangeMultiplier(10)
    ->Range(10000, kMillion)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// A million units, every other one the letter that is removed.
Text HalfLetters(bool forward) {
    UTF16String units(kMillion, u'b');
    for (std::size_t i = 0; i < units.size(); i += 2) units[i] = u'a';
    Text text(units);
    text.set_SearchForward(forward);
    return text;
}

// Argument: 1 searches forward, 0 backward.
void BM_RemoveHalfTheUnits(benchmark::State& state) {
    const bool forward = state.range(0) != 0;
    const Char letter(u'a');
    const Text original = HalfLetters(forward);
    Text check = original;
    check.Remove(letter);
    if (check.get_Length() != kMillion / 2 || check.FindCharacter(letter) != -1 ||
        check.get_NumberOfCharacters() != kMillion / 2) {
        state.SkipWithError("Remove gave a wrong text");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        Text text = original;
        state.ResumeTiming();
        text.Remove(letter);
        benchmark::DoNotOptimize(text.c_str());
    }
    state.SetItemsProcessed(state.iterations() * (kMillion / 2));
    state.SetBytesProcessed(state.iterations() * kMillion * kBytesPerUnit);
}
BENCHMARK(BM_RemoveHalfTheUnits)->ArgName("forward")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The sought character, and a pattern, stand only at the far end of the search: the search
// reads every unit of a million-unit text made of pairs and letters.
void BM_FindAtTheFarEnd(benchmark::State& state) {
    const bool forward = state.range(0) != 0;
    const Char sought(U'\U0001F680');
    Text text = AppendOneByOne(kMillion);
    const int expected = forward ? text.get_Length() : 0;
    Text withSought = forward ? text + sought : Text(sought) + text;
    withSought += u"xyz";
    withSought.set_SearchForward(forward);
    const Text pattern(u"xyz");
    if (withSought.FindCharacter(sought) != expected ||
        withSought.FindString(pattern) != withSought.get_Length() - 3) {
        state.SkipWithError("search found the wrong index");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(withSought.FindCharacter(sought));
        benchmark::DoNotOptimize(withSought.FindString(pattern));
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.SetBytesProcessed(state.iterations() * 2 * withSought.get_Length() * kBytesPerUnit);
}
BENCHMARK(BM_FindAtTheFarEnd)->ArgName("forward")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// Twenty megabytes of UTF-8 of every sequence length into a Text and out again, and appended to
// a short text. The input is made through the library from UTF-32, and checked to come back.
void BM_MultiMegabyteUTF8InAndOut(benchmark::State& state) {
    std::mt19937 random(99);
    std::vector<QuendalText::UTF32Unit> codePoints;
    const std::uint32_t ranges[][2] = {
        {1, 0x7F}, {0x80, 0x7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    for (std::size_t bytes = 0; bytes < 20u * 1024 * 1024;) {
        const auto& range = ranges[random() % 4];
        codePoints.push_back(
            std::uniform_int_distribution<std::uint32_t>(range[0], range[1])(random));
        const auto last = codePoints.back();
        bytes += last <= 0x7F ? 1 : last <= 0x7FF ? 2 : last <= 0xFFFF ? 3 : 4;
    }
    codePoints.push_back(0);
    const Text source(codePoints.data());
    std::string utf8(static_cast<std::size_t>(source.get_EncodingSize(UTF8Encoding, true)), '\0');
    source.ToUTF8(utf8.data(), static_cast<int>(utf8.size()), true);
    const auto inAndOut = [&utf8] {
        const Text text(utf8.c_str());
        std::string out(static_cast<std::size_t>(text.get_EncodingSize(UTF8Encoding, true)), '\0');
        text.ToUTF8(out.data(), static_cast<int>(out.size()), true);
        Text appended("start");
        appended += utf8.c_str();
        return std::make_pair(
            out, appended.get_NumberOfCharacters() - 5 == text.get_NumberOfCharacters());
    };
    const auto check = inAndOut();
    if (check.first != utf8 || !check.second ||
        Text(utf8.c_str()).get_NumberOfCharacters() != int(codePoints.size() - 1)) {
        state.SkipWithError("the round trip changed the text");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(inAndOut());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(2 * utf8.size()));
}
BENCHMARK(BM_MultiMegabyteUTF8InAndOut)->Unit(benchmark::kMillisecond);

}  // namespace
