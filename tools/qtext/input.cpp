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

#if defined(__SSE2__)
#  include <emmintrin.h>
#endif

namespace qtext {
namespace {

using QuendalText::Text;

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

// The first occurrence of `pattern` (not empty) in `bytes`, or null. With SSE2, 16 starts at a
// time are kept where the pattern's first and last bytes both match, and only those are
// compared whole: a few instructions per 16 bytes where the C library's memmem hashes pairs of
// bytes one at a time.
const char* FindPattern(std::string_view bytes, std::string_view pattern) {
    if (pattern.size() > bytes.size()) return nullptr;
    const char* const data = bytes.data();
    const std::size_t starts = bytes.size() - pattern.size() + 1;
    std::size_t at = 0;
#if defined(__SSE2__)
    if (pattern.size() >= 2) {
        constexpr std::size_t kLanes = 16;
        const __m128i first = _mm_set1_epi8(pattern.front());
        const __m128i last = _mm_set1_epi8(pattern.back());
        const std::size_t lastOffset = pattern.size() - 1;
        for (; at + kLanes <= starts; at += kLanes) {
            const __m128i heads = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
            const __m128i tails =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + lastOffset));
            auto candidates = static_cast<unsigned>(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(heads, first), _mm_cmpeq_epi8(tails, last))));
            while (candidates != 0) {
                std::size_t lane = 0;
                while ((candidates >> lane & 1U) == 0) ++lane;
                const char* const start = data + at + lane;
                if (std::memcmp(start + 1, pattern.data() + 1, pattern.size() - 2) == 0)
                    return start;
                candidates &= candidates - 1;
            }
        }
    }
#endif
    const char* const match =
        FindBytes(data + at, bytes.size() - at, pattern.data(), pattern.size());
    return match;
}

}  // namespace

ByteSource::ByteSource(const std::string& path, std::size_t blockBytes)
    : descriptor_(0),
      ownsDescriptor_(false),
      name_(IsStandardInput(path) ? "standard input" : path),
      blockBytes_(blockBytes) {
    if (!IsStandardInput(path)) {
        descriptor_ = OpenForReading(path.c_str());
        if (descriptor_ < 0)
            throw UnreadableInput("cannot open " + path + ": " + std::strerror(errno));
        ownsDescriptor_ = true;
    }
    buffer_.resize(kLongestKept + blockBytes);
}

ByteSource::~ByteSource() {
    if (ownsDescriptor_) CloseDescriptor(descriptor_);
}

bool ByteSource::Read(std::string_view* block, std::size_t keep) {
    // The kept bytes move to the front; the new ones are read right after them.
    keep = std::min({keep, filled_, kLongestKept});
    std::memmove(&buffer_[0], buffer_.data() + filled_ - keep, keep);
    std::size_t filled = keep;
    while (filled < keep + blockBytes_) {
        const long got = ReadSome(descriptor_, &buffer_[filled], keep + blockBytes_ - filled);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw UnreadableInput("cannot read " + name_ + ": " + std::strerror(errno));
        }
        filled += static_cast<std::size_t>(got);
    }
    filled_ = filled;
    *block = std::string_view(buffer_.data(), filled);
    return filled > keep;
}

TextReader::TextReader(ByteSource& source, const std::string& declared, OnFault onFault)
    : source_(source), decoder_(declared, onFault, source.name()) {}

bool TextReader::Next(Text* piece, std::string* utf8) {
    decoder_.RaiseFault();
    if (ended_) return false;
    std::string_view block;
    ended_ = !source_.Read(&block, left_);
    std::size_t consumed = 0;
    *piece = decoder_.Decode(block, ended_, &consumed, utf8);
    left_ = block.size() - consumed;
    return true;
}

LineReader::LineReader(TextReader& reader) : reader_(reader) {}

