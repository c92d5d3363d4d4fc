// The commands of qtext over the readers of input.h. Text read is UTF-8 unless a byte-order
// mark names another encoding; text written is UTF-8, except for convert.
#include "commands.h"

#include "errors.h"
#include "input.h"

#include <QuendalText/Char.h>
#include <QuendalText/UTFEncodingType.h>

#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace qtext {

const char* const kSampleText =
    u8"Hello, world!\n"
    u8"Cr\u00e8me br\u00fbl\u00e9e \u00e0 la fran\u00e7aise\n"
    u8"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5\n"
    u8"\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8\u3001\u4e2d\u6587\n"
    u8"Emoji: \U0001F600 \U0001F389 \U0001F44D\U0001F3FD\n";

namespace {

using QuendalText::Char;
using QuendalText::Text;

void WriteOut(std::string_view bytes) {
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
        throw InputError(std::string("cannot write the output: ") + std::strerror(errno));
    }
}

int FinishOutput() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        throw InputError(std::string("cannot write the output: ") + std::strerror(errno));
    }
    return kExitSuccess;
}

const Text& LineFeed() {
    static const Text lineFeed(u"\n");
    return lineFeed;
}

// What info reports, gathered piece by piece as if over the whole input as one Text.
class Measures {
public:
    void Add(const Text& piece) {
        if (piece.IsEmpty()) return;
        // NUL units at the start of a text are no characters; in the middle of the input they
        // are, but a piece cannot know that a character came before it.
        const int nulsAfterCharacters = characters_ > 0 ? LeadingNulUnits(piece) : 0;
        characters_ += piece.get_NumberOfCharacters() + nulsAfterCharacters;
        utf32Bytes_ += piece.get_EncodingSize(UTF32Encoding, false) + 4 * nulsAfterCharacters;
        utf8Bytes_ += piece.get_EncodingSize(UTF8Encoding, false);
        utf16Bytes_ += piece.get_EncodingSize(UTF16Encoding, false);
        utf16Units_ += piece.get_Length();
        ascii_ = ascii_ && piece.IsAscii();
        for (int at = piece.FindFromCharacterSet(LineFeed(), 0); at >= 0;
             at = piece.FindFromCharacterSet(LineFeed(), at + 1)) {
            ++lineFeeds_;
        }
        endsWithLineFeed_ = piece.get_CharacterAt(piece.get_Length() - 1) == Char(u'\n');
    }

    void Print(const std::string& source, const std::string& encoding) const {
        // A last line without a line feed counts too.
        const std::int64_t lines = lineFeeds_ + (utf16Units_ > 0 && !endsWithLineFeed_ ? 1 : 0);
        std::string report;
        auto row = [&report](const char* name, const std::string& value) {
            report += name;
            report.append(16 - std::strlen(name), ' ');
            report += value + "\n";
        };
        row("input:", source);
        row("encoding:", encoding);
        row("UTF-8 bytes:", std::to_string(utf8Bytes_));
        row("UTF-16 bytes:", std::to_string(utf16Bytes_));
        row("UTF-32 bytes:", std::to_string(utf32Bytes_));
        row("UTF-16 units:", std::to_string(utf16Units_));
        row("characters:", std::to_string(characters_));
        row("ASCII:", ascii_ ? "yes" : "no");
        row("lines:", std::to_string(lines));
        WriteOut(report);
    }

private:
    std::int64_t utf8Bytes_ = 0;
    std::int64_t utf16Bytes_ = 0;
    std::int64_t utf32Bytes_ = 0;
    std::int64_t utf16Units_ = 0;
    std::int64_t characters_ = 0;
    std::int64_t lineFeeds_ = 0;
    bool ascii_ = true;
    bool endsWithLineFeed_ = false;
};

// Compare with case ignored reads every surrogate unit as the same invalid character, so the
// units of characters outside the Basic Multilingual Plane are compared exactly here.
bool SurrogateUnitsEqual(const Text& candidate, const Text& pattern) {
    const QuendalText::UTF16Unit* left = candidate.c_str();
    const QuendalText::UTF16Unit* right = pattern.c_str();
    for (int i = 0; i < pattern.get_Length(); ++i) {
        const bool surrogate = (left[i] & 0xF800) == 0xD800 || (right[i] & 0xF800) == 0xD800;
        if (surrogate && left[i] != right[i]) return false;
    }
    return true;
}

