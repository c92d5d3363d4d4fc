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

#include <array>
#include <cstdint>
#include <new>

namespace QuendalText {

namespace detail {

// A break iterator over the units of one walk, and the position it was last left at.
struct BreakState {
    UBreakIterator* iterator = nullptr;
    std::size_t at = BreakWalk::kUnknown;
};

}  // namespace detail

namespace {

using detail::BreakKind;
using detail::BreakState;
using detail::BreakWalk;

// The root locale's break iterator of one kind, opened once and never given a text or moved, so
// that any thread may clone it. A failure to open it is kept and raised at each use.
class BreakTemplate {
public:
    explicit BreakTemplate(UBreakIteratorType type) {
        // The empty locale name is ICU's root locale: the same boundaries in every process.
        Iterator = ubrk_open(type, "", nullptr, 0, &Status);
    }
    BreakTemplate(const BreakTemplate&) = delete;
    BreakTemplate& operator=(const BreakTemplate&) = delete;
    ~BreakTemplate() { ubrk_close(Iterator); }

    // A new break iterator of this kind over `units`, for the caller to close.
    UBreakIterator* CloneOver(UTF16StringView units) const {
        if (U_FAILURE(Status)) detail::RaiseConversionError(detail::kGraphemesLine, Status);
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
    UErrorCode Status = U_ZERO_ERROR;
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

// The word break classes of the ASCII characters as ICU's root rules use them (a colon is no
// MidLetter there), and kNotAscii for every other unit. A single quote joins as a full stop does.
enum AsciiWordClass : std::uint8_t {
    kWordOther,
    kWordCR,
    kWordNewline,  // LF, VT, FF
    kWordSpace,
    kWordLetter,
    kWordDigit,
    kWordUnderscore,  // ExtendNumLet
    kWordMidNumLet,   // . '
    kWordMidNum,      // , ;
    kNotAscii,
};
constexpr std::array<std::uint8_t, detail::kLastAsciiCodePoint + 1> AsciiWordClasses() {
    std::array<std::uint8_t, detail::kLastAsciiCodePoint + 1> classes{};
    for (std::size_t c = 0; c < classes.size(); ++c) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        classes[c] = letter                                ? kWordLetter
                     : c >= '0' && c <= '9'                ? kWordDigit
                     : c == '_'                            ? kWordUnderscore
                     : c == '.' || c == '\''               ? kWordMidNumLet
                     : c == ',' || c == ';'                ? kWordMidNum
                     : c == ' '                            ? kWordSpace
                     : c == '\r'                           ? kWordCR
                     : c == '\n' || c == 0x0B || c == 0x0C ? kWordNewline
                                                           : kWordOther;
    }
    return classes;
}
constexpr std::array<std::uint8_t, detail::kLastAsciiCodePoint + 1> kAsciiWordClasses =
    AsciiWordClasses();

// The end of the word segment that begins at `start` (< the size) and whether it is a word, read
// from ASCII alone; false when a unit that decides them is not ASCII (it may be an extending mark,
// a format character or a letter of another script), for ICU to decide. The rules of a boundary
// after `start` look at nothing before it: keep newlines apart and CR LF together, runs of spaces
// together, and letters, digits and underscores together, across a full stop or a single quote
// between two letters and any of . ' , ; between two digits. ICU's rule status marks a segment
// with a letter or digit as a word, and one of underscores alone when there are two or more.
bool AsciiWordEnd(UTF16StringView units, std::size_t start, std::size_t& end, bool& word) {
    const std::size_t size = units.size();
    const auto classOf = [units](std::size_t i) -> std::uint8_t {
        return units[i] <= detail::kLastAsciiCodePoint ? kAsciiWordClasses[units[i]]
                                                       : std::uint8_t{kNotAscii};
    };
    const auto nextIsAscii = [&](std::size_t i) { return i == size || classOf(i) != kNotAscii; };
    word = false;
    std::size_t i = start + 1;
    switch (classOf(start)) {
        case kNotAscii: return false;
        case kWordCR: end = i < size && units[i] == '\n' ? i + 1 : i; return true;
        case kWordNewline: end = i; return true;
        case kWordSpace:
            while (i < size && units[i] == ' ') ++i;
            end = i;
            return nextIsAscii(i);
        case kWordLetter:
        case kWordDigit:
        case kWordUnderscore: break;
        default: end = i; return nextIsAscii(i);
    }
    std::uint8_t current = classOf(start);
    bool lettersOrDigits = current != kWordUnderscore;
    for (; i < size; ++i) {
        const std::uint8_t next = classOf(i);
        if (next == kWordLetter || next == kWordDigit || next == kWordUnderscore) {
            lettersOrDigits = lettersOrDigits || next != kWordUnderscore;
            current = next;
            continue;
        }
        if (next == kNotAscii) return false;
        const bool joins = (next == kWordMidNumLet && current != kWordUnderscore) ||
                           (next == kWordMidNum && current == kWordDigit);
        if (!joins || i + 1 == size) break;
        const std::uint8_t after = classOf(i + 1);
        if (after == kNotAscii) return false;
        if (after != current) break;
        ++i;  // the joiner, then the letter or digit after it
    }
    end = i;
    word = lettersOrDigits || end - start > 1;
    return true;
}

}  // namespace

CodePointRange Text::CodePoints() const { return CodePointRange(View()); }

GraphemeRange Text::Graphemes() const { return GraphemeRange(View()); }

SegmentRange Text::Words() const { return SegmentRange(View(), BreakKind::Word); }

SegmentRange Text::Sentences() const { return SegmentRange(View(), BreakKind::Sentence); }

SegmentRange Text::LineBreaks() const { return SegmentRange(View(), BreakKind::Line); }

void CodePointRange::Iterator::Decode() {
    if (Position >= Units.size()) {
        Width = 0;
        Current = 0;
        return;
    }
    const detail::CodePointAt decoded = detail::DecodeUTF16At(Units.data(), Units.size(), Position);
    Current = static_cast<char32_t>(decoded.value);
    Width = decoded.width;
}

void CodePointRange::Iterator::DecodeBefore() {
    if (Position == 0) return;
    Position -= WidthBefore(Units, Position);
    Decode();
}

GraphemeRange::GraphemeRange(UTF16StringView units) : Units(units) {
    // ICU takes 32-bit lengths, and a text is never longer.
    detail::CheckLength(units.size(), detail::kGraphemesLengthSite);
}

namespace detail {

BreakWalk::BreakWalk(UTF16StringView units, std::size_t start, BreakKind kind)
    : Units(units), Start(start), End(start), Kind(kind) {
    FindEnd();
}

BreakWalk& BreakWalk::operator=(const BreakWalk& other) noexcept {
    if (this == &other) return *this;
    // The break iterator this walk owns may stay only while it walks the same units.
    if (State != nullptr && (Kind != other.Kind || Units.data() != other.Units.data() ||
                             Units.size() != other.Units.size())) {
        Release(State);
        State = nullptr;
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
    ubrk_close(state->iterator);
    delete state;
}

BreakState& BreakWalk::Owned() {
    if (State == nullptr) {
        BreakState* state = new BreakState;
        try {
            state->iterator = TemplateOf(Kind).CloneOver(Units);
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
    Before = Start;
    BeforeWord = Word;
    Start = End;
    FindEnd();
}

void BreakWalk::FindEnd() {
    Word = false;
    if (Start >= Units.size()) {
        End = Start;
        return;
    }
    if (Kind == BreakKind::Character) {
        // Most clusters are one code point that the pair rule settles without the break
        // iterator, whose every call costs far more.
        const CodePointAt before = DecodeUTF16At(Units.data(), Units.size(), Start);
        const std::size_t next = Start + before.width;
        if (next == Units.size() ||
            BoundaryFollows(before.value, DecodeUTF16At(Units.data(), Units.size(), next).value)) {
            End = next;
            return;
        }
    }
    if (Kind == BreakKind::Word && AsciiWordEnd(Units, Start, End, Word)) return;
    BreakState& state = Owned();
    // next() from where the iterator stands costs less than following(), which must find it.
    const int32_t following = state.at == Start
                                  ? ubrk_next(state.iterator)
                                  : ubrk_following(state.iterator, static_cast<int32_t>(Start));
    End = following == UBRK_DONE ? Units.size() : static_cast<std::size_t>(following);
    state.at = End;
    if (Kind == BreakKind::Word) Word = IsWordStatus(ubrk_getRuleStatus(state.iterator));
}

void BreakWalk::FindBefore(std::size_t boundary, std::size_t& before, bool& word, bool mayOpen) {
    word = false;
    if (Kind == BreakKind::Character) {
        // The cluster before `boundary` is its last code point alone when a boundary follows
        // the code point before that whatever comes earlier.
        const std::size_t last = boundary - WidthBefore(Units, boundary);
        if (last == 0 ||
            BoundaryFollows(
                DecodeUTF16At(Units.data(), Units.size(), last - WidthBefore(Units, last)).value,
                DecodeUTF16At(Units.data(), Units.size(), last).value)) {
            before = last;
            return;
        }
    }
    if (!mayOpen && State == nullptr) {
        before = kUnknown;
        return;
    }
    BreakState& state = Owned();
    const int32_t preceding = state.at == boundary
                                  ? ubrk_previous(state.iterator)
                                  : ubrk_preceding(state.iterator, static_cast<int32_t>(boundary));
    before = preceding == UBRK_DONE ? 0 : static_cast<std::size_t>(preceding);
    state.at = before;
    if (Kind == BreakKind::Word) {
        // A boundary's rule status tells of the segment that ends there.
        state.at = static_cast<std::size_t>(ubrk_next(state.iterator));
        word = IsWordStatus(ubrk_getRuleStatus(state.iterator));
    }
}

void BreakWalk::Previous() {
    if (Start == 0) return;
    const std::size_t end = Start;
    if (Before == kUnknown) FindBefore(end, Before, BeforeWord, true);
    Start = Before;
    Word = BeforeWord;
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
