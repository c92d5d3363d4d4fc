// The commands of qtext over the readers of input.h. Text read is UTF-8 unless a byte-order
// mark names another encoding (convert: --from); text written is UTF-8 (convert: --to).
#include "commands.h"

#include "errors.h"
#include "input.h"
#include "search.h"

#include <QuendalText/Collator.h>
#include <QuendalText/UTFEncodingType.h>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace qtext {

const char* const kSampleText =
    u8"Hello, world!\n"
    u8"Cr\u00e8me br\u00fbl\u00e9e \u00e0 la fran\u00e7aise\n"
    u8"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5\n"
    u8"\u65e5\u672c\u8a9e\u306e\u30c6\u30ad\u30b9\u30c8\u3001\u4e2d\u6587\n"
    u8"Emoji: \U0001F600 \U0001F389 \U0001F44D\U0001F3FD\n";

void WriteOut(std::string_view bytes) {
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) {
        throw OutputError(std::string("cannot write the output: ") + std::strerror(errno));
    }
}

void FlushOutput() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        throw OutputError(std::string("cannot write the output: ") + std::strerror(errno));
    }
}

namespace {

using QuendalText::Text;
using QuendalText::UTF16StringView;
using QuendalText::UTF16Unit;

const Text& LineFeed() {
    static const Text lineFeed(QUENDALTEXT_U("\n"));
    return lineFeed;
}

// Runs `read` for each input (standard input when there is none) while it returns true,
// reporting a failing input on standard error (an unreadable one only when `reportUnreadable`)
// and going on with the next. Returns whether every input read was read whole.
bool ForEachInput(const std::vector<std::string>& paths,
                  const std::function<bool(const std::string&)>& read,
                  bool reportUnreadable = true) {
    const std::vector<std::string> inputs = paths.empty() ? std::vector<std::string>{""} : paths;
    bool allRead = true;
    for (const std::string& path : inputs) {
        try {
            if (!read(path)) break;
        } catch (const InputError& error) {
            allRead = false;
            if (!reportUnreadable && dynamic_cast<const UnreadableInput*>(&error) != nullptr) {
                continue;
            }
            std::fflush(stdout);  // what the input gave so far comes before the complaint
            std::fprintf(stderr, "qtext: %s\n", error.what());
        }
    }
    FlushOutput();
    return allRead;
}

int StatusOf(bool allRead) { return allRead ? kExitSuccess : kExitInputError; }

// Calls read(), then report(), also when a fault in the input ends read(): the text before the
// fault was taken as if the input ended there. An input that cannot be read gets no report.
template <class Read, class Report>
void ReadThenReport(Read read, Report report) {
    try {
        read();
    } catch (const UnreadableInput&) {
        throw;
    } catch (const InputError&) {
        report();
        throw;
    }
    report();
}

// Calls visit(line, terminated) for each line of the input, read as UTF-8 or as its
// byte-order mark says, while it returns true; `terminated` tells whether an LF ended the line.
template <class Visit>
void ForEachLine(const Settings& settings, const std::string& path, Visit visit) {
    ByteSource source(path, settings.BlockBytes);
    TextReader reader(source, std::string(), OnFault::Stop);
    LineReader lines(reader);
    Text line;
    bool terminated = false;
    while (lines.Next(&line, &terminated) && visit(line, terminated)) {}
}

// What info reports, gathered piece by piece as if over the whole input as one Text.
class Measures {
public:
    void Add(const Text& piece) {
        if (piece.IsEmpty()) return;
        // The input is well-formed, so these are the sizes convert writes.
        UTF8Bytes += piece.get_EncodingSize(UTF8Encoding, false);
        CodePoints += CodePointsOf(piece);
        UTF16Units += piece.get_Length();
        Ascii = Ascii && piece.IsAscii();
        for (int at = piece.FindFromCharacterSet(LineFeed(), 0); at >= 0;
             at = piece.FindFromCharacterSet(LineFeed(), at + 1)) {
            ++LineFeeds;
        }
        EndsWithLineFeed = piece.EndsWith(LineFeed());
        // The last cluster may go on in the next piece: it waits for it. Its clusters are
        // walked again only once the text held has doubled, so that one cluster longer than
        // many pieces costs time linear in its length.
        Unfinished += piece;
        if (Unfinished.get_Length() / 2 >= HeldAfterWalk) CountClusters(false);
    }

