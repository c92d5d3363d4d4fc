// qtext: measures, converts, searches and cuts Unicode text with the QuendalText library.
// Exit status: 0 success, 1 unreadable or ill-formed input (or unwritable output), 2 bad usage.
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
#include <map>
#include <new>
#include <string>
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

struct OptionSpec {
    const char* longName;   // without the leading "--"
    char shortName;         // 0 when none
    const char* valueName;  // null for a flag
    const char* help;
};

struct CommandSpec {
    const char* name;
    const char* operands;  // as the synopsis shows them
    std::size_t minOperands;
    std::size_t maxOperands;
    const char* summary;
    const char* details;
    std::vector<OptionSpec> options;
};

constexpr std::size_t kAnyNumber = static_cast<std::size_t>(-1);

const std::vector<CommandSpec>& Commands() {
    static const std::vector<CommandSpec> commands = {
        {"info",
         "[--sample] [FILE]...",
         0,
         kAnyNumber,
         "sizes, code points, grapheme clusters and lines of a text",
         "Reports, for each FILE, the size of the text in UTF-8, UTF-16 and UTF-32 bytes (what\n"
         "convert writes, without a byte-order mark), its length in UTF-16 units, its number of\n"
         "code points and of grapheme clusters (user-perceived characters, by ICU's rules),\n"
         "whether it is all ASCII and its number of lines (line feeds, plus a last line without\n"
         "one). With no FILE and a terminal as standard input, or with --sample, it reports on a\n"
         "multilingual sample built into the program.\n",
         {{"sample", 0, nullptr, "report on the built-in sample"}}},
        {"convert",
         "[-f ENC] -t ENC [-c | --replace] [FILE]...  |  convert --list",
         0,
         kAnyNumber,
         "rewrite a text in another encoding",
         "Reads each FILE in the encoding --from and writes it in the encoding --to. Every\n"
         "encoding that ICU's converters know is offered, under any of its names (utf8, UTF-16LE,\n"
         "latin1, windows-1252, shift_jis, gb18030, ...). Without --from a byte-order mark at\n"
         "the start decides the encoding and is dropped, else the input is UTF-8; none is\n"
         "written. Ill-formed input ends the conversion, naming the byte offset of the bad\n"
         "sequence, and a character the output encoding lacks ends it, naming the character,\n"
         "unless --skip or --replace is given.\n",
         {{"from", 'f', "ENC", "encoding of the input"},
          {"to", 't', "ENC", "encoding of the output"},
          {"list", 'l', nullptr, "list the encodings with their aliases"},
          {"skip", 'c', nullptr, "drop what cannot be read or written, as iconv -c"},
          {"replace", 0, nullptr,
           "write U+FFFD for ill-formed input and the output encoding's\n"
           "substitute for characters it lacks"}}},
        {"find",
         "[-i] [-c] PATTERN [FILE]...",
         1,
         kAnyNumber,
         "print the lines that hold a pattern",
         "Prints LINE:COLUMN:TEXT for each match of PATTERN, the line number counting from 1 and\n"
         "the column being the UTF-16 index of the match in its line, counting from 0; with\n"
         "several files each line starts with the file's name. A line with several matches is\n"
         "printed once for each; matches do not overlap and never cross a line break. Exit\n"
         "status, as grep's: 0 when a line matched, 1 when none did, 2 on trouble.\n",
         {{"ignore-case", 'i', nullptr,
           "ignore case by full Unicode case folding, the same in\n"
           "every locale (STRASSE matches stra\u00dfe)"},
          {"count", 'c', nullptr, "print only the number of matching lines"}}},
        {"tokens",
         "[-d CHARS] [--keep-empty] [FILE]...",
         0,
         kAnyNumber,
         "print the tokens of a text, one a line",
         "Cuts the text into tokens at the delimiter characters and prints each token on a line\n"
         "of its own. The default delimiters are space, tab, carriage return and line feed.\n",
         {{"delimiters", 'd', "CHARS",
           "the delimiter characters, any of Unicode; \\t, \\n, \\r\n"
           "and \\\\ stand for tab, line feed, carriage return, backslash"},
          {"keep-empty", 0, nullptr, "keep empty fields: n delimiters give n + 1 fields (CSV)"}}},
        {"upper",
         "[--ascii] [FILE]...",
         0,
         kAnyNumber,
         "upper-case a text",
         "Upper-cases each line by Unicode's full mappings (stra\u00dfe gives STRASSE), the same\n"
         "in every locale.\n",
         {{"ascii", 0, nullptr,
           "only lines that are all ASCII, by the C library;\n"
           "other lines pass unchanged"}}},
        {"lower",
         "[--ascii] [FILE]...",
         0,
         kAnyNumber,
         "lower-case a text",
         "Lower-cases each line by Unicode's full mappings, the same in every locale.\n",
         {{"ascii", 0, nullptr,
           "only lines that are all ASCII, by the C library;\n"
           "other lines pass unchanged"}}},
    };
    return commands;
}

