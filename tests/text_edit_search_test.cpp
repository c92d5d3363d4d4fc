// Character access, editing, searching and comparing: a plain model (units in a string, the
// character search index by index, Remove as search-and-erase until nothing is found) run on
// generated texts with fixed seeds, and rows that pin the model's own reading of the rules.
#include "test_support.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>

namespace qt_test {
namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF32Unit;

std::size_t Size(int count) {
    return count < 0 ? UTF16String::npos : static_cast<std::size_t>(count);
}

int ModelFindCharacter(const UTF16String& u, const Char& c, bool forward) {
    const int n = static_cast<int>(u.size()), step = forward ? 1 : -1;
    for (int i = forward ? 0 : n - 1; i >= 0 && i < n;) {
        const UTF16Unit unit = u[Size(i)];
        if (unit < 0xD800 || unit > 0xDFFF) {
            if (c.IsSingle() && Char(unit) == c) return i;
            i += step;
            continue;
        }
        const int earlier = forward ? i : i - 1;
        if (earlier < 0 || earlier + 1 >= n) return -1;
        const std::uint32_t cp =
            std::uint32_t{u[Size(earlier)]} * 0x400u + u[Size(earlier) + 1] - 0x35FDC00u;
        if (c.IsSurrogate() && Char(static_cast<UTF32Unit>(cp)) == c) return earlier;
        i += 2 * step;
    }
    return -1;
}

UTF16String ModelRemove(UTF16String u, const Char& c, bool forward) {
    for (int at; (at = ModelFindCharacter(u, c, forward)) != -1;)
        u.erase(Size(at), c.IsSingle() ? 1 : 2);
    return u;
}

int ModelCompareIgnoringCase(const UTF16String& a, const UTF16String& b, std::size_t limit) {
    for (std::size_t i = 0; i < limit; ++i) {
        if (i >= a.size() || i >= b.size()) return i < a.size() ? 1 : (i < b.size() ? -1 : 0);
        Char x(a[i]), y(b[i]);
        x.ToLower();
        y.ToLower();
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

UTF16String ModelToken(const UTF16String& u, const Text& delimiters, int& position) {
    const UTF16String d = UnitsOf(delimiters);
    std::size_t start =
        position < 0 ? u.size() : std::min(static_cast<std::size_t>(position), u.size());
    while (start < u.size() && d.find(u[start]) != UTF16String::npos) ++start;
    std::size_t stop = start;
    while (stop < u.size() &&
           ModelFindCharacter(d, Char(u[stop]), delimiters.IsSearchForward()) == -1)
        ++stop;
    position = static_cast<int>(stop);
    return u.substr(start, stop - start);
}

struct Generator {
    std::mt19937 engine;
    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine); }
    UTF16String Units(int maxLength) {
        static constexpr UTF16Unit kUnits[] = {u'a',   u'b',   u'A',   u',',   0,     0xE9,
                                               0xFFFF, 0xD83D, 0xD800, 0xDE00, 0xDC00};
        UTF16String units(static_cast<std::size_t>(Below(maxLength + 1)), u'a');
        for (UTF16Unit& unit : units) unit = kUnits[Below(std::size(kUnits))];
        return units;
    }
    // Single, U+FFFF, invalid, default, pair (U+102441 also decodes from 0xDC00 'A'), lone surrogate.
    Char AnyChar() {
        static const Char kChars[] = {Char(u'a'),
                                      Char(u','),
                                      Char(UTF16Unit{0}),
                                      Char(UTF16Unit{0xFFFF}),
                                      Char(char(0x80)),
                                      Char(),
                                      Char(U'\U0001F600'),
                                      Char(U'\U00102441'),
                                      Char(UTF32Unit{0xD800})};
        return kChars[Below(std::size(kChars))];
    }
};

void ExpectMatches(const Text& text, const UTF16String& model) {
    ASSERT_EQ(UnitsOf(text), model);
    EXPECT_EQ(text.get_NumberOfCharacters(), Text(model).get_NumberOfCharacters());
}

Text WithSettings(const UTF16String& units, bool forward, bool caseSensitive = true) {
    Text text(units);
    text.set_SearchForward(forward);
    text.set_CaseSensitivity(caseSensitive);
    return text;
}

TEST(TextModel, EditingSequencesKeepUnitsCountsAndSettings) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        Generator gen{std::mt19937(seed)};
        UTF16String model = gen.Units(12);
        const bool forward = gen.Below(2) == 0;
        Text text = WithSettings(model, forward, false);
        for (int step = 0; step < 40; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            // Now and then the text itself is the other operand.
            const bool itself = gen.Below(4) == 0;
            const UTF16String before = model, other = itself ? model : gen.Units(6);
            const Text otherText(other);
            const Text& operand = itself ? text : otherText;
            const Char c = gen.AnyChar();
            const UTF16String cUnits(static_cast<const UTF16Unit*>(c));
            const int length = static_cast<int>(model.size()), start = gen.Below(length + 3) - 1,
                      count = gen.Below(8) - 1;
            const bool inText = start >= 0 && start < length;
            switch (gen.Below(8)) {
                case 0:
                    if (gen.Below(2) == 0)
                        text += operand, model += other;
                    else
                        text += other.c_str(), model += other.c_str();  // stops at a NUL
                    break;
                case 1: text += c, model += cUnits; break;
                case 2:
                    if (inText)
                        text.set_CharacterAt(start, c), model.insert(Size(start), cUnits);
                    else
                        EXPECT_RAISES(text.set_CharacterAt(start, c), std::out_of_range,
                                      "Text::set_CharacterAt", 740, "Invalid index");
                    break;
                case 3:
                    if (inText)
                        text.RemoveAt(start), model.erase(Size(start), 1);
                    else
                        EXPECT_RAISES(text.RemoveAt(start), std::out_of_range, "Text::RemoveAt",
                                      765, "Invalid Index");
                    break;
                case 4:
                    if (start >= 0 && start <= length) {
                        text.Replace(operand, start, count),
                            model.replace(Size(start), Size(count), other);
                    } else {  // the standard string's own error, not one of the library
                        try {
                            text.Replace(operand, start, count);
                            ADD_FAILURE() << "Replace took the start " << start;
                        } catch (const std::out_of_range& error) {
                            EXPECT_EQ(dynamic_cast<const QuendalLog::Exception*>(&error), nullptr);
                        }
                    }
                    break;
                case 5: {
                    const bool valid = start >= 0 && start <= static_cast<int>(other.size());
                    EXPECT_EQ(text.Concatenate(operand, start, count), valid);
                    if (valid) model += other.substr(Size(start), Size(count));
                    break;
                }
                case 6:
                    EXPECT_EQ(&text.Remove(c), &text);
                    model = ModelRemove(model, c, forward);
                    break;
                default: {
                    const bool withText = gen.Below(2) == 0;
                    const Text joined = withText ? text + operand : text + c;
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
    const auto asIndex = [](std::size_t found) {
        return found == UTF16String::npos ? -1 : static_cast<int>(found);
    };
    for (int trial = 0; trial < 6000; ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        const UTF16String units = gen.Units(14), other = gen.Units(4);
        const bool forward = gen.Below(2) == 0;
        Text text = WithSettings(units, forward), pattern = WithSettings(other, gen.Below(2) == 0);
        const int length = static_cast<int>(units.size()), start = gen.Below(length + 3) - 1,
                  count = gen.Below(12) - 6;
        const std::size_t at = static_cast<std::size_t>(start);
        const Char c = gen.AnyChar();

        for (int i = -1; i <= length; ++i) {
            if (i >= 0 && i < length) {
                EXPECT_TRUE(text[i] == Char(units[Size(i)]) && text.get_CharacterAt(i) == text[i]);
            } else {
                EXPECT_RAISES(text.get_CharacterAt(i), std::out_of_range, "Text::get_CharacterAt",
                              752, "Invalid index");
                EXPECT_RAISES(text[i], std::out_of_range, "Text::operator[]", 813, "Invalid index");
            }
        }
        EXPECT_EQ(text.FindCharacter(c), ModelFindCharacter(units, c, forward));
        for (const bool direction : {true, false}) {
            Text copy = WithSettings(units, direction);
            ExpectMatches(copy.Remove(c), ModelRemove(units, c, direction));
            EXPECT_EQ(copy.IsSearchForward(), direction);
        }
        EXPECT_EQ(text.FindString(pattern, start), asIndex(units.find(other, at)));
        EXPECT_EQ(text.FindString(pattern), asIndex(units.find(other)));
        EXPECT_EQ(text.FindFromCharacterSet(pattern, start),
                  asIndex(units.find_first_of(other, at)));
        EXPECT_EQ(text.FindNotFromCharacterSet(pattern, start),
                  asIndex(units.find_first_not_of(other, at)));

        int position = start, modelPosition = start;
        const Text token = text.FindToken(pattern, &position);
        EXPECT_EQ(UnitsOf(token), ModelToken(units, pattern, modelPosition));
        EXPECT_EQ(position, modelPosition);
        EXPECT_TRUE(token.IsCaseSensitive() && token.IsSearchForward());

        // Case respected: the standard comparison of the first `count` units (negative: all).
        const int order = units.compare(other),
                  sign = units.compare(0, Size(count), other, 0, Size(count));
        EXPECT_EQ(text.Compare(pattern, count), (sign > 0) - (sign < 0));
        text.set_CaseSensitivity(false);
        const std::size_t limit =
            count == -1 ? std::max(units.size(), other.size()) : Size(std::max(count, 0));
        EXPECT_EQ(text.Compare(pattern, count), ModelCompareIgnoringCase(units, other, limit));
        EXPECT_EQ((std::array{text == pattern, text != pattern,
                              text<pattern, text <= pattern, text> pattern, text >= pattern}),
                  (std::array{order == 0, order != 0, order<0, order <= 0, order> 0, order >= 0}));

        if (at > units.size()) {
            EXPECT_THROW(text.SubString(start, count), std::out_of_range);
        } else {
            const Text piece = text.SubString(start, count);
            EXPECT_EQ(UnitsOf(piece), units.substr(at, Size(count)));
            EXPECT_TRUE(piece.IsCaseSensitive() && piece.IsSearchForward());
        }
    }
}

TEST(TextModel, RowsThatPinTheModel) {
    const Char smiley(U'\U0001F600');  // the pair 0xD83D 0xDE00
    const UTF16String pairThenA = Units({0xD83D, 0xDE00, 'A'});
    const auto find = [](const UTF16String& units, const Char& c, bool forward) {
        return WithSettings(units, forward).FindCharacter(c);
    };
    const auto compare = [](const UTF16String& left, const UTF16String& right, int count,
                            bool caseSensitive) {
        return WithSettings(left, true, caseSensitive).Compare(Text(right), count);
    };
    const auto tokenStop = [](const char16_t* text, const char16_t* delimiters, int position) {
        return Text(text).FindToken(Text(delimiters), &position).get_Length() * 100 + position;
    };
    const int rows[][2] = {
        {find(u"ABA", Char(u'A'), true), 0},
        {find(u"ABA", Char(u'A'), false), 2},
        {find(u"", Char(u'A'), false), -1},
        {find(pairThenA, Char(u'A'), true), 2},
        {find(pairThenA, Char(u'A'), false), 2},
        {find(pairThenA, smiley, true), 0},
        {find(pairThenA, smiley, false), 0},
        {find(pairThenA, Char(char16_t{0xD83D}), true), -1},
        {find(Units({'b', 0xFFFF}), Char(char(0x80)), true), 1},
        // A surrogate unit pairs with its neighbour in the direction of travel, never with the
        // terminating NUL (0xD83D, 0 would decode to U+11800).
        {find(Units({0xD83D, 'A'}), Char(u'A'), true), -1},
        {find(Units({0xD83D, 'A'}), Char(u'A'), false), 1},
        {find(Units({0xD83D}), Char(U'\U00011800'), true), -1},
        {find(Units({0xDE00}), smiley, false), -1},
        // 0xD800 0xB400 decodes to 0xD800, whose Char equals the lone surrogate made from that code
        // point; backward the 0xD800 has no partner before it.
        {find(Units({0xD800, 0xB400}), Char(UTF32Unit{0xD800}), true), 0},
        {find(Units({0xD800, 0xB400}), Char(UTF32Unit{0xD800}), false), -1},
        {compare(u"AB", u"ab", -1, true), -1},
        {compare(u"AB", u"ab", -1, false), 0},
        {compare(u"abc", u"abd", 2, true), 0},
        {compare(u"abc", u"abd", 2, false), 0},
        {compare(u"ab", u"abc", -1, true), -1},
        {compare(u"ab", u"abc", -1, false), -1},
        {compare(u"", u"", -1, false), 0},
        {compare(u"abc", u"xyz", 0, true), 0},
        {compare(u"abc", u"xyz", 0, false), 0},
        {compare(u"a", u"b", -5, false), 0},
        {compare(u"a", u"b", -5, true), -1},
        {compare(Units({0xD83D}), Units({0xFFFF}), -1, false), 0},
        // Token length * 100 + the position written back; the end is an empty token at the length.
        {tokenStop(u"a,b", u",", 0), 101},
        {tokenStop(u"a,b", u",", 1), 103},
        {tokenStop(u"a,b", u",", 3), 3},
        {tokenStop(u" x", u" ", 0), 102},
        {tokenStop(u",, ", u" ,", 0), 3},
        {tokenStop(u"ab", u",", -1), 2},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row)
        EXPECT_EQ(rows[row][0], rows[row][1]) << "row " << row;
    EXPECT_TRUE(Text(u"ab").FindToken(Text(u","), nullptr).IsEmpty());
    try {  // the standard string's own error, not one of the library
        Text(u"ab").SubString(-1, 1);
        ADD_FAILURE() << "SubString took the start -1";
    } catch (const std::out_of_range& error) {
        EXPECT_EQ(dynamic_cast<const QuendalLog::Exception*>(&error), nullptr);
    }

    // Reading half a pair, appending nothing.
    EXPECT_EQ(UTF16String(Text(Units({0x41, 0xD83D, 0xDE00})).get_CharacterAt(2)),
              Units({0xFFFF, 0xFFFF}));
    EXPECT_EQ(UnitsOf(Text(u"x") += static_cast<const UTF16Unit*>(nullptr)), u"x");
    // Case mapping touches only all-ASCII texts, in a locale where U+00E9 has an upper case.
    LocaleGuard locale("C.UTF-8");
    Text ascii(Units({'a', 'b', 'C', '1', 0})), accented(u"abc\u00E9");
    ascii.ToUpper();
    accented.ToUpper();
    EXPECT_EQ(UnitsOf(ascii), Units({'A', 'B', 'C', '1', 0}));
    EXPECT_EQ(UnitsOf(accented), u"abc\u00E9");
    ascii.ToLower();
    EXPECT_EQ(UnitsOf(ascii), Units({'a', 'b', 'c', '1', 0}));
    EXPECT_EQ(ascii.get_NumberOfCharacters(), 5);
}

}  // namespace
}  // namespace qt_test
