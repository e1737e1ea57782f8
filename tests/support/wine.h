#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

namespace quobel::testing {

// Whether a Windows test runs under Wine, for the few checks where Wine
// behaves unlike Windows; each says how. Wine's ntdll has an export of its
// own that Windows' does not.
inline bool RunningUnderWine() {
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

} // namespace quobel::testing
