// The byte encodings qtext reads and writes: every encoding ICU's converters know, under any of
// the names ICU accepts. UTF-8 goes through the library's own validating passes, every other
// encoding through ICU's converters; neither is decoded here.
#ifndef QTEXT_ENCODING_H
#define QTEXT_ENCODING_H

#include <QuendalText/Text.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct UConverter;

namespace qtext {

// What a conversion does with input that is ill-formed in its encoding, or with a character
// the output encoding cannot hold.
enum class OnFault {
    Stop,     // fail, naming the byte offset of the input
    Skip,     // drop it, as iconv -c does
    Replace,  // write a substitute: U+FFFD when decoding, the encoding's own when encoding
};

// Writes every encoding ICU knows, one a line: its name, then its aliases.
void ListEncodings(std::string* out);

// An open ICU converter, closed when the last owner lets go of it.
using Converter = std::shared_ptr<UConverter>;

// Opens ICU's converter for `name`; throws UsageError when ICU knows no such encoding.
Converter OpenConverter(const std::string& name);

// Turns the bytes of one input into UTF-16 text, a block at a time. Without a declared
// encoding a byte-order mark at the start decides (and is dropped), else UTF-8.
class Decoder {
public:
    // `declared` is the encoding named by the user, or empty; `sourceName` names the input in
    // messages.
    Decoder(const std::string& declared, OnFault onFault, std::string sourceName);

    // Decodes `bytes`, which follow the bytes consumed by the earlier calls, into the text of
    // the characters they hold and sets *consumed. Bytes left at the end (the start of a cut
    // character, or of a byte-order mark) must begin the next call's `bytes`; with `ended`,
    // nothing is left and a cut character is a fault. When `utf8` is given and the input is
    // UTF-8, its well-formed bytes (faults dropped or replaced) are appended to *utf8 instead,
    // sparing a conversion there and back. Throws InputError at the first fault under
    // OnFault::Stop, naming its byte offset.
    QuendalText::Text Decode(std::string_view bytes, bool ended, std::size_t* consumed,
                             std::string* utf8 = nullptr);

    // The encoding in use, as ICU names it; valid once a block was decoded.
    const std::string& encodingName() const { return encodingName_; }
    bool hadByteOrderMark() const { return hadByteOrderMark_; }
    const std::string& sourceName() const { return sourceName_; }

private:
    std::size_t Settle(std::string_view start);
    std::size_t DecodeUTF8(std::string_view bytes, bool ended, QuendalText::Text* text,
                           std::string* utf8) const;
    QuendalText::Text DecodeWithIcu(std::string_view bytes, bool ended);
    [[noreturn]] void RaiseIllFormed(std::uint64_t offset) const;

    std::string declared_;
    OnFault onFault_;
    std::string sourceName_;
    std::string encodingName_;
    Converter converter_;  // null for UTF-8, which the library decodes
    bool settled_ = false;
    bool hadByteOrderMark_ = false;
    std::uint64_t offset_ = 0;        // input offset of the first byte not yet consumed
    QuendalText::UTF16String units_;  // ICU's output, reused from block to block
};

// Turns UTF-16 text into the bytes of one encoding, a piece at a time.
class Encoder {
public:
    Encoder(const std::string& name, OnFault onFault);
    // True when the output is UTF-8, which the library writes.
    bool isUTF8() const { return converter_ == nullptr; }
    // Appends the bytes of `text` (well-formed) to *bytes. Throws InputError for a character
    // the encoding cannot hold under OnFault::Stop.
    void Encode(const QuendalText::Text& text, std::string* bytes);
    // Appends what a stateful encoding still owes at the end of the output.
    void Finish(std::string* bytes);

private:
    void Convert(QuendalText::UTF16StringView text, bool flush, std::string* bytes);

    Converter converter_;  // null for UTF-8, which the library writes
    std::string name_;
    bool nativeUTF16_ = false;
    bool nativeUTF32_ = false;
    std::u32string codePoints_;  // UTF-32 output, reused from piece to piece
};

}  // namespace qtext

#endif  // QTEXT_ENCODING_H
