// Every level's kernels against their plain forms, on inputs with each kind of fault, surrogate
// and sought unit at every position relative to the vector widths, amid characters of each length.
#include "../fuzz/kernels_agree.h"
#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using namespace QuendalText::detail;
using qt_test::Units;

// Positions swept: past two blocks of the widest level and its tail, in bytes and in units.
constexpr std::size_t kPositions = 140, kUnitPositions = 100;

// The vector levels this processor runs.
std::vector<const Kernels*> VectorLevels() {
    std::vector<const Kernels*> levels;
    for (const SimdLevel level : {SimdLevel::SSE2, SimdLevel::AVX2, SimdLevel::AVX512})
        if (const Kernels* kernels = KernelsFor(level)) levels.push_back(kernels);
    return levels;
}

// Every run of the test program says which levels it holds to their plain forms, which this
// processor lacks, and which one the rest of the library runs on.
class KernelLevelsReport : public testing::Environment {
    void SetUp() override {
        std::string lists[2];  // tested, lacking
        for (int level = 1; level < kSimdLevels; ++level)
            lists[!KernelsFor(SimdLevel(level))] += std::string(" ") + kSimdLevelNames[level];
        std::printf("Kernel levels tested:%s; not on this processor:%s; the library runs %s\n",
                    lists[0].empty() ? " none" : lists[0].c_str(),
                    lists[1].empty() ? " none" : lists[1].c_str(), ActiveKernels().Name);
    }
};
testing::Environment* const kReport = testing::AddGlobalTestEnvironment(new KernelLevelsReport);

// Sets QUENDALTEXT_SIMD; an empty value, which Windows cannot hold, removes it there.
void SetSimdVariable(const std::string& value) {
#if defined(_WIN32)
    _putenv_s("QUENDALTEXT_SIMD", value.c_str());
#else
    setenv("QUENDALTEXT_SIMD", value.c_str(), 1);
#endif
}

// A QUENDALTEXT_SIMD that names no level stops the first use with a message; an empty one is
// no cap, and a level's name caps at that level.
TEST(Kernels, SimdVariableNamesALevel) {
    EXPECT_DEATH((SetSimdVariable("avx3"), SupportedSimdLevel()),
                 "QUENDALTEXT_SIMD=avx3 names no kernel level \\(scalar, sse2, avx2, avx512\\)");
    const char* const previous = std::getenv("QUENDALTEXT_SIMD");
    const std::string kept = previous ? previous : "";
    SetSimdVariable("");
    const SimdLevel best = SupportedSimdLevel();
    EXPECT_TRUE(KernelsFor(best) && (best == SimdLevel::AVX512 || !KernelsFor(SimdLevel::AVX512)));
    for (int level = 0; level < kSimdLevels; ++level) {
        SetSimdVariable(kSimdLevelNames[level]);
        EXPECT_EQ(SupportedSimdLevel(), std::min(best, static_cast<SimdLevel>(level)));
    }
    SetSimdVariable(kept);
}

// UTF-8 faults of every kind (and well-formed neighbours of them), a stray continuation after a
// whole character among them.
const std::string kUTF8Specials[] = {
    "\xc2\x80",          "\xdf\xbf",     "\xe0\xa0\x80", "\xef\xbf\xbf", "\xf0\x90\x80\x80",
    "\xf4\x8f\xbf\xbf",  "\xc0\xaf",     "\xc1\xbf",     "\xe0\x80\x80", "\xe0\x9f\xbf",
    "\xed\xa0\x80",      "\xed\xbf\xbf", "\xf0\x80\x80", "\xf0\x8f\xbf", "\xf4\x90\x80\x80",
    "\xf5\x80",          "\xff",         "\x80",         "\xbf\xbf",     "\xe2\x82",
    "\xf0\x9f\x98",      "\xc3",         "\xe2\x28\xa1", "\xed\x9f\xbf", "\xe2\x82\xac\x80",
    std::string(1, '\0')};
// Background characters of each length.
const char* const kUTF8Background[] = {
    "a", "~", "\xc3\xa9", "\xe2\x82\xac", "\xe6\x97\xa5", "\xf0\x9f\x98\x80"};

