// Growing a text's storage for units that are then written in place (the fill writes from the
// old end on; the string ends as long as the fill says).
#ifndef QUENDALTEXT_INTERNAL_STRING_STORAGE_H
#define QUENDALTEXT_INTERNAL_STRING_STORAGE_H

#include <QuendalText/Config.h>

#include <cstddef>
#include <string>

namespace QuendalText {
namespace detail {

// Makes `units` `size` units long, keeping its present units, then lets `fill(data, context)`
// write from data[units.size()] on; the string ends up as long as `fill` answers (at most
// `size`). `fill` must not throw. If the storage cannot grow, `units` is left as it was.
void ResizeForOverwrite(UTF16String& units, std::size_t size,
                        std::size_t (*fill)(UTF16Unit* data, void* context), void* context);
// The same for a string of bytes.
void ResizeForOverwrite(std::string& units, std::size_t size,
                        std::size_t (*fill)(char* data, void* context), void* context);

// The same with any callable `fill(data)`.
template <class String, class Fill>
void ResizeForOverwrite(String& units, std::size_t size, Fill&& fill) {
    using Unit = typename String::value_type;
    ResizeForOverwrite(
        units, size, [](Unit* data, void* context) { return (*static_cast<Fill*>(context))(data); },
        &fill);
}

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_STRING_STORAGE_H
