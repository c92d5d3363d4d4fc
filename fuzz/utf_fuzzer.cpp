// The UTF factories, the C-string constructors and the validators against ICU on the same input
// read three ways. With Malformed::Replace a text holds ICU's units with U+FFFD for each maximal
// ill-formed subpart; with Malformed::Raise the same units when ICU finds no fault, else
// MalformedInput at the offset where ICU's converter stops. A block is Valid when the converter
// stops at no fault, Incomplete when it stops at a sequence cut by the end, else IllFormed where
// it stops, with the converter's maximal subpart; the complete UTF-8 prefix leaves out what the
// converter keeps pending. From a C string of UTF-8 a text keeps the units before the first
// fault; from one of UTF-32 it raises ICU's status from its line when a value is no scalar value.
// ToUTF8 and ToUTF32 of the units into buffers of every telling size write and raise as ICU does
// into an equal buffer, and write nothing outside it.
#include "output_reference.h"
#include "utf_reference.h"

#include <algorithm>
#include <cstring>

namespace {

using fuzz::Check;
using fuzz::CheckHolds;
using QuendalText::Malformed;
using QuendalText::Text;
using QuendalText::Validity;

template <class Source>
void CheckForm(Text (*from)(std::basic_string_view<typename Source::value_type>, Malformed),
               const QuendalText::ValidationResult& validation, const Source& source) {
    const fuzz::UTF16String replaced = fuzz::IcuReplaced(source);
    const fuzz::Fault fault = fuzz::IcuFirstFault(source);
    CheckHolds(from(source, Malformed::Replace), replaced);
    try {
        CheckHolds(from(source, Malformed::Raise), replaced);
        Check(!fault.found);
    } catch (const QuendalText::MalformedInput& failure) {
        Check(fault.found && failure.Offset() == fault.position);
    }
    const Validity expected = !fault.found ? Validity::Valid
                              : fault.cut  ? Validity::Incomplete
                                           : Validity::IllFormed;
    Check(validation.validity == expected && validation.position == fault.position &&
          validation.length == fault.length);
    Check(!fault.cut || fault.position + fault.length == source.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Forms forms = fuzz::FormsOf(data, size);
    CheckForm(Text::FromUTF8, QuendalText::ValidateUTF8(forms.bytes), forms.bytes);
    CheckForm(Text::FromUTF16, QuendalText::ValidateUTF16(forms.units), forms.units);
    CheckForm(Text::FromUTF32, QuendalText::ValidateUTF32(forms.values), forms.values);
    Check(QuendalText::CompleteUTF8Prefix(forms.bytes) ==
          forms.bytes.size() - fuzz::IcuPendingBytes(forms.bytes));
    // The C-string constructors read up to the first zero unit.
    const std::string bytes = forms.bytes.c_str();
    const fuzz::Fault fault = fuzz::IcuFirstFault(bytes);
    CheckHolds(Text(bytes.c_str()), fuzz::IcuReplaced(bytes.substr(0, fault.position)));
    Check(fault.found || Text(bytes.c_str()).ToUTF8String() == bytes);
    const std::u32string values(forms.values.begin(),
                                std::find(forms.values.begin(), forms.values.end(), U'\0'));
    std::vector<QuendalText::UTF32Unit> terminated(values.begin(), values.end());
    terminated.push_back(0);
    const bool found = fuzz::IcuFirstFault(values).found;
    try {
        CheckHolds(Text(terminated.data()), fuzz::IcuReplaced(values));
        Check(!found);
    } catch (const QuendalLog::CPPException<std::runtime_error>& failure) {
        Check(found && std::strcmp(failure.what(), "U_INVALID_CHAR_FOUND") == 0 &&
              failure.get_LineNum() == 290);
    }
    const Text text(forms.units);
    for (const bool nul : {false, true}) {
        const int exact = text.get_EncodingSize(UTF8Encoding, nul);
        for (const int room : {-1, 0, exact / 2, exact - 1, exact, exact + 1}) {
            Check(fuzz::WritesAsIcu<char, char>(
                text, room, nul, 986, u_strToUTF8,
                [&](char* b, int s, bool t) { text.ToUTF8(b, s, t); }));
        }
        const int units = text.get_Length() + 1;  // the count leaves leading NULs out
        for (const int room : {-1, 0, units / 2, units - 1, units, units + 1}) {
            Check(fuzz::WritesAsIcu<QuendalText::UTF32Unit, UChar32>(
                text, room, nul, 955, u_strToUTF32,
                [&](QuendalText::UTF32Unit* b, int s, bool t) { text.ToUTF32(b, s, t); }));
        }
    }
    return 0;
}
