// A plain model of editing, searching and comparing (units in a string, the character search
// index by index, Remove as search-and-erase until nothing is found), run against the library
// on generated texts with fixed seeds.
#include "test_support.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <random>
#include <stdexcept>

namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;
using qt_test::UnitsOf;

int ModelFindCharacter(const UTF16String& u, const Char& c, bool forward) {
    const int n = static_cast<int>(u.size()), step = forward ? 1 : -1;
    for (int i = forward ? 0 : n - 1; i >= 0 && i < n;) {
        if (u[i] < 0xD800 || u[i] > 0xDFFF) {
            if (c.IsSingle() && Char(u[i]) == c) return i;
            i += step;
            continue;
        }
        const int earlier = forward ? i : i - 1;
        if (earlier < 0 || earlier + 1 >= n) return -1;
        const std::uint32_t cp = std::uint32_t{u[earlier]} * 0x400u + u[earlier + 1] - 0x35FDC00u;
        if (c.IsSurrogate() && Char(static_cast<UTF32Unit>(cp)) == c) return earlier;
        i += 2 * step;
    }
    return -1;
}

UTF16String ModelRemove(UTF16String u, const Char& c, bool forward) {
    for (int at; (at = ModelFindCharacter(u, c, forward)) != -1;) u.erase(at, c.IsSingle() ? 1 : 2);
    return u;
}

int ModelCompareIgnoringCase(const UTF16String& a, const UTF16String& b, std::size_t limit) {
    for (std::size_t i = 0; i < limit; ++i) {
        if (i >= a.size() || i >= b.size()) return i < a.size() ? 1 : (i < b.size() ? -1 : 0);
        Char x(a[i]), y(b[i]);
        if (x.ToLower() < y.ToLower()) return -1;
        if (x > y) return 1;
    }
    return 0;
}

UTF16String ModelToken(const UTF16String& u, const Text& delimiters, int& position) {
    const UTF16String d = UnitsOf(delimiters);
    std::size_t start = position < 0 ? u.size() : std::min(static_cast<std::size_t>(position), u.size());
    while (start < u.size() && d.find(u[start]) != UTF16String::npos) ++start;
    std::size_t stop = start;
    while (stop < u.size() && ModelFindCharacter(d, Char(u[stop]), delimiters.IsSearchForward()) == -1) ++stop;
    position = static_cast<int>(stop);
    return u.substr(start, stop - start);
}

struct Generator {
    std::mt19937 engine;
    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine); }
    UTF16String Units(int maxLength) {
        static constexpr UTF16Unit kUnits[] = {u'a', u'b', u'A', u',', 0, 0xE9, 0xFFFF, 0xD83D, 0xD800, 0xDE00, 0xDC00};
        UTF16String units(static_cast<std::size_t>(Below(maxLength + 1)), u'a');
        for (UTF16Unit& unit : units) unit = kUnits[Below(std::size(kUnits))];
        return units;
    }
    // Single, invalid, default, pair (U+102441 also decodes from 0xDC00 'A') and lone surrogate.
    Char AnyChar() {
        static const Char kChars[] = {Char(u'a'), Char(u','), Char(UTF16Unit{0}), Char(UTF16Unit{0xFFFF}),
                                      Char(), Char(U'\U0001F600'), Char(U'\U00102441'), Char(UTF32Unit{0xD800})};
        return kChars[Below(std::size(kChars))];
    }
};

std::size_t Size(int count) { return count < 0 ? UTF16String::npos : static_cast<std::size_t>(count); }

void ExpectMatches(const Text& text, const UTF16String& model) {
    const Text fresh(model);
    ASSERT_EQ(UnitsOf(text), model);
    EXPECT_EQ(text.get_Length(), fresh.get_Length());
    EXPECT_EQ(text.get_NumberOfCharacters(), fresh.get_NumberOfCharacters());
}