void PrintProgramHelp(std::FILE* stream) {
    std::string help =
        "Usage: qtext COMMAND [OPTIONS] [FILE]...\n"
        "Measures, converts, searches and cuts Unicode text with the QuendalText library.\n"
        "Each FILE is read as UTF-8 unless it begins with a byte-order mark (convert: --from);\n"
        "without FILE, or with -, standard input is read. Output is UTF-8 (convert: --to).\n\n"
        "Commands:\n";
    for (const CommandSpec& command : Commands()) {
        std::string name = command.name;
        name.resize(10, ' ');
        help += "  " + name + command.summary + "\n";
    }
    help +=
        "\nRun 'qtext COMMAND --help' for the options of a command.\n"
        "Exit status: 0 success, 1 unreadable or ill-formed input, 2 bad usage\n"
        "(find: 0 a line matched, 1 none did, 2 trouble).\n";
    std::fputs(help.c_str(), stream);
}

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

void PrintCommandHelp(const CommandSpec& command) {
    std::string help = std::string("Usage: qtext ") + command.name + " " + command.operands + "\n" +
                       command.details + "\nOptions:\n";
    for (const OptionSpec& option : command.options) {
        std::string names = option.shortName ? std::string("-") + option.shortName + ", " : "    ";
        names += std::string("--") + option.longName;
        if (option.valueName) names += std::string(" ") + option.valueName;
        help += OptionHelp(names, option.help);
    }
    help += OptionHelp("-h, --help", "show this help");
    std::fputs(help.c_str(), stdout);
}

struct Arguments {
    std::map<std::string, std::string> options;  // long name to value ("" for a flag)
    std::vector<std::string> operands;
    bool help = false;

    bool Has(const char* name) const { return options.count(name) > 0; }
    const std::string* Value(const char* name) const {
        const auto found = options.find(name);
        return found == options.end() ? nullptr : &found->second;
    }
};

const OptionSpec* FindOption(const CommandSpec& command, const std::string& argument,
                             std::string* inlineValue, bool* hasInlineValue) {
    *hasInlineValue = false;
    if (argument.compare(0, 2, "--") == 0) {
        std::string name = argument.substr(2);
        const std::size_t equals = name.find('=');
        if (equals != std::string::npos) {
            *inlineValue = name.substr(equals + 1);
            *hasInlineValue = true;
            name.resize(equals);
        }
        for (const OptionSpec& option : command.options) {
            if (name == option.longName) return &option;
        }
        return nullptr;
    }
    for (const OptionSpec& option : command.options) {
        if (argument.size() == 2 && option.shortName != 0 && argument[1] == option.shortName)
            return &option;
    }
    return nullptr;
}

Arguments ParseArguments(const CommandSpec& command, int argc, char** argv, int first) {
    Arguments arguments;
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            arguments.operands.push_back(argument);
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            arguments.help = true;
            continue;
        }
        std::string value;
        bool hasInlineValue = false;
        const OptionSpec* option = FindOption(command, argument, &value, &hasInlineValue);
        if (option == nullptr) {
            throw UsageError(std::string("unknown option '") + argument + "' for " + command.name);
        }
        const std::string display = std::string("--") + option->longName;
        if (option->valueName == nullptr && hasInlineValue) {
            throw UsageError("option " + display + " takes no value");
        }
        if (option->valueName != nullptr && !hasInlineValue) {
            if (i + 1 >= argc)
                throw UsageError("option " + display + " needs a value " + option->valueName);
            value = argv[++i];
        }
        arguments.options[option->longName] = value;
    }
    if (arguments.help) return arguments;
    if (arguments.operands.size() < command.minOperands) {
        throw UsageError(std::string(command.name) + " needs " + command.operands);
    }
    if (arguments.operands.size() > command.maxOperands) {
        throw UsageError(std::string("unexpected argument '") + arguments.operands.back() +
                         "' for " + command.name);
    }
    return arguments;
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

