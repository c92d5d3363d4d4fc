// The validators and the UTF-32 entry points held to ICU called directly: every UTF-32 value a
// code point can have and a spread above, and every short cut end of a UTF-8 block.
#include "test_support.h"

#include <unicode/ustring.h>

#include <functional>
#include <set>

namespace {

using namespace qt_test;
using QuendalText::MalformedInput;
using QuendalText::Validity;

// Each value alone: ICU's verdict and units against ValidateUTF32 and FromUTF32 with
// Malformed::Raise.
TEST(Validation, EveryUTF32ValueAsIcuReadsIt) {
    std::u32string values;
    for (char32_t value = 0; value <= 0x10FFFF; ++value) values += value;
    // Above U+10FFFF: a spread over 32 bits, and values whose low 16 bits are a surrogate.
    for (std::uint64_t value = 0x110000; value <= 0xFFFFFFFF; value += 0xFFEF1)
        values += char32_t(value);
    for (const char32_t value : {0x11D800u, 0x1FDFFFu, 0x8000DC00u, 0xFFFFD800u, 0xFFFFFFFFu})
        values += value;
    for (const char32_t& value : values) {
        const auto* icuValue = reinterpret_cast<const UChar32*>(&value);
        UTF16Unit icu[2];
        int32_t icuLength = 0;
        UErrorCode icuStatus = U_ZERO_ERROR;
        u_strFromUTF32(reinterpret_cast<UChar*>(icu), 2, &icuLength, icuValue, 1, &icuStatus);
        const bool scalar = U_SUCCESS(icuStatus);
        const UTF16String expected(icu, scalar ? std::size_t(icuLength) : 0);
        ASSERT_EQ(QuendalText::ValidateUTF32({&value, 1}).validity == Validity::Valid, scalar)
            << std::hex << std::uint32_t(value);
        try {
            ASSERT_EQ(UnitsOf(Text::FromUTF32({&value, 1})), expected) << std::uint32_t(value);
            ASSERT_TRUE(scalar) << std::hex << std::uint32_t(value);
        } catch (const MalformedInput&) {
            ASSERT_FALSE(scalar) << std::hex << std::uint32_t(value);
        }
    }
}

// A block's end is held back exactly when it is a proper start of the UTF-8 of some scalar value
// (ICU's encoder gives every one), which is also when ValidateUTF8 calls it Incomplete; every end
// of up to four bytes drawn from the bytes that bound the sequence rules, after a whole character.
TEST(Validation, CompleteUTF8PrefixHoldsBackOnlyWhatCanBeCompleted) {
    std::set<std::string> starts;
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
        UChar units[2];
        char bytes[4];
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF32(units, 2, &length, &c, 1, &status);
        u_strToUTF8(bytes, 4, &length, units, length, &status);
        for (int32_t n = 1; U_SUCCESS(status) && n < length; ++n)
            starts.emplace(bytes, std::size_t(n));
    }
    static const unsigned char kBytes[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0,
                                           0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED,
                                           0xEF, 0xF0, 0xF3, 0xF4, 0xF5, 0xFF};
    std::function<void(const std::string&)> visit = [&](const std::string& block) {
        if (testing::Test::HasFatalFailure()) return;
        std::size_t expected = block.size();
        for (std::size_t back = 1; back < 4 && back < block.size(); ++back) {
            if (starts.count(block.substr(block.size() - back))) expected = block.size() - back;
        }
        const std::size_t held = QuendalText::CompleteUTF8Prefix(block);
        ASSERT_EQ(held, expected) << testing::PrintToString(block);
        const auto check =
            QuendalText::ValidateUTF8(held < block.size() ? block.substr(held) : block);
        ASSERT_EQ(check.validity == Validity::Incomplete, held < block.size());
        if (block.size() < 9) {
            for (const unsigned char byte : kBytes) visit(block + char(byte));
        }
    };
    visit("a\xF0\x9F\x98\x80");
}

}  // namespace
