// The UTF-16 printf-style formatter. Literal runs are copied as they stand; string and character
// conversions are done here, over UTF-16 units; each numeric conversion is handed, alone, to the
// C library's snprintf and its narrow result widened.
#include "internal/format.h"

#include "internal/raise_sites.h"
#include "internal/utf.h"
#include "platform/platform.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <type_traits>
#include <vector>

namespace QuendalText {
namespace detail {
namespace {

constexpr UTF16Unit kPercentSign = u'%';
constexpr UTF16Unit kPaddingUnit = u' ';
constexpr UTF16Unit kZeroDigit = u'0';
constexpr auto kReplacementUnit = static_cast<UTF16Unit>(kReplacementCharacter);
constexpr UTF16Unit kNullStringText[] = QUENDALTEXT_U("(null)");
// A width or precision that the format does not give.
constexpr int kNotGiven = -1;
constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();
// Numbers are formatted into a buffer of this many bytes first; a longer one is measured.
constexpr std::size_t kShortNumberBytes = 128;
// The widest integer field handed to the C library: mingw-w64's printf builds an integer's
// whole field, width or precision long, on the stack, and a field of a million characters
// overflows it. Wider fields are padded here.
constexpr int kLongestDelegatedField = 4096;

enum class LengthModifier {
    None,
    Char,               // hh
    Short,              // h
    Long,               // l
    LongLong,           // ll
    Int32,              // I32
    Int64,              // I64
    Size,               // z, and Windows' I
    PointerDifference,  // t
    IntMax,             // j
    LongDouble,         // L
    Wide                // w
};

enum class ConversionKind {
    Signed,
    Unsigned,
    Floating,
    Pointer,
    Count,
    Character,
    String,
    Percent,
    Unknown
};

ConversionKind KindOf(UTF16Unit letter) {
    switch (letter) {
        case u'd':
        case u'i': return ConversionKind::Signed;
        case u'u':
        case u'o':
        case u'x':
        case u'X': return ConversionKind::Unsigned;
        case u'e':
        case u'E':
        case u'f':
        case u'F':
        case u'g':
        case u'G':
        case u'a':
        case u'A': return ConversionKind::Floating;
        case u'p': return ConversionKind::Pointer;
        case u'n': return ConversionKind::Count;
        case u'c':
        case u'C': return ConversionKind::Character;
        case u's':
        case u'S': return ConversionKind::String;
        case u'%': return ConversionKind::Percent;
        default: return ConversionKind::Unknown;
    }
}

// Whether `length` has a meaning for conversions of `kind`; any other pairing is malformed.
bool LengthFits(ConversionKind kind, LengthModifier length) {
    switch (kind) {
        case ConversionKind::Signed:
        case ConversionKind::Unsigned:
        case ConversionKind::Count:
            return length != LengthModifier::LongDouble && length != LengthModifier::Wide;
        case ConversionKind::Floating:
            return length == LengthModifier::None || length == LengthModifier::Long ||
                   length == LengthModifier::LongDouble;
        case ConversionKind::Pointer: return length == LengthModifier::None;
        case ConversionKind::Character:
        case ConversionKind::String:
            return length == LengthModifier::None || length == LengthModifier::Short ||
                   length == LengthModifier::Long || length == LengthModifier::Wide;
        case ConversionKind::Percent: return true;
        case ConversionKind::Unknown: break;
    }
    return false;
}

// One conversion of the format, from its '%' to its letter.
struct Conversion {
    bool LeftJustify = false;
    bool ForceSign = false;
    bool SpaceForSign = false;
    bool AlternateForm = false;
    bool ZeroPad = false;
    bool WidthFromArgument = false;
    int Width = kNotGiven;
    bool PrecisionFromArgument = false;
    int Precision = kNotGiven;
    LengthModifier Length = LengthModifier::None;
    UTF16Unit Letter = 0;
    ConversionKind Kind = ConversionKind::Unknown;
    bool WellFormed = false;
    // One past the conversion's last unit: its letter, or the format's NUL when the format ends
    // within the conversion.
    const UTF16Unit* End = nullptr;
};

bool IsDecimalDigit(UTF16Unit unit) { return unit >= u'0' && unit <= u'9'; }

// Reads the decimal digits at `position` into `value`; false when they do not fit an int.
bool ReadDecimal(const UTF16Unit*& position, int& value) {
    bool fits = true;
    value = 0;
    for (; IsDecimalDigit(*position); ++position) {
        const int digit = *position - u'0';
        if (value > (INT_MAX - digit) / 10) {
            fits = false;
        } else {
            value = value * 10 + digit;
        }
    }
    return fits;
}

LengthModifier ReadLengthModifier(const UTF16Unit*& position) {
    switch (*position) {
        case u'h':
            ++position;
            if (*position != u'h') return LengthModifier::Short;
            ++position;
            return LengthModifier::Char;
        case u'l':
            ++position;
            if (*position != u'l') return LengthModifier::Long;
            ++position;
            return LengthModifier::LongLong;
        case u'I':
            ++position;
            // position[1] is read only when position[0] is a digit, so never past the NUL.
            if (position[0] == u'3' && position[1] == u'2') {
                position += 2;
                return LengthModifier::Int32;
            }
            if (position[0] == u'6' && position[1] == u'4') {
                position += 2;
                return LengthModifier::Int64;
            }
            return LengthModifier::Size;
        case u'L': ++position; return LengthModifier::LongDouble;
        case u'z': ++position; return LengthModifier::Size;
        case u't': ++position; return LengthModifier::PointerDifference;
        case u'j': ++position; return LengthModifier::IntMax;
        case u'w': ++position; return LengthModifier::Wide;
        default: return LengthModifier::None;
    }
}

// Parses the conversion whose '%' is at `percent`.
Conversion ParseConversion(const UTF16Unit* percent) {
    Conversion conversion;
    const UTF16Unit* position = percent + 1;
    for (bool readingFlags = true; readingFlags;) {
        switch (*position) {
            case u'-': conversion.LeftJustify = true; break;
            case u'+': conversion.ForceSign = true; break;
            case u' ': conversion.SpaceForSign = true; break;
            case u'#': conversion.AlternateForm = true; break;
            case u'0': conversion.ZeroPad = true; break;
            default: readingFlags = false; continue;
        }
        ++position;
    }
    bool numbersFit = true;
    if (*position == u'*') {
        conversion.WidthFromArgument = true;
        ++position;
    } else if (IsDecimalDigit(*position)) {
        numbersFit = ReadDecimal(position, conversion.Width);
    }
    if (*position == u'.') {
        ++position;
        if (*position == u'*') {
            conversion.PrecisionFromArgument = true;
            ++position;
        } else {
            numbersFit = ReadDecimal(position, conversion.Precision) && numbersFit;
        }
    }
    conversion.Length = ReadLengthModifier(position);
    if (*position == 0) {
        conversion.End = position;
        return conversion;
    }
    conversion.Letter = *position;
    conversion.End = position + 1;
    conversion.Kind = KindOf(conversion.Letter);
    conversion.WellFormed = numbersFit && LengthFits(conversion.Kind, conversion.Length);
    return conversion;
}

// Appends the UTF-16 form of the NUL-terminated UTF-8 `text`, each ill-formed sequence becoming
// U+FFFD, and stops after `maxUnits` units (which may fall between the two units of a pair).
// Bytes after the last character taken are not read (the text need not be terminated where a
// precision ends it): a NUL byte ends every sequence. Answers whether it stopped at `maxUnits`,
// where the text may go on.
bool AppendUTF8(UTF16String& output, const char* text, std::size_t maxUnits) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t appended = 0;
    while (true) {
        if (appended == maxUnits) return true;
        if (*bytes == 0) return false;
        const UTF8Step step = DecodeUTF8(bytes, kUnlimited);
        bytes += step.Length;
        UTF16Unit units[2];
        const std::size_t encoded = EncodeUTF16(step.CodePoint, units);
        const std::size_t count = std::min(encoded, maxUnits - appended);
        output.append(units, count);
        appended += count;
        if (count < encoded) return true;
    }
}

// The narrow printf form of one numeric conversion, with '*' already resolved.
class NarrowConversion {
public:
    NarrowConversion(const Conversion& conversion, const char* lengthModifier) {
        Add('%');
        if (conversion.LeftJustify) Add('-');
        if (conversion.ForceSign) Add('+');
        if (conversion.SpaceForSign) Add(' ');
        if (conversion.AlternateForm) Add('#');
        if (conversion.ZeroPad) Add('0');
        if (conversion.Width != kNotGiven) AddNumber(conversion.Width);
        if (conversion.Precision != kNotGiven) {
            Add('.');
            AddNumber(conversion.Precision);
        }
        while (*lengthModifier != 0) Add(*lengthModifier++);
        Add(static_cast<char>(conversion.Letter));
        Form[Size] = '\0';
    }
    const char* c_str() const { return Form; }

private:
    void Add(char character) { Form[Size++] = character; }
    void AddNumber(int number) {
        char digits[16];
        int count = 0;
        do {
            digits[count++] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number > 0);
        while (count > 0) Add(digits[--count]);
    }