    void Print(const std::string& source, const std::string& encoding, bool countFaults,
               std::uint64_t faults) {
        CountClusters(true);
        // A last line without a line feed counts too.
        const std::int64_t lines = LineFeeds + (UTF16Units > 0 && !EndsWithLineFeed ? 1 : 0);
        std::string report;
        auto row = [&report](const char* name, const std::string& value) {
            report += name;
            report.append(20 - std::strlen(name), ' ');
            report += value + "\n";
        };
        row("input:", source);
        row("encoding:", encoding);
        row("UTF-8 bytes:", std::to_string(UTF8Bytes));
        row("UTF-16 bytes:", std::to_string(2 * UTF16Units));
        row("UTF-32 bytes:", std::to_string(4 * CodePoints));
        row("UTF-16 units:", std::to_string(UTF16Units));
        row("code points:", std::to_string(CodePoints));
        row("grapheme clusters:", std::to_string(Clusters));
        row("ASCII:", Ascii ? "yes" : "no");
        row("lines:", std::to_string(lines));
        row("widest line:", std::to_string(std::max(Widest, Column)));
        if (countFaults) row("ill-formed:", std::to_string(faults));
        WriteOut(report);
    }

private:
    // The cached count is the code points of a well-formed piece but for its leading NULs.
    static std::int64_t CodePointsOf(const Text& piece) {
        const int characters = piece.get_NumberOfCharacters();
        if (characters < 0) {
            const QuendalText::CodePointRange codePoints = piece.CodePoints();
            return std::distance(codePoints.begin(), codePoints.end());
        }
        const UTF16StringView units = piece.View();
        const std::size_t leadingNuls =
            std::min(units.find_first_not_of(UTF16Unit(0)), units.size());
        return characters + static_cast<std::int64_t>(leadingNuls);
    }

    void CountClusters(bool ended) {
        const UTF16StringView units = Unfinished.View();
        const QuendalText::GraphemeRange clusters = Unfinished.Graphemes();
        std::size_t lastStart = 0;
        std::int64_t count = 0;
        UTF16StringView last;
        for (const UTF16StringView cluster : clusters) {
            // A cluster is measured once the next one shows that it is whole.
            if (count > 0) MeasureWidth(last);
            last = cluster;
            lastStart = static_cast<std::size_t>(cluster.data() - units.data());
            ++count;
        }
        if (ended || count == 0) {
            Clusters += count;
            if (count > 0) MeasureWidth(last);
            Unfinished = Text();
        } else {
            Clusters += count - 1;
            Unfinished = Text(units.substr(lastStart));
        }
        HeldAfterWalk = Unfinished.get_Length();
    }

    // Adds a cluster to the width of its line, as wc -L counts it but by Text::DisplayWidth: a
    // tab moves to the next multiple of kTabStop columns, and a line feed (with a carriage
    // return before it or not) ends the line. A cluster of one unit is as wide as that code
    // point alone (Unicode::Width), remembered by unit value; a longer one is measured whole.
    void MeasureWidth(UTF16StringView cluster) {
        static constexpr std::int64_t kTabStop = 8;
        const UTF16Unit first = cluster.front();
        if (first == UTF16Unit('\t')) {
            Column = (Column / kTabStop + 1) * kTabStop;
        } else if (cluster.back() == UTF16Unit('\n')) {
            Widest = std::max(Widest, Column);
            Column = 0;
        } else if (cluster.size() == 1) {
            if (UnitWidths.empty())
                UnitWidths.assign(std::size_t{1} << (8 * sizeof(UTF16Unit)), kUnknownWidth);
            std::int8_t& width = UnitWidths[static_cast<std::size_t>(first)];
            if (width == kUnknownWidth)
                width = static_cast<std::int8_t>(QuendalText::Unicode::Width(first));
            Column += width;
        } else {
            Column += Text(cluster).DisplayWidth();
        }
    }
    static constexpr std::int8_t kUnknownWidth = -1;

