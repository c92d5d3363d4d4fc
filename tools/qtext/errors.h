// The failures that end a qtext run, one class per exit status.
#ifndef QTEXT_ERRORS_H
#define QTEXT_ERRORS_H

#include <stdexcept>

namespace qtext {

// Exit statuses of the program.
constexpr int kExitSuccess = 0;
constexpr int kExitInputError = 1;
constexpr int kExitUsageError = 2;
// find follows grep: 1 when no line matched, 2 for any trouble.
constexpr int kExitNothingFound = 1;
constexpr int kExitFindTrouble = 2;

// The command line asks for something the program does not offer (exit status 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The input cannot be read, or it is not well-formed in its encoding, or the output cannot be
// written (exit status 1).
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace qtext

#endif  // QTEXT_ERRORS_H