    // '%', five flags, two numbers of at most ten digits, '.', two length letters, the letter
    // and NUL.
    char Form[40] = {};
    std::size_t Size = 0;
};

class Formatter {
public:
    Formatter(va_list* arguments, UTF16String& output) : Arguments(arguments), Output(output) {}

    // Formats the units from `format` to `formatEnd`, which is the format's NUL.
    void Run(const UTF16Unit* format, const UTF16Unit* formatEnd) {
        const UTF16Unit* position = format;
        while (position != formatEnd) {
            const UTF16Unit* runStart = position;
            position = std::find(position, formatEnd, kPercentSign);
            Append(runStart, static_cast<std::size_t>(position - runStart));
            if (position == formatEnd) break;
            Conversion conversion = ParseConversion(position);
            if (conversion.WellFormed) {
                Convert(conversion);
            } else {
                Append(position, static_cast<std::size_t>(conversion.End - position));
            }
            position = conversion.End;
        }
    }

private:
    template <class Argument>
    Argument Next() {
        return va_arg(*Arguments, Argument);
    }

    void Convert(Conversion& conversion) {
        if (conversion.Kind == ConversionKind::Percent) {
            Append(&kPercentSign, 1);
            return;
        }
        if (conversion.WidthFromArgument) {
            const int width = Next<int>();
            if (width < 0) {
                conversion.LeftJustify = true;
                conversion.Width = width == INT_MIN ? INT_MAX : -width;
            } else {
                conversion.Width = width;
            }
        }
        if (conversion.PrecisionFromArgument) {
            const int precision = Next<int>();
            conversion.Precision = precision < 0 ? kNotGiven : precision;
        }
        switch (conversion.Kind) {
            case ConversionKind::Signed: {
                const std::intmax_t value = ReadSigned(conversion.Length);
                if (IsBare(conversion)) {
                    // The magnitude in unsigned arithmetic, so that the minimum has one too.
                    const auto magnitude = static_cast<std::uintmax_t>(value);
                    AppendDigits(value < 0 ? 0 - magnitude : magnitude, kDecimal, value < 0, false);
                } else {
                    AppendInteger(conversion, "j", value);
                }
                break;
            }
            case ConversionKind::Unsigned: {
                const std::uintmax_t value = ReadUnsigned(conversion.Length);
                const unsigned base = conversion.Letter == u'o'   ? kOctal
                                      : conversion.Letter == u'u' ? kDecimal
                                                                  : kHexadecimal;
                if (IsBare(conversion)) {
                    AppendDigits(value, base, false, conversion.Letter == u'X');
                } else {
                    AppendInteger(conversion, "j", value);
                }
                break;
            }
            case ConversionKind::Floating:
                if (conversion.Length == LengthModifier::LongDouble) {
                    AppendNumber(NarrowConversion(conversion, "L"), Next<long double>());
                } else {
                    const double value = Next<double>();
                    if (!AppendByToChars(conversion, value)) {
                        AppendNumber(NarrowConversion(conversion, ""), value);
                    }
                }
                break;
            case ConversionKind::Pointer: AppendInteger(conversion, "", Next<void*>()); break;
            case ConversionKind::Count:
                // Writing through a pointer taken from the arguments is refused.
                static_cast<void>(Next<void*>());
                break;
            case ConversionKind::Character: AppendCharacter(conversion); break;
            case ConversionKind::String: AppendString(conversion); break;
            case ConversionKind::Percent:
            case ConversionKind::Unknown: break;
        }
    }

