// The Text core (settings through copies, moves and assignment), character access and editing
// against a plain model (units in a standard string) over generated sequences of operations, with
// the index raises; and case mapping of all-ASCII texts.
#include "test_support.h"

#include <unicode/uchar.h>

#include <clocale>

namespace {
using namespace qt_test;

// The other constructors meet generated units and characters in the edit model's test.
TEST(Text, EmptyConstructorsAndIsAscii) {
    EXPECT_TRUE(Holds(Text(), {}) && Holds(Text(static_cast<const UTF16Unit*>(nullptr)), {}));
    EXPECT_TRUE(Text().IsAscii());
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit)  // NULs do not end the reading
        ASSERT_EQ(Text(Units({'A', 0, unit})).IsAscii(), unit <= 0x7F) << unit;
}

TEST(Text, SettingsTravelOnlyByCopyMoveAndAssignment) {
    const UTF16String units = Units({'A', 0, 0xD800});
    Text source(units), target(Units({'B', 'C', 'D'}));
    source.set_CaseSensitivity(false);
    source.set_SearchForward(false);
    EXPECT_TRUE(Holds(source, units, false, false) && Holds(Text(source), units, false, false));
    EXPECT_TRUE(Holds(Text(UnitsOf(source)), units)) << "a new text of the same units";
    EXPECT_EQ(&(target = source), &target);
    target = static_cast<const Text&>(target);
    EXPECT_TRUE(Holds(target, units, false, false)) << "assigned, then self-assigned";
    Text moved(std::move(target));  // the source is left a valid empty text, its settings kept
    EXPECT_TRUE(Holds(moved, units, false, false) && Holds(target, {}, false, false));
    source = Text(Units({'x'}));
    source = std::move(moved);
    EXPECT_TRUE(Holds(source, units, false, false) && Holds(moved, {}, false, false));
    source.Empty();
    EXPECT_TRUE(Holds(source, {}, false, false)) << "emptied";
    target = Text(Units({0xDC00}));
    target.set_SearchForward(false);
    target.Empty();
    EXPECT_TRUE(Holds(target, {}, true, false)) << "malformed, direction set, emptied";
}

// Whether `edit` raises the standard string's own range error, not one of the library.
template <class Call>
bool RaisesStandardRangeError(Call edit) {
    try {
        edit();
    } catch (const std::out_of_range& error) {
        return dynamic_cast<const QuendalLog::Exception*>(&error) == nullptr;
    }
    return false;
}

// The edits a sequence draws from: +=, += units (to a NUL), += Char, set_CharacterAt, RemoveAt,
// Replace, Concatenate and + (a text, or a Char).
enum Edit { kAppend, kAppendUnits, kAppendChar, kSetAt, kRemoveAt, kReplace, kConcatenate, kJoin };

