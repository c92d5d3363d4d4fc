// Searching, Remove, tokens, splitting, affixes and comparison against plain models over generated
// texts.
#include "test_support.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <array>

namespace {
using namespace qt_test;

int AsIndex(std::size_t found) { return found == UTF16String::npos ? -1 : static_cast<int>(found); }

// A surrogate unit is read with its neighbour in the direction of travel as one character
// (never with the terminating NUL); pairs match by decoded code point, single characters by unit.
int ModelFindCharacter(const UTF16String& u, const Char& c, bool forward) {
    const int n = static_cast<int>(u.size()), step = forward ? 1 : -1;
    for (int i = forward ? 0 : n - 1; i >= 0 && i < n;) {
        const UTF16Unit unit = u[Size(i)];
        if (!IsSurrogate(unit)) {
            if (c.IsSingle() && Char(unit) == c) return i;
            i += step;
            continue;
        }
        const int earlier = forward ? i : i - 1;
        if (earlier < 0 || earlier + 1 >= n) return -1;
        const std::uint32_t cp = u[Size(earlier)] * 0x400u + u[Size(earlier) + 1] - 0x35FDC00u;
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
        if (x.ToLower() != y.ToLower()) return x < y ? -1 : 1;
    }
    return 0;
}

// A token ends at a unit whose Char the character search of the delimiters finds.
UTF16String ModelToken(const UTF16String& u, const Text& delimiters, int& position) {
    const UTF16String d = UnitsOf(delimiters);
    std::size_t start = position < 0 ? u.size() : std::min(Size(position), u.size());
    while (start < u.size() && d.find(u[start]) != UTF16String::npos) ++start;
    std::size_t stop = start;
    while (stop < u.size() &&
           ModelFindCharacter(d, Char(u[stop]), delimiters.IsSearchForward()) == -1)
        ++stop;
    position = static_cast<int>(stop);
    return u.substr(start, stop - start);
}

Text WithSettings(const UTF16String& units, bool forward, bool caseSensitive = true) {
    Text text(units);
    text.set_SearchForward(forward);
    text.set_CaseSensitivity(caseSensitive);
    return text;
}

// One generated case: a text and another one (pattern, set or delimiters), each with a search
// direction; a start that may lie outside the text, a count that may be negative, a character.
struct Case {
    UTF16String units, other;
    bool forward;
    Text text, pattern;
    int start, count;
    std::size_t at;
    Char c;
};

// `check` on the same 6000 generated cases in every test, until one fails.
template <class Check>
void ForEachCase(Check check) {
    Generator generate{std::mt19937(2024)};
    for (int trial = 0; trial < 6000 && !testing::Test::HasFailure(); ++trial) {
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        Case c;
        c.units = generate.Units(14), c.other = generate.Units(4);
        c.forward = generate.Below(2) == 0;
        c.text = WithSettings(c.units, c.forward);
        c.pattern = WithSettings(c.other, generate.Below(2) == 0);
        c.start = generate.Below(static_cast<int>(c.units.size()) + 3) - 1, c.at = Size(c.start);
        c.count = generate.Below(12) - 6, c.c = generate.AnyChar();
        check(c);
    }
}

// The character search, Remove and FindToken by the model; a field of Split ends where the
// character's code points come whole (U+0000: a NUL).
TEST(TextSearch, CharacterSearchesFollowTheModels) {
    ForEachCase([](Case& t) {
        EXPECT_EQ(t.text.FindCharacter(t.c), ModelFindCharacter(t.units, t.c, t.forward));
        for (const bool direction : {true, false}) {
            Text copy = WithSettings(t.units, direction);
            EXPECT_EQ(&copy.Remove(t.c), &copy);
            EXPECT_TRUE(Holds(copy, ModelRemove(t.units, t.c, direction), true, direction));
        }
        int position = t.start, modelPosition = t.start;
        const UTF16String token = ModelToken(t.units, t.pattern, modelPosition);
        EXPECT_TRUE(Holds(t.text.FindToken(t.pattern, &position), token));
        EXPECT_EQ(position, modelPosition);
        const UTF16String sought = UnitsOf(t.c).empty() ? Units({0}) : UnitsOf(t.c);
        const CodePoints points = Decode(t.units), soughtPoints = Decode(sought);
        std::vector<UTF16String> fields(1), split;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const std::size_t end = std::min(points.size(), i + soughtPoints.size());
            if (std::equal(soughtPoints.begin(), soughtPoints.end(), &points[i],
                           &points[0] + end)) {
                fields.emplace_back();
                i = end - 1;
            } else {
                fields.back() += ToUTF16({points[i]});
            }
        }
        for (const Text& field : t.text.Split(t.c)) split.push_back(UnitsOf(field));
        EXPECT_EQ(split, fields);
    });
    EXPECT_TRUE(Text(QUENDALTEXT_U("ab")).FindToken(Text(QUENDALTEXT_U(",")), nullptr).IsEmpty());
}

