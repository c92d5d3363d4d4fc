// Block reading through a file descriptor and the cutting of decoded text into lines and
// tokens. Text that waits for the rest of its line or token is held in one Text that grows by
// appending; the part already handed out is dropped only when more input is needed.
#include "input.h"

#include "errors.h"
#include "system.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <utility>

namespace qtext {
namespace {

using QuendalText::Text;

// Longest line or token held at once, in UTF-16 units: its UTF-8 form (at most three bytes a
// unit) must still be sized by the library's int sizes.
constexpr int kLongestHeldUnits = 1 << 28;

bool IsStandardInput(const std::string& path) { return path.empty() || path == "-"; }

// Appends `piece` to `held`, refusing text longer than the library can write out again.
void AppendHeld(Text* held, const Text& piece, const std::string& sourceName) {
    if (piece.get_Length() > kLongestHeldUnits - held->get_Length()) {
        throw InputError(sourceName + ": a line or token longer than " +
                         std::to_string(kLongestHeldUnits) + " UTF-16 units is not supported");
    }
    *held += piece;
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
    }
    Buffer.resize(kLongestKept + blockBytes);
}

ByteSource::~ByteSource() {
    if (OwnsDescriptor) CloseDescriptor(Descriptor);
}

bool ByteSource::Read(std::string_view* block, std::size_t keep) {
    // The kept bytes move to the front; the new ones are read right after them.
    keep = std::min({keep, Filled, kLongestKept});
    std::memmove(&Buffer[0], Buffer.data() + Filled - keep, keep);
    std::size_t filled = keep;
    while (filled < keep + BlockBytes) {
        const long got = ReadSome(Descriptor, &Buffer[filled], keep + BlockBytes - filled);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw UnreadableInput("cannot read " + Name + ": " + std::strerror(errno));
        }
        filled += static_cast<std::size_t>(got);
    }
    Filled = filled;
    *block = std::string_view(Buffer.data(), filled);
    return filled > keep;
}

TextReader::TextReader(ByteSource& source, const std::string& declared, OnFault onFault)
    : Source(source), SourceDecoder(declared, onFault, source.name()) {}

bool TextReader::Next(Text* piece, std::string* utf8) {
    SourceDecoder.RaiseFault();
    if (Ended) return false;
    std::string_view block;
    Ended = !Source.Read(&block, Left);
    std::size_t consumed = 0;
    *piece = SourceDecoder.Decode(block, Ended, &consumed, utf8);
    Left = block.size() - consumed;
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
