// Reading qtext's input in blocks and cutting the decoded text into pieces, lines or tokens,
// so that a file of any size is held only a block (or one line) at a time. Text before a fault
// is handed out as if the input ended there; the fault is raised by the next call.
#ifndef QTEXT_INPUT_H
#define QTEXT_INPUT_H

#include "encoding.h"
#include "search.h"

#include <QuendalText/Text.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qtext {

// Bytes read per block when nothing else is asked for.
constexpr std::size_t kDefaultBlockBytes = std::size_t(1) << 20;
// The same for a search of the bytes as read (MatchedLineReader): a block small enough to stay
// in the processor's cache between its reading, validation and search (a search of 100 MiB took
// a fifth less time than with the default).
constexpr std::size_t kSearchBlockBytes = std::size_t(1) << 16;
// Bytes of a long line decoded at once to place folded matches (FoldedSearch), so that the line
// is never held as UTF-16 whole.
constexpr std::size_t kLinePieceBytes = std::size_t(1) << 20;

// The bytes of a file, or of standard input, read a block at a time. A regular file is mapped
// where the system allows, so that its blocks are not copied, and read up to the size it had
// when opened; the memory behind bytes already passed is handed back every kReleaseBytes.
class ByteSource {
public:
    // Opens `path`; an empty path or "-" is standard input. Throws InputError when the file
    // cannot be opened.
    ByteSource(const std::string& path, std::size_t blockBytes);
    ~ByteSource();
    ByteSource(const ByteSource&) = delete;
    // Mapped bytes passed before they are released: few calls to the system, while the memory
    // a process holds of the file stays small.
    static constexpr std::size_t kReleaseBytes = std::size_t(1) << 20;
    ByteSource& operator=(const ByteSource&) = delete;

    // The next block: the last `keep` bytes of the previous block (at most kLongestKept unless
    // the file is mapped), then up to the block size of new bytes, fewer only at the end. False when no new byte
    // came: the end of the input. Throws InputError when reading fails. The block is valid
    // until the next call.
    bool Read(std::string_view* block, std::size_t keep);
    // The most bytes a block may carry over to the next.
    static constexpr std::size_t kLongestKept = Decoder::kLongestLeft;
    // The mapped file from its first byte, or null when it is read. Its blocks are views of
    // it, which may keep any number of bytes.
    const char* mapped() const { return Mapped; }
    // The input as messages name it.
    const std::string& name() const { return Name; }

private:
    int Descriptor;
    bool OwnsDescriptor;
    std::string Name;
    std::size_t BlockBytes;
    const char* Mapped = nullptr;  // the file, or null when it is read
    std::uint64_t MappedSize = 0;
    std::uint64_t NextOffset = 0;  // of the first mapped byte not yet handed out
    std::uint64_t ReleasedTo = 0;  // mapped bytes before it were released
    std::string Buffer;
    std::size_t ReadAt = 0;  // in Buffer: where new bytes are read, aligned (kReadAlignment)
    std::string_view Last;   // the last block
};

// Decoded text of a ByteSource, a block at a time.
class TextReader {
public:
    // `declared` is the input's encoding, or empty: a byte-order mark decides, else UTF-8.
    TextReader(ByteSource& source, const std::string& declared, OnFault onFault);
    // The characters completed by the next block (possibly none); false after the last piece.
    // With `utf8`, UTF-8 input is handed over as checked bytes instead (Decoder::Decode).
    bool Next(QuendalText::Text* piece, std::string* utf8 = nullptr);
    // As Next with `utf8`, but where the source maps the file and the decoder can (see
    // Decoder::Decode) *checked is set to a view of the checked bytes instead: the last `held`
    // bytes of the view set by the call before (0 unless that call set one), then the new ones.
    bool Next(QuendalText::Text* piece, std::string* utf8, std::string_view* checked,
              std::size_t held);
    const Decoder& decoder() const { return SourceDecoder; }

private:
    ByteSource& Source;
    Decoder SourceDecoder;
    std::size_t Left = 0;  // bytes the decoder left at the end of the last block
    bool Ended = false;
};

