// A plain reference model of editing, searching and comparing, written the simple way (units in
// a string, the character search index by index, Remove as search-and-erase until nothing is
// found), run against the library on generated texts with fixed seeds.
#include "test_support.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <stdexcept>

namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;
using qt_test::UnitsOf;

bool IsSurrogate(UTF16Unit unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

int ModelFindCharacter(const UTF16String& u, const Char& c, bool forward) {
    const int n = static_cast<int>(u.size());
    const int step = forward ? 1 : -1;
    for (int i = forward ? 0 : n - 1; i >= 0 && i < n;) {
        if (IsSurrogate(u[i])) {
            const int earlier = forward ? i : i - 1;
            if (earlier < 0 || earlier + 1 >= n) return -1;
            const std::uint32_t cp = std::uint32_t{u[earlier]} * 0x400u + u[earlier + 1] - 0x35FDC00u;
            if (c.IsSurrogate() && Char(static_cast<UTF32Unit>(cp)) == c) return earlier;
            i += 2 * step;
        } else {
            if (c.IsSingle() && Char(u[i]) == c) return i;
            i += step;
        }
    }
    return -1;
}

UTF16String ModelRemove(UTF16String u, const Char& c, bool forward) {
    for (int at; (at = ModelFindCharacter(u, c, forward)) != -1;) u.erase(at, c.IsSingle() ? 1 : 2);
    return u;
}

// Unit-by-unit order over at most `limit` units, a proper prefix first; with `foldCase`, each
// unit read as a Char and lower-cased.
int ModelCompare(const UTF16String& a, const UTF16String& b, std::size_t limit, bool foldCase) {
    for (std::size_t i = 0; i < limit; ++i) {
        if (i >= a.size() || i >= b.size()) return i < a.size() ? 1 : (i < b.size() ? -1 : 0);
        if (!foldCase) {
            if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
            continue;
        }
        Char x(a[i]), y(b[i]);
        x.ToLower();
        y.ToLower();
        if (x < y) return -1;
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

class Generator {
public:
    explicit Generator(unsigned seed) : engine_(seed) {}
    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine_); }
    UTF16String Units(int maxLength) {
        static constexpr UTF16Unit kUnits[] = {u'a', u'b', u'A', u',', 0, 0xE9, 0xFFFF, 0xD83D, 0xD800, 0xDE00, 0xDC00};
        UTF16String units(static_cast<std::size_t>(Below(maxLength + 1)), u'a');
        for (UTF16Unit& unit : units) unit = kUnits[Below(sizeof kUnits / sizeof kUnits[0])];
        return units;
    }
    // Single, invalid, default, pair (0x102441 decodes from 0xDC00 followed by 'A') and lone
    // surrogate characters.
    Char AnyChar() {
        static const Char kChars[] = {Char(u'a'), Char(u','), Char(UTF16Unit{0}), Char(UTF16Unit{0xFFFF}), Char(),
                                      Char(U'\U0001F600'), Char(U'\U00102441'), Char(UTF32Unit{0xD800}),
                                      Char(UTF16Unit{0xE9})};
        return kChars[Below(sizeof kChars / sizeof kChars[0])];
    }

private:
    std::mt19937 engine_;
};

void ExpectMatches(const Text& text, const UTF16String& model) {
    const Text fresh(model);
    ASSERT_EQ(UnitsOf(text), model);
    EXPECT_EQ(text.get_Length(), fresh.get_Length());
    EXPECT_EQ(text.get_NumberOfCharacters(), fresh.get_NumberOfCharacters());
}

TEST(TextModel, EditingSequencesKeepUnitsAndCountsTrue) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        Generator gen(seed);
        UTF16String model = gen.Units(12);
        Text text(model);
        const bool forward = gen.Below(2) == 0;
        text.set_SearchForward(forward);
        text.set_CaseSensitivity(false);
        for (int step = 0; step < 40; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            const UTF16String other = gen.Units(6);
            const Char c = gen.AnyChar();
            const int length = static_cast<int>(model.size());
            const int start = gen.Below(length + 3) - 1, count = gen.Below(8) - 1;
            const std::size_t position = static_cast<std::size_t>(start);
            switch (gen.Below(9)) {
                case 0: text += Text(other), model += other; break;
                case 1: text += c, model += static_cast<const UTF16Unit*>(c); break;
                case 2: text += other.c_str(), model += other.c_str(); break;
                case 3:
                    if (start >= 0 && start < length) {
                        text.set_CharacterAt(start, c);
                        model.insert(position, static_cast<const UTF16Unit*>(c));
                    }
                    break;
                case 4:
                    if (start >= 0 && start < length) text.RemoveAt(start), model.erase(position, 1);
                    break;
                case 5:
                    if (start >= 0 && start <= length) {
                        text.Replace(Text(other), start, count);
                        model.replace(position, count < 0 ? model.npos : static_cast<std::size_t>(count), other);
                    } else {
                        EXPECT_THROW(text.Replace(Text(other), start, count), std::out_of_range);
                    }
                    break;
                case 6: {
                    const Text source(other);
                    const bool inRange = start >= 0 && start <= static_cast<int>(other.size());
                    EXPECT_EQ(text.Concatenate(source, start, count), inRange);
                    if (inRange) model += other.substr(position, count < 0 ? other.npos : static_cast<std::size_t>(count));
                    break;
                }
                case 7:
                    text.Remove(c);
                    model = ModelRemove(model, c, forward);
                    EXPECT_EQ(text.IsSearchForward(), forward);
                    break;
                default: {
                    const UTF16String before = model;
                    const bool withText = gen.Below(2) == 0;
                    const Text joined = withText ? text + Text(other) : text + c;
                    model += withText ? other : UTF16String(static_cast<const UTF16Unit*>(c));
                    EXPECT_EQ(UnitsOf(text), before);
                    EXPECT_TRUE(joined.IsSearchForward() && joined.IsCaseSensitive());
                    text = joined;
                    text.set_SearchForward(forward);
                    text.set_CaseSensitivity(false);
                }
            }
            EXPECT_FALSE(text.IsCaseSensitive());
            EXPECT_EQ(text.IsSearchForward(), forward);
            ExpectMatches(text, model);
        }
    }
}

