// The four qutf_ conversions: ICU's string conversions with the library's three rules around
// them (absent source, size query, terminator).
#include <QuendalText/UTFConversion.h>

#include <unicode/ustring.h>

namespace {

// ICU conversion with the six arguments that reach it unchanged.
template <class DestUnit, class SrcUnit>
using IcuConversion = DestUnit* (*)(DestUnit*, int32_t, int32_t*, const SrcUnit*, int32_t,
                                    UErrorCode*);

template <class DestUnit, class SrcUnit>
DestUnit* ConvertWithRules(IcuConversion<DestUnit, SrcUnit> convert, DestUnit* dest,
                           int32_t destCapacity, int32_t* pDestLength, const SrcUnit* src,
                           int32_t srcLength, int32_t nullTerminated, UErrorCode* pErrorCode) {
    if (src == nullptr && srcLength == 0) {
        *pDestLength = 0;
        *pErrorCode = U_ZERO_ERROR;
        return dest;
    }
    convert(dest, destCapacity, pDestLength, src, srcLength, pErrorCode);
    // Asking for the size is not an error: the needed length is in *pDestLength.
    if (dest == nullptr && destCapacity == 0 && *pErrorCode == U_BUFFER_OVERFLOW_ERROR) {
        *pErrorCode = U_ZERO_ERROR;
    }
    // A caller that needs the terminator has no use for output that lacks it.
    if (nullTerminated != 0 && *pErrorCode == U_STRING_NOT_TERMINATED_WARNING) {
        *pErrorCode = U_BUFFER_OVERFLOW_ERROR;
    }
    return dest;
}

}  // namespace

extern "C" {

UChar* qutf_ConvertUTF8TextToUTF16Text(UChar* dest, int32_t destCapacity, int32_t* pDestLength,
                                       const char* src, int32_t srcLength, int32_t nullTerminated,
                                       UErrorCode* pErrorCode) {
    return ConvertWithRules<UChar, char>(u_strFromUTF8, dest, destCapacity, pDestLength, src,
                                         srcLength, nullTerminated, pErrorCode);
}

char* qutf_ConvertUTF16TextToUTF8Text(char* dest, int32_t destCapacity, int32_t* pDestLength,
                                      const UChar* src, int32_t srcLength, int32_t nullTerminated,
                                      UErrorCode* pErrorCode) {
    return ConvertWithRules<char, UChar>(u_strToUTF8, dest, destCapacity, pDestLength, src,
                                         srcLength, nullTerminated, pErrorCode);
}

UChar* qutf_ConvertUTF32TextToUTF16Text(UChar* dest, int32_t destCapacity, int32_t* pDestLength,
                                        const UChar32* src, int32_t srcLength,
                                        int32_t nullTerminated, UErrorCode* pErrorCode) {
    return ConvertWithRules<UChar, UChar32>(u_strFromUTF32, dest, destCapacity, pDestLength, src,
                                            srcLength, nullTerminated, pErrorCode);
}

UChar32* qutf_ConvertUTF16TextToUTF32Text(UChar32* dest, int32_t destCapacity, int32_t* pDestLength,
                                          const UChar* src, int32_t srcLength,
                                          int32_t nullTerminated, UErrorCode* pErrorCode) {
    return ConvertWithRules<UChar32, UChar>(u_strToUTF32, dest, destCapacity, pDestLength, src,
                                            srcLength, nullTerminated, pErrorCode);
}

}  // extern "C"