TEST(TextModel, EditingSequencesKeepUnitsCountsAndSettings) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        Generator gen{std::mt19937(seed)};
        UTF16String model = gen.Units(12);
        Text text(model);
        const bool forward = gen.Below(2) == 0;
        text.set_SearchForward(forward);
        text.set_CaseSensitivity(false);
        for (int step = 0; step < 40; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            const UTF16String other = gen.Units(6), before = model;
            const Char c = gen.AnyChar();
            const UTF16String cUnits(static_cast<const UTF16Unit*>(c));
            const int length = static_cast<int>(model.size()), start = gen.Below(length + 3) - 1;
            const int count = gen.Below(8) - 1;
            const bool inText = start >= 0 && start < length;
            switch (gen.Below(8)) {
                case 0:
                    if (gen.Below(2) == 0) text += Text(other), model += other;
                    else text += other.c_str(), model += other.c_str();  // stops at a NUL
                    break;
                case 1: text += c, model += cUnits; break;
                case 2: if (inText) text.set_CharacterAt(start, c), model.insert(start, cUnits); break;
                case 3: if (inText) text.RemoveAt(start), model.erase(start, 1); break;
                case 4:
                    if (start < 0 || start > length) EXPECT_THROW(text.Replace(Text(other), start, count), std::out_of_range);
                    else text.Replace(Text(other), start, count), model.replace(start, Size(count), other);
                    break;
                case 5: {
                    const bool valid = start >= 0 && start <= static_cast<int>(other.size());
                    EXPECT_EQ(text.Concatenate(Text(other), start, count), valid);
                    if (valid) model += other.substr(start, Size(count));
                    break;
                }
                case 6: text.Remove(c), model = ModelRemove(model, c, forward); break;
                default: {
                    const bool withText = gen.Below(2) == 0;
                    const Text joined = withText ? text + Text(other) : text + c;
                    model += withText ? other : cUnits;
                    EXPECT_EQ(UnitsOf(text), before);  // the operands stay as they were
                    EXPECT_TRUE(joined.IsSearchForward() && joined.IsCaseSensitive());
                    text = joined;
                    text.set_SearchForward(forward);
                    text.set_CaseSensitivity(false);
                }
            }
            ExpectMatches(text, model);
            EXPECT_FALSE(text.IsCaseSensitive());
            EXPECT_EQ(text.IsSearchForward(), forward);
        }
    }
}

TEST(TextModel, SearchesAndComparisonsAgreeWithModel) {
    Generator gen{std::mt19937(2024)};
    const auto asIndex = [](std::size_t found) { return found == UTF16String::npos ? -1 : static_cast<int>(found); };
    for (int trial = 0; trial < 6000; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const UTF16String units = gen.Units(14), other = gen.Units(4);
        Text text(units), pattern(other);
        const bool forward = gen.Below(2) == 0;
        text.set_SearchForward(forward);
        pattern.set_SearchForward(gen.Below(2) == 0);
        const int start = gen.Below(static_cast<int>(units.size()) + 3) - 1;
        const std::size_t at = static_cast<std::size_t>(start);
        const Char c = gen.AnyChar();

        for (int i = 0; i < text.get_Length(); ++i) EXPECT_TRUE(text[i] == Char(units[i]) && text.get_CharacterAt(i) == text[i]);
        EXPECT_EQ(text.FindCharacter(c), ModelFindCharacter(units, c, forward));
        for (const bool direction : {true, false}) {
            Text copy(units);
            copy.set_SearchForward(direction);
            ExpectMatches(copy.Remove(c), ModelRemove(units, c, direction));
            EXPECT_EQ(copy.IsSearchForward(), direction);
        }
        EXPECT_EQ(text.FindString(pattern, start), asIndex(units.find(other, at)));
        EXPECT_EQ(text.FindFromCharacterSet(pattern, start), asIndex(units.find_first_of(other, at)));
        EXPECT_EQ(text.FindNotFromCharacterSet(pattern, start), asIndex(units.find_first_not_of(other, at)));

        int position = start, modelPosition = start;
        const Text token = text.FindToken(pattern, &position);
        EXPECT_EQ(UnitsOf(token), ModelToken(units, pattern, modelPosition));
        EXPECT_EQ(position, modelPosition);
        EXPECT_TRUE(token.IsCaseSensitive() && token.IsSearchForward());

        // Case respected: the standard comparison of the first `count` units (negative: all).
        const int count = gen.Below(8) - 2, order = units.compare(other);
        const int sign = units.compare(0, Size(count), other, 0, Size(count));
        EXPECT_EQ(text.Compare(pattern, count), (sign > 0) - (sign < 0));
        text.set_CaseSensitivity(false);
        const std::size_t limit = count == -1 ? std::max(units.size(), other.size()) : std::max(count, 0);
        EXPECT_EQ(text.Compare(pattern, count), ModelCompareIgnoringCase(units, other, limit));
        EXPECT_EQ((std::array{text == pattern, text != pattern, text < pattern, text <= pattern, text > pattern, text >= pattern}),
                  (std::array{order == 0, order != 0, order < 0, order <= 0, order > 0, order >= 0}));
    }
}

}  // namespace
