// Segmentation of Text: its code points, its extended grapheme clusters, and the segments between
// its word, sentence and line-break boundaries.
//
// Each segment iterator owns the ICU break iterator it walks with, cloned when first needed from a
// process-wide template of its kind that nothing ever moves, so that iterators share no mutable
// state: not with their range, not with their copies, not across threads. ICU failures in any of
// these walks raise at the grapheme line.
#include <QuendalText/Text.h>

#include "internal/conversion.h"
#include "internal/raise_sites.h"
#include "internal/utf.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <vector>

namespace QuendalText {

namespace detail {

// A break iterator over the units of one walk, and the position it was last left at.
struct BreakState {
    UBreakIterator* Iterator = nullptr;
    std::size_t At = BreakWalk::kUnknown;
    int AheadLeft = 0;  // boundaries to take from ICU before the fast walk is tried again
};

}  // namespace detail

namespace {

using detail::BreakKind;
using detail::BreakState;
using detail::BreakWalk;

// The root locale's break iterator of one kind, opened once and never given a text or moved, so
// that any thread may clone it. A failure to open it is raised, which leaves the static that
// holds it unmade: the next use tries again.
class BreakTemplate {
public:
    explicit BreakTemplate(UBreakIteratorType type) {
        // The empty locale name is ICU's root locale: the same boundaries in every process.
        UErrorCode status = U_ZERO_ERROR;
        Iterator = ubrk_open(type, "", nullptr, 0, &status);
        if (U_FAILURE(status)) {
            ubrk_close(Iterator);
            detail::RaiseConversionError(detail::kGraphemesLine, status);
        }
    }
    BreakTemplate(const BreakTemplate&) = delete;
    BreakTemplate& operator=(const BreakTemplate&) = delete;
    ~BreakTemplate() { ubrk_close(Iterator); }

