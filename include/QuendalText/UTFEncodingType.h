/// \file
/// The output encodings that Text::get_EncodingSize sizes buffers for.
#ifndef QUENDALTEXT_UTFENCODINGTYPE_H
#define QUENDALTEXT_UTFENCODINGTYPE_H

/// Output encodings; passed by value as a 32-bit integer, so other values can reach the library.
enum UTFEncodingType : int { UTF8Encoding = 0, UTF16Encoding = 1, UTF32Encoding = 2 };

#endif  // QUENDALTEXT_UTFENCODINGTYPE_H
