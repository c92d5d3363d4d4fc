// The byte encodings qtext reads and writes: every encoding ICU's converters know, under any of
// the names ICU accepts. UTF-8 goes through the library's own validating passes, every other
// encoding through ICU's converters; neither is decoded here.
#ifndef QTEXT_ENCODING_H
#define QTEXT_ENCODING_H

#include <QuendalText/Text.h>

#include <unicode/utypes.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct UConverter;

namespace qtext {

// What a conversion does with input that is ill-formed in its encoding, or with a character
// the output encoding cannot hold.
enum class OnFault {
    Stop,     // fail after the text before it, naming its position
    Skip,     // drop it, as iconv -c does
    Replace,  // write a substitute: U+FFFD when decoding, the encoding's own when encoding
};

// Whether an output starts with a byte-order mark.
enum class ByteOrderMark {
    AsEncoding,  // as the encoding's converter writes: UTF-16, UTF-32 and UTF-16LE,version=1 do
    Write,       // a mark first (UTF-8, UTF-16 and UTF-32 only)
    Omit,        // no mark, not even for UTF-16 and UTF-32
};

// Writes every encoding ICU knows, one a line: its name, then its aliases.
void ListEncodings(std::string* out);

// An open ICU converter, closed when the last owner lets go of it.
using Converter = std::shared_ptr<UConverter>;

// Opens ICU's converter for `name`; throws UsageError when ICU knows no such encoding.
Converter OpenConverter(const std::string& name);

// Where a decoder or encoder stands in its text: lines passed and code points since the last
// line feed, kept only while counting is asked for.
// The bytes of `bytes` equal to `value`.
std::uint64_t CountByte(std::string_view bytes, char value);

class TextPosition {
public:
    void Advance(QuendalText::UTF16StringView units);
    void AdvanceUTF8(std::string_view bytes);  // well-formed UTF-8
    // "line L, column C", both from 1, the column in code points.
    std::string Describe() const;

private:
    std::uint64_t LineFeeds = 0;
    std::uint64_t Column = 0;
};

// Turns the bytes of one input into UTF-16 text, a block at a time. Without a declared
// encoding a byte-order mark at the start decides (and is dropped), else UTF-8.
class Decoder {
public:
    // `declared` is the encoding named by the user, or empty; `sourceName` names the input in
    // messages.
    Decoder(const std::string& declared, OnFault onFault, std::string sourceName);
    Decoder(const Decoder&) = delete;  // ICU's callback holds the address of Faults
    Decoder& operator=(const Decoder&) = delete;

    // The most bytes a call leaves for the next.
    static constexpr std::size_t kLongestLeft = 16;

    // Decodes `bytes`, which follow the bytes consumed by the earlier calls, into the text of
    // the characters they hold and sets *consumed. Bytes left at the end (the start of a cut
    // character, or of a byte-order mark) must begin the next call's `bytes`; with `ended`,
    // nothing is left and a cut character is a fault. When `utf8` is given and the input is
    // UTF-8, its well-formed bytes (faults dropped or replaced) are appended to *utf8 instead,
    // sparing a conversion there and back; with `inPlace` too, UTF-8 decoded under
    // OnFault::Stop sets *inPlace to a view of those bytes in `bytes` instead, sparing the copy.
    // At a fault under OnFault::Stop it returns the text before the fault, and every later call
    // throws InputError naming the fault's line, column, byte offset and kind.
    QuendalText::Text Decode(std::string_view bytes, bool ended, std::size_t* consumed,
                             std::string* utf8 = nullptr, std::string_view* inPlace = nullptr);
    // Gives the whole input from its first byte, when it is at hand (a mapped file): the
    // position of a fault in UTF-8 is then counted from it when one is met, rather than
    // followed block by block.
    void ReadsFrom(const char* wholeInput) { WholeInput = wholeInput; }
    // Whether a fault stopped the decoding; RaiseFault() throws its InputError.
    bool HasFault() const { return !Fault.empty(); }
    void RaiseFault() const;

    // The encoding in use, as ICU names it; valid once a block was decoded.
    const std::string& encodingName() const { return EncodingName; }
    bool hadByteOrderMark() const { return HadByteOrderMark; }
    const std::string& sourceName() const { return SourceName; }
    // The ill-formed sequences dropped or replaced so far.
    std::uint64_t faults() const { return Faults; }

private:
    // One call of ucnv_toUnicode in a block.
    struct IcuCall {
        std::size_t FirstUnit;  // in Units
        std::size_t Start;      // its first byte, from the start of the block
        std::size_t Held;       // bytes ICU held from before it: a character's first ones
    };

