// qtext: measures, converts, searches, normalizes, sorts and cuts Unicode text with the
// QuendalText library.
// Exit status: 0 success, 1 unreadable or ill-formed input or unwritable output, 2 bad usage;
// find answers as grep does (the command table holds each command's status for trouble).
#include "commands.h"
#include "encoding.h"
#include "errors.h"
#include "input.h"
#include "system.h"

#include <QuendalText/Text.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#ifndef QTEXT_VERSION
#  define QTEXT_VERSION "unknown"
#endif

namespace qtext {
namespace {

using QuendalText::Text;

// Environment variable that sets the bytes read at a time (used by tests to cut the input at
// every possible place).
constexpr const char* kBlockBytesVariable = "QTEXT_BLOCK_BYTES";
constexpr std::size_t kLargestBlockBytes = std::size_t(1) << 26;

struct Option {
    const char* LongName;   // without the leading "--"
    char ShortName;         // 0 when none
    const char* ValueName;  // null for a flag
    const char* Help;
    bool ValueOptional;  // --name alone, or --name=VALUE (long form only)
};

// The command line of one command: its options by long name, in order, and its operands.
struct Arguments {
    std::vector<std::pair<std::string, std::string>> Options;  // long name, value ("" for a flag)
    std::vector<std::string> Operands;
    bool Help = false;

    bool Has(const char* name) const { return Count(name) > 0; }
    std::size_t Count(const char* name) const {
        return static_cast<std::size_t>(
            std::count_if(Options.begin(), Options.end(),
                          [name](const std::pair<std::string, std::string>& option) {
                              return option.first == name;
                          }));
    }
    // The value given last, or null.
    const std::string* Value(const char* name) const {
        for (auto option = Options.rbegin(); option != Options.rend(); ++option) {
            if (option->first == name) return &option->second;
        }
        return nullptr;
    }
};

// One row of the command table: a command's name, synopsis and help, its options, the function
// that runs it and its exit status for trouble.
struct Command {
    const char* Name;
    const char* Operands;  // as the synopsis shows them
    const char* Summary;
    const char* Details;
    std::vector<Option> Options;
    int (*Run)(const Arguments& arguments);
    int TroubleStatus;  // when an input cannot be read or the output cannot be written
};

Settings ReadSettings() {
    Settings settings{kDefaultBlockBytes, kSearchBlockBytes, kLinePieceBytes};
    const char* blockBytes = std::getenv(kBlockBytesVariable);
    if (blockBytes != nullptr && *blockBytes != '\0') {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(blockBytes, &end, 10);
        if (*end != '\0' || value == 0 || value > kLargestBlockBytes || blockBytes[0] == '-') {
            throw UsageError(std::string(kBlockBytesVariable) +
                             " must be a number of bytes from 1 to " +
                             std::to_string(kLargestBlockBytes));
        }
        settings.BlockBytes = settings.SearchBlockBytes = settings.LinePieceBytes =
            static_cast<std::size_t>(value);
    }
    return settings;
}

// A command-line argument as Text; it must be well-formed UTF-8.
Text ArgumentText(const std::string& argument, const char* what) {
    try {
        return Text::FromUTF8(argument);
    } catch (const QuendalText::MalformedInput&) {
        throw UsageError(std::string(what) + " is not valid UTF-8");
    }
}

// The delimiters of --delimiters, with \t, \n, \r and \\ read as escapes.
std::string UnescapeDelimiters(const std::string& written) {
    std::string delimiters;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] != '\\') {
            delimiters += written[i];
            continue;
        }
        if (++i == written.size()) throw UsageError("--delimiters ends with a lone backslash");
        switch (written[i]) {
            case 't': delimiters += '\t'; break;
            case 'n': delimiters += '\n'; break;
            case 'r': delimiters += '\r'; break;
            case '\\': delimiters += '\\'; break;
            default:
                throw UsageError(std::string("unknown escape '\\") + written[i] +
                                 "' in --delimiters");
        }
    }
    return delimiters;
}

