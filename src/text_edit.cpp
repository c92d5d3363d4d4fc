// Character access and editing of Text: reading and inserting by index, erasing, replacing,
// cutting out, appending and case mapping of all-ASCII texts.
#include <QuendalText/Text.h>

#include "internal/case_map.h"
#include "internal/character_count.h"
#include "internal/kernels.h"
#include "internal/raise_sites.h"
#include "internal/string_storage.h"
#include "internal/utf.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace QuendalText {

namespace {

// Start positions and counts reach the standard string as its unsigned sizes, so a negative
// start lies beyond every text and a negative count reaches the end.
std::size_t AsStringSize(int value) { return static_cast<std::size_t>(value); }

// Appends `size` units. Out of line, so that the copy is the C library's whatever the size: for a
// size known to be small GCC copies with `rep movs`, which is slow to start.
[[gnu::noinline]] void AppendUnits(UTF16String& to, const UTF16Unit* units, std::size_t size) {
    to.append(units, size);
}

// The units of a character: none, one or two.
UTF16StringView UnitsOf(const Char& character) { return static_cast<const UTF16Unit*>(character); }

// Whether `at` (at most units.size()) lies between the two units of a surrogate pair.
bool SplitsPair(UTF16StringView units, std::size_t at) {
    return at > 0 && at < units.size() && detail::IsHighSurrogate(units[at - 1]) &&
           detail::IsLowSurrogate(units[at]);
}

// The single-index operations accept exactly 0 to length - 1 and check before any change.
void CheckIndex(int index, int length, const detail::IndexRaiseSite& site) {
    if (index < 0 || index >= length) detail::RaiseIndexError(site);
}

}  // namespace

Char Text::get_CharacterAt(int index) const {
    CheckIndex(index, Length, detail::kGetCharacterAtSite);
    return Char(Content[static_cast<std::size_t>(index)]);
}

Char Text::operator[](int index) const {
    CheckIndex(index, Length, detail::kSubscriptSite);
    return Char(Content[static_cast<std::size_t>(index)]);
}

void Text::set_CharacterAt(int index, const Char& character) {
    CheckIndex(index, Length, detail::kSetCharacterAtSite);
    const UTF16StringView units = UnitsOf(character);
    detail::CheckGrowth(Content.size(), units.size(), detail::kInsertLengthSite);
    const auto at = static_cast<std::size_t>(index);
    const detail::EditRecount recount(NumberOfCharacters, Content.data(), Content.size(), at, 0);
    Content.insert(at, units.data(), units.size());
    NumberOfCharacters = recount.Count(Content.data(), Content.size(), units.size());
    Length = static_cast<int>(Content.size());
}

Text& Text::RemoveAt(int index) {
    CheckIndex(index, Length, detail::kRemoveAtSite);
    const auto at = static_cast<std::size_t>(index);
    const detail::EditRecount recount(NumberOfCharacters, Content.data(), Content.size(), at, 1);
    Content.erase(at, 1);
    NumberOfCharacters = recount.Count(Content.data(), Content.size(), 0);
    Length = static_cast<int>(Content.size());
    return *this;
}

void Text::Replace(const Text& replacement, int start, int count) {
    // A start beyond the end is left to the standard string, which raises std::out_of_range.
    const std::size_t position = AsStringSize(start);
    if (position <= Content.size()) {
        const std::size_t removed = std::min(AsStringSize(count), Content.size() - position);
        detail::CheckGrowth(Content.size() - removed, replacement.Content.size(),
                            detail::kReplaceLengthSite);
    }
    // A start beyond the end raises below before anything is read.
    const std::size_t removed =
        position <= Content.size() ? std::min(AsStringSize(count), Content.size() - position) : 0;
    const detail::EditRecount recount(NumberOfCharacters, Content.data(), Content.size(),
                                      std::min(position, Content.size()), removed);
    const std::size_t inserted = replacement.Content.size();
    // The standard string copes with a replacement that is the text itself.
    Content.replace(position, AsStringSize(count), replacement.Content);
    NumberOfCharacters = recount.Count(Content.data(), Content.size(), inserted);
    Length = static_cast<int>(Content.size());
}

Text Text::SubString(int start, int count) const {
    const std::size_t position = AsStringSize(start);
    // A start beyond the end gets the standard string's own out_of_range. (The one return below
    // lets the piece be built where the caller wants it, without a copy.)
    if (position > Content.size()) static_cast<void>(Content.substr(position));
    // The piece is copied and counted in one pass, without a string in between; a short one is
    // copied, then counted unit by unit.
    const std::size_t size = std::min(AsStringSize(count), Content.size() - position);
    const UTF16Unit* units = Content.data() + position;
    Text piece;
    if (size < detail::kShortPieceUnits) {
        AppendUnits(piece.Content, units, size);
        piece.NumberOfCharacters = detail::CountPiece(NumberOfCharacters == Length, units, size);
    } else {
        detail::ResizeForOverwrite(piece.Content, size, [&](UTF16Unit* data) {
            piece.NumberOfCharacters = detail::ActiveKernels().CopyAndCount(units, size, data);
            return size;
        });
    }
    piece.Length = static_cast<int>(size);
    return piece;
}

