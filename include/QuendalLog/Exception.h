/// \file
/// QuendalLog::Exception: a message that records the line where a failure arose.
#ifndef QUENDALLOG_EXCEPTION_H
#define QUENDALLOG_EXCEPTION_H

#include <QuendalLog/LogExport.h>
#include <QuendalLog/Message.h>

namespace QuendalLog {

/// A failure's origin: source file, function and line. Derived classes supply the message
/// text and the throwing (see CPPException).
class QUENDALLOG_API Exception : public Message {
public:
    /// Records both names; the line number starts at 0.
    Exception(const char* fileName, const char* functionName);
    /// Copies file, function and line number.
    Exception(const Exception& other);
    virtual ~Exception();

    /// The line number stored by Throw (0 before).
    virtual long get_LineNum() const;
    /// The message; empty for a plain Exception.
    virtual const char* get_MessageText() const;
    /// Stores `line` and throws a copy of this object; `message` is the derived classes'.
    [[noreturn]] virtual void Throw(long line, const char* message);
    /// Copies file, function and line number.
    virtual Exception& operator=(const Exception& other);

    /// The source file name given at construction.
    const char* get_FileName() const;
    /// The function name given at construction.
    const char* get_FunctionName() const;

protected:
    /// The line number that Throw stored.
    long LineNum;
};

}  // namespace QuendalLog

#endif  // QUENDALLOG_EXCEPTION_H