// What -c and --replace ask for; both at once is bad usage.
OnFault OnFaultOf(const Arguments& arguments) {
    if (arguments.Has("skip") && arguments.Has("replace"))
        throw UsageError("--skip and --replace exclude each other");
    return arguments.Has("skip")      ? OnFault::Skip
           : arguments.Has("replace") ? OnFault::Replace
                                      : OnFault::Stop;
}

int RunInfoCommand(const Arguments& arguments) {
    return RunInfo(ReadSettings(), arguments.Operands, arguments.Has("sample"),
                   OnFaultOf(arguments));
}

int RunConvertCommand(const Arguments& arguments) {
    if (arguments.Has("list")) {
        std::string list;
        ListEncodings(&list);
        WriteOut(list);
        FlushOutput();
        return kExitSuccess;
    }
    const std::string* to = arguments.Value("to");
    if (to == nullptr) throw UsageError("convert needs --to ENC (or --list)");
    if (arguments.Has("bom") && arguments.Has("no-bom"))
        throw UsageError("--bom and --no-bom exclude each other");
    const ByteOrderMark mark = arguments.Has("bom")      ? ByteOrderMark::Write
                               : arguments.Has("no-bom") ? ByteOrderMark::Omit
                                                         : ByteOrderMark::AsEncoding;
    const std::string* from = arguments.Value("from");
    return RunConvert(ReadSettings(), arguments.Operands,
                      {from ? *from : std::string(), *to, OnFaultOf(arguments), mark});
}

int RunFindCommand(const Arguments& arguments) {
    std::vector<std::string> files = arguments.Operands;
    if (arguments.Count("regexp") > 1) throw UsageError("find takes one PATTERN");
    std::string patternBytes;
    if (const std::string* given = arguments.Value("regexp")) {
        patternBytes = *given;
    } else if (files.empty()) {
        throw UsageError("find needs a PATTERN");
    } else {
        patternBytes = files.front();
        files.erase(files.begin());
    }
    if (patternBytes.find('\n') != std::string::npos)
        throw UsageError("PATTERN must not hold a line feed");
    FindOptions options{};
    options.Pattern = ArgumentText(patternBytes, "PATTERN");
    options.IgnoreCase = arguments.Has("ignore-case");
    options.Invert = arguments.Has("invert-match");
    options.WholeLines = arguments.Has("line-regexp");
    options.WholeWords = arguments.Has("word-regexp");
    options.NoMessages = arguments.Has("no-messages");
    options.FileNamePrefix = FindOptions::NamePrefix::WithSeveral;
    for (const auto& option : arguments.Options) {  // as grep, the last one counts
        if (option.first == "with-filename")
            options.FileNamePrefix = FindOptions::NamePrefix::Always;
        if (option.first == "no-filename") options.FileNamePrefix = FindOptions::NamePrefix::Never;
    }
    // -q before the file lists, which come before -c; of -l and -L, as grep, the last one.
    std::optional<FindOptions::Report> listed;
    for (const auto& option : arguments.Options) {
        if (option.first == "files-with-matches") listed = FindOptions::Report::FileNames;
        if (option.first == "files-without-match") listed = FindOptions::Report::FileNamesWithout;
    }
    options.ReportAs = arguments.Has("quiet")   ? FindOptions::Report::Quiet
                       : listed.has_value()     ? *listed
                       : arguments.Has("count") ? FindOptions::Report::Count
                                                : FindOptions::Report::Lines;
    options.OnlyMatching = arguments.Has("only-matching");
    options.LineNumbers = arguments.Has("line-number");
    options.Columns = arguments.Has("column");
    options.MaxCount = -1;
    if (const std::string* written = arguments.Value("max-count")) {
        char* end = nullptr;
        const long long value = std::strtoll(written->c_str(), &end, 10);
        if (written->empty() || *end != '\0' || value < 0)
            throw UsageError("--max-count needs a number from 0, not '" + *written + "'");
        options.MaxCount = value;
    }
    const std::string* when = arguments.Value("color");
    const std::string color = when == nullptr ? "never" : when->empty() ? "auto" : *when;
    if (color != "auto" && color != "always" && color != "never")
        throw UsageError("--color takes auto, always or never, not '" + color + "'");
    // As grep: auto colors a terminal's output unless TERM names none or a dumb one.
    const char* terminal = std::getenv("TERM");
    options.Color =
        color == "always" || (color == "auto" && StandardOutputIsTerminal() &&
                              terminal != nullptr && std::strcmp(terminal, "dumb") != 0);
    return RunFind(ReadSettings(), files, options);
}