// Sequences of `edits`, drawn at random, on generated texts (search direction either way, case
// ignored) against a model, the units in a standard string. The other operand is the text itself
// one time in four; a start and count may lie outside the text. After each step the text holds
// the model's units; reading a character or a substring anywhere answers as the model, and
// reading, setting or removing a character outside the text raises and changes nothing.
void ExpectEditsFollowTheModel(const std::vector<Edit>& edits) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        Generator generate{std::mt19937(seed)};
        UTF16String model = generate.Units(12);
        const bool forward = generate.Below(2) == 0;
        Text text(model);
        text.set_SearchForward(forward);
        text.set_CaseSensitivity(false);
        const auto same = [&text](const Text& result) { EXPECT_EQ(&result, &text); };
        for (int step = 0; step < 40; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            const bool itself = generate.Below(4) == 0;
            const UTF16String other = itself ? model : generate.Units(6);
            const Text otherText(other);
            const Text& operand = itself ? text : otherText;
            const int length = int(model.size()), start = generate.Below(length + 3) - 1;
            const Char c = generate.AnyChar();
            const int count = generate.Below(8) - 1;
            const bool inText = start >= 0 && start < length,
                       inRange = start >= 0 && start <= length;
            const std::size_t at = Size(start);
            if (inText) {
                ASSERT_EQ(UnitsOf(text[start]), UnitsOf(Char(model[at])));
                ASSERT_EQ(UnitsOf(text.get_CharacterAt(start)), UnitsOf(text[start]));
            } else {
                EXPECT_RAISES(text.get_CharacterAt(start), std::out_of_range,
                              "Text::get_CharacterAt", 752, "Invalid index");
                EXPECT_RAISES(text[start], std::out_of_range, "Text::operator[]", 813,
                              "Invalid index");
                EXPECT_RAISES(text.set_CharacterAt(start, c), std::out_of_range,
                              "Text::set_CharacterAt", 740, "Invalid index");
                EXPECT_RAISES(text.RemoveAt(start), std::out_of_range, "Text::RemoveAt", 765,
                              "Invalid Index");
            }
            EXPECT_TRUE(inRange ? Holds(text.SubString(start, count), model.substr(at, Size(count)))
                                : RaisesStandardRangeError([&] { text.SubString(start, count); }));
            const bool sourceRange = start >= 0 && start <= int(other.size());
            switch (edits[Size(generate.Below(int(edits.size())))]) {
                case kAppend: same(text += operand), model += other; break;
                case kAppendUnits: text += other.c_str(), model += other.c_str(); break;
                case kAppendChar: same(text += c), model += UnitsOf(c); break;
                case kSetAt:
                    if (inText) text.set_CharacterAt(start, c), model.insert(at, UnitsOf(c));
                    break;
                case kRemoveAt:
                    if (inText) same(text.RemoveAt(start)), model.erase(at, 1);
                    break;
                case kReplace:  // or the standard string's range error
                    EXPECT_NE(
                        RaisesStandardRangeError([&] { text.Replace(operand, start, count); }),
                        inRange);
                    if (inRange) model.replace(at, Size(count), other);
                    break;
                case kConcatenate:
                    EXPECT_EQ(text.Concatenate(operand, start, count), sourceRange);
                    if (sourceRange) model += other.substr(at, Size(count));
                    break;
                case kJoin: {  // a new text with both settings true; the operands stay as they were
                    const UTF16String before = model;
                    const Text joined = start % 2 == 0 ? text + operand : text + c;
                    model += start % 2 == 0 ? other : UnitsOf(c);
                    EXPECT_TRUE(Holds(joined, model) && Holds(text, before, false, forward));
                    text = joined;
                    text.set_SearchForward(forward);
                    text.set_CaseSensitivity(false);
                }
            }
            ASSERT_TRUE(Holds(text, model, false, forward));
        }
    }
}

// Texts of a character, and of units that stop at the first NUL.
TEST(TextEdit, ConstructionFromUnitsAndCharacters) {
    Generator generate{std::mt19937(5)};
    for (int trial = 0; trial < 2000; ++trial) {
        const Char c = generate.AnyChar();
        const UTF16String units = generate.Units(8);
        ASSERT_TRUE(Holds(Text(c), UnitsOf(c)) &&
                    Holds(Text(units.c_str()), units.substr(0, units.find(UTF16Unit{0}))));
    }
    EXPECT_TRUE(Holds(Text(QUENDALTEXT_U("x")) += static_cast<const UTF16Unit*>(nullptr),
                      QUENDALTEXT_U("x")));
}
// Each kind of edit among a few others, then all of them mixed.
TEST(TextEdit, EditSequencesFollowTheModel) {
    for (const auto& edits :
         std::vector<std::vector<Edit>>{{kAppend, kAppendUnits, kAppendChar},
                                        {kSetAt, kRemoveAt, kAppendChar},
                                        {kReplace, kConcatenate, kRemoveAt},
                                        {kJoin, kRemoveAt},
                                        {kAppend, kAppendUnits, kAppendChar, kSetAt, kRemoveAt,
                                         kReplace, kConcatenate, kJoin}})
        ExpectEditsFollowTheModel(edits);
}

// Case mapping touches only all-ASCII texts and maps each unit as Char does in the locale; long
// texts take the vector paths where the locale maps ASCII as ASCII does (not a Turkish one), in
// the system's locale too ("").
TEST(TextEdit, CaseMappingFollowsTheLocale) {
    std::mt19937 random(8);
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : {"C", "C.UTF-8", "tr_TR.UTF-8", ""}) {
        if (std::setlocale(LC_ALL, locale) == nullptr) continue;
        for (const std::size_t length : {std::size_t{7}, std::size_t{2000}}) {
            UTF16String units(length, 0), upper, lower;
            for (UTF16Unit& unit : units) unit = UTF16Unit(random() % 0x80);
            for (const UTF16Unit unit : units) {
                upper += Char(unit).IsLower() ? Char(unit).ToUpper()[0] : unit;
                lower += Char(unit).IsUpper() ? Char(unit).ToLower()[0] : unit;
            }
            Text toUpper(units), toLower(units), accented(units + Units({0xE9}));
            toUpper.ToUpper();
            toLower.ToLower();
            accented.ToUpper();
            EXPECT_TRUE(Holds(toUpper, upper) && Holds(toLower, lower) &&
                        Holds(accented, units + Units({0xE9})))
                << '"' << locale << "\", " << length << " units";
        }
    }
    std::setlocale(LC_ALL, previous.c_str());
}

