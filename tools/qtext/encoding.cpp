// Bytes of the five encodings to Text and back. Decoding checks well-formedness itself, so that
// a fault is reported with its offset instead of silently cutting the text; the conversions are
// the library's.
#include "encoding.h"

#include "errors.h"

#include <QuendalText/UTFEncodingType.h>

#include <cctype>
#include <string>
#include <utility>

namespace qtext {
namespace {

using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;

constexpr std::uint32_t kHighSurrogateFirst = 0xD800;
constexpr std::uint32_t kLowSurrogateFirst = 0xDC00;
constexpr std::uint32_t kSurrogateLast = 0xDFFF;
constexpr std::uint32_t kLastCodePoint = 0x10FFFF;

bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst;
}
bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= kLowSurrogateFirst && unit <= kSurrogateLast;
}

struct EncodingTraits {
    Encoding encoding;
    const char* name;
    std::size_t unitBytes;
    bool bigEndian;
    std::string_view byteOrderMark;
};

// Marks are listed longest first so that a UTF-32 mark is not mistaken for a UTF-16 one.
constexpr EncodingTraits kEncodings[] = {
    {Encoding::Utf32LE, "utf-32le", 4, false, std::string_view("\xFF\xFE\0\0", 4)},
    {Encoding::Utf32BE, "utf-32be", 4, true, std::string_view("\0\0\xFE\xFF", 4)},
    {Encoding::Utf8, "utf-8", 1, false, std::string_view("\xEF\xBB\xBF", 3)},
    {Encoding::Utf16LE, "utf-16le", 2, false, std::string_view("\xFF\xFE", 2)},
    {Encoding::Utf16BE, "utf-16be", 2, true, std::string_view("\xFE\xFF", 2)},
};

const EncodingTraits& TraitsOf(Encoding encoding) {
    for (const EncodingTraits& traits : kEncodings) {
        if (traits.encoding == encoding) return traits;
    }
    return kEncodings[0];  // not reached: every enumerator is listed
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

std::uint32_t ReadUnit(const char* bytes, std::size_t unitBytes, bool bigEndian) {
    std::uint32_t unit = 0;
    for (std::size_t i = 0; i < unitBytes; ++i) {
        const std::size_t byteIndex = bigEndian ? i : unitBytes - 1 - i;
        unit = (unit << 8) | static_cast<unsigned char>(bytes[byteIndex]);
    }
    return unit;
}

template <class Unit>
void AppendUnits(const Unit* units, std::size_t count, std::size_t unitBytes, bool bigEndian,
                 std::string* bytes) {
    const std::size_t first = bytes->size();
    bytes->resize(first + count * unitBytes);
    char* out = &(*bytes)[first];
    for (std::size_t i = 0; i < count; ++i) {
        const auto unit = static_cast<std::uint32_t>(units[i]);
        for (std::size_t b = 0; b < unitBytes; ++b) {
            const std::size_t shift = 8 * (bigEndian ? unitBytes - 1 - b : b);
            *out++ = static_cast<char>((unit >> shift) & 0xFF);
        }
    }
}

// The library's constructors from UTF-8 and UTF-32 stop at a NUL, so each NUL-free run is
// converted on its own and every NUL becomes a NUL unit between the runs.
template <class Unit, class ConvertRun>
Text TextAroundNuls(std::basic_string_view<Unit> units, ConvertRun convertRun) {
    constexpr auto npos = std::basic_string_view<Unit>::npos;
    if (units.find(Unit(0)) == npos) return convertRun(std::basic_string<Unit>(units));
    UTF16String joined;
    std::size_t start = 0;
    while (true) {
        const std::size_t nul = units.find(Unit(0), start);
        const std::size_t end = nul == npos ? units.size() : nul;
        if (end > start) {
            const Text run = convertRun(std::basic_string<Unit>(units.substr(start, end - start)));
            joined.append(run.c_str(), static_cast<std::size_t>(run.get_Length()));
        }
        if (nul == npos) break;
        joined.push_back(UTF16Unit(0));
        start = nul + 1;
    }
    return Text(joined);
}

Text TextFromUtf32(std::u32string_view codePoints) {
    return TextAroundNuls(codePoints, [](const std::u32string& run) {
        return Text(static_cast<const UTF32Unit*>(run.c_str()));
    });
}

}  // namespace

