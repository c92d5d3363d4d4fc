// Case mapping of Text: the all-ASCII mappings in place by the C runtime's locale, and the full
// Unicode mappings and folding into new texts by ICU's root rules.
#include <QuendalText/Text.h>

#include "internal/case_map.h"
#include "internal/conversion.h"
#include "internal/kernels.h"
#include "internal/raise_sites.h"
#include "internal/string_storage.h"
#include "internal/utf.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <utility>

namespace QuendalText {
namespace {

// The units of `source` mapped by one of ICU's full case mappings, which may lengthen them:
// a first try with some room to spare, a second with the exact length ICU asked for.
template <class Map>
UTF16String CaseMapped(UTF16StringView source, Map map, const detail::LengthRaiseSite& site) {
    UTF16String mapped;
    if (source.empty()) return mapped;
    std::size_t capacity = source.size() + source.size() / 8 + 16;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (capacity > detail::kMaxTextUnits) capacity = detail::kMaxTextUnits;
        mapped.resize(capacity);
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length =
            map(detail::AsUChar(mapped.data()), static_cast<int32_t>(capacity),
                detail::AsUChar(source.data()), static_cast<int32_t>(source.size()), &status);
        if (U_SUCCESS(status)) {
            mapped.resize(static_cast<std::size_t>(length));
            return mapped;
        }
        const bool tooShort = status == U_BUFFER_OVERFLOW_ERROR;
        if (!tooShort && status != U_INDEX_OUTOFBOUNDS_ERROR) {
            detail::RaiseConversionError(detail::kCaseMappingLine, status);
        }
        // Longer than a text may be, or than ICU can count.
        if (!tooShort || capacity == detail::kMaxTextUnits) detail::RaiseLengthError(site);
        capacity = static_cast<std::size_t>(length);
    }
    detail::RaiseConversionError(detail::kCaseMappingLine, U_INTERNAL_PROGRAM_ERROR);
}

// ICU's full mappings, in one shape. The empty locale name is ICU's root locale: the same
// mapping in every process, whatever its locale.
int32_t ToUpperRoot(UChar* dest, int32_t capacity, const UChar* source, int32_t length,
                    UErrorCode* status) {
    return u_strToUpper(dest, capacity, source, length, "", status);
}
int32_t ToLowerRoot(UChar* dest, int32_t capacity, const UChar* source, int32_t length,
                    UErrorCode* status) {
    return u_strToLower(dest, capacity, source, length, "", status);
}
int32_t FoldCase(UChar* dest, int32_t capacity, const UChar* source, int32_t length,
                 UErrorCode* status) {
    return u_strFoldCase(dest, capacity, source, length, U_FOLD_CASE_DEFAULT, status);
}

// A full mapping read from a table for the BMP code points that it maps to one BMP unit (most of
// them, changed or not); the others (surrogates, expansions such as U+00DF to "SS") are marked
// kComplex and mapped by ICU one code point at a time. Upper-casing and folding by the root rules
// look at no context, so mapping a text code point by code point is mapping it whole; lower-casing
// looks at the letters around a capital sigma (final sigma), which is its context unit: a text
// that holds one is mapped by ICU whole.
constexpr UTF16Unit kComplex = static_cast<UTF16Unit>(detail::kHighSurrogateFirst);
constexpr std::uint32_t kNoContextUnit = 0x10000;
constexpr std::uint32_t kCapitalSigma = 0x03A3;
// Units a single code point's full mapping may take: three BMP code points at most.
constexpr std::size_t kMappingRoom = 8;
// Units mapped by the table at once.
constexpr std::size_t kQuadUnits = 4;

// Supplementary code points come in blocks of 1024 that share a high surrogate; most blocks
// (emoji, CJK extensions) hold no letter that the mapping changes. Whether one does is asked of
// ICU for all its code points the first time a text holds one of them.
constexpr std::size_t kSupplementaryBlocks = 1024;
constexpr std::uint32_t kBlockCodePoints = 1024;
enum BlockState : std::uint8_t { kBlockUnknown, kBlockUnchanged, kBlockChanges };

template <class Map>
struct UnitMap {
    Map MapWithIcu;
    std::uint32_t ContextUnit;
    void (*MapAscii)(UTF16Unit* units, std::size_t size);
    std::array<UTF16Unit, detail::kLastBmpCodePoint + 1> Units;
    // The two longest runs of units that the table keeps as they are (for every mapping, the
    // one from the CJK symbols through the ideographs to Yi and Vai, and the one of the Hangul
    // syllables): a run of text among them is copied a vector at a time.
    detail::UnitRanges Kept{};
    mutable std::array<std::atomic<std::uint8_t>, kSupplementaryBlocks> Blocks;
};

// Whether the mapping changes no code point of the block of `highSurrogate`. Threads that ask at
// once may each work it out; they find the same answer.
template <class Map>
bool BlockUnchanged(const UnitMap<Map>& table, UTF16Unit highSurrogate) {
    std::atomic<std::uint8_t>& state =
        table.Blocks[static_cast<std::size_t>(highSurrogate - detail::kHighSurrogateFirst)];
    std::uint8_t known = state.load(std::memory_order_relaxed);
    if (known == kBlockUnknown) {
        known = kBlockUnchanged;
        for (std::uint32_t low = 0; low < kBlockCodePoints && known == kBlockUnchanged; ++low) {
            const UChar pair[2] = {static_cast<UChar>(highSurrogate),
                                   static_cast<UChar>(detail::kLowSurrogateFirst + low)};
            UChar mapped[kMappingRoom];
            UErrorCode status = U_ZERO_ERROR;
            const int32_t length =
                table.MapWithIcu(mapped, static_cast<int32_t>(kMappingRoom), pair, 2, &status);
            if (U_FAILURE(status) || length != 2 || mapped[0] != pair[0] || mapped[1] != pair[1]) {
                known = kBlockChanges;
            }
        }
        state.store(known, std::memory_order_relaxed);
    }
    return known == kBlockUnchanged;
}

template <class Map>
std::unique_ptr<const UnitMap<Map>> BuildUnitMap(Map map, std::uint32_t contextUnit, bool toUpper) {
    auto table = std::make_unique<UnitMap<Map>>();
    table->MapWithIcu = map;
    const detail::Kernels& kernels = detail::ActiveKernels();
    table->MapAscii = toUpper ? kernels.AsciiToUpper : kernels.AsciiToLower;
    table->ContextUnit = contextUnit;
    for (std::uint32_t c = 0; c <= detail::kLastBmpCodePoint; ++c) {
        const auto source = static_cast<UChar>(c);
        UChar mapped[kMappingRoom];
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length = map(mapped, static_cast<int32_t>(kMappingRoom), &source, 1, &status);
        const bool single = U_SUCCESS(status) && length == 1 && !detail::IsSurrogate(mapped[0]);
        table->Units[c] = single && c != contextUnit && !detail::IsSurrogate(c)
                              ? static_cast<UTF16Unit>(mapped[0])
                              : kComplex;
    }
    // Runs as [first, end); the longest first. NUL is kept, so the longest is never empty; an
    // empty second gives way to the first.
    std::array<std::pair<std::uint32_t, std::uint32_t>, 2> longest{};
    std::uint32_t runFirst = 0;
    for (std::uint32_t c = 0; c <= detail::kLastBmpCodePoint + 1; ++c) {
        if (c <= detail::kLastBmpCodePoint && table->Units[c] == c) continue;
        const auto length = [](const auto& run) { return run.second - run.first; };
        const std::pair<std::uint32_t, std::uint32_t> run{runFirst, c};
        if (length(run) > length(longest[1])) longest[1] = run;
        if (length(longest[1]) > length(longest[0])) std::swap(longest[0], longest[1]);
        runFirst = c + 1;
    }
    if (longest[1].second == longest[1].first) longest[1] = longest[0];
    for (std::size_t i = 0; i < longest.size(); ++i) {
        table->Kept.First[i] = static_cast<UTF16Unit>(longest[i].first);
        table->Kept.Last[i] = static_cast<UTF16Unit>(longest[i].second - 1);
    }
    return table;
}

// What a mapping by table came to: the units, or the ICU status that stopped it, or the need to
// map the text whole.
struct TableMapping {
    UTF16String Units;
    UErrorCode Status = U_ZERO_ERROR;
    bool Whole = false;    // the mapping needs the whole text's context: ICU maps it
    bool TooLong = false;  // the mapping is longer than a text may be
};

// The number of units of the code point at `at`: 2 for a whole pair.
std::size_t WidthAt(UTF16StringView source, std::size_t at) {
    return detail::IsHighSurrogate(source[at]) && at + 1 < source.size() &&
                   detail::IsLowSurrogate(source[at + 1])
               ? 2
               : 1;
}

// At the ceiling, with less room left than one mapping may take: the last code points from
// *read on are mapped one at a time by ICU (whose mappings the table holds) and written at
// out[written] while they fit before `capacity`; answers the units written then. Each takes a
// unit at least, so this ends within kMappingRoom code points. Kept apart from the main loop,
// which it would otherwise slow.
template <class Map>
std::size_t MapLastIntoRoom(UTF16StringView source, const UnitMap<Map>& table, std::size_t* read,
                            UTF16Unit* out, std::size_t written, std::size_t capacity,
                            TableMapping* result) {
    while (*read < source.size() && !result->Whole && U_SUCCESS(result->Status)) {
        if (source[*read] == table.ContextUnit) {
            result->Whole = true;
            break;
        }
        const std::size_t width = WidthAt(source, *read);
        UTF16Unit mapped[kMappingRoom];
        const int32_t length = table.MapWithIcu(
            detail::AsUChar(mapped), static_cast<int32_t>(kMappingRoom),
            detail::AsUChar(source.data() + *read), static_cast<int32_t>(width), &result->Status);
        if (U_FAILURE(result->Status)) break;
        if (static_cast<std::size_t>(length) > capacity - written) {
            result->TooLong = true;
            break;
        }
        std::copy(mapped, mapped + length, out + written);
        written += static_cast<std::size_t>(length);
        *read += width;
    }
    return written;
}

// The mapping of `source` by the table, written into room that grows when expansions use it up
// but never past the longest text, so that the string itself never refuses to grow.
template <class Map>
TableMapping MapByTable(UTF16StringView source, const UnitMap<Map>& table) {
    TableMapping result;
    const detail::Kernels& kernels = detail::ActiveKernels();
    const std::size_t size = source.size();
    std::size_t read = 0;
    // Room for the units and some expansions; more is added when they run out.
    std::size_t room = size + size / 8 + 2 * kMappingRoom;
    while (read < size && U_SUCCESS(result.Status) && !result.Whole && !result.TooLong) {
        const std::size_t kept = result.Units.size();
        const std::size_t capacity = std::min(kept + room, detail::kMaxTextUnits);
        detail::ResizeForOverwrite(result.Units, capacity, [&](UTF16Unit* out) {
            // Locals, so that the loop keeps them in registers rather than reading them again
            // after each unit it writes.
            const UTF16Unit* const units = source.data();
            const UTF16Unit* const map = table.Units.data();
            const detail::UnitRanges keptRuns = table.Kept;
            const UTF16Unit keptFrom = std::min(keptRuns.First[0], keptRuns.First[1]);
            std::size_t at = read, written = kept;
            while (at < size && written + kMappingRoom <= capacity) {
                const UTF16Unit unit = units[at];
                if (unit >= keptFrom && keptRuns.Holds(unit)) {
                    // This unit, and as many after it as are kept and the room takes.
                    const std::size_t fits = capacity - kMappingRoom + 1 - written;
                    const std::size_t run = kernels.CopyUpToOutside(
                        units + at, std::min(size - at, fits), keptRuns, out + written);
                    at += run;
                    written += run;
                    continue;
                }
                if (size - at >= kQuadUnits) {
                    // Four units by the table at once, when it maps each of them alone: without a
                    // branch on their kind, which in Latin text would be missed often.
                    static_assert(kQuadUnits <= kMappingRoom, "a mapping's room holds a quad");
                    const UTF16Unit quad[kQuadUnits] = {map[unit], map[units[at + 1]],
                                                        map[units[at + 2]], map[units[at + 3]]};
                    if (((quad[0] == kComplex) | (quad[1] == kComplex) | (quad[2] == kComplex) |
                         (quad[3] == kComplex)) == 0) {
                        std::memcpy(out + written, quad, sizeof quad);
                        at += kQuadUnits;
                        written += kQuadUnits;
                        continue;
                    }
                }
                const UTF16Unit mapped = map[unit];
                if (mapped != kComplex) {
                    out[written++] = mapped;
                    ++at;
                    continue;
                }
                if (unit == table.ContextUnit) {
                    result.Whole = true;
                    break;
                }
                const std::size_t width = WidthAt(source, at);
                if (width == 2 && BlockUnchanged(table, unit)) {
                    out[written++] = unit;
                    out[written++] = units[at + 1];
                    at += 2;
                    continue;
                }
                const int32_t length = table.MapWithIcu(
                    detail::AsUChar(out + written), static_cast<int32_t>(capacity - written),
                    detail::AsUChar(units + at), static_cast<int32_t>(width), &result.Status);
                if (U_FAILURE(result.Status)) break;
                written += static_cast<std::size_t>(length);
                at += width;
            }
            read = at;
            if (capacity < detail::kMaxTextUnits) return written;
            return MapLastIntoRoom(source, table, &read, out, written, capacity, &result);
        });
        room = size - read + (size - read) / 8 + 2 * kMappingRoom;
    }
    return result;
}

// The full mapping of a whole text: an all-ASCII text by the vector kernel (every full mapping
// of ASCII is ASCII's own), any other by the table, and by ICU whole where the table cannot.
template <class Map>
UTF16String FullyMapped(UTF16StringView source, const UnitMap<Map>& table,
                        const detail::LengthRaiseSite& site) {
    if (detail::ActiveKernels().IsAscii(source.data(), source.size())) {
        UTF16String units(source);
        table.MapAscii(units.data(), units.size());
        return units;
    }
    TableMapping mapping = MapByTable(source, table);
    if (mapping.Whole) return CaseMapped(source, table.MapWithIcu, site);
    if (U_FAILURE(mapping.Status))
        detail::RaiseConversionError(detail::kCaseMappingLine, mapping.Status);
    if (mapping.TooLong) detail::RaiseLengthError(site);
    return std::move(mapping.Units);
}

using MapFunction = int32_t (*)(UChar*, int32_t, const UChar*, int32_t, UErrorCode*);

const UnitMap<MapFunction>& UpperTable() {
    static const auto table = BuildUnitMap<MapFunction>(ToUpperRoot, kNoContextUnit, true);
    return *table;
}
const UnitMap<MapFunction>& LowerTable() {
    static const auto table = BuildUnitMap<MapFunction>(ToLowerRoot, kCapitalSigma, false);
    return *table;
}
const UnitMap<MapFunction>& FoldTable() {
    static const auto table = BuildUnitMap<MapFunction>(FoldCase, kNoContextUnit, false);
    return *table;
}

}  // namespace

