// The passes over UTF-16 units and UTF-8 bytes that Text spends its time in: a table of kernels
// per instruction set (plain C++, SSE2, AVX2, AVX-512), one of which is chosen at the first use
// from what the processor offers. Every kernel gives exactly the result of its plain form in
// namespace `reference`, ill-formed input included; tests and a fuzzer hold them to it.
#ifndef QUENDALTEXT_INTERNAL_KERNELS_H
#define QUENDALTEXT_INTERNAL_KERNELS_H

#include "internal/transcode.h"
#include "internal/utf.h"

#include <cstddef>
#include <cstdint>

namespace QuendalText {
namespace detail {

// The instruction sets that kernels are written for, from the least to the most capable.
enum class SimdLevel { Scalar, SSE2, AVX2, AVX512 };
inline constexpr int kSimdLevels = 4;
// Their names, as QUENDALTEXT_SIMD gives them.
inline constexpr const char* kSimdLevelNames[kSimdLevels] = {"scalar", "sse2", "avx2", "avx512"};

// Sets that the set searches take in vector registers; a larger set goes the plain way.
inline constexpr std::size_t kSmallSetUnits = 8;

// The units of up to two ranges, First[i] to Last[i] each (First[i] <= Last[i]); the two may
// overlap or be the same.
struct UnitRanges {
    UTF16Unit First[2];
    UTF16Unit Last[2];
    // One range.
    static constexpr UnitRanges Of(UTF16Unit first, UTF16Unit last) {
        return {{first, first}, {last, last}};
    }
    constexpr bool Holds(std::uint32_t unit) const {
        return (unit >= First[0] && unit <= Last[0]) || (unit >= First[1] && unit <= Last[1]);
    }
};

// One instruction set's kernels. Searches answer an index, or `size` when nothing is found.
struct Kernels {
    SimdLevel Level;
    const char* Name;

    // The transcoders of transcode.h, with their contracts.
    TranscodeResult (*UTF8ToUTF16)(const char* bytes, std::size_t size, UTF16Unit* out);
    TranscodeResult (*UTF16ToUTF8)(const UTF16Unit* units, std::size_t size, char* out,
                                   std::size_t capacity);
    std::uint64_t (*UTF8LengthOfUnits)(const UTF16Unit* units, std::size_t size);
    ValidPrefix (*ValidUTF8Prefix)(const char* bytes, std::size_t size);
    ValidPrefix (*ValidUTF16Prefix)(const UTF16Unit* units, std::size_t size);

    // The character-count rule over `units`, which begin a character, with `running`
    // characters counted before them (see character_count.h).
    int (*ContinueCount)(const UTF16Unit* units, std::size_t size, int running);
    // As ContinueCount from 0, copying the units to `to` on the way.
    int (*CopyAndCount)(const UTF16Unit* from, std::size_t size, UTF16Unit* to);
    // Whether no unit is above 0x7F.
    bool (*IsAscii)(const UTF16Unit* units, std::size_t size);
    // Whether no byte is above 0x7F.
    bool (*IsAsciiBytes)(const char* bytes, std::size_t size);

