// The failures that end a qtext run, one class per exit status.
#ifndef QTEXT_ERRORS_H
#define QTEXT_ERRORS_H

#include <stdexcept>

namespace qtext {

// Exit statuses of the program. A command's status for trouble (an unreadable input or an
// unwritable output) is kExitInputError, or for find, which follows grep, kExitFindTrouble; its
// command table row says which.
constexpr int kExitSuccess = 0;
constexpr int kExitInputError = 1;
constexpr int kExitUsageError = 2;
constexpr int kExitNothingFound = 1;
constexpr int kExitFindTrouble = 2;

// The command line asks for something the program does not offer (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The input cannot be read, or it is not well-formed in its encoding, or a character cannot be
// written in the output encoding: reported, and the next input is read.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The input cannot be opened or read (find -s keeps quiet about it).
class UnreadableInput : public InputError {
public:
    using InputError::InputError;
};

// The output cannot be written: reported once, and the run ends.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace qtext

#endif  // QTEXT_ERRORS_H