bool ParseEncoding(std::string_view name, Encoding* encoding) {
    std::string lower(name);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const EncodingTraits& traits : kEncodings) {
        if (lower == traits.name) {
            *encoding = traits.encoding;
            return true;
        }
    }
    return false;
}

const char* EncodingName(Encoding encoding) { return TraitsOf(encoding).name; }

std::size_t DetectByteOrderMark(std::string_view start, Encoding declared, Encoding* found) {
    const EncodingTraits& declaredTraits = TraitsOf(declared);
    if (StartsWith(start, declaredTraits.byteOrderMark)) {
        *found = declared;
        return declaredTraits.byteOrderMark.size();
    }
    for (const EncodingTraits& traits : kEncodings) {
        if (StartsWith(start, traits.byteOrderMark)) {
            *found = traits.encoding;
            return traits.byteOrderMark.size();
        }
    }
    *found = declared;
    return 0;
}

Utf8Scan ScanUtf8(std::string_view bytes) {
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        // The well-formed sequences: the second byte's range depends on the lead byte, which
        // keeps out overlong forms, surrogates and values above U+10FFFF.
        std::size_t length = 0;
        unsigned char secondMin = 0x80;
        unsigned char secondMax = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) secondMin = 0xA0;
            if (lead == 0xED) secondMax = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) secondMin = 0x90;
            if (lead == 0xF4) secondMax = 0x8F;
        } else {
            return {i, Utf8Scan::Stop::IllFormed};
        }
        for (std::size_t k = 1; k < length; ++k) {
            if (i + k == size) return {i, Utf8Scan::Stop::Incomplete};
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            const unsigned char low = k == 1 ? secondMin : 0x80;
            const unsigned char high = k == 1 ? secondMax : 0xBF;
            if (next < low || next > high) return {i, Utf8Scan::Stop::IllFormed};
        }
        i += length;
    }
    return {size, Utf8Scan::Stop::End};
}

Decoder::Decoder(Encoding declared, std::string sourceName)
    : encoding_(declared), sourceName_(std::move(sourceName)) {}

Text Decoder::Decode(std::string_view bytes) {
    if (pending_.empty()) return DecodeAvailable(bytes, false);
    std::string available;
    available.swap(pending_);
    available.append(bytes);
    return DecodeAvailable(available, false);
}

Text Decoder::Finish() {
    std::string available;
    available.swap(pending_);
    return DecodeAvailable(available, true);
}

void Decoder::RaiseIllFormed(std::uint64_t offset, const char* reason) const {
    throw InputError(sourceName_ + ": ill-formed " + EncodingName(encoding_) + " at byte offset " +
                     std::to_string(offset) + ": " + reason);
}

