// Growing a text's storage for units that are then written in place. A string that can grow
// without writing its new units (C++23's resize_and_overwrite) has the fill write each unit
// once; otherwise the new units are filled with zeros first and then overwritten.
#include "internal/string_storage.h"

#include <string>

namespace QuendalText {
namespace detail {

namespace {

template <class String>
void Grow(String& units, std::size_t size,
          std::size_t (*fill)(typename String::value_type* data, void* context), void* context) {
#if defined(__cpp_lib_string_resize_and_overwrite)
    units.resize_and_overwrite(
        size, [&](typename String::value_type* data, std::size_t) { return fill(data, context); });
#else
    units.resize(size);
    units.resize(fill(units.data(), context));
#endif
}

}  // namespace

void ResizeForOverwrite(UTF16String& units, std::size_t size,
                        std::size_t (*fill)(UTF16Unit* data, void* context), void* context) {
    Grow(units, size, fill, context);
}

void ResizeForOverwrite(std::string& units, std::size_t size,
                        std::size_t (*fill)(char* data, void* context), void* context) {
    Grow(units, size, fill, context);
}

}  // namespace detail
}  // namespace QuendalText