    std::int64_t UTF8Bytes = 0;
    std::int64_t UTF16Units = 0;
    std::int64_t CodePoints = 0;
    std::int64_t Clusters = 0;
    std::int64_t LineFeeds = 0;
    bool Ascii = true;
    bool EndsWithLineFeed = false;
    std::int64_t Widest = 0;              // display width of the widest line ended so far
    std::int64_t Column = 0;              // display width of the line measured up to here
    std::vector<std::int8_t> UnitWidths;  // by unit value, for clusters of one unit
    Text Unfinished;        // from the start of the last cluster seen, which may go on
    int HeldAfterWalk = 0;  // units of Unfinished when its clusters were last walked
};

// Finds a pattern in lines: as it is, or by full case folding of both (Text::FindFolded, whose
// matches begin and end with whole characters), in time linear in the line.
class Matcher {
public:
    Matcher(const Text& pattern, bool ignoreCase)
        : IgnoreCase(ignoreCase),
          Pattern(ignoreCase ? pattern.Folded() : pattern),
          Searcher(Pattern.View().data(), Pattern.View().data() + Pattern.View().size()) {}

    // Calls found(start, end) for each match in `line` (UTF-16 indexes), left to right and
    // without overlaps, while it returns true; when it returns nothing the match does not
    // count, and the search goes on from the unit after its start. The pattern must not be
    // empty.
    void ForEachMatch(const Text& line,
                      const std::function<std::optional<bool>(std::size_t, std::size_t)>& found) {
        if (!IgnoreCase) {
            const std::size_t length = Pattern.View().size();
            Search(line.View(),
                   [&found, length](std::size_t at) { return found(at, at + length); });
            return;
        }
        for (int start = 0;;) {
            const QuendalText::Span span = line.FindFolded(Pattern, start);
            if (!span) return;
            const auto end = static_cast<std::size_t>(span.Start + span.Length);
            const std::optional<bool> goOn = found(static_cast<std::size_t>(span.Start), end);
            if (goOn.has_value() && !*goOn) return;
            start = goOn.has_value() ? static_cast<int>(end) : span.Start + 1;
        }
    }

private:
    // Calls accept(index) for each match; accept answers whether to go on, or nothing when the
    // match does not count and the search goes on from the next unit.
    template <class Accept>
    void Search(UTF16StringView units, Accept accept) const {
        const UTF16Unit* const begin = units.data();
        const UTF16Unit* const end = begin + units.size();
        for (const UTF16Unit* from = begin; from < end;) {
            const auto match = Searcher(from, end);
            if (match.first == end) return;
            const std::optional<bool> goOn = accept(static_cast<std::size_t>(match.first - begin));
            if (goOn.has_value() && !*goOn) return;
            from = goOn.has_value() ? match.second : match.first + 1;
        }
    }

    bool IgnoreCase;
    Text Pattern;
    std::boyer_moore_searcher<const UTF16Unit*> Searcher;
};

}  // namespace