    std::intmax_t ReadSigned(LengthModifier length) {
        switch (length) {
            case LengthModifier::Char: return static_cast<signed char>(Next<int>());
            case LengthModifier::Short: return static_cast<short>(Next<int>());
            case LengthModifier::Long: return Next<long>();
            case LengthModifier::LongLong: return Next<long long>();
            case LengthModifier::Int32: return Next<std::int32_t>();
            case LengthModifier::Int64: return Next<std::int64_t>();
            case LengthModifier::Size: return Next<std::make_signed_t<std::size_t>>();
            case LengthModifier::PointerDifference: return Next<std::ptrdiff_t>();
            case LengthModifier::IntMax: return Next<std::intmax_t>();
            default: return Next<int>();
        }
    }

    std::uintmax_t ReadUnsigned(LengthModifier length) {
        switch (length) {
            case LengthModifier::Char: return static_cast<unsigned char>(Next<int>());
            case LengthModifier::Short: return static_cast<unsigned short>(Next<int>());
            case LengthModifier::Long: return Next<unsigned long>();
            case LengthModifier::LongLong: return Next<unsigned long long>();
            case LengthModifier::Int32: return Next<std::uint32_t>();
            case LengthModifier::Int64: return Next<std::uint64_t>();
            case LengthModifier::Size: return Next<std::size_t>();
            case LengthModifier::PointerDifference:
                return Next<std::make_unsigned_t<std::ptrdiff_t>>();
            case LengthModifier::IntMax: return Next<std::uintmax_t>();
            default: return Next<unsigned>();
        }
    }

