// Block reading through a file descriptor and the cutting of decoded text into lines and
// tokens. Text that waits for the rest of its line or token is held in one Text that grows by
// appending; the part already handed out is dropped only when more input is needed.
#include "input.h"

#include "errors.h"
#include "system.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace qtext {
namespace {

using QuendalText::Text;

// New bytes are read to an address aligned this far. The kernel's copy into a misaligned
// buffer ran three to five times slower, and a block that leaves a cut character to the next
// would otherwise read to wherever that character's bytes end.
constexpr std::size_t kReadAlignment = 64;

// Longest line or token held at once, in UTF-16 units: its UTF-8 form (at most three bytes a
// unit) must still be sized by the library's int sizes.
constexpr int kLongestHeldUnits = 1 << 28;

bool IsStandardInput(const std::string& path) { return path.empty() || path == "-"; }

// Refuses to hold `pieceUnits` more units after `heldUnits`: text longer than the library can
// write out again.
void CheckHeld(std::size_t heldUnits, std::size_t pieceUnits, const std::string& sourceName) {
    if (pieceUnits > static_cast<std::size_t>(kLongestHeldUnits) - heldUnits) {
        throw InputError(sourceName + ": a line or token longer than " +
                         std::to_string(kLongestHeldUnits) + " UTF-16 units is not supported");
    }
}

void AppendHeld(Text* held, const Text& piece, const std::string& sourceName) {
    CheckHeld(static_cast<std::size_t>(held->get_Length()),
              static_cast<std::size_t>(piece.get_Length()), sourceName);
    *held += piece;
}

// UTF-16 units of well-formed UTF-8: a unit for each character, two for a four-byte one.
std::size_t UnitsOfUTF8(std::string_view bytes) {
    std::size_t units = 0;
    for (const char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        units += static_cast<std::size_t>((value & 0xC0) != 0x80) + (value >= 0xF0 ? 1 : 0);
    }
    return units;
}

}  // namespace

ByteSource::ByteSource(const std::string& path, std::size_t blockBytes)
    : Descriptor(0),
      OwnsDescriptor(false),
      Name(IsStandardInput(path) ? "standard input" : path),
      BlockBytes(blockBytes) {
    if (!IsStandardInput(path)) {
        Descriptor = OpenForReading(path.c_str());
        if (Descriptor < 0)
            throw UnreadableInput("cannot open " + path + ": " + std::strerror(errno));
        OwnsDescriptor = true;
        MappedSize = RegularFileSize(Descriptor);
        if (MappedSize > 0) Mapped = MapFile(Descriptor, MappedSize);
        if (Mapped != nullptr) {
            WatchMappedFile(Mapped, MappedSize, Name.c_str());
            return;
        }
    }
    Buffer.resize(kReadAlignment + kLongestKept + blockBytes);
    const auto address = reinterpret_cast<std::uintptr_t>(Buffer.data()) + kLongestKept;
    ReadAt = kLongestKept + (kReadAlignment - address % kReadAlignment) % kReadAlignment;
}

ByteSource::~ByteSource() {
    if (Mapped != nullptr) UnwatchMappedFile();
    UnmapFile(Mapped, MappedSize);
    if (OwnsDescriptor) CloseDescriptor(Descriptor);
}

bool ByteSource::Read(std::string_view* block, std::size_t keep) {
    if (Mapped != nullptr) {
        // The kept bytes are the ones just before the new, in the file as in the map.
        keep = static_cast<std::size_t>(std::min<std::uint64_t>(keep, Last.size()));
        const auto fresh =
            static_cast<std::size_t>(std::min<std::uint64_t>(BlockBytes, MappedSize - NextOffset));
        const std::uint64_t from = NextOffset - keep;
        if (from - ReleasedTo >= kReleaseBytes) {
            ReleaseMapped(Mapped + ReleasedTo, static_cast<std::size_t>(from - ReleasedTo));
            ReleasedTo = from;
        }
        Last = std::string_view(Mapped + from, keep + fresh);
        NextOffset += fresh;
        *block = Last;
        return fresh > 0;
    }
    // The kept bytes move to just before ReadAt; the new ones are read from there on.
    keep = std::min({keep, Last.size(), kLongestKept});
    if (keep > 0) std::memmove(&Buffer[ReadAt - keep], Last.data() + Last.size() - keep, keep);
    std::size_t filled = 0;
    while (filled < BlockBytes) {
        const long got = ReadSome(Descriptor, &Buffer[ReadAt + filled], BlockBytes - filled);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw UnreadableInput("cannot read " + Name + ": " + std::strerror(errno));
        }
        filled += static_cast<std::size_t>(got);
    }
    Last = std::string_view(Buffer.data() + ReadAt - keep, keep + filled);
    *block = Last;
    return filled > 0;
}

TextReader::TextReader(ByteSource& source, const std::string& declared, OnFault onFault)
    : Source(source), SourceDecoder(declared, onFault, source.name()) {
    SourceDecoder.ReadsFrom(source.mapped());
}

