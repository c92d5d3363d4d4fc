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