    // Formats `value` alone with the C library's printf rules and appends the result. The
    // result is measured first when it does not fit the small buffer, so widths and precisions
    // of any size are formatted whole.
    template <class Value>
    void AppendNumber(const NarrowConversion& narrow, Value value) {
        char smallBuffer[kShortNumberBytes];
        const int needed = std::snprintf(smallBuffer, sizeof smallBuffer, narrow.c_str(), value);
        // The C library refuses a number longer than INT_MAX bytes, longer than any text.
        if (needed < 0) RaiseLengthError(kConstructLengthSite);
        const auto size = static_cast<std::size_t>(needed);
        // Before the buffer is made: a number's units are at most its bytes.
        CheckGrowth(Output.size(), size, kConstructLengthSite);
        if (size < sizeof smallBuffer) {
            AppendNumberUnits(smallBuffer);
            return;
        }
        std::vector<char> buffer(size + 1);
        std::snprintf(buffer.data(), buffer.size(), narrow.c_str(), value);
        // The locale's decimal point may be a multi-byte character.
        AppendNumberUnits(buffer.data());
    }

    // An integer (or pointer) conversion: the C library's, but a field wider than
    // kLongestDelegatedField is formatted without its width, with a precision of 1 in place of
    // a longer one, and then given its zeros after the sign and "0x" and its padding here.
    template <class Value>
    void AppendInteger(const Conversion& conversion, const char* lengthModifier, Value value) {
        if (conversion.Width <= kLongestDelegatedField &&
            conversion.Precision <= kLongestDelegatedField) {
            AppendNumber(NarrowConversion(conversion, lengthModifier), value);
            return;
        }
        // The field is at least as long as its width and its precision.
        CheckGrowth(Output.size(),
                    static_cast<std::size_t>(std::max(conversion.Width, conversion.Precision)),
                    kConstructLengthSite);
        Conversion narrow = conversion;
        narrow.Width = kNotGiven;
        if (narrow.Precision > kLongestDelegatedField) narrow.Precision = 1;
        const NarrowConversion narrowFormat(narrow, lengthModifier);
        const int written = std::snprintf(nullptr, 0, narrowFormat.c_str(), value);
        if (written < 0) RaiseLengthError(kConstructLengthSite);
        const auto size = static_cast<std::size_t>(written);
        std::string digits(size + 1, '\0');
        std::snprintf(&digits[0], digits.size(), narrowFormat.c_str(), value);
        std::size_t prefix = size > 0 && std::strchr("+- ", digits[0]) != nullptr ? 1 : 0;
        if (size >= prefix + 2 && digits[prefix] == '0' &&
            (digits[prefix + 1] == 'x' || digits[prefix + 1] == 'X')) {
            prefix += 2;
        }
        const auto precision =
            static_cast<std::size_t>(conversion.Precision == kNotGiven ? 0 : conversion.Precision);
        std::size_t zeros = precision > size - prefix ? precision - (size - prefix) : 0;
        const auto width =
            static_cast<std::size_t>(conversion.Width == kNotGiven ? 0 : conversion.Width);
        std::size_t padding = width > size + zeros ? width - (size + zeros) : 0;
        if (conversion.ZeroPad && !conversion.LeftJustify && conversion.Precision == kNotGiven) {
            zeros += padding;
            padding = 0;
        }
        CheckGrowth(Output.size(), padding + zeros + size, kConstructLengthSite);
        if (!conversion.LeftJustify) Output.append(padding, kPaddingUnit);
        Output.append(digits.begin(), digits.begin() + static_cast<std::ptrdiff_t>(prefix));
        Output.append(zeros, kZeroDigit);
        Output.append(digits.begin() + static_cast<std::ptrdiff_t>(prefix),
                      digits.begin() + static_cast<std::ptrdiff_t>(size));
        if (conversion.LeftJustify) Output.append(padding, kPaddingUnit);
    }

