// ValidateUTF8, ValidateUTF16, ValidateUTF32 and CompleteUTF8Prefix against ICU's converters on
// the same input read three ways: a block is Valid when the converter stops at no fault,
// Incomplete when it stops at a sequence cut by the end, else IllFormed where it stops, with the
// converter's maximal subpart; the complete prefix leaves out what the converter keeps pending.
#include "utf_reference.h"

namespace {

using fuzz::Check;
using QuendalText::ValidationResult;
using QuendalText::Validity;

void CheckAgainst(const ValidationResult& result, const fuzz::Fault& fault, std::size_t size) {
    const Validity expected = !fault.found ? Validity::Valid
                              : fault.cut  ? Validity::Incomplete
                                           : Validity::IllFormed;
    Check(result.validity == expected && result.position == fault.position &&
          result.length == fault.length);
    Check(!fault.cut || fault.position + fault.length == size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Forms forms = fuzz::FormsOf(data, size);
    CheckAgainst(QuendalText::ValidateUTF8(forms.bytes), fuzz::IcuFirstFault(forms.bytes),
                 forms.bytes.size());
    CheckAgainst(QuendalText::ValidateUTF16(forms.units), fuzz::IcuFirstFault(forms.units),
                 forms.units.size());
    CheckAgainst(QuendalText::ValidateUTF32(forms.values), fuzz::IcuFirstFault(forms.values),
                 forms.values.size());
    Check(QuendalText::CompleteUTF8Prefix(forms.bytes) ==
          forms.bytes.size() - fuzz::IcuPendingBytes(forms.bytes));
    return 0;
}
