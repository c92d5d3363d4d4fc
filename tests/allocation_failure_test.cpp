// Allocation failure: each constructor and changing operation runs with its 1st, 2nd, ...
// allocation failing until it succeeds; after every failure the text must be exactly as before,
// and LeakSanitizer, in the sanitizer build, sees that nothing leaked.
#include "test_support.h"

#include <cstdlib>
#include <functional>
#include <new>
#include <utility>

namespace {

// The allocation to fail, counting from 1 after arming; 0 when disarmed.
long gAllocationsLeft = 0;

}  // namespace

void* operator new(std::size_t size) {
    if (gAllocationsLeft > 0 && --gAllocationsLeft == 0) throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

using namespace qt_test;

// Long enough to live outside the standard string's own small buffer.
const UTF16String kUnits = QUENDALTEXT_U("Cr\u00e8me br\u00fbl\u00e9e \U0001F600 et caf\u00e9");
const char* const kUTF8 = "Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65 \xf0\x9f\x98\x80 et caf\xc3\xa9";

// Runs `operation` on a fresh copy of a text with both settings false, failing its 1st, 2nd,
// ... allocation until it succeeds (answers true); each failure must leave the text as it was.
void Sweep(const char* name, const std::function<bool(Text&)>& operation) {
    SCOPED_TRACE(name);
    for (long failing = 1;; ++failing) {
        ASSERT_LT(failing, 1000) << "never succeeded";
        Text text(kUnits);
        text.set_CaseSensitivity(false);
        text.set_SearchForward(false);
        bool succeeded = false;
        gAllocationsLeft = failing;
        try {
            succeeded = operation(text);
        } catch (const std::bad_alloc&) {}
        if (std::exchange(gAllocationsLeft, 0) != 0) {  // the planned failure did not happen
            ASSERT_TRUE(succeeded);
            return;
        }
        ASSERT_TRUE(Holds(text, kUnits, false, false)) << "after failing allocation " << failing;
    }
}

// Changing operations leave the text as it was; constructions and new texts leave nothing.
TEST(AllocationFailure, OperationsFailWholly) {
    const Text source(kUnits), other(kUnits + kUnits);
    const auto leaves = [](const Text& made) { return made.get_Length() > 0; };
    Sweep("=", [&](Text& t) { return &(t = other) == &t; });
    Sweep("+= Text", [&](Text& t) { return &(t += other) == &t; });
    Sweep("+= self", [&](Text& t) { return &(t += t) == &t; });
    Sweep("+= Char", [&](Text& t) { return &(t += Char(0x1F600u)) == &t; });
    Sweep("+= units", [&](Text& t) { return &(t += kUnits.c_str()) == &t; });
    Sweep("+= UTF-8", [&](Text& t) { return &(t += kUTF8) == &t; });
    Sweep("set_CharacterAt", [&](Text& t) { return t.set_CharacterAt(3, Char(0x1F600u)), true; });
    Sweep("RemoveAt", [&](Text& t) { return &t.RemoveAt(3) == &t; });
    Sweep("Replace", [&](Text& t) { return t.Replace(other, 2, 3), true; });
    Sweep("Concatenate", [&](Text& t) { return t.Concatenate(other, 1, 30); });
    Sweep("Remove", [&](Text& t) { return &t.Remove(Char('e')) == &t; });
    Sweep("ReplaceAll", [&](Text& t) { return &t.ReplaceAll("e", kUTF8) == &t; });
    const UTF32Unit utf32[] = {0x43, 0x72, 0xE8, 0x1F600, 0x6D, 0x65, 0x20, 0x62, 0x72, 0};
    Sweep("copy", [&](Text&) { return leaves(Text(source)); });
    Sweep("from a string", [&](Text&) { return leaves(Text(kUnits)); });
    Sweep("from units", [&](Text&) { return leaves(Text(kUnits.c_str())); });
    Sweep("from UTF-8", [&](Text&) { return leaves(Text(kUTF8)); });
    Sweep("from UTF-32", [&](Text&) { return leaves(Text(utf32)); });
    Sweep("from a format", [&](Text&) {
        return leaves(Text(QUENDALTEXT_U("%s %S %d %.3f"), true, kUnits.c_str(), kUTF8, 42, 2.5));
    });
    Sweep("operator+", [&](Text&) { return leaves(source + source); });
    Sweep("+ Char", [&](Text&) { return leaves(source + Char(0x1F600u)); });
    Sweep("SubString", [&](Text&) { return leaves(source.SubString(1, 20)); });
    Sweep("Trimmed", [&](Text&) { return leaves(source.Trimmed()); });
    Sweep("FromWString", [&](Text&) { return leaves(Text::FromWString(source.ToWString())); });
    int at = 0;
    Sweep("FindToken", [&](Text& t) { return at = 0, leaves(t.FindToken(Text(" "), &at)); });
#if !defined(_WIN32)
    QuendalText::StringTable table;
    table.Set(5, kUnits + kUnits + kUnits);
    Sweep("Load", [&](Text& t) { return t.Load(&table, 5), true; });
    Sweep("from a resource", [&](Text&) { return leaves(Text(&table, 5)); });
#endif
}

}  // namespace
