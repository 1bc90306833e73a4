// A function of a system DLL, looked up when first needed and loaded from
// System32 only. What the exe links loads at every start of the program;
// shell32 and COM, with all they load in turn, are worth that only to the
// rare call that needs them.
#pragma once

#include "platform/win32/WinApi.h"

namespace telk {

// Null when the DLL or the function is missing.
template <class Function> Function SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    FARPROC found = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

} // namespace telk
