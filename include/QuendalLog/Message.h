/// \file
/// QuendalLog::Message: where a message of the Log library comes from.
#ifndef QUENDALLOG_MESSAGE_H
#define QUENDALLOG_MESSAGE_H

#include <QuendalLog/LogExport.h>

#include <string>

namespace QuendalLog {

/// The origin of a message: a source file name and a function name, copied into storage of the
/// message's own (a null name reads as empty).
class QUENDALLOG_API Message {
public:
    /// Records both names.
    Message(const char* fileName, const char* functionName);
    /// Copies both names.
    Message(const Message& other);
    virtual ~Message();
    /// Copies both names.
    virtual Message& operator=(const Message& other);

protected:
    /// The source file name.
    std::string FileName;
    /// The function name.
    std::string FunctionName;
};

}  // namespace QuendalLog

#endif  // QUENDALLOG_MESSAGE_H
