// The four qutf_ conversions through one table of cases: the library's three rules around ICU
// (absent source, size query, terminator), the result pointer, and what reaches the destination,
// byte by byte against canaries.
#include "test_support.h"

#include <unicode/utypes.h>

#include <cstring>
#include <optional>
#include <vector>

namespace {

// The same text in each encoding form: one-, two- and four-byte characters in UTF-8 terms.
template <class Unit>
std::vector<Unit> Sample();
template <>
std::vector<char> Sample() {
    return {'A', '\xC3', '\xA9', '\xF0', '\x9F', '\x98', '\x80'};
}
template <>
std::vector<UChar> Sample() {
    return {0x41, 0xE9, 0xD83D, 0xDE00};
}
template <>
std::vector<UChar32> Sample() {
    return {0x41, 0xE9, 0x1F600};
}

template <class Unit>
std::vector<std::vector<Unit>> IllFormed();
template <>
std::vector<std::vector<char>> IllFormed() {
    return {{'A', '\xFF'}, {'\xC0', '\x80'}};
}
template <>
std::vector<std::vector<UChar>> IllFormed() {
    return {{0x41, 0xD800}, {0xDC00, 0x41}};
}
template <>
std::vector<std::vector<UChar32>> IllFormed() {
    return {{0x41, 0x110000}, {0xD800}};
}

// `units` with a zero unit before them, after them, or both.
template <class Unit>
std::vector<Unit> WithZeros(const std::vector<Unit>& units, bool before, bool after) {
    std::vector<Unit> result(before ? 1 : 0, Unit{0});
    for (const Unit unit : units) result.push_back(unit);
    if (after) result.push_back(Unit{0});
    return result;
}

template <class S, class D,
          D* (*Function)(D*, int32_t, int32_t*, const S*, int32_t, int32_t, UErrorCode*)>
struct Conversion {
    using Source = S;
    using Dest = D;
    static constexpr auto Convert = Function;
};

constexpr int32_t kSizeQuery = -1;      // as a capacity: a null destination and capacity 0
constexpr int32_t kAnyLength = -7;      // the output length is ICU's own business
constexpr std::size_t kGuardUnits = 4;  // slack after the capacity that must stay untouched

template <class C>
class QutfConversion : public testing::Test {};

using Conversions = testing::Types<Conversion<char, UChar, qutf_ConvertUTF8TextToUTF16Text>,
                                   Conversion<UChar, char, qutf_ConvertUTF16TextToUTF8Text>,
                                   Conversion<UChar32, UChar, qutf_ConvertUTF32TextToUTF16Text>,
                                   Conversion<UChar, UChar32, qutf_ConvertUTF16TextToUTF32Text>>;
TYPED_TEST_SUITE(QutfConversion, Conversions, testing::internal::DefaultNameGenerator);

TYPED_TEST(QutfConversion, RulesAroundICU) {
    using Source = typename TypeParam::Source;
    using Dest = typename TypeParam::Dest;
    const auto sample = Sample<Source>();
    const auto output = Sample<Dest>();
    const auto sampleLength = static_cast<int32_t>(sample.size());
    const auto needed = static_cast<int32_t>(output.size());
    const std::vector<Source> sampleAfterZero = WithZeros(sample, true, false);
    const std::vector<Source> sampleTerminated = WithZeros(sample, false, true);
    const std::vector<Dest> outputTerminated = WithZeros(output, false, true);
    const auto illFormed = IllFormed<Source>();

    struct Case {
        const char* name;
        const Source* source;
        int32_t sourceLength;
        int32_t capacity;
        UErrorCode onEntry;
        UErrorCode status;
        int32_t length;
        std::optional<std::vector<Dest>>
            written;  // then canaries; unset: only canaries after the capacity
    };
    for (const int32_t nullTerminated : {0, 1}) {
        const UErrorCode unterminated =
            nullTerminated ? U_BUFFER_OVERFLOW_ERROR : U_STRING_NOT_TERMINATED_WARNING;
        std::vector<Case> cases = {
            {"absent source", nullptr, 0, 4, U_ZERO_ERROR, U_ZERO_ERROR, 0, std::vector<Dest>{}},
            {"absent source, failure on entry", nullptr, 0, 4, U_ILLEGAL_ARGUMENT_ERROR,
             U_ZERO_ERROR, 0, std::vector<Dest>{}},
            {"absent source, overflow on entry", nullptr, 0, 1, U_BUFFER_OVERFLOW_ERROR,
             U_ZERO_ERROR, 0, std::vector<Dest>{}},
            {"absent source, size query",
             nullptr,
             0,
             kSizeQuery,
             U_INVALID_CHAR_FOUND,
             U_ZERO_ERROR,
             0,
             {}},
            {"null source with a length",
             nullptr,
             3,
             4,
             U_ZERO_ERROR,
             U_ILLEGAL_ARGUMENT_ERROR,
             kAnyLength,
             {}},
            {"empty source", sample.data(), 0, 3, U_ZERO_ERROR, U_ZERO_ERROR, 0,
             std::vector<Dest>{0}},
            {"empty source, size query",
             sample.data(),
             0,
             kSizeQuery,
             U_ZERO_ERROR,
             unterminated,
             0,
             {}},
            {"size query",
             sample.data(),
             sampleLength,
             kSizeQuery,
             U_ZERO_ERROR,
             U_ZERO_ERROR,
             needed,
             {}},
            {"capacity 0 with a buffer",
             sample.data(),
             sampleLength,
             0,
             U_ZERO_ERROR,
             U_BUFFER_OVERFLOW_ERROR,
             needed,
             {}},
            {"room for the terminator", sample.data(), sampleLength, needed + 1, U_ZERO_ERROR,
             U_ZERO_ERROR, needed, outputTerminated},
            {"exact fit", sample.data(), sampleLength, needed, U_ZERO_ERROR, unterminated, needed,
             output},
            {"one unit short",
             sample.data(),
             sampleLength,
             needed - 1,
             U_ZERO_ERROR,
             U_BUFFER_OVERFLOW_ERROR,
             needed,
             {}},
            {"one unit",
             sample.data(),
             sampleLength,
             1,
             U_ZERO_ERROR,
             U_BUFFER_OVERFLOW_ERROR,
             needed,
             {}},
            {"zero unit inside the counted source", sampleAfterZero.data(), sampleLength + 1,
             needed + 2, U_ZERO_ERROR, U_ZERO_ERROR, needed + 1, WithZeros(output, true, true)},
            {"length -1 stops at the zero unit", sampleTerminated.data(), -1, needed + 1,
             U_ZERO_ERROR, U_ZERO_ERROR, needed, outputTerminated},
        };
        for (const auto& source : illFormed) {
            const auto length = static_cast<int32_t>(source.size());
            cases.push_back({"ill-formed",
                             source.data(),
                             length,
                             8,
                             U_ZERO_ERROR,
                             U_INVALID_CHAR_FOUND,
                             kAnyLength,
                             {}});
            cases.push_back({"ill-formed, size query",
                             source.data(),
                             length,
                             kSizeQuery,
                             U_ZERO_ERROR,
                             U_INVALID_CHAR_FOUND,
                             kAnyLength,
                             {}});
        }

        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", nullTerminated " << nullTerminated);
            const bool query = c.capacity == kSizeQuery;
            const int32_t capacity = query ? 0 : c.capacity;
            auto buffer =
                qt_test::CanaryBuffer<Dest>(static_cast<std::size_t>(capacity) + kGuardUnits);
            Dest* const dest = query ? nullptr : buffer.data();
            int32_t length = kAnyLength;
            UErrorCode status = c.onEntry;
            EXPECT_EQ(TypeParam::Convert(dest, capacity, &length, c.source, c.sourceLength,
                                         nullTerminated, &status),
                      dest);
            EXPECT_EQ(status, c.status);
            if (c.length != kAnyLength) {
                EXPECT_EQ(length, c.length);
            }

            std::vector<unsigned char> expected(buffer.size() * sizeof(Dest), qt_test::kCanary);
            if (c.written && !c.written->empty())
                std::memcpy(expected.data(), c.written->data(), c.written->size() * sizeof(Dest));
            const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
            const std::size_t from =
                c.written ? 0 : static_cast<std::size_t>(capacity) * sizeof(Dest);
            EXPECT_EQ(std::vector<unsigned char>(bytes + from, bytes + expected.size()),
                      std::vector<unsigned char>(
                          expected.begin() + static_cast<std::ptrdiff_t>(from), expected.end()));
        }
    }
}

}  // namespace
