/// \file
/// QuendalLog::CPPException<E>: a Log library exception that is also the standard exception E.
#ifndef QUENDALLOG_CPPEXCEPTION_H
#define QUENDALLOG_CPPEXCEPTION_H

#include <QuendalLog/Exception.h>
#include <QuendalLog/LogExport.h>

#include <stdexcept>  // the standard exceptions E that failures are raised as
#include <string>

namespace QuendalLog {

/// Unites the origin of a failure (Exception: file, function, line) with a standard exception
/// E that carries the message and answers what(). Catchable as CPPException<E>, Exception,
/// Message, E and E's bases. E needs a constructor from const std::string&.
template <class E>
class QUENDALLOG_TEMPLATE_API CPPException : public Exception, public E {
public:
    /// Records both names; the message is "Unspecified" until Throw.
    CPPException(const char* fileName, const char* functionName)
        : Exception(fileName, functionName), E(std::string("Unspecified")) {}

    /// Copies the origin, the line and the message.
    CPPException(const CPPException& other) : Exception(other), E(other) {}

    virtual ~CPPException() {}

    /// The message, as what() gives it.
    virtual const char* get_MessageText() const { return E::what(); }

    /// Copies `message` (must not be null) into this object, stores `line` and throws a copy.
    /// Nothing is formatted.
    [[noreturn]] virtual void Throw(long line, const char* message) {
        E::operator=(E(std::string(message)));
        LineNum = line;
        throw CPPException(*this);
    }
};

}  // namespace QuendalLog

#endif  // QUENDALLOG_CPPEXCEPTION_H