int RunInfo(const Settings& settings, const std::vector<std::string>& paths, bool useSample,
            OnFault onFault) {
    if (useSample) {
        const Text sample = Text::FromUTF8(kSampleText);
        WriteOut("Built-in sample (ASCII, accented Latin, Greek, CJK, emoji):\n");
        const std::vector<Text> lines = sample.Split(QuendalText::Char(QUENDALTEXT_U('\n')));
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            WriteOut("  " + lines[i].ToUTF8String() + "\n");
        WriteOut("\n");
        Measures measures;
        measures.Add(sample);
        measures.Print("built-in sample", "UTF-8", false, 0);
        FlushOutput();
        return kExitSuccess;
    }
    bool first = true;
    return StatusOf(ForEachInput(paths, [&](const std::string& path) {
        ByteSource source(path, settings.BlockBytes);
        TextReader reader(source, std::string(), onFault);
        Measures measures;
        const auto report = [&] {
            const Decoder& decoder = reader.decoder();
            if (!first) WriteOut("\n");
            first = false;
            measures.Print(
                source.name(),
                decoder.encodingName() + (decoder.hadByteOrderMark() ? " (byte-order mark)" : ""),
                onFault != OnFault::Stop, decoder.faults());
        };
        Text piece;
        ReadThenReport(
            [&] {
                while (reader.Next(&piece)) measures.Add(piece);
            },
            report);
        return true;
    }));
}

int RunConvert(const Settings& settings, const std::vector<std::string>& paths,
               const ConvertOptions& options) {
    // Unknown names are bad usage, found before any input is read.
    Decoder(options.From, options.FaultPolicy, std::string());
    Encoder(options.To, options.FaultPolicy, options.Mark);
    return StatusOf(ForEachInput(paths, [&](const std::string& path) {
        ByteSource source(path, settings.BlockBytes);
        TextReader reader(source, options.From, options.FaultPolicy);
        Encoder encoder(options.To, options.FaultPolicy, options.Mark, source.name());
        // UTF-8 to UTF-8 is checked and passed on as it is.
        std::string bytes;
        std::string* const utf8 =
            encoder.isUTF8() && options.Mark != ByteOrderMark::Write ? &bytes : nullptr;
        Text piece;
        try {
            while (true) {
                bytes.clear();
                if (!reader.Next(&piece, utf8)) break;
                encoder.Encode(piece, &bytes);
                WriteOut(bytes);
            }
            encoder.Finish(&bytes);
            WriteOut(bytes);
        } catch (const InputError&) {
            // What came before the fault is written, and a stateful encoding's state closed.
            WriteOut(bytes);
            bytes.clear();
            encoder.Finish(&bytes);
            WriteOut(bytes);
            throw;
        }
        return true;
    }));
}

namespace {

// grep's colors (its GREP_COLORS defaults) and the sequence that ends each.
constexpr const char* kMatchColor = "\33[01;31m\33[K";
constexpr const char* kFileNameColor = "\33[35m\33[K";
constexpr const char* kNumberColor = "\33[32m\33[K";
constexpr const char* kSeparatorColor = "\33[36m\33[K";
constexpr const char* kColorEnd = "\33[m\33[K";

// Code points of well-formed UTF-16 units.
std::size_t CodePointsIn(UTF16StringView units) {
    return static_cast<std::size_t>(std::count_if(
        units.begin(), units.end(), [](UTF16Unit unit) { return unit < 0xDC00 || unit > 0xDFFF; }));
}

// Writes the selected lines of one input as grep does.
// Matches in a line, as [start, end) offsets.
using Matches = std::vector<std::pair<std::size_t, std::size_t>>;

class FindPrinter {
public:
    FindPrinter(const FindOptions& options, std::string fileName)
        : Options(options), ShownFileName(std::move(fileName)) {}

    std::string Paint(const char* color, std::string_view text) const {
        return Options.Color ? color + std::string(text) + kColorEnd : std::string(text);
    }
    std::string FileName() const { return Paint(kFileNameColor, ShownFileName); }
    std::string Separator() const { return Paint(kSeparatorColor, ":"); }

