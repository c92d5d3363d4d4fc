// The kernels that every x86 level writes the same way over its own vector type: searches,
// comparisons, the ASCII test and case mapping, the character count, the UTF-8 size, the
// drivers of the transcoders and validators, and the table of a level's kernels. x86_begin.h
// includes this after switching the level's target on; the level gives a traits type `L`:
//
//   kName, V                   the level's name in QUENDALTEXT_SIMD, a vector of kUnits 16-bit
//                              units (LevelCommon gives kLevel, kUnits, Mask, the block sizes)
//   Load, Store, Splat         unaligned load and store, a vector of one unit
//   Equal(a, b)                one bit per unit where a == b, in a Mask (unsigned)
//   Above(v, bound)            one bit per unit above `bound`
//   AnyAbove(v, bound)         whether any unit has a bit that `bound` lacks: for 2^k - 1,
//                              whether any is above it
//   Or(a, b)
//   Tagged, ShiftLetters       from which LevelCommon derives Surrogates, Highs, Lows (one bit
//                              per surrogate, high surrogate, low surrogate unit), Fold and
//                              Unfold (ASCII letters mapped as AsciiFold/AsciiUnfold)
//   Pack                       see RemoveUnitKernel (and CopyShort, see CountKernel)
//   UTF8Block, UTF16Block, UTF8Check       see the drivers and the validators
//
// Everything here has internal linkage, so that each level's copy keeps its own target.
#ifndef QUENDALTEXT_KERNELS_X86_GENERIC_H
#define QUENDALTEXT_KERNELS_X86_GENERIC_H

namespace QuendalText {
namespace detail {
namespace {

// The lowest (highest) set bit's index, and the number of set bits, of a Mask of up to 64 bits;
// `mask` must not be 0 for the first two.
template <class Mask>
std::size_t LowestBit(Mask mask) {
    return static_cast<std::size_t>(__builtin_ctzll(mask));
}
template <class Mask>
std::size_t HighestBit(Mask mask) {
    return static_cast<std::size_t>(63 - __builtin_clzll(mask));
}
template <class Mask>
std::size_t BitCount(Mask mask) {
    return static_cast<std::size_t>(__builtin_popcountll(mask));
}

// What every level derives the same way from its own primitives L::Tagged(v, mask, tag) (one
// bit per unit whose bits under `mask` are `tag`) and L::ShiftLetters(v, first, delta) (adds
// `delta` to the units from `first` to `first` + 25): the surrogate tests, the ASCII case maps,
// and a short copy one unit at a time; and the sizes that follow from the level's kUnits units
// to a vector, which are also the blocks of the transcoders (kBlockBytes of UTF-8, kBlockUnits of
// UTF-16). A level derives from LevelCommon<itself, its level, kUnits>.
template <class L, SimdLevel kThisLevel, std::size_t kVectorUnits>
struct LevelCommon {
    static constexpr SimdLevel kLevel = kThisLevel;
    using Mask = std::uint32_t;
    static constexpr std::size_t kUnits = kVectorUnits;
    static constexpr std::size_t kBlockBytes = 2 * kUnits;
    static constexpr std::size_t kBlockUnits = kUnits;
    // Whether the level counts characters with CountPaired (see CountKernel).
    static constexpr bool kPairedCounts = false;
    // Whether L::UTF8Check takes blocks of ASCII too (see ValidUTF8PrefixKernel).
    static constexpr bool kChecksAnyBlock = false;

