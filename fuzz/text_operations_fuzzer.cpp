// Drives a Text through a sequence of edits, searches and conversions read from the input.
// Nothing may crash or write outside a buffer, a failed edit must leave the text unchanged, and
// after every step the cached counts must equal those of a text built afresh from its units.
#include <QuendalText/QuendalText.h>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;

void Check(bool condition) {
    if (!condition) std::abort();
}

UTF16String UnitsOf(const Text& text) {
    return UTF16String(text.c_str(), static_cast<std::size_t>(text.get_Length()));
}

void CheckCounts(const Text& text) {
    const Text fresh(UnitsOf(text));
    Check(text.get_Length() == fresh.get_Length());
    Check(text.get_NumberOfCharacters() == fresh.get_NumberOfCharacters());
}

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return position_ >= size_; }
    std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    // Units are drawn mostly from the interesting corners: NUL, ASCII, surrogates, U+FFFF.
    UTF16Unit Unit() {
        static const UTF16Unit kCorners[] = {0,      u'a',   u',',   0xE9,  0xD83D,
                                             0xDE00, 0xDBFF, 0xDC00, 0xFFFF};
        const std::uint8_t selector = Byte();
        if (selector < 160) return kCorners[selector % (sizeof kCorners / sizeof kCorners[0])];
        return static_cast<UTF16Unit>(selector << 8 | Byte());
    }
    UTF16String Units() {
        UTF16String units(Byte() % 8, 0);
        for (auto& unit : units) unit = Unit();
        return units;
    }
    int Index(const Text& text) { return static_cast<int>(Byte()) % (text.get_Length() + 3) - 1; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

template <class Edit>
void ExpectUnchangedOnIndexError(Text& text, Edit edit) {
    const UTF16String before = UnitsOf(text);
    try {
        edit();
    } catch (const std::out_of_range&) {
        Check(UnitsOf(text) == before);
    }
}

void Convert(const Text& text) {
    std::vector<char> utf8(static_cast<std::size_t>(text.get_EncodingSize(UTF8Encoding, true)) + 1);
    std::vector<UTF16Unit> utf16(static_cast<std::size_t>(text.get_Length()) + 1);
    std::vector<QuendalText::UTF32Unit> utf32(static_cast<std::size_t>(text.get_Length()) + 1);
    try {
        text.ToUTF8(utf8.data(), static_cast<int>(utf8.size()), true);
    } catch (const std::runtime_error&) {}
    try {
        text.ToUTF32(utf32.data(), static_cast<int>(utf32.size()), true);
    } catch (const std::runtime_error&) {}
    text.ToUTF16(utf16.data(), static_cast<int>(utf16.size() * sizeof(UTF16Unit)), true);
    Check(UTF16String(utf16.data(), utf16.size() - 1) == UnitsOf(text));
    text.ToAscii(utf8.data(), static_cast<int>(utf8.size()), true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    Text text(input.Units());
    while (!input.Empty()) {
        switch (input.Byte() % 12) {
            case 0: text += Char(input.Unit()); break;
            case 1: text += input.Units().c_str(); break;
            case 2: text += Text(input.Units()); break;
            case 3:
                ExpectUnchangedOnIndexError(text, [&] { text.RemoveAt(input.Index(text)); });
                break;
            case 4: {
                const Char character(
                    static_cast<QuendalText::UTF32Unit>(input.Byte() % 2 ? 0x1F600 : u'a'));
                ExpectUnchangedOnIndexError(
                    text, [&] { text.set_CharacterAt(input.Index(text), character); });
                break;
            }
            case 5: {
                const Text replacement(input.Units());
                const int start = input.Index(text);
                const int count = input.Index(text);
                ExpectUnchangedOnIndexError(text, [&] { text.Replace(replacement, start, count); });
                break;
            }
            case 6: {
                text.set_SearchForward(input.Byte() % 2 == 0);
                const Char removed(input.Unit());
                text.Remove(removed);
                if (removed.IsSingle()) Check(text.FindCharacter(removed) == -1);
                break;
            }
            case 7: {
                const int start = input.Index(text);
                const int count = input.Index(text);
                try {
                    CheckCounts(text.SubString(start, count));
                } catch (const std::out_of_range&) {
                    Check(start < 0 || start > text.get_Length());
                }
                break;
            }
            case 8: {
                const Text delimiters(input.Units());
                int position = input.Index(text);
                for (int steps = 0; steps <= text.get_Length() + 1; ++steps) {
                    const Text token = text.FindToken(delimiters, &position);
                    Check(position >= 0 && position <= text.get_Length());
                    if (token.IsEmpty()) break;
                }
                break;
            }
            case 9: {
                text.set_SearchForward(input.Byte() % 2 == 0);
                const int found = text.FindCharacter(Char(input.Unit()));
                Check(found >= -1 && found < text.get_Length());
                break;
            }
            case 10: {
                const Text other(input.Units());
                text.set_CaseSensitivity(input.Byte() % 2 == 0);
                const int count = static_cast<int>(input.Byte() % 10) - 2;
                const int order = text.Compare(other, count);
                Check(order >= -1 && order <= 1);
                Check((text == other) == (UnitsOf(text) == UnitsOf(other)));
                break;
            }
            default: Convert(text); break;
        }
        CheckCounts(text);
    }
    return 0;
}
