// What the format fuzzer and the format tests share: one random conversion (integer, floating or
// string and character) with any flags, width and precision ('*' and negative ones included)
// and length, through the format constructor and the C library's snprintf on the same arguments.
#ifndef QUENDALTEXT_FUZZ_FORMAT_REFERENCE_H
#define QUENDALTEXT_FUZZ_FORMAT_REFERENCE_H

#include <QuendalText/QuendalText.h>

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace fuzz {

inline QuendalText::UTF16String Widen(const std::string& ascii) {
    return QuendalText::UTF16String(ascii.begin(), ascii.end());
}

// Empty when Text(wideFormat, true, leading..., wideValue) gives the units that snprintf gives
// for narrowFormat with leading..., narrowValue; else what each gave.
template <class Narrow, class Wide, class... Leading>
std::string FormatMismatch(const std::string& wideFormat, const std::string& narrowFormat,
                           Narrow narrowValue, Wide wideValue, Leading... leading) {
    const int size = std::snprintf(nullptr, 0, narrowFormat.c_str(), leading..., narrowValue);
    if (size < 0) return "snprintf refuses " + narrowFormat;
    std::vector<char> expected(static_cast<std::size_t>(size) + 1);
    std::snprintf(expected.data(), expected.size(), narrowFormat.c_str(), leading..., narrowValue);
    const QuendalText::Text text(Widen(wideFormat).c_str(), true, leading..., wideValue);
    if (QuendalText::UTF16String(text.View()) == Widen(expected.data())) return {};
    return wideFormat + ": " + text.ToUTF8String(QuendalText::Malformed::Replace) + " instead of " +
           expected.data();
}

// A random conversion of some of `flags`, a width and (unless `noPrecision`) a precision, each
// none, digits or '*' (negative ones too); `next` gives 64 random bits a call.
struct RandomConversion {
    const std::function<std::uint64_t()>& next;
    int widthChoice = 0, precisionChoice = 0, width = 0, precision = 0;
    std::string middle;

    RandomConversion(const std::function<std::uint64_t()>& bits, const std::string& flags,
                     bool noPrecision)
        : next(bits) {
        for (const char flag : flags) middle += Pick(3) ? "" : std::string(1, flag);
        widthChoice = Pick(4);                        // none, digits, '*', '*' negative
        precisionChoice = noPrecision ? 0 : Pick(5);  // none, '.', digits, '*', '*' negative
        width = widthChoice == 3 ? -Field() : Field();
        precision = precisionChoice == 4 ? -1 - Pick(5) : Field();
        middle += widthChoice == 1 ? std::to_string(width) : widthChoice >= 2 ? "*" : "";
        middle += precisionChoice == 1   ? "."
                  : precisionChoice == 2 ? "." + std::to_string(precision)
                  : precisionChoice >= 3 ? ".*"
                                         : "";
    }
    int Pick(int bound) { return static_cast<int>(next() % static_cast<unsigned>(bound)); }
    // Now and then a field around 4096, where integers stop going to the C library whole.
    int Field() { return Pick(8) == 0 ? 4090 + Pick(12) : Pick(25); }
    // Any 64-bit value, small ones as often as large.
    std::int64_t Value() {
        const std::uint64_t bits = next() >> Pick(64);
        return static_cast<std::int64_t>(Pick(2) == 0 ? bits : 0 - bits);
    }
    // "[%" middle tail "]" through both, with the '*' arguments before the value.
    template <class Narrow, class Wide>
    std::string Mismatch(const std::string& wideTail, const std::string& narrowTail,
                         Narrow narrowValue, Wide wideValue) {
        const std::string wide = "[%" + middle + wideTail + "]",
                          narrow = "[%" + middle + narrowTail + "]";
        const auto check = [&](auto... stars) {
            return FormatMismatch(wide, narrow, narrowValue, wideValue, stars...);
        };
        if (widthChoice < 2) return precisionChoice < 3 ? check() : check(precision);
        return precisionChoice < 3 ? check(width) : check(width, precision);
    }
};

// Every integer length and its narrow equivalent (every type of the 64-bit ones is 64 bits wide
// here).
inline std::string IntegerMismatch(const std::function<std::uint64_t()>& next) {
    static const char* const kLengths[][2] = {{"", ""},     {"hh", "hh"},  {"h", "h"}, {"l", "l"},
                                              {"ll", "ll"}, {"I64", "ll"}, {"I", "z"}, {"z", "z"},
                                              {"t", "t"},   {"j", "j"},    {"I32", ""}};
    RandomConversion conversion(next, "-+ #0", false);
    const std::int64_t value = conversion.Value();
    const int length = conversion.Pick(11);
    const bool wide64 = length >= 3 && length <= 9;
    const std::string letter(1, "diuoxX"[conversion.Pick(6)]);
    const auto same = [&](auto number) {
        return conversion.Mismatch(kLengths[length][0] + letter, kLengths[length][1] + letter,
                                   number, number);
    };
    if (letter == "d" || letter == "i")
        return wide64 ? same(static_cast<long long>(value)) : same(static_cast<int>(value));
    return wide64 ? same(static_cast<unsigned long long>(value))
                  : same(static_cast<unsigned>(value));
}

// Every floating-point letter, double and long double, with infinities, NaN and subnormals.
inline std::string FloatingMismatch(const std::function<std::uint64_t()>& next) {
    static const double kSpecials[] = {0.0,         -0.0,    INFINITY, -INFINITY, NAN,
                                       DBL_MIN / 8, DBL_MAX, 0.5,      9.9999};
    RandomConversion conversion(next, "-+ #0", false);
    const std::string letter(1, "eEfFgGaA"[conversion.Pick(8)]);
    const double number = conversion.Pick(4) == 0
                              ? kSpecials[conversion.Pick(9)]
                              : std::ldexp(double(conversion.Value()), conversion.Pick(200) - 160);
    const long double third = static_cast<long double>(number) / 3;
    if (conversion.Pick(3) == 0)
        return conversion.Mismatch("L" + letter, "L" + letter, third, third);
    return conversion.Mismatch((conversion.Pick(2) == 0 ? "l" : "") + letter, letter, number,
                               number);
}

// Narrow and wide strings and characters: narrow with 'h', or with an upper-case letter and no
// length.
inline std::string StringMismatch(const std::function<std::uint64_t()>& next) {
    static const char* const kLengths[] = {"", "l", "w", "h"};
    const bool character = next() % 3 == 0;
    RandomConversion conversion(next, "-", character);
    const std::string length = kLengths[conversion.Pick(4)];
    const char lower = character ? 'c' : 's',
               letter = conversion.Pick(2) ? lower : char(std::toupper(lower));
    const bool narrowArgument = length == "h" || (length.empty() && std::isupper(letter));
    std::string narrow(std::size_t(conversion.Pick(12)), ' ');
    for (char& c : narrow) c = static_cast<char>('!' + conversion.Pick(94));
    const QuendalText::UTF16String wide = Widen(narrow);
    const int byte = '!' + conversion.Pick(94);
    if (character) return conversion.Mismatch(length + letter, "c", byte, byte);
    if (narrowArgument)
        return conversion.Mismatch(length + letter, "s", narrow.c_str(), narrow.c_str());
    return conversion.Mismatch(length + letter, "s", narrow.c_str(), wide.c_str());
}

}  // namespace fuzz

#endif  // QUENDALTEXT_FUZZ_FORMAT_REFERENCE_H