    template <class V>
    static auto Surrogates(V v) {
        return L::Tagged(v, kSurrogateMask, kSurrogateTag);
    }
    template <class V>
    static auto Highs(V v) {
        return L::Tagged(v, kSurrogateHalfMask, kHighSurrogateFirst);
    }
    template <class V>
    static auto Lows(V v) {
        return L::Tagged(v, kSurrogateHalfMask, kLowSurrogateFirst);
    }
    template <class V>
    static V Fold(V v) {
        return L::ShiftLetters(v, u'A', u'a' - u'A');
    }
    template <class V>
    static V Unfold(V v) {
        return L::ShiftLetters(v, u'a', static_cast<std::uint16_t>(u'A' - u'a'));
    }
    static void CopyShort(const UTF16Unit* from, std::size_t size, UTF16Unit* to) {
        for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
    }
};

// All kUnits bits of a mask.
template <class L>
constexpr typename L::Mask kAllUnits = static_cast<typename L::Mask>(~typename L::Mask{0} >>
                                                                     (8 * sizeof(typename L::Mask) -
                                                                      L::kUnits));

template <class L>
bool IsAsciiKernel(const UTF16Unit* units, std::size_t size) {
    std::size_t i = 0;
    for (; i + 4 * L::kUnits <= size; i += 4 * L::kUnits) {
        const auto any =
            L::Or(L::Or(L::Load(units + i), L::Load(units + i + L::kUnits)),
                  L::Or(L::Load(units + i + 2 * L::kUnits), L::Load(units + i + 3 * L::kUnits)));
        if (L::AnyAbove(any, kLastAsciiCodePoint)) return false;
    }
    for (; i + L::kUnits <= size; i += L::kUnits) {
        if (L::AnyAbove(L::Load(units + i), kLastAsciiCodePoint)) return false;
    }
    return reference::IsAscii(units + i, size - i);
}

// Bytes read two to a unit: a unit with a bit outside 0x7F7F holds a byte above 0x7F. The unit
// vectors are loaded unaligned, so the bytes may start anywhere.
template <class L>
bool IsAsciiBytesKernel(const char* bytes, std::size_t size) {
    constexpr std::uint32_t kAsciiPairBits = 0x7F7F;
    constexpr std::size_t kStepBytes = 4 * L::kBlockBytes;
    std::size_t i = 0;
    const auto load = [bytes](std::size_t at) {
        return L::Load(reinterpret_cast<const UTF16Unit*>(bytes + at));
    };
    for (; i + kStepBytes <= size; i += kStepBytes) {
        const auto any = L::Or(L::Or(load(i), load(i + L::kBlockBytes)),
                               L::Or(load(i + 2 * L::kBlockBytes), load(i + 3 * L::kBlockBytes)));
        if (L::AnyAbove(any, kAsciiPairBits)) return false;
    }
    for (; i + L::kBlockBytes <= size; i += L::kBlockBytes) {
        if (L::AnyAbove(load(i), kAsciiPairBits)) return false;
    }
    return reference::IsAsciiBytes(bytes + i, size - i);
}

// Copies (with `kCopy`) the units before the first one outside `ranges` and answers its index.
// A unit's distance above a range's first unit (modulo 2^16), less the range's width with
// saturation, is zero exactly when the unit is inside; the lesser of the two ranges' excesses
// is zero when it is inside either. Four vectors at a time, whose excesses' OR is non-zero
// exactly when one of them is.
template <class L, bool kCopy>
std::size_t UpToOutside(const UTF16Unit* from, std::size_t size, const UnitRanges& ranges,
                        UTF16Unit* to) {
    const auto first0 = L::Splat(ranges.First[0]), first1 = L::Splat(ranges.First[1]);
    const auto width0 = L::Splat(static_cast<UTF16Unit>(ranges.Last[0] - ranges.First[0]));
    const auto width1 = L::Splat(static_cast<UTF16Unit>(ranges.Last[1] - ranges.First[1]));
    const auto excess = [&](typename L::V v) {
        const auto e0 = L::SubSaturated(L::Sub(v, first0), width0);
        const auto e1 = L::SubSaturated(L::Sub(v, first1), width1);
        return L::Sub(e0, L::SubSaturated(e0, e1));  // min(e0, e1)
    };
    std::size_t i = 0;
    for (; i + 4 * L::kUnits <= size; i += 4 * L::kUnits) {
        const auto v0 = L::Load(from + i), v1 = L::Load(from + i + L::kUnits);
        const auto v2 = L::Load(from + i + 2 * L::kUnits), v3 = L::Load(from + i + 3 * L::kUnits);
        if (L::AnyAbove(L::Or(L::Or(excess(v0), excess(v1)), L::Or(excess(v2), excess(v3))), 0))
            break;
        if constexpr (kCopy) {
            L::Store(to + i, v0);
            L::Store(to + i + L::kUnits, v1);
            L::Store(to + i + 2 * L::kUnits, v2);
            L::Store(to + i + 3 * L::kUnits, v3);
        }
    }
    for (; i + L::kUnits <= size; i += L::kUnits) {
        const auto v = L::Load(from + i);
        const auto outside = L::Above(excess(v), 0);
        if (outside != 0) {
            // The units before the lowest outside lane are all inside.
            const std::size_t inside = LowestBit(outside);
            if constexpr (kCopy) std::memcpy(to + i, from + i, inside * sizeof(UTF16Unit));
            return i + inside;
        }
        if constexpr (kCopy) L::Store(to + i, v);
    }
    return i + (kCopy ? reference::CopyUpToOutside(from + i, size - i, ranges, to + i)
                      : reference::FindOutside(from + i, size - i, ranges));
}

template <class L>
std::size_t CopyUpToOutsideKernel(const UTF16Unit* from, std::size_t size, const UnitRanges& ranges,
                                  UTF16Unit* to) {
    return UpToOutside<L, true>(from, size, ranges, to);
}

template <class L>
std::size_t FindOutsideKernel(const UTF16Unit* units, std::size_t size, const UnitRanges& ranges) {
    return UpToOutside<L, false>(units, size, ranges, nullptr);
}

template <class L>
std::size_t FindUnitKernel(const UTF16Unit* units, std::size_t size, UTF16Unit unit) {
    const auto sought = L::Splat(unit);
    std::size_t i = 0;
    for (; i + 4 * L::kUnits <= size; i += 4 * L::kUnits) {
        const auto m0 = L::Equal(L::Load(units + i), sought);
        const auto m1 = L::Equal(L::Load(units + i + L::kUnits), sought);
        const auto m2 = L::Equal(L::Load(units + i + 2 * L::kUnits), sought);
        const auto m3 = L::Equal(L::Load(units + i + 3 * L::kUnits), sought);
        if ((m0 | m1 | m2 | m3) == 0) continue;
        if (m0 != 0) return i + LowestBit(m0);
        if (m1 != 0) return i + L::kUnits + LowestBit(m1);
        if (m2 != 0) return i + 2 * L::kUnits + LowestBit(m2);
        return i + 3 * L::kUnits + LowestBit(m3);
    }
    for (; i + L::kUnits <= size; i += L::kUnits) {
        const auto m = L::Equal(L::Load(units + i), sought);
        if (m != 0) return i + LowestBit(m);
    }
    return i + reference::FindUnit(units + i, size - i, unit);
}

template <class L>
std::size_t FindLastUnitKernel(const UTF16Unit* units, std::size_t size, UTF16Unit unit) {
    const auto sought = L::Splat(unit);
    std::size_t end = size;
    for (; end >= L::kUnits; end -= L::kUnits) {
        const auto m = L::Equal(L::Load(units + end - L::kUnits), sought);
        if (m != 0) return end - L::kUnits + HighestBit(m);
    }
    const std::size_t found = reference::FindLastUnit(units, end, unit);
    return found == end ? size : found;
}

// Sets of up to four units are compared in four registers, the first unit standing in for the
// missing ones; larger ones in eight.
template <class L>
struct SplatSet {
    typename L::V Units[kSmallSetUnits];
    bool Large;

