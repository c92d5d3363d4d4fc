// The Text core: fields, plain construction, settings and the cached counts.
#include <QuendalText/Text.h>

#include "internal/character_count.h"
#include "internal/kernels.h"
#include "internal/raise_sites.h"
#include "internal/string_storage.h"

#include <string>
#include <utility>

namespace QuendalText {

Text::Text(const Text& other)
    : Content(other.Content),
      Length(other.Length),
      NumberOfCharacters(other.NumberOfCharacters),
      CaseSensitivity(other.CaseSensitivity),
      SearchForward(other.SearchForward) {}

Text::Text(const UTF16String& units) : Text() {
    detail::CheckLength(units.size(), detail::kConstructLengthSite);
    // One pass copies the units and counts them.
    detail::ResizeForOverwrite(Content, units.size(), [&](UTF16Unit* data) {
        NumberOfCharacters = detail::ActiveKernels().CopyAndCount(units.data(), units.size(), data);
        return units.size();
    });
    Length = static_cast<int>(units.size());
}

Text::Text(const Char& character) : Text(static_cast<const UTF16Unit*>(character)) {}

Text::Text(const UTF16Unit* units) : Text() {
    if (units == nullptr) return;
    const std::size_t length = std::char_traits<UTF16Unit>::length(units);
    detail::CheckLength(length, detail::kConstructLengthSite);
    Content.assign(units, length);
    RefreshCounts();
}

Text& Text::operator=(const Text& other) {
    if (this == &other) return *this;
    // Content first: if copying the units fails, every field keeps its previous value.
    Content = other.Content;
    CaseSensitivity = other.CaseSensitivity;
    SearchForward = other.SearchForward;
    Length = other.Length;
    NumberOfCharacters = other.NumberOfCharacters;
    return *this;
}

Text::Text(Text&& other) noexcept
    : Content(std::move(other.Content)),
      Length(other.Length),
      NumberOfCharacters(other.NumberOfCharacters),
      CaseSensitivity(other.CaseSensitivity),
      SearchForward(other.SearchForward) {
    other.Content.clear();
    other.Length = 0;
    other.NumberOfCharacters = 0;
}

Text& Text::operator=(Text&& other) noexcept {
    if (this == &other) return *this;
    Content = std::move(other.Content);
    Length = other.Length;
    NumberOfCharacters = other.NumberOfCharacters;
    CaseSensitivity = other.CaseSensitivity;
    SearchForward = other.SearchForward;
    other.Content.clear();
    other.Length = 0;
    other.NumberOfCharacters = 0;
    return *this;
}

Text::Text(UTF16StringView units) : Text() {
    detail::CheckLength(units.size(), detail::kConstructLengthSite);
    if (units.size() < detail::kShortPieceUnits) {
        // Short pieces (fields, clusters, words) are copied and counted without the kernels.
        Content.assign(units.data(), units.size());
        NumberOfCharacters = detail::CountShortPiece(units.data(), units.size());
    } else {
        detail::ResizeForOverwrite(Content, units.size(), [&](UTF16Unit* data) {
            NumberOfCharacters =
                detail::ActiveKernels().CopyAndCount(units.data(), units.size(), data);
            return units.size();
        });
    }
    Length = static_cast<int>(units.size());
}

UTF16StringView Text::View() const noexcept { return {Content.data(), Content.size()}; }

void Text::set_CaseSensitivity(bool caseSensitive) { CaseSensitivity = caseSensitive; }

bool Text::IsCaseSensitive() const { return CaseSensitivity; }

void Text::set_SearchForward(bool forward) { SearchForward = forward; }

bool Text::IsSearchForward() const { return SearchForward; }

void Text::Empty() {
    Content.clear();
    Length = 0;
    NumberOfCharacters = 0;
}

bool Text::IsAscii() const {
    return detail::ActiveKernels().IsAscii(Content.data(), Content.size());
}

int Text::CharacterCount() const { return detail::CountCharacters(Content.data(), Content.size()); }

void Text::RefreshCounts(std::size_t unchangedUnits) {
    const std::size_t total = Content.size();
    const bool appendedToCountedPrefix = unchangedUnits > 0 && unchangedUnits <= total &&
                                         unchangedUnits == static_cast<std::size_t>(Length);
    if (appendedToCountedPrefix) {
        const UTF16Unit* units = Content.data();
        const bool openHigh = NumberOfCharacters != detail::kMalformedCount &&
                              detail::EndsWithOpenHighSurrogate(units, unchangedUnits);
        NumberOfCharacters = detail::CountAfterAppend(
            NumberOfCharacters, openHigh, units + unchangedUnits, total - unchangedUnits);
    } else {
        NumberOfCharacters = CharacterCount();
    }
    Length = static_cast<int>(total);
}

}  // namespace QuendalText