TEST(TextModel, SearchesAndComparisonsAgreeWithModel) {
    Generator gen(2024);
    for (int trial = 0; trial < 6000; ++trial) {
        const UTF16String units = gen.Units(14), other = gen.Units(4);
        Text text(units), pattern(other);
        const bool forward = gen.Below(2) == 0;
        text.set_SearchForward(forward);
        pattern.set_SearchForward(gen.Below(2) == 0);
        const int start = gen.Below(static_cast<int>(units.size()) + 3) - 1;
        const std::size_t position = static_cast<std::size_t>(start);
        const Char c = gen.AnyChar();
        SCOPED_TRACE(testing::Message() << "trial " << trial);

        EXPECT_EQ(text.FindCharacter(c), ModelFindCharacter(units, c, forward));
        for (const bool direction : {true, false}) {
            Text copy(units);
            copy.set_SearchForward(direction);
            ExpectMatches(copy.Remove(c), ModelRemove(units, c, direction));
            EXPECT_EQ(copy.IsSearchForward(), direction);
        }
        const auto asIndex = [](std::size_t found) { return found == UTF16String::npos ? -1 : static_cast<int>(found); };
        EXPECT_EQ(text.FindString(pattern, start), asIndex(units.find(other, position)));
        EXPECT_EQ(text.FindFromCharacterSet(pattern, start), asIndex(units.find_first_of(other, position)));
        EXPECT_EQ(text.FindNotFromCharacterSet(pattern, start), asIndex(units.find_first_not_of(other, position)));

        int position1 = start, position2 = start;
        const Text token = text.FindToken(pattern, &position1);
        EXPECT_EQ(UnitsOf(token), ModelToken(units, pattern, position2));
        EXPECT_EQ(position1, position2);

        const bool caseSensitive = gen.Below(2) == 0;
        text.set_CaseSensitivity(caseSensitive);
        const int count = gen.Below(8) - 2;  // -2, -1 (all units), 0 and more
        const std::size_t whole = std::max(units.size(), other.size());
        const std::size_t limit = count == -1 || (caseSensitive && count < 0) ? whole
                                  : count < 0                                 ? 0
                                                                              : static_cast<std::size_t>(count);
        EXPECT_EQ(text.Compare(pattern, count), ModelCompare(units, other, limit, !caseSensitive));
        const int order = ModelCompare(units, other, whole, false);
        EXPECT_EQ(text == pattern, order == 0);
        EXPECT_EQ(text != pattern, order != 0);
        EXPECT_EQ(text < pattern, order < 0);
        EXPECT_EQ(text <= pattern, order <= 0);
        EXPECT_EQ(text > pattern, order > 0);
        EXPECT_EQ(text >= pattern, order >= 0);
    }
}

}  // namespace
