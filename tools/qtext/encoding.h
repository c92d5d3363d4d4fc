// The byte encodings qtext reads and writes, and the translation between their bytes and Text.
#ifndef QTEXT_ENCODING_H
#define QTEXT_ENCODING_H

#include <QuendalText/Text.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qtext {

enum class Encoding { Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

// The command-line name ("utf-8", "utf-16le", ...); case is ignored when parsing. False for a
// name that is none of the five.
bool ParseEncoding(std::string_view name, Encoding* encoding);
const char* EncodingName(Encoding encoding);

// Longest byte-order mark, in bytes.
constexpr std::size_t kLongestByteOrderMark = 4;

// Length of the byte-order mark that `start` begins with (0 when none) and, through `found`, the
// encoding it names. The mark of `declared` wins where two marks fit the same bytes (FF FE 00 00
// is UTF-32LE unless UTF-16LE was declared); otherwise UTF-32 marks are tried before UTF-16 ones.
std::size_t DetectByteOrderMark(std::string_view start, Encoding declared, Encoding* found);

// How a UTF-8 byte sequence ends, as far as it is well-formed.
struct Utf8Scan {
    enum class Stop { End, Incomplete, IllFormed };
    std::size_t wellFormedBytes;  // bytes of whole, well-formed characters from the start
    Stop stop;                    // what follows them
};
// Scans `bytes` for the longest prefix of whole well-formed UTF-8 characters (no overlong
// forms, no surrogates, nothing above U+10FFFF). A character cut short by the end of `bytes`
// stops the scan as Incomplete, anything else that is not well-formed as IllFormed.
Utf8Scan ScanUtf8(std::string_view bytes);

// Turns bytes of one encoding into Text, piece by piece, checking that they are well-formed.
// A byte-order mark at the very start decides the encoding and is dropped.
class Decoder {
public:
    // `declared` is the encoding of input without a byte-order mark; `sourceName` names the
    // input in messages.
    Decoder(Encoding declared, std::string sourceName);

    // Decodes `bytes`, which follow the bytes of the earlier calls, and returns the characters
    // they complete; a character cut at the end of `bytes` waits for the next call. Throws
    // InputError naming the input offset of the first ill-formed sequence.
    QuendalText::Text Decode(std::string_view bytes);
    // Ends the input: returns what was waiting, or throws InputError when it is an incomplete
    // character.
    QuendalText::Text Finish();

    // The encoding in use: the declared one until a byte-order mark says otherwise.
    Encoding encoding() const { return encoding_; }
    // True when the input began with a byte-order mark.
    bool hadByteOrderMark() const { return hadByteOrderMark_; }
    // The input as messages name it.
    const std::string& sourceName() const { return sourceName_; }

private:
    QuendalText::Text DecodeAvailable(std::string_view bytes, bool inputEnded);
    [[noreturn]] void RaiseIllFormed(std::uint64_t offset, const char* reason) const;

    Encoding encoding_;
    std::string sourceName_;
    bool markSettled_ = false;
    bool hadByteOrderMark_ = false;
    std::string pending_;  // bytes of an unfinished character, or of the unsettled start
    std::uint64_t pendingOffset_ = 0;  // input offset of pending_[0]
};

// Writes the units of `text` (well-formed UTF-16, NUL units included) to `bytes` in `encoding`,
// replacing what `bytes` held. Conversion goes through the Text output operations.
void EncodeText(const QuendalText::Text& text, Encoding encoding, std::string* bytes);

// The UTF-8 bytes of `text`.
std::string ToUtf8(const QuendalText::Text& text);

// A Text from UTF-8 that may hold NUL bytes (each becomes a NUL unit). The bytes must be
// well-formed UTF-8.
QuendalText::Text TextFromUtf8(std::string_view bytes);

// Number of NUL units at the start of `text`.
int LeadingNulUnits(const QuendalText::Text& text);

}  // namespace qtext

#endif  // QTEXT_ENCODING_H