// Cuts decoded text into lines at LF units.
class LineReader {
public:
    explicit LineReader(TextReader& reader);
    // The next line without its LF; `terminated` tells whether an LF ended it (only the last
    // line may lack one). False when no line is left.
    bool Next(QuendalText::Text* line, bool* terminated);

private:
    TextReader& Reader;
    QuendalText::Text Pending;  // text read but not yet handed out, from LineStart on
    int LineStart = 0;
    int ScanFrom = 0;  // units before it are known to hold no LF after LineStart
    bool InputEnded = false;
};

// The lines of an input that hold a pattern, cut as LineReader cuts them, found without
// decoding the others: each block is validated as UTF-8 (or decoded and written as UTF-8 when a
// byte-order mark names another encoding) and searched for candidates (ByteSearch). A line is
// looked for around a candidate only, so a line without one costs no more than its validation.
class MatchedLineReader {
public:
    // With `numberLines` the line numbers are counted; `search` outlives the reader.
    MatchedLineReader(TextReader& reader, const ByteSearch& search, bool numberLines);
    // The next line holding the pattern, without its LF, valid until the next call; its number
    // from 1 (with numberLines) and the byte offset in it of its first candidate. False when no
    // line is left; a fault is raised after the last line before it, as LineReader does.
    bool Next(std::string_view* line, std::int64_t* lineNumber, std::size_t* firstCandidate);

private:
    // Appends the next block's bytes; false when the input (or the text before a fault) ended.
    bool Refill();

    TextReader& Reader;
    const ByteSearch& Search;
    bool NumberLines;
    std::string Owned;           // the bytes read and not yet dropped, when copied
    std::string_view Bytes;      // those bytes: Owned, or a view of the mapped source
    bool InPlace = false;        // whether Bytes views the source
    std::size_t LineStart = 0;   // in Bytes, of the first line not yet handed out
    std::size_t ScanFrom = 0;    // no candidate starts in [LineStart, ScanFrom)
    std::size_t CheckedEnd = 0;  // no line feed in [LineStart, CheckedEnd)
    ByteSearch::Candidate Found{std::string_view::npos, ByteSearch::Verdict::Match};  // the
        // first candidate of the line at LineStart
    std::size_t LineFeedFrom = 0;  // with a candidate: no line feed in [its start, LineFeedFrom)
    std::int64_t LinesBefore = 0;  // line feeds before LineStart (with numberLines)
    bool InputEnded = false;
};

// Cuts decoded text into runs of whole lines: each run ends with an LF but the last, which ends
// with the input. A run is what one block completes, so a command that must see each line whole
// (a line break is a normalization boundary) works on a block of lines at a time.
class LineRunReader {
public:
    explicit LineRunReader(TextReader& reader);
    // The next run, never empty; false when none is left.
    bool Next(QuendalText::Text* run);

private:
    TextReader& Reader;
    QuendalText::Text Pending;  // text after the last LF handed out
    bool InputEnded = false;
};

// Cuts the lines of decoded text into fields at any of a set of code points; the end of a
// line (LF, or CR LF) always ends a field.
class TokenReader {
public:
    // Without `keepEmpty` tokens are the non-empty runs between delimiters; with it every
    // delimiter ends a field, empty or not, and the line's end ends the last one, so a line
    // with n delimiters gives n + 1 fields (as Text::Split).
    TokenReader(TextReader& reader, std::u32string delimiters, bool keepEmpty);
    // The next token; false when none is left.
    bool Next(QuendalText::Text* token);

private:
    LineReader Lines;
    std::u32string Delimiters;
    bool KeepEmpty;
    QuendalText::Text Line;   // the line being cut
    std::size_t LineEnd = 0;  // its length without a CR before its LF
    std::size_t Start = 0;    // where its next field starts
    bool HaveLine = false;
};

}  // namespace qtext

#endif  // QTEXT_INPUT_H