int RunTokensCommand(const Arguments& arguments) {
    const std::string* written = arguments.Value("delimiters");
    const std::u32string delimiters =
        written ? ArgumentText(UnescapeDelimiters(*written), "--delimiters").ToUTF32String()
                : std::u32string(U" \t\r\n");
    return RunTokens(ReadSettings(), arguments.Operands, delimiters, arguments.Has("keep-empty"));
}

int RunNormalizeCommand(const Arguments& arguments) {
    using QuendalText::NormalizationForm;
    const std::string* written = arguments.Value("form");
    std::string name = written ? *written : "NFC";
    std::transform(name.begin(), name.end(), name.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    static const std::pair<const char*, NormalizationForm> kForms[] = {
        {"NFC", NormalizationForm::NFC},
        {"NFD", NormalizationForm::NFD},
        {"NFKC", NormalizationForm::NFKC},
        {"NFKD", NormalizationForm::NFKD}};
    for (const auto& form : kForms) {
        if (name == form.first)
            return RunNormalize(ReadSettings(), arguments.Operands, form.second);
    }
    throw UsageError("--form takes NFC, NFD, NFKC or NFKD, not '" + *written + "'");
}

int RunSortCommand(const Arguments& arguments) {
    const std::string* locale = arguments.Value("locale");
    return RunSort(ReadSettings(), arguments.Operands, locale ? *locale : std::string(),
                   arguments.Has("unique"));
}

int RunUpperCommand(const Arguments& arguments) {
    return RunCaseMapping(ReadSettings(), arguments.Operands, true, arguments.Has("ascii"));
}

int RunLowerCommand(const Arguments& arguments) {
    return RunCaseMapping(ReadSettings(), arguments.Operands, false, arguments.Has("ascii"));
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"info",
         "[--sample] [-c | --replace] [FILE]...",
         "sizes, code points, grapheme clusters, lines and width of a text",
         "Reports, for each FILE, the size of the text in UTF-8, UTF-16 and UTF-32 bytes (what\n"
         "convert writes, without a byte-order mark), its length in UTF-16 units, its number of\n"
         "code points and of grapheme clusters (user-perceived characters, by ICU's rules),\n"
         "whether it is all ASCII, its number of lines (line feeds, plus a last line without\n"
         "one) and the display width of its widest line, as wc's maximum line length but by\n"
         "grapheme clusters: terminal columns, 2 for a wide (CJK, fullwidth) or emoji cluster, 0\n"
         "for marks, format characters and controls, 1 for the others, and a tab moves to the\n"
         "next multiple of 8. In a file with ill-formed input, the text before the fault is\n"
         "reported, as if the file ended there, and a message names the fault's position,\n"
         "unless -c or --replace is given: then the text is measured with each ill-formed\n"
         "sequence dropped or replaced by U+FFFD, and the sequences are counted (ill-formed:).\n"
         "With --sample it reports on a multilingual sample built into the program instead.\n",
         {{"sample", 0, nullptr, "report on the built-in sample", false},
          {"skip", 'c', nullptr, "drop ill-formed sequences, and count them", false},
          {"replace", 0, nullptr, "count each ill-formed sequence as U+FFFD, and count them",
           false}},
         RunInfoCommand,
         kExitInputError},
        {"convert",
         "[-f ENC] -t ENC [-c | --replace] [--bom | --no-bom] [FILE]...  |  convert --list",
         "rewrite a text in another encoding",
         "Reads each FILE in the encoding --from and writes it in the encoding --to. Every\n"
         "encoding that ICU's converters know is offered, under any of its names (utf8, UTF-16LE,\n"
         "latin1, windows-1252, shift_jis, gb18030, ...). Without --from a byte-order mark at\n"
         "the start decides the encoding and is dropped, else the input is UTF-8; with --from a\n"
         "mark is read as a character, as iconv reads it. UTF-16 and UTF-32 with no byte order\n"
         "named are written with a byte-order mark, in the machine's byte order, as iconv and\n"
         "uconv write them; UTF-8, UTF-16LE, UTF-16BE, UTF-32LE and UTF-32BE without one (but\n"
         "UTF-16LE,version=1 and UTF-16BE,version=1, as uconv writes them).\n"
         "Ill-formed input ends the conversion after the text before it, naming its line, column\n"
         "(in code points, from 1), byte offset and kind, and a character the output encoding\n"
         "lacks ends it, naming the character and its line and column, unless --skip or\n"
         "--replace is given. An unpaired surrogate that the input spells (in UTF-7, CESU-8,\n"
         "SCSU, BOCU-1...) is ill-formed input.\n",
         {{"from", 'f', "ENC", "encoding of the input", false},
          {"to", 't', "ENC", "encoding of the output", false},
          {"list", 'l', nullptr, "list the encodings with their aliases", false},
          {"skip", 'c', nullptr, "drop what cannot be read or written, as iconv -c", false},
          {"replace", 0, nullptr,
           "write U+FFFD for ill-formed input and the output encoding's\n"
           "substitute for characters it lacks",
           false},
          {"bom", 0, nullptr, "start the output with a byte-order mark (UTF-8, UTF-16, UTF-32)",
           false},
          {"no-bom", 0, nullptr, "write no byte-order mark, not even for UTF-16 and UTF-32",
           false}},
         RunConvertCommand,
         kExitInputError},
        {"find",
         "[OPTION]... PATTERN [FILE]...  |  find [OPTION]... -e PATTERN [FILE]...",
         "print the lines that hold a pattern",
         "Prints each line that holds PATTERN once, as grep -F does: prefixed with the file's\n"
         "name and ':' when several files are searched. PATTERN is a plain string (an empty one\n"
         "matches every line); matches do not overlap and never cross a line break. Exit status,\n"
         "as grep's: 0 when a line was selected, 1 when none was, 2 on trouble. The text before\n"
         "an ill-formed sequence is searched, as if the input ended there.\n",
         {{"regexp", 'e', "PATTERN", "the pattern (one that starts with '-', say)", false},
          {"fixed-strings", 'F', nullptr, "PATTERN is a plain string (it always is)", false},
          {"ignore-case", 'i', nullptr,
           "ignore case by full Unicode case folding, the same in\n"
           "every locale (STRASSE matches stra\u00dfe)",
           false},
          {"invert-match", 'v', nullptr, "select the lines that do not match", false},
          {"word-regexp", 'w', nullptr,
           "match only whole words: a match must start and end at\n"
           "word boundaries (Unicode's, UAX #29)",
           false},
          {"line-regexp", 'x', nullptr, "match only whole lines (-w then does nothing)", false},
          {"count", 'c', nullptr, "print only the number of selected lines", false},
          {"files-with-matches", 'l', nullptr, "print only the names of files with a selected line",
           false},
          {"files-without-match", 'L', nullptr,
           "print only the names of files without a selected line", false},
          {"quiet", 'q', nullptr,
           "print nothing; exit 0 at the first selected line, even\n"
           "after trouble",
           false},
          {"max-count", 'm', "NUM", "stop reading a file after NUM selected lines", false},
          {"with-filename", 'H', nullptr, "print the file's name before each line, even for one",
           false},
          {"no-filename", 0, nullptr, "print no file name, even for several (grep -h)", false},
          {"line-number", 'n', nullptr, "print each line's number (from 1) before it", false},
          {"no-messages", 's', nullptr, "say nothing of files that cannot be opened or read",
           false},
          {"column", 0, nullptr,
           "print the column of the first match, in code points\n"
           "from 1, after the line number (1 for lines without one)",
           false},
          {"only-matching", 'o', nullptr,
           "print each match alone on a line (nothing for an empty\n"
           "pattern or with -v)",
           false},
          {"color", 0, "WHEN",
           "highlight matches as grep does: never (default), always,\n"
           "or auto (a terminal, unless TERM is dumb); --color is auto",
           true}},
         RunFindCommand,
         kExitFindTrouble},
        {"normalize",
         "[-f NFC|NFD|NFKC|NFKD] [FILE]...",
         "put a text in a Unicode normalization form",
         "Writes each FILE in the Unicode normalization form --form (UAX #15, by ICU's data):\n"
         "NFC composes, NFD decomposes, NFKC and NFKD also replace compatibility characters\n"
         "(the ligature \ufb01 gives fi). The output is byte for byte what uconv's transliterator\n"
         "'::NFC;' and the other forms write (but for a few marks of unusual combining classes\n"
         "that uconv leaves out of canonical order). Text is normalized a block of whole lines\n"
         "at a time: a line break is a normalization boundary, so the result is that of the\n"
         "whole text.\n",
         {{"form", 'f', "FORM", "NFC (the default), NFD, NFKC or NFKD, in any case", false}},
         RunNormalizeCommand,
         kExitInputError},
        {"sort",
         "[--locale LOCALE] [-u] [FILE]...",
         "sort lines as a language orders them",
         "Writes the lines of all FILEs together in the order of the Unicode Collation\n"
         "Algorithm with the tailoring of --locale (ICU's collation, at tertiary strength):\n"
         "accents and case decide only between otherwise equal lines, and a language's own\n"
         "letters sort where its readers expect them. Lines that compare equal keep their\n"
         "input order. Each line is written with a line feed, the last one too. All lines are\n"
         "held in memory.\n",
         {{"locale", 0, "LOCALE",
           "the language's order: an ICU locale or BCP 47 tag (de, sv,\n"
           "fr-CA, de-u-co-phonebk); the default, \"\", is the root\n"
           "order; an unknown one falls back as ICU does (to its\n"
           "language, else the root order)",
           false},
          {"unique", 'u', nullptr, "write only the first of lines that compare equal", false}},
         RunSortCommand,
         kExitInputError},
        {"tokens",
         "[-d CHARS] [--keep-empty] [FILE]...",
         "print the tokens of a text, one a line",
         "Cuts each line into fields at the delimiter characters and prints each field on a line\n"
         "of its own. Lines are records: a line feed, with a carriage return before it or not,\n"
         "always ends a field, whatever the delimiters. The default delimiters are space, tab\n"
         "and carriage return.\n",
         {{"delimiters", 'd', "CHARS",
           "the delimiter characters, any of Unicode; \\t, \\n, \\r\n"
           "and \\\\ stand for tab, line feed, carriage return, backslash",
           false},
          {"keep-empty", 0, nullptr,
           "keep empty fields: a line with n delimiters gives n + 1\n"
           "fields (CSV)",
           false}},
         RunTokensCommand,
         kExitInputError},
        {"upper",
         "[--ascii] [FILE]...",
         "upper-case a text",
         "Upper-cases each line by Unicode's full mappings (stra\u00dfe gives STRASSE), the same\n"
         "in every locale.\n",
         {{"ascii", 0, nullptr,
           "only lines that are all ASCII, by the C library;\n"
           "other lines pass unchanged",
           false}},
         RunUpperCommand,
         kExitInputError},
        {"lower",
         "[--ascii] [FILE]...",
         "lower-case a text",
         "Lower-cases each line by Unicode's full mappings, the same in every locale.\n",
         {{"ascii", 0, nullptr,
           "only lines that are all ASCII, by the C library;\n"
           "other lines pass unchanged",
           false}},
         RunLowerCommand,
         kExitInputError},
    };
    return commands;
}