    std::size_t Settle(std::string_view start);
    std::size_t DecodeUTF8(std::string_view bytes, bool ended, QuendalText::Text* text,
                           std::string* utf8, std::string_view* inPlace);
    QuendalText::Text DecodeWithIcu(std::string_view bytes, bool ended);
    // Converts from *source to the end of `bytes` into Units from index *written on, growing
    // Units as needed, and moves both on, noting each call of ICU in IcuCalls. False at a fault,
    // whose status goes to *fault.
    bool ConvertWithIcu(std::string_view bytes, const char** source, bool flush,
                        std::size_t* written, UErrorCode* fault);
    // Under Stop: the input offset of the first byte of the character whose unit is Units[index].
    std::uint64_t OffsetOfUnit(std::size_t index) const;
    // Under Stop: the input offset of the fault that stopped ICU's last call, which took `bytes`
    // up to `source` and names `invalidBytes` bytes as the fault's.
    std::uint64_t OffsetOfIcuFault(std::string_view bytes, const char* source,
                                   std::size_t invalidBytes) const;
    void NoteFault(std::uint64_t offset, const std::string& kind);
    // Whether the position is counted only at a fault (ReadsFrom, UTF-8).
    bool FollowsLazily() const { return WholeInput != nullptr && IcuConverter == nullptr; }

    std::string Declared;
    OnFault FaultPolicy;
    std::string SourceName;
    std::string EncodingName;
    std::string ShownName;   // the name as the user typed it, or as a byte-order mark tells
    Converter IcuConverter;  // null for UTF-8, which the library decodes
    bool Settled = false;
    bool HadByteOrderMark = false;
    std::uint64_t Offset = 0;               // input offset of the first byte not yet consumed
    std::uint64_t Faults = 0;               // counted by ICU's callback too
    TextPosition Position;                  // of the first byte not yet consumed, under Stop
    const char* WholeInput = nullptr;       // see ReadsFrom
    std::size_t MarkBytes = 0;              // of the byte-order mark the input began with
    std::string Fault;                      // the message of the fault that stopped the decoding
    QuendalText::UTF16String Units;         // ICU's output, reused from block to block
    std::vector<std::int32_t> UnitOffsets;  // under Stop, the offset ICU gives each unit in Units
    std::vector<IcuCall> IcuCalls;          // in the block
    // A high surrogate ICU wrote last in a block, waiting for its low half, and its input offset.
    QuendalText::UTF16Unit HeldHigh = 0;
    std::uint64_t HeldHighOffset = 0;
    bool HeldHighFirst = false;  // whether Units begins with it
};

// Turns UTF-16 text into the bytes of one encoding, a piece at a time.
class Encoder {
public:
    // `name` is the encoding as the user typed it; `sourceName`, the input's name that begins
    // a message. Throws UsageError when `mark` is Write and the encoding is not UTF-8, UTF-16 or
    // UTF-32.
    Encoder(const std::string& name, OnFault onFault, ByteOrderMark mark,
            const std::string& sourceName = std::string());
    // True when the output is UTF-8, which the library writes.
    bool isUTF8() const { return IcuConverter == nullptr; }
    // Appends the bytes of `text` (well-formed) to *bytes. Throws InputError for a character
    // the encoding cannot hold under OnFault::Stop, naming the input, the line and the column;
    // *bytes then holds the bytes of the text before it.
    void Encode(const QuendalText::Text& text, std::string* bytes);
    // Appends what a stateful encoding still owes at the end of the output.
    void Finish(std::string* bytes);

private:
    void Convert(QuendalText::UTF16StringView text, bool flush, std::string* bytes);

    Converter IcuConverter;  // null for UTF-8, which the library writes
    std::string Name;
    std::string SourceName;
    bool NativeUTF16 = false;
    bool NativeUTF32 = false;
    std::string MarkToWrite;     // the mark still to write before the first character
    std::size_t MarkToDrop = 0;  // bytes of the mark ICU writes first, still to drop
    TextPosition Position;       // of the text converted by ICU
    std::u32string CodePoints;   // UTF-32 output, reused from piece to piece
};

}  // namespace qtext

#endif  // QTEXT_ENCODING_H
