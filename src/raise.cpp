#include "internal/raise_sites.h"

#include <QuendalLog/CPPException.h>

#include <unicode/utypes.h>

#include <stdexcept>

namespace QuendalLog {
// The kinds of failure the text library raises.
template class CPPException<std::runtime_error>;
template class CPPException<std::out_of_range>;
template class CPPException<std::length_error>;
}  // namespace QuendalLog

namespace QuendalText {
namespace detail {

void RaiseIndexError(const IndexRaiseSite& site) {
    QuendalLog::CPPException<std::out_of_range> failure(kRaiseFileName, site.function);
    failure.Throw(site.line, site.message);
}

void RaiseLengthError(const LengthRaiseSite& site) {
    QuendalLog::CPPException<std::length_error> failure(kRaiseFileName, site.function);
    failure.Throw(site.line, kTooLongMessage);
}

void RaiseConversionError(long line, int status) {
    QuendalLog::CPPException<std::runtime_error> failure(kRaiseFileName, kUnspecifiedFunction);
    failure.Throw(line, u_errorName(static_cast<UErrorCode>(status)));
}

}  // namespace detail
}  // namespace QuendalText