Text Decoder::DecodeAvailable(std::string_view bytes, bool inputEnded) {
    std::uint64_t offset = pendingOffset_;
    if (!markSettled_) {
        if (bytes.size() < kLongestByteOrderMark && !inputEnded) {
            pending_.assign(bytes.data(), bytes.size());
            return Text();
        }
        const std::size_t markBytes = DetectByteOrderMark(bytes, encoding_, &encoding_);
        hadByteOrderMark_ = markBytes > 0;
        markSettled_ = true;
        bytes.remove_prefix(markBytes);
        offset += markBytes;
    }

    const EncodingTraits& traits = TraitsOf(encoding_);
    std::size_t consumed = 0;
    Text text;
    if (traits.unitBytes == 1) {
        const Utf8Scan scan = ScanUtf8(bytes);
        if (scan.stop == Utf8Scan::Stop::IllFormed) {
            RaiseIllFormed(offset + scan.wellFormedBytes, "not a well-formed UTF-8 sequence");
        }
        consumed = scan.wellFormedBytes;
        text = TextFromUtf8(bytes.substr(0, consumed));
    } else if (traits.unitBytes == 2) {
        const std::size_t unitCount = bytes.size() / 2;
        UTF16String units;
        units.reserve(unitCount);
        std::size_t i = 0;
        while (i < unitCount) {
            const std::uint32_t unit = ReadUnit(&bytes[2 * i], 2, traits.bigEndian);
            if (IsLowSurrogate(unit))
                RaiseIllFormed(offset + 2 * i, "a low surrogate without a high one");
            if (IsHighSurrogate(unit)) {
                if (i + 1 == unitCount) break;  // its partner has not arrived yet
                const std::uint32_t next = ReadUnit(&bytes[2 * (i + 1)], 2, traits.bigEndian);
                if (!IsLowSurrogate(next))
                    RaiseIllFormed(offset + 2 * i, "a high surrogate without a low one");
                units.push_back(static_cast<UTF16Unit>(unit));
                units.push_back(static_cast<UTF16Unit>(next));
                i += 2;
                continue;
            }
            units.push_back(static_cast<UTF16Unit>(unit));
            ++i;
        }
        consumed = 2 * i;
        text = Text(units);
    } else {
        const std::size_t unitCount = bytes.size() / 4;
        std::u32string codePoints;
        codePoints.reserve(unitCount);
        for (std::size_t i = 0; i < unitCount; ++i) {
            const std::uint32_t value = ReadUnit(&bytes[4 * i], 4, traits.bigEndian);
            if (value > kLastCodePoint) RaiseIllFormed(offset + 4 * i, "a value above U+10FFFF");
            if (value >= kHighSurrogateFirst && value <= kSurrogateLast) {
                RaiseIllFormed(offset + 4 * i, "a surrogate code point");
            }
            codePoints.push_back(static_cast<char32_t>(value));
        }
        consumed = 4 * unitCount;
        text = TextFromUtf32(codePoints);
    }

    pendingOffset_ = offset + consumed;
    pending_.assign(bytes.data() + consumed, bytes.size() - consumed);
    if (inputEnded && !pending_.empty())
        RaiseIllFormed(pendingOffset_, "the input ends inside a character");
    return text;
}

Text TextFromUtf8(std::string_view bytes) {
    return TextAroundNuls(bytes, [](const std::string& run) { return Text(run.c_str()); });
}

int LeadingNulUnits(const Text& text) {
    const int firstOther = text.FindNotFromCharacterSet(Text(UTF16String(1, UTF16Unit(0))), 0);
    return firstOther < 0 ? text.get_Length() : firstOther;
}

void EncodeText(const Text& text, Encoding encoding, std::string* bytes) {
    bytes->clear();
    if (text.IsEmpty()) return;
    const EncodingTraits& traits = TraitsOf(encoding);
    switch (traits.unitBytes) {
        case 1: {
            const int size = text.get_EncodingSize(UTF8Encoding, true);
            bytes->resize(static_cast<std::size_t>(size));
            text.ToUTF8(&(*bytes)[0], size, true);
            bytes->resize(static_cast<std::size_t>(size) - 1);
            break;
        }
        case 2: {
            const int size = text.get_EncodingSize(UTF16Encoding, true);
            UTF16String units(static_cast<std::size_t>(size) / 2, UTF16Unit(0));
            text.ToUTF16(&units[0], size, true);
            AppendUnits(units.data(), units.size() - 1, 2, traits.bigEndian, bytes);
            break;
        }
        default: {
            // The UTF-32 size follows the character count, which leaves out NUL units at the start;
            // the conversion writes them all the same, so they get room too.
            const int size = text.get_EncodingSize(UTF32Encoding, true) / 4 + LeadingNulUnits(text);
            std::u32string codePoints(static_cast<std::size_t>(size), U'\0');
            text.ToUTF32(&codePoints[0], size, true);
            AppendUnits(codePoints.data(), codePoints.size() - 1, 4, traits.bigEndian, bytes);
            break;
        }
    }
}

std::string ToUtf8(const Text& text) {
    std::string bytes;
    EncodeText(text, Encoding::Utf8, &bytes);
    return bytes;
}

}  // namespace qtext
