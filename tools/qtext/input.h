// Reading qtext's input in blocks and cutting the decoded text into pieces, lines or tokens,
// so that a file of any size is held only a block (or one line or token) at a time.
#ifndef QTEXT_INPUT_H
#define QTEXT_INPUT_H

#include "encoding.h"

#include <QuendalText/Text.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace qtext {

// Bytes read per block when nothing else is asked for.
constexpr std::size_t kDefaultBlockBytes = std::size_t(1) << 20;

// The bytes of a file, or of standard input, read a block at a time.
class ByteSource {
public:
    // Opens `path`; an empty path or "-" is standard input. Throws InputError when the file
    // cannot be opened.
    ByteSource(const std::string& path, std::size_t blockBytes);
    ~ByteSource();
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    // The next block (up to the block size, shorter only at the end); false at the end of the
    // input. Throws InputError when reading fails. The block is valid until the next call.
    bool Read(std::string_view* block);
    // The input as messages name it.
    const std::string& name() const { return name_; }

private:
    int descriptor_;
    bool ownsDescriptor_;
    std::string name_;
    std::string buffer_;
};

// Decoded text of a ByteSource, a block at a time.
class TextReader {
public:
    TextReader(ByteSource& source, Encoding declared);
    // The characters completed by the next block (possibly none); false after the last piece.
    bool Next(QuendalText::Text* piece);
    const Decoder& decoder() const { return decoder_; }

private:
    ByteSource& source_;
    Decoder decoder_;
    bool ended_ = false;
};

// Cuts decoded text into lines at LF units.
class LineReader {
public:
    explicit LineReader(TextReader& reader);
    // The next line without its LF; `terminated` tells whether an LF ended it (only the last
    // line may lack one). False when no line is left.
    bool Next(QuendalText::Text* line, bool* terminated);

private:
    TextReader& reader_;
    QuendalText::Text pending_;  // text read but not yet handed out, from lineStart_ on
    int lineStart_ = 0;
    int scanFrom_ = 0;  // units before it are known to hold no LF after lineStart_
    bool inputEnded_ = false;
};

// Cuts decoded text into tokens with Text::FindToken.
class TokenReader {
public:
    TokenReader(TextReader& reader, const QuendalText::Text& delimiters);
    // The next token; false when none is left.
    bool Next(QuendalText::Text* token);

private:
    void ReadMore();

    TextReader& reader_;
    QuendalText::Text delimiters_;
    QuendalText::Text pending_;  // text read but not yet cut, from position_ on
    int position_ = 0;
    bool inputEnded_ = false;
};

}  // namespace qtext

#endif  // QTEXT_INPUT_H
