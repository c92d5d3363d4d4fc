// What the UTF fuzzer (and the conversion tests) share: one input read as UTF-8 bytes, UTF-16
// units and UTF-32 values, and ICU's reading of them: where it finds the first ill-formed or cut
// sequence and how long it is, what its converter keeps pending at the end of a block, and what
// its conversions with U+FFFD make.
#ifndef QUENDALTEXT_FUZZ_UTF_REFERENCE_H
#define QUENDALTEXT_FUZZ_UTF_REFERENCE_H

#include "fuzz_input.h"

#include <QuendalText/QuendalText.h>

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include <string>
#include <vector>

namespace fuzz {

using QuendalText::UTF16String;

// The input three ways: its bytes; units drawn from its bytes; 4-byte values, mostly below
// 0x110800 (so surrogates of every plane come up), one in eight as they are.
struct Forms {
    std::string bytes;
    UTF16String units;
    std::u32string values;
};
inline Forms FormsOf(const std::uint8_t* data, std::size_t size) {
    Forms forms{std::string(reinterpret_cast<const char*>(data), size), {}, {}};
    for (Input input(data, size); !input.Empty();) forms.units.push_back(input.Unit());
    for (Input input(data, size); !input.Empty();) {
        const std::uint32_t word = input.Word();
        forms.values.push_back(static_cast<char32_t>(word % 8 == 0 ? word : word % 0x110800));
    }
    return forms;
}

// The first fault ICU's converter stops at: ill-formed, or cut by the end of the input.
struct Fault {
    bool found;
    bool cut;
    std::size_t position;  // of its first unit; the input's size when none
    std::size_t length;    // its units: the maximal ill-formed subpart
};

// UTF-8 through ICU's UTF-8 converter with the stop callback, as a block that more input may
// follow: an ill-formed sequence stops it, and what the next block may complete stays pending
// (a cut one).
inline Fault IcuFirstFault(const std::string& bytes) {
    UErrorCode status = U_ZERO_ERROR, ignored = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("UTF-8", &status);
    std::vector<UChar> out(bytes.size() + 1);
    char invalid[8];
    std::int8_t invalidLength = sizeof invalid;
    const char* source = bytes.data();
    UChar* target = out.data();
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_toUnicode(converter, &target, target + out.size(), &source, source + bytes.size(), nullptr,
                   false, &status);
    ucnv_getInvalidChars(converter, invalid, &invalidLength, &ignored);
    const auto pending = static_cast<std::size_t>(ucnv_toUCountPending(converter, &ignored));
    ucnv_close(converter);
    if (U_FAILURE(status)) {
        Check(status == U_ILLEGAL_CHAR_FOUND || status == U_INVALID_CHAR_FOUND);
        const auto length = static_cast<std::size_t>(invalidLength);
        return {true, false, static_cast<std::size_t>(source - bytes.data()) - length, length};
    }
    return {pending > 0, pending > 0, bytes.size() - pending, pending};
}
// The first unit that ICU's UTF-16 macros call an unpaired surrogate; one at the end is cut when
// a low surrogate after it would pair it.
inline Fault IcuFirstFault(const UTF16String& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        const bool lead = U16_IS_LEAD(units[i]), last = i + 1 == units.size();
        if (lead && !last && U16_IS_TRAIL(units[i + 1]))
            ++i;
        else if (U16_IS_SURROGATE(units[i]))
            return {true, lead && last, i, 1};
    }
    return {false, false, units.size(), 0};
}
// The first value that ICU's UTF-32 conversion refuses.
inline Fault IcuFirstFault(const std::u32string& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        UChar units[2];
        int32_t length = 0;
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF32(units, 2, &length, reinterpret_cast<const UChar32*>(&values[i]), 1, &status);
        if (U_FAILURE(status)) return {true, false, i, 1};
    }
    return {false, false, values.size(), 0};
}

// The bytes of a UTF-8 block that ICU's converter, skipping ill-formed sequences, keeps pending
// for the next block.
inline std::size_t IcuPendingBytes(const std::string& bytes) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("UTF-8", &status);
    ucnv_setToUCallBack(converter, UCNV_TO_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &status);
    std::vector<UChar> out(bytes.size() + 1);
    UChar* target = out.data();
    const char* source = bytes.data();
    ucnv_toUnicode(converter, &target, target + out.size(), &source, source + bytes.size(), nullptr,
                   false, &status);
    const int32_t pending = ucnv_toUCountPending(converter, &status);
    ucnv_close(converter);
    Check(U_SUCCESS(status));
    return static_cast<std::size_t>(pending);
}

// ICU's u_str...WithSub conversion `convert` of `source`, with U+FFFD for each maximal ill-formed
// subpart; `substitutions`, when given, receives how many it wrote.
template <class Dest, class IcuDest, class IcuSource, class Source>
Dest IcuWithSub(IcuDest* (*convert)(IcuDest*, int32_t, int32_t*, const IcuSource*, int32_t, UChar32,
                                    int32_t*, UErrorCode*),
                const Source& source, int32_t* substitutions = nullptr) {
    Dest dest(4 * source.size() + 4, {});
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    convert(reinterpret_cast<IcuDest*>(&dest[0]), static_cast<int32_t>(dest.size()), &length,
            reinterpret_cast<const IcuSource*>(source.data()), static_cast<int32_t>(source.size()),
            0xFFFD, substitutions, &status);
    Check(U_SUCCESS(status));
    dest.resize(static_cast<std::size_t>(length));
    return dest;
}
// The UTF-16 that ICU makes of each form, through UTF-8 for units.
inline UTF16String IcuReplaced(const std::string& bytes) {
    return IcuWithSub<UTF16String>(u_strFromUTF8WithSub, bytes);
}
inline UTF16String IcuReplaced(const UTF16String& units) {
    return IcuReplaced(IcuWithSub<std::string>(u_strToUTF8WithSub, units));
}
inline UTF16String IcuReplaced(const std::u32string& values) {
    return IcuWithSub<UTF16String>(u_strFromUTF32WithSub, values);
}

// Whether `text` holds `units`, with the count a fresh text of them has.
inline void CheckHolds(const QuendalText::Text& text, const UTF16String& units) {
    Check(UTF16String(text.View()) == units);
    Check(text.get_NumberOfCharacters() == QuendalText::Text(text.View()).get_NumberOfCharacters());
}

}  // namespace fuzz

#endif  // QUENDALTEXT_FUZZ_UTF_REFERENCE_H