// ---- Trimmed and ReplaceAll -------------------------------------------------------------------

// str.strip over the characters of ICU's White_Space property (held to PropList.txt by the
// properties' test).
UTF16String ModelStrip(const UTF16String& units) {
    const auto space = [](std::uint32_t c) {
        return u_hasBinaryProperty(UChar32(c), UCHAR_WHITE_SPACE);
    };
    CodePoints c = Decode(units);
    std::size_t first = 0, end = c.size();
    while (first < end && space(c[first])) ++first;
    while (end > first && space(c[end - 1])) --end;
    return ToUTF16(CodePoints(c.begin() + long(first), c.begin() + long(end)));
}

// Every unit at both ends and inside, then generated texts of spaces, near-spaces (U+001C,
// U+180E, U+200B, U+FEFF, which str.isspace or older Unicode count) and surrogates.
TEST(TextEdit, TrimmedStripsWhiteSpaceAsIcuDefinesIt) {
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const UTF16String units = Units({unit, unit, 'x', unit, 'y', unit});
        ASSERT_TRUE(Holds(Text(units).Trimmed(), ModelStrip(units))) << unit;
    }
    static const UTF16String kAlphabet =
        Units({' ', '\t', '\n', 0x85, 0xA0, 0x2028, 0x3000, 0x1C, 0x180E, 0x200B, 0xFEFF, 'a', 0,
               0xD83D, 0xDE00, 0xDC00});
    Generator random{std::mt19937(77)};
    for (int trial = 0; trial < 3000; ++trial) {
        UTF16String units(Size(random.Below(9)), 0);
        for (UTF16Unit& unit : units) unit = kAlphabet[Size(random.Below(int(kAlphabet.size())))];
        Text text(units);
        text.set_CaseSensitivity(false);
        ASSERT_TRUE(Holds(text.Trimmed(), ModelStrip(units)));
    }
}

// str.replace over code points: an unpaired surrogate is a code point of its own, so an
// occurrence never takes half of a pair.
UTF16String ModelReplaceAll(const UTF16String& units, const UTF16String& from,
                            const UTF16String& to) {
    const CodePoints c = Decode(units), f = Decode(from), t = Decode(to);
    CodePoints out;
    for (std::size_t i = 0; i < c.size();) {
        if (c.size() - i >= f.size() && std::equal(f.begin(), f.end(), c.begin() + long(i))) {
            out.insert(out.end(), t.begin(), t.end());
            i += f.size();
        } else {
            out.push_back(c[i++]);
        }
    }
    return ToUTF16(out);
}

// Generated texts, patterns and replacements of the units that matter to the count (NUL units,
// both surrogate halves), settings kept, this text returned, and the count refreshed to what a
// fresh count gives.
TEST(TextEdit, ReplaceAllReplacesAsStrReplaceDoes) {
    Generator random{std::mt19937(2024)};
    for (int trial = 0; trial < 20000; ++trial) {
        const UTF16String units = random.Units(14);
        UTF16String from = random.Units(3), to = random.Units(trial % 5 == 0 ? 0 : 4);
        if (from.empty()) from = units.substr(Size(random.Below(int(units.size()) + 1)), 2);
        if (from.empty()) continue;
        Text text(units);
        text.set_SearchForward(false);
        Text& result = text.ReplaceAll(from, to);
        ASSERT_EQ(&result, &text);
        ASSERT_TRUE(Holds(text, ModelReplaceAll(units, from, to), true, false))
            << testing::PrintToString(units) << testing::PrintToString(from)
            << testing::PrintToString(to);
    }
    Text word("banana");
    const UTF16String banana = UnitsOf(word);
    word.ReplaceAll(word.SubString(1, 2), word);  // views of the text itself
    EXPECT_TRUE(Holds(word, ModelReplaceAll(banana, banana.substr(1, 2), banana)));
    EXPECT_RAISES(word.ReplaceAll("", "x"), std::invalid_argument, "Text::ReplaceAll", 1054,
                  "The text to replace is empty");
    EXPECT_EQ(word.get_Length(), 14);
}

}  // namespace