// Units of every class: ASCII, two- and three-byte, each surrogate half, NUL, U+FFFF.
const unsigned kUnitSpecials[] = {0x41,   0x7F,   0x80,   0x7FF,  0x800, 0xD7FF, 0xD800, 0xDBFF,
                                  0xDC00, 0xDFFF, 0xE000, 0xFFFF, 0,     u'|',   u'a',   u'Z'};

// Kinds of background, each a run of kUTF8Background: ASCII only, up to two bytes (Latin text),
// three bytes only (CJK text), any.
struct BackgroundKind {
    unsigned First, Count;
};
const BackgroundKind kUTF8BackgroundKinds[] = {{0, 1}, {0, 3}, {3, 2}, {0, 6}};

std::string UTF8Background(std::mt19937& random, std::size_t bytes, BackgroundKind kind) {
    std::string text;
    while (text.size() < bytes) text += kUTF8Background[kind.First + random() % kind.Count];
    return text;
}

// Kinds: 1 ASCII only; 2 up to U+07FF; 3 BMP with pairs; 4 (alone) up to U+07FF with pairs, as
// text with emoji; 5 (alone) three-byte units only, as CJK text. Pairs of any halves.
UTF16String UnitBackground(std::mt19937& random, std::size_t units, unsigned kinds) {
    UTF16String text;
    constexpr unsigned kThreeBytes = 0x800, kSurrogates = 0xD800;
    while (kinds == 5 && text.size() < units)
        text += Units({kThreeBytes + unsigned(random() % (kSurrogates - kThreeBytes))});
    for (const unsigned limits[] = {0x60, 0x780, 0xC000, 0x780}; text.size() < units;) {
        const auto kind = kinds == 4 ? 3u : static_cast<unsigned>(random() % kinds);
        const bool pair = kind >= 2 && random() % 3 == 0;
        text +=
            pair ? Units({0xD800 + unsigned(random() % 0x400), 0xDC00 + unsigned(random() % 0x400)})
                 : Units({0x20 + unsigned(random() % limits[kind])});
    }
    return text;
}

// UTF-8 strings: a background of a kind taken at random with each special at every position
// and more background after it, whole and cut inside the special.
template <class Check>
void ForEachUTF8String(Check check) {
    std::mt19937 random(99);
    const auto kinds = [&] { return kUTF8BackgroundKinds[random() % 4]; };
    for (const std::string& special : kUTF8Specials) {
        for (std::size_t at = 0; at < kPositions; ++at) {
            std::string bytes = UTF8Background(random, at, kinds());
            const std::size_t cut = bytes.size() + special.size() - 1;
            bytes += special + UTF8Background(random, random() % 150, kinds());
            check(std::string_view(bytes));
            check(std::string_view(bytes).substr(0, cut));
        }
    }
}

// Unit strings: a background (ASCII, up to U+07FF, anything with pairs, up to U+07FF with
// pairs, or three-byte units only, by turns) with a run of one to three special units at every
// position, then cut just after and just before that run.
template <class Check>
void ForEachUnitString(Check check) {
    std::mt19937 random(1234);
    for (const unsigned special : kUnitSpecials) {
        for (std::size_t at = 0; at < kUnitPositions; ++at) {
            const auto kinds = static_cast<unsigned>(1 + at % 5);
            UTF16String text = UnitBackground(random, kUnitPositions + random() % 40, kinds);
            const std::size_t run = 1 + random() % 3;
            text.insert(std::min(at, text.size()), run, static_cast<UTF16Unit>(special));
            for (const std::size_t end : {text.size(), at + run, at}) check(text.substr(0, end));
        }
    }
}

