// Text's C-string constructors against ICU on the same input. From UTF-8 a text keeps exactly the
// units ICU converts before the first fault, and gives the bytes back when there is none; from
// UTF-32 it holds ICU's units, or raises ICU's status from its line when a value is no scalar
// value. The cached counts agree with a fresh recount.
#include "utf_reference.h"

#include <cstring>

namespace {

using fuzz::Check;
using QuendalText::Text;

void FromUTF8(const std::string& bytes) {
    const Text text(bytes.c_str());
    const fuzz::Fault fault = fuzz::IcuFirstFault(bytes);
    fuzz::CheckHolds(text, fuzz::IcuReplaced(bytes.substr(0, fault.position)));
    Check(fault.found || text.ToUTF8String() == bytes);
}

void FromUTF32(const std::u32string& values) {
    std::vector<QuendalText::UTF32Unit> units(values.begin(), values.end());
    units.push_back(0);
    const bool found = fuzz::IcuFirstFault(values).found;
    try {
        fuzz::CheckHolds(Text(units.data()), fuzz::IcuReplaced(values));
        Check(!found);
    } catch (const QuendalLog::CPPException<std::runtime_error>& failure) {
        Check(found && std::strcmp(failure.what(), "U_INVALID_CHAR_FOUND") == 0 &&
              failure.get_LineNum() == 290);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The constructors read up to the first zero unit, so the properties hold for that prefix.
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0) {
        FromUTF8(bytes.substr(0, std::strlen(bytes.c_str())));
    } else {
        std::u32string values;
        for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
            std::uint32_t value = 0;
            std::memcpy(&value, bytes.data() + i, 4);
            if (value % 8 != 0) value %= 0x110800;  // mostly plausible code points
            if (value == 0) break;
            values.push_back(static_cast<char32_t>(value));
        }
        FromUTF32(values);
    }
    return 0;
}
