// The four qutf_ conversions, each through the same cases: the library's three rules (absent
// source, size query, terminator), the result pointer, and what reaches the destination, byte
// by byte against canaries.
#include "test_support.h"

#include <unicode/utypes.h>

#include <cstring>
#include <vector>

namespace {

using qt_test::CanaryBuffer;

// One conversion with its unit types, a sample source holding one-, two- and four-byte
// characters in UTF-8 terms, the sample's correct output, and ill-formed sources.
struct UTF8ToUTF16 {
    using Source = char;
    using Dest = UChar;
    static constexpr auto Convert = qutf_ConvertUTF8TextToUTF16Text;
    static std::vector<Source> Sample() { return {'A', '\xC3', '\xA9', '\xF0', '\x9F', '\x98', '\x80'}; }
    static std::vector<Dest> Output() { return {0x41, 0xE9, 0xD83D, 0xDE00}; }
    static std::vector<std::vector<Source>> IllFormed() { return {{'A', '\xFF'}, {'\xC0', '\x80'}}; }
};

struct UTF16ToUTF8 {
    using Source = UChar;
    using Dest = char;
    static constexpr auto Convert = qutf_ConvertUTF16TextToUTF8Text;
    static std::vector<Source> Sample() { return {0x41, 0xE9, 0xD83D, 0xDE00}; }
    static std::vector<Dest> Output() { return {'A', '\xC3', '\xA9', '\xF0', '\x9F', '\x98', '\x80'}; }
    static std::vector<std::vector<Source>> IllFormed() { return {{0x41, 0xD800}, {0xDC00, 0x41}}; }
};

struct UTF32ToUTF16 {
    using Source = UChar32;
    using Dest = UChar;
    static constexpr auto Convert = qutf_ConvertUTF32TextToUTF16Text;
    static std::vector<Source> Sample() { return {0x41, 0xE9, 0x1F600}; }
    static std::vector<Dest> Output() { return {0x41, 0xE9, 0xD83D, 0xDE00}; }
    static std::vector<std::vector<Source>> IllFormed() { return {{0x41, 0x110000}, {0xD800}}; }
};

struct UTF16ToUTF32 {
    using Source = UChar;
    using Dest = UChar32;
    static constexpr auto Convert = qutf_ConvertUTF16TextToUTF32Text;
    static std::vector<Source> Sample() { return {0x41, 0xE9, 0xD83D, 0xDE00}; }
    static std::vector<Dest> Output() { return {0x41, 0xE9, 0x1F600}; }
    static std::vector<std::vector<Source>> IllFormed() { return {{0x41, 0xD800}, {0xDC00}}; }
};

// Slack after the capacity that a conversion must never reach.
constexpr std::size_t kGuardUnits = 4;

template <class Conversion>
class QutfConversion : public testing::Test {
protected:
    using Source = typename Conversion::Source;
    using Dest = typename Conversion::Dest;

    struct Outcome {
        Dest* result;
        int32_t length;
        UErrorCode status;
    };

    // Converts into a canary buffer of `capacity` units plus the guard.
    Outcome Run(const Source* source, int32_t sourceLength, int32_t capacity, bool nullTerminated,
                UErrorCode statusOnEntry = U_ZERO_ERROR) {
        buffer_ = CanaryBuffer<Dest>(static_cast<std::size_t>(capacity) + kGuardUnits);
        return RunInto(buffer_.data(), capacity, source, sourceLength, nullTerminated, statusOnEntry);
    }

    Outcome RunInto(Dest* dest, int32_t capacity, const Source* source, int32_t sourceLength,
                    bool nullTerminated, UErrorCode statusOnEntry = U_ZERO_ERROR) {
        Outcome outcome{nullptr, -7, statusOnEntry};
        outcome.result = Conversion::Convert(dest, capacity, &outcome.length, source, sourceLength,
                                             nullTerminated ? 1 : 0, &outcome.status);
        EXPECT_EQ(outcome.result, dest) << "the result is always the destination passed in";
        return outcome;
    }