std::string ProgramHelp() {
    std::string help =
        "Usage: qtext COMMAND [OPTIONS] [FILE]...\n"
        "Measures, converts, searches, normalizes, sorts and cuts Unicode text with the\n"
        "QuendalText library.\n"
        "Each FILE is read as UTF-8 unless it begins with a byte-order mark (convert: --from);\n"
        "without FILE, or with -, standard input is read. Output is UTF-8 (convert: --to).\n\n"
        "Commands:\n";
    for (const Command& command : Commands()) {
        std::string name = command.Name;
        name.resize(11, ' ');
        help += "  " + name + command.Summary + "\n";
    }
    help +=
        "\nRun 'qtext COMMAND --help' for the options of a command. Short options bundle (-in,\n"
        "-m5), a long one may be cut short while unambiguous (--ignore), and -- ends them.\n"
        "Exit status: 0 success, 1 unreadable or ill-formed input or unwritable output, 2 bad\n"
        "usage (find: 0 a line was selected, 1 none was, 2 trouble).\n";
    return help;
}

// --help, which every command takes besides its own options.
const Option kHelpOption{"help", 'h', nullptr, "show this help", false};

// One option in a command's help: its names, then its description from a fixed column, each
// further line of the description indented to that column.
std::string OptionHelp(const std::string& names, const std::string& description) {
    constexpr std::size_t kDescriptionColumn = 26;
    std::string row = "  " + names;
    row.resize(std::max(kDescriptionColumn, row.size() + 2), ' ');
    for (const char c : description) {
        row += c;
        if (c == '\n') row.append(kDescriptionColumn, ' ');
    }
    return row + "\n";
}

