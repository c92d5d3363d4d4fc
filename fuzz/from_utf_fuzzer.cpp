// Text::FromUTF8, FromUTF16 and FromUTF32 against ICU on the same input read three ways. With
// Malformed::Replace a text holds ICU's units with U+FFFD for each maximal ill-formed subpart;
// with Malformed::Raise the same units when ICU's converter finds no fault, else MalformedInput
// at the offset where ICU's converter stops. The cached count agrees with a fresh one.
#include "utf_reference.h"

namespace {

using fuzz::Check;
using fuzz::CheckHolds;
using QuendalText::Malformed;
using QuendalText::Text;

template <class Source>
void CheckBothModes(Text (*from)(std::basic_string_view<typename Source::value_type>, Malformed),
                    const Source& source) {
    const fuzz::UTF16String replaced = fuzz::IcuReplaced(source);
    const fuzz::Fault fault = fuzz::IcuFirstFault(source);
    CheckHolds(from(source, Malformed::Replace), replaced);
    try {
        CheckHolds(from(source, Malformed::Raise), replaced);
        Check(!fault.found);
    } catch (const QuendalText::MalformedInput& failure) {
        Check(fault.found && failure.Offset() == fault.position);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Forms forms = fuzz::FormsOf(data, size);
    CheckBothModes(Text::FromUTF8, forms.bytes);
    CheckBothModes(Text::FromUTF16, forms.units);
    CheckBothModes(Text::FromUTF32, forms.values);
    return 0;
}
