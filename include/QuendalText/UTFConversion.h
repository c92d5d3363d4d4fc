/** \file
 * Conversions between UTF-8, UTF-16 and UTF-32 with C linkage, as thin layers over ICU.
 *
 * Every count is in units of the buffer it describes (bytes, 16-bit or 32-bit units).
 * Three rules are added to ICU's own:
 *  - a null source with length 0 converts to nothing: output length 0, status U_ZERO_ERROR,
 *    dest untouched, ICU not called;
 *  - a size query (null dest, capacity 0) that ICU answers with U_BUFFER_OVERFLOW_ERROR
 *    succeeds, the output length holding the length needed;
 *  - with nullTerminated non-zero, U_STRING_NOT_TERMINATED_WARNING becomes
 *    U_BUFFER_OVERFLOW_ERROR, so success always means a terminating zero unit was written.
 * Each returns dest as it was passed. They never throw and never allocate. pDestLength and
 * pErrorCode must be valid pointers; *pErrorCode should hold U_ZERO_ERROR on entry.
 */
#ifndef QUENDALTEXT_UTFCONVERSION_H
#define QUENDALTEXT_UTFCONVERSION_H

#include <unicode/utypes.h>

#include <QuendalText/Config.h>

#ifdef __cplusplus
extern "C" {
#endif

/** UTF-8 (srcLength bytes) to UTF-16 (destCapacity 16-bit units), through u_strFromUTF8. */
QUENDALTEXT_API UChar* qutf_ConvertUTF8TextToUTF16Text(UChar* dest, int32_t destCapacity,
                                                       int32_t* pDestLength, const char* src,
                                                       int32_t srcLength, int32_t nullTerminated,
                                                       UErrorCode* pErrorCode);

/** UTF-16 (srcLength 16-bit units) to UTF-8 (destCapacity bytes), through u_strToUTF8. */
QUENDALTEXT_API char* qutf_ConvertUTF16TextToUTF8Text(char* dest, int32_t destCapacity,
                                                      int32_t* pDestLength, const UChar* src,
                                                      int32_t srcLength, int32_t nullTerminated,
                                                      UErrorCode* pErrorCode);

/** UTF-32 (srcLength 32-bit units) to UTF-16 (destCapacity 16-bit units), through
 *  u_strFromUTF32. */
QUENDALTEXT_API UChar* qutf_ConvertUTF32TextToUTF16Text(UChar* dest, int32_t destCapacity,
                                                        int32_t* pDestLength, const UChar32* src,
                                                        int32_t srcLength, int32_t nullTerminated,
                                                        UErrorCode* pErrorCode);

/** UTF-16 (srcLength 16-bit units) to UTF-32 (destCapacity 32-bit units), through
 *  u_strToUTF32. */
QUENDALTEXT_API UChar32* qutf_ConvertUTF16TextToUTF32Text(UChar32* dest, int32_t destCapacity,
                                                          int32_t* pDestLength, const UChar* src,
                                                          int32_t srcLength, int32_t nullTerminated,
                                                          UErrorCode* pErrorCode);

#ifdef __cplusplus
}
#endif

#endif /* QUENDALTEXT_UTFCONVERSION_H */
