// The grapheme, word, sentence and line-break ranges against ICU's break iterators (root locale)
// called directly on random text: the same boundaries and word flags forward, the same segments
// backward, and at every stop of a random walk of steps both ways through iterators and copies.
// The code points, forward and backward, are those that ICU's UnicodeString reads.
#include "fuzz_input.h"

#include <QuendalText/QuendalText.h>

#include <unicode/ubrk.h>
#include <unicode/unistr.h>

#include <vector>

namespace {

using fuzz::Check;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16StringView;
using QuendalText::UTF16Unit;

// Units that the break rules treat apart: letters and digits, the word and number joiners, spaces
// and line ends, quotation marks and hyphens, combining marks, ZWJ, Hangul jamo, Thai, kana and
// ideographs, and the halves of a regional indicator and of an emoji.
UTF16Unit Unit(fuzz::Input& input) {
    static const std::uint16_t kUnits[] = {
        'a',    'Z',    '7',    '.',    ',',    '\'',   ':',    '@',    '_',
        ' ',    '\r',   '\n',   '!',    '?',    '"',    '(',    '-',    0xE9,
        0x301,  0x200D, 0xFE0F, 0x1100, 0x1161, 0x11A8, 0xAC00, 0x0E2A, 0x0E27,
        0x0E31, 0x65E5, 0x672C, 0x3042, 0x30AB, 0x3002, 0xD83C, 0xDDEB, 0xD83D,
        0xDC69, 0x05D0, 0x2019, 0x00A0, 0x2014, 0x0915, 0x094D, 0xFF01, 0x2028};
    const std::uint8_t selector = input.Byte();
    if (selector < 224) return static_cast<UTF16Unit>(kUnits[selector % std::size(kUnits)]);
    return input.Unit();
}

bool WordOf(const QuendalText::SegmentRange::Iterator& it) { return it.IsWord(); }
bool WordOf(const QuendalText::GraphemeRange::Iterator&) { return false; }

// The range of `type` against ICU's segment ends and word flags.
template <class Range>
void CheckRange(fuzz::Input& input, UBreakIteratorType type, UTF16StringView units,
                const Range& range) {
    std::vector<std::size_t> ends;
    std::vector<bool> words;
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* breaks = ubrk_open(type, "", reinterpret_cast<const UChar*>(units.data()),
                                       static_cast<int32_t>(units.size()), &status);
    Check(U_SUCCESS(status));
    for (int32_t end = ubrk_next(breaks); end != UBRK_DONE; end = ubrk_next(breaks)) {
        ends.push_back(static_cast<std::size_t>(end));
        words.push_back(type == UBRK_WORD && ubrk_getRuleStatus(breaks) >= UBRK_WORD_NONE_LIMIT);
    }
    ubrk_close(breaks);
    const auto startOf = [&](std::size_t k) { return k == 0 ? 0 : ends[k - 1]; };
    const auto at = [&](const typename Range::Iterator& it, std::size_t k) {
        if (k == ends.size()) return it == range.end();
        const UTF16StringView segment = *it;
        return segment.data() == units.data() + startOf(k) &&
               segment.size() == ends[k] - startOf(k) && WordOf(it) == words[k];
    };
    std::size_t k = 0;
    for (auto it = range.begin(); it != range.end(); ++it, ++k) Check(k < ends.size() && at(it, k));
    Check(k == ends.size());
    for (auto it = range.end(); it != range.begin();) Check(k > 0 && at(--it, --k));
    Check(k == 0);
    // A random walk, now and then going on with a copy that owns no break iterator yet.
    auto it = input.Byte() % 2 == 0 ? range.begin() : range.end();
    k = it == range.begin() ? 0 : ends.size();
    for (int step = 0; step < 16 && !input.Empty(); ++step) {
        const std::uint8_t choice = input.Byte();
        if (choice % 3 == 0) it = typename Range::Iterator(it);
        if (choice % 2 == 0 && k < ends.size()) ++it, ++k;
        if (choice % 2 == 1 && k > 0) --it, --k;
        Check(at(it, k));
    }
}

// The code points and their indexes forward, then backward, as ICU reads them.
void CheckCodePoints(const Text& text) {
    const icu::UnicodeString units(false, reinterpret_cast<const UChar*>(text.View().data()),
                                   static_cast<int32_t>(text.View().size()));
    const QuendalText::CodePointRange range = text.CodePoints();
    auto it = range.begin();
    for (int32_t i = 0; i < units.length(); i = units.moveIndex32(i, 1), ++it)
        Check(it != range.end() && it.Index() == static_cast<std::size_t>(i) &&
              *it == static_cast<char32_t>(units.char32At(i)));
    Check(it == range.end());
    for (int32_t i = units.length(); i > 0;) {
        i = units.moveIndex32(i, -1);
        --it;
        Check(it.Index() == static_cast<std::size_t>(i) &&
              *it == static_cast<char32_t>(units.char32At(i)));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    UTF16String units(input.Byte() % 64, UTF16Unit{0});
    for (UTF16Unit& unit : units) unit = Unit(input);
    const Text text{UTF16StringView(units)};
    CheckRange(input, UBRK_CHARACTER, text.View(), text.Graphemes());
    CheckRange(input, UBRK_WORD, text.View(), text.Words());
    CheckRange(input, UBRK_SENTENCE, text.View(), text.Sentences());
    CheckRange(input, UBRK_LINE, text.View(), text.LineBreaks());
    CheckCodePoints(text);
    return 0;
}
