#include <QuendalLog/Message.h>

namespace QuendalLog {

namespace {
std::string NameOrEmpty(const char* name) {
    return name != nullptr ? std::string(name) : std::string();
}
}  // namespace

Message::Message(const char* fileName, const char* functionName)
    : FileName(NameOrEmpty(fileName)), FunctionName(NameOrEmpty(functionName)) {}

Message::Message(const Message& other) = default;

Message::~Message() = default;

Message& Message::operator=(const Message& other) {
    FileName = other.FileName;
    FunctionName = other.FunctionName;
    return *this;
}

}  // namespace QuendalLog
