/// \file
/// {fmt} support for QuendalText::Text: fmt::format("{:>8}", text) writes a text as UTF-8 (each
/// unpaired surrogate as U+FFFD), with fill, alignment, width and precision counted as {fmt}
/// counts them for a UTF-8 string. Only a program that includes this header needs {fmt}
/// (Debian's libfmt-dev; link fmt::fmt); the library itself does not use it.
#ifndef QUENDALTEXT_FMT_H
#define QUENDALTEXT_FMT_H

#include <QuendalText/Text.h>

#include <fmt/format.h>

#include <string>

// The formatter is described in the file comment above: the reference documents no names of
// {fmt}'s namespace.
/// \cond
template <>
struct fmt::formatter<QuendalText::Text> : fmt::formatter<fmt::string_view> {
    template <class FormatContext>
    auto format(const QuendalText::Text& text, FormatContext& context) const
        -> decltype(context.out()) {
        const std::string bytes = text.ToUTF8String(QuendalText::Malformed::Replace);
        return fmt::formatter<fmt::string_view>::format(fmt::string_view(bytes), context);
    }
};
/// \endcond

#endif  // QUENDALTEXT_FMT_H
