// The qtext commands. Each reads its inputs in turn (files, or standard input for an empty list
// or "-"), writes its result to standard output and returns the exit status. A bad input is
// reported on standard error and the next one is read, as cat and grep do; what an input holds
// before a fault is handled as if the input ended there. Usage errors are thrown as UsageError,
// an unwritable output as OutputError.
#ifndef QTEXT_COMMANDS_H
#define QTEXT_COMMANDS_H

#include "encoding.h"

#include <QuendalText/Text.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qtext {

struct Settings {
    std::size_t BlockBytes;        // bytes read at a time
    std::size_t SearchBlockBytes;  // bytes read at a time by a search of the bytes themselves
    std::size_t LinePieceBytes;    // bytes of a long line decoded at once by find -i
};

// Writes `bytes` to standard output; throws OutputError when they cannot be written.
void WriteOut(std::string_view bytes);
// Flushes standard output; throws OutputError when that fails.
void FlushOutput();

// The multilingual text `info --sample` measures, as UTF-8.
extern const char* const kSampleText;

// Sizes in UTF-8, UTF-16 and UTF-32 (as convert writes them), UTF-16 units, code points,
// grapheme clusters, ASCII test, lines and the widest line's display width of each input, or of
// the built-in sample. Under OnFault::Skip or Replace the ill-formed sequences are counted too.
int RunInfo(const Settings& settings, const std::vector<std::string>& paths, bool useSample,
            OnFault onFault);

struct ConvertOptions {
    std::string From;  // empty: a byte-order mark decides, else UTF-8
    std::string To;
    OnFault FaultPolicy;
    ByteOrderMark Mark;
};
// Rewrites the inputs from one encoding into another.
int RunConvert(const Settings& settings, const std::vector<std::string>& paths,
               const ConvertOptions& options);

struct FindOptions {
    enum class Report { Lines, Count, FileNames, FileNamesWithout, Quiet };
    QuendalText::Text Pattern;  // no line feed; empty matches every line
    bool IgnoreCase;            // by full Unicode case folding
    bool Invert;                // select the lines that do not match
    bool WholeLines;            // match only a whole line
    bool WholeWords;            // a match starts and ends at word boundaries
    Report ReportAs;
    enum class NamePrefix { WithSeveral, Always, Never } FileNamePrefix;  // FILE: before each line
    bool OnlyMatching;      // each match alone on its line
    bool LineNumbers;       // LINE: before each line
    bool Columns;           // COLUMN: after it, the code point of the first match from 1
    std::int64_t MaxCount;  // stop a file after this many selected lines; negative: never
    bool Color;             // highlight as grep does
    bool NoMessages;        // say nothing of files that cannot be opened or read
};
// Prints the selected lines of the inputs as grep does ([FILE:][LINE:][COLUMN:]line, FILE by
// default with several inputs). Returns 0 when a line was selected, 1 when none was, 2 on trouble.
int RunFind(const Settings& settings, const std::vector<std::string>& paths,
            const FindOptions& options);

// Prints the fields of each line, cut at the code points of `delimiters`, one a line. A line
// feed (with a carriage return before it) always ends a field.
int RunTokens(const Settings& settings, const std::vector<std::string>& paths,
              const std::u32string& delimiters, bool keepEmpty);

// Upper- or lower-cases each line by Unicode's full mappings, or with `asciiOnly` each
// all-ASCII line by the C library (other lines pass unchanged).
int RunCaseMapping(const Settings& settings, const std::vector<std::string>& paths, bool upper,
                   bool asciiOnly);

// Writes each input in normalization form `form`, a block of whole lines at a time (a line
// break is a normalization boundary, so the result is that of the whole text).
int RunNormalize(const Settings& settings, const std::vector<std::string>& paths,
                 QuendalText::NormalizationForm form);

// Writes the lines of all inputs in the order of the collator of `locale` ("" the root order),
// lines that compare equal in input order; with `unique` only the first of them.
int RunSort(const Settings& settings, const std::vector<std::string>& paths,
            const std::string& locale, bool unique);

}  // namespace qtext

#endif  // QTEXT_COMMANDS_H
