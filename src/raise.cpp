#include "internal/raise_sites.h"

#include <QuendalLog/CPPException.h>
#include <QuendalText/Text.h>

#include <unicode/utypes.h>

#include <stdexcept>
#include <string>

namespace QuendalLog {
// The kinds of failure the text library raises.
template class CPPException<std::runtime_error>;
template class CPPException<std::out_of_range>;
template class CPPException<std::length_error>;
template class CPPException<std::invalid_argument>;
}  // namespace QuendalLog

namespace QuendalText {

MalformedInput::MalformedInput(const char* fileName, const char* functionName, std::size_t offset)
    : CPPException(fileName, functionName), InputOffset(offset) {}

MalformedInput::MalformedInput(const MalformedInput& other)
    : CPPException(other), InputOffset(other.InputOffset) {}

// Out of line, so that the type information and virtual table live in this library only.
MalformedInput::~MalformedInput() = default;

void MalformedInput::Throw(long line, const char* message) {
    // As CPPException::Throw, but thrown as the derived type, offset included.
    std::runtime_error::operator=(std::runtime_error(message));
    LineNum = line;
    throw MalformedInput(*this);
}

namespace detail {

void RaiseMalformed(const MalformedRaiseSite& site, std::size_t offset) {
    MalformedInput failure(kRaiseFileName, site.Function, offset);
    const std::string message = std::string(site.What) + " " + std::to_string(offset);
    failure.Throw(site.Line, message.c_str());
}

void RaiseIndexError(const IndexRaiseSite& site) {
    QuendalLog::CPPException<std::out_of_range> failure(kRaiseFileName, site.Function);
    failure.Throw(site.Line, site.Message);
}

void RaiseLengthError(const LengthRaiseSite& site) {
    QuendalLog::CPPException<std::length_error> failure(kRaiseFileName, site.Function);
    failure.Throw(site.Line, kTooLongMessage);
}

void RaiseStringLengthError(const LengthRaiseSite& site) {
    QuendalLog::CPPException<std::length_error> failure(kRaiseFileName, site.Function);
    failure.Throw(site.Line, kStringTooLongMessage);
}

void RaiseInvalidArgument(const ArgumentRaiseSite& site) {
    QuendalLog::CPPException<std::invalid_argument> failure(kRaiseFileName, site.Function);
    failure.Throw(site.Line, site.Message);
}

void RaiseConversionError(long line, int status) {
    QuendalLog::CPPException<std::runtime_error> failure(kRaiseFileName, kUnspecifiedFunction);
    failure.Throw(line, u_errorName(static_cast<UErrorCode>(status)));
}

}  // namespace detail
}  // namespace QuendalText
