// The format constructor against the C library's snprintf on the same random format: literal
// runs and numeric conversions with any flags, width, precision ('*' included) and length
// modifier, fed the same arguments. Both must produce the same characters.
#include "fuzz_input.h"

#include <QuendalText/QuendalText.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using fuzz::Check;
using QuendalText::Text;
using QuendalText::UTF16String;

// What the arguments are: every conversion of one format reads the same type.
enum class Kind { Int, LongLong, Double };

std::string Number(fuzz::Input& input) { return std::to_string(input.Below(40)); }

// A '*' width or precision is at most this far from 0: the C library pads a huge one out in full
// before it finds that the result does not fit, which takes seconds.
constexpr std::uint32_t kLargestStar = 3000;

// A format of literal text and well-formed conversions that all read arguments of `kind`; bit i
// of `stars` tells that argument i is read by a '*'.
std::string MakeFormat(fuzz::Input& input, Kind kind, std::uint32_t& stars) {
    static const char kLiterals[] = "ab ,.-+0#x%";
    static const char kFlags[] = "-+ #0";
    static const char* const kIntLetters[] = {"d", "i", "u", "o", "x", "X"};
    static const char* const kIntLengths[] = {"", "h", "hh"};
    static const char* const kDoubleLetters[] = {"e", "E", "f", "F", "g", "G", "a", "A"};
    std::string format;
    int arguments = 0;  // read by the conversions so far: never more than the four passed
    for (int pieces = input.Byte() % 6; pieces >= 0 && !input.Empty(); --pieces) {
        if (input.Byte() % 3 == 0) {
            for (int n = input.Byte() % 4; n >= 0; --n) {
                const char literal = kLiterals[input.Below(sizeof kLiterals - 1)];
                format += literal == '%' ? "%%" : std::string(1, literal);
            }
            continue;
        }
        const std::size_t conversionStart = format.size();
        format += '%';
        for (int n = input.Byte() % 3; n > 0; --n) format += kFlags[input.Below(5)];
        // '*' reads an int, so only formats whose arguments are ints may use it.
        const bool star = kind == Kind::Int && input.Byte() % 4 == 0;
        int read = 1;  // the value, and an int for each '*' before it
        if (input.Byte() % 2) {
            format += star ? "*" : Number(input);
            if (star) stars |= 1u << (arguments + read++ - 1);
        }
        if (input.Byte() % 2) {
            format += "." + (star ? std::string("*") : Number(input));
            if (star) stars |= 1u << (arguments + read++ - 1);
        }
        if (arguments + read > 4) {
            format.resize(conversionStart);  // a conversion more would read past the arguments
            break;
        }
        arguments += read;
        if (kind == Kind::Double) {
            format += kDoubleLetters[input.Below(8)];
        } else {
            format += kind == Kind::LongLong ? "ll" : kIntLengths[input.Below(3)];
            format += kIntLetters[input.Below(6)];
        }
    }
    return format;
}

std::uint64_t Word64(fuzz::Input& input) {
    return std::uint64_t{input.Word()} << 32 | input.Word();
}
double Double(fuzz::Input& input) {
    const std::uint64_t bits = Word64(input);
    double number;
    static_assert(sizeof number == sizeof bits);
    return std::memcpy(&number, &bits, sizeof number), number;
}

UTF16String Widen(const std::string& narrow) { return UTF16String(narrow.begin(), narrow.end()); }

// The format through snprintf and the format constructor, with four arguments drawn in order.
template <class Next>
void Compare(const std::string& format, Next next) {
    const auto a = next(0), b = next(1), c = next(2), d = next(3);
    char expected[4096];
    const int written = std::snprintf(expected, sizeof expected, format.c_str(), a, b, c, d);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof expected) return;
    const UTF16String wide = Widen(format);
    const Text text(wide.c_str(), true, a, b, c, d);
    Check(UTF16String(text.c_str(), static_cast<std::size_t>(text.get_Length())) ==
          Widen(std::string(expected, static_cast<std::size_t>(written))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const auto kind = static_cast<Kind>(input.Byte() % 3);
    std::uint32_t stars = 0;
    const std::string format = MakeFormat(input, kind, stars);
    if (format.empty()) return 0;
    switch (kind) {
        case Kind::Int:
            Compare(format, [&](int i) {
                return stars >> i & 1 ? static_cast<int>(input.Below(2 * kLargestStar + 1)) -
                                            static_cast<int>(kLargestStar)
                       : input.Byte() % 2 ? static_cast<int>(input.Below(64))
                                          : static_cast<int>(input.Word());
            });
            break;
        case Kind::LongLong:
            Compare(format, [&](int) { return static_cast<long long>(Word64(input)); });
            break;
        case Kind::Double: Compare(format, [&](int) { return Double(input); }); break;
    }
    return 0;
}
