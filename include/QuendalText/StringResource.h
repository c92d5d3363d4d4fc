/// \file
/// String resources: a module's table of numbered UTF-16 strings, and the loader that Text reads
/// them through.
///
/// On Windows a module's string resources are its STRINGTABLE, compiled in from a .rc file, and
/// Text reads them with LoadStringW from the module's HINSTANCE; this header then declares
/// nothing (no LoadString that <windows.h> would rename to LoadStringW).
#ifndef QUENDALTEXT_STRINGRESOURCE_H
#define QUENDALTEXT_STRINGRESOURCE_H

#include <QuendalText/Config.h>

#if !defined(_WIN32)

#  include <initializer_list>
#  include <map>

namespace QuendalText {

/// One string resource: its number and its NUL-terminated UTF-16 text (null reads as empty).
struct StringResource {
    unsigned int id;        ///< its number
    const UTF16Unit* text;  ///< its text, NUL-terminated; null reads as empty
};

/// A module's string resources. The texts are copied in, so the table owns them; when an id
/// appears twice, the first entry is kept.
class QUENDALTEXT_API StringTable {
public:
    /// An empty table.
    StringTable();
    /// A table of `resources`.
    StringTable(std::initializer_list<StringResource> resources);
    /// A table of the `count` entries at `resources`.
    StringTable(const StringResource* resources, std::size_t count);

    /// Adds or replaces string `id`.
    void Set(unsigned int id, const UTF16String& text);
    /// The string numbered `id`, or null when the table has none.
    const UTF16String* Find(unsigned int id) const;

private:
    std::map<unsigned int, UTF16String> Strings;
};

/// Copies at most capacity - 1 units of string `id` of `module` into `buffer`, then a NUL
/// unit, and returns the number of units copied. A null module or a missing id gives an empty
/// string and 0. Nothing is written when `buffer` is null or `capacity` is below 1.
QUENDALTEXT_API int LoadString(ModuleHandle module, unsigned int id, UTF16Unit* buffer,
                               int capacity);

}  // namespace QuendalText

#endif  // !_WIN32

#endif  // QUENDALTEXT_STRINGRESOURCE_H