Settings ReadSettings() {
    Settings settings{kDefaultBlockBytes};
    const char* blockBytes = std::getenv(kBlockBytesVariable);
    if (blockBytes != nullptr && *blockBytes != '\0') {
        char* end = nullptr;
        const unsigned long long value = std::strtoull(blockBytes, &end, 10);
        if (*end != '\0' || value == 0 || value > kLargestBlockBytes || blockBytes[0] == '-') {
            throw UsageError(std::string(kBlockBytesVariable) +
                             " must be a number of bytes from 1 to " +
                             std::to_string(kLargestBlockBytes));
        }
        settings.blockBytes = static_cast<std::size_t>(value);
    }
    return settings;
}

int RunCommand(const CommandSpec& command, const Arguments& arguments) {
    const Settings settings = ReadSettings();
    const std::string name = command.name;
    const std::vector<std::string>& files = arguments.operands;
    if (name == "info") return RunInfo(settings, files, arguments.Has("sample"));
    if (name == "convert") {
        if (arguments.Has("list")) {
            std::string list;
            ListEncodings(&list);
            std::fputs(list.c_str(), stdout);
            return kExitSuccess;
        }
        const std::string* to = arguments.Value("to");
        if (to == nullptr) throw UsageError("convert needs --to ENC (or --list)");
        if (arguments.Has("skip") && arguments.Has("replace"))
            throw UsageError("--skip and --replace exclude each other");
        const OnFault onFault = arguments.Has("skip")      ? OnFault::Skip
                                : arguments.Has("replace") ? OnFault::Replace
                                                           : OnFault::Stop;
        const std::string* from = arguments.Value("from");
        return RunConvert(settings, files, {from ? *from : std::string(), *to, onFault});
    }
    if (name == "find") {
        const std::string& patternBytes = files[0];
        if (patternBytes.empty()) throw UsageError("PATTERN must not be empty");
        if (patternBytes.find('\n') != std::string::npos)
            throw UsageError("PATTERN must not hold a line feed");
        const FindOptions options{ArgumentText(patternBytes, "PATTERN"),
                                  arguments.Has("ignore-case"), arguments.Has("count")};
        return RunFind(settings, std::vector<std::string>(files.begin() + 1, files.end()), options);
    }
    if (name == "tokens") {
        const std::string* written = arguments.Value("delimiters");
        const std::u32string delimiters =
            written ? ArgumentText(UnescapeDelimiters(*written), "--delimiters").ToUTF32String()
                    : std::u32string(U" \t\r\n");
        return RunTokens(settings, files, delimiters, arguments.Has("keep-empty"));
    }
    return RunCaseMapping(settings, files, name == "upper", arguments.Has("ascii"));
}

int Main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("qtext: a command is needed\n", stderr);
        PrintProgramHelp(stderr);
        return kExitUsageError;
    }
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") {
        PrintProgramHelp(stdout);
        return kExitSuccess;
    }
    if (first == "--version") {
        std::puts("qtext " QTEXT_VERSION);
        return kExitSuccess;
    }
    const CommandSpec* command = nullptr;
    for (const CommandSpec& candidate : Commands()) {
        if (first == candidate.name) command = &candidate;
    }
    try {
        if (command == nullptr) throw UsageError("unknown command '" + first + "'");
        const Arguments arguments = ParseArguments(*command, argc, argv, 2);
        if (arguments.help) {
            PrintCommandHelp(*command);
            return kExitSuccess;
        }
        return RunCommand(*command, arguments);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "qtext: %s\nTry 'qtext %s--help'.\n", error.what(),
                     command ? (std::string(command->name) + " ").c_str() : "");
        return kExitUsageError;
    } catch (const InputError& error) {
        std::fprintf(stderr, "qtext: %s\n", error.what());
        return command != nullptr && std::strcmp(command->name, "find") == 0 ? kExitFindTrouble
                                                                             : kExitInputError;
    } catch (const std::bad_alloc&) {
        std::fputs("qtext: out of memory\n", stderr);
        return kExitInputError;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qtext: unexpected failure: %s\n", error.what());
        return kExitInputError;
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
