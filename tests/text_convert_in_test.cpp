// The UTF factories and strings held to ICU called directly, on random and edge input.
#include "test_support.h"

#include "../fuzz/utf_reference.h"
#include "internal/conversion.h"

#include <climits>
#include <functional>
#include <random>
#include <sstream>

namespace {

using namespace qt_test;
using QuendalText::Malformed;
using QuendalText::MalformedInput;
using QuendalText::UTF16StringView;

// Code points at the encoding boundaries, surrogates, NUL and values beyond Unicode.
constexpr char32_t kEdges[] = {0,       0x41,    0x7F,     0x80,     0x7FF,     0x800,  0xD7FF,
                               0xD800,  0xDBFF,  0xDC00,   0xDFFF,   0xE000,    0xFFFD, 0xFFFF,
                               0x10000, 0x1F600, 0x10FFFF, 0x110000, 0xFFFFFFFF};

std::u32string RandomValues(std::mt19937& random) {
    std::u32string values(random() % 12, U'\0');
    for (char32_t& value : values) value = kEdges[random() % std::size(kEdges)];
    return values;
}

// Well-formed UTF-8 of random code points with stray, cut and overlong bytes mixed in.
std::string RandomBytes(std::mt19937& random) {
    static const std::string kStray[] = {"\x80",     "\xBF",         "\xC0\xAF", "\xC1",
                                         "\xE0\x80", "\xE0\x9F\xBF", "\xED\xA0", "\xED\xBF",
                                         "\xF0\x8F", "\xF4\x90",     "\xF5",     "\xFF",
                                         "\xE2\x82", "\xF0\x9F\x98", "\xE2\x28"};
    std::string bytes;
    for (char32_t value : RandomValues(random)) {
        const bool scalar = value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        bytes += random() % 3 == 0 ? kStray[random() % std::size(kStray)]
                                   : ToUTF8({scalar ? value : 0x41});
    }
    return bytes;
}

// Units of random code points; a surrogate value stays a lone unit.
UTF16String RandomUnits(std::mt19937& random) {
    CodePoints values;
    for (char32_t value : RandomValues(random)) values.push_back(value % 0x110000);
    return ToUTF16(values);
}

// A run of printable ASCII one to three pages long, give or take a few bytes, so that the first
// other byte lands at, just before and just after the edges of the long runs that the
// converters take whole.
std::string AsciiRun(std::mt19937& random) {
    constexpr std::size_t kBlock = 4096;
    const std::size_t length = (1 + random() % 3) * kBlock + random() % 3 - 1 - random() % 2 * 40;
    std::string run(length, 'a');
    for (char& byte : run) byte = static_cast<char>(' ' + random() % 95);
    return run;
}

// The offset of the MalformedInput that `raise` raises (-1 for none), after checking its origin
// and that a rethrow keeps its type; and what it must be for ICU's first fault.
long long OffsetOf(const fuzz::Fault& fault) {
    return fault.found ? static_cast<long long>(fault.position) : -1;
}
long long MalformedOffset(const std::function<void()>& raise) {
    try {
        raise();
    } catch (const MalformedInput& failure) {
        EXPECT_STREQ(failure.get_FileName(), ".\\Text.cpp");
        EXPECT_GT(failure.get_LineNum(), 1000);
        EXPECT_NE(std::string(failure.what()).find(std::to_string(failure.Offset())),
                  std::string::npos);
        MalformedInput copy = failure;
        EXPECT_THROW(copy.Throw(1, "again"), MalformedInput);
        return static_cast<long long>(failure.Offset());
    }
    return -1;
}

// `check` on 3000 random generators, one a trial.
template <class Check>
void ForEachTrial(unsigned seed, Check check) {
    for (unsigned trial = 0; trial < 3000 && !testing::Test::HasFailure(); ++trial) {
        std::mt19937 random(seed + trial);
        check(random);
    }
}

// ValidateUTF8 finds ICU's first fault and its maximal subpart, and the strict readers raise
// at its offset.
TEST(TextConvert, UTF8InAgreesWithIcu) {
    ForEachTrial(1234, [](std::mt19937& random) {
        std::string bytes = RandomBytes(random);
        if (random() % 8 == 0) bytes.insert(0, AsciiRun(random));
        if (random() % 4 == 0) bytes.insert(0, 1, '\0');  // NUL units count only after a character
        const UTF16String replaced = fuzz::IcuReplaced(bytes);
        EXPECT_TRUE(Holds(Text::FromUTF8(bytes, Malformed::Replace), replaced));
        // Text(const char*) and operator+= read a C string and keep the units before a fault,
        // also after a prefix (which may end with a high surrogate that takes one).
        const std::string cString = bytes.c_str();
        const UTF16String kept =
            fuzz::IcuReplaced(cString.substr(0, fuzz::IcuFirstFault(cString).position));
        EXPECT_TRUE(Holds(Text(cString.c_str()), kept));
        for (const UTF16String& prefix :
             {Units({'A'}), Units({0xD800}), Units({0xDC00}), Units({0, 0})}) {
            Text grown(prefix);
            grown.set_CaseSensitivity(false);
            EXPECT_EQ(&(grown += cString.c_str()), &grown);
            EXPECT_TRUE(Holds(grown, prefix + kept, false));
        }
        const fuzz::Fault fault = fuzz::IcuFirstFault(bytes);
        const auto check = QuendalText::ValidateUTF8(bytes);
        EXPECT_TRUE(check.position == fault.position && check.length == fault.length);
        EXPECT_EQ(MalformedOffset([&] { Text::FromUTF8(bytes); }), OffsetOf(fault));
        EXPECT_EQ(MalformedOffset([&] { QuendalText::TextArgument argument(bytes); }),
                  OffsetOf(fault));
        if (!fault.found) {
            EXPECT_TRUE(Holds(Text::FromUTF8(bytes), replaced));
            EXPECT_EQ(UTF16String(QuendalText::TextArgument(bytes).View()), replaced);
        }
    });
}

TEST(TextConvert, UTF16AgreesWithIcu) {
    ForEachTrial(5678, [](std::mt19937& random) {
        const UTF16String units = RandomUnits(random);
        const Text text{UTF16StringView(units)};
        const std::string utf8 = fuzz::IcuWithSub<std::string>(u_strToUTF8WithSub, units);
        EXPECT_EQ(text.ToUTF8String(Malformed::Replace), utf8);
        EXPECT_EQ(UnitsOf(Text::FromUTF16(units, Malformed::Replace)), fuzz::IcuReplaced(units));
        EXPECT_EQ((std::ostringstream() << text).str(), utf8);
        const fuzz::Fault fault = fuzz::IcuFirstFault(units);
        const long long unitOffset = MalformedOffset([&] { text.ToUTF8String(); });
        EXPECT_EQ(unitOffset, OffsetOf(fault));
        EXPECT_EQ(MalformedOffset([&] { text.ToUTF32String(); }), unitOffset);
        EXPECT_EQ(MalformedOffset([&] { Text::FromUTF16(units); }), unitOffset);
        const auto check = QuendalText::ValidateUTF16(units);
        EXPECT_TRUE(check.position == fault.position &&
                    (check.validity == QuendalText::Validity::Incomplete) == fault.cut);

        // The code points read a lone surrogate as its value; UTF-32 has U+FFFD for it.
        std::u32string codePoints, utf32;
        for (const std::uint32_t value : Decode(units)) {
            codePoints += value;
            utf32 += IsSurrogate(value) ? U'\uFFFD' : value;
        }
        const auto range = text.CodePoints();
        EXPECT_EQ(std::u32string(range.begin(), range.end()), codePoints);
        EXPECT_EQ(text.ToUTF32String(Malformed::Replace), utf32);
        // Wide strings: the units where wchar_t has 16 bits, else the code points (a lone
        // surrogate as its value), read back as FromUTF16 or FromUTF32 reads them.
        const std::wstring wide = sizeof(wchar_t) == 2
                                      ? std::wstring(units.begin(), units.end())
                                      : std::wstring(codePoints.begin(), codePoints.end());
        EXPECT_EQ(text.ToWString(), wide);
        EXPECT_EQ(UnitsOf(Text::FromWString(wide, Malformed::Replace)), fuzz::IcuReplaced(units));
        EXPECT_EQ(MalformedOffset([&] { Text::FromWString(wide); }),
                  sizeof(wchar_t) == 2 ? unitOffset
                                       : MalformedOffset([&] { Text::FromUTF32(codePoints); }));
    });
}

TEST(TextConvert, UTF32InAgreesWithIcu) {
    ForEachTrial(9012, [](std::mt19937& random) {
        const std::u32string values = RandomValues(random);
        const UTF16String replaced = fuzz::IcuReplaced(values);
        const fuzz::Fault fault = fuzz::IcuFirstFault(values);
        EXPECT_EQ(UnitsOf(Text::FromUTF32(values, Malformed::Replace)), replaced);
        EXPECT_EQ(QuendalText::ValidateUTF32(values).position, fault.position);
        EXPECT_EQ(MalformedOffset([&] { Text::FromUTF32(values); }), OffsetOf(fault));
        if (sizeof(wchar_t) == 4) {  // values beyond Unicode, and negative ones, as wchar_t
            const std::wstring wideValues(values.begin(), values.end());
            EXPECT_EQ(UnitsOf(Text::FromWString(wideValues, Malformed::Replace)), replaced);
            EXPECT_EQ(MalformedOffset([&] { Text::FromWString(wideValues); }), OffsetOf(fault));
        }
    });
}

// A view longer than a text may be is refused before any unit is read.
TEST(TextConvert, ViewsBeyondTheLengthCeiling) {
    const UTF16StringView huge(QUENDALTEXT_U("x"), std::size_t{INT_MAX} + 1);
    EXPECT_THROW(Text{huge}, QuendalLog::CPPException<std::length_error>);
    EXPECT_THROW(Text::FromUTF16(huge), QuendalLog::CPPException<std::length_error>);
}

}  // namespace