    SplatSet(const UTF16Unit* set, std::size_t setSize) : Large(setSize > 4) {
        for (std::size_t k = 0; k < kSmallSetUnits; ++k)
            Units[k] = L::Splat(set[k < setSize ? k : 0]);
    }
    // One bit per unit of `v` in the set.
    auto Members(typename L::V v) const {
        auto m = L::Equal(v, Units[0]) | L::Equal(v, Units[1]) | L::Equal(v, Units[2]) |
                 L::Equal(v, Units[3]);
        if (Large)
            m |= L::Equal(v, Units[4]) | L::Equal(v, Units[5]) | L::Equal(v, Units[6]) |
                 L::Equal(v, Units[7]);
        return m;
    }
};

template <class L, bool kMembers>
std::size_t FindInSetKernel(const UTF16Unit* units, std::size_t size, const UTF16Unit* set,
                            std::size_t setSize) {
    const SplatSet<L> sought(set, setSize);
    std::size_t i = 0;
    for (; i + L::kUnits <= size; i += L::kUnits) {
        auto m = sought.Members(L::Load(units + i));
        if constexpr (!kMembers) m = static_cast<typename L::Mask>(~m & kAllUnits<L>);
        if (m != 0) return i + LowestBit(m);
    }
    return i + (kMembers ? reference::FindAnyOf(units + i, size - i, set, setSize)
                         : reference::FindNoneOf(units + i, size - i, set, setSize));
}

// Each vector of units is tested against the first set, and the vector one unit on against the
// second.
template <class L>
std::size_t FindPairOfKernel(const UTF16Unit* units, std::size_t size, const UTF16Unit* first,
                             std::size_t firstSize, const UTF16Unit* second,
                             std::size_t secondSize) {
    const SplatSet<L> firsts(first, firstSize), seconds(second, secondSize);
    std::size_t i = 0;
    for (; i + L::kUnits < size; i += L::kUnits) {
        const auto m = firsts.Members(L::Load(units + i)) & seconds.Members(L::Load(units + i + 1));
        if (m != 0) return i + LowestBit(m);
    }
    return i + reference::FindPairOf(units + i, size - i, first, firstSize, second, secondSize);
}

// Candidates are where the pattern's first and last units both stand at the right distance;
// each is then compared whole.
template <class L>
std::size_t FindPatternKernel(const UTF16Unit* units, std::size_t size, const UTF16Unit* pattern,
                              std::size_t patternSize) {
    if (patternSize > size) return size;
    const auto first = L::Splat(pattern[0]);
    const auto last = L::Splat(pattern[patternSize - 1]);
    const std::size_t lastOffset = patternSize - 1;
    std::size_t i = 0;
    for (; i + L::kUnits + lastOffset <= size; i += L::kUnits) {
        auto m =
            L::Equal(L::Load(units + i), first) & L::Equal(L::Load(units + i + lastOffset), last);
        while (m != 0) {
            const std::size_t at = i + LowestBit(m);
            if (std::equal(pattern + 1, pattern + lastOffset, units + at + 1)) return at;
            m = static_cast<typename L::Mask>(m & (m - 1));
        }
    }
    return i + reference::FindPattern(units + i, size - i, pattern, patternSize);
}

template <class L, bool kFolded>
std::size_t MismatchKernel(const UTF16Unit* a, const UTF16Unit* b, std::size_t size) {
    std::size_t i = 0;
    for (; i + L::kUnits <= size; i += L::kUnits) {
        auto va = L::Load(a + i);
        auto vb = L::Load(b + i);
        if constexpr (kFolded) {
            va = L::Fold(va);
            vb = L::Fold(vb);
        }
        const auto differ = static_cast<typename L::Mask>(~L::Equal(va, vb) & kAllUnits<L>);
        if (differ != 0) return i + LowestBit(differ);
    }
    return i + (kFolded ? reference::MismatchAsciiFolded(a + i, b + i, size - i)
                        : reference::Mismatch(a + i, b + i, size - i));
}

template <class L, bool kUpper>
void AsciiCaseKernel(UTF16Unit* units, std::size_t size) {
    std::size_t i = 0;
    for (; i + L::kUnits <= size; i += L::kUnits) {
        const auto v = L::Load(units + i);
        L::Store(units + i, kUpper ? L::Unfold(v) : L::Fold(v));
    }
    if (kUpper) {
        reference::AsciiToUpper(units + i, size - i);
    } else {
        reference::AsciiToLower(units + i, size - i);
    }
}

// The count rule a vector at a time from a unit that begins a character, once a character has
// been counted (so that NUL units count). A vector is taken whole when each of its surrogates is
// half of a pair: a high one followed by a low one (the unit after the vector read for the
// last), a low one preceded by a high one in the vector. Then every unit but the low halves
// counts, and a pair across the vector's end moves the start one unit further. Any other vector
// goes to the plain pass, for one vector's worth of units.
template <class L, bool kCopy>
int CountKernel(const UTF16Unit* units, std::size_t size, int running, UTF16Unit* to) {
    using Mask = typename L::Mask;
    if (size < L::kUnits) {
        // Short texts, such as tokens, without a call to copy them.
        if constexpr (kCopy) L::CopyShort(units, size, to);
        return reference::CountUntil(units, size, running, size).Running;
    }
    std::size_t i = 0;
    // Hands the characters that begin within `stretch` units to the plain pass.
    const auto plain = [&](std::size_t stretch) {
        const reference::CountProgress done =
            reference::CountUntil(units + i, size - i, running, stretch);
        const std::size_t end = i + done.Next;  // the end of the text after a -1
        if constexpr (kCopy) std::copy(units + i, units + end, to + i);
        running = done.Running;
        i = end;
    };
    while (i < size && running != kMalformedCount) {
        if (running == 0 || size - i <= L::kUnits) {
            // Leading NUL units one at a time; the last vector's worth all at once.
            plain(running == 0 ? 1 : L::kUnits);
            continue;
        }
        // A level that counts well-formed stretches in vector lanes does so first; a stretch
        // that is not well-formed goes the ways below.
        if constexpr (L::kPairedCounts) {
            const std::size_t taken = L::template CountPaired<kCopy>(
                units + i, size - i, kCopy ? to + i : nullptr, running);
            i += taken;
            if (taken != 0) continue;
        }
        // Four vectors at a time while none holds a surrogate.
        while (i + 4 * L::kUnits < size) {
            const auto v0 = L::Load(units + i);
            const auto v1 = L::Load(units + i + L::kUnits);
            const auto v2 = L::Load(units + i + 2 * L::kUnits);
            const auto v3 = L::Load(units + i + 3 * L::kUnits);
            if constexpr (kCopy) {
                L::Store(to + i, v0);
                L::Store(to + i + L::kUnits, v1);
                L::Store(to + i + 2 * L::kUnits, v2);
                L::Store(to + i + 3 * L::kUnits, v3);
            }
            if ((L::Surrogates(v0) | L::Surrogates(v1) | L::Surrogates(v2) | L::Surrogates(v3)) !=
                0) {
                break;
            }
            running += static_cast<int>(4 * L::kUnits);
            i += 4 * L::kUnits;
        }
        // Then a vector at a time while each surrogate is half of a pair: the units after a
        // vector's come from a second load one unit on, and a pair across the vector's end
        // takes its low half along.
        bool unpaired = false;
        while (size - i > L::kUnits) {
            const auto v = L::Load(units + i);
            if constexpr (kCopy) L::Store(to + i, v);
            const Mask highs = L::Highs(v);
            const Mask lows = L::Lows(v);
            const Mask lowsAfter = L::Lows(L::Load(units + i + 1));
            if (((highs & ~lowsAfter) | (lows & ~static_cast<Mask>(highs << 1))) != 0) {
                unpaired = true;
                break;
            }
            running += static_cast<int>(L::kUnits - BitCount(lows));
            i += L::kUnits;
            // A branch, not an add: the next load's address would wait for this vector's masks.
            if ((highs >> (L::kUnits - 1)) != 0) {
                if constexpr (kCopy) to[i] = units[i];
                ++i;
            }
        }
        if (unpaired) plain(L::kUnits);  // the plain pass decides
    }
    return running;
}

template <class L>
int ContinueCountKernel(const UTF16Unit* units, std::size_t size, int running) {
    return CountKernel<L, false>(units, size, running, nullptr);
}

template <class L>
int CopyAndCountKernel(const UTF16Unit* from, std::size_t size, UTF16Unit* to) {
    return CountKernel<L, true>(from, size, 0, to);
}

// Every unit takes one byte, two from 0x80 and three from 0x800 (a lone surrogate included);
// a high surrogate followed by a low one takes four instead of six. Four vectors at a time; when
// they hold a high surrogate, the units after each vector's come from a second load one unit on.
// The bytes beyond the first of the units of `v`.
template <class L>
std::size_t BytesBeyondFirst(typename L::V v) {
    return BitCount(L::Above(v, kLastAsciiCodePoint)) +
           BitCount(L::Above(v, kLastTwoByteCodePoint));
}

// The pairs that begin in `v`, read at `at`: high surrogates before a low one.
template <class L>
std::size_t PairsAt(const UTF16Unit* units, std::size_t at, typename L::V v) {
    return BitCount(L::Highs(v) & L::Lows(L::Load(units + at + 1)));
}

template <class L>
std::uint64_t UTF8LengthKernel(const UTF16Unit* units, std::size_t size) {
    std::uint64_t bytes = 0;
    std::size_t i = 0;
    // Whether the last group of vectors held a unit from U+0800 (CJK text, pairs): the next
    // group then goes without the tests below, which such text would only pay for.
    bool wide = false;
    for (; size - i > 4 * L::kUnits; i += 4 * L::kUnits) {
        const auto v0 = L::Load(units + i);
        const auto v1 = L::Load(units + i + L::kUnits);
        const auto v2 = L::Load(units + i + 2 * L::kUnits);
        const auto v3 = L::Load(units + i + 3 * L::kUnits);
        bytes += 4 * L::kUnits;
        const auto above = [&](std::uint32_t bound) {
            return BitCount(L::Above(v0, bound)) + BitCount(L::Above(v1, bound)) +
                   BitCount(L::Above(v2, bound)) + BitCount(L::Above(v3, bound));
        };
        // ASCII units take a byte each, and units below 0x800 are no surrogates: a test of the
        // four vectors' bits at once skips the counts they need not.
        const auto any = [&] { return L::Or(L::Or(v0, v1), L::Or(v2, v3)); };
        if (!wide && !L::AnyAbove(any(), kLastAsciiCodePoint)) continue;
        bytes += above(kLastAsciiCodePoint);
        if (!wide && !L::AnyAbove(any(), kLastTwoByteCodePoint)) continue;
        const std::size_t threeByte = above(kLastTwoByteCodePoint);
        bytes += threeByte;
        wide = threeByte != 0;
        if ((L::Highs(v0) | L::Highs(v1) | L::Highs(v2) | L::Highs(v3)) != 0) {
            bytes -= 2 * (PairsAt<L>(units, i, v0) + PairsAt<L>(units, i + L::kUnits, v1) +
                          PairsAt<L>(units, i + 2 * L::kUnits, v2) +
                          PairsAt<L>(units, i + 3 * L::kUnits, v3));
        }
    }
    for (; size - i > L::kUnits; i += L::kUnits) {
        const auto v = L::Load(units + i);
        bytes += L::kUnits + BytesBeyondFirst<L>(v) - 2 * PairsAt<L>(units, i, v);
    }
    return bytes + reference::UTF8LengthOfUnits(units + i, size - i);
}

// ---- Drivers of the level-specific kernels ---------------------------------------------------

// What a vector block converted: source units taken, output units written, characters.
struct BlockDone {
    std::size_t Read;
    std::size_t Written;
    std::size_t CodePoints;
};

// What a driver has converted so far, in locals the compiler keeps in registers.
struct Progress {
    std::size_t Read = 0;
    std::size_t Written = 0;
    std::size_t CodePoints = 0;

