// The plain forms of the transcoding passes: one character at a time, by the rules of utf.h. The
// passes the library runs are the active kernels' (internal/kernels.h).
#include "internal/transcode.h"

#include "internal/kernels.h"

namespace QuendalText {
namespace detail {
namespace reference {
namespace {

// Calls `emit(codePoint, length)` for each well-formed UTF-8 character from the start, up to
// the first that begins at or after `until`.
template <class Emit>
TranscodeResult WalkUTF8(const char* bytes, std::size_t size, std::size_t until, Emit emit) {
    const auto* input = reinterpret_cast<const unsigned char*>(bytes);
    TranscodeResult result{0, 0, 0, Stop::End};
    while (result.Read < size && result.Read < until) {
        const UTF8Step step = DecodeUTF8(input + result.Read, size - result.Read);
        if (!step.WellFormed) {
            result.StoppedBy = step.Truncated ? Stop::Truncated : Stop::IllFormed;
            return result;
        }
        result.Written += emit(step.CodePoint, result.Written);
        result.Read += step.Length;
        ++result.CodePoints;
    }
    return result;
}

// Calls `emit(codePoint, written)` for each well-formed UTF-16 character from the start whose
// output, `measure(codePoint)` units, fits within `capacity`, up to the first that begins at or
// after `until`.
template <class Measure, class Emit>
TranscodeResult WalkUTF16(const UTF16Unit* units, std::size_t size, std::size_t capacity,
                          std::size_t until, Measure measure, Emit emit) {
    TranscodeResult result{0, 0, 0, Stop::End};
    while (result.Read < size && result.Read < until) {
        const std::uint32_t unit = units[result.Read];
        std::uint32_t codePoint = unit;
        std::size_t length = 1;
        if (IsSurrogate(unit)) {
            if (IsLowSurrogate(unit)) {
                result.StoppedBy = Stop::IllFormed;
                return result;
            }
            if (result.Read + 1 == size) {
                result.StoppedBy = Stop::Truncated;
                return result;
            }
            const std::uint32_t next = units[result.Read + 1];
            if (!IsLowSurrogate(next)) {
                result.StoppedBy = Stop::IllFormed;
                return result;
            }
            codePoint = DecodePair(unit, next);
            length = 2;
        }
        if (measure(codePoint) > capacity - result.Written) {
            result.StoppedBy = Stop::NoRoom;
            return result;
        }
        result.Written += emit(codePoint, result.Written);
        result.Read += length;
        ++result.CodePoints;
    }
    return result;
}

std::size_t UTF16Length(std::uint32_t codePoint) { return codePoint <= kLastBmpCodePoint ? 1 : 2; }

}  // namespace

TranscodeResult UTF8ToUTF16Until(const char* bytes, std::size_t size, UTF16Unit* out,
                                 std::size_t until) {
    return WalkUTF8(bytes, size, until, [out](std::uint32_t codePoint, std::size_t written) {
        return EncodeUTF16(codePoint, out + written);
    });
}

TranscodeResult UTF16ToUTF8Until(const UTF16Unit* units, std::size_t size, char* out,
                                 std::size_t capacity, std::size_t until) {
    return WalkUTF16(units, size, capacity, until, UTF8Bytes,
                     [out](std::uint32_t codePoint, std::size_t written) {
                         return EncodeUTF8(codePoint, out + written);
                     });
}

TranscodeResult UTF8ToUTF16(const char* bytes, std::size_t size, UTF16Unit* out) {
    return UTF8ToUTF16Until(bytes, size, out, size);
}

TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out,
                            std::size_t capacity) {
    return UTF16ToUTF8Until(units, size, out, capacity, size);
}

TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out) {
    return UTF16ToUTF8(units, size, out, UTF8Room(size));
}

TranscodeResult MeasureUTF8ToUTF16Until(const char* bytes, std::size_t size, std::size_t until) {
    return WalkUTF8(bytes, size, until,
                    [](std::uint32_t codePoint, std::size_t) { return UTF16Length(codePoint); });
}

TranscodeResult ValidateUTF16Until(const UTF16Unit* units, std::size_t size, std::size_t until) {
    return WalkUTF16(units, size, SIZE_MAX, until, UTF8Bytes,
                     [](std::uint32_t codePoint, std::size_t) { return UTF8Bytes(codePoint); });
}

TranscodeResult MeasureUTF8ToUTF16(const char* bytes, std::size_t size) {
    return MeasureUTF8ToUTF16Until(bytes, size, size);
}

TranscodeResult ValidateUTF16(const UTF16Unit* units, std::size_t size) {
    return ValidateUTF16Until(units, size, size);
}

ValidPrefix ValidUTF8Prefix(const char* bytes, std::size_t size) {
    const TranscodeResult pass = MeasureUTF8ToUTF16(bytes, size);
    return {pass.Read, pass.StoppedBy};
}

ValidPrefix ValidUTF16Prefix(const UTF16Unit* units, std::size_t size) {
    const TranscodeResult pass = ValidateUTF16(units, size);
    return {pass.Read, pass.StoppedBy};
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

// The passes the library runs: the active kernels', where the processor has vector forms.
TranscodeResult UTF8ToUTF16(const char* bytes, std::size_t size, UTF16Unit* out) {
    return ActiveKernels().UTF8ToUTF16(bytes, size, out);
}
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out,
                            std::size_t capacity) {
    return ActiveKernels().UTF16ToUTF8(units, size, out, capacity);
}
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out) {
    return ActiveKernels().UTF16ToUTF8(units, size, out, UTF8Room(size));
}
TranscodeResult MeasureUTF8ToUTF16(const char* bytes, std::size_t size) {
    return reference::MeasureUTF8ToUTF16(bytes, size);
}
ValidPrefix ValidUTF8Prefix(const char* bytes, std::size_t size) {
    return ActiveKernels().ValidUTF8Prefix(bytes, size);
}
ValidPrefix ValidUTF16Prefix(const UTF16Unit* units, std::size_t size) {
    return ActiveKernels().ValidUTF16Prefix(units, size);
}
std::uint64_t UTF8LengthOfUnits(const UTF16Unit* units, std::size_t size) {
    return ActiveKernels().UTF8LengthOfUnits(units, size);
}

}  // namespace detail
}  // namespace QuendalText
