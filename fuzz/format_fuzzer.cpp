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

// A format of literal text and well-formed conversions that all read arguments of `kind`.
std::string MakeFormat(fuzz::Input& input, Kind kind) {
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
        int read = 1;  // the value, and an int for each '*'
        if (input.Byte() % 2) {
            format += star ? "*" : Number(input);
            read += star ? 1 : 0;
        }
        if (input.Byte() % 2) {
            format += "." + (star ? std::string("*") : Number(input));
            read += star ? 1 : 0;
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

UTF16String Widen(const std::string& narrow) { return UTF16String(narrow.begin(), narrow.end()); }

template <class Value>
void Compare(const std::string& format, Value a, Value b, Value c, Value d) {
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
    const std::string format = MakeFormat(input, kind);
    if (format.empty()) return 0;
    switch (kind) {
        case Kind::Int: {
            // Small values now and then, so that '*' widths stay within the buffer.
            const auto value = [&] {
                return static_cast<int>(input.Byte() % 2 ? input.Below(64) : input.Word());
            };
            Compare(format, value(), value(), value(), value());
            break;
        }
        case Kind::LongLong: {
            const auto value = [&] {
                return static_cast<long long>(std::uint64_t{input.Word()} << 32 | input.Word());
            };
            Compare(format, value(), value(), value(), value());
            break;
        }
        case Kind::Double: {
            const auto value = [&] {
                const std::uint64_t bits = std::uint64_t{input.Word()} << 32 | input.Word();
                double number;
                static_assert(sizeof number == sizeof bits);
                std::memcpy(&number, &bits, sizeof number);
                return number;
            };
            Compare(format, value(), value(), value(), value());
            break;
        }
    }
    return 0;
}
