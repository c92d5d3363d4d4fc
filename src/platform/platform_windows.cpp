// The platform layer on Windows: the C runtime's own _wtoi, _wtol and _fpreset, the module's
// string resources through LoadStringW, and the DLL's entry point.
#include "platform/platform.h"

#include <float.h>
#include <locale.h>
#include <stdlib.h>
#include <windows.h>

namespace QuendalText {
namespace platform {

static_assert(sizeof(UTF16Unit) == sizeof(WCHAR), "LoadStringW writes UTF-16 units");

int ReadInt(const UTF16Unit* units) { return _wtoi(units); }

long ReadLong(const UTF16Unit* units) { return _wtol(units); }

bool DecimalPointIsPeriod() {
    // The runtime's locale is per process unless a thread opts out; localeconv reads it.
    const char* point = localeconv()->decimal_point;
    return point[0] == '.' && point[1] == '\0';
}

void ResetFloatingPoint() { _fpreset(); }

int LoadResourceString(ModuleHandle module, unsigned int id, UTF16Unit* buffer, int capacity) {
    // LoadStringW leaves the buffer as it was when the module has no such string.
    buffer[0] = 0;
    const int copied = LoadStringW(module, id, buffer, capacity);
    return copied > 0 ? copied : 0;
}

}  // namespace platform
}  // namespace QuendalText

// The DLL asks for no thread attach and detach notifications. The request always fails in a
// mingw-w64 DLL, whose runtime gives every DLL static thread-local storage; nothing depends on
// it, so the answer is ignored.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) static_cast<void>(DisableThreadLibraryCalls(module));
    return TRUE;
}
