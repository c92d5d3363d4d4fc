// The four qutf_ conversions through one table: the library's three rules around ICU (absent
// source, size query, terminator), the result pointer, and every unit of the destination.
#include "test_support.h"

#include <unicode/utypes.h>

namespace {

// The same text in each form (one-, two- and four-byte characters in UTF-8), then ill-formed ones.
std::vector<std::vector<char>> Samples(char) {
    return {{'A', '\xC3', '\xA9', '\xF0', '\x9F', '\x98', '\x80'}, {'A', '\xFF'}, {'\xC0', '\x80'}};
}
std::vector<std::vector<UChar>> Samples(UChar) {
    return {{0x41, 0xE9, 0xD83D, 0xDE00}, {0x41, 0xD800}, {0xDC00, 0x41}};
}
std::vector<std::vector<UChar32>> Samples(UChar32) {
    return {{0x41, 0xE9, 0x1F600}, {0x41, 0x110000}, {0xD800}};
}

// One conversion from S units to D units through the table of cases.
template <class S, class D>
void ExpectRulesAroundICU(D* (*convert)(D*, int32_t, int32_t*, const S*, int32_t, int32_t,
                                        UErrorCode*)) {
    using Units = std::vector<D>;
    SCOPED_TRACE(testing::Message() << sizeof(S) << "-byte to " << sizeof(D) << "-byte units");
    const auto samples = Samples(S{});
    auto text = samples[0], afterZero = text, terminated = text;
    afterZero.insert(afterZero.begin(), 0);
    terminated.push_back(0);
    const Units output = Samples(D{})[0], none;
    Units outputZ = output, zeroOutputZ = output, zero{0};
    outputZ.push_back(0);
    zeroOutputZ.insert(zeroOutputZ.begin(), 0), zeroOutputZ.push_back(0);
    const auto n = int32_t(text.size()), needed = int32_t(output.size()), query = -1, any = -7;
    for (const int32_t nul : {0, 1}) {
        const UErrorCode overflow = U_BUFFER_OVERFLOW_ERROR, ok = U_ZERO_ERROR,
                         unterminated = nul ? overflow : U_STRING_NOT_TERMINATED_WARNING;
        const auto* s = text.data();
        // Capacity `query`: a null destination and capacity 0. Length `any`: ICU's business.
        // Written: then canaries; null: only canaries after the capacity.
        const struct {
            const char* name;
            const S* source;
            int32_t sourceLength, capacity;
            UErrorCode onEntry, status;
            int32_t length;
            const Units* written;
        } cases[] = {
            {"absent source", nullptr, 0, 4, ok, ok, 0, &none},
            {"absent source, failure on entry", nullptr, 0, 4, U_ILLEGAL_ARGUMENT_ERROR, ok, 0,
             &none},
            {"absent source, size query", nullptr, 0, query, U_INVALID_CHAR_FOUND, ok, 0, nullptr},
            {"null source with a length", nullptr, 3, 4, ok, U_ILLEGAL_ARGUMENT_ERROR, any,
             nullptr},
            {"empty source", s, 0, 3, ok, ok, 0, &zero},
            {"empty source, size query", s, 0, query, ok, unterminated, 0, nullptr},
            {"size query", s, n, query, ok, ok, needed, nullptr},
            {"capacity 0 with a buffer", s, n, 0, ok, overflow, needed, nullptr},
            {"room for the terminator", s, n, needed + 1, ok, ok, needed, &outputZ},
            {"exact fit", s, n, needed, ok, unterminated, needed, &output},
            {"one unit short", s, n, needed - 1, ok, overflow, needed, nullptr},
            {"zero unit inside", afterZero.data(), n + 1, needed + 2, ok, ok, needed + 1,
             &zeroOutputZ},
            {"length -1 stops at a zero", terminated.data(), -1, needed + 1, ok, ok, needed,
             &outputZ},
            {"ill-formed", samples[1].data(), 2, 8, ok, U_INVALID_CHAR_FOUND, any, nullptr},
            {"ill-formed, size query", samples[2].data(), int32_t(samples[2].size()), query, ok,
             U_INVALID_CHAR_FOUND, any, nullptr},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << ", nullTerminated " << nul);
            const int32_t capacity = std::max(c.capacity, 0);
            auto buffer = qt_test::CanaryBuffer<D>(std::size_t(capacity) + 4);
            D* const dest = c.capacity == query ? nullptr : buffer.data();
            int32_t length = any;
            UErrorCode status = c.onEntry;
            EXPECT_EQ(convert(dest, capacity, &length, c.source, c.sourceLength, nul, &status),
                      dest);
            EXPECT_EQ(status, c.status);
            EXPECT_TRUE(c.length == any || length == c.length) << length;
            const auto known =
                std::ptrdiff_t(c.written ? c.written->size() : std::size_t(capacity));
            if (c.written) {
                EXPECT_EQ(Units(buffer.begin(), buffer.begin() + known), *c.written);
            }
            EXPECT_EQ(Units(buffer.begin() + known, buffer.end()),
                      qt_test::CanaryBuffer<D>(buffer.size() - std::size_t(known)));
        }
    }
}

TEST(QutfConversion, RulesAroundICU) {
    ExpectRulesAroundICU(qutf_ConvertUTF8TextToUTF16Text);
    ExpectRulesAroundICU(qutf_ConvertUTF16TextToUTF8Text);
    ExpectRulesAroundICU(qutf_ConvertUTF32TextToUTF16Text);
    ExpectRulesAroundICU(qutf_ConvertUTF16TextToUTF32Text);
}

}  // namespace