std::string CommandHelp(const Command& command) {
    std::string help = std::string("Usage: qtext ") + command.Name + " " + command.Operands + "\n" +
                       command.Details + "\nOptions:\n";
    for (const Option& option : command.Options) {
        std::string names = option.ShortName ? std::string("-") + option.ShortName + ", " : "    ";
        names += std::string("--") + option.LongName;
        if (option.ValueName) {
            names += option.ValueOptional ? std::string("[=") + option.ValueName + "]"
                                          : std::string(" ") + option.ValueName;
        }
        help += OptionHelp(names, option.Help);
    }
    help += OptionHelp("-h, --help", kHelpOption.Help);
    return help;
}

// The option named `name`, or the only one it begins (--ignore for --ignore-case, as getopt),
// --help among them; null when none is. Throws UsageError when it begins several.
const Option* FindLongOption(const Command& command, const std::string& name) {
    std::vector<const Option*> options;
    for (const Option& option : command.Options) options.push_back(&option);
    options.push_back(&kHelpOption);
    const Option* begun = nullptr;
    for (const Option* const each : options) {
        const Option& option = *each;
        if (name == option.LongName) return &option;
        if (name.empty() || std::string(option.LongName).compare(0, name.size(), name) != 0) {
            continue;
        }
        if (begun != nullptr) {
            throw UsageError("option '--" + name + "' is ambiguous for " + command.Name);
        }
        begun = &option;
    }
    return begun;
}

