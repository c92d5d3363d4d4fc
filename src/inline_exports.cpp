// Char.h and Text.h define the members that every use goes through inline (making, reading
// and dropping a Char or a Text, appending a Char), so that they cost no call. The library
// still exports them, as it did when they were defined out of line, for programs built against
// those headers: taking their addresses, or calling them from functions that the compiler does
// not optimise (so inlines nothing into), makes it emit each member here, with its class's
// visibility and the library's optimisation.
#if defined(__GNUC__) && !defined(__clang__)
// Otherwise GCC may pass a member's argument by value to a private clone, and emit no symbol of
// the member itself.
#  pragma GCC optimize("no-ipa-sra")
#endif
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

#if defined(_WIN32)
// mingw-w64's GCC exports no inline member of an exported class, even one it emits, so each is
// named to the linker here, by its decorated name (the same for x86-64 and x86).
// (The section is left for .text, as the compiler, which switches before each function, expects.)
#  define QUENDALTEXT_EXPORT(name) " .ascii \" -export:\\\"" name "\\\"\"\n"
// clang-format off
asm(".section .drectve\n"
    QUENDALTEXT_EXPORT("_ZN11QuendalText4CharC1Ev")
    QUENDALTEXT_EXPORT("_ZN11QuendalText4CharC1Ew")
    QUENDALTEXT_EXPORT("_ZN11QuendalText4CharC1ERKS0_")
    QUENDALTEXT_EXPORT("_ZN11QuendalText4CharD1Ev")
    QUENDALTEXT_EXPORT("_ZNK11QuendalText4Char8IsSingleEv")
    QUENDALTEXT_EXPORT("_ZNK11QuendalText4Char11IsSurrogateEv")
    QUENDALTEXT_EXPORT("_ZNK11QuendalText4CharcvPKwEv")
    QUENDALTEXT_EXPORT("_ZN11QuendalText4TextC1Ev")
    QUENDALTEXT_EXPORT("_ZN11QuendalText4TextD1Ev")
    QUENDALTEXT_EXPORT("_ZNK11QuendalText4Text5c_strEv")
    QUENDALTEXT_EXPORT("_ZNK11QuendalText4Text7IsEmptyEv")
    QUENDALTEXT_EXPORT("_ZNK11QuendalText4Text10get_LengthEv")
    QUENDALTEXT_EXPORT("_ZNK11QuendalText4Text22get_NumberOfCharactersEv")
    QUENDALTEXT_EXPORT("_ZN11QuendalText4TextpLERKNS_4CharE")
    ".text");
// clang-format on
#endif