bool LineReader::Next(Text* line, bool* terminated) {
    static const Text lineFeed(QUENDALTEXT_U("\n"));
    while (true) {
        const int lineEnd = pending_.FindFromCharacterSet(lineFeed, scanFrom_);
        if (lineEnd >= 0) {
            *line = pending_.SubString(lineStart_, lineEnd - lineStart_);
            *terminated = true;
            lineStart_ = scanFrom_ = lineEnd + 1;
            return true;
        }
        scanFrom_ = pending_.get_Length();
        if (inputEnded_) {
            if (lineStart_ >= scanFrom_) {
                reader_.decoder().RaiseFault();
                return false;
            }
            *line = pending_.SubString(lineStart_, -1);
            *terminated = false;
            lineStart_ = scanFrom_;
            return true;
        }
        // The text before a fault ends the input; the fault is raised after its last line.
        Text piece;
        if (reader_.decoder().HasFault() || !reader_.Next(&piece)) {
            inputEnded_ = true;
            continue;
        }
        if (lineStart_ > 0) {
            pending_ = pending_.SubString(lineStart_, -1);
            scanFrom_ -= lineStart_;
            lineStart_ = 0;
        }
        AppendHeld(&pending_, piece, reader_.decoder().sourceName());
    }
}

MatchedLineReader::MatchedLineReader(TextReader& reader, std::string pattern, bool numberLines)
    : reader_(reader), pattern_(std::move(pattern)), numberLines_(numberLines) {}

std::size_t MatchedLineReader::Find(std::string_view line, std::size_t from) const {
    if (from > line.size()) return std::string_view::npos;
    const char* const match = FindPattern(line.substr(from), pattern_);
    return match == nullptr ? std::string_view::npos
                            : static_cast<std::size_t>(match - line.data());
}

bool MatchedLineReader::Next(std::string_view* line, std::int64_t* lineNumber,
                             std::size_t* firstMatch) {
    constexpr std::size_t npos = std::string_view::npos;
    while (true) {
        const std::string_view all(buffer_);
        if (match_ == npos) {
            match_ = Find(all, scanFrom_);
            if (match_ != npos) {
                // The match's line starts after the last line feed before it, which lies after
                // the bytes already known to hold none.
                const std::size_t from = std::max(lineStart_, checkedEnd_);
                const std::size_t before =
                    match_ > from ? all.substr(from, match_ - from).rfind('\n') : npos;
                const std::size_t start = before == npos ? lineStart_ : from + before + 1;
                if (numberLines_)
                    linesBefore_ += static_cast<std::int64_t>(
                        CountByte(all.substr(lineStart_, start - lineStart_), '\n'));
                lineStart_ = start;
                // The pattern holds no line feed: its line ends after it.
                lineFeedFrom_ = match_ + pattern_.size();
            }
        }
        if (match_ != npos) {
            const std::size_t lineFeed = all.find('\n', lineFeedFrom_);
            if (lineFeed != npos || inputEnded_) {
                const std::size_t lineEnd = lineFeed == npos ? all.size() : lineFeed;
                *lineNumber = linesBefore_ + 1;
                if (lineFeed != npos) ++linesBefore_;
                *line = all.substr(lineStart_, lineEnd - lineStart_);
                *firstMatch = match_ - lineStart_;
                lineStart_ = scanFrom_ = lineFeed == npos ? all.size() : lineFeed + 1;
                match_ = npos;
                return true;
            }
            lineFeedFrom_ = all.size();
        } else if (inputEnded_) {
            reader_.decoder().RaiseFault();
            return false;
        } else {
            // A match may begin in the last bytes and end in the next block.
            scanFrom_ = std::max(scanFrom_, all.size() - std::min(all.size(), pattern_.size() - 1));
            // Only the unfinished line is kept; the lines before it hold no match.
            const std::size_t from = std::max(lineStart_, checkedEnd_);
            const std::size_t lastLineFeed = all.substr(from).rfind('\n');
            if (lastLineFeed != npos) {
                const std::size_t start = from + lastLineFeed + 1;
                if (numberLines_)
                    linesBefore_ += static_cast<std::int64_t>(
                        CountByte(all.substr(lineStart_, start - lineStart_), '\n'));
                lineStart_ = start;
                scanFrom_ = std::max(scanFrom_, lineStart_);
            }
        }
        checkedEnd_ = all.size();  // no line feed in [lineStart_, checkedEnd_)
        // Dropped once it is at least half the buffer, so that a long line is moved only a
        // logarithmic number of times.
        if (lineStart_ > 0 && lineStart_ >= buffer_.size() - lineStart_) {
            buffer_.erase(0, lineStart_);
            scanFrom_ -= lineStart_;
            checkedEnd_ -= lineStart_;
            if (match_ != npos) {
                match_ -= lineStart_;
                lineFeedFrom_ -= lineStart_;
            }
            lineStart_ = 0;
        }
        inputEnded_ = !Refill();
    }
}

