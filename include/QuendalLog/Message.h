// QuendalLog::Message: where a message of the Log library comes from.
#ifndef QUENDALLOG_MESSAGE_H
#define QUENDALLOG_MESSAGE_H

#include <QuendalLog/LogExport.h>

#include <string>

namespace QuendalLog {

/// The origin of a message: a source file name and a function name, copied into storage of the
/// message's own (a null name reads as empty).
class QUENDALLOG_API Message {
public:
    Message(const char* fileName, const char* functionName);
    Message(const Message& other);
    virtual ~Message();
    /// Copies both names.
    virtual Message& operator=(const Message& other);

protected:
    std::string FileName;
    std::string FunctionName;
};

}  // namespace QuendalLog

#endif  // QUENDALLOG_MESSAGE_H