    // [FILE:][LINE:][COLUMN:]
    std::string Head(std::int64_t lineNumber, std::size_t column) const {
        std::string head;
        if (!ShownFileName.empty()) head += FileName() + Separator();
        if (Options.LineNumbers)
            head += Paint(kNumberColor, std::to_string(lineNumber)) + Separator();
        if (Options.Columns) head += Paint(kNumberColor, std::to_string(column)) + Separator();
        return head;
    }

    // Writes a selected line as its matches are given, left to right and without overlaps:
    // the line, its matches painted with --color, or with -o each match. `codePoints(from, to)`
    // counts the code points between two offsets (units or bytes) of a line of `size`,
    // `utf8(from, to)` gives the UTF-8 of the part between them. Matches are never gathered,
    // and the line never copied whole: it may be most of the memory.
    template <class CodePoints, class UTF8>
    class LineWriter {
    public:
        LineWriter(const FindPrinter& printer, std::int64_t lineNumber, std::size_t size,
                   CodePoints codePoints, UTF8 utf8)
            : Printer(printer),
              LineNumber(lineNumber),
              Size(size),
              CountCodePoints(std::move(codePoints)),
              ToUTF8(std::move(utf8)) {}

        // Writes what comes up to the end of the match [start, end).
        void Match(std::size_t start, std::size_t end) {
            if (Printer.Options.Columns) {
                Column += CountCodePoints(Counted, start);
                Counted = start;
            }
            if (Printer.Options.OnlyMatching) {
                WriteOut(Printer.Head(LineNumber, Column) +
                         Printer.Paint(kMatchColor, ToUTF8(start, end)) + "\n");
                return;
            }
            if (!HeadWritten) WriteOut(Printer.Head(LineNumber, Column));
            HeadWritten = true;
            if (!Printer.Options.Color) return;
            WriteOut(ToUTF8(Written, start));
            WriteOut(Printer.Paint(kMatchColor, ToUTF8(start, end)));
            Written = end;
        }
        // Whether a further match would change what is written.
        bool WantsMore() const {
            return Printer.Options.OnlyMatching || Printer.Options.Color || !HeadWritten;
        }
        // Writes the rest of the line.
        void Finish() {
            if (Printer.Options.OnlyMatching) return;
            if (!HeadWritten) WriteOut(Printer.Head(LineNumber, 1));
            WriteOut(ToUTF8(Written, Size));
            WriteOut("\n");
        }

    private:
        const FindPrinter& Printer;
        std::int64_t LineNumber;
        std::size_t Size;
        CodePoints CountCodePoints;
        UTF8 ToUTF8;
        bool HeadWritten = false;
        std::size_t Written = 0;  // offsets written, with --color
        std::size_t Column = 1;   // of the last match
        std::size_t Counted = 0;  // offsets before Column
    };

    // A selected line and its matches (UTF-16 index pairs, none for an empty pattern).
    void PrintLine(const Text& line, std::int64_t lineNumber, const Matches& matches) const {
        const UTF16StringView units = line.View();
        LineWriter writer(
            *this, lineNumber, units.size(),
            [units](std::size_t from, std::size_t to) {
                return CodePointsIn(units.substr(from, to - from));
            },
            [&line, units](std::size_t from, std::size_t to) {
                return from == 0 && to == units.size()
                           ? line.ToUTF8String()
                           : Text(units.substr(from, to - from)).ToUTF8String();
            });
        for (const auto& match : matches) writer.Match(match.first, match.second);
        writer.Finish();
    }

    // A LineWriter for a line given as well-formed UTF-8, its matches as byte offsets.
    auto UTF8LineWriter(std::string_view line, std::int64_t lineNumber) const {
        return LineWriter(
            *this, lineNumber, line.size(),
            [line](std::size_t from, std::size_t to) {
                return static_cast<std::size_t>(std::count_if(
                    line.begin() + static_cast<std::ptrdiff_t>(from),
                    line.begin() + static_cast<std::ptrdiff_t>(to),
                    [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }));
            },
            [line](std::size_t from, std::size_t to) { return line.substr(from, to - from); });
    }

private:
    const FindOptions& Options;
    std::string ShownFileName;  // empty when not shown
};

// The word boundaries of a line (UAX #29, as Text::Words finds them), found at the first
// question, since most lines hold no match.
class WordBoundaries {
public:
    void Reset(const Text& line) {
        Line = &line;
        Found = false;
    }

