// The UTF factories and strings held to ICU called directly, on random and edge input.
#include "test_support.h"

#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <climits>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

namespace {

using namespace qt_test;
using QuendalText::Malformed;
using QuendalText::MalformedInput;
using QuendalText::UTF16StringView;

// ICU's conversion through `convert`, a u_str...WithSub function, with U+FFFD for ill-formed
// input: the output and how many U+FFFD it wrote.
template <class Dest, class IcuDest, class IcuSource, class Source>
std::pair<Dest, int32_t> Icu(IcuDest* (*convert)(IcuDest*, int32_t, int32_t*, const IcuSource*,
                                                 int32_t, UChar32, int32_t*, UErrorCode*),
                             const Source& source) {
    Dest dest(4 * source.size() + 4, {});
    int32_t length = 0, substitutions = 0;
    UErrorCode status = U_ZERO_ERROR;
    convert(reinterpret_cast<IcuDest*>(&dest[0]), int32_t(dest.size()), &length,
            reinterpret_cast<const IcuSource*>(source.data()), int32_t(source.size()), 0xFFFD,
            &substitutions, &status);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    dest.resize(std::size_t(length));
    return {dest, substitutions};
}
auto IcuFromUTF8(const std::string& bytes) { return Icu<UTF16String>(u_strFromUTF8WithSub, bytes); }
auto IcuToUTF8(const UTF16String& units) { return Icu<std::string>(u_strToUTF8WithSub, units); }
auto IcuFromUTF32(const std::u32string& v) { return Icu<UTF16String>(u_strFromUTF32WithSub, v); }

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

// The offset of the MalformedInput that `raise` raises (-1 for none), after checking its origin
// and that a rethrow keeps its type; and what it must be for ICU's count of U+FFFD.
long long OffsetFor(int32_t substitutions, std::size_t position) {
    return substitutions == 0 ? -1 : static_cast<long long>(position);
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

TEST(TextConvert, UTF8InAgreesWithIcu) {
    ForEachTrial(1234, [](std::mt19937& random) {
        std::string bytes = RandomBytes(random);
        if (random() % 4 == 0) bytes.insert(0, 1, '\0');  // NUL units count only after a character
        const auto [fromBytes, bytesSubs] = IcuFromUTF8(bytes);
        EXPECT_TRUE(Holds(Text::FromUTF8(bytes, Malformed::Replace), fromBytes));
        // Text(const char*) and operator+= read a C string and keep the units before a fault,
        // also after a prefix (which may end with a high surrogate that takes one).
        const std::string cString = bytes.c_str();
        const UTF16String kept =
            IcuFromUTF8(cString.substr(0, QuendalText::ValidateUTF8(cString).position)).first;
        EXPECT_TRUE(Holds(Text(cString.c_str()), kept));
        for (const UTF16String& prefix :
             {Units({'A'}), Units({0xD800}), Units({0xDC00}), Units({0, 0})}) {
            Text grown(prefix);
            grown.set_CaseSensitivity(false);
            EXPECT_EQ(&(grown += cString.c_str()), &grown);
            EXPECT_TRUE(Holds(grown, prefix + kept, false));
        }
        // The offset ends ICU's well-formed prefix, and the subpart there is one U+FFFD.
        const auto check = QuendalText::ValidateUTF8(bytes);
        EXPECT_EQ(MalformedOffset([&] { Text::FromUTF8(bytes); }),
                  OffsetFor(bytesSubs, check.position));
        // The modern members' arguments read UTF-8 as strictly.
        EXPECT_EQ(MalformedOffset([&] { QuendalText::TextArgument argument(bytes); }),
                  OffsetFor(bytesSubs, check.position));
        if (bytesSubs == 0) {
            EXPECT_TRUE(Holds(Text::FromUTF8(bytes), fromBytes));
            EXPECT_EQ(UTF16String(QuendalText::TextArgument(bytes).View()), fromBytes);
            // A block cut anywhere: what precedes a cut character is whole.
            const std::size_t cut = random() % (bytes.size() + 1);
            const std::size_t whole = QuendalText::CompleteUTF8Prefix(bytes.substr(0, cut));
            EXPECT_EQ(IcuFromUTF8(bytes.substr(0, whole)).second, 0);
            EXPECT_EQ(whole == cut, IcuFromUTF8(bytes.substr(0, cut)).second == 0);
        } else {
            EXPECT_EQ(IcuFromUTF8(bytes.substr(0, check.position)).second, 0);
            // The subpart is maximal: ICU replaces it alone and reads on after it.
            EXPECT_EQ(IcuFromUTF8(bytes.substr(check.position)).first,
                      UTF16String(QUENDALTEXT_U("\uFFFD")) +
                          IcuFromUTF8(bytes.substr(check.position + check.length)).first);
        }
    });
}

TEST(TextConvert, UTF16AgreesWithIcu) {
    ForEachTrial(5678, [](std::mt19937& random) {
        const UTF16String units = RandomUnits(random);
        const Text text{UTF16StringView(units)};
        const auto [utf8, unitSubs] = IcuToUTF8(units);
        EXPECT_EQ(text.ToUTF8String(Malformed::Replace), utf8);
        EXPECT_EQ(UnitsOf(Text::FromUTF16(units, Malformed::Replace)), IcuFromUTF8(utf8).first);
        EXPECT_EQ((std::ostringstream() << text).str(), utf8);
        const long long unitOffset = MalformedOffset([&] { text.ToUTF8String(); });
        EXPECT_EQ(MalformedOffset([&] { text.ToUTF32String(); }), unitOffset);
        EXPECT_EQ(MalformedOffset([&] { Text::FromUTF16(units); }), unitOffset);
        const auto unitCheck = QuendalText::ValidateUTF16(units);
        EXPECT_EQ(unitOffset, OffsetFor(unitSubs, unitCheck.position));
        EXPECT_TRUE(unitSubs == 0 || IcuToUTF8(units.substr(0, unitCheck.position)).second == 0);
        EXPECT_EQ(unitCheck.validity == QuendalText::Validity::Incomplete,
                  unitCheck.position + 1 == units.size() && IsHigh(units.back()));

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
        EXPECT_EQ(UnitsOf(Text::FromWString(wide, Malformed::Replace)), IcuFromUTF8(utf8).first);
        EXPECT_EQ(MalformedOffset([&] { Text::FromWString(wide); }),
                  sizeof(wchar_t) == 2 ? unitOffset
                                       : MalformedOffset([&] { Text::FromUTF32(codePoints); }));
    });
}

TEST(TextConvert, UTF32InAgreesWithIcu) {
    ForEachTrial(9012, [](std::mt19937& random) {
        const std::u32string values = RandomValues(random);
        const auto [fromValues, valueSubs] = IcuFromUTF32(values);
        EXPECT_EQ(UnitsOf(Text::FromUTF32(values, Malformed::Replace)), fromValues);
        const auto valueCheck = QuendalText::ValidateUTF32(values);
        EXPECT_EQ(MalformedOffset([&] { Text::FromUTF32(values); }),
                  OffsetFor(valueSubs, valueCheck.position));
        EXPECT_TRUE(valueSubs == 0 ||
                    IcuFromUTF32(values.substr(0, valueCheck.position)).second == 0);
        if (sizeof(wchar_t) == 4) {  // values beyond Unicode, and negative ones, as wchar_t
            const std::wstring wideValues(values.begin(), values.end());
            EXPECT_EQ(UnitsOf(Text::FromWString(wideValues, Malformed::Replace)), fromValues);
            EXPECT_EQ(MalformedOffset([&] { Text::FromWString(wideValues); }),
                      OffsetFor(valueSubs, valueCheck.position));
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
