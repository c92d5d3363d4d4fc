// The block validators: the library's validating passes, with the extent of what stopped them.
#include <QuendalText/Validation.h>

#include "internal/transcode.h"

#include <algorithm>

namespace QuendalText {
namespace {

// The answer for a pass that stopped at `stop` after `read` of `size` units, where an ill-formed
// sequence takes `illFormedLength` units.
ValidationResult ResultOf(const detail::ValidPrefix& pass, std::size_t size,
                          std::size_t illFormedLength) {
    switch (pass.StoppedBy) {
        case detail::Stop::End: return {Validity::Valid, size, 0};
        case detail::Stop::Truncated: return {Validity::Incomplete, pass.Read, size - pass.Read};
        case detail::Stop::IllFormed: break;
        case detail::Stop::NoRoom: break;  // not reached: validation writes no output
    }
    return {Validity::IllFormed, pass.Read, illFormedLength};
}

}  // namespace

ValidationResult ValidateUTF8(std::string_view bytes) noexcept {
    const detail::ValidPrefix pass = detail::ValidUTF8Prefix(bytes.data(), bytes.size());
    std::size_t subpart = 0;
    if (pass.StoppedBy == detail::Stop::IllFormed) {
        const auto* fault = reinterpret_cast<const unsigned char*>(bytes.data()) + pass.Read;
        subpart = detail::DecodeUTF8(fault, bytes.size() - pass.Read).Length;
    }
    return ResultOf(pass, bytes.size(), subpart);
}

ValidationResult ValidateUTF16(UTF16StringView units) noexcept {
    return ResultOf(detail::ValidUTF16Prefix(units.data(), units.size()), units.size(), 1);
}

ValidationResult ValidateUTF32(std::u32string_view units) noexcept {
    const auto fault = std::find_if(units.begin(), units.end(),
                                    [](char32_t unit) { return !detail::IsScalarValue(unit); });
    if (fault == units.end()) return {Validity::Valid, units.size(), 0};
    return {Validity::IllFormed, static_cast<std::size_t>(fault - units.begin()), 1};
}

std::size_t CompleteUTF8Prefix(std::string_view bytes) noexcept {
    // A cut character is a lead byte whose sequence is well-formed as far as the bytes go and
    // ends with them; a lead that the bytes after it already break is the validator's to report.
    const std::size_t size = bytes.size();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t back = 1; back < detail::kLongestUTF8Sequence && back <= size; ++back) {
        const unsigned char byte = data[size - back];
        if (byte >= detail::kContinuationFirst && byte <= detail::kContinuationLast) continue;
        return detail::DecodeUTF8(data + size - back, back).Truncated ? size - back : size;
    }
    return size;
}

std::size_t CompleteUTF16Prefix(UTF16StringView units) noexcept {
    return !units.empty() && detail::IsHighSurrogate(units.back()) ? units.size() - 1
                                                                   : units.size();
}

}  // namespace QuendalText
