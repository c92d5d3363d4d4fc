// The qtext commands. Each reads its inputs in turn (files, or standard input for an empty list
// or "-"), writes its result to standard output and returns the exit status. A bad input is
// reported on standard error and the next one is read, as cat and grep do; usage errors are
// thrown as UsageError.
#ifndef QTEXT_COMMANDS_H
#define QTEXT_COMMANDS_H

#include "encoding.h"

#include <QuendalText/Text.h>

#include <cstddef>
#include <string>
#include <vector>

namespace qtext {

struct Settings {
    std::size_t blockBytes;  // bytes read at a time
};

// The multilingual text `info --sample` measures, as UTF-8.
extern const char* const kSampleText;

// Sizes in UTF-8, UTF-16 and UTF-32 (as convert writes them), UTF-16 units, code points,
// grapheme clusters, ASCII test and lines of each input, or of the built-in sample.
int RunInfo(const Settings& settings, const std::vector<std::string>& paths, bool useSample);

struct ConvertOptions {
    std::string from;  // empty: a byte-order mark decides, else UTF-8
    std::string to;
    OnFault onFault;
};
// Rewrites the inputs from one encoding into another.
int RunConvert(const Settings& settings, const std::vector<std::string>& paths,
               const ConvertOptions& options);

struct FindOptions {
    QuendalText::Text pattern;  // not empty, no line feed
    bool ignoreCase;            // by full Unicode case folding
    bool countOnly;             // print the number of matching lines instead
};
// Prints [FILE:]LINE:COLUMN:line for each match (line from 1, UTF-16 column from 0), or the
// count of matching lines. Returns 0 when a line matched, 1 when none did, 2 on trouble.
int RunFind(const Settings& settings, const std::vector<std::string>& paths,
            const FindOptions& options);

// Prints the tokens of the inputs between the code points of `delimiters`, one a line.
int RunTokens(const Settings& settings, const std::vector<std::string>& paths,
              const std::u32string& delimiters, bool keepEmpty);

// Upper- or lower-cases each line by Unicode's full mappings, or with `asciiOnly` each
// all-ASCII line by the C library (other lines pass unchanged).
int RunCaseMapping(const Settings& settings, const std::vector<std::string>& paths, bool upper,
                   bool asciiOnly);

}  // namespace qtext

#endif  // QTEXT_COMMANDS_H
