// Growing a text's storage for units that are then written in place. C++17's string has no way
// to grow without writing the new units, so they are filled once with zeros and then
// overwritten.
#include "internal/string_storage.h"

namespace QuendalText {
namespace detail {

void ResizeForOverwrite(UTF16String& units, std::size_t size,
                        std::size_t (*fill)(UTF16Unit* data, void* context), void* context) {
    units.resize(size);
    units.resize(fill(units.data(), context));
}

}  // namespace detail
}  // namespace QuendalText