// Index of the first match of `pattern` in `line` at or after `start`, or -1.
int FindMatch(const Text& line, const Text& pattern, int start, bool ignoreCase) {
    if (!ignoreCase) return line.FindString(pattern, start);
    Char first = pattern.get_CharacterAt(0);
    first.ToLower();
    const int lastStart = line.get_Length() - pattern.get_Length();
    for (int i = start; i <= lastStart; ++i) {
        Char candidateFirst = line.get_CharacterAt(i);
        if (candidateFirst.ToLower() != first) continue;  // cheap test before a sub-string
        Text candidate = line.SubString(i, pattern.get_Length());
        candidate.set_CaseSensitivity(false);
        if (candidate.Compare(pattern, -1) == 0 && SurrogateUnitsEqual(candidate, pattern))
            return i;
    }
    return -1;
}

// Calls visit(line, terminated) for each line of the input, read as UTF-8 or as its
// byte-order mark says; `terminated` tells whether an LF ended the line.
template <class Visit>
void ForEachLine(const Settings& settings, const std::string& path, Visit visit) {
    ByteSource source(path, settings.blockBytes);
    TextReader reader(source, Encoding::Utf8);
    LineReader lines(reader);
    Text line;
    bool terminated = false;
    while (lines.Next(&line, &terminated)) visit(line, terminated);
}

}  // namespace

int RunInfo(const Settings& settings, const std::string& path, bool useSample) {
    Measures measures;
    if (useSample || (path.empty() && ::isatty(STDIN_FILENO))) {
        const Text sample(kSampleText);
        WriteOut("Built-in sample (ASCII, accented Latin, Greek, CJK, emoji):\n");
        int position = 0;
        for (Text line = sample.FindToken(LineFeed(), &position); !line.IsEmpty();
             line = sample.FindToken(LineFeed(), &position)) {
            WriteOut("  " + ToUtf8(line) + "\n");
        }
        WriteOut("\n");
        measures.Add(sample);
        measures.Print("built-in sample", "utf-8");
        return FinishOutput();
    }
    ByteSource source(path, settings.blockBytes);
    TextReader reader(source, Encoding::Utf8);
    Text piece;
    while (reader.Next(&piece)) measures.Add(piece);
    const Decoder& decoder = reader.decoder();
    measures.Print(source.name(), std::string(EncodingName(decoder.encoding())) +
                                      (decoder.hadByteOrderMark() ? " (byte-order mark)" : ""));
    return FinishOutput();
}

int RunConvert(const Settings& settings, const std::string& path, Encoding from, Encoding to) {
    ByteSource source(path, settings.blockBytes);
    TextReader reader(source, from);
    Text piece;
    std::string bytes;
    while (reader.Next(&piece)) {
        EncodeText(piece, to, &bytes);
        WriteOut(bytes);
    }
    return FinishOutput();
}

int RunFind(const Settings& settings, const std::string& path, const Text& pattern,
            bool ignoreCase) {
    std::int64_t lineNumber = 0;
    ForEachLine(settings, path, [&](const Text& line, bool) {
        ++lineNumber;
        std::string lineBytes;  // encoded at the first match only
        for (int column = FindMatch(line, pattern, 0, ignoreCase); column >= 0;
             column = FindMatch(line, pattern, column + pattern.get_Length(), ignoreCase)) {
            if (lineBytes.empty()) lineBytes = ToUtf8(line) + "\n";
            WriteOut(std::to_string(lineNumber) + ":" + std::to_string(column) + ":" + lineBytes);
        }
    });
    return FinishOutput();
}

int RunTokens(const Settings& settings, const std::string& path, const Text& delimiters) {
    ByteSource source(path, settings.blockBytes);
    TextReader reader(source, Encoding::Utf8);
    TokenReader tokens(reader, delimiters);
    Text token;
    while (tokens.Next(&token)) WriteOut(ToUtf8(token) + "\n");
    return FinishOutput();
}

int RunCaseMapping(const Settings& settings, const std::string& path, bool upper) {
    ForEachLine(settings, path, [upper](Text& line, bool terminated) {
        if (upper) {
            line.ToUpper();
        } else {
            line.ToLower();
        }
        WriteOut(ToUtf8(line));
        if (terminated) WriteOut("\n");
    });
    return FinishOutput();
}

}  // namespace qtext
