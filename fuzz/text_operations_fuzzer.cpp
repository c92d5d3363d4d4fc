// Random sequences of edits on one Text, with negative and huge indexes, against a plain
// std::basic_string model of its units. After every step the units equal the model's and the cached
// counts equal a fresh recount; every call that throws leaves the text unchanged. The searches are
// checked against their models over generated texts in tests/text_search_test.cpp.
#include "fuzz_input.h"

#include <QuendalText/QuendalText.h>

#include <climits>
#include <stdexcept>

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
        switch (input.Byte() % 8) {
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
            default:
                try {
                    const Text piece = text.SubString(at, count);
                    Check(reachable && UnitsOf(piece) ==
                                           model.substr(position, static_cast<std::size_t>(count)));
                } catch (const std::out_of_range&) {
                    Check(!reachable);
                }
                break;
        }
        Check(UnitsOf(text) == model);
        Check(text.get_NumberOfCharacters() == Text(model).get_NumberOfCharacters());
    }
    return 0;
}
