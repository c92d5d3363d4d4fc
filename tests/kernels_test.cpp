// Every level's kernels against their plain forms, on inputs with each kind of fault, surrogate
// and sought unit at every position relative to the vector widths, amid characters of each length.
#include "internal/kernels.h"
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

std::string UTF8Background(std::mt19937& random, std::size_t bytes, bool ascii) {
    std::string text;
    while (text.size() < bytes) text += ascii ? "a" : kUTF8Background[random() % 6];
    return text;
}

// Kinds: 1 ASCII only; 2 up to U+07FF; 3 BMP with pairs.
UTF16String UnitBackground(std::mt19937& random, std::size_t units, unsigned kinds) {
    UTF16String text;
    for (const unsigned limits[] = {0x60, 0x780, 0xC000}; text.size() < units;) {
        const auto kind = static_cast<unsigned>(random() % kinds);
        const bool pair = kind == 2 && random() % 3 == 0;
        text += pair ? Units({0xD83D, 0xDE00}) : Units({0x20 + unsigned(random() % limits[kind])});
    }
    return text;
}

// UTF-8 strings: a background (ASCII or not, by turns) with each special at every position and
// more characters (ASCII or not) after it, whole and cut inside the special.
template <class Check>
void ForEachUTF8String(Check check) {
    std::mt19937 random(99);
    for (const std::string& special : kUTF8Specials) {
        for (std::size_t at = 0; at < kPositions; ++at) {
            std::string bytes = UTF8Background(random, at, random() % 2 == 0);
            const std::size_t cut = bytes.size() + special.size() - 1;
            bytes += special + UTF8Background(random, random() % 150, random() % 2 == 0);
            check(std::string_view(bytes));
            check(std::string_view(bytes).substr(0, cut));
        }
    }
}

// Unit strings: a background (ASCII, up to U+07FF, or anything with pairs, by turns) with a run
// of one to three special units at every position, then cut just after and just before that run.
template <class Check>
void ForEachUnitString(Check check) {
    std::mt19937 random(1234);
    for (const unsigned special : kUnitSpecials) {
        for (std::size_t at = 0; at < kUnitPositions; ++at) {
            const auto kinds = static_cast<unsigned>(1 + at % 3);
            UTF16String text = UnitBackground(random, kUnitPositions + random() % 40, kinds);
            const std::size_t run = 1 + random() % 3;
            text.insert(std::min(at, text.size()), run, static_cast<UTF16Unit>(special));
            for (const std::size_t end : {text.size(), at + run, at}) check(text.substr(0, end));
        }
    }
}

// Expects the kernel and its plain form to answer the same for the same arguments.
#define ASSERT_SAME(kernel, plain, ...) \
  ASSERT_EQ(kernels->kernel(__VA_ARGS__), reference::plain(__VA_ARGS__))

auto Tied(const TranscodeResult& r) {
    return std::tie(r.Read, r.Written, r.CodePoints, r.StoppedBy);
}

TEST(Kernels, TranscodersMatchReference) {
    for (const Kernels* kernels : VectorLevels()) {
        SCOPED_TRACE(kernels->Name);
        ForEachUTF8String([&](std::string_view bytes) {
            std::vector<UTF16Unit> plain(bytes.size() + 1), fast(bytes.size() + 1);
            const TranscodeResult r =
                reference::UTF8ToUTF16(bytes.data(), bytes.size(), plain.data());
            ASSERT_EQ(Tied(r), Tied(kernels->UTF8ToUTF16(bytes.data(), bytes.size(), fast.data())));
            ASSERT_TRUE(std::equal(plain.begin(), plain.begin() + static_cast<long>(r.Written),
                                   fast.begin()));
            const ValidPrefix v = kernels->ValidUTF8Prefix(bytes.data(), bytes.size());
            ASSERT_EQ(std::tie(r.Read, r.StoppedBy), std::tie(v.Read, v.StoppedBy));
        });
        ForEachUnitString([&](const UTF16String& units) {
            ASSERT_SAME(UTF8LengthOfUnits, UTF8LengthOfUnits, units.data(), units.size());
            const TranscodeResult valid = reference::ValidateUTF16(units.data(), units.size());
            const ValidPrefix v = kernels->ValidUTF16Prefix(units.data(), units.size());
            ASSERT_EQ(std::tie(valid.Read, valid.StoppedBy), std::tie(v.Read, v.StoppedBy));
            // Rooms around the whole output's size; nothing beyond the output is written.
            const std::size_t most = 3 * units.size(), whole = valid.Written;
            for (const std::size_t room : {most, whole, whole - (whole > 0), whole / 2}) {
                std::string plain(most + 1, '#'), fast = plain;
                ASSERT_EQ(Tied(reference::UTF16ToUTF8(units.data(), units.size(), &plain[0], room)),
                          Tied(kernels->UTF16ToUTF8(units.data(), units.size(), &fast[0], room)));
                ASSERT_EQ(plain, fast);
            }
        });
    }
}