    // A new break iterator of this kind over `units`, for the caller to close.
    UBreakIterator* CloneOver(UTF16StringView units) const {
        UErrorCode status = U_ZERO_ERROR;
        UBreakIterator* clone = ubrk_clone(Iterator, &status);
        if (U_SUCCESS(status)) {
            ubrk_setText(clone, detail::AsUChar(units.data()), static_cast<int32_t>(units.size()),
                         &status);
        }
        if (U_FAILURE(status)) {
            ubrk_close(clone);
            detail::RaiseConversionError(detail::kGraphemesLine, status);
        }
        return clone;
    }

private:
    UBreakIterator* Iterator = nullptr;
};

const BreakTemplate& TemplateOf(BreakKind kind) {
    switch (kind) {
        case BreakKind::Word: {
            static const BreakTemplate words(UBRK_WORD);
            return words;
        }
        case BreakKind::Sentence: {
            static const BreakTemplate sentences(UBRK_SENTENCE);
            return sentences;
        }
        case BreakKind::Line: {
            static const BreakTemplate lines(UBRK_LINE);
            return lines;
        }
        case BreakKind::Character: break;
    }
    static const BreakTemplate characters(UBRK_CHARACTER);
    return characters;
}

// The grapheme cluster break class of a code point. Those of the BMP are read from ICU once into
// a table, since a property lookup per code point would cost more than the rest of the walk.
int BreakClass(UChar32 codePoint) {
    using Classes = std::array<std::uint8_t, detail::kLastBmpCodePoint + 1>;
    static const Classes bmp = [] {
        Classes classes{};
        for (std::size_t c = 0; c < classes.size(); ++c) {
            classes[c] = static_cast<std::uint8_t>(
                u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_GRAPHEME_CLUSTER_BREAK));
        }
        return classes;
    }();
    if (codePoint <= static_cast<UChar32>(detail::kLastBmpCodePoint)) {
        return bmp[static_cast<std::size_t>(codePoint)];
    }
    return u_getIntPropertyValue(codePoint, UCHAR_GRAPHEME_CLUSTER_BREAK);
}

// Whether a cluster boundary follows code point `before` whatever precedes it, when `after`
// comes next. Only after a code point of break class Other or a control can that be known from
// the pair alone: every rule that joins across a position looks at something else to its left
// (Prepend, Hangul jamo, a ZWJ, a regional indicator, an Indic linker), and after Other only
// Extend, ZWJ and SpacingMark join. No ASCII character is of those classes, and CR LF is the
// one ASCII pair that joins.
bool BoundaryFollows(std::uint32_t beforeValue, std::uint32_t afterValue) {
    const auto before = static_cast<UChar32>(beforeValue);
    const auto after = static_cast<UChar32>(afterValue);
    constexpr UChar32 kCarriageReturn = 0x0D;
    constexpr UChar32 kLineFeed = 0x0A;
    constexpr auto kAscii = static_cast<UChar32>(detail::kLastAsciiCodePoint);
    if (before <= kAscii && after <= kAscii) return before != kCarriageReturn || after != kLineFeed;
    const int beforeClass = BreakClass(before);
    if (beforeClass == U_GCB_CONTROL || beforeClass == U_GCB_LF) return true;
    if (beforeClass == U_GCB_CR) return after != kLineFeed;
    if (beforeClass != U_GCB_OTHER) return false;
    if (after <= kAscii) return true;
    const int afterClass = BreakClass(after);
    return afterClass != U_GCB_EXTEND && afterClass != U_GCB_ZWJ &&
           afterClass != U_GCB_SPACING_MARK;
}

// The width of the code point that ends at `end` (> 0), read as the forward walk reads it: a
// low surrogate after a high one ends a pair.
std::size_t WidthBefore(UTF16StringView units, std::size_t end) {
    const bool pair = end >= 2 && detail::IsLowSurrogate(units[end - 1]) &&
                      detail::IsHighSurrogate(units[end - 2]);
    return pair ? 2 : 1;
}

// Whether the rule status of a word boundary marks the segment before it as a word.
bool IsWordStatus(int32_t status) { return status >= UBRK_WORD_NONE_LIMIT; }

// The word break classes that the fast word walk follows, and kComplex for every code point
// whose boundaries it leaves to ICU: ZWJ (which joins emoji), regional indicators, Hebrew letters
// and double quotes (rules of their own), katakana, the scripts that ICU segments by dictionary
// (Thai and its neighbours, Han, kana, Hangul syllables), and unpaired surrogates. ICU's root
// rules take the colon and its small and full-width forms out of MidLetter, count the commercial
// at as a letter (so that an address is one word), and join with a single quote as MidNumLet
// does.
enum WordClass : std::uint8_t {
    kWordOther,
    kWordCR,
    kWordNewline,  // LF, VT, FF, NEL, LS, PS
    kWordSpace,    // WSegSpace
    kWordLetter,
    kWordDigit,
    kWordUnderscore,  // ExtendNumLet
    kWordMidNumLet,   // . ' and the like: join letters and digits
    kWordMidNum,      // , ; and the like: join digits
    kWordMidLetter,   // join letters
    kWordExtend,      // Extend and Format: take the class of what they follow
    kComplex,
};

std::uint8_t ComputeWordClass(UChar32 c) {
    constexpr UChar32 kColons[] = {0x3A, 0xFE55, 0xFF1A};
    constexpr UChar32 kCommercialAt = 0x40;
    constexpr UChar32 kFirstHangulSyllable = 0xAC00, kLastHangulSyllable = 0xD7A3;
    UErrorCode status = U_ZERO_ERROR;
    const UScriptCode script = uscript_getScript(c, &status);
    if (detail::IsSurrogate(static_cast<std::uint32_t>(c)) || script == USCRIPT_HAN ||
        script == USCRIPT_HIRAGANA || u_hasBinaryProperty(c, UCHAR_IDEOGRAPHIC) ||
        u_getIntPropertyValue(c, UCHAR_LINE_BREAK) == U_LB_COMPLEX_CONTEXT ||
        (c >= kFirstHangulSyllable && c <= kLastHangulSyllable)) {
        return kComplex;
    }
    if (c == kCommercialAt) return kWordLetter;
    switch (u_getIntPropertyValue(c, UCHAR_WORD_BREAK)) {
        case U_WB_OTHER: return kWordOther;
        case U_WB_CR: return kWordCR;
        case U_WB_LF:
        case U_WB_NEWLINE: return kWordNewline;
        case U_WB_WSEGSPACE: return kWordSpace;
        case U_WB_EXTEND:
        case U_WB_FORMAT: return kWordExtend;
        case U_WB_ALETTER: return kWordLetter;
        case U_WB_NUMERIC: return kWordDigit;
        case U_WB_EXTENDNUMLET: return kWordUnderscore;
        case U_WB_MIDNUMLET:
        case U_WB_SINGLE_QUOTE: return kWordMidNumLet;
        case U_WB_MIDNUM: return kWordMidNum;
        case U_WB_MIDLETTER:
            return std::find(std::begin(kColons), std::end(kColons), c) != std::end(kColons)
                       ? kWordOther
                       : kWordMidLetter;
        default: return kComplex;
    }
}

// The classes of the code points of the first two planes (emoji included), read from ICU once,
// since the properties behind a class cost far more than the rest of the walk.
constexpr std::size_t kTabledWordClasses = 2 * (detail::kLastBmpCodePoint + 1);
const std::uint8_t* WordClassTable() {
    static const std::vector<std::uint8_t> classes = [] {
        std::vector<std::uint8_t> table(kTabledWordClasses);
        for (std::size_t c = 0; c < kTabledWordClasses; ++c) {
            table[c] = ComputeWordClass(static_cast<UChar32>(c));
        }
        return table;
    }();
    return classes.data();
}

// The end of the word segment that begins at `start` (< the size) and whether it is a word, read
// from the classes alone; false when a code point that decides them is kComplex, for ICU to
// decide. The rules of a boundary after a boundary look at nothing before it: keep newlines apart
// and CR LF together, runs of spaces together, and letters, digits and underscores together,
// across a MidLetter or MidNumLet between two letters and a MidNum or MidNumLet between two
// digits; marks and format characters join what they follow and take its class. ICU's rule
// status marks a segment with a letter or digit as a word, and one of underscores alone when
// there are two or more.
bool SimpleWordEnd(UTF16StringView units, std::size_t start, std::size_t& end, bool& word) {
    const std::size_t size = units.size();
    const std::uint8_t* table = WordClassTable();
    std::size_t width = 1;  // of the code point classOf read last
    const auto classOf = [&](std::size_t i) -> std::uint8_t {
        const UTF16Unit unit = units[i];
        if (!detail::IsSurrogate(unit)) {
            width = 1;
            return table[unit];
        }
        const detail::CodePointAt decoded = detail::DecodeUTF16At(units.data(), size, i);
        width = decoded.Width;
        return decoded.Value < kTabledWordClasses
                   ? table[decoded.Value]
                   : ComputeWordClass(static_cast<UChar32>(decoded.Value));
    };
    const auto simpleAt = [&](std::size_t i) { return i == size || classOf(i) != kComplex; };
    bool marked = false;  // whether skipExtenders skipped any last
    const auto skipExtenders = [&](std::size_t i) {
        const std::size_t from = i;
        while (i < size && classOf(i) == kWordExtend) i += width;
        marked = i != from;
        return i;
    };
    word = false;
    std::uint8_t current = classOf(start);
    std::size_t i = start + width;
    switch (current) {
        case kComplex:
        case kWordExtend: return false;
        case kWordCR: end = i < size && units[i] == '\n' ? i + 1 : i; return true;
        case kWordNewline: end = i; return true;
        case kWordSpace:
            while (i < size && classOf(i) == kWordSpace) i += width;
            end = skipExtenders(i);
            return simpleAt(end);
        case kWordLetter:
        case kWordDigit:
        case kWordUnderscore: break;
        default: end = skipExtenders(i); return simpleAt(end);
    }
    bool lettersOrDigits = current != kWordUnderscore;
    int wordCodePoints = 1;
    std::size_t segmentEnd = i = skipExtenders(i);
    while (i < size) {
        const std::uint8_t next = classOf(i);
        if (next == kComplex) return false;
        if (next == kWordLetter || next == kWordDigit || next == kWordUnderscore) {
            lettersOrDigits = lettersOrDigits || next != kWordUnderscore;
            current = next;
            ++wordCodePoints;
            segmentEnd = i = skipExtenders(i + width);
            continue;
        }
        const bool joins =
            ((next == kWordMidNumLet || next == kWordMidLetter) && current == kWordLetter) ||
            ((next == kWordMidNumLet || next == kWordMidNum) && current == kWordDigit);
        if (!joins) break;
        i = skipExtenders(i + width);
        if (i == size) break;
        const std::uint8_t after = classOf(i);
        if (after == kComplex) return false;
        if (after != current) break;
        ++wordCodePoints;
        segmentEnd = i = skipExtenders(i + width);
    }
    // ICU's status after an underscore with marks is not the rule's: leave that to ICU.
    if (current == kWordUnderscore && marked) return false;
    end = segmentEnd;
    word = lettersOrDigits || wordCodePoints > 1;
    return true;
}

}  // namespace