    void Add(const BlockDone& block) {
        Read += block.Read;
        Written += block.Written;
        CodePoints += block.CodePoints;
    }
    TranscodeResult Then(const TranscodeResult& part) const {
        return {Read + part.Read, Written + part.Written, CodePoints + part.CodePoints,
                part.StoppedBy};
    }
};

// The block loop of every transcoder and validator, from a character start to a character
// start: while `kBlock` units remain (and `kAfter` more, which a block may read), `block(done)`
// takes a block whose characters it can (read 0 when it cannot: a fault, a kind of block it
// leaves, or output that does not fit); `plain(done, until)`, the plain pass from `done` over the
// rest, stopping before the first character that begins `until` units on, takes the characters
// of every other block, and the last units.
template <std::size_t kBlock, std::size_t kAfter, class Block, class Plain>
TranscodeResult BlockLoop(std::size_t size, Block block, Plain plain) {
    Progress done;
    while (size - done.Read >= kBlock + kAfter) {
        const BlockDone taken = block(done);
        if (taken.Read != 0) {
            done.Add(taken);
            continue;
        }
        const TranscodeResult part = plain(done, kBlock);
        if (part.StoppedBy != Stop::End) return done.Then(part);
        done.Add({part.Read, part.Written, part.CodePoints});
    }
    return done.Then(plain(done, size - done.Read));
}

// UTF-8 to UTF-16 a block of L::kBlockBytes at a time: L::UTF8Block(in, available, out)
// converts the characters that end within a block that begins a character, when none is
// ill-formed; it may go on over further whole blocks of the `available` bytes.
template <class L>
TranscodeResult UTF8ToUTF16Kernel(const char* bytes, std::size_t size, UTF16Unit* out) {
    const auto* input = reinterpret_cast<const unsigned char*>(bytes);
    return BlockLoop<L::kBlockBytes, 0>(
        size,
        [&](const Progress& done) {
            return L::UTF8Block(input + done.Read, size - done.Read, out + done.Written);
        },
        [&](const Progress& done, std::size_t until) {
            return reference::UTF8ToUTF16Until(bytes + done.Read, size - done.Read,
                                               out + done.Written, until);
        });
}

// UTF-16 to UTF-8 a block of L::kBlockUnits at a time. L::UTF16Block(units, available, out,
// room) converts a block when it can and its output fits `room`; the unit after the block may be
// read (a pair across the block's end is taken whole), and further whole blocks of the
// `available` units may be taken. It may write past its output only where what comes after it is
// sure to write over, so that the whole output is written exactly and nothing beyond it. The
// blocks take the arguments by value: a byte store may alias any memory, so arguments taken by
// reference would be read again from the stack after every block.
template <class L>
TranscodeResult UTF16ToUTF8Kernel(const UTF16Unit* units, std::size_t size, char* out,
                                  std::size_t capacity) {
    return BlockLoop<L::kBlockUnits, 1>(
        size,
        [=](const Progress& done) {
            return L::UTF16Block(units + done.Read, size - done.Read, out + done.Written,
                                 capacity - done.Written);
        },
        [=](const Progress& done, std::size_t until) {
            return reference::UTF16ToUTF8Until(units + done.Read, size - done.Read,
                                               out + done.Written, capacity - done.Written, until);
        });
}

// The validators' loop, which finds the longest well-formed prefix. Its blocks of kBlock units
// need not begin a character: each is checked with the kBefore units before it, read from the
// text, which is well-formed up to the block. `check(at)` answers how many units from `at`,
// kBlock or a multiple, hold no fault, with the kAfter units after them read; 0 where a block
// holds a fault, or is of a kind that the level leaves. `cut(read)` answers the start of the
// character that the blocks cut at `read` (`read` when they cut none), and `plain(from, until)`
// is the plain validator from `from`: it takes the first characters, the blocks that `check`
// leaves, and the last units.
template <std::size_t kBlock, std::size_t kBefore, std::size_t kAfter, class Check, class Cut,
          class Plain>
ValidPrefix CheckLoop(std::size_t size, Check check, Cut cut, Plain plain) {
    std::size_t read = 0;
    std::size_t until = kBefore;
    for (;;) {
        const TranscodeResult part = plain(read, until);
        read += part.Read;
        if (part.StoppedBy != Stop::End || read == size) return {read, part.StoppedBy};
        while (size - read >= kBlock + kAfter) {
            const std::size_t taken = check(read);
            if (taken == 0) break;
            read += taken;
        }
        read = cut(read);
        // Four blocks' worth: a fault stops the plain pass sooner, and a level that leaves a
        // whole kind of block (SSE2 every non-ASCII one) calls it less often.
        until = 4 * kBlock;
    }
}

// How many vectors the validators take at once after one in which they found nothing to look
// at closely. They take them in a loop, not a choice of sizes: a choice made without a branch
// would make each load wait for the one before it.
inline constexpr std::size_t kQuickVectors = 4;

// Whether the three bytes before `in` leave a sequence open, which an ASCII byte at `in` breaks.
bool OpenBefore(const unsigned char* in) {
    return in[-1] >= kTwoByteLeadTag || in[-2] >= kThreeByteLeadTag || in[-3] >= kFourByteLeadTag;
}

// UTF-8 validation with L::UTF8Check(in): whether the L::kBlockBytes bytes at `in`, which are
// not all ASCII unless L::kChecksAnyBlock, read with the three bytes before them, hold no fault
// (or false where the level leaves such blocks).
template <class L>
ValidPrefix ValidUTF8PrefixKernel(const char* bytes, std::size_t size) {
    const auto* input = reinterpret_cast<const unsigned char*>(bytes);
    // The bits that ASCII bytes may have, two bytes to a unit.
    constexpr std::uint32_t kAsciiBytes = 0x7F7F;
    return CheckLoop<L::kBlockBytes, kLongestUTF8Sequence - 1, 0>(
        size,
        [&](std::size_t at) -> std::size_t {
            constexpr std::size_t kStep = L::kBlockBytes;
            const unsigned char* in = input + at;
            std::size_t taken = kStep;
            if constexpr (L::kChecksAnyBlock) {
                // Only two blocks of ASCII begin the quick way: in text with a few letters
                // beyond ASCII, a choice per block would be a branch missed half the time.
                if (size - at < 2 * kStep ||
                    L::AnyAbove(L::Or(L::Load(in), L::Load(in + kStep)), kAsciiBytes)) {
                    return L::UTF8Check(in) ? kStep : 0;
                }
                taken = 2 * kStep;
            } else if (L::AnyAbove(L::Load(in), kAsciiBytes)) {
                return L::UTF8Check(in) ? kStep : 0;
            }
            if (OpenBefore(in)) return 0;
            while (size - at - taken >= kQuickVectors * kStep) {
                const unsigned char* next = in + taken;
                const auto any = L::Or(L::Or(L::Load(next), L::Load(next + kStep)),
                                       L::Or(L::Load(next + 2 * kStep), L::Load(next + 3 * kStep)));
                if (L::AnyAbove(any, kAsciiBytes)) break;
                taken += kQuickVectors * kStep;
            }
            return taken;
        },
        [&](std::size_t read) {
            // The last character begins at the last byte that is not a continuation, one of the
            // last four: the blocks leave no fault before it. It is cut when its sequence is
            // longer than the bytes up to `read`, or when no sequence begins with its byte
            // (which the next byte always breaks).
            std::size_t lead = read - 1;
            while (lead > 0 && read - lead < kLongestUTF8Sequence &&
                   input[lead] >= kContinuationFirst && input[lead] <= kContinuationLast) {
                --lead;
            }
            const std::size_t length = UTF8SequenceLength(input[lead]);
            return length != 0 && lead + length <= read ? read : lead;
        },
        [&](std::size_t from, std::size_t until) {
            return reference::MeasureUTF8ToUTF16Until(bytes + from, size - from, until);
        });
}

// The UTF-16 check of kUnits units at `units`, read with the unit before them and the unit after
// them: every low surrogate follows a high one, every high one precedes a low one.
template <class L>
bool UTF16Check(const UTF16Unit* units) {
    using Mask = typename L::Mask;
    const auto v = L::Load(units);
    const Mask highs = L::Highs(v), lows = L::Lows(v);
    const Mask highsBefore = L::Highs(L::Load(units - 1));
    const Mask lowsAfter = L::Lows(L::Load(units + 1));
    return ((highs & ~lowsAfter) | (lows & ~highsBefore)) == 0;
}

template <class L>
ValidPrefix ValidUTF16PrefixKernel(const UTF16Unit* units, std::size_t size) {
    return CheckLoop<L::kUnits, 1, 1>(
        size,
        [&](std::size_t at) -> std::size_t {
            constexpr std::size_t kStep = L::kUnits;
            const UTF16Unit* block = units + at;
            if (L::Surrogates(L::Load(block)) != 0) return UTF16Check<L>(block) ? kStep : 0;
            std::size_t taken = kStep;
            while (size - at - taken >= kQuickVectors * kStep) {
                const UTF16Unit* next = block + taken;
                if ((L::Surrogates(L::Load(next)) | L::Surrogates(L::Load(next + kStep)) |
                     L::Surrogates(L::Load(next + 2 * kStep)) |
                     L::Surrogates(L::Load(next + 3 * kStep))) != 0) {
                    break;
                }
                taken += kQuickVectors * kStep;
            }
            return taken;
        },
        // A high surrogate that a block took is followed by a low one.
        [&](std::size_t read) { return IsHighSurrogate(units[read - 1]) ? read - 1 : read; },
        [&](std::size_t from, std::size_t until) {
            return reference::ValidateUTF16Until(units + from, size - from, until);
        });
}

// The lead bytes of a block of UTF-8 that begins a character and holds no fault, one bit a byte
// in a mask of `kBytes` bits.
template <class Mask, std::size_t kBytes>
struct UTF8Leads {
    Mask NonAscii, Leads, Lead3, Lead4;  // bytes from 0x80, 0xC0, 0xE0, 0xF0

