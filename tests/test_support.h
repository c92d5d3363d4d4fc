// What the tests share: references independent of the library and of ICU (encoders, the count
// rule), checks of a text and of a raise, canary buffers and a generator.
#ifndef QUENDALTEXT_TESTS_TEST_SUPPORT_H
#define QUENDALTEXT_TESTS_TEST_SUPPORT_H

#include <QuendalText/QuendalText.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace qt_test {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;
using CodePoints = std::vector<std::uint32_t>;

inline UTF16String Units(std::initializer_list<std::uint32_t> units) {
    UTF16String result;
    for (const std::uint32_t unit : units) result.push_back(static_cast<UTF16Unit>(unit));
    return result;
}
inline UTF16String UnitsOf(const Text& t) {
    return UTF16String(t.c_str(), std::size_t(t.get_Length()));
}
inline UTF16String UnitsOf(const Char& c) { return static_cast<const UTF16Unit*>(c); }
inline std::size_t Size(int count) { return count < 0 ? UTF16String::npos : std::size_t(count); }
inline bool IsHigh(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
inline bool IsLow(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
inline bool IsSurrogate(std::uint32_t unit) { return IsHigh(unit) || IsLow(unit); }

// Reference encoders of code points up to 0x10FFFF; a surrogate value stands for itself.
inline UTF16String ToUTF16(const CodePoints& codePoints) {
    UTF16String units;
    for (const std::uint32_t c : codePoints) {
        if (c <= 0xFFFF) units += Units({c});
        if (c > 0xFFFF) units += Units({0xD800 + ((c - 0x10000) >> 10), 0xDC00 + c % 0x400});
    }
    return units;
}
inline std::string ToUTF8(const CodePoints& codePoints) {
    static constexpr std::uint32_t kLeads[] = {0x00, 0xC0, 0xE0, 0xF0};
    std::string bytes;
    for (const std::uint32_t c : codePoints) {
        const int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        bytes += static_cast<char>(kLeads[tail] | c >> (6 * tail));
        for (int shift = 6 * (tail - 1); shift >= 0; shift -= 6)
            bytes += static_cast<char>(0x80 | ((c >> shift) & 0x3F));
    }
    return bytes;
}
// The code points of units: a high and a low surrogate make one, any other unit is one.
inline CodePoints Decode(const UTF16String& u) {
    CodePoints codePoints;
    for (std::size_t i = 0; i < u.size(); ++i) {
        const bool pair = IsHigh(u[i]) && i + 1 < u.size() && IsLow(u[i + 1]);
        codePoints.push_back(pair ? 0x10000 + (u[i] - 0xD800u) * 0x400 + (u[i + 1] - 0xDC00u)
                                  : u[i]);
        i += pair ? 1 : 0;
    }
    return codePoints;
}

// The count rule as described: pieces are a high surrogate with the unit after it, or one other
// unit. A high-and-low pair counts, other high pieces do not, others count unless a NUL comes
// before anything counted; a piece that starts with a low surrogate makes the count -1.
inline int ReferenceCount(const UTF16String& units) {
    int count = 0;
    for (std::size_t i = 0; i < units.size(); i += IsHigh(units[i]) ? 2u : 1u) {
        if (IsLow(units[i])) return -1;
        const bool pair = IsHigh(units[i]) && i + 1 < units.size() && IsLow(units[i + 1]);
        count += (IsHigh(units[i]) ? pair : units[i] != 0 || count > 0) ? 1 : 0;
    }
    return count;
}

// Whether `text` holds `units` and a NUL after them, with the reference count, the settings and
// the buffer sizes the references give (UTF-8 of the code points, a lone surrogate in three
// bytes; UTF-32 from the count, so a malformed text has -4 bytes), 0 for an unknown encoding.
inline testing::AssertionResult Holds(const Text& text, const UTF16String& units,
                                      bool caseSensitive = true, bool forward = true) {
    const auto size = [&text](int encoding, bool nul) {
        return text.get_EncodingSize(static_cast<UTFEncodingType>(encoding), nul);
    };
    const auto held =
        std::make_tuple(UnitsOf(text), text.get_NumberOfCharacters(), text.IsCaseSensitive(),
                        text.IsSearchForward(), text.IsEmpty(), size(UTF8Encoding, true),
                        size(UTF16Encoding, false), size(UTF32Encoding, true),
                        size(UTF32Encoding, false), size(3, true));
    const int count = ReferenceCount(units);
    const auto expected = std::make_tuple(units, count, caseSensitive, forward, units.empty(),
                                          int(ToUTF8(Decode(units)).size()) + 1,
                                          2 * int(units.size()), 4 * (count + 1), 4 * count, 0);
    if (held == expected && text.c_str()[units.size()] == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << testing::PrintToString(held) << " instead of " << testing::PrintToString(expected);
}

// Expects `statement` to raise CPPException<E> with the given function, line and message.
#define EXPECT_RAISES(statement, E, function, line, message)      \
  do {                                                            \
    try {                                                         \
      statement;                                                  \
      ADD_FAILURE() << "expected " #E " from: " #statement;       \
    } catch (const QuendalLog::CPPException<E>& failure_) {       \
      EXPECT_STREQ(failure_.get_MessageText(), message);          \
      EXPECT_EQ(failure_.get_LineNum(), static_cast<long>(line)); \
      EXPECT_STREQ(failure_.get_FunctionName(), function);        \
      EXPECT_STREQ(failure_.get_FileName(), ".\\Text.cpp");       \
    }                                                             \
  } while (false)

// A buffer pre-filled with a marker byte, so that writes past the expected end show.
constexpr unsigned char kCanary = 0xAB;
template <class Unit>
std::vector<Unit> CanaryBuffer(std::size_t units) {
    std::vector<Unit> buffer(units);
    return std::memset(buffer.data(), kCanary, units * sizeof(Unit)), buffer;
}

// Random texts of the units that matter to the rules, and characters of every kind (U+102441 also
// decodes from 0xDC00 'A').
struct Generator {
    std::mt19937 engine;
    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine); }
    UTF16String Units(int maxLength) {
        static const UTF16String kUnits =
            qt_test::Units({'a', 'b', 'A', ',', 0, 0xE9, 0xFFFF, 0xD83D, 0xD800, 0xDE00, 0xDC00});
        UTF16String units(std::size_t(Below(maxLength + 1)), 0);
        for (UTF16Unit& unit : units) unit = kUnits[std::size_t(Below(11))];
        return units;
    }
    Char AnyChar() {
        static const Char kChars[] = {
            'a', ',', UTF16Unit{0}, UTF16Unit{0xFFFF}, '\x80', Char(), 0x1F600, 0x102441, 0xD800};
        return kChars[Below(9)];
    }
};

// The fields of each data line of a UCD file (a name in the database, or a full path), split
// at `separator`, comments dropped.
inline void ForEachRecord(const std::string& file, char separator,
                          const std::function<void(std::vector<std::string>)>& visit) {
    std::ifstream input(file.front() == '/' ? file : std::string(QUENDALTEXT_UCD_DIR) + "/" + file);
    ASSERT_TRUE(input) << "missing " << file << " (Debian package unicode-data)";
    for (std::string line; std::getline(input, line);) {
        line = line.substr(0, line.find_first_of("#\t"));
        if (line.find(separator) == std::string::npos) continue;
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, separator);) fields.push_back(cell);
        visit(fields);
    }
}

// The UTF-16 units of space-separated hexadecimal code points; a surrogate stays one unit.
inline UTF16String UnitsOfHex(const std::string& hex) {
    CodePoints values;
    std::istringstream in(hex);
    for (std::string value; in >> value;)
        values.push_back(std::uint32_t(std::stoul(value, nullptr, 16)));
    return ToUTF16(values);
}

}  // namespace qt_test

#endif  // QUENDALTEXT_TESTS_TEST_SUPPORT_H