TEST(Kernels, TranscodersMatchReference) {
    for (const Kernels* kernels : VectorLevels()) {
        SCOPED_TRACE(kernels->Name);
        ForEachUTF8String([&](std::string_view bytes) {
            ASSERT_TRUE(fuzz::UTF8PassesAgree(*kernels, bytes)) << testing::PrintToString(bytes);
        });
        ForEachUnitString([&](const UTF16String& units) {
            // Rooms around the whole output's size.
            const std::size_t whole = reference::ValidateUTF16(units.data(), units.size()).Written;
            for (const std::size_t room : {3 * units.size(), whole, whole - (whole > 0), whole / 2})
                ASSERT_TRUE(fuzz::UTF16PassesAgree(*kernels, units, room))
                    << testing::PrintToString(units) << room;
        });
    }
}

// Each sought unit beside each other text: sets up to kSmallSetUnits, patterns from the text's end
// (so that they are found) and near misses of them, and the text with one unit changed in case
// or value. The sought units are bounds that the special units and the backgrounds cross, and
// the unit before the last (which a surrogate after it may take along).
TEST(Kernels, UnitPassesMatchReference) {
    for (const Kernels* kernels : VectorLevels()) {
        SCOPED_TRACE(kernels->Name);
        ForEachUnitString([&](const UTF16String& units) {
            const std::size_t size = units.size();
            std::vector<UTF16String> others = {QUENDALTEXT_U("|"), QUENDALTEXT_U("~^|`"),
                                               Units({0, 0xFFFF, 0xD800}),
                                               QUENDALTEXT_U("abcdefg|"), units};
            if (size > 0)
                others.back()[size / 2] =
                    static_cast<UTF16Unit>(AsciiUnfold(AsciiFold(units[size / 2]) ^ 0x20));
            for (std::size_t length = 2; length <= 9 && length <= size; length += 7) {
                others.push_back(units.substr(size - length));
                others.push_back(others.back()), others.back()[length / 2] ^= 1;
            }
            const unsigned before = size > 1 && !IsSurrogate(units[size - 2]) ? units[size - 2] : 0;
            const unsigned sought[] = {0, 0x7F, 0x2FF, 0x7FF, 0xFFFF, u'|', u'a', before};
            for (std::size_t i = 0; i < std::max(std::size(sought), others.size()); ++i)
                ASSERT_TRUE(fuzz::UnitPassesAgree(*kernels, units,
                                                  static_cast<UTF16Unit>(sought[i % 8]),
                                                  others[i % others.size()]))
                    << testing::PrintToString(units) << i;
        });
    }
}

// Long texts, for the passes that go over stretches of many vectors at once and check them as a
// whole: a lone half, a pair or a NUL near each boundary of groups and stretches (shifted by
// the one or two units that a pass may take before it), in text with pairs or without.
TEST(Kernels, LongTextPassesMatchReference) {
    std::mt19937 random(77);
    const std::vector<std::vector<unsigned>> specials = {{0xDC00}, {0xD800}, {0xD83D, 0xDE00}, {0}};
    for (const Kernels* kernels : VectorLevels()) {
        SCOPED_TRACE(kernels->Name);
        for (const std::size_t boundary : {64u, 256u, 512u, 1024u, 2048u}) {
            for (std::size_t at = boundary - 2; at <= boundary + 2; ++at) {
                for (const unsigned kinds : {3u, 4u, 5u}) {
                    const auto& special = specials[random() % specials.size()];
                    UTF16String units = UnitBackground(random, 2 * boundary + 70, kinds);
                    // Keep the special whole: no pair of the background is cut around it.
                    units.resize(at);
                    if (!units.empty() && IsHighSurrogate(units.back())) units.back() = u'x';
                    for (const unsigned unit : special) units += static_cast<UTF16Unit>(unit);
                    UTF16String after = UnitBackground(random, boundary + 70, kinds);
                    if (IsLowSurrogate(after[0])) after[0] = u'y';
                    units += after;
                    const std::size_t whole =
                        reference::ValidateUTF16(units.data(), units.size()).Written;
                    ASSERT_TRUE(fuzz::UTF16PassesAgree(*kernels, units, 3 * units.size()) &&
                                fuzz::UTF16PassesAgree(*kernels, units, whole) &&
                                fuzz::UnitPassesAgree(*kernels, units, 0xDC00, units.substr(7, 9)))
                        << at << " " << kinds << " " << special[0];
                }
            }
        }
    }
}

}  // namespace
