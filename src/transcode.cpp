// The plain forms of the transcoding passes: one character at a time, by the rules of utf.h.
#include "internal/transcode.h"

namespace QuendalText {
namespace detail {
namespace reference {
namespace {

// Calls `emit(codePoint, length)` for each well-formed UTF-8 character from the start.
template <class Emit>
TranscodeResult WalkUTF8(const char* bytes, std::size_t size, Emit emit) {
    const auto* input = reinterpret_cast<const unsigned char*>(bytes);
    TranscodeResult result{0, 0, 0, Stop::End};
    while (result.read < size) {
        const UTF8Step step = DecodeUTF8(input + result.read, size - result.read);
        if (!step.wellFormed) {
            result.stop = step.truncated ? Stop::Truncated : Stop::IllFormed;
            return result;
        }
        result.written += emit(step.codePoint, result.written);
        result.read += step.length;
        ++result.codePoints;
    }
    return result;
}

// Calls `emit(codePoint, written)` for each well-formed UTF-16 character from the start.
template <class Emit>
TranscodeResult WalkUTF16(const UTF16Unit* units, std::size_t size, Emit emit) {
    TranscodeResult result{0, 0, 0, Stop::End};
    while (result.read < size) {
        const std::uint32_t unit = units[result.read];
        std::uint32_t codePoint = unit;
        std::size_t length = 1;
        if (IsSurrogate(unit)) {
            if (IsLowSurrogate(unit)) {
                result.stop = Stop::IllFormed;
                return result;
            }
            if (result.read + 1 == size) {
                result.stop = Stop::Truncated;
                return result;
            }
            const std::uint32_t next = units[result.read + 1];
            if (!IsLowSurrogate(next)) {
                result.stop = Stop::IllFormed;
                return result;
            }
            codePoint = DecodePair(unit, next);
            length = 2;
        }
        result.written += emit(codePoint, result.written);
        result.read += length;
        ++result.codePoints;
    }
    return result;
}

}  // namespace

TranscodeResult UTF8ToUTF16(const char* bytes, std::size_t size, UTF16Unit* out) {
    return WalkUTF8(bytes, size, [out](std::uint32_t codePoint, std::size_t written) {
        return EncodeUTF16(codePoint, out + written);
    });
}

TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out) {
    return WalkUTF16(units, size, [out](std::uint32_t codePoint, std::size_t written) {
        return EncodeUTF8(codePoint, out + written);
    });
}

TranscodeResult ValidateUTF8(const char* bytes, std::size_t size) {
    return WalkUTF8(bytes, size, [](std::uint32_t codePoint, std::size_t) {
        return codePoint <= kLastBmpCodePoint ? std::size_t{1} : std::size_t{2};
    });
}

TranscodeResult ValidateUTF16(const UTF16Unit* units, std::size_t size) {
    return WalkUTF16(units, size,
                     [](std::uint32_t codePoint, std::size_t) { return UTF8Bytes(codePoint); });
}

std::uint64_t UTF8LengthOfUnits(const UTF16Unit* units, std::size_t size) {
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (IsHighSurrogate(units[i]) && i + 1 < size && IsLowSurrogate(units[i + 1])) {
            bytes += kLongestUTF8Sequence;
            ++i;
        } else {
            bytes += UTF8Bytes(units[i]);
        }
    }
    return bytes;
}

}  // namespace reference
}  // namespace detail
}  // namespace QuendalText

namespace QuendalText {
namespace detail {

// The passes the library runs; vector forms take their place where the processor has them.
TranscodeResult UTF8ToUTF16(const char* bytes, std::size_t size, UTF16Unit* out) {
    return reference::UTF8ToUTF16(bytes, size, out);
}
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out) {
    return reference::UTF16ToUTF8(units, size, out);
}
TranscodeResult ValidateUTF8(const char* bytes, std::size_t size) {
    return reference::ValidateUTF8(bytes, size);
}
TranscodeResult ValidateUTF16(const UTF16Unit* units, std::size_t size) {
    return reference::ValidateUTF16(units, size);
}
std::uint64_t UTF8LengthOfUnits(const UTF16Unit* units, std::size_t size) {
    return reference::UTF8LengthOfUnits(units, size);
}

}  // namespace detail
}  // namespace QuendalText
