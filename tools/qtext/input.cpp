// Block reading with read(2) and the cutting of decoded text into lines and tokens. Text that
// waits for the rest of its line or token is held in one Text that grows by appending; the
// part already handed out is dropped only when more input is needed.
#include "input.h"

#include "errors.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

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
      name_(IsStandardInput(path) ? "standard input" : path) {
    if (!IsStandardInput(path)) {
        descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor_ < 0) throw InputError("cannot open " + path + ": " + std::strerror(errno));
        ownsDescriptor_ = true;
    }
    buffer_.resize(blockBytes);
}

ByteSource::~ByteSource() {
    if (ownsDescriptor_) ::close(descriptor_);
}

bool ByteSource::Read(std::string_view* block) {
    std::size_t filled = 0;
    while (filled < buffer_.size()) {
        const ssize_t got = ::read(descriptor_, &buffer_[filled], buffer_.size() - filled);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            throw InputError("cannot read " + name_ + ": " + std::strerror(errno));
        }
        filled += static_cast<std::size_t>(got);
    }
    *block = std::string_view(buffer_.data(), filled);
    return filled > 0;
}

TextReader::TextReader(ByteSource& source, Encoding declared)
    : source_(source), decoder_(declared, source.name()) {}

bool TextReader::Next(Text* piece) {
    if (ended_) return false;
    std::string_view block;
    if (source_.Read(&block)) {
        *piece = decoder_.Decode(block);
    } else {
        ended_ = true;
        *piece = decoder_.Finish();
    }
    return true;
}

LineReader::LineReader(TextReader& reader) : reader_(reader) {}

bool LineReader::Next(Text* line, bool* terminated) {
    static const Text lineFeed(u"\n");
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
            if (lineStart_ >= scanFrom_) return false;
            *line = pending_.SubString(lineStart_, -1);
            *terminated = false;
            lineStart_ = scanFrom_;
            return true;
        }
        Text piece;
        if (!reader_.Next(&piece)) {
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

TokenReader::TokenReader(TextReader& reader, const Text& delimiters)
    : reader_(reader), delimiters_(delimiters) {}

bool TokenReader::Next(Text* token) {
    while (true) {
        const int length = pending_.get_Length();
        if (position_ < length) {
            int end = position_;
            const Text found = pending_.FindToken(delimiters_, &end);
            // A token that runs to the end of what was read may go on in the next block.
            const bool mayContinue = !inputEnded_ && end >= length;
            if (!found.IsEmpty() && !mayContinue) {
                *token = found;
                position_ = end;
                return true;
            }
            if (found.IsEmpty() && end < length) {
                // A unit that ends a token where one would start (a surrogate unit when the
                // delimiters hold U+FFFF) makes an empty token: step over it.
                position_ = (end > position_ ? end : position_) + 1;
                continue;
            }
            if (found.IsEmpty()) position_ = length;  // only delimiters were left
        }
        if (inputEnded_) return false;
        ReadMore();
    }
}

void TokenReader::ReadMore() {
    if (position_ > 0) {
        pending_ = pending_.SubString(position_, -1);
        position_ = 0;
    }
    // Reading goes on until a delimiter arrives, so that a long token is not cut again and
    // again before it can end.
    Text piece;
    while (reader_.Next(&piece)) {
        const int heldBefore = pending_.get_Length();
        AppendHeld(&pending_, piece, reader_.decoder().sourceName());
        if (pending_.FindFromCharacterSet(delimiters_, heldBefore) >= 0) return;
    }
    inputEnded_ = true;
}

}  // namespace qtext
