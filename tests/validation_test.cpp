// The validators and the UTF-32 entry points held to ICU called directly: every UTF-32 value a
// code point can have and a spread above, and every short cut end of a UTF-8 block.
#include "test_support.h"

#include "../fuzz/utf_reference.h"

#include <functional>

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
        const std::u32string one(1, value);
        const bool scalar = !fuzz::IcuFirstFault(one).found;
        const UTF16String expected = scalar ? fuzz::IcuReplaced(one) : UTF16String();
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

// A block's end is held back exactly as ICU's UTF-8 converter keeps it pending for the next
// block, which is also when ValidateUTF8 calls it Incomplete; every end of up to four bytes drawn
// from the bytes that bound the sequence rules, after a whole character.
TEST(Validation, CompleteUTF8PrefixHoldsBackOnlyWhatCanBeCompleted) {
    static const unsigned char kBytes[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0,
                                           0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xED,
                                           0xEF, 0xF0, 0xF3, 0xF4, 0xF5, 0xFF};
    std::function<void(const std::string&)> visit = [&](const std::string& block) {
        if (testing::Test::HasFatalFailure()) return;
        const std::size_t held = QuendalText::CompleteUTF8Prefix(block);
        ASSERT_EQ(held, block.size() - fuzz::IcuPendingBytes(block))
            << testing::PrintToString(block);
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