    // Whether [start, end) starts and ends at word boundaries.
    bool Whole(std::size_t start, std::size_t end) {
        if (!Found) {
            const UTF16StringView units = Line->View();
            IsBoundary.assign(units.size() + 1, false);
            for (const UTF16StringView word : Line->Words())
                IsBoundary[static_cast<std::size_t>(word.data() - units.data())] = true;
            IsBoundary[units.size()] = true;
            Found = true;
        }
        return IsBoundary[start] && IsBoundary[end];
    }

    // Whether the line has a place with no word on either side, where grep -w finds the empty
    // pattern (an empty line has one).
    bool HasPlaceBetweenNonWords() const {
        bool afterWord = false;
        for (auto it = Line->Words().begin(), end = Line->Words().end(); it != end; ++it) {
            // Inside a piece that is no word (a run of spaces is one) no word is near either.
            if (!it.IsWord() && (!afterWord || CodePointsIn(*it) > 1)) return true;
            afterWord = it.IsWord();
        }
        return !afterWord;
    }

private:
    const Text* Line = nullptr;
    bool Found = false;
    std::vector<bool> IsBoundary;  // by UTF-16 index, the line's end included
};

}  // namespace

int RunFind(const Settings& settings, const std::vector<std::string>& paths,
            const FindOptions& options) {
    if (options.MaxCount == 0) return kExitNothingFound;  // as grep: nothing is read
    const bool emptyPattern = options.Pattern.IsEmpty();
    Matcher matcher(options.Pattern, options.IgnoreCase);
    // Every match is sought only where it is shown.
    const bool everyMatch = (options.OnlyMatching || options.Color) && !options.Invert;
    // A pattern is sought in the input's UTF-8 bytes (MatchedLineReader), as it is or by full
    // case folding; word and whole-line matching and the selection of lines without a match
    // (-v) go line by line.
    const bool searchBytes =
        !emptyPattern && !options.WholeWords && !options.WholeLines && !options.Invert;
    std::unique_ptr<PatternSearch> plain;
    std::unique_ptr<FoldedSearch> folded;
    if (searchBytes && !options.IgnoreCase) {
        plain = std::make_unique<PatternSearch>(options.Pattern.ToUTF8String());
    } else if (searchBytes) {
        folded = FoldedSearch::For(options.Pattern, settings.LinePieceBytes);
    }
    const ByteSearch* const search =
        plain ? static_cast<const ByteSearch*>(plain.get()) : folded.get();
    bool anySelected = false;
    Matches matches;
    WordBoundaries boundaries;
    const bool allRead = ForEachInput(
        paths,
        [&](const std::string& path) {
            const std::string name = path == "-" || path.empty() ? "(standard input)" : path;
            const bool prefixed = options.FileNamePrefix == FindOptions::NamePrefix::Always ||
                                  (options.FileNamePrefix == FindOptions::NamePrefix::WithSeveral &&
                                   paths.size() > 1);
            const FindPrinter printer(options, prefixed ? name : std::string());
            std::int64_t lineNumber = 0;
            std::int64_t selected = 0;
            bool quit = false;
            // Counts a selected line and reports it (`print` writes it); whether to go on.
            const auto select = [&](const auto& print) {
                ++selected;
                switch (options.ReportAs) {
                    case FindOptions::Report::Quiet: quit = true; return false;
                    case FindOptions::Report::FileNames:
                        WriteOut(printer.Paint(kFileNameColor, name) + "\n");
                        return false;
                    case FindOptions::Report::FileNamesWithout: return false;
                    case FindOptions::Report::Count: break;
                    case FindOptions::Report::Lines: print(); break;
                }
                return options.MaxCount < 0 || selected < options.MaxCount;
            };
            // The matches of a decoded line, as the line-by-line search finds them.
            const auto collect = [&](const Text& line) {
                matches.clear();
                boundaries.Reset(line);
                if (emptyPattern) return;
                matcher.ForEachMatch(
                    line, [&](std::size_t start, std::size_t end) -> std::optional<bool> {
                        if (options.WholeWords && !boundaries.Whole(start, end))
                            return std::nullopt;
                        matches.emplace_back(start, end);
                        return everyMatch && !options.WholeLines;
                    });
            };
            // What -c and -L say of a file, also when a fault ends it, as grep counts what it could
            // read; a file that cannot be read gets only its message, as with grep.
            const auto summarize = [&] {
                if (options.ReportAs == FindOptions::Report::FileNamesWithout && selected == 0) {
                    WriteOut(printer.Paint(kFileNameColor, name) + "\n");
                }
                if (options.ReportAs == FindOptions::Report::Count) {
                    WriteOut((prefixed ? printer.FileName() + printer.Separator() : std::string()) +
                             std::to_string(selected) + "\n");
                }
                anySelected = anySelected || selected > 0;
            };
            ReadThenReport(
                [&] {
                    if (search != nullptr) {
                        ByteSource source(path, settings.SearchBlockBytes);
                        TextReader reader(source, std::string(), OnFault::Stop);
                        MatchedLineReader lines(reader, *search, options.LineNumbers);
                        std::string_view line;
                        std::size_t first = 0;
                        while (lines.Next(&line, &lineNumber, &first)) {
                            const bool goOn = select([&] {
                                auto writer = printer.UTF8LineWriter(line, lineNumber);
                                // A folded match is placed only when it is shown.
                                if (folded && writer.WantsMore() &&
                                    (everyMatch || options.Columns)) {
                                    folded->ForEachMatch(
                                        line, [&writer](std::size_t start, std::size_t end) {
                                            writer.Match(start, end);
                                            return writer.WantsMore();
                                        });
                                }
                                for (std::size_t at = first; !folded;) {
                                    writer.Match(at, at + plain->size());
                                    if (!writer.WantsMore()) break;
                                    at = plain->Find(line, at + plain->size());
                                    if (at == std::string_view::npos) break;
                                }
                                writer.Finish();
                            });
                            if (!goOn) break;
                        }
                    } else {
                        ForEachLine(settings, path, [&](const Text& line, bool) {
                            ++lineNumber;
                            collect(line);
                            // A whole line matches from its start (every match there has the same length).
                            if (options.WholeLines && !matches.empty() &&
                                (matches[0].first != 0 ||
                                 matches[0].second != line.View().size())) {
                                matches.clear();
                            }
                            const bool matched = !emptyPattern        ? !matches.empty()
                                                 : options.WholeLines ? line.IsEmpty()
                                                 : options.WholeWords
                                                     ? boundaries.HasPlaceBetweenNonWords()
                                                     : true;
                            if (matched == options.Invert) return true;
                            return select([&] {
                                printer.PrintLine(line, lineNumber,
                                                  options.Invert ? Matches() : matches);
                            });
                        });
                    }
                },
                summarize);
            return !quit;
        },
        !options.NoMessages);
    // As grep -q: a selected line answers 0 even after trouble.
    if (anySelected && options.ReportAs == FindOptions::Report::Quiet) return kExitSuccess;
    if (!allRead) return kExitFindTrouble;
    return anySelected ? kExitSuccess : kExitNothingFound;
}