    // The bytes before a sequence that the block holds only the start of, or all of them.
    std::size_t End() const {
        if (Leads >> (kBytes - 1)) return kBytes - 1;
        if ((Lead3 >> (kBytes - 2)) & 1) return kBytes - 2;
        if ((Lead4 >> (kBytes - 3)) & 1) return kBytes - 3;
        return kBytes;
    }
    // The bits of the bytes before End().
    static Mask Taken(std::size_t end) {
        return end == kBytes ? static_cast<Mask>(~Mask{0})
                             : static_cast<Mask>((Mask{1} << end) - 1);
    }
    // The bytes that begin a character.
    Mask Starts() const { return static_cast<Mask>(~NonAscii | Leads); }
};

// Whether the run of surrogate units that begins at `from` has an odd length.
bool OddRunFrom(const UTF16Unit* units, std::size_t size, std::size_t from) {
    std::size_t run = 0;
    while (from + run < size && IsSurrogate(units[from + run])) ++run;
    return run % 2 == 1;
}

// The parity of the run of surrogates that ends before lane `j` of a vector whose surrogate
// lanes are `surrogates`, the run before the vector being odd when `oddBefore`.
template <class Mask>
bool OddRunBefore(Mask surrogates, std::size_t j, bool oddBefore) {
    const auto before = static_cast<Mask>(~surrogates & ((Mask{1} << j) - 1));
    return before == 0 ? ((j % 2 == 1) != oddBefore) : (j - 1 - HighestBit(before)) % 2 == 1;
}

// Removes the unit where the character search steps on it alone: forward, where the run of
// surrogates before it is even, carried across vectors as `oddBefore`; backward, where the run
// after it is even, read ahead in the units, which the packing has not reached. Each vector's
// kept units go out through L::Pack(v, keep, to), which writes kUnits units at `to` (at most
// where the vector was read) and answers how many were kept.
template <class L>
std::size_t RemoveUnitKernel(UTF16Unit* units, std::size_t size, UTF16Unit unit, bool forward,
                             bool* forwardStarts) {
    using Mask = typename L::Mask;
    const auto sought = L::Splat(unit);
    std::size_t kept = 0;
    bool oddBefore = false;
    *forwardStarts = true;
    std::size_t i = 0;
    for (; i + L::kUnits <= size; i += L::kUnits) {
        const auto v = L::Load(units + i);
        Mask matches = L::Equal(v, sought);
        const Mask surrogates = L::Surrogates(v);
        const bool nextSurrogate = i + L::kUnits < size && IsSurrogate(units[i + L::kUnits]);
        if (matches != 0 && (surrogates != 0 || oddBefore || nextSurrogate)) {
            const auto before = static_cast<Mask>((surrogates << 1) | (oddBefore ? 1u : 0u));
            const auto after = static_cast<Mask>((surrogates >> 1) |
                                                 (nextSurrogate ? Mask{1} << (L::kUnits - 1) : 0));
            for (Mask check = static_cast<Mask>(matches & (forward ? before : before | after));
                 check != 0; check = static_cast<Mask>(check & (check - 1))) {
                const std::size_t j = LowestBit(check);
                const bool oddRunBefore = OddRunBefore(surrogates, j, oddBefore);
                const bool stays = forward ? oddRunBefore : OddRunFrom(units, size, i + j + 1);
                if (stays) {
                    matches = static_cast<Mask>(matches & ~(Mask{1} << j));
                } else if (oddRunBefore) {
                    *forwardStarts = false;
                }
            }
        }
        if (surrogates == 0) {
            oddBefore = false;
        } else {
            const auto others = static_cast<Mask>(~surrogates & kAllUnits<L>);
            if (others != 0) oddBefore = (L::kUnits - 1 - HighestBit(others)) % 2 == 1;
        }
        if (matches == 0) {
            if (kept != i) L::Store(units + kept, v);
            kept += L::kUnits;
        } else {
            kept += L::Pack(v, static_cast<Mask>(~matches & kAllUnits<L>), units + kept);
        }
    }
    for (; i < size; ++i) {
        const UTF16Unit current = units[i];
        const bool removed =
            current == unit && !(forward ? oddBefore : OddRunFrom(units, size, i + 1));
        if (removed && oddBefore) *forwardStarts = false;
        oddBefore = OddRunAfter(oddBefore, current);
        if (!removed) units[kept++] = current;
    }
    return kept;
}

// The table of level L's kernels.
template <class L>
constexpr Kernels MakeKernels() {
    return {
        L::kLevel,
        L::kName,
        UTF8ToUTF16Kernel<L>,
        UTF16ToUTF8Kernel<L>,
        UTF8LengthKernel<L>,
        ValidUTF8PrefixKernel<L>,
        ValidUTF16PrefixKernel<L>,
        ContinueCountKernel<L>,
        CopyAndCountKernel<L>,
        IsAsciiKernel<L>,
        IsAsciiBytesKernel<L>,
        FindUnitKernel<L>,
        FindLastUnitKernel<L>,
        FindInSetKernel<L, true>,
        FindInSetKernel<L, false>,
        FindPairOfKernel<L>,
        FindPatternKernel<L>,
        MismatchKernel<L, false>,
        MismatchKernel<L, true>,
        AsciiCaseKernel<L, true>,
        AsciiCaseKernel<L, false>,
        RemoveUnitKernel<L>,
        CopyUpToOutsideKernel<L>,
        FindOutsideKernel<L>,
    };
}

}  // namespace
}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_KERNELS_X86_GENERIC_H