const Option* FindShortOption(const Command& command, char name) {
    for (const Option& option : command.Options) {
        if (option.ShortName != 0 && name == option.ShortName) return &option;
    }
    return nullptr;
}

// Reads the command line as grep does: options and operands in any order, short options
// bundled (-in, -m5 or -m 5), long ones with "=VALUE" or the next argument, "--" ending the
// options; "-" alone is an operand (standard input).
Arguments ParseArguments(const Command& command, int argc, char** argv, int first) {
    Arguments arguments;
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const std::string argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            arguments.Operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument[1] == '-') {
            std::string name = argument.substr(2);
            const std::size_t equals = name.find('=');
            const bool hasValue = equals != std::string::npos;
            const std::string value = hasValue ? name.substr(equals + 1) : std::string();
            if (hasValue) name.resize(equals);
            const Option* option = FindLongOption(command, name);
            if (option == nullptr) {
                throw UsageError("unknown option '--" + name + "' for " + command.Name);
            }
            if (option->ValueName == nullptr && hasValue) {
                throw UsageError("option --" + name + " takes no value");
            }
            if (option == &kHelpOption) {
                arguments.Help = true;
                continue;
            }
            if (option->ValueName == nullptr || hasValue || option->ValueOptional) {
                arguments.Options.emplace_back(option->LongName, value);
                continue;
            }
            if (i + 1 >= argc)
                throw UsageError("option --" + name + " needs a value " + option->ValueName);
            arguments.Options.emplace_back(option->LongName, argv[++i]);
            continue;
        }
        for (std::size_t at = 1; at < argument.size(); ++at) {
            if (argument[at] == 'h') {
                arguments.Help = true;
                continue;
            }
            const Option* option = FindShortOption(command, argument[at]);
            if (option == nullptr) {
                throw UsageError(std::string("unknown option '-") + argument[at] + "' for " +
                                 command.Name);
            }
            if (option->ValueName == nullptr) {
                arguments.Options.emplace_back(option->LongName, std::string());
                continue;
            }
            if (at + 1 < argument.size()) {
                arguments.Options.emplace_back(option->LongName, argument.substr(at + 1));
            } else if (i + 1 < argc) {
                arguments.Options.emplace_back(option->LongName, argv[++i]);
            } else {
                throw UsageError(std::string("option -") + argument[at] + " needs a value " +
                                 option->ValueName);
            }
            break;
        }
    }
    return arguments;
}

