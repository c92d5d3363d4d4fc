// Character access and editing of Text: reading and inserting by index, erasing, replacing,
// cutting out, appending and case mapping of all-ASCII texts.
#include <QuendalText/Text.h>

#include "internal/raise_sites.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace QuendalText {

namespace {

// Start positions and counts reach the standard string as its unsigned sizes, so a negative
// start lies beyond every text and a negative count reaches the end.
std::size_t AsStringSize(int value) { return static_cast<std::size_t>(value); }

// The units of a character: none, one or two.
UTF16StringView UnitsOf(const Char& character) { return static_cast<const UTF16Unit*>(character); }

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
    Content.insert(static_cast<std::size_t>(index), units.data(), units.size());
    RefreshCounts();
}

Text& Text::RemoveAt(int index) {
    CheckIndex(index, Length, detail::kRemoveAtSite);
    Content.erase(static_cast<std::size_t>(index), 1);
    RefreshCounts();
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
    // The standard string copes with a replacement that is the text itself.
    Content.replace(position, AsStringSize(count), replacement.Content);
    RefreshCounts();
}

Text Text::SubString(int start, int count) const {
    return Text(Content.substr(AsStringSize(start), AsStringSize(count)));
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
    Content.append(other.Content);
    RefreshCounts(oldLength);
    return *this;
}

Text& Text::operator+=(const Char& character) {
    const std::size_t oldLength = Content.size();
    const UTF16StringView units = UnitsOf(character);
    detail::CheckGrowth(oldLength, units.size(), detail::kAppendLengthSite);
    Content.append(units.data(), units.size());
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
    Text result(Content);
    result += character;
    return result;
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

// Case mapping touches only all-ASCII texts; it keeps the number and kind of units, so the
// counts stay true without a refresh.
void Text::ToUpper() {
    if (!IsAscii()) return;
    for (UTF16Unit& unit : Content) {
        if (platform::IsInClass(unit, platform::WideClass::Lower))
            unit = platform::ToUpperUnit(unit);
    }
}

void Text::ToLower() {
    if (!IsAscii()) return;
    for (UTF16Unit& unit : Content) {
        if (platform::IsInClass(unit, platform::WideClass::Upper))
            unit = platform::ToLowerUnit(unit);
    }
}

}  // namespace QuendalText