bool TextReader::Next(Text* piece, std::string* utf8) { return Next(piece, utf8, nullptr, 0); }

bool TextReader::Next(Text* piece, std::string* utf8, std::string_view* checked, std::size_t held) {
    SourceDecoder.RaiseFault();
    if (Ended) return false;
    if (Source.mapped() == nullptr) checked = nullptr;
    held = checked != nullptr ? held : 0;
    std::string_view block;
    Ended = !Source.Read(&block, held + Left);
    std::size_t consumed = 0;
    std::string_view inPlace;
    *piece = SourceDecoder.Decode(block.substr(held), Ended, &consumed, utf8,
                                  checked != nullptr ? &inPlace : nullptr);
    Left = block.size() - held - consumed;
    if (checked != nullptr && inPlace.data() != nullptr) {
        // The held bytes come right before the new ones; a byte-order mark, which the view
        // leaves out, can only come first in the input, with nothing held.
        const char* const start = held > 0 ? block.data() : inPlace.data();
        *checked = std::string_view(
            start, static_cast<std::size_t>(inPlace.data() + inPlace.size() - start));
    }
    return true;
}

LineReader::LineReader(TextReader& reader) : Reader(reader) {}

bool LineReader::Next(Text* line, bool* terminated) {
    static const Text lineFeed(QUENDALTEXT_U("\n"));
    while (true) {
        const int lineEnd = Pending.FindFromCharacterSet(lineFeed, ScanFrom);
        if (lineEnd >= 0) {
            *line = Pending.SubString(LineStart, lineEnd - LineStart);
            *terminated = true;
            LineStart = ScanFrom = lineEnd + 1;
            return true;
        }
        ScanFrom = Pending.get_Length();
        if (InputEnded) {
            if (LineStart >= ScanFrom) {
                Reader.decoder().RaiseFault();
                return false;
            }
            *line = Pending.SubString(LineStart, -1);
            *terminated = false;
            LineStart = ScanFrom;
            return true;
        }
        // The text before a fault ends the input; the fault is raised after its last line.
        Text piece;
        if (Reader.decoder().HasFault() || !Reader.Next(&piece)) {
            InputEnded = true;
            continue;
        }
        if (LineStart > 0) {
            Pending = Pending.SubString(LineStart, -1);
            ScanFrom -= LineStart;
            LineStart = 0;
        }
        AppendHeld(&Pending, piece, Reader.decoder().sourceName());
    }
}

MatchedLineReader::MatchedLineReader(TextReader& reader, const ByteSearch& search, bool numberLines)
    : Reader(reader), Search(search), NumberLines(numberLines) {}

bool MatchedLineReader::Next(std::string_view* line, std::int64_t* lineNumber,
                             std::size_t* firstCandidate) {
    constexpr std::size_t npos = std::string_view::npos;
    while (true) {
        const std::string_view all = Bytes;
        if (Found.At == npos) {
            Found = Search.Next(all, ScanFrom);
            if (Found.At != npos) {
                // The candidate's line starts after the last line feed before it, which lies
                // after the bytes already known to hold none.
                const std::size_t from = std::max(LineStart, CheckedEnd);
                const std::size_t before =
                    Found.At > from ? FindLastByte(all.substr(from, Found.At - from), '\n') : npos;
                const std::size_t start = before == npos ? LineStart : from + before + 1;
                if (NumberLines)
                    LinesBefore += static_cast<std::int64_t>(
                        CountByte(all.substr(LineStart, start - LineStart), '\n'));
                LineStart = start;
                // A candidate begins with a character other than a line feed.
                LineFeedFrom = Found.At + 1;
            }
        }
        if (Found.At != npos) {
            const std::size_t lineFeed = all.find('\n', LineFeedFrom);
            if (lineFeed != npos || InputEnded) {
                const std::size_t lineEnd = lineFeed == npos ? all.size() : lineFeed;
                const std::string_view found = all.substr(LineStart, lineEnd - LineStart);
                const bool holds =
                    Found.Is == ByteSearch::Verdict::Match || Search.LineHolds(found);
                if (lineFeed != npos) ++LinesBefore;
                *lineNumber = LinesBefore + (lineFeed != npos ? 0 : 1);
                *firstCandidate = Found.At - LineStart;
                LineStart = ScanFrom = lineFeed == npos ? all.size() : lineFeed + 1;
                Found.At = npos;
                if (holds) {
                    *line = found;
                    return true;
                }
                continue;
            }
            LineFeedFrom = all.size();
        } else if (InputEnded) {
            Reader.decoder().RaiseFault();
            return false;
        } else {
            // A candidate may begin in the last bytes and end in the next block.
            ScanFrom = std::max(ScanFrom, all.size() - std::min(all.size(), Search.Reach() - 1));
            // Only the unfinished line is kept; the lines before it hold no candidate.
            const std::size_t from = std::max(LineStart, CheckedEnd);
            const std::size_t lastLineFeed = FindLastByte(all.substr(from), '\n');
            if (lastLineFeed != npos) {
                const std::size_t start = from + lastLineFeed + 1;
                if (NumberLines)
                    LinesBefore += static_cast<std::int64_t>(
                        CountByte(all.substr(LineStart, start - LineStart), '\n'));
                LineStart = start;
                ScanFrom = std::max(ScanFrom, LineStart);
            }
        }
        CheckedEnd = all.size();  // no line feed in [LineStart, CheckedEnd)
        // A copy is dropped once it is at least half the buffer, so that a long line is moved
        // only a logarithmic number of times; a view, at once.
        if (LineStart > 0 && (InPlace || LineStart >= Bytes.size() - LineStart)) {
            if (InPlace) {
                Bytes.remove_prefix(LineStart);
            } else {
                Owned.erase(0, LineStart);
                Bytes = Owned;
            }
            ScanFrom -= LineStart;
            CheckedEnd -= LineStart;
            if (Found.At != npos) {
                Found.At -= LineStart;
                LineFeedFrom -= LineStart;
            }
            LineStart = 0;
        }
        InputEnded = !Refill();
    }
}

