// Character access and editing of Text: reading and inserting by index, erasing, replacing,
// cutting out, appending and case mapping of all-ASCII texts.
#include <QuendalText/Text.h>

#include "internal/raise_sites.h"
#include "platform/platform.h"

#include <cstddef>

namespace QuendalText {

namespace {

// Start positions and counts reach the standard string as its unsigned sizes, so a negative
// start lies beyond every text and a negative count reaches the end.
std::size_t AsStringSize(int value) { return static_cast<std::size_t>(value); }

// The NUL-terminated units of a character: none, one or two.
const UTF16Unit* UnitsOf(const Char& character) { return static_cast<const UTF16Unit*>(character); }

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
    Content.insert(static_cast<std::size_t>(index), UnitsOf(character));
    RefreshCounts();
}

Text& Text::RemoveAt(int index) {
    CheckIndex(index, Length, detail::kRemoveAtSite);
    Content.erase(static_cast<std::size_t>(index), 1);
    RefreshCounts();
    return *this;
}

void Text::Replace(const Text& replacement, int start, int count) {
    // The standard string copes with a replacement that is the text itself.
    Content.replace(AsStringSize(start), AsStringSize(count), replacement.Content);
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
    Content.append(other.Content);
    RefreshCounts(oldLength);
    return *this;
}

Text& Text::operator+=(const Char& character) {
    const std::size_t oldLength = Content.size();
    Content.append(UnitsOf(character));
    RefreshCounts(oldLength);
    return *this;
}

Text& Text::operator+=(const UTF16Unit* units) {
    if (units == nullptr) return *this;
    const std::size_t oldLength = Content.size();
    Content.append(units);
    RefreshCounts(oldLength);
    return *this;
}

Text Text::operator+(const Char& character) const {
    Text result(Content);
    result += character;
    return result;
}

Text operator+(const Text& left, const Text& right) {
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
