// The one source built as C++23 where the compiler offers it: its standard string can grow
// without writing the new units (resize_and_overwrite); the string's layout and every other
// function are the same as in the rest of the library.
#include "internal/string_storage.h"

namespace QuendalText {
namespace detail {

void ResizeForOverwrite(UTF16String& units, std::size_t size,
                        std::size_t (*fill)(UTF16Unit* data, void* context), void* context) {
#if defined(__cpp_lib_string_resize_and_overwrite)
    // The operation's second argument is not used: GCC 12 passes the new capacity there.
    units.resize_and_overwrite(size,
                               [&](UTF16Unit* data, std::size_t) { return fill(data, context); });
#else
    units.resize(size);
    units.resize(fill(units.data(), context));
#endif
}

}  // namespace detail
}  // namespace QuendalText
