#include <QuendalLog/Exception.h>

namespace QuendalLog {

Exception::Exception(const char* fileName, const char* functionName)
    : Message(fileName, functionName), LineNum(0) {}

Exception::Exception(const Exception& other) : Message(other), LineNum(other.LineNum) {}

Exception::~Exception() = default;

long Exception::get_LineNum() const { return LineNum; }

const char* Exception::get_MessageText() const { return ""; }

void Exception::Throw(long line, const char* /*message*/) {
    LineNum = line;
    throw Exception(*this);
}

Exception& Exception::operator=(const Exception& other) {
    Message::operator=(other);
    LineNum = other.LineNum;
    return *this;
}

const char* Exception::get_FileName() const { return FileName.c_str(); }

const char* Exception::get_FunctionName() const { return FunctionName.c_str(); }

}  // namespace QuendalLog