    // The buffer of the last Run must hold `written` and then only canary bytes.
    void ExpectBuffer(const std::vector<Dest>& written) {
        ASSERT_LE(written.size(), buffer_.size());
        std::vector<unsigned char> expected(buffer_.size() * sizeof(Dest), qt_test::kCanary);
        if (!written.empty()) std::memcpy(expected.data(), written.data(), written.size() * sizeof(Dest));
        std::vector<unsigned char> actual(buffer_.size() * sizeof(Dest));
        std::memcpy(actual.data(), buffer_.data(), actual.size());
        EXPECT_EQ(actual, expected);
    }

    // The canary bytes from unit `from` of the last Run's buffer onwards are untouched.
    void ExpectCanariesFrom(std::size_t from) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data());
        for (std::size_t i = from * sizeof(Dest); i < buffer_.size() * sizeof(Dest); ++i) {
            ASSERT_EQ(bytes[i], qt_test::kCanary) << "byte " << i << " was written";
        }
    }

    static std::vector<Dest> WithTerminator(std::vector<Dest> units) {
        units.push_back(Dest{0});
        return units;
    }

    static int32_t Size(const std::vector<Dest>& units) { return static_cast<int32_t>(units.size()); }

    std::vector<Dest> buffer_;
};

using Conversions = testing::Types<UTF8ToUTF16, UTF16ToUTF8, UTF32ToUTF16, UTF16ToUTF32>;
TYPED_TEST_SUITE(QutfConversion, Conversions);

TYPED_TEST(QutfConversion, AbsentSourceConvertsToNothing) {
    for (const bool nullTerminated : {false, true}) {
        for (const UErrorCode onEntry : {U_ZERO_ERROR, U_ILLEGAL_ARGUMENT_ERROR, U_BUFFER_OVERFLOW_ERROR}) {
            SCOPED_TRACE(testing::Message() << "nullTerminated " << nullTerminated << ", status on entry " << onEntry);
            auto outcome = this->Run(nullptr, 0, 4, nullTerminated, onEntry);
            EXPECT_EQ(outcome.length, 0);
            EXPECT_EQ(outcome.status, U_ZERO_ERROR);
            this->ExpectBuffer({});  // not even a terminator

            outcome = this->RunInto(nullptr, 0, nullptr, 0, nullTerminated, onEntry);
            EXPECT_EQ(outcome.length, 0);
            EXPECT_EQ(outcome.status, U_ZERO_ERROR);
        }
    }
    // A null source with a length is passed on, and ICU refuses it.
    const auto outcome = this->Run(nullptr, 3, 4, true);
    EXPECT_EQ(outcome.status, U_ILLEGAL_ARGUMENT_ERROR);
    this->ExpectCanariesFrom(4);
}

TYPED_TEST(QutfConversion, EmptySourceGoesToICU) {
    const auto sample = TypeParam::Sample();
    for (const bool nullTerminated : {false, true}) {
        SCOPED_TRACE(testing::Message() << "nullTerminated " << nullTerminated);
        // With room: just the terminator.
        auto outcome = this->Run(sample.data(), 0, 3, nullTerminated);
        EXPECT_EQ(outcome.length, 0);
        EXPECT_EQ(outcome.status, U_ZERO_ERROR);
        this->ExpectBuffer({0});

        // A size query: ICU reports the missing terminator, which is no overflow to this rule.
        outcome = this->RunInto(nullptr, 0, sample.data(), 0, nullTerminated);
        EXPECT_EQ(outcome.length, 0);
        EXPECT_EQ(outcome.status, nullTerminated ? U_BUFFER_OVERFLOW_ERROR : U_STRING_NOT_TERMINATED_WARNING);
    }
}