// String and set searches, affixes (the other text, a suffix of this one), operators by units.
TEST(TextSearch, SearchesAffixesAndOperatorsFollowTheStandardString) {
    ForEachCase([](Case& t) {
        EXPECT_EQ(t.text.FindString(t.pattern, t.start), AsIndex(t.units.find(t.other, t.at)));
        EXPECT_EQ(t.text.FindString(t.pattern), AsIndex(t.units.find(t.other)));
        EXPECT_EQ(t.text.FindFromCharacterSet(t.pattern, t.start),
                  AsIndex(t.units.find_first_of(t.other, t.at)));
        EXPECT_EQ(t.text.FindNotFromCharacterSet(t.pattern, t.start),
                  AsIndex(t.units.find_first_not_of(t.other, t.at)));
        const Text suffix(t.units.substr(std::min(t.at, t.units.size())));
        EXPECT_TRUE(t.text.EndsWith(suffix) && t.text.Contains(suffix));
        EXPECT_EQ(t.text.StartsWith(t.pattern), t.units.compare(0, t.other.size(), t.other) == 0);
        EXPECT_EQ(t.pattern.StartsWith(t.text), t.other.compare(0, t.units.size(), t.units) == 0);
        EXPECT_EQ(t.text.Contains(t.pattern), t.units.find(t.other) != UTF16String::npos);
        const int order = t.units.compare(t.other);
        const Text &a = t.text, &b = t.pattern;
        EXPECT_EQ((std::array{a == b, a != b, a<b, a <= b, a> b, a >= b}),
                  (std::array{order == 0, order != 0, order<0, order <= 0, order> 0, order >= 0}));
    });
}

// With case: the standard comparison of the first `count` units (negative: all); without, the
// model's, also on long ASCII texts compared a vector at a time.
TEST(TextSearch, ComparisonsFollowTheModels) {
    ForEachCase([](Case& t) {
        const int sign = t.units.compare(0, Size(t.count), t.other, 0, Size(t.count));
        EXPECT_EQ(t.text.Compare(t.pattern, t.count), (sign > 0) - (sign < 0));
        t.text.set_CaseSensitivity(false);
        const std::size_t limit =
            t.count == -1 ? std::max(t.units.size(), t.other.size()) : Size(std::max(t.count, 0));
        EXPECT_EQ(t.text.Compare(t.pattern, t.count),
                  ModelCompareIgnoringCase(t.units, t.other, limit));
    });
    Generator generate{std::mt19937(7)};
    for (int trial = 0; trial < 60; ++trial) {
        UTF16String ascii(1000, 0), cased;
        for (UTF16Unit& unit : ascii) unit = UTF16Unit(generate.Below(0x80));
        for (const UTF16Unit unit : ascii) cased += UTF16Unit(unit ^ (generate.Below(2) << 5));
        cased[990 + Size(generate.Below(10))] = UTF16Unit(generate.Below(0x80));
        EXPECT_EQ(WithSettings(ascii, true, false).Compare(Text(cased), -1),
                  ModelCompareIgnoringCase(ascii, cased, 1000));
    }
}

// ---- The modern members' arguments and the folded search ------------------------------------

using QuendalText::MalformedInput;
using QuendalText::Span;
using QuendalText::TextArgument;

// Each way of passing a text reaches the same units, a Text without a copy; UTF-8 is read
// strictly (where the fault lies, TextArgument's test tells), where Text(const char*) keeps what
// precedes the fault.
TEST(TextArgument, EveryFormOfTextReachesTheModernMembers) {
    const Text cafe = Text::FromUTF8("caf\xC3\xA9");
    const UTF16String units = UnitsOf(cafe);
    EXPECT_TRUE(cafe.StartsWith(Text("caf")) && cafe.StartsWith("caf") &&
                cafe.StartsWith(QUENDALTEXT_U("caf")) && cafe.StartsWith(std::string("caf")) &&
                cafe.StartsWith(std::string_view("caf")) && cafe.StartsWith(units) &&
                cafe.StartsWith(QuendalText::UTF16StringView(units)) && cafe.EndsWith(Char(0xE9)) &&
                cafe.EndsWith("\xC3\xA9") && cafe.Contains(u8"af") &&
                cafe.StartsWith(static_cast<const char*>(nullptr)));
    EXPECT_FALSE(cafe.StartsWith("cafe") || cafe.Contains(std::string("f\0", 2)));
    EXPECT_EQ(TextArgument(cafe).View().data(), cafe.c_str());
    EXPECT_TRUE(Text("caf\xE9") == Text("caf"));  // the constructor stays lenient
    Text edited = cafe;
    EXPECT_THROW(cafe.StartsWith("caf\xE9"), MalformedInput);
    EXPECT_THROW(cafe.EndsWith(std::string("\xC3")), MalformedInput);
    EXPECT_THROW(cafe.Contains(std::string_view("a\xED\xA0\x80")), MalformedInput);
    EXPECT_THROW(cafe.CompareFolded("CAF\xC0\xA9"), MalformedInput);
    EXPECT_THROW(cafe.FindFolded("\xFF"), MalformedInput);
    EXPECT_THROW(edited.ReplaceAll("c", "\x80"), MalformedInput);
    EXPECT_TRUE(edited == cafe);
}

