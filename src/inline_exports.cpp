// Char.h and Text.h define the members that every use goes through inline (making, reading
// and dropping a Char or a Text, appending a Char), so that they cost no call. The
// library still exports them, as it did when they were defined out of line, for programs built
// against those headers: this source is built without inlining (see CMakeLists.txt), so the
// calls below make the compiler emit each member here, with its class's visibility.
#include <QuendalText/Char.h>
#include <QuendalText/Text.h>

#include <new>

namespace QuendalText {
namespace {

// Constructors and the destructor, whose addresses cannot be taken.
[[gnu::used]] void EmitInlineMembers(Char* storage, UTF16Unit unit) {
    new (storage) Char(unit);
    new (storage + 1) Char(storage[0]);
    storage[1].~Char();
    new (storage + 1) Char();
}

[[gnu::used]] void EmitInlineTextMembers(Text* storage) {
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