namespace {

// Case mapping in place touches only all-ASCII texts; it keeps the number and kind of units, so
// the counts stay true without a refresh. Each unit maps as the C runtime's locale says (the
// class test, then the mapping), asked once per distinct unit; when the locale maps all 128 ASCII
// units as ASCII does, a long text is mapped a vector at a time.
void MapAsciiInPlace(UTF16String& units, detail::AsciiCaseMap::Direction direction) {
    detail::AsciiCaseMap map(direction);
    if (map.IsPlainForLength(units.size())) {
        const detail::Kernels& kernels = detail::ActiveKernels();
        (direction == detail::AsciiCaseMap::Upper ? kernels.AsciiToUpper : kernels.AsciiToLower)(
            units.data(), units.size());
        return;
    }
    for (UTF16Unit& unit : units) unit = map(unit);
}

}  // namespace

void Text::ToUpper() {
    if (IsAscii()) MapAsciiInPlace(Content, detail::AsciiCaseMap::Upper);
}

void Text::ToLower() {
    if (IsAscii()) MapAsciiInPlace(Content, detail::AsciiCaseMap::Lower);
}

Text Text::Upper() const {
    Text mapped;
    mapped.Content = FullyMapped(View(), UpperTable(), detail::kUpperLengthSite);
    mapped.RefreshCounts();
    return mapped;
}

Text Text::Lower() const {
    Text mapped;
    mapped.Content = FullyMapped(View(), LowerTable(), detail::kLowerLengthSite);
    mapped.RefreshCounts();
    return mapped;
}

Text Text::Folded() const {
    Text mapped;
    mapped.Content = FullyMapped(View(), FoldTable(), detail::kFoldedLengthSite);
    mapped.RefreshCounts();
    return mapped;
}

}  // namespace QuendalText