int RunTokens(const Settings& settings, const std::vector<std::string>& paths,
              const std::u32string& delimiters, bool keepEmpty) {
    return StatusOf(ForEachInput(paths, [&](const std::string& path) {
        ByteSource source(path, settings.BlockBytes);
        TextReader reader(source, std::string(), OnFault::Stop);
        TokenReader tokens(reader, delimiters, keepEmpty);
        Text token;
        while (tokens.Next(&token)) WriteOut(token.ToUTF8String() + "\n");
        return true;
    }));
}

int RunCaseMapping(const Settings& settings, const std::vector<std::string>& paths, bool upper,
                   bool asciiOnly) {
    return StatusOf(ForEachInput(paths, [&](const std::string& path) {
        if (upper && !asciiOnly) {
            // Upper case maps each character without regard to its neighbours (the root
            // locale's rules), so the text is mapped as it is decoded, a block at a time, and a
            // long line is never held whole. Lower case is not (a final sigma looks along its
            // line), nor is --ascii, which leaves a line with any other character as it is.
            ByteSource source(path, settings.BlockBytes);
            TextReader reader(source, std::string(), OnFault::Stop);
            Text piece;
            while (reader.Next(&piece)) WriteOut(piece.Upper().ToUTF8String());
            return true;
        }
        ForEachLine(settings, path, [&](Text& line, bool terminated) {
            if (upper) {
                line.ToUpper();
            } else if (asciiOnly) {
                line.ToLower();
            } else {
                line = line.Lower();
            }
            WriteOut(line.ToUTF8String());
            if (terminated) WriteOut("\n");
            return true;
        });
        return true;
    }));
}

}  // namespace qtext