    void AppendNumberUnits(const char* digits) {
        AppendNumberUnits(digits, std::char_traits<char>::length(digits));
    }
    void AppendNumberUnits(const char* digits, std::size_t bytes) {
        // A number's text is ASCII but for the locale's decimal point, so its units are at most
        // its bytes; ASCII is widened as it stands.
        CheckGrowth(Output.size(), bytes, kConstructLengthSite);
        if (std::all_of(digits, digits + bytes, [](char byte) { return byte >= 0; })) {
            Output.append(digits, digits + bytes);
        } else {
            AppendUTF8(Output, digits, kUnlimited);
        }
    }

    // %f, %e and %g of a finite double with no flag and no width, written by std::to_chars,
    // which the standard defines as printf's conversion in the "C" locale: so only when the
    // locale's decimal point is the period and the rounding is to nearest, as printf's would be.
    // Answers whether it wrote the number.
    bool AppendByToChars(const Conversion& conversion, double value) {
        Conversion bare = conversion;
        bare.Precision = kNotGiven;
        std::chars_format format{};
        switch (conversion.Letter) {
            case u'f': format = std::chars_format::fixed; break;
            case u'e': format = std::chars_format::scientific; break;
            case u'g': format = std::chars_format::general; break;
            default: return false;
        }
        if (!IsBare(bare) || !std::isfinite(value) || std::fegetround() != FE_TONEAREST ||
            !platform::DecimalPointIsPeriod()) {
            return false;
        }
        constexpr int kDefaultPrecision = 6;
        const int precision =
            conversion.Precision == kNotGiven ? kDefaultPrecision : conversion.Precision;
        char digits[kShortNumberBytes];
        const std::to_chars_result written =
            std::to_chars(digits, digits + sizeof digits, value, format, precision);
        if (written.ec != std::errc()) return false;  // longer than the buffer: printf writes it
        AppendNumberUnits(digits, static_cast<std::size_t>(written.ptr - digits));
        return true;
    }

    // Whether an integer conversion has neither flag, width nor precision, so that its text is
    // its digits alone (printf groups no digits without the ' flag, which is malformed here).
    static bool IsBare(const Conversion& conversion) {
        return !conversion.LeftJustify && !conversion.ForceSign && !conversion.SpaceForSign &&
               !conversion.AlternateForm && !conversion.ZeroPad && conversion.Width == kNotGiven &&
               conversion.Precision == kNotGiven;
    }

    static constexpr unsigned kOctal = 8;
    static constexpr unsigned kDecimal = 10;
    static constexpr unsigned kHexadecimal = 16;

