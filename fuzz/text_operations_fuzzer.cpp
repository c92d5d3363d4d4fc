// Random sequences of edits and searches on one Text, with negative and huge indexes, against a
// plain std::basic_string model of its units (and of its code points for ReplaceAll, Trimmed and
// FindFolded, folded by ICU one stretch at a time). After every step the units equal the model's and
// the cached counts equal a fresh recount; every call that throws leaves the text unchanged.
#include "fuzz_input.h"

#include <QuendalText/QuendalText.h>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <vector>

namespace {

using fuzz::Check;
using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;

UTF16String UnitsOf(const Text& text) {
    return UTF16String(text.c_str(), static_cast<std::size_t>(text.get_Length()));
}
UTF16String UnitsOf(const Char& character) { return static_cast<const UTF16Unit*>(character); }
bool IsSurrogate(UTF16Unit unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The character search as its rule reads: a surrogate unit is read with its neighbour in the
// direction of travel as one two-unit character, which only a surrogate Char can match.
int ModelFind(const UTF16String& units, const Char& sought, bool forward) {
    const int n = static_cast<int>(units.size()), step = forward ? 1 : -1;
    for (int i = forward ? 0 : n - 1; i >= 0 && i < n;) {
        const UTF16Unit unit = units[static_cast<std::size_t>(i)];
        if (!IsSurrogate(unit)) {
            if (sought.IsSingle() && Char(unit) == sought) return i;
            i += step;
            continue;
        }
        const int first = forward ? i : i - 1;
        if (first < 0 || first + 1 >= n) return -1;
        const auto high = units[static_cast<std::size_t>(first)];
        const auto low = units[static_cast<std::size_t>(first) + 1];
        const std::uint32_t codePoint = high * 0x400u + low - 0x35FDC00u;
        if (sought.IsSurrogate() && Char(codePoint) == sought) return first;
        i += 2 * step;
    }
    return -1;
}

// The code points' starts: a high surrogate and a low one after it make one code point.
std::vector<std::size_t> Bounds(const UTF16String& units) {
    std::vector<std::size_t> bounds{0};
    for (std::size_t i = 0; i < units.size(); bounds.push_back(i)) {
        const bool pair = i + 1 < units.size() && units[i] >= 0xD800 && units[i] <= 0xDBFF &&
                          units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF;
        i += pair ? 2 : 1;
    }
    return bounds;
}

// str.replace over code points: an occurrence is whole code points of the text.
UTF16String ModelReplaceAll(const UTF16String& units, const UTF16String& from,
                            const UTF16String& to) {
    const std::vector<std::size_t> bounds = Bounds(units);
    UTF16String out;
    std::size_t b = 0;
    while (b + 1 < bounds.size()) {
        const std::size_t at = bounds[b];
        std::size_t e = b;
        while (e < bounds.size() && bounds[e] < at + from.size()) ++e;
        if (e < bounds.size() && bounds[e] == at + from.size() &&
            units.compare(at, from.size(), from) == 0) {
            out += to;
            b = e;
        } else {
            out += units.substr(at, bounds[b + 1] - at);
            ++b;
        }
    }
    return out;
}

UTF16String Folded(const UTF16String& units) {
    UTF16String folded(3 * units.size() + 1, UTF16Unit{0});
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        u_strFoldCase(reinterpret_cast<UChar*>(&folded[0]), static_cast<int32_t>(folded.size()),
                      reinterpret_cast<const UChar*>(units.data()),
                      static_cast<int32_t>(units.size()), U_FOLD_CASE_DEFAULT, &status);
    Check(U_SUCCESS(status));
    folded.resize(static_cast<std::size_t>(length));
    return folded;
}

// The first stretch of whole code points from `start` on that folds as the pattern does.
QuendalText::Span ModelFindFolded(const UTF16String& units, const UTF16String& pattern, int start) {
    const std::vector<std::size_t> bounds = Bounds(units);
    const UTF16String sought = Folded(pattern);
    for (std::size_t b = 0; b < bounds.size(); ++b) {
        if (static_cast<int>(bounds[b]) < start) continue;
        if (sought.empty()) return {static_cast<int>(bounds[b]), 0};
        for (std::size_t e = b + 1; e < bounds.size(); ++e) {
            const UTF16String folded = Folded(units.substr(bounds[b], bounds[e] - bounds[b]));
            if (folded == sought) {
                return {static_cast<int>(bounds[b]), static_cast<int>(bounds[e] - bounds[b])};
            }
            if (folded.size() >= sought.size()) break;
        }
    }
    return {};
}

constexpr std::size_t kMostUnitsToReplaceIn = 1024;

int Index(fuzz::Input& input, const UTF16String& model) {
    switch (input.Byte() % 8) {
        case 0: return -1 - static_cast<int>(input.Byte());
        case 1: return INT_MAX - static_cast<int>(input.Byte());
        case 2: return INT_MIN + static_cast<int>(input.Byte());
        default: return static_cast<int>(input.Below(static_cast<std::uint32_t>(model.size()) + 2));
    }
}

UTF16String Units(fuzz::Input& input) {
    UTF16String units(input.Byte() % 9, UTF16Unit{0});
    for (UTF16Unit& unit : units) unit = input.Unit();
    return units;
}

// Runs `edit`, which changes `model` the same way when it succeeds; a throw (of the type the
// model expects, `expectThrow`) must leave both as they were.
template <class Edit>
void Step(Text& text, bool expectThrow, Edit edit) {
    const UTF16String before = UnitsOf(text);
    const int count = text.get_NumberOfCharacters();
    try {
        edit();
        Check(!expectThrow);
    } catch (const std::out_of_range&) {
        Check(expectThrow && UnitsOf(text) == before && text.get_NumberOfCharacters() == count);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    UTF16String model = Units(input);
    Text text(model);
    while (!input.Empty()) {
        const int at = Index(input, model), count = Index(input, model);
        const auto position = static_cast<std::size_t>(at);
        const bool inText = at >= 0 && at < static_cast<int>(model.size());
        const bool reachable = at >= 0 && position <= model.size();
        const UTF16String units = Units(input);
        const Char character =
            input.Byte() % 3 ? Char(input.Unit()) : Char(0x10000u + input.Word() % 0x100000u);
        switch (input.Byte() % 14) {
            case 0: text += character, model += UnitsOf(character); break;
            case 1: text += units.c_str(), model += units.c_str(); break;
            case 2: text += Text(units), model += units; break;
            case 3:
                Step(text, !inText, [&] { text.RemoveAt(at), model.erase(position, 1); });
                break;
            case 4:
                Step(text, !inText, [&] {
                    text.set_CharacterAt(at, character), model.insert(position, UnitsOf(character));
                });
                break;
            case 5:
                Step(text, !reachable, [&] {
                    text.Replace(Text(units), at, count);
                    model.replace(position, static_cast<std::size_t>(count), units);
                });
                break;
            case 6: {
                const Text source(units);
                const bool fits = at >= 0 && position <= units.size();
                Check(text.Concatenate(source, at, count) == fits);
                if (fits) model += units.substr(position, static_cast<std::size_t>(count));
                break;
            }
            case 7: {
                text.set_SearchForward(input.Byte() % 2 == 0);
                Check(text.FindCharacter(character) ==
                      ModelFind(model, character, text.IsSearchForward()));
                text.Remove(character);
                const std::size_t width = character.IsSingle() ? 1 : 2;
                for (int found;
                     (found = ModelFind(model, character, text.IsSearchForward())) != -1;) {
                    model.erase(static_cast<std::size_t>(found), width);
                }
                break;
            }
            case 8:
                try {
                    const Text piece = text.SubString(at, count);
                    Check(reachable && UnitsOf(piece) ==
                                           model.substr(position, static_cast<std::size_t>(count)));
                } catch (const std::out_of_range&) {
                    Check(!reachable);
                }
                break;
            case 9: {
                const Text other(units);
                Check(text.FindString(other, at) ==
                      (reachable ? static_cast<int>(model.find(units, position)) : -1));
                const int order = model.compare(units);
                Check(text.Compare(other, -1) == (order > 0) - (order < 0));
                Check((text < other) == (model < units) && (text == other) == (model == units));
                break;
            }
            case 11: {
                // Each replacement may make the text several times longer.
                if (units.empty() || model.size() > kMostUnitsToReplaceIn) break;
                const std::size_t cut = std::min<std::size_t>(2, units.size());
                const UTF16String from = units.substr(0, cut), to = units.substr(cut);
                Check(&text.ReplaceAll(from, to) == &text);
                model = ModelReplaceAll(model, from, to);
                break;
            }
            case 12: {
                std::size_t first = 0, end = model.size();
                while (first < end && u_isUWhiteSpace(model[first])) ++first;
                while (end > first && u_isUWhiteSpace(model[end - 1])) --end;
                const Text trimmed = text.Trimmed();
                Check(UnitsOf(trimmed) == model.substr(first, end - first));
                Check(trimmed.get_NumberOfCharacters() ==
                      Text(UnitsOf(trimmed)).get_NumberOfCharacters());
                break;
            }
            case 13:
                if (model.size() <= 48) {
                    const QuendalText::Span found = text.FindFolded(units, at);
                    const QuendalText::Span expected = ModelFindFolded(model, units, at);
                    Check(found.Start == expected.Start && found.Length == expected.Length);
                }
                break;
            default: {
                int tokenPosition = at;
                const Text token = text.FindToken(Text(units), &tokenPosition);
                Check(tokenPosition >= 0 && tokenPosition <= text.get_Length());
                Check(token.get_Length() <= text.get_Length());
                break;
            }
        }
        Check(UnitsOf(text) == model);
        Check(text.get_NumberOfCharacters() == Text(model).get_NumberOfCharacters());
    }
    return 0;
}
