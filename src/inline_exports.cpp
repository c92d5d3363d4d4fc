// Char.h and Text.h define the members that every use goes through inline (making, reading
// and dropping a Char or a Text, appending a Char), so that they cost no call. The library
// still exports them, as it did when they were defined out of line, for programs built against
// those headers: taking their addresses, or calling them from functions that the compiler does
// not optimise (so inlines nothing into), makes it emit each member here, with its class's
// visibility and the library's optimisation.
#include <QuendalText/Char.h>
#include <QuendalText/Text.h>

#include <new>

#if defined(__clang__)
#  define QUENDALTEXT_NOT_OPTIMISED __attribute__((optnone, noinline, used))
#else
#  define QUENDALTEXT_NOT_OPTIMISED __attribute__((optimize("O0"), noinline, used))
#endif

namespace QuendalText {
namespace {

// Constructors and the destructor, whose addresses cannot be taken.
QUENDALTEXT_NOT_OPTIMISED void EmitInlineMembers(Char* storage, UTF16Unit unit) {
    new (storage) Char(unit);
    new (storage + 1) Char(storage[0]);
    storage[1].~Char();
    new (storage + 1) Char();
}

QUENDALTEXT_NOT_OPTIMISED void EmitInlineTextMembers(Text* storage) {
    new (storage) Text();
    storage->~Text();
}

// The other members, by their addresses.
[[gnu::used]] const auto kIsSingle = &Char::IsSingle;
[[gnu::used]] const auto kIsSurrogate = &Char::IsSurrogate;
[[gnu::used]] const auto kUnits = &Char::operator const UTF16Unit*;
[[gnu::used]] const auto kUnitsOfText = &Text::c_str;
[[gnu::used]] const auto kIsEmpty = &Text::IsEmpty;
[[gnu::used]] const auto kLength = &Text::get_Length;
[[gnu::used]] const auto kCharacters = &Text::get_NumberOfCharacters;
[[gnu::used]] const auto kAppendCharacter =
    static_cast<Text& (Text::*)(const Char&)>(&Text::operator+=);

}  // namespace
}  // namespace QuendalText