    // Appends `magnitude` in `base`, after a minus sign when `negative`, as printf writes it.
    void AppendDigits(std::uintmax_t magnitude, unsigned base, bool negative, bool capitals) {
        static constexpr char kSmall[] = "0123456789abcdef";
        static constexpr char kCapital[] = "0123456789ABCDEF";
        const char* digits = capitals ? kCapital : kSmall;
        UTF16Unit text[std::numeric_limits<std::uintmax_t>::digits + 1];
        std::size_t begin = std::size(text);
        do {
            text[--begin] = static_cast<UTF16Unit>(digits[magnitude % base]);
            magnitude /= base;
        } while (magnitude != 0);
        if (negative) text[--begin] = u'-';
        Append(text + begin, std::size(text) - begin);
    }

    static bool IsNarrow(const Conversion& conversion) {
        switch (conversion.Length) {
            case LengthModifier::Short: return true;
            case LengthModifier::Long:
            case LengthModifier::Wide: return false;
            default: return conversion.Letter == u'C' || conversion.Letter == u'S';
        }
    }

    void AppendCharacter(const Conversion& conversion) {
        UTF16Unit unit = 0;
        if (IsNarrow(conversion)) {
            // A byte above 0x7F is only part of a UTF-8 sequence, not a character of its own.
            const auto byte = static_cast<unsigned char>(Next<int>());
            unit = byte <= kLastAsciiCodePoint ? byte : kReplacementUnit;
        } else {
            unit = static_cast<UTF16Unit>(Next<int>());
        }
        AppendPadded(conversion, &unit, 1);
    }

    void AppendString(const Conversion& conversion) {
        const std::size_t maxUnits = conversion.Precision == kNotGiven
                                         ? kUnlimited
                                         : static_cast<std::size_t>(conversion.Precision);
        const UTF16Unit* units = nullptr;
        if (IsNarrow(conversion)) {
            const char* narrow = Next<const char*>();
            if (narrow != nullptr) {
                NarrowUnits.clear();
                // Converted no further than the output may still grow: on a 32-bit target a
                // long argument would otherwise outgrow what a string can hold.
                const std::size_t room = kMaxTextUnits - Output.size();
                if (AppendUTF8(NarrowUnits, narrow, std::min(maxUnits, room)) && maxUnits > room) {
                    RaiseLengthError(kConstructLengthSite);
                }
                AppendPadded(conversion, NarrowUnits.data(), NarrowUnits.size());
                return;
            }
        } else {
            units = Next<const UTF16Unit*>();
        }
        if (units == nullptr) units = kNullStringText;
        std::size_t count = 0;
        while (count < maxUnits && units[count] != 0) ++count;
        AppendPadded(conversion, units, count);
    }

    void AppendPadded(const Conversion& conversion, const UTF16Unit* units, std::size_t count) {
        const std::size_t width =
            conversion.Width == kNotGiven ? 0 : static_cast<std::size_t>(conversion.Width);
        const std::size_t padding = width > count ? width - count : 0;
        CheckGrowth(Output.size(), count, kConstructLengthSite);
        CheckGrowth(Output.size() + count, padding, kConstructLengthSite);
        if (padding > 0 && !conversion.LeftJustify) Output.append(padding, kPaddingUnit);
        Output.append(units, count);
        if (padding > 0 && conversion.LeftJustify) Output.append(padding, kPaddingUnit);
    }

    // Appends units of the format itself, refusing output longer than a text may be.
    void Append(const UTF16Unit* units, std::size_t count) {
        CheckGrowth(Output.size(), count, kConstructLengthSite);
        Output.append(units, count);
    }

    va_list* Arguments;
    UTF16String& Output;
    // The converted units of the current %S, kept to reuse their storage.
    UTF16String NarrowUnits;
};

}  // namespace

UTF16String FormatUTF16(const UTF16Unit* format, va_list arguments) {
    std::size_t formatUnits = 0;
    while (format[formatUnits] != 0) ++formatUnits;
    UTF16String output;
    output.reserve(
        std::min(kMaxTextUnits, (formatUnits / kFormatBlockUnits + 1) * kFormatBlockUnits));

    // The caller's list stays where it was; the conversions read a copy of their own.
    va_list remaining;
    va_copy(remaining, arguments);
    try {
        Formatter(&remaining, output).Run(format, format + formatUnits);
    } catch (...) {
        va_end(remaining);
        throw;
    }
    va_end(remaining);
    return output;
}

}  // namespace detail
}  // namespace QuendalText
