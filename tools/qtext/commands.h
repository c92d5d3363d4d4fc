// The qtext commands. Each reads its input (a file, or standard input for an empty path),
// writes its result to standard output and returns the exit status; failures are thrown as
// UsageError or InputError.
#ifndef QTEXT_COMMANDS_H
#define QTEXT_COMMANDS_H

#include "encoding.h"

#include <QuendalText/Text.h>

#include <cstddef>
#include <string>

namespace qtext {

struct Settings {
    std::size_t blockBytes;  // bytes read at a time
};

// The multilingual text `info --sample` measures, as UTF-8.
extern const char* const kSampleText;

// Sizes in the three encodings, UTF-16 length, character count, ASCII test and line count of
// the input, or of the built-in sample when `useSample`.
int RunInfo(const Settings& settings, const std::string& path, bool useSample);
// Rewrites the input from one encoding into another; a byte-order mark of the input decides
// its encoding and is dropped, and none is written.
int RunConvert(const Settings& settings, const std::string& path, Encoding from, Encoding to);
// Prints LINE:COLUMN:line for each match of `pattern` (1-based line, 0-based UTF-16 column).
int RunFind(const Settings& settings, const std::string& path, const QuendalText::Text& pattern,
            bool ignoreCase);
// Prints the tokens of the input between the units of `delimiters`, one a line.
int RunTokens(const Settings& settings, const std::string& path,
              const QuendalText::Text& delimiters);
// Upper- or lower-cases each all-ASCII line of the input; other lines pass unchanged.
int RunCaseMapping(const Settings& settings, const std::string& path, bool upper);

}  // namespace qtext

#endif  // QTEXT_COMMANDS_H