bool MatchedLineReader::Refill() {
    // The text before a fault ends the input; the fault is raised after its last line.
    if (Reader.decoder().HasFault()) return false;
    const std::size_t held = Bytes.size();
    Text piece;
    std::string_view checked;
    // Views of the source once a block came as one; copies from the first that did not.
    if (!Reader.Next(&piece, &Owned, InPlace || held == 0 ? &checked : nullptr, held)) return false;
    if (checked.data() != nullptr) {
        InPlace = true;
        Bytes = checked;
    } else {
        if (!piece.IsEmpty()) Owned += piece.ToUTF8String();  // an encoding other than UTF-8
        Bytes = Owned;
    }
    // LineReader holds the unfinished line and the whole piece at once, and refuses more than
    // it can write out again; so does this reader, the same way.
    const std::string_view unfinished = Bytes.substr(LineStart, held - LineStart);
    const std::string_view added = Bytes.substr(held);
    if (unfinished.size() + added.size() > static_cast<std::size_t>(kLongestHeldUnits)) {
        CheckHeld(UnitsOfUTF8(unfinished), UnitsOfUTF8(added), Reader.decoder().sourceName());
    }
    return true;
}

LineRunReader::LineRunReader(TextReader& reader) : Reader(reader) {}

bool LineRunReader::Next(Text* run) {
    while (!InputEnded) {
        // The text before a fault ends the input; the fault is raised after its last run.
        Text piece;
        if (Reader.decoder().HasFault() || !Reader.Next(&piece)) {
            InputEnded = true;
            break;
        }
        const QuendalText::UTF16StringView units = piece.View();
        const std::size_t lastLineFeed = units.rfind(QuendalText::UTF16Unit('\n'));
        if (lastLineFeed == QuendalText::UTF16StringView::npos) {
            AppendHeld(&Pending, piece, Reader.decoder().sourceName());
            continue;
        }
        *run = std::move(Pending);
        *run += Text(units.substr(0, lastLineFeed + 1));
        Pending = Text(units.substr(lastLineFeed + 1));
        return true;
    }
    if (Pending.IsEmpty()) {
        Reader.decoder().RaiseFault();
        return false;
    }
    *run = std::move(Pending);
    Pending = Text();
    return true;
}

TokenReader::TokenReader(TextReader& reader, std::u32string delimiters, bool keepEmpty)
    : Lines(reader), Delimiters(std::move(delimiters)), KeepEmpty(keepEmpty) {}

bool TokenReader::Next(Text* token) {
    static const QuendalText::UTF16Unit kCarriageReturn = '\r';
    while (true) {
        if (!HaveLine) {
            bool terminated = false;
            if (!Lines.Next(&Line, &terminated)) return false;
            const QuendalText::UTF16StringView units = Line.View();
            // CR LF ends a line as LF does.
            LineEnd = units.size() -
                      (terminated && !units.empty() && units.back() == kCarriageReturn ? 1 : 0);
            Start = 0;
            HaveLine = true;
        }
        const QuendalText::UTF16StringView units = Line.View().substr(0, LineEnd);
        const std::size_t base = Start;
        const QuendalText::CodePointRange rest(units.substr(base));
        for (auto at = rest.begin(); at != rest.end(); ++at) {
            if (Delimiters.find(*at) == std::u32string::npos) continue;
            const std::size_t fieldStart = Start;
            const std::size_t fieldEnd = base + at.Index();
            Start = base + std::next(at).Index();
            if (fieldEnd > fieldStart || KeepEmpty) {
                *token = Text(units.substr(fieldStart, fieldEnd - fieldStart));
                return true;
            }
        }
        HaveLine = false;  // the line's end ends its last field
        if (Start < units.size() || KeepEmpty) {
            *token = Text(units.substr(Start));
            return true;
        }
    }
}

}  // namespace qtext