TYPED_TEST(QutfConversion, SizeQueryGivesLengthWithoutTerminator) {
    const auto sample = TypeParam::Sample();
    for (const bool nullTerminated : {false, true}) {
        const auto outcome = this->RunInto(nullptr, 0, sample.data(), static_cast<int32_t>(sample.size()), nullTerminated);
        EXPECT_EQ(outcome.length, this->Size(TypeParam::Output())) << "nullTerminated " << nullTerminated;
        EXPECT_EQ(outcome.status, U_ZERO_ERROR) << "nullTerminated " << nullTerminated;
    }
}

TYPED_TEST(QutfConversion, DestinationSizes) {
    const auto sample = TypeParam::Sample();
    const auto sampleLength = static_cast<int32_t>(sample.size());
    const auto output = TypeParam::Output();
    const int32_t needed = this->Size(output);

    for (const bool nullTerminated : {false, true}) {
        SCOPED_TRACE(testing::Message() << "nullTerminated " << nullTerminated);

        // Room for the output and its terminator.
        auto outcome = this->Run(sample.data(), sampleLength, needed + 1, nullTerminated);
        EXPECT_EQ(outcome.status, U_ZERO_ERROR);
        EXPECT_EQ(outcome.length, needed);
        this->ExpectBuffer(this->WithTerminator(output));

        // Room for the output only: written without terminator, which the caller may refuse.
        outcome = this->Run(sample.data(), sampleLength, needed, nullTerminated);
        EXPECT_EQ(outcome.status, nullTerminated ? U_BUFFER_OVERFLOW_ERROR : U_STRING_NOT_TERMINATED_WARNING);
        EXPECT_EQ(outcome.length, needed);
        this->ExpectCanariesFrom(static_cast<std::size_t>(needed));
        if (!nullTerminated) this->ExpectBuffer(output);

        // Too small: overflow, the full length, nothing beyond the capacity.
        for (int32_t capacity : {needed - 1, int32_t{1}}) {
            outcome = this->Run(sample.data(), sampleLength, capacity, nullTerminated);
            EXPECT_EQ(outcome.status, U_BUFFER_OVERFLOW_ERROR) << "capacity " << capacity;
            EXPECT_EQ(outcome.length, needed) << "capacity " << capacity;
            this->ExpectCanariesFrom(static_cast<std::size_t>(capacity));
        }
    }
}

TYPED_TEST(QutfConversion, CountedSourceConvertsZeroUnits) {
    // A zero unit inside the counted source is converted like any other unit.
    auto source = TypeParam::Sample();
    source.insert(source.begin(), 0);
    auto expected = TypeParam::Output();
    expected.insert(expected.begin(), 0);
    auto outcome = this->Run(source.data(), static_cast<int32_t>(source.size()), this->Size(expected) + 1, true);
    EXPECT_EQ(outcome.status, U_ZERO_ERROR);
    EXPECT_EQ(outcome.length, this->Size(expected));
    this->ExpectBuffer(this->WithTerminator(expected));

    // Length -1 reads up to the first zero unit.
    source = TypeParam::Sample();
    source.push_back(0);
    outcome = this->Run(source.data(), -1, this->Size(TypeParam::Output()) + 1, true);
    EXPECT_EQ(outcome.status, U_ZERO_ERROR);
    this->ExpectBuffer(this->WithTerminator(TypeParam::Output()));
}

TYPED_TEST(QutfConversion, IllFormedSourceFails) {
    for (const auto& source : TypeParam::IllFormed()) {
        const auto length = static_cast<int32_t>(source.size());
        for (const bool nullTerminated : {false, true}) {
            auto outcome = this->Run(source.data(), length, 8, nullTerminated);
            EXPECT_EQ(outcome.status, U_INVALID_CHAR_FOUND) << "nullTerminated " << nullTerminated;
            this->ExpectCanariesFrom(8);
            // A size query reports the fault too.
            outcome = this->RunInto(nullptr, 0, source.data(), length, nullTerminated);
            EXPECT_EQ(outcome.status, U_INVALID_CHAR_FOUND) << "size query";
        }
    }
}

}  // namespace