CodePointRange Text::CodePoints() const {
    // A count equal to the length leaves no room for a surrogate: a high one takes the unit after
    // it or, last, counts nothing, and a low one where a character begins makes the count -1.
    if (NumberOfCharacters == Length)
        return CodePointRange(View(), CodePointRange::UnitsAreCodePoints{});
    return CodePointRange(View());
}

GraphemeRange Text::Graphemes() const { return GraphemeRange(View()); }

SegmentRange Text::Words() const { return SegmentRange(View(), BreakKind::Word); }

SegmentRange Text::Sentences() const { return SegmentRange(View(), BreakKind::Sentence); }

SegmentRange Text::LineBreaks() const { return SegmentRange(View(), BreakKind::Line); }

void CodePointRange::Iterator::DecodeBefore() {
    if (Position == 0) return;
    Position -= WidthBefore(Units, Position);
    Read();
}

GraphemeRange::GraphemeRange(UTF16StringView units) : Units(units) {
    // ICU takes 32-bit lengths, and a text is never longer.
    detail::CheckLength(units.size(), detail::kGraphemesLengthSite);
}

namespace detail {

BreakWalk::BreakWalk(UTF16StringView units, std::size_t start, BreakKind kind)
    : Units(units), Start(start), End(start), Kind(kind) {
    FindEnd(Start, End, Word);
}

BreakWalk& BreakWalk::operator=(const BreakWalk& other) noexcept {
    if (this == &other) return *this;
    // The break iterator this walk owns stays for the same kind of boundaries, but is given the
    // other walk's units anew, which drops what it cached: units at the same place and of the
    // same length may still differ (an edit in place, another text in memory freed since).
    if (State != nullptr) {
        UErrorCode status = U_ZERO_ERROR;
        if (Kind == other.Kind) {
            ubrk_setText(State->Iterator, detail::AsUChar(other.Units.data()),
                         static_cast<int32_t>(other.Units.size()), &status);
        }
        if (Kind != other.Kind || U_FAILURE(status)) {
            Release(State);
            State = nullptr;
        } else {
            *State = BreakState{State->Iterator};
        }
    }
    CopyPlace(other);
    return *this;
}

BreakWalk& BreakWalk::operator=(BreakWalk&& other) noexcept {
    if (this == &other) return *this;
    if (State != nullptr) Release(State);
    State = other.State;
    other.State = nullptr;
    CopyPlace(other);
    return *this;
}

void BreakWalk::Release(BreakState* state) noexcept {
    ubrk_close(state->Iterator);
    delete state;
}

BreakState& BreakWalk::Owned() {
    if (State == nullptr) {
        BreakState* state = new BreakState;
        try {
            state->Iterator = TemplateOf(Kind).CloneOver(Units);
        } catch (...) {
            delete state;
            throw;
        }
        State = state;
    }
    return *State;
}

void BreakWalk::Next() {
    if (Start >= Units.size()) return;
    std::size_t end = End;
    bool word = false;
    FindEnd(End, end, word);  // when it raises, nothing has changed
    Before = Start;
    BeforeWord = Word;
    Start = End;
    End = end;
    Word = word;
}

void BreakWalk::FindEnd(std::size_t start, std::size_t& end, bool& word) {
    word = false;
    if (start >= Units.size()) {
        end = start;
        return;
    }
    if (Kind == BreakKind::Character) {
        // Most clusters are one code point that the pair rule settles without the break
        // iterator, whose every call costs far more.
        const CodePointAt first = DecodeUTF16At(Units.data(), Units.size(), start);
        const std::size_t next = start + first.Width;
        if (next == Units.size() ||
            BoundaryFollows(first.Value, DecodeUTF16At(Units.data(), Units.size(), next).Value)) {
            end = next;
            return;
        }
    }
    if (Kind == BreakKind::Word) {
        // ICU finds boundaries in batches that it keeps (the one asked for and up to six after
        // it): after it was needed, the next few are cheaper taken from it than found again.
        constexpr int kIcuBatch = 6;
        if (State != nullptr && State->At == start && State->AheadLeft > 0) {
            --State->AheadLeft;
        } else if (SimpleWordEnd(Units, start, end, word)) {
            return;
        } else {
            Owned().AheadLeft = kIcuBatch;
        }
    }
    BreakState& state = Owned();
    // next() from where the iterator stands costs less than following(), which must find it.
    const int32_t following = state.At == start
                                  ? ubrk_next(state.Iterator)
                                  : ubrk_following(state.Iterator, static_cast<int32_t>(start));
    end = following == UBRK_DONE ? Units.size() : static_cast<std::size_t>(following);
    state.At = end;
    word = Kind == BreakKind::Word && IsWordStatus(ubrk_getRuleStatus(state.Iterator));
}

void BreakWalk::FindBefore(std::size_t boundary, std::size_t& before, bool& word, bool mayOpen) {
    if (Kind == BreakKind::Character) {
        // The cluster before `boundary` is its last code point alone when a boundary follows
        // the code point before that whatever comes earlier.
        const std::size_t last = boundary - WidthBefore(Units, boundary);
        if (last == 0 ||
            BoundaryFollows(
                DecodeUTF16At(Units.data(), Units.size(), last - WidthBefore(Units, last)).Value,
                DecodeUTF16At(Units.data(), Units.size(), last).Value)) {
            before = last;
            word = false;
            return;
        }
    }
    if (!mayOpen && State == nullptr) {
        before = kUnknown;
        word = false;
        return;
    }
    BreakState& state = Owned();  // when it raises, nothing has changed
    const int32_t preceding = state.At == boundary
                                  ? ubrk_previous(state.Iterator)
                                  : ubrk_preceding(state.Iterator, static_cast<int32_t>(boundary));
    before = preceding == UBRK_DONE ? 0 : static_cast<std::size_t>(preceding);
    state.At = before;
    word = false;
    if (Kind == BreakKind::Word) {
        // A boundary's rule status tells of the segment that ends there.
        state.At = static_cast<std::size_t>(ubrk_next(state.Iterator));
        word = IsWordStatus(ubrk_getRuleStatus(state.Iterator));
    }
}

void BreakWalk::Previous() {
    if (Start == 0) return;
    const std::size_t end = Start;
    std::size_t start = Before;
    bool word = BeforeWord;
    if (start == kUnknown) FindBefore(end, start, word, true);  // when it raises, nothing changed
    Start = start;
    Word = word;
    End = end;
    // The boundary before the new segment, found now while it is cheap (the pair rule, or the
    // break iterator this walk already owns), so that a copy stepped back once needs no ICU:
    // a reverse iterator steps a copy back at every dereference.
    Before = kUnknown;
    BeforeWord = false;
    if (Start > 0) FindBefore(Start, Before, BeforeWord, false);
}

}  // namespace detail

}  // namespace QuendalText