    // The first (last) index holding `unit`.
    std::size_t (*FindUnit)(const UTF16Unit* units, std::size_t size, UTF16Unit unit);
    std::size_t (*FindLastUnit)(const UTF16Unit* units, std::size_t size, UTF16Unit unit);
    // The first index whose unit is (is not) one of the `setSize` units of `set`, 1 to
    // kSmallSetUnits of them.
    std::size_t (*FindAnyOf)(const UTF16Unit* units, std::size_t size, const UTF16Unit* set,
                             std::size_t setSize);
    std::size_t (*FindNoneOf)(const UTF16Unit* units, std::size_t size, const UTF16Unit* set,
                              std::size_t setSize);
    // The first index i, with i + 1 < `size`, where units[i] is one of the `firstSize` units of
    // `first` and units[i + 1] one of the `secondSize` units of `second` (1 to kSmallSetUnits
    // each); `size` when there is none.
    std::size_t (*FindPairOf)(const UTF16Unit* units, std::size_t size, const UTF16Unit* first,
                              std::size_t firstSize, const UTF16Unit* second,
                              std::size_t secondSize);
    // The first index where the `patternSize` units of `pattern` (at least 2) begin.
    std::size_t (*FindPattern)(const UTF16Unit* units, std::size_t size, const UTF16Unit* pattern,
                               std::size_t patternSize);
    // The first index where `a` and `b` differ; where they differ once each ASCII capital letter
    // is read as its small letter.
    std::size_t (*Mismatch)(const UTF16Unit* a, const UTF16Unit* b, std::size_t size);
    std::size_t (*MismatchAsciiFolded)(const UTF16Unit* a, const UTF16Unit* b, std::size_t size);
    // ASCII letters to capitals (small letters), in place; every other unit is kept.
    void (*AsciiToUpper)(UTF16Unit* units, std::size_t size);
    void (*AsciiToLower)(UTF16Unit* units, std::size_t size);
    // Removes, in place, every occurrence of the non-surrogate `unit` that the character search
    // in the given direction visits as a character of its own (see FindSingleCharacter);
    // answers the number of units kept, packed at the start. Sets *forwardStarts to whether
    // the forward search would also visit every removed unit alone (always so forward), which
    // is when the count rule sees each of them as a character of its own.
    std::size_t (*RemoveUnit)(UTF16Unit* units, std::size_t size, UTF16Unit unit, bool forward,
                              bool* forwardStarts);
    // Copies the units before the first one outside `ranges` to `to` and answers that one's
    // index (`size`, all copied, when none is outside).
    std::size_t (*CopyUpToOutside)(const UTF16Unit* from, std::size_t size,
                                   const UnitRanges& ranges, UTF16Unit* to);
    // The first index holding a unit outside `ranges`.
    std::size_t (*FindOutside)(const UTF16Unit* units, std::size_t size, const UnitRanges& ranges);
};

// The vector kernels are built for x86 (32- and 64-bit) with GCC or Clang, each level's in its
// own source under src/kernels/ with target attributes, so that the rest of the library stays
// baseline code; other processors have the plain level only.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#  define QUENDALTEXT_X86_KERNELS 1
#else
#  define QUENDALTEXT_X86_KERNELS 0
#endif

extern const Kernels kScalarKernels;
#if QUENDALTEXT_X86_KERNELS
extern const Kernels kSSE2Kernels;
extern const Kernels kAVX2Kernels;
extern const Kernels kAVX512Kernels;
#endif

// The kernels of `level`, or nullptr when this build or this processor has none.
const Kernels* KernelsFor(SimdLevel level);
// The most capable level this processor runs, lowered to QUENDALTEXT_SIMD (scalar, sse2,
// avx2, avx512) when that environment variable names a lower one at the first use; any other
// non-empty value aborts the process with a message.
SimdLevel SupportedSimdLevel();

// The kernels chosen for this process, at the first call (thread-safe).
inline const Kernels& ActiveKernels() {
    static const Kernels& active = *KernelsFor(SupportedSimdLevel());
    return active;
}

// The character search for the non-surrogate `unit` (see Text::FindCharacter): the first (or,
// backward, the last) index holding it where the search steps on a character of its own, that
// is where the run of surrogate units before it (backward: after it) has an even length; `size`
// when there is none. Runs on the given kernels' unit search.
std::size_t FindSingleCharacter(const Kernels& kernels, const UTF16Unit* units, std::size_t size,
                                UTF16Unit unit, bool forward);

namespace reference {
int ContinueCount(const UTF16Unit* units, std::size_t size, int running);
// The count rule over the characters of `units` that begin before `until`: the count so far
// (or -1, final) and the index where the next character begins (`size` after a -1).
struct CountProgress {
    int Running;
    std::size_t Next;
};
CountProgress CountUntil(const UTF16Unit* units, std::size_t size, int running, std::size_t until);
int CopyAndCount(const UTF16Unit* from, std::size_t size, UTF16Unit* to);
bool IsAscii(const UTF16Unit* units, std::size_t size);
bool IsAsciiBytes(const char* bytes, std::size_t size);
std::size_t FindUnit(const UTF16Unit* units, std::size_t size, UTF16Unit unit);
std::size_t FindLastUnit(const UTF16Unit* units, std::size_t size, UTF16Unit unit);
std::size_t FindAnyOf(const UTF16Unit* units, std::size_t size, const UTF16Unit* set,
                      std::size_t setSize);
std::size_t FindNoneOf(const UTF16Unit* units, std::size_t size, const UTF16Unit* set,
                       std::size_t setSize);
std::size_t FindPairOf(const UTF16Unit* units, std::size_t size, const UTF16Unit* first,
                       std::size_t firstSize, const UTF16Unit* second, std::size_t secondSize);
std::size_t FindPattern(const UTF16Unit* units, std::size_t size, const UTF16Unit* pattern,
                        std::size_t patternSize);
std::size_t Mismatch(const UTF16Unit* a, const UTF16Unit* b, std::size_t size);
std::size_t MismatchAsciiFolded(const UTF16Unit* a, const UTF16Unit* b, std::size_t size);
void AsciiToUpper(UTF16Unit* units, std::size_t size);
void AsciiToLower(UTF16Unit* units, std::size_t size);
std::size_t RemoveUnit(UTF16Unit* units, std::size_t size, UTF16Unit unit, bool forward,
                       bool* forwardStarts);
std::size_t CopyUpToOutside(const UTF16Unit* from, std::size_t size, const UnitRanges& ranges,
                            UTF16Unit* to);
std::size_t FindOutside(const UTF16Unit* units, std::size_t size, const UnitRanges& ranges);
// The character search as Text walks it, one character at a time.
std::size_t FindSingleCharacter(const UTF16Unit* units, std::size_t size, UTF16Unit unit,
                                bool forward);
}  // namespace reference

// ---- Shared by the kernels -------------------------------------------------------------------

// An ASCII capital letter read as its small letter; every other unit as it is.
constexpr std::uint32_t AsciiFold(std::uint32_t unit) {
    return unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit;
}
constexpr std::uint32_t AsciiUnfold(std::uint32_t unit) {
    return unit >= u'a' && unit <= u'z' ? unit - (u'a' - u'A') : unit;
}

// The step of RemoveUnit and FindSingleCharacter: whether the run of surrogate units that ends
// before the next unit has an odd length, given that it had before `unit`.
constexpr bool OddRunAfter(bool oddBefore, std::uint32_t unit) {
    return IsSurrogate(unit) && !oddBefore;
}

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_KERNELS_H