TEST(Kernels, UnitPassesMatchReference) {
    const UTF16String kSets[] = {QUENDALTEXT_U("|"), QUENDALTEXT_U("~^|`"),
                                 Units({0, 0xFFFF, 0xD800}),
                                 QUENDALTEXT_U("abcdefg|")};  // up to kSmallSetUnits
    for (const Kernels* kernels : VectorLevels()) {
        SCOPED_TRACE(kernels->Name);
        ForEachUnitString([&](const UTF16String& units) {
            const UTF16Unit* data = units.data();
            const std::size_t size = units.size();
            ASSERT_SAME(ContinueCount, ContinueCount, data, size, 0);
            ASSERT_SAME(ContinueCount, ContinueCount, data, size, 1);
            ASSERT_SAME(IsAscii, IsAscii, data, size);
            // Bounds that the special units and the backgrounds cross, and none ever passes.
            for (const unsigned bound : {0u, 0x7Fu, 0x2FFu, 0x7FFu, 0xFFFFu}) {
                std::vector<UTF16Unit> plain(size + 1, UTF16Unit{0x2A}), fast = plain;
                const auto unit = static_cast<UTF16Unit>(bound);
                ASSERT_EQ(kernels->CopyUpToAbove(data, size, unit, fast.data()),
                          reference::CopyUpToAbove(data, size, unit, plain.data()));
                ASSERT_EQ(fast, plain);
                ASSERT_SAME(FindAbove, FindAbove, data, size, unit);
            }
            UTF16String copy(size + 1, UTF16Unit{0x2A});
            ASSERT_EQ(kernels->CopyAndCount(data, size, &copy[0]),
                      reference::ContinueCount(data, size, 0));
            ASSERT_EQ(copy, units + UTF16Unit{0x2A});
            // Fixed units, and the one before the last (which a surrogate after it may take along).
            const unsigned before = size > 1 && !IsSurrogate(data[size - 2]) ? data[size - 2] : 0;
            for (const unsigned sought :
                 {0u, 0x7Fu, 0xFFFFu, unsigned{u'|'}, unsigned{u'a'}, before}) {
                const auto unit = static_cast<UTF16Unit>(sought);
                ASSERT_SAME(FindUnit, FindUnit, data, size, unit);
                ASSERT_SAME(FindLastUnit, FindLastUnit, data, size, unit);
                for (const bool forward : {true, false}) {
                    ASSERT_EQ(FindSingleCharacter(*kernels, data, size, unit, forward),
                              reference::FindSingleCharacter(data, size, unit, forward));
                    UTF16String plain = units, fast = units;
                    bool plainStarts = false, fastStarts = false;
                    const std::size_t kept =
                        reference::RemoveUnit(&plain[0], size, unit, forward, &plainStarts);
                    ASSERT_EQ(kernels->RemoveUnit(&fast[0], size, unit, forward, &fastStarts),
                              kept);
                    ASSERT_EQ(plain.substr(0, kept) + UTF16Unit(plainStarts),
                              fast.substr(0, kept) + UTF16Unit(fastStarts));
                }
            }
            for (const UTF16String& set : kSets) {
                ASSERT_SAME(FindAnyOf, FindAnyOf, data, size, set.data(), set.size());
                ASSERT_SAME(FindNoneOf, FindNoneOf, data, size, set.data(), set.size());
            }
            // Patterns from the text itself, so that they are found, and near misses.
            for (std::size_t length = 2; length <= 9 && length <= size; length += 7) {
                UTF16String pattern = units.substr(size - length);
                for (int miss = 0; miss < 2; ++miss, pattern[length / 2] ^= 1) {
                    ASSERT_SAME(FindPattern, FindPattern, data, size, pattern.data(), length);
                }
            }
            // The text against itself with one unit changed in case or value.
            UTF16String other = units;
            if (size > 0)
                other[size / 2] =
                    static_cast<UTF16Unit>(AsciiUnfold(AsciiFold(other[size / 2]) ^ 0x20));
            ASSERT_SAME(Mismatch, Mismatch, data, other.data(), size);
            ASSERT_SAME(MismatchAsciiFolded, MismatchAsciiFolded, data, other.data(), size);
            UTF16String plain = units, fast = units;
            reference::AsciiToUpper(&plain[0], size), kernels->AsciiToUpper(&fast[0], size);
            ASSERT_EQ(plain, fast);
            reference::AsciiToLower(&plain[0], size), kernels->AsciiToLower(&fast[0], size);
            ASSERT_EQ(plain, fast);
        });
    }
}

}  // namespace
