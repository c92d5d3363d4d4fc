// The Text core (settings through copies, moves and assignment), character access and editing
// against a plain model (units in a standard string) over generated sequences of operations, with
// the index raises; and case mapping of all-ASCII texts.
#include "test_support.h"

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
template <class Edit>
bool RaisesStandardRangeError(Edit edit) {
    try {
        edit();
    } catch (const std::out_of_range& error) {
        return dynamic_cast<const QuendalLog::Exception*>(&error) == nullptr;
    }
    return false;
}

TEST(TextEdit, SequencesOfEditsFollowTheModel) {
    for (unsigned seed = 0; seed < 400; ++seed) {
        Generator generate{std::mt19937(seed)};
        UTF16String model = generate.Units(12);
        const bool forward = generate.Below(2) == 0;
        Text text(model);
        text.set_SearchForward(forward);
        text.set_CaseSensitivity(false);
        for (int step = 0; step < 40; ++step) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step);
            const bool itself = generate.Below(4) == 0;  // the text itself is the other operand
            const UTF16String before = model, other = itself ? model : generate.Units(6);
            const Text otherText(other);
            const Text& operand = itself ? text : otherText;
            const Char c = generate.AnyChar();
            // Texts of a character, and of units that stop at the first NUL.
            EXPECT_TRUE(Holds(Text(c), UnitsOf(c)) &&
                        Holds(Text(other.c_str()), other.substr(0, other.find(UTF16Unit{0}))));
            const int length = int(model.size()), start = generate.Below(length + 3) - 1,
                      count = generate.Below(8) - 1;
            const bool inText = start >= 0 && start < length,
                       inRange = start >= 0 && start <= length;
            if (inText) {
                ASSERT_EQ(UnitsOf(text[start]), UnitsOf(Char(model[Size(start)])));
                ASSERT_EQ(UnitsOf(text.get_CharacterAt(start)), UnitsOf(text[start]));
            } else {
                EXPECT_RAISES(text.get_CharacterAt(start), std::out_of_range,
                              "Text::get_CharacterAt", 752, "Invalid index");
                EXPECT_RAISES(text[start], std::out_of_range, "Text::operator[]", 813,
                              "Invalid index");
            }
            EXPECT_TRUE(inRange ? Holds(text.SubString(start, count),
                                        model.substr(Size(start), Size(count)))
                                : RaisesStandardRangeError([&] { text.SubString(start, count); }));
            switch (generate.Below(8)) {
                case 0:
                    EXPECT_EQ(&(text += operand), &text);
                    model += other;
                    break;
                case 1: text += other.c_str(), model += other.c_str(); break;  // stops at a NUL
                case 2:
                    EXPECT_EQ(&(text += c), &text);
                    model += UnitsOf(c);
                    break;
                case 3:
                    if (inText) {
                        text.set_CharacterAt(start, c), model.insert(Size(start), UnitsOf(c));
                    } else {
                        EXPECT_RAISES(text.set_CharacterAt(start, c), std::out_of_range,
                                      "Text::set_CharacterAt", 740, "Invalid index");
                    }
                    break;
                case 4:
                    if (inText) {
                        EXPECT_EQ(&text.RemoveAt(start), &text);
                        model.erase(Size(start), 1);
                    } else {
                        EXPECT_RAISES(text.RemoveAt(start), std::out_of_range, "Text::RemoveAt",
                                      765, "Invalid Index");
                    }
                    break;
                case 5:  // replaces, or raises the standard string's error when out of range
                    EXPECT_NE(
                        RaisesStandardRangeError([&] { text.Replace(operand, start, count); }),
                        inRange);
                    if (inRange) model.replace(Size(start), Size(count), other);
                    break;
                case 6: {
                    const bool valid = start >= 0 && start <= int(other.size());
                    EXPECT_EQ(text.Concatenate(operand, start, count), valid);
                    if (valid) model += other.substr(Size(start), Size(count));
                    break;
                }
                default: {  // a new text with both settings true; the operands stay as they were
                    const bool withText = generate.Below(2) == 0;
                    const Text joined = withText ? text + operand : text + c;
                    model += withText ? other : UnitsOf(c);
                    EXPECT_TRUE(Holds(joined, model));
                    EXPECT_TRUE(Holds(text, before, false, forward));
                    text = joined;
                    text.set_SearchForward(forward);
                    text.set_CaseSensitivity(false);
                }
            }
            ASSERT_TRUE(Holds(text, model, false, forward));
        }
    }
    EXPECT_TRUE(Holds(Text(QUENDALTEXT_U("x")) += static_cast<const UTF16Unit*>(nullptr),
                      QUENDALTEXT_U("x")));
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

}  // namespace