namespace qtext {

int RunNormalize(const Settings& settings, const std::vector<std::string>& paths,
                 QuendalText::NormalizationForm form) {
    return StatusOf(ForEachInput(paths, [&](const std::string& path) {
        ByteSource source(path, settings.BlockBytes);
        TextReader reader(source, std::string(), OnFault::Stop);
        LineRunReader runs(reader);
        Text run;
        while (runs.Next(&run)) WriteOut(run.Normalized(form).ToUTF8String());
        return true;
    }));
}

int RunSort(const Settings& settings, const std::vector<std::string>& paths,
            const std::string& locale, bool unique) {
    const QuendalText::Collator collator = [&locale] {
        try {
            return QuendalText::Collator(locale);
        } catch (const std::runtime_error& error) {
            throw UsageError("no collation for the locale '" + locale + "': " + error.what());
        }
    }();
    // Sort keys compare as the collator does, by plain byte comparison: each line is collated
    // once, not at every comparison. Lines (as UTF-8) and keys are kept end to end in two
    // strings, which costs far less memory than a string apiece.
    std::string utf8;
    std::string keys;
    struct Line {
        std::size_t text, textEnd, key, keyEnd;  // offsets into utf8 and keys
    };
    std::vector<Line> lines;
    const bool allRead = ForEachInput(paths, [&](const std::string& path) {
        ForEachLine(settings, path, [&](const Text& line, bool) {
            Line place{utf8.size(), 0, keys.size(), 0};
            utf8 += line.ToUTF8String();
            keys += collator.SortKey(line);
            place.textEnd = utf8.size();
            place.keyEnd = keys.size();
            lines.push_back(place);
            return true;
        });
        return true;
    });
    const auto keyOf = [&keys](const Line& line) {
        return std::string_view(keys).substr(line.key, line.keyEnd - line.key);
    };
    std::stable_sort(lines.begin(), lines.end(),
                     [&keyOf](const Line& a, const Line& b) { return keyOf(a) < keyOf(b); });
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (unique && i > 0 && keyOf(lines[i]) == keyOf(lines[i - 1])) continue;
        out.append(utf8, lines[i].text, lines[i].textEnd - lines[i].text);
        out += '\n';
        if (out.size() >= settings.BlockBytes) {
            WriteOut(out);
            out.clear();
        }
    }
    WriteOut(out);
    FlushOutput();
    return StatusOf(allRead);
}

}  // namespace qtext