bool MatchedLineReader::Refill() {
    // The text before a fault ends the input; the fault is raised after its last line.
    if (reader_.decoder().HasFault()) return false;
    const std::size_t held = buffer_.size();
    Text piece;
    if (!reader_.Next(&piece, &buffer_)) return false;
    if (!piece.IsEmpty()) buffer_ += piece.ToUTF8String();  // an encoding other than UTF-8
    // LineReader holds the unfinished line and the whole piece at once, and refuses more than
    // it can write out again; so does this reader, the same way.
    const std::string_view unfinished =
        std::string_view(buffer_).substr(lineStart_, held - lineStart_);
    const std::string_view added = std::string_view(buffer_).substr(held);
    if (unfinished.size() + added.size() > static_cast<std::size_t>(kLongestHeldUnits)) {
        CheckHeld(UnitsOfUTF8(unfinished), UnitsOfUTF8(added), reader_.decoder().sourceName());
    }
    return true;
}

LineRunReader::LineRunReader(TextReader& reader) : reader_(reader) {}

bool LineRunReader::Next(Text* run) {
    while (!inputEnded_) {
        // The text before a fault ends the input; the fault is raised after its last run.
        Text piece;
        if (reader_.decoder().HasFault() || !reader_.Next(&piece)) {
            inputEnded_ = true;
            break;
        }
        const QuendalText::UTF16StringView units = piece.View();
        const std::size_t lastLineFeed = units.rfind(QuendalText::UTF16Unit('\n'));
        if (lastLineFeed == QuendalText::UTF16StringView::npos) {
            AppendHeld(&pending_, piece, reader_.decoder().sourceName());
            continue;
        }
        *run = std::move(pending_);
        *run += Text(units.substr(0, lastLineFeed + 1));
        pending_ = Text(units.substr(lastLineFeed + 1));
        return true;
    }
    if (pending_.IsEmpty()) {
        reader_.decoder().RaiseFault();
        return false;
    }
    *run = std::move(pending_);
    pending_ = Text();
    return true;
}

TokenReader::TokenReader(TextReader& reader, std::u32string delimiters, bool keepEmpty)
    : lines_(reader), delimiters_(std::move(delimiters)), keepEmpty_(keepEmpty) {}

bool TokenReader::Next(Text* token) {
    static const QuendalText::UTF16Unit kCarriageReturn = '\r';
    while (true) {
        if (!haveLine_) {
            bool terminated = false;
            if (!lines_.Next(&line_, &terminated)) return false;
            const QuendalText::UTF16StringView units = line_.View();
            // CR LF ends a line as LF does.
            lineEnd_ = units.size() -
                       (terminated && !units.empty() && units.back() == kCarriageReturn ? 1 : 0);
            start_ = 0;
            haveLine_ = true;
        }
        const QuendalText::UTF16StringView units = line_.View().substr(0, lineEnd_);
        const std::size_t base = start_;
        const QuendalText::CodePointRange rest(units.substr(base));
        for (auto at = rest.begin(); at != rest.end(); ++at) {
            if (delimiters_.find(*at) == std::u32string::npos) continue;
            const std::size_t fieldStart = start_;
            const std::size_t fieldEnd = base + at.Index();
            start_ = base + std::next(at).Index();
            if (fieldEnd > fieldStart || keepEmpty_) {
                *token = Text(units.substr(fieldStart, fieldEnd - fieldStart));
                return true;
            }
        }
        haveLine_ = false;  // the line's end ends its last field
        if (start_ < units.size() || keepEmpty_) {
            *token = Text(units.substr(start_));
            return true;
        }
    }
}

}  // namespace qtext