bool Text::Concatenate(const Text& source, int start, int count) {
    try {
        *this += source.SubString(start, count);
        return true;
    } catch (...) {
        // The append is the last step that can fail and has no effect when it does.
        return false;
    }
}

// Every append recounts only the appended units: the counts of the unchanged prefix stand.
Text& Text::operator+=(const Text& other) {
    const std::size_t oldLength = Content.size();
    detail::CheckGrowth(oldLength, other.Content.size(), detail::kAppendLengthSite);
    if (oldLength == 0) {
        // The same units as `other`: its counts stand.
        Content = other.Content;
        Length = other.Length;
        NumberOfCharacters = other.NumberOfCharacters;
        return *this;
    }
    Content.append(other.Content);
    RefreshCounts(oldLength);
    return *this;
}

Text& Text::operator+=(const UTF16Unit* units) {
    if (units == nullptr) return *this;
    const std::size_t oldLength = Content.size();
    const std::size_t added = std::char_traits<UTF16Unit>::length(units);
    detail::CheckGrowth(oldLength, added, detail::kAppendLengthSite);
    Content.append(units, added);
    RefreshCounts(oldLength);
    return *this;
}

Text Text::operator+(const Char& character) const {
    const UTF16StringView units = UnitsOf(character);
    detail::CheckGrowth(Content.size(), units.size(), detail::kJoinLengthSite);
    // A fresh text with both settings true, whose counts are this text's before the append.
    Text result;
    result.Content.reserve(Content.size() + units.size());
    result.Content = Content;
    result.Length = Length;
    result.NumberOfCharacters = NumberOfCharacters;
    result += character;
    return result;
}

// Every White_Space character is a single unit, and no surrogate is one.
Text Text::Trimmed() const {
    const auto isSpace = [](UTF16Unit unit) { return u_isUWhiteSpace(unit) != 0; };
    std::size_t first = 0;
    std::size_t end = Content.size();
    while (first < end && isSpace(Content[first])) ++first;
    while (end > first && isSpace(Content[end - 1])) --end;
    return SubString(static_cast<int>(first), static_cast<int>(end - first));
}

// The edited units are built apart and take the place of the old ones at the end, so that a
// failure changes nothing and `from` and `to` may view this text itself.
Text& Text::ReplaceAll(const TextArgument& from, const TextArgument& to) {
    const UTF16StringView sought = from.View();
    const UTF16StringView replacement = to.View();
    if (sought.empty()) detail::RaiseInvalidArgument(detail::kReplaceAllEmptySite);
    const UTF16StringView units = View();
    const detail::Kernels& kernels = detail::ActiveKernels();
    // The next occurrence at or after `start` that neither begins nor ends inside a pair.
    const auto next = [&](std::size_t start) {
        while (start + sought.size() <= units.size()) {
            const std::size_t rest = units.size() - start;
            const std::size_t found =
                start + (sought.size() == 1
                             ? kernels.FindUnit(units.data() + start, rest, sought[0])
                             : kernels.FindPattern(units.data() + start, rest, sought.data(),
                                                   sought.size()));
            if (found + sought.size() > units.size()) break;
            if (!SplitsPair(units, found) && !SplitsPair(units, found + sought.size())) {
                return found;
            }
            start = found + 1;
        }
        return UTF16StringView::npos;
    };
    std::size_t at = next(0);
    if (at == UTF16StringView::npos) return *this;
    UTF16String edited;
    edited.reserve(units.size());
    detail::SpliceRecount recount(NumberOfCharacters, units.data(), units.size());
    std::size_t kept = 0;  // units before `kept` are in `edited`
    for (; at != UTF16StringView::npos; at = next(kept)) {
        detail::CheckGrowth(edited.size(), at - kept, detail::kReplaceAllLengthSite);
        edited.append(units.data() + kept, at - kept);
        detail::CheckGrowth(edited.size(), replacement.size(), detail::kReplaceAllLengthSite);
        edited.append(replacement.data(), replacement.size());
        recount.Edit(at, sought.size(), replacement.data(), replacement.size());
        kept = at + sought.size();
    }
    detail::CheckGrowth(edited.size(), units.size() - kept, detail::kReplaceAllLengthSite);
    edited.append(units.data() + kept, units.size() - kept);
    const int count = recount.Count(edited.data(), edited.size());
    Content.swap(edited);
    Length = static_cast<int>(Content.size());
    NumberOfCharacters = count;
    return *this;
}

Text operator+(const Text& left, const Text& right) {
    detail::CheckGrowth(static_cast<std::size_t>(left.get_Length()),
                        static_cast<std::size_t>(right.get_Length()), detail::kJoinLengthSite);
    // A fresh text, so neither operand's settings carry over.
    Text result;
    result += left;
    result += right;
    return result;
}

}  // namespace QuendalText
