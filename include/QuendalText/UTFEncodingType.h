/// \file
/// The output encodings that Text::get_EncodingSize sizes buffers for.
#ifndef QUENDALTEXT_UTFENCODINGTYPE_H
#define QUENDALTEXT_UTFENCODINGTYPE_H

/// Output encodings; passed by value as a 32-bit integer, so other values can reach the library.
enum UTFEncodingType : int {
    UTF8Encoding = 0,   ///< UTF-8: one to four bytes a character
    UTF16Encoding = 1,  ///< UTF-16: one or two 16-bit units a character, as the text holds it
    UTF32Encoding = 2,  ///< UTF-32: one 32-bit unit a character
};

#endif  // QUENDALTEXT_UTFENCODINGTYPE_H