UTF16String IcuFolded(const UTF16String& units) {
    UTF16String folded(units.size() * 3 + 1, 0);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        u_strFoldCase(reinterpret_cast<UChar*>(folded.data()), int32_t(folded.size()),
                      reinterpret_cast<const UChar*>(units.data()), int32_t(units.size()),
                      U_FOLD_CASE_DEFAULT, &status);
    EXPECT_TRUE(U_SUCCESS(status));
    return folded.substr(0, Size(length));
}

// The first stretch of whole code points at or after `start` that ICU folds as it folds the
// pattern, tried one by one.
Span ModelFindFolded(const UTF16String& u, const UTF16String& pattern, int start) {
    std::vector<std::size_t> bounds{0};
    for (std::size_t i = 0; i < u.size(); bounds.push_back(i))
        i += IsHigh(u[i]) && i + 1 < u.size() && IsLow(u[i + 1]) ? 2u : 1u;
    const UTF16String sought = IcuFolded(pattern);
    for (std::size_t b = 0; b < bounds.size(); ++b) {
        if (int(bounds[b]) < start) continue;
        if (sought.empty()) return {int(bounds[b]), 0};
        for (std::size_t e = b + 1; e < bounds.size(); ++e) {
            const UTF16String folded = IcuFolded(u.substr(bounds[b], bounds[e] - bounds[b]));
            if (folded == sought) return {int(bounds[b]), int(bounds[e] - bounds[b])};
            if (folded.size() >= sought.size()) break;
        }
    }
    return {};
}

// Texts of characters whose foldings grow, shrink or meet (ß, ẞ, ﬀ, ΐ, the Kelvin sign, İ,
// Deseret letters) with unpaired surrogates among them.
TEST(TextSearch, FindFoldedMatchesWholeCharactersAsIcuFoldsThem) {
    // Every code point of the planes that hold cased letters, and others beyond (a surrogate as a
    // lone unit), found as ICU folds it after a letter that folds too.
    for (std::uint32_t c = 0; c <= 0x10FFFF; c += c < 0x20000 ? 1 : 0x101) {
        const UTF16String one = ToUTF16({c}), units = Units({'A'}) + one + Units({0xDF});
        const Span found = Text(units).FindFolded(IcuFolded(one), 1);
        ASSERT_TRUE(found.Start == 1 && found.Length == int(one.size())) << std::hex << c;
    }
    // Short texts and patterns of those characters; then long runs of letters that fold alike, now
    // and then a Deseret letter, against a long run ending in one or in "s" (which may end inside
    // the folding of ß): trying each start would fold the pattern's length at every unit; the
    // search turns linear and finds the same.
    static const UTF16String kAlphabet =
        Units({'s', 'S', 0xDF, 0x1E9E, 'f', 0xFB00, 0x390, 0x3B9, 0x308, 0x301, 'k', 0x212A, 0x130,
               'i', 0x307, 0xD801, 0xDC00, 0xDC28, ' '});
    static const UTF16String kRun[] = {Units({'s'}),
                                       Units({'S'}),
                                       Units({0xDF}),
                                       Units({0x1E9E}),
                                       Units({0xD801, 0xDC00}),
                                       Units({0xD801, 0xDC28})};
    Generator random{std::mt19937(1913)};
    const auto draw = [&](int maxLength) {
        UTF16String units(Size(random.Below(maxLength + 1)), 0);
        for (UTF16Unit& unit : units) unit = kAlphabet[Size(random.Below(int(kAlphabet.size())))];
        return units;
    };
    const auto run = [&](int pieces, int deseretOneIn) {
        UTF16String units;
        for (int piece = 0; piece < pieces; ++piece)
            units += kRun[random.Below(deseretOneIn) == 0 ? 4 + random.Below(2) : random.Below(4)];
        return units;
    };
    for (int trial = 0; trial < 4040; ++trial) {
        const bool runs = trial >= 4000;
        const UTF16String units = runs ? run(400 + random.Below(400), 40) : draw(10);
        // Some short patterns are cut from the text, so that a lone surrogate or a letter before
        // another begins one that is found.
        const std::size_t cut = Size(random.Below(int(units.size()) + 1));
        const UTF16String pattern =
            runs ? run(40 + random.Below(60), 1000) + kRun[trial % 2 ? 4 + random.Below(2) : 0]
            : trial % 4 == 1 ? units.substr(cut, Size(random.Below(4)))
                             : draw(trial % 3 == 0 ? 2 : 4);
        // Over long runs, each match after the first is sought from the end of the one before,
        // as a loop over every match does.
        for (int start = runs ? random.Below(20) : random.Below(int(units.size()) + 4) - 2,
                 matches = 0;
             matches < (runs ? 4 : 1); ++matches) {
            const Span found = Text(units).FindFolded(pattern, start);
            const Span expected = ModelFindFolded(units, pattern, start);
            ASSERT_TRUE(found.Start == expected.Start && found.Length == expected.Length &&
                        bool(found) == bool(expected))
                << testing::PrintToString(units + Units({'/'}) + pattern) << " from " << start;
            if (!found) break;
            start = found.Start + found.Length;
        }
    }
}

}  // namespace