// Writes what --help, --version or --list print; OutputError when it cannot be written.
void WriteAll(const std::string& text) {
    WriteOut(text);
    FlushOutput();
}

int Main(int argc, char** argv) {
    const Command* command = nullptr;
    try {
        if (argc < 2) throw UsageError("a command is needed");
        const std::string first = argv[1];
        if (first == "--help" || first == "-h") {
            WriteAll(ProgramHelp());
            return kExitSuccess;
        }
        if (first == "--version") {
            WriteAll("qtext " QTEXT_VERSION "\n");
            return kExitSuccess;
        }
        for (const Command& candidate : Commands()) {
            if (first == candidate.Name) command = &candidate;
        }
        if (command == nullptr) throw UsageError("unknown command '" + first + "'");
        const Arguments arguments = ParseArguments(*command, argc, argv, 2);
        if (arguments.Help) {
            WriteAll(CommandHelp(*command));
            return kExitSuccess;
        }
        SetCutShortStatus(command->TroubleStatus);
        return command->Run(arguments);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "qtext: %s\nTry 'qtext %s--help'.\n", error.what(),
                     command ? (std::string(command->Name) + " ").c_str() : "");
        return kExitUsageError;
    } catch (const InputError& error) {
        std::fprintf(stderr, "qtext: %s\n", error.what());
        return command ? command->TroubleStatus : kExitInputError;
    } catch (const OutputError& error) {
        std::fprintf(stderr, "qtext: %s\n", error.what());
        return command ? command->TroubleStatus : kExitInputError;
    } catch (const std::bad_alloc&) {
        std::fputs("qtext: out of memory\n", stderr);
        return command ? command->TroubleStatus : kExitInputError;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qtext: unexpected failure: %s\n", error.what());
        return command ? command->TroubleStatus : kExitInputError;
    }
}

// Only --ascii case mapping reads the C library's locale: the one of the environment, or where
// that names none (the plain C locale classifies only ASCII), the C library's UTF-8 locale.
void SelectLocale() {
    const char* selected = std::setlocale(LC_CTYPE, "");
    if (selected == nullptr || std::strcmp(selected, "C") == 0 ||
        std::strcmp(selected, "POSIX") == 0) {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
}

}  // namespace
}  // namespace qtext

int main(int argc, char** argv) {
    qtext::UseBinaryStandardStreams();
    qtext::SelectLocale();
    std::vector<std::string> arguments = qtext::ArgumentsAsUTF8(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);
    return qtext::Main(static_cast<int>(arguments.size()), pointers.data());
}
